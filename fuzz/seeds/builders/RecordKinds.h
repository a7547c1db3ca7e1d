#pragma once

#include "records/DataSet.h"
#include "records/ItemRecord.h"
#include "records/OfficerRecord.h"
#include "records/SkillRecord.h"
#include "records/SoldierTypeRecord.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The plain record classes and patterned blocks, for the tests and the fuzz seeds.
namespace recordfix {

// One plain record class: how to make one and the block size it saves.
struct RecordKind {
    const char* name;
    uint32_t bytes;
    std::function<std::unique_ptr<DataSet>()> make;
};

inline std::vector<RecordKind> PlainKinds() {
    return {
        {"officer", 432, [] { return std::make_unique<OfficerRecord>(100, -1); }},
        {"item", 192, [] { return std::make_unique<ItemRecord>(100); }},
        {"skill", 196, [] { return std::make_unique<SkillRecord>(100); }},
        {"soldier type", 104, [] { return std::make_unique<SoldierTypeRecord>(100); }},
    };
}

// A block of n bytes whose every byte differs from its neighbours.
inline std::vector<uint8_t> Pattern(uint32_t n, uint8_t seed) {
    std::vector<uint8_t> bytes(n);
    for (uint32_t i = 0; i < n; ++i)
        bytes[i] = static_cast<uint8_t>(seed + i * 7 + 1);
    return bytes;
}

inline void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

} // namespace recordfix
