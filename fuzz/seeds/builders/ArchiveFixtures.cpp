#include "fuzz/seeds/builders/ArchiveFixtures.h"

#include "fuzz/seeds/builders/Lh5Encoder.h"

#include <fstream>
#include <unistd.h>

namespace archfix {
namespace {

constexpr size_t kHeader = 16;

size_t EntryBytes(const Layout& layout) {
    return layout.version < 10 ? 16 : layout.entrySizeByte;
}

void Put16(Bytes& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

} // namespace

void PutU32(Bytes& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

size_t EntryAt(const Layout& layout, size_t index) {
    return kHeader + index * EntryBytes(layout);
}

Bytes Build(const Layout& layout) {
    const size_t per = EntryBytes(layout);
    Bytes out(kHeader + per * layout.entries.size(), 0);
    Put16(out, 0, static_cast<uint16_t>(layout.entries.size()));
    Put16(out, 2, static_cast<uint16_t>(layout.entries.size()));
    out[4] = layout.version;
    out[5] = layout.entrySizeByte;
    for (size_t i = 0; i < layout.signature.size() && i < 9; ++i)
        out[6 + i] = static_cast<uint8_t>(layout.signature[i]);
    for (size_t i = 0; i < layout.entries.size(); ++i) {
        const Entry& e = layout.entries[i];
        const size_t at = EntryAt(layout, i);
        PutU32(out, at, static_cast<uint32_t>(out.size()));
        PutU32(out, at + 4, static_cast<uint32_t>(e.data.size()));
        PutU32(out, at + 8, e.flags);
        PutU32(out, at + 12, e.extra);
        for (size_t k = 0; per > 16 && k < e.name.size() && k < per - 17; ++k)
            out[at + 16 + k] = static_cast<uint8_t>(e.name[k]);
        out.insert(out.end(), e.data.begin(), e.data.end());
    }
    return out;
}

Entry Stored(const Bytes& data, const std::string& name) {
    return {data, 0, 0x00020001, name};
}

Entry Packed(const Bytes& data, const std::string& name) {
    return {lh5enc::PackedBlock(data.data(), data.size()), 1, 0x00040003, name};
}

Entry MethodZero(const Bytes& data, const std::string& name) {
    return {lh5enc::StoredBlock(data.data(), data.size()), 1, 0, name};
}

Entry Empty(const std::string& name) {
    return {{}, 0, 0, name};
}

Bytes Picture(int width, int height, const std::vector<uint16_t>& pixels) {
    Bytes out;
    for (int i = 1; i <= 16; ++i)
        out.push_back(static_cast<uint8_t>(i));
    out.push_back(static_cast<uint8_t>(width));
    out.push_back(static_cast<uint8_t>(width >> 8));
    out.push_back(static_cast<uint8_t>(height));
    out.push_back(static_cast<uint8_t>(height >> 8));
    for (uint16_t p : pixels) {
        out.push_back(static_cast<uint8_t>(p));
        out.push_back(static_cast<uint8_t>(p >> 8));
    }
    return out;
}

Bytes SampleBytes(size_t size, uint32_t seed) {
    return lh5enc::SampleText(size, seed);
}

namespace {
std::vector<Entry> StandardEntries() {
    return {
        Stored(SampleBytes(300, 1), "Text.txt"),
        Packed(SampleBytes(5000, 2), "Packed.dat"),
        Empty("Nothing"),
        Stored(Picture(3, 2, {0x07E0, 0xFFFF, 0x0020, 0xF800, 0x07E0, 0x001F}), "Picture"),
        MethodZero(SampleBytes(100, 3), "Plain"),
    };
}
} // namespace

Layout Version9() {
    Layout s;
    s.version = 9;
    s.entrySizeByte = 40; // ignored below version 10
    s.signature = "ZuData9";
    s.entries = StandardEntries();
    return s;
}

Layout Version10() {
    Layout s;
    s.version = 10;
    s.entrySizeByte = 40;
    s.signature = "ZuData10";
    s.entries = StandardEntries();
    return s;
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

} // namespace archfix
