#include "troops/SoldierTypeColumns.h"

#include "records/RecordTables.h"

namespace {
const uint8_t* Block(int32_t type) {
    if (type < 0 || type >= SoldierTypeCount) return nullptr;
    return SoldierTypeBlock(type);
}
} // namespace

bool HasSoldierType(int32_t type) {
    return Block(type) != nullptr;
}

int32_t SoldierTypeValue(int32_t type, uint32_t column) {
    const uint8_t* b = Block(type);
    if (!b) return 0;
    return static_cast<int32_t>(b[column] | (b[column + 1] << 8) | (b[column + 2] << 16) |
                                (static_cast<uint32_t>(b[column + 3]) << 24));
}
