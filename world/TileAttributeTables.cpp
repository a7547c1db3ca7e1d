#include "world/TileAttributeTables.h"

#include "engine/ByteReader.h"

namespace {

using Table = std::vector<std::optional<TileAttribute>>;

bool ReadTable(ByteReader& in, Table& table) {
    const uint32_t count = in.u32();
    // Every id takes at least its present flag.
    if (!in.ok() || uint64_t(count) * 4 > in.remaining()) return false;
    table.assign(count, std::nullopt);
    for (uint32_t id = 0; id < count; ++id) {
        if (in.u32() == 0) continue;
        TileAttribute a;
        a.obstacle = in.u8();
        a.unused = in.u8();
        a.colour = in.u16();
        table[id] = a;
    }
    return in.ok();
}

void WriteTable(ByteWriter& out, const Table& table) {
    out.u32(uint32_t(table.size()));
    for (const auto& entry : table) {
        out.u32(entry ? 1 : 0);
        if (!entry) continue;
        out.u8(entry->obstacle);
        out.u8(entry->unused);
        out.u16(entry->colour);
    }
}

} // namespace

bool ReadTileAttributes(ByteReader& in, TileAttributeTables& out) {
    out = TileAttributeTables{};
    TileAttributeTables t;
    in.skip(12);
    if (!ReadTable(in, t.ground) || !ReadTable(in, t.layer) || !ReadTable(in, t.object)) return false;
    out = std::move(t);
    return true;
}

void WriteTileAttributes(ByteWriter& out, const TileAttributeTables& tables) {
    out.bytes("Attrib  Data", 12);
    WriteTable(out, tables.ground);
    WriteTable(out, tables.layer);
    WriteTable(out, tables.object);
}
