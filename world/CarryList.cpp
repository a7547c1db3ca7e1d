#include "world/CarryList.h"

#include "records/OfficerRecord.h"

#include <cstring>

namespace {
constexpr int32_t kCarryTemplate = 100;
constexpr int32_t kNoOwner = -1;

OfficerRecord* At(uintptr_t v) {
    return reinterpret_cast<OfficerRecord*>(v);
}
} // namespace

CarryList::~CarryList() {
    Clear();
}

void CarryList::Clear() {
    for (uintptr_t v = records.First(); v != 0; v = records.First()) {
        records.RemoveValue(v);
        delete At(v);
    }
}

void CarryList::Save(const OfficerRecord& officer) {
    const int32_t person = officer.Get(OfficerLayout::kPersonNumber);
    while (OfficerRecord* old = Find(person)) {
        records.RemoveValue(reinterpret_cast<uintptr_t>(old));
        delete old;
    }
    auto* copy = new OfficerRecord(kNoOwner, kCarryTemplate);
    std::memcpy(copy->block, officer.block, OfficerLayout::kSize);
    records.Add(reinterpret_cast<uintptr_t>(copy));
}

OfficerRecord* CarryList::Find(int32_t person) {
    for (uintptr_t v = records.First(); v != 0; v = records.Next())
        if (At(v)->Get(OfficerLayout::kPersonNumber) == person) return At(v);
    return nullptr;
}
