#include "Program/SoundEffects.h"

#include "engine/SoundBank.h"

#include <cstdio>
#include <string>

namespace {

// The three digits of ".\Wav\Zs###.wav" for ids 1 to 95 (0: the id itself).
int FileNumber(int id) {
    if (id >= 1 && id <= 3) return 158;
    if (id >= 10 && id <= 16) return id;
    if (id >= 27 && id <= 33) return 101 + (id - 27);
    if (id >= 35 && id <= 44) return 109 + (id - 35);
    if (id >= 46 && id <= 50) return 147 + (id - 46);
    if (id >= 53 && id <= 56) return 160 + (id - 53);
    if (id >= 57 && id <= 69) return id;
    if (id >= 72 && id <= 80) return 120 + (id - 72);
    if (id >= 81 && id <= 88) return 131 + (id - 81);
    switch (id) {
    case 4:
    case 6:
    case 8:
        return 140;
    case 5:
    case 7:
    case 9:
        return 139;
    case 17:
        return 141;
    case 18:
        return 142;
    case 19:
        return 19;
    case 20:
        return 152;
    case 21:
        return 153;
    case 22:
        return 155;
    case 23:
        return 23;
    case 24:
        return 143;
    case 25:
        return 144;
    case 26:
        return 146;
    case 34:
        return 129;
    case 45:
        return 145;
    case 51:
        return 152;
    case 52:
        return 153;
    case 70:
        return 125;
    case 71:
        return 71;
    case 89:
        return 130;
    case 93:
        return 22;
    default:
        return id; // 90-92, 94, 95
    }
}

const std::array<std::string, kSoundEffectCount>& Table() {
    static const std::array<std::string, kSoundEffectCount> table = [] {
        std::array<std::string, kSoundEffectCount> t;
        for (int id = 1; id <= 95; ++id) {
            char name[32];
            std::snprintf(name, sizeof(name), ".\\Wav\\Zs%03d.wav", FileNumber(id));
            t[id] = name;
        }
        t[96] = ".\\Wav\\Winning.wav";
        t[97] = ".\\Wav\\Gift.wav";
        t[98] = ".\\Wav\\Order.wav";
        t[99] = ".\\Wav\\LvUp.wav";
        return t;
    }();
    return table;
}

} // namespace

const char* SoundEffectPath(int id) {
    if (id < 0 || id >= kSoundEffectCount) return nullptr;
    return Table()[id].c_str();
}

void SoundEffectPlayer::Bind(SoundEffectSink* sink, std::function<bool()> allowed) {
    sink_ = sink;
    allowed_ = std::move(allowed);
    Forget();
}

void SoundEffectPlayer::Forget() {
    cache_.fill(Cached{});
}

void SoundEffectPlayer::Play(int id) {
    // A negative id would index before the table.
    if (id < 0 || id >= kSoundEffectCount || !sink_) return;
    if (allowed_ && !allowed_()) return;
    const char* path = SoundEffectPath(id);
    if (!path || !*path) return;
    Cached& c = cache_[id];
    if (c.slot < 0 || c.content == 0 || sink_->SlotContent(c.slot) != c.content) {
        const int slot = sink_->LoadWave(path);
        if (slot < 0) {
            c = Cached{};
            return;
        }
        c.slot = slot;
        c.content = sink_->SlotContent(slot);
    }
    sink_->Play(c.slot);
}

int SoundBankSink::LoadWave(const char* path) {
    return TheSoundBank ? TheSoundBank->LoadWave(path) : -1;
}

void SoundBankSink::Play(int slot) {
    if (TheSoundBank) TheSoundBank->Play(slot, 0);
}

uintptr_t SoundBankSink::SlotContent(int slot) const {
    if (!TheSoundBank || slot < 0 || slot >= SoundBank::kSlots) return 0;
    // The slot's buffer object and sample block are both replaced when the slot is refilled.
    return reinterpret_cast<uintptr_t>(TheSoundBank->buffers[slot]) ^
           (reinterpret_cast<uintptr_t>(TheSoundBank->sampleData[slot]) << 1) ^
           TheSoundBank->sampleSize[slot];
}

SoundEffectPlayer& GameSoundEffects() {
    static SoundEffectPlayer player;
    return player;
}

namespace {
SoundBankSink TheBankSink;
} // namespace

void SetSoundEffectGate(std::function<bool()> allowed) {
    GameSoundEffects().Bind(&TheBankSink, std::move(allowed));
}

void PlaySoundEffect(int id, int8_t) {
    // Nothing plays without a sound bank.
    if (!TheSoundBank) return;
    SoundEffectPlayer& player = GameSoundEffects();
    if (!player.IsBound()) player.Bind(&TheBankSink, nullptr);
    player.Play(id);
}
