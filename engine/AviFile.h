#pragma once

#include "engine/AviStream.h"
#include "platform/Surface.h"

#include <atomic>
#include <cstdint>
#include <mutex>

class Zu_AviSystem;

// A clip player: a colour stream and an optional companion matte stream, stepped by a periodic
// timer of its own and drawn onto a surface. Held by value in arrays.
class Zu_AviFile {
public:
    // Idle timer ticks after which a clip nobody stopped gives up its timer.
    static constexpr uint16_t kIdleTicksToStop = 72;

    Zu_AviFile() = default;
    ~Zu_AviFile();
    Zu_AviFile(const Zu_AviFile&) = delete;
    Zu_AviFile& operator=(const Zu_AviFile&) = delete;

    int Open(int32_t x, int32_t y, const char* colourFile, const char* companionFile, Zu_AviSystem* system,
             uint32_t colourMode, uint32_t companionMode, uint16_t anchorX, uint16_t anchorY);
    void Play(int32_t x, int32_t y);
    void SetPosition(int32_t x, int32_t y);
    void SetVolume(int32_t volume);
    void Stop();
    void Close();
    uint8_t GetProgress(int32_t* percent);
    bool HasNewFrame();
    int DrawFrame(int32_t viewX, int32_t viewY, platform::Surface* surface, int32_t pixelFormat);
    static int InfoMessage(const char* text);
    static void TimerProc(uint32_t timerId, uint32_t message, uintptr_t user, uintptr_t, uintptr_t);

    // The blends; the streams' frame buffers are read under their frame locks, colour first.
    void Compose16x16(int32_t x, int32_t y, platform::Surface* surface, int32_t pixelFormat);
    void Compose16x24(int32_t x, int32_t y, platform::Surface* surface, int32_t pixelFormat);
    void Compose24x8(int32_t x, int32_t y, platform::Surface* surface, int32_t pixelFormat);
    void Compose24x24(int32_t x, int32_t y, platform::Surface* surface, int32_t pixelFormat);

    bool HasColourStream() const { return colour != nullptr; }
    bool TimerRunning() const { return timerId.load() != -1; }

    int32_t volume = 0;
    std::atomic<uint8_t> busy{0};
    uint16_t anchorX = 0;
    uint16_t anchorY = 0;
    int32_t positionX = 0;
    int32_t positionY = 0;
    std::atomic<int32_t> timerId{-1};
    int32_t lastDrawnFrame = -1;
    std::atomic<uint16_t> idleTicks{0};
    Zu_AviStream* colour = nullptr;
    Zu_AviStream* companion = nullptr;

private:
    // Guards the timer id, the streams and starting, stepping and stopping them, so a timer
    // callback and the main thread never work on a clip at once.
    std::recursive_mutex lock_;
    void StopStreams();
    template <class Blend>
    void Compose(int32_t x, int32_t y, platform::Surface* surface, Blend blend);
};
