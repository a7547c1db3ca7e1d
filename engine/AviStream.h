#pragma once

#include "platform/Avi.h"
#include "platform/DirectSound.h"
#include "platform/Surface.h"

#include <cstdint>
#include <mutex>
#include <vector>

class Zu_AviSystem;

// One opened AVI video stream with its decompressor, frame buffers and optional sound. Decoded
// frames are bottom-up DIBs in the layout the format mode asks for.
class Zu_AviStream {
public:
    // Larger pictures are refused rather than allocated.
    static constexpr int32_t kMaxDimension = 4096;

    Zu_AviStream() = default;
    ~Zu_AviStream();
    Zu_AviStream(const Zu_AviStream&) = delete;
    Zu_AviStream& operator=(const Zu_AviStream&) = delete;

    int Open(const char* file, Zu_AviSystem* system, uint32_t modeWord);
    uint8_t Start(int32_t volume);
    void Step(int32_t frame);
    void DecodeFrame(uint32_t n);
    void Stop();
    void Close();

    // Copies the current frame (16-bit output) or converts it (24-bit output, zoomed) onto the
    // surface at (x, y); only while the stream plays.
    void Draw16(int32_t x, int32_t y, platform::Surface* surface, int32_t pixelFormat);
    void Draw24(int32_t x, int32_t y, platform::Surface* surface, int32_t pixelFormat);

    int32_t Width() const;
    int32_t Height() const;

    uint32_t formatMode = 0;
    uint32_t zoom = 1;
    Zu_AviSystem* system = nullptr;
    platform::PAVISTREAM video = nullptr;
    platform::AVISTREAMINFO videoInfo;
    uint8_t* inputBuffer = nullptr;
    uint8_t* outputBuffer = nullptr;
    std::vector<uint8_t> inputFormat;
    std::vector<uint8_t> outputFormat;
    uint32_t framesPerSecond = 0;
    uint32_t framePeriod = 0;
    uint8_t playing = 0;
    uint32_t currentFrame = 0;
    uint32_t length = 0;
    uint32_t inputBufferSize = 0;
    uint32_t outputStride = 0;
    std::recursive_mutex frameLock;
    platform::HIC decompressor = nullptr;
    platform::PAVISTREAM sound = nullptr;
    platform::AVISTREAMINFO soundInfo;
    platform::DirectSoundBuffer* soundBuffer = nullptr;
    platform::WAVEFORMATEX* soundFormat = nullptr;

private:
    bool OpenSound();
    void StartSound(int32_t volume);
    void StopSound();
    void FreeBuffers();
};

// A locked target surface: rows of 16-bit pixels.
struct LockedTarget {
    uint8_t* bits = nullptr;
    int32_t pitch = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// Locks the surface, waiting while it is busy; false (and nothing locked) without a surface or
// when the lock fails.
bool LockTarget(platform::Surface* surface, LockedTarget& target);

// Packs 8-bit channels into 16 bits: 555 selects 5-5-5, anything else 5-6-5.
inline uint16_t Pack16(uint8_t red, uint8_t green, uint8_t blue, int32_t pixelFormat) {
    if (pixelFormat == 555)
        return static_cast<uint16_t>(((red & 0xF8) << 7) | ((green & 0xF8) << 2) | (blue >> 3));
    return static_cast<uint16_t>(((red & 0xF8) << 8) | ((green & 0xFC) << 3) | (blue >> 3));
}

// The visible part of a w x h picture drawn at (x, y) on the target.
struct ClipBox {
    int32_t x = 0, y = 0;         // first screen pixel
    int32_t skipX = 0, skipY = 0; // source pixels and rows skipped
    int32_t width = 0, height = 0;
    bool empty() const { return width < 1 || height < 1; }
};
ClipBox ClipToTarget(int32_t x, int32_t y, int32_t width, int32_t height, const LockedTarget& target);
