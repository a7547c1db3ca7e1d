#include "platform/GlobalMemory.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace platform;

namespace {

TEST(GlobalMemory, BlocksAreZeroFilledAndCountTheirLocks) {
    for (uint32_t flags : {GHND, GMEM_MOVEABLE, GMEM_FIXED}) {
        HGLOBAL block = GlobalAlloc(flags, 1000);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(GlobalSize(block), 1000u);
        auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
        ASSERT_NE(bytes, nullptr);
        for (size_t i = 0; i < 1000; ++i)
            ASSERT_EQ(bytes[i], 0) << i;
        std::memset(bytes, 0xAB, 1000);
        EXPECT_EQ(GlobalLock(block), bytes); // the block never moves
        EXPECT_NE(GlobalUnlock(block), 0);   // still locked once
        EXPECT_EQ(GlobalUnlock(block), 0);
        EXPECT_EQ(GlobalUnlock(block), 0); // not locked: stays 0
        EXPECT_EQ(GlobalFree(block), nullptr);
    }
}

TEST(GlobalMemory, EmptyNullAndOversizedBlocks) {
    HGLOBAL empty = GlobalAlloc(GHND, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(GlobalSize(empty), 0u);
    EXPECT_EQ(GlobalLock(empty), nullptr);
    EXPECT_EQ(GlobalFree(empty), nullptr);

    EXPECT_EQ(GlobalLock(nullptr), nullptr);
    EXPECT_EQ(GlobalUnlock(nullptr), 0);
    EXPECT_EQ(GlobalSize(nullptr), 0u);
    EXPECT_EQ(GlobalFree(nullptr), nullptr);

    EXPECT_EQ(GlobalAlloc(GHND, GlobalAllocLimit + 1), nullptr);
    EXPECT_EQ(GlobalAlloc(GHND, SIZE_MAX), nullptr);
}

} // namespace
