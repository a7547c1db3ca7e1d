#include "platform/AudioDevice.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <mutex>

namespace platform {
namespace {

std::mutex deviceMutex;
AudioBackend backend = AudioBackend::Mixer;
int mixerUsers = 0;
std::vector<std::string> calls;

constexpr int kMixChannels = 32; // 16 effect slots and the movie voices, with room to spare

} // namespace

void SetAudioBackend(AudioBackend b) {
    std::lock_guard lock(deviceMutex);
    backend = b;
}

AudioBackend GetAudioBackend() {
    std::lock_guard lock(deviceMutex);
    return backend;
}

bool AcquireMixer() {
    std::lock_guard lock(deviceMutex);
    if (backend == AudioBackend::Absent) return false;
    if (backend == AudioBackend::Null) {
        ++mixerUsers;
        return true;
    }
    if (mixerUsers > 0) {
        ++mixerUsers;
        return true;
    }
    // Headless runs are silent: the dummy driver consumes sound in real time without a device.
    const char* headless = SDL_getenv("KARDOL_HEADLESS");
    if (headless && headless[0] == '1' && !SDL_getenv("SDL_AUDIODRIVER"))
        SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "audio: no sound device (%s)\n", SDL_GetError());
        return false;
    }
    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
        std::fprintf(stderr, "audio: cannot open the mixer (%s)\n", Mix_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    Mix_Init(MIX_INIT_MP3);
    Mix_AllocateChannels(kMixChannels);
    mixerUsers = 1;
    return true;
}

void ReleaseMixer() {
    std::lock_guard lock(deviceMutex);
    if (mixerUsers == 0) return;
    if (--mixerUsers > 0 || backend != AudioBackend::Mixer) return;
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void MixerFormat(int* rate, unsigned short* format, int* channels) {
    int r = 44100, c = 2;
    Uint16 f = AUDIO_S16SYS;
    if (GetAudioBackend() == AudioBackend::Mixer) Mix_QuerySpec(&r, &f, &c);
    if (rate) *rate = r;
    if (format) *format = f;
    if (channels) *channels = c;
}

void RecordAudioCall(const std::string& line) {
    std::lock_guard lock(deviceMutex);
    calls.push_back(line);
}

std::vector<std::string> TakeAudioCalls() {
    std::lock_guard lock(deviceMutex);
    std::vector<std::string> out;
    out.swap(calls);
    return out;
}

} // namespace platform
