#include "Program/StageRecords.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::string Pattern(size_t n, uint8_t seed) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>(seed + i * 7);
    return s;
}

} // namespace

TEST(StageRecords, RecordFileRoundTripsByteExact) {
    testsupport::TempFolder folder;
    const std::string original = Pattern(940, 3);
    testsupport::TempFolder::Write("RecordData.sav", original);
    StageRecordTable records{};
    ASSERT_TRUE(ReadStageRecordFile("RecordData.sav", records));
    ASSERT_TRUE(WriteStageRecordFile("RecordData.sav", records));
    EXPECT_EQ(testsupport::TempFolder::Read("RecordData.sav"), original);
    EXPECT_FALSE(std::filesystem::exists("RecordData.sav.tmp"));
}

TEST(StageRecords, LabelFileRoundTripsByteExactWhenTextsEnd) {
    testsupport::TempFolder folder;
    SlotLabelTable labels{};
    labels[5].inUse = 2;
    labels[5].spare = 9;
    labels[5].number = 0x1234;
    std::strcpy(labels[5].text1, "\xA5\xAA\xA4\xFD"); // 全王
    std::strcpy(labels[5].text2, "Liu Bei");
    labels[5].value1 = 210;
    labels[5].value2 = 7;
    labels[5].value3 = 0xFFFFFFFF;
    ASSERT_TRUE(WriteSlotLabelFile("RecordLabel.sav", 42, labels));
    const std::string written = testsupport::TempFolder::Read("RecordLabel.sav");
    ASSERT_EQ(written.size(), 900u);
    EXPECT_EQ(static_cast<uint8_t>(written[0]), 42);
    EXPECT_EQ(static_cast<uint8_t>(written[4 + 5 * 56 + 2]), 0x34);

    uint32_t count = 0;
    SlotLabelTable back{};
    ASSERT_TRUE(ReadSlotLabelFile("RecordLabel.sav", count, back));
    EXPECT_EQ(count, 42u);
    ASSERT_TRUE(WriteSlotLabelFile("RecordLabel.sav", count, back));
    EXPECT_EQ(testsupport::TempFolder::Read("RecordLabel.sav"), written);
}

TEST(StageRecords, ShortAndMissingFilesLeaveZerosAndEndTexts) {
    testsupport::TempFolder folder;
    // A label file cut inside label 0's first text, whose bytes run to the end of the field.
    std::string shortLabels(4 + 4 + 20, 'A');
    shortLabels[0] = 3;
    shortLabels[1] = shortLabels[2] = shortLabels[3] = 0;
    testsupport::TempFolder::Write("RecordLabel.sav", shortLabels);
    uint32_t count = 99;
    SlotLabelTable labels{};
    labels[1].inUse = 1;
    labels[1].value3 = 77;
    ASSERT_TRUE(ReadSlotLabelFile("RecordLabel.sav", count, labels));
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(std::strlen(labels[0].text1), 19u);
    EXPECT_EQ(labels[0].text2[0], 0);
    EXPECT_EQ(labels[1].inUse, 0);
    EXPECT_EQ(labels[1].value3, 0u);

    // A record file of one and a half records: the rest reads as zeros.
    testsupport::TempFolder::Write("RecordData.sav", Pattern(30, 1));
    StageRecordTable records{};
    records[2].won = 1;
    ASSERT_TRUE(ReadStageRecordFile("RecordData.sav", records));
    EXPECT_NE(records[0].year, 0);
    EXPECT_EQ(records[1].actOption & 0xFFFF0000, 0);
    EXPECT_EQ(records[1].won, 0);
    EXPECT_EQ(records[2].won, 0);

    // Missing files: counts and won flags clear, other fields stay.
    std::filesystem::remove("RecordLabel.sav");
    std::filesystem::remove("RecordData.sav");
    labels[4].inUse = 1;
    labels[4].value1 = 5;
    records[7] = StageRecord{1, 2, 1, 1, 300};
    EXPECT_FALSE(ReadSlotLabelFile("RecordLabel.sav", count, labels));
    EXPECT_FALSE(ReadStageRecordFile("RecordData.sav", records));
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(labels[4].inUse, 0);
    EXPECT_EQ(labels[4].value1, 5u);
    EXPECT_EQ(records[7].won, 0);
    EXPECT_EQ(records[7].bestScore, 300);
}

TEST(StageRecords, StageIndexFromAFileWritesOnlyInsideTheTable) {
    StageRecordTable records{};
    const StageRecord r{200, 3, 1, 1, 950};
    struct Case {
        int index;
        bool written;
    } cases[] = {{0, true}, {23, true}, {46, true}, {47, false}, {200, false}, {-1, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(SetStageRecord(records, c.index, r), c.written) << c.index;
        if (c.written) {
            EXPECT_EQ(records[static_cast<size_t>(c.index)].bestScore, 950);
        }
    }
}

TEST(StageRecords, WriteIntoAMissingFolderFailsAndLeavesNothing) {
    testsupport::TempFolder folder;
    StageRecordTable records{};
    EXPECT_FALSE(WriteStageRecordFile("nofolder/RecordData.sav", records));
    EXPECT_FALSE(std::filesystem::exists("nofolder"));
}
