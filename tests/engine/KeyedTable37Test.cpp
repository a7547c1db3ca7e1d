#include "engine/KeyedTable37.h"

#include <gtest/gtest.h>

namespace {

int redraws = 0;
void CountRedraw() {
    ++redraws;
}

TEST(KeyedTable37, AddsNewKeysOnlyAndDropsTheOldestWhenFull) {
    KeyedTable37 table;
    EXPECT_EQ(table.count, 0);
    for (const auto& slot : table.slots) {
        EXPECT_EQ(slot.used, 0);
        EXPECT_EQ(slot.key, 0);
        EXPECT_EQ(slot.c, 0);
    }

    redraws = 0;
    KeyedTable37::RedrawHook = CountRedraw;
    table.Add(10, 20, 30, 0); // key 0 is held by every free slot
    EXPECT_EQ(table.count, 0);
    EXPECT_EQ(redraws, 0);

    for (int32_t key = 1; key <= 37; ++key)
        table.Add(key * 10, key * 20, key * 30, key);
    EXPECT_EQ(table.count, 37);
    EXPECT_EQ(redraws, 37);
    EXPECT_EQ(table.slots[0].used, 1);
    EXPECT_EQ(table.slots[0].a, 10);
    EXPECT_EQ(table.slots[0].b, 20);
    EXPECT_EQ(table.slots[0].c, 30);
    EXPECT_EQ(table.slots[0].key, 1);

    table.Add(1, 2, 3, 5); // key present: nothing changes
    EXPECT_EQ(table.count, 37);
    EXPECT_EQ(table.slots[4].a, 50);
    EXPECT_EQ(redraws, 37);

    table.Add(380, 760, 1140, 38); // the 38th key pushes out the first
    EXPECT_EQ(table.count, 37);
    EXPECT_EQ(table.slots[0].key, 2);
    EXPECT_EQ(table.slots[35].key, 37);
    EXPECT_EQ(table.slots[36].key, 38);
    EXPECT_EQ(table.slots[36].a, 380);
    EXPECT_EQ(table.slots[36].used, 1);
    table.Add(0, 0, 0, 1); // the dropped key can come back
    EXPECT_EQ(table.slots[0].key, 3);
    EXPECT_EQ(table.slots[36].key, 1);
    KeyedTable37::RedrawHook = nullptr;
}

} // namespace
