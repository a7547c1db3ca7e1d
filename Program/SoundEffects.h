#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

class SoundBank;

// Sound effects by number: id 0 plays nothing, ids 1 to 95 are ".\Wav\Zs" + three digits +
// ".wav", ids 96 to 99 four named files.
constexpr int kSoundEffectCount = 100;

// The file of effect id; "" for id 0, null outside 0..99.
const char* SoundEffectPath(int id);

// Where effects are loaded and played: the sound bank, or a test stand-in.
class SoundEffectSink {
public:
    virtual ~SoundEffectSink() = default;
    // Slot number, negative on failure.
    virtual int LoadWave(const char* path) = 0;
    virtual void Play(int slot) = 0;
    // What the slot holds now; changes whenever the slot is refilled or freed (0 when empty).
    virtual uintptr_t SlotContent(int slot) const = 0;
};

// Plays effects, keeping each effect's slot while the bank still holds it so that repeating a
// sound does not push every other one out of the bank.
class SoundEffectPlayer {
public:
    // allowed: the controller's sound-mute word is 0 and the settings' sound-effects flag is set.
    void Bind(SoundEffectSink* sink, std::function<bool()> allowed);
    void Play(int id);
    void Forget();
    bool IsBound() const { return sink_ != nullptr; }

private:
    SoundEffectSink* sink_ = nullptr;
    std::function<bool()> allowed_;
    struct Cached {
        int slot = -1;
        uintptr_t content = 0;
    };
    std::array<Cached, kSoundEffectCount> cache_{};
};

// The bank behind the program's player: TheSoundBank when it exists.
class SoundBankSink : public SoundEffectSink {
public:
    int LoadWave(const char* path) override;
    void Play(int slot) override;
    uintptr_t SlotContent(int slot) const override;
};

SoundEffectPlayer& GameSoundEffects();
// Start-up hands in the mute test (controller's sound-mute word and settings' effects flag).
void SetSoundEffectGate(std::function<bool()> allowed);
// Plays effect id once; every failure is ignored. The second argument is not used.
void PlaySoundEffect(int id, int8_t unused = 0);
