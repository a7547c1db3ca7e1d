#include "engine/RomImage.h"

#include "engine/Lh5.h"

#include <cstring>

using namespace RomFormat;

bool RomImage::Attach(Buffer data) {
    header = entryTable = nullptr;
    block.clear();
    if (data.size() < kHeaderSize) return false;
    const Header h = ParseHeader(data.data());
    const uint32_t size = EntrySizeOf(h);
    if (size == 0 || kHeaderSize + static_cast<uint64_t>(h.count) * size > data.size()) return false;
    block = std::move(data);
    entrySize = size;
    header = block.data();
    entryTable = block.data() + kHeaderSize;
    return true;
}

int RomImage::GetCount() const {
    return header ? ParseHeader(header).count : 0;
}

bool RomImage::ValidEntry(int index, Entry& out) const {
    if (!header || index < 0 || index >= GetCount()) return false;
    out = RomFormat::ReadEntry(entryTable + static_cast<size_t>(index) * entrySize);
    return InsideFile(out, block.size());
}

int RomImage::ReadPictureSize(int index, int* width, int* height) const {
    if (width) *width = 0;
    if (height) *height = 0;
    Entry e;
    if (!ValidEntry(index, e) || e.size < kPicturePixels) return 0;
    const uint8_t* d = block.data() + e.offset + kPictureHeaderSize;
    const uint32_t w = d[0] | (d[1] << 8), h = d[2] | (d[3] << 8);
    if (kPicturePixels + static_cast<uint64_t>(w) * h * 2 > e.size) return 0;
    if (width) *width = static_cast<int>(w);
    if (height) *height = static_cast<int>(h);
    return 1;
}

int RomImage::ReadPictureRows(int index, uint8_t* dest, int width, int rows, int pitch, int convert,
                              uint16_t key) const {
    Entry e;
    if (!dest || width < 0 || rows < 0 || !ValidEntry(index, e)) return 0;
    const uint64_t rowBytes = static_cast<uint64_t>(width) * 2;
    const uint64_t have = e.size > kPicturePixels ? e.size - kPicturePixels : 0;
    const uint64_t whole = rowBytes ? have / rowBytes : static_cast<uint64_t>(rows);
    const int n = whole < static_cast<uint64_t>(rows) ? static_cast<int>(whole) : rows;
    CopyRows(block.data() + e.offset + kPicturePixels, dest, width, n, pitch, convert, key);
    for (int y = n; y < rows; ++y)
        std::memset(dest + static_cast<ptrdiff_t>(y) * pitch, 0, static_cast<size_t>(rowBytes));
    return n == rows ? 1 : 0;
}

uint32_t RomImage::GetEntrySize(int index) const {
    Entry e;
    if (!ValidEntry(index, e)) return 0;
    if (!e.packed()) return e.size;
    Lh5::PackedHeader ph;
    if (!Lh5::ReadPackedHeader(block.data() + e.offset, e.size, ph) || !Lh5::Plausible(ph, e.size)) return 0;
    return ph.unpackedSize;
}

int RomImage::GetEntryInfo(int index, uint16_t* flagsLow, uint16_t* flagsHigh, uint16_t* extraLow,
                           uint16_t* extraHigh) const {
    Entry e;
    const bool ok = header && index >= 0 && index < GetCount();
    if (ok) e = RomFormat::ReadEntry(entryTable + static_cast<size_t>(index) * entrySize);
    if (flagsLow) *flagsLow = static_cast<uint16_t>(e.flags);
    if (flagsHigh) *flagsHigh = static_cast<uint16_t>(e.flags >> 16);
    if (extraLow) *extraLow = static_cast<uint16_t>(e.extra);
    if (extraHigh) *extraHigh = static_cast<uint16_t>(e.extra >> 16);
    return ok ? 1 : 0;
}

std::optional<RomImage::Buffer> RomImage::CopyEntry(int index, int unpack) const {
    Entry e;
    if (!ValidEntry(index, e) || e.size == 0) return std::nullopt;
    const uint8_t* d = block.data() + e.offset;
    if (e.packed() && (unpack & 1)) return Lh5::Unpack(d, e.size);
    return Buffer(d, d + e.size);
}

uint32_t RomImage::CopyFirst(int index, void* buffer, uint32_t n) const {
    if (!buffer) return 0;
    if (n) std::memset(buffer, 0, n);
    Entry e;
    if (!ValidEntry(index, e)) return 0;
    const uint32_t count = n < e.size ? n : e.size;
    if (count) std::memcpy(buffer, block.data() + e.offset, count);
    return count;
}

int RomImage::OverwriteEntry(int index, const void* data, uint32_t n) {
    Entry e;
    if (!data || !ValidEntry(index, e) || n > e.size) return 0;
    if (n) std::memcpy(block.data() + e.offset, data, n);
    return 1;
}
