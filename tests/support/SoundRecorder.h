#pragma once

#include "Program/SoundEffects.h"
#include "engine/SoundBank.h"

#include <string>
#include <vector>

namespace testsupport {

// Stands in for the sound bank while alive: the game's effect player loads into it and every
// effect played is recorded by its file.
class SoundRecorder : public SoundEffectSink {
public:
    SoundRecorder() {
        saved_ = TheSoundBank;
        TheSoundBank = &bank_;
        GameSoundEffects().Bind(this, nullptr);
    }
    ~SoundRecorder() override {
        GameSoundEffects().Bind(nullptr, nullptr);
        TheSoundBank = saved_;
    }
    SoundRecorder(const SoundRecorder&) = delete;
    SoundRecorder& operator=(const SoundRecorder&) = delete;

    int LoadWave(const char* path) override {
        paths.emplace_back(path);
        return int(paths.size());
    }
    void Play(int slot) override { played.push_back(paths[size_t(slot - 1)]); }
    uintptr_t SlotContent(int slot) const override { return uintptr_t(slot); }

    // How often effect id was played.
    int Count(int id) const {
        int n = 0;
        for (const std::string& p : played)
            n += p == SoundEffectPath(id);
        return n;
    }

    std::vector<std::string> paths, played;

private:
    SoundBank bank_{nullptr};
    SoundBank* saved_ = nullptr;
};

} // namespace testsupport
