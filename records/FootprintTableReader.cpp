#include "engine/ByteReader.h"
#include "records/GameDataLoader.h"
#include "world/FootprintPattern.h"

#include <cstdint>
#include <vector>

namespace {
struct Layout {
    bool tilesFirst; // cell tiles before the second array
    bool profile;    // outline profile present
    bool mask;       // mask present
};

Layout LayoutOf(FootprintFile file) {
    switch (file) {
    case FootprintFile::Building:
        return {true, true, false};
    case FootprintFile::Farm:
        return {true, false, true};
    default:
        return {false, true, true};
    }
}

bool ReadWords(ByteReader& in, uint64_t n, std::vector<uint16_t>& out) {
    if (n * 4 > in.remaining()) return false;
    out.resize(static_cast<size_t>(n));
    for (uint16_t& v : out)
        v = static_cast<uint16_t>(in.u32());
    return in.ok();
}

bool ReadBytes(ByteReader& in, uint64_t n, std::vector<uint8_t>& out) {
    if (n > in.remaining()) return false;
    out.resize(static_cast<size_t>(n));
    return in.bytes(out.data(), out.size());
}
} // namespace

int ReadFootprintTable(ByteReader& in, FootprintFile file, std::unique_ptr<FootprintPattern>* table,
                       int entries) {
    const Layout layout = LayoutOf(file);
    const uint32_t count = in.u32();
    if (!in.ok()) return kGameDataDamaged;
    std::vector<std::unique_ptr<FootprintPattern>> read;
    // Entries past the table have nowhere to go: they are not read.
    const uint32_t kept = count < static_cast<uint32_t>(entries) ? count : static_cast<uint32_t>(entries);
    for (uint32_t i = 0; i < kept; ++i) {
        const uint32_t w = in.u32();
        if (!in.ok()) return kGameDataDamaged;
        if (w == 0) {
            read.emplace_back();
            continue;
        }
        const uint32_t h = in.u32();
        if (!in.ok() || w > 0xFFFF || h > 0xFFFF) return kGameDataDamaged;
        auto p = std::make_unique<FootprintPattern>();
        p->width = static_cast<uint16_t>(w);
        p->height = static_cast<uint16_t>(h);
        const uint64_t cells = uint64_t{w} * h;
        const uint64_t profile = 2 * uint64_t{w} - 1;
        bool ok = true;
        if (layout.tilesFirst) ok = ReadWords(in, cells, p->cellTiles);
        if (ok && layout.profile) ok = ReadWords(in, profile, p->outline);
        if (ok && layout.mask) ok = ReadBytes(in, cells, p->mask);
        if (!ok) return kGameDataDamaged;
        read.push_back(std::move(p));
    }
    for (int i = 0; i < entries; ++i)
        table[i].reset();
    for (size_t i = 0; i < read.size(); ++i)
        table[i] = std::move(read[i]);
    return kGameDataLoaded;
}
