#include "world/GeneratorCell.h"

#include "engine/ByteReader.h"

bool GeneratorCell::Read(ByteReader& in) {
    ground = in.u16();
    layer = in.u16();
    overlay = in.u16();
    object = in.u16();
    in.bytes(bytes8, sizeof bytes8);
    word16 = in.u16();
    word18 = in.u16();
    in.bytes(bytes20, sizeof bytes20);
    word26 = in.u16();
    in.bytes(tail, sizeof tail);
    return in.ok();
}

void GeneratorCell::Write(ByteWriter& out) const {
    out.u16(ground);
    out.u16(layer);
    out.u16(overlay);
    out.u16(object);
    out.bytes(bytes8, sizeof bytes8);
    out.u16(word16);
    out.u16(word18);
    out.bytes(bytes20, sizeof bytes20);
    out.u16(word26);
    out.bytes(tail, sizeof tail);
}

bool ReadSourceMap(ByteReader& in, GeneratorGrid& out) {
    out = GeneratorGrid{};
    in.skip(12);
    const uint32_t w = in.u32();
    const uint32_t h = in.u32();
    if (!in.ok()) return false;
    // The size is bounded by the bytes present before anything is allocated.
    const uint64_t count = uint64_t(w) * uint64_t(h);
    if (w > 0x7FFF || h > 0x7FFF || count * GeneratorCell::kSize > in.remaining()) return false;
    GeneratorGrid grid;
    grid.width = int32_t(w);
    grid.height = int32_t(h);
    grid.cells.resize(size_t(count));
    for (GeneratorCell& cell : grid.cells)
        if (!cell.Read(in)) return false;
    out = std::move(grid);
    return true;
}

void WriteSourceMap(ByteWriter& out, const GeneratorGrid& grid) {
    out.bytes("Map     Data", 12);
    out.u32(uint32_t(grid.width));
    out.u32(uint32_t(grid.height));
    for (const GeneratorCell& cell : grid.cells)
        cell.Write(out);
}

void StampGeneratorDiamond(GeneratorGrid& grid, int32_t x, int32_t y, int32_t n, int32_t operation,
                           uint16_t value) {
    if (n <= 0) return;
    int32_t start = x;
    for (int32_t k = 0; k <= 2 * n - 2; ++k) {
        const int32_t row = y + k;
        if (row >= grid.height) break;
        const int32_t widthOfRow = k < n ? k + 1 : 2 * n - 1 - k;
        if (row >= 0 && start >= 0 && start < grid.width) {
            for (int32_t i = 0; i < widthOfRow && start + i < grid.width; ++i) {
                GeneratorCell& c = grid.At(start + i, row);
                switch (operation) {
                case 0:
                    c.obstacle() = uint8_t(value);
                    break;
                case 1:
                case 2:
                case 3:
                case 4:
                case 5:
                case 6:
                    c.Byte(8 + operation) = uint8_t(value);
                    break;
                case 7:
                case 10:
                    c.word26 = value;
                    break;
                case 8:
                    c.layer = value;
                    c.overlay = value;
                    break;
                default:
                    break;
                }
            }
        }
        // Odd and even rows are staggered: the diamond widens leftwards on even rows and narrows
        // from the left on odd ones.
        if ((row & 1) == 0) {
            if (k + 1 < n) --start;
        } else {
            if (k + 1 >= n) ++start;
        }
    }
}
