#pragma once

#include "records/DataSet.h"

#include <cstdint>

// Byte offsets of the soldier-type block's columns that other code reads.
struct SoldierTypeLayout {
    static constexpr uint32_t kNumber = 20;         // "兵種編號"
    static constexpr uint32_t kSeaCounterpart = 52; // "海上對應"
};

// One row of "soldier.ini": a troop type with its ranges, speed, costs and combat values.
class SoldierTypeRecord : public DataSet {
public:
    static constexpr uint32_t kSize = 104;
    static constexpr uint32_t kNameBytes = 20;

    explicit SoldierTypeRecord(int32_t owner);
    ~SoldierTypeRecord() override;

    std::string_view Name() const { return Text(0, kNameBytes); }

    int32_t owner = 0;
};

extern const char* const SoldierTypeColumnNames[22];
const FieldSchema& SoldierTypeSchema();
