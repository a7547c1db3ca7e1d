#pragma once

#include "records/DataSet.h"

#include <cstdint>

// Byte offsets of the skill block's columns that other code reads.
struct SkillLayout {
    static constexpr uint32_t kPicture = 148; // "圖檔名": the skill clip's name
    static constexpr uint32_t kPictureBytes = 20;
    static constexpr uint32_t kDescription = 168;
    static constexpr uint32_t kCentreX = 188;
    static constexpr uint32_t kCentreY = 192;
};

// One row of "skill.ini": a skill with its costs, effects and animation.
class SkillRecord : public DataSet {
public:
    static constexpr uint32_t kSize = 196;
    static constexpr uint32_t kNameBytes = 20;

    explicit SkillRecord(int32_t owner);
    ~SkillRecord() override;

    std::string_view Name() const { return Text(0, kNameBytes); }

    int32_t owner = 0;
};

extern const char* const SkillColumnNames[37];
const FieldSchema& SkillSchema();
