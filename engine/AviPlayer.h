#pragma once

#include "platform/Avi.h"
#include "platform/DirectDraw.h"
#include "platform/DirectSound.h"
#include "platform/Surface.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

// A self-contained AVI player that decodes into an off-screen surface of its own, stepped by its
// own timer. Each failure adds a record to the error list and leaves the player unusable.
class AviPlayer {
public:
    AviPlayer(const char* file, platform::DirectDraw* directDraw, int loop);
    virtual ~AviPlayer();
    AviPlayer(const AviPlayer&) = delete;
    AviPlayer& operator=(const AviPlayer&) = delete;

    virtual void Play(uint32_t speed);
    virtual void Stop();
    virtual void DecodeFrame(uint32_t n);
    virtual void Tick();

    bool Usable() const { return usable; }
    bool Playing() const { return playing.load(); }
    platform::Surface* GetSurface() const { return surface; }
    std::recursive_mutex& Lock() { return criticalSection; }

    platform::PAVISTREAM video = nullptr;
    platform::AVISTREAMINFO info;
    platform::Surface* surface = nullptr;
    platform::HIC decompressor = nullptr;
    std::vector<uint8_t> inputFormat;
    std::vector<uint8_t> outputFormat;
    std::vector<uint8_t> inputBuffer;
    std::vector<uint8_t> outputBuffer;
    uint32_t currentFrame = 0;
    uint32_t length = 0;
    int loop = 0;
    std::atomic<bool> playing{false};
    std::atomic<int32_t> timerId{-1};
    uint32_t framePeriod = 0;

protected:
    static void TimerProc(uint32_t id, uint32_t, uintptr_t user, uintptr_t, uintptr_t);
    void Fail(const char* message, int32_t line);
    void StartTimer(uint32_t period);
    void KillTimer();

    bool usable = false;
    std::recursive_mutex criticalSection;
};

// The same player with the movie's sound on a sound device of its own.
class AviSoundPlayer : public AviPlayer {
public:
    AviSoundPlayer(const char* file, platform::DirectDraw* directDraw, int loop);
    ~AviSoundPlayer() override;

    void Play(uint32_t speed) override;
    void Stop() override;
    void DecodeFrame(uint32_t n) override;
    void Tick() override;

    platform::DirectSound* directSound = nullptr;
    platform::DirectSoundBuffer* primary = nullptr;
    platform::PAVISTREAM sound = nullptr;
    platform::DirectSoundBuffer* soundBuffer = nullptr;

private:
    bool CreateSoundStuff(const char* file);
};

// A colour player and a mask player drawn together: the mask's 8-bit value a keeps the target (0),
// shows the colour (255) or mixes the two channel by channel.
class AviBlendPair {
public:
    AviBlendPair(AviPlayer* colour, AviPlayer* mask, int32_t x, int32_t y);
    ~AviBlendPair();
    AviBlendPair(const AviBlendPair&) = delete;
    AviBlendPair& operator=(const AviBlendPair&) = delete;

    // Mixes the current frames into the target; once the colour player stops, closes both.
    void Draw(platform::Surface* target);
    bool Open() const { return colour != nullptr; }

    AviPlayer* colour;
    AviPlayer* mask;
    int32_t x;
    int32_t y;
};
