#pragma once

#include <cstdint>

// The age blocks of "age.ini": raw 276-byte blocks (texts at 4 and 36, a word at 272) by age
// index; record k of the file is entry 11 + k, so entries 0 to 10 stay empty.
constexpr int kAgeTableSize = 100;
constexpr int kFirstAgeEntry = 11;
constexpr uint32_t kAgeBlockBytes = 276;

// The block of an age index, or null when the index names none.
const uint8_t* AgeBlock(int32_t index);
// A cleared block stored at the index (replacing one there); null outside the table.
uint8_t* NewAgeBlock(int32_t index);
void ClearAgeTable();
