#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"
#include "support/StageBytes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <vector>

using testsupport::StageBytes;

// A sized block keeps what fits in the buffer, zero past it, skips the rest; a block that runs
// past the end of the file is an error that sticks.
TEST(StageReader, SizedBlocksKeepWhatFitsAndFailWhenTheFileEnds) {
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        bool ok;
        std::vector<uint8_t> buffer; // 4 bytes
        size_t left;                 // bytes after the block
    };
    const Case cases[] = {
        {"exact", StageBytes().u32(4).words({0x04030201}).u8(9), true, {1, 2, 3, 4}, 1},
        {"shorter", StageBytes().u32(2).u16(0x0201).u8(9), true, {1, 2, 0, 0}, 1},
        {"longer", StageBytes().u32(6).words({0x04030201}).u16(0x0605).u8(9), true, {1, 2, 3, 4}, 1},
        {"cut short", StageBytes().u32(8).words({0x04030201}), false, {0, 0, 0, 0}, 0},
        {"no length", StageBytes().u16(4), false, {0, 0, 0, 0}, 0},
    };
    for (const Case& c : cases) {
        StageReader in(c.file, StageLoadMode::Restore);
        uint8_t buffer[4] = {7, 7, 7, 7};
        EXPECT_EQ(in.SizedBlock(buffer, sizeof buffer), c.ok) << c.name;
        EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 4), c.buffer) << c.name;
        EXPECT_EQ(in.ok(), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(in.remaining(), c.left) << c.name;
        } else {
            EXPECT_EQ(in.u32(), 0u) << c.name << ": reads after an error give nothing";
            EXPECT_FALSE(in.ok()) << c.name;
        }
    }
}

// A count must be non-negative and fit the bytes left at the least size of an entry.
TEST(StageReader, CountsThatTheFileCannotHoldAreRefused) {
    struct Case {
        int32_t count;
        size_t tail;
        size_t entry;
        bool ok;
    };
    const Case cases[] = {{0, 0, 8, true},    {3, 24, 8, true},           {4, 24, 8, false},
                          {-1, 64, 8, false}, {0x7FFFFFFF, 64, 8, false}, {2, 0, 0, true}};
    for (const Case& c : cases) {
        const StageBytes file = StageBytes().i32(c.count).zeros(c.tail);
        StageReader in(file, StageLoadMode::Fresh);
        int32_t n = -5;
        EXPECT_EQ(in.Count(n, c.entry), c.ok) << c.count;
        EXPECT_EQ(n, c.ok ? c.count : 0) << c.count;
        EXPECT_EQ(in.ok(), c.ok) << c.count;
    }
}

TEST(StageWriter, SavedBytesReadBackThroughTheReader) {
    testsupport::TempFolder folder;
    StageWriter out;
    out.i32(-2);
    out.SizedBlock("abc", 3);
    out.u16(0xBEEF);
    ASSERT_TRUE(out.Save("Stage.bin"));
    const auto bytes = StageReader::ReadFile("stage.bin");
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, out.bytes());
    StageReader in(*bytes, StageLoadMode::Restore);
    EXPECT_EQ(in.i32(), -2);
    char text[3];
    EXPECT_TRUE(in.SizedBlock(text, 3));
    EXPECT_EQ(in.u16(), 0xBEEF);
    EXPECT_EQ(in.remaining(), 0u);
    EXPECT_FALSE(StageReader::ReadFile("missing.bin"));
}
