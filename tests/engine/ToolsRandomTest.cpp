#include "engine/Tools.h"
#include "platform/CRand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// These draws come from the runtime generator (seed 1: 41, 18467, 6334, 26500, ...), so a seed
// gives the same result on every machine.
TEST(ToolsRandom, ShuffleSequenceDrawsFromTheRuntimeGenerator) {
    platform::srand(1);
    int32_t a[5];
    Zu_Tools::ShuffleSequence(a, 5, 10);
    EXPECT_EQ(std::vector<int32_t>(a, a + 5), (std::vector<int32_t>{12, 14, 10, 13, 11}));
}

TEST(ToolsRandom, FreeSlotAndMostFrequent) {
    platform::srand(7);
    const int32_t slots[5] = {0, 3, 0, 0, 9};
    EXPECT_EQ(Zu_Tools::RandomFreeSlot(slots, 5), 2); // starts at 1, wraps forward to the first 0
    const int32_t full[3] = {1, 2, 3};
    EXPECT_EQ(Zu_Tools::RandomFreeSlot(full, 3), -1);
    EXPECT_EQ(Zu_Tools::RandomFreeSlot(full, 0), -1);

    platform::srand(3);
    EXPECT_EQ(Zu_Tools::RandomMostFrequent(4, 9), 3);
    EXPECT_EQ(Zu_Tools::RandomMostFrequent(0, 9), -1);
}

TEST(ToolsRandom, RandomPicksHonoursItsFlags) {
    platform::srand(1);
    int32_t a[5];
    ASSERT_EQ(Zu_Tools::RandomPicks(a, 5, 1, 5, 1, 0), 1);
    std::vector<int32_t> sorted(a, a + 5);
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<int32_t>{1, 2, 3, 4, 5}));

    EXPECT_EQ(Zu_Tools::RandomPicks(a, 5, 1, 3, 1, 0), 0); // fewer values than picks

    int32_t kept[4] = {0, 3, 0, 0};
    ASSERT_EQ(Zu_Tools::RandomPicks(kept, 4, 1, 4, 1 | 2, 1), 1);
    EXPECT_EQ(kept[1], 3);
    std::vector<int32_t> others = {kept[0], kept[2], kept[3]};
    std::sort(others.begin(), others.end());
    EXPECT_EQ(others, (std::vector<int32_t>{1, 2, 4}));

    int32_t loose[6];
    ASSERT_EQ(Zu_Tools::RandomPicks(loose, 6, 7, 9, 0, 0), 1);
    for (int32_t v : loose)
        EXPECT_TRUE(v >= 7 && v <= 9);

    // Only the kept value could be drawn: refused rather than drawn for ever.
    int32_t stuck[2] = {3, 0};
    EXPECT_EQ(Zu_Tools::RandomPicks(stuck, 2, 3, 3, 2, 0), 0);

    // The generator gives 15 bits: more distinct values than 32768 are refused at once, however
    // wide the range; as many as it can give are drawn.
    std::vector<int32_t> many(40000);
    EXPECT_EQ(Zu_Tools::RandomPicks(many.data(), 40000, 0, 1000000, 1, 0), 0);
    std::vector<int32_t> all(32768);
    ASSERT_EQ(Zu_Tools::RandomPicks(all.data(), 32768, 5, 1000000, 1, 0), 1);
    std::sort(all.begin(), all.end());
    EXPECT_EQ(all.front(), 5);
    EXPECT_EQ(all.back(), 5 + 32767);
}

} // namespace
