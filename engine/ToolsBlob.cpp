#include "engine/Tools.h"

namespace {
constexpr uint32_t kOffsetMask = ~3u;

uint32_t ReadWord(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void WriteWord(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

bool WordFits(uint64_t pos, size_t size) {
    return pos + 4 <= size;
}
} // namespace

// Blob layout: word 0 is the offset of the index {start, end, count, item offsets...}. Offsets
// count from the blob's start and their two low bits are ignored. Every offset is checked
// against the blob's size, since the blob comes from a file.
uint8_t* Zu_Tools::GetBlobItem(uint8_t* blob, size_t blobSize, int32_t index) {
    if (!blob || index < 0 || !WordFits(0, blobSize)) return nullptr;
    const uint64_t indexPos = ReadWord(blob) & kOffsetMask;
    if (!WordFits(indexPos + 8, blobSize)) return nullptr;
    uint8_t* idx = blob + indexPos;

    uint32_t count = ReadWord(idx + 8);
    if (count == 0) {
        // Items not yet counted: count them from the start and end offsets, once.
        const uint32_t start = ReadWord(idx);
        const uint32_t end = ReadWord(idx + 4);
        if (end < start) return nullptr;
        count = (end - start) / 4;
        if (count == 0) return nullptr;
        WriteWord(idx + 8, count);
    }
    uint64_t item = static_cast<uint32_t>(index);
    if (item >= count) item = count - 1;
    const uint64_t entryPos = indexPos + 12 + item * 4;
    if (!WordFits(entryPos, blobSize)) return nullptr;
    const uint64_t itemPos = ReadWord(blob + entryPos) & kOffsetMask;
    if (itemPos >= blobSize) return nullptr;
    return blob + itemPos;
}

uint8_t* Zu_Tools::BlobEntry(uint8_t* blob, size_t blobSize, int32_t index) {
    if (!blob || index < 0 || !WordFits(static_cast<uint64_t>(index) * 4, blobSize)) return nullptr;
    uint32_t offset = ReadWord(blob + static_cast<size_t>(index) * 4);
    if (offset == 0) {
        if (!WordFits(12, blobSize)) return nullptr;
        offset = ReadWord(blob + 12);
    }
    if (offset == 0 || offset >= blobSize) return nullptr;
    return blob + offset;
}

uint32_t Zu_Tools::WordTableEntry(const uint8_t* table, size_t tableSize, int32_t index) {
    if (!table || index < 0 || !WordFits(static_cast<uint64_t>(index) * 4, tableSize)) return 0;
    const uint32_t word = ReadWord(table + static_cast<size_t>(index) * 4);
    if (word != 0) return word;
    return WordFits(12, tableSize) ? ReadWord(table + 12) : 0;
}
