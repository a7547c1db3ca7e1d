#pragma once

#include "records/DataSet.h"

#include <cstdint>

// Byte offsets of the item block's columns that other code reads.
struct ItemLayout {
    static constexpr uint32_t kNumber = 20;   // "物品編號"
    static constexpr uint32_t kCategory = 28; // "類別"
    static constexpr uint32_t kPrice = 32;    // "價值"
    static constexpr uint32_t kLevel = 36;    // "等級"
};

// One row of "item.ini": a weapon, armour, treasure or consumable that generals equip or carry.
class ItemRecord : public DataSet {
public:
    static constexpr uint32_t kSize = 192;
    static constexpr uint32_t kNameBytes = 20;

    explicit ItemRecord(int32_t owner);
    ~ItemRecord() override;

    std::string_view Name() const { return Text(0, kNameBytes); }

    int32_t owner = 0;
};

extern const char* const ItemColumnNames[44];
const FieldSchema& ItemSchema();
