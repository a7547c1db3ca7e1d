#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Writers of small packed archives for the tests and the fuzz seeds.
namespace archfix {

using Bytes = std::vector<uint8_t>;

struct Entry {
    Bytes data; // stored bytes as they go into the file
    uint32_t flags = 0;
    uint32_t extra = 0;
    std::string name;
};

struct Layout {
    uint8_t version = 10;
    uint8_t entrySizeByte = 40;
    std::string signature = "ZuRom";
    std::vector<Entry> entries;
};

// Header, table, then the entries' data in table order, each at the next free offset (an entry
// without data gets the offset of the next byte and size 0).
Bytes Build(const Layout& layout);
// Byte offsets of the table and of the fields of one entry, for corrupting a built archive.
size_t EntryAt(const Layout& layout, size_t index);
void PutU32(Bytes& bytes, size_t at, uint32_t value);

Entry Stored(const Bytes& data, const std::string& name = {});
Entry Packed(const Bytes& data, const std::string& name = {});     // lh5 block, packed flag set
Entry MethodZero(const Bytes& data, const std::string& name = {}); // stored inside a packed block
Entry Empty(const std::string& name = {});

// Picture entry data: 16-byte header (bytes 1..16), u16 width, u16 height, 5-6-5 pixels.
Bytes Picture(int width, int height, const std::vector<uint16_t>& pixels);

// Both test archives: version 9 with an entry-size byte of 40 (entries stay 16 bytes), and version 10
// with 40-byte named entries. Entries: stored text, lh5-packed text, empty, picture, method 0.
Layout Version9();
Layout Version10();
Bytes SampleBytes(size_t size, uint32_t seed);

void WriteFile(const std::filesystem::path& path, const Bytes& bytes);
Bytes ReadFile(const std::filesystem::path& path);

} // namespace archfix
