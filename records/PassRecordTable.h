#pragma once

#include <cstdint>
#include <memory>

// The officer blocks of the player's named generals that left the map, by person number, carried
// to the later stages of a campaign. An entry is allocated on first use.
class PassRecordTable {
public:
    static constexpr int kEntries = 600; // person numbers index it like the template table
    static constexpr uint32_t kBlockBytes = 432;

    // The entry of the person, allocated (zeroed) on first use; null for a number outside the table.
    uint8_t* Entry(int32_t person);
    // The entry when one exists.
    const uint8_t* Find(int32_t person) const;
    void Clear();

private:
    std::unique_ptr<uint8_t[]> entries_[kEntries];
};

PassRecordTable& PassRecords();
