#include "records/AgeTable.h"

#include <memory>

namespace {
std::unique_ptr<uint8_t[]>& Entry(int32_t index) {
    static std::unique_ptr<uint8_t[]> table[kAgeTableSize];
    return table[index];
}
bool Valid(int32_t index) {
    return index >= 0 && index < kAgeTableSize;
}
} // namespace

const uint8_t* AgeBlock(int32_t index) {
    return Valid(index) ? Entry(index).get() : nullptr;
}

uint8_t* NewAgeBlock(int32_t index) {
    if (!Valid(index)) return nullptr;
    Entry(index) = std::make_unique<uint8_t[]>(kAgeBlockBytes);
    return Entry(index).get();
}

void ClearAgeTable() {
    for (int32_t i = 0; i < kAgeTableSize; ++i)
        Entry(i).reset();
}
