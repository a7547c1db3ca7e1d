#pragma once

#include <cstdint>

class OfficerRecord;
class StageReader;
class StageWriter;

// Where the stage officer record keeps the officer object's own words: a 56-byte state block
// written before the officer's data block.
struct StageOfficerLayout {
    static constexpr uint32_t kSize = 56;
    static constexpr uint32_t kStatusWord = 0; // then the three terrain words at 4, 8 and 12
    static constexpr uint32_t kActivity0 = 16;
    static constexpr uint32_t kSerial = 24;
    static constexpr uint32_t kActivity1 = 32;
    static constexpr uint32_t kExperience = 36;
    static constexpr uint32_t kCounters = 40; // three half-words
    static constexpr uint32_t kOwnerSide = 48;
    static constexpr uint32_t kActivity2 = 52;
};

// Column offsets of the officer block that only the stage officer record touches.
struct StageOfficerColumns {
    static constexpr uint32_t kCommand = 416; // "統御力"
};

// u32 56, the state block, then the officer's data block as the record framework saves it.
void SaveStageOfficer(StageWriter& out, const OfficerRecord& officer);

// Reads a record written by SaveStageOfficer into an officer just built with no template. On a
// fresh stage the officer keeps its new serial and is rebuilt from its general template (level,
// experience, stats, name). False, with the file marked damaged, when its bytes run out.
bool LoadStageOfficer(StageReader& in, OfficerRecord& officer);

// The experience an officer of that level starts with: 0 for level 1, then 200 x 1.5^(level - 2)
// rounded half up; levels outside 1..30 count as the nearest end.
int32_t ExperienceThreshold(int32_t level);
