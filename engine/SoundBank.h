#pragma once

#include "platform/DirectSound.h"
#include "platform/Mmio.h"

#include <cstdint>

// The sound-effect bank: 16 round-robin slots, each a static sound buffer filled from a PCM WAVE
// file, so it caches the last 16 sounds loaded.
class SoundBank {
public:
    static constexpr int kSlots = 16;
    // A "data" chunk larger than this is refused rather than allocated.
    static constexpr uint32_t kMaxSampleBytes = 16u << 20;

    explicit SoundBank(void* mainWindow);
    ~SoundBank();
    SoundBank(const SoundBank&) = delete;
    SoundBank& operator=(const SoundBank&) = delete;

    int LoadWave(const char* path);
    // Loads from a file already opened with mmioOpen and closes it; LoadWave's body.
    int LoadWave(platform::HMMIO file);
    int Play(int slot, int loop);
    void Stop(int slot);
    void FreeSlot(int slot);
    void FreeAll();
    void Nop(int value);
    platform::DirectSound* GetDirectSound() const { return directSound; }

    // DirectSound volume for a sound-effect level.
    static int32_t VolumeForLevel(int32_t level);

    int32_t ready = 0;
    int32_t unused = 0;
    platform::DirectSound* directSound = nullptr;
    uint8_t* sampleData[kSlots] = {};
    uint32_t sampleSize[kSlots] = {};
    platform::DirectSoundBuffer* buffers[kSlots] = {};
    int32_t nextSlot = 0;

private:
    void DropSamples(int slot);
};

extern SoundBank* TheSoundBank;
