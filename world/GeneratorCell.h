#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class ByteReader;
class ByteWriter;

// The 32-byte cell of the generator's grid and of its source maps.
struct GeneratorCell {
    static constexpr size_t kSize = 32;
    static constexpr uint16_t kNone = 0xFFFF;

    uint16_t ground = 0;
    uint16_t layer = kNone;
    uint16_t overlay = kNone; // 0xE41 is a tower tile
    uint16_t object = kNone;  // 0x3000..0x3003 are walls
    uint8_t bytes8[8] = {};   // bytes 8..15: 8 obstacle (8 = footprint), 12 drawn flag
    uint16_t word16 = kNone;
    uint16_t word18 = kNone;
    uint8_t bytes20[6] = {0, 77, 0, 0, 0, 0}; // bytes 20..25
    uint16_t word26 = 0;
    uint8_t tail[4] = {};

    uint8_t& Byte(int offset) { return offset < 16 ? bytes8[offset - 8] : bytes20[offset - 20]; }
    uint8_t Byte(int offset) const { return offset < 16 ? bytes8[offset - 8] : bytes20[offset - 20]; }
    uint8_t& obstacle() { return bytes8[0]; }
    uint8_t drawn() const { return bytes8[4]; }

    bool Read(ByteReader& in);
    void Write(ByteWriter& out) const;
};

// A grid of cells, row-major: the generated map, a source map or the editing map.
struct GeneratorGrid {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<GeneratorCell> cells;

    bool Empty() const { return cells.empty(); }
    bool Inside(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    GeneratorCell& At(int32_t x, int32_t y) { return cells[size_t(y) * size_t(width) + size_t(x)]; }
    const GeneratorCell& At(int32_t x, int32_t y) const {
        return cells[size_t(y) * size_t(width) + size_t(x)];
    }
};

// A source map file: 12-byte tag, u32 width, u32 height, the cells row by row. False, with the
// grid empty, when the sizes promise more cells than the bytes hold.
bool ReadSourceMap(ByteReader& in, GeneratorGrid& out);
void WriteSourceMap(ByteWriter& out, const GeneratorGrid& grid);

// Sets one field of every cell of a staggered diamond whose rows widen 1, 2, .., n, .., 1.
void StampGeneratorDiamond(GeneratorGrid& grid, int32_t x, int32_t y, int32_t n, int32_t operation,
                           uint16_t value);
