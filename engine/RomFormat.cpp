#include "engine/RomFormat.h"

#include "engine/ByteReader.h"

#include <cstring>

namespace RomFormat {

Header ParseHeader(const uint8_t* bytes16) {
    ByteReader r(bytes16, kHeaderSize);
    Header h;
    h.count = r.u16();
    h.count2 = r.u16();
    h.version = r.u8();
    h.entrySizeByte = r.u8();
    r.bytes(h.signature, kSignatureSize);
    h.signature[kSignatureSize] = 0;
    return h;
}

void WriteHeaderBytes(const Header& header, uint8_t* bytes16) {
    ByteWriter w;
    w.u16(header.count);
    w.u16(header.count2);
    w.u8(header.version);
    w.u8(header.entrySizeByte);
    w.bytes(header.signature, kSignatureSize);
    std::memcpy(bytes16, w.buffer().data(), kHeaderSize);
}

uint32_t EntrySizeOf(const Header& header) {
    if (header.version < kNamedVersion) return kBaseEntrySize;
    return header.entrySizeByte >= kBaseEntrySize ? header.entrySizeByte : 0;
}

Entry ReadEntry(const uint8_t* entryBytes) {
    ByteReader r(entryBytes, kBaseEntrySize);
    Entry e;
    e.offset = r.u32();
    e.size = r.u32();
    e.flags = r.u32();
    e.extra = r.u32();
    return e;
}

void WriteEntry(const Entry& entry, uint8_t* entryBytes) {
    ByteWriter w;
    w.u32(entry.offset);
    w.u32(entry.size);
    w.u32(entry.flags);
    w.u32(entry.extra);
    std::memcpy(entryBytes, w.buffer().data(), kBaseEntrySize);
}

std::string EntryName(const uint8_t* entryBytes, uint32_t entrySize) {
    if (entrySize <= kBaseEntrySize) return {};
    const char* name = reinterpret_cast<const char*>(entryBytes + kBaseEntrySize);
    const size_t room = entrySize - kBaseEntrySize;
    return std::string(name, strnlen(name, room));
}

bool SameName(const std::string& a, const char* b) {
    if (!b) return false;
    const size_t n = std::strlen(b);
    if (n != a.size()) return false;
    for (size_t i = 0; i < n; ++i) {
        auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
        if (fold(static_cast<unsigned char>(a[i])) != fold(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
}

bool InsideFile(const Entry& entry, uint64_t fileSize) {
    return static_cast<uint64_t>(entry.offset) + entry.size <= fileSize;
}

void ConvertRow(uint8_t* row, int width, uint16_t key) {
    for (int x = 0; x < width; ++x) {
        uint16_t p;
        std::memcpy(&p, row + 2 * x, 2);
        p = p == kTransparentGreen ? key : static_cast<uint16_t>(((p & 0xFFC0) >> 1) + (p & 0x1F));
        std::memcpy(row + 2 * x, &p, 2);
    }
}

void CopyRows(const uint8_t* pixels, uint8_t* dest, int width, int rows, int pitch, int convert,
              uint16_t key) {
    for (int y = 0; y < rows; ++y) {
        uint8_t* row = dest + static_cast<ptrdiff_t>(y) * pitch;
        const uint8_t* src = pixels + static_cast<size_t>(y) * static_cast<size_t>(width) * 2;
        for (int x = 0; x < width; ++x) {
            const uint16_t p = static_cast<uint16_t>(src[2 * x] | (src[2 * x + 1] << 8));
            std::memcpy(row + 2 * x, &p, 2);
        }
        if (convert == 1) ConvertRow(row, width, key);
    }
}

} // namespace RomFormat
