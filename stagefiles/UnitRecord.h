#pragma once

#include <cstdint>

class StageReader;
class StageWriter;
class Troop;

// Offsets of the 372-byte unit record that more than one step reads.
struct UnitRecordLayout {
    static constexpr uint32_t kSize = 372;
    static constexpr uint32_t kOrderSize = 48;
    static constexpr uint32_t kPathNodeSize = 16;
    static constexpr uint32_t kSearchNodeSize = 12;
    static constexpr uint32_t kCellX = 2;
    static constexpr uint32_t kCellY = 4;
    static constexpr uint32_t kSelected = 6;
    static constexpr uint32_t kDrawingMode = 20;
    static constexpr uint32_t kTargetCells = 28; // troop x, y, then object x, y
    static constexpr uint32_t kVisibleMark = 54;
    static constexpr uint32_t kTransient = 96;
    static constexpr uint32_t kState = 108;
    static constexpr uint32_t kOwner = 118;
    static constexpr uint32_t kOldHomeCity = 119;
    static constexpr uint32_t kPixel = 124;
    static constexpr uint32_t kGarrison = 188;
    static constexpr uint32_t kBaseType = 256;
    static constexpr uint32_t kTargetWord = 264;
    static constexpr uint32_t kPathCount = 332;
    static constexpr uint32_t kSearchCount = 336;
    static constexpr uint32_t kTargetSerials = 340;
    static constexpr uint32_t kHomeCity = 370;
};

// The soldier-file version whose unit records carry the 16-bit home city id.
constexpr int32_t kUnitVersionWithWideHomeCity = 5;

// The sizes a file's header gives for its unit and order records.
struct UnitRecordSizes {
    uint32_t unit = UnitRecordLayout::kSize;
    uint32_t order = UnitRecordLayout::kOrderSize;
};

// The unit record, the order record, the path nodes and the search nodes of a troop; the caller
// writes its officer next. Links between nodes are written as 0: readers relink by count.
void PackUnitRecord(StageWriter& out, const Troop& troop);

// Copies a 372-byte unit record into a troop just built in its reduced form. `version` is the
// soldier-file version of the file (the home city rule); on a fresh stage the targets go.
void UnpackUnitRecord(const uint8_t* record, Troop& troop, int32_t version, bool fresh);

// Copies the order record's fields into the troop's order.
void UnpackOrderRecord(const uint8_t* record, Troop& troop);

// The path and search nodes of the record's two counts, linked in file order. False, with the
// file marked damaged, when the counts run past the bytes left.
bool ReadUnitNodes(StageReader& in, Troop& troop, uint32_t pathCount, uint32_t searchCount);
