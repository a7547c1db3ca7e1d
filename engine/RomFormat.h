#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The `.Rom` packed archive layout shared by the file reader and the in-memory image: a 16-byte
// header, a table of entries from offset 16, then the entries' data.
namespace RomFormat {

constexpr size_t kHeaderSize = 16;
constexpr uint32_t kBaseEntrySize = 16;
constexpr int kNamedVersion = 10; // from this version on the header gives the entry size
constexpr size_t kSignatureSize = 10;
constexpr uint32_t kPackedFlag = 1;
constexpr size_t kPictureHeaderSize = 16;
constexpr size_t kPicturePixels = 20; // pixels follow the header and the two 16-bit sizes
constexpr uint16_t kTransparentGreen = 0x07E0;

struct Header {
    uint16_t count = 0;
    uint16_t count2 = 0;
    uint8_t version = 0;
    uint8_t entrySizeByte = 0;
    char signature[kSignatureSize + 1] = {}; // always terminated here
};

struct Entry {
    uint32_t offset = 0;
    uint32_t size = 0; // stored bytes
    uint32_t flags = 0;
    uint32_t extra = 0;
    bool packed() const { return (flags & kPackedFlag) != 0; }
};

Header ParseHeader(const uint8_t* bytes16);
void WriteHeaderBytes(const Header& header, uint8_t* bytes16);
// 16 below version 10, else the header's byte; 0 when that byte is too small for an entry.
uint32_t EntrySizeOf(const Header& header);

Entry ReadEntry(const uint8_t* entryBytes);
void WriteEntry(const Entry& entry, uint8_t* entryBytes);
// The name field of an entry of `entrySize` bytes (empty when entries carry no names).
std::string EntryName(const uint8_t* entryBytes, uint32_t entrySize);
// ASCII letters fold; Big5 bytes compare as they are.
bool SameName(const std::string& a, const char* b);

// Whether the entry's stored bytes lie inside a file of `fileSize` bytes.
bool InsideFile(const Entry& entry, uint64_t fileSize);

// Rewrites one row of 5-6-5 pixels for a 5-5-5 display: the transparent green becomes `key`, every
// other pixel drops the lowest green bit.
void ConvertRow(uint8_t* row, int width, uint16_t key);

// Copies rows of a picture from 16-bit little-endian pixels into a pitched destination.
void CopyRows(const uint8_t* pixels, uint8_t* dest, int width, int rows, int pitch, int convert,
              uint16_t key);

} // namespace RomFormat
