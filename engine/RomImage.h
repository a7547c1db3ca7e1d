#pragma once

#include "engine/RomFormat.h"

#include <cstdint>
#include <optional>
#include <vector>

// A packed archive held whole in one memory block (owned), with the reader's operations on memory.
// Attach checks the header and the table against the block; entries outside it read as none.
class RomImage {
public:
    using Buffer = std::vector<uint8_t>;

    RomImage() = default;

    // Takes the block; false (and the image left empty) when its header or table does not fit.
    bool Attach(Buffer block);
    bool IsLoaded() const { return header != nullptr; }
    int GetCount() const;

    int ReadPictureSize(int index, int* width, int* height) const;
    // Rows of the picture into dest, pitch bytes apart, converted as the file reader does; rows the
    // entry does not hold are zeroed. 1 when every row was there.
    int ReadPictureRows(int index, uint8_t* dest, int width, int rows, int pitch, int convert,
                        uint16_t key) const;
    uint32_t GetEntrySize(int index) const;
    int GetEntryInfo(int index, uint16_t* flagsLow, uint16_t* flagsHigh, uint16_t* extraLow,
                     uint16_t* extraHigh) const;
    // A new copy of the entry's data, unpacked when it is packed and bit 0 of `unpack` is set.
    std::optional<Buffer> CopyEntry(int index, int unpack) const;
    // The first n bytes of the stored data; the count copied (the rest of the buffer zeroed).
    uint32_t CopyFirst(int index, void* buffer, uint32_t n) const;
    // Overwrites the stored data in place with n bytes (at most the stored size); 1 on success.
    int OverwriteEntry(int index, const void* data, uint32_t n);

private:
    bool ValidEntry(int index, RomFormat::Entry& out) const;

    uint32_t entrySize = RomFormat::kBaseEntrySize;
    const uint8_t* header = nullptr;
    const uint8_t* entryTable = nullptr;
    Buffer block;
};
