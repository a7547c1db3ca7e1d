#pragma once

#include "engine/LinkList.h"

#include <cstdint>

class OfficerRecord;

// Copies of named generals' officer blocks, at most one per person number, read back when the
// general appears again. Owns its records.
class CarryList {
public:
    CarryList() = default;
    ~CarryList();
    CarryList(const CarryList&) = delete;
    CarryList& operator=(const CarryList&) = delete;

    // Replaces the person's entry by a copy of the officer's block.
    void Save(const OfficerRecord& officer);
    // The entry of the person number, or null.
    OfficerRecord* Find(int32_t person);
    void Clear();

    LinkList records; // OfficerRecord*, owned
};
