#pragma once

#include <array>
#include <cstdint>

// What the game remembers across runs besides the saves: one record per stage number in
// "RecordData.sav" and the labels of the 16 save slots in "RecordLabel.sav". Neither file has
// a header; both are written whole.
struct StageRecord {
    int32_t year = 0;
    int32_t month = 0;
    int32_t actOption = 0;
    int32_t won = 0;
    int32_t bestScore = 0;
};

struct SaveSlotLabel {
    uint8_t inUse = 0;
    uint8_t spare = 0;
    uint16_t number = 0;
    char text1[20] = {};
    char text2[20] = {};
    uint32_t value1 = 0;
    uint32_t value2 = 0;
    uint32_t value3 = 0;
};

constexpr int StageRecordCount = 47;
constexpr int StageRecordSize = 20;
constexpr int SlotLabelCount = 16;
constexpr int SlotLabelSize = 56;

using StageRecordTable = std::array<StageRecord, StageRecordCount>;
using SlotLabelTable = std::array<SaveSlotLabel, SlotLabelCount>;

// Reads "RecordLabel.sav": the save counter and the 16 labels. A missing file leaves the
// counter 0 and every label empty; a short one leaves zeros where it ends. Returns whether
// the file was there.
bool ReadSlotLabelFile(const char* path, uint32_t& count, SlotLabelTable& labels);
// Reads "RecordData.sav". A missing file clears every won flag and keeps the other fields.
bool ReadStageRecordFile(const char* path, StageRecordTable& records);
// Write the files whole through a temporary file renamed into place.
bool WriteSlotLabelFile(const char* path, uint32_t count, const SlotLabelTable& labels);
bool WriteStageRecordFile(const char* path, const StageRecordTable& records);

// Fills the record of a stage number that came from a file or the game; an index outside the
// table writes nothing and answers false.
bool SetStageRecord(StageRecordTable& records, int stageIndex, const StageRecord& record);
