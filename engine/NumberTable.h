#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// The plain-text number list "data.txt": one number a line, read by index (entry 5 the missile
// gravity, entry 89 the frame period).
constexpr int kNumberTableSize = 256;
extern double NumberTableValues[kNumberTableSize];

// Parses "data.txt" bytes into table: each line holds a word, a blank, any comment and the line
// end (CR LF or LF). The word is read up to the first blank and converted as atof does in the "C"
// locale. Reading stops at the end of the bytes, at the word "end", at a line without a blank and
// at the end of the table. Returns the number of entries stored.
int ParseNumberTable(std::span<const uint8_t> text, double* table, int capacity);

class NumberTable {
public:
    // Reads "data.txt" of the working folder into NumberTableValues; a missing file leaves the
    // table as it was.
    NumberTable();
    ~NumberTable() = default;
};

extern NumberTable* TheNumberTable;
