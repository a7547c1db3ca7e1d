#include "Program/SoundEffects.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

TEST(SoundEffects, IdsNameTheirFiles) {
    const std::map<int, std::string> cases = {
        {0, ""},
        {1, ".\\Wav\\Zs158.wav"},
        {3, ".\\Wav\\Zs158.wav"},
        {4, ".\\Wav\\Zs140.wav"},
        {5, ".\\Wav\\Zs139.wav"},
        {8, ".\\Wav\\Zs140.wav"},
        {9, ".\\Wav\\Zs139.wav"},
        {10, ".\\Wav\\Zs010.wav"},
        {16, ".\\Wav\\Zs016.wav"},
        {17, ".\\Wav\\Zs141.wav"},
        {18, ".\\Wav\\Zs142.wav"},
        {19, ".\\Wav\\Zs019.wav"},
        {20, ".\\Wav\\Zs152.wav"},
        {21, ".\\Wav\\Zs153.wav"},
        {22, ".\\Wav\\Zs155.wav"},
        {23, ".\\Wav\\Zs023.wav"},
        {24, ".\\Wav\\Zs143.wav"},
        {25, ".\\Wav\\Zs144.wav"},
        {26, ".\\Wav\\Zs146.wav"},
        {27, ".\\Wav\\Zs101.wav"},
        {33, ".\\Wav\\Zs107.wav"},
        {34, ".\\Wav\\Zs129.wav"},
        {35, ".\\Wav\\Zs109.wav"},
        {44, ".\\Wav\\Zs118.wav"},
        {45, ".\\Wav\\Zs145.wav"},
        {46, ".\\Wav\\Zs147.wav"},
        {50, ".\\Wav\\Zs151.wav"},
        {51, ".\\Wav\\Zs152.wav"},
        {52, ".\\Wav\\Zs153.wav"},
        {53, ".\\Wav\\Zs160.wav"},
        {56, ".\\Wav\\Zs163.wav"},
        {57, ".\\Wav\\Zs057.wav"},
        {69, ".\\Wav\\Zs069.wav"},
        {70, ".\\Wav\\Zs125.wav"},
        {71, ".\\Wav\\Zs071.wav"},
        {72, ".\\Wav\\Zs120.wav"},
        {80, ".\\Wav\\Zs128.wav"},
        {81, ".\\Wav\\Zs131.wav"},
        {88, ".\\Wav\\Zs138.wav"},
        {89, ".\\Wav\\Zs130.wav"},
        {90, ".\\Wav\\Zs090.wav"},
        {92, ".\\Wav\\Zs092.wav"},
        {93, ".\\Wav\\Zs022.wav"},
        {94, ".\\Wav\\Zs094.wav"},
        {95, ".\\Wav\\Zs095.wav"},
        {96, ".\\Wav\\Winning.wav"},
        {97, ".\\Wav\\Gift.wav"},
        {98, ".\\Wav\\Order.wav"},
        {99, ".\\Wav\\LvUp.wav"},
    };
    for (const auto& [id, path] : cases)
        EXPECT_EQ(SoundEffectPath(id), path) << id;
    EXPECT_EQ(SoundEffectPath(100), nullptr);
    EXPECT_EQ(SoundEffectPath(-1), nullptr);
}

namespace {

// A bank of round-robin slots like the game's.
class FakeBank : public SoundEffectSink {
public:
    explicit FakeBank(int slots) : content(slots, 0), names(slots) {}
    int LoadWave(const char* path) override {
        loads.push_back(path);
        if (failLoads) return -1;
        const int slot = next;
        next = (next + 1) % static_cast<int>(content.size());
        content[slot] = ++serial;
        names[slot] = path;
        return slot;
    }
    void Play(int slot) override { played.push_back(names[slot]); }
    uintptr_t SlotContent(int slot) const override { return content[slot]; }

    std::vector<uintptr_t> content;
    std::vector<std::string> names;
    std::vector<std::string> loads;
    std::vector<std::string> played;
    int next = 0;
    uintptr_t serial = 0;
    bool failLoads = false;
};

} // namespace

TEST(SoundEffects, PlaysOnlyWhenAllowed) {
    FakeBank bank(16);
    bool allowed = true;
    SoundEffectPlayer player;
    player.Play(1); // no bank: nothing
    player.Bind(&bank, [&] { return allowed; });
    for (int id : {-5, -1, 0, 100, 200})
        player.Play(id);
    EXPECT_TRUE(bank.loads.empty());
    allowed = false;
    player.Play(1);
    EXPECT_TRUE(bank.played.empty());
    allowed = true;
    player.Play(99);
    EXPECT_EQ(bank.played, std::vector<std::string>{".\\Wav\\LvUp.wav"});
    bank.failLoads = true;
    player.Play(98);
    EXPECT_EQ(bank.played.size(), 1u);
}

TEST(SoundEffects, RepeatedEffectKeepsItsSlot) {
    FakeBank bank(16);
    SoundEffectPlayer player;
    player.Bind(&bank, nullptr);
    for (int i = 0; i < 40; ++i)
        player.Play(1);
    EXPECT_EQ(bank.loads.size(), 1u);
    EXPECT_EQ(bank.played.size(), 40u);
    // Once other loads have refilled its slot, the effect is loaded again.
    for (int id = 2; id <= 17; ++id)
        player.Play(id + 30);
    player.Play(1);
    EXPECT_EQ(bank.loads.size(), 18u);
    EXPECT_EQ(bank.played.back(), ".\\Wav\\Zs158.wav");
}
