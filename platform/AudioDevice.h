#pragma once

#include <string>
#include <vector>

// The one mixer device that sound buffers and the music stream share.
namespace platform {

enum class AudioBackend {
    Mixer,  // SDL2_mixer on the SDL audio driver
    Null,   // accepts everything, plays nothing, records the calls
    Absent, // no sound device: every creation fails
};

// Test seam; the default is the mixer. Changing it while sound objects exist is not supported.
void SetAudioBackend(AudioBackend backend);
AudioBackend GetAudioBackend();

// Reference-counted opening of the mixer. Returns false when there is no usable device.
bool AcquireMixer();
void ReleaseMixer();
// The device format, valid while the mixer is held.
void MixerFormat(int* rate, unsigned short* format, int* channels);

// Calls made through the null backend, oldest first; taking them clears the record.
void RecordAudioCall(const std::string& line);
std::vector<std::string> TakeAudioCalls();

} // namespace platform
