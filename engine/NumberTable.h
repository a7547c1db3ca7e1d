#pragma once

#include "gui/RootObject.h"

// The number list "data.txt": the first word of each line as a double, by line number, until
// the word "end". Entry 5 is the gravity of ballistic missiles, entry 89 the frame period in ms.
constexpr int NumberTableSize = 256;
extern double NumberValues[NumberTableSize];

class NumberTable : public RootObject {
public:
    NumberTable();
    ~NumberTable() override = default;
};

extern NumberTable* TheNumberTable;
