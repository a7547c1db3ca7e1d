#pragma once

// An item table of a few items for the map tests: per item its icon number ("圖對應") and level.

#include "records/ItemRecord.h"
#include "records/RecordTables.h"

#include <array>
#include <cstring>
#include <utility>
#include <vector>

namespace worldtest {

class Items {
public:
    // Items 1..n, item i with icons[i - 1] and levels[i - 1].
    Items(const std::vector<std::pair<int32_t, int32_t>>& iconAndLevel) : blocks_(iconAndLevel.size() + 1) {
        ClearRecordTables();
        for (size_t i = 1; i < blocks_.size(); ++i) {
            blocks_[i].fill(0);
            Put(i, ItemLayout::kNumber, int32_t(i));
            Put(i, 24, iconAndLevel[i - 1].first);
            Put(i, ItemLayout::kLevel, iconAndLevel[i - 1].second);
            ItemTable[i] = blocks_[i].data();
        }
        ItemCount = int32_t(blocks_.size());
    }
    ~Items() { ClearRecordTables(); }
    Items(const Items&) = delete;
    Items& operator=(const Items&) = delete;

private:
    void Put(size_t item, uint32_t offset, int32_t v) { std::memcpy(blocks_[item].data() + offset, &v, 4); }
    std::vector<std::array<uint8_t, ItemRecord::kSize>> blocks_;
};

} // namespace worldtest
