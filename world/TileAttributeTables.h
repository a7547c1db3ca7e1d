#pragma once

#include <cstdint>
#include <optional>
#include <vector>

class ByteReader;
class ByteWriter;

// One tile's attributes from "kingdom.atr".
struct TileAttribute {
    uint8_t obstacle = 0;
    uint8_t unused = 0;
    uint16_t colour = 0; // minimap colour, 5-6-5
};

// The ground, layer and object tables of "kingdom.atr": per id an entry or none.
struct TileAttributeTables {
    std::vector<std::optional<TileAttribute>> ground, layer, object;

    static const TileAttribute* Find(const std::vector<std::optional<TileAttribute>>& table, uint32_t id) {
        return id < table.size() && table[id] ? &*table[id] : nullptr;
    }
};

// Tag, then three tables of {u32 count; per id u32 present, entry when non-zero}. False, with
// the tables empty, when a count promises more than the bytes hold.
bool ReadTileAttributes(ByteReader& in, TileAttributeTables& out);
void WriteTileAttributes(ByteWriter& out, const TileAttributeTables& tables);
