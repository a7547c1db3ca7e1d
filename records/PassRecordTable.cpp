#include "records/PassRecordTable.h"

uint8_t* PassRecordTable::Entry(int32_t person) {
    if (person < 0 || person >= kEntries) return nullptr;
    if (!entries_[person]) entries_[person] = std::make_unique<uint8_t[]>(kBlockBytes);
    return entries_[person].get();
}

const uint8_t* PassRecordTable::Find(int32_t person) const {
    if (person < 0 || person >= kEntries) return nullptr;
    return entries_[person].get();
}

void PassRecordTable::Clear() {
    for (auto& entry : entries_)
        entry.reset();
}

PassRecordTable& PassRecords() {
    static PassRecordTable table;
    return table;
}
