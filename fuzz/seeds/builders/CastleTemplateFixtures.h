#pragma once

// The castle template stage and its gates, for the tests and the fuzz seeds.

#include "engine/ByteReader.h"
#include "world/GateRecord.h"

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

namespace castlefix {

// A template city: index, kind, cell, with one sub-castle and one site for castles.
struct TemplateCity {
    int32_t index, kind, x, y;
    int32_t subs = 0, sites = 0;
};

inline std::vector<TemplateCity> DefaultTemplateCities() {
    std::vector<TemplateCity> out;
    for (int t = 0; t < 8; ++t)
        out.push_back({t + 1, 0, 80 * (t % 4) + 40, 180 * (t / 4) + 90, 1, 1});
    const int kinds[4] = {6, 2, 3, 10}, bases[4] = {30, 46, 62, 78};
    for (int k = 0; k < 4; ++k)
        for (int r = 0; r < 4; ++r)
            out.push_back({bases[k] + r, kinds[k], 20 * (r + 1) + 10, 600 + 60 * k + 30});
    return out;
}

inline void Block(ByteWriter& out, uint32_t size, std::initializer_list<std::pair<uint32_t, int32_t>> words) {
    std::vector<uint8_t> body(size, 0);
    for (auto [at, v] : words)
        for (int i = 0; i < 4; ++i)
            body[at + i] = uint8_t(uint32_t(v) >> (8 * i));
    out.u32(size);
    out.bytes(body.data(), body.size());
}

inline std::vector<uint8_t> TemplateStageBytes(const std::vector<TemplateCity>& cities, uint32_t present = 1,
                                               int32_t claimedCount = -1) {
    ByteWriter out;
    out.u32(present);
    if (!present) return out.buffer();
    Block(out, 80, {});
    Block(out, 64, {});
    out.u32(0);
    Block(out, 100, {{20, 1}});
    Block(out, 1116, {{0, claimedCount >= 0 ? claimedCount : int32_t(cities.size())}});
    out.u32(0);
    for (const TemplateCity& c : cities) {
        Block(out, 392, {{20, c.index}, {24, c.kind}, {28, 1}, {72, c.x}, {76, c.y}});
        Block(out, 932, {{684, c.subs}, {688, c.sites}});
        out.u32(1); // one officer: state block, data block
        Block(out, 56, {{24, 7}});
        Block(out, 432, {{20, 2}});
        for (int s = 0; s < c.subs; ++s) {
            out.u32(56);
            out.u32(0);
            std::vector<uint8_t> body(56, 0);
            ByteWriter b;
            Block(b, 56, {{20, 1}, {24, 5}, {28, c.x + 12}, {32, c.y + 30}});
            out.bytes(b.buffer().data() + 4, 56);
        }
        for (int s = 0; s < c.sites; ++s) {
            out.u32(20);
            out.i32(c.x - 8);
            out.i32(c.y + 16);
            out.i32(3);
            out.i32(0);
            out.i32(0);
        }
    }
    return out.buffer();
}

// Two gates for each of the eight castles, at the castle's west and east walls.
inline std::vector<GateRecord> DefaultTemplateGates() {
    std::vector<GateRecord> gates;
    for (int t = 0; t < 8; ++t) {
        const int cx = 80 * (t % 4) + 40, cy = 180 * (t / 4) + 90;
        for (int side = 0; side < 2; ++side) {
            GateRecord g;
            g.centreX = cx + (side ? 20 : -20);
            g.centreY = cy / 2;
            g.direction = side;
            g.cityX = cx;
            g.cityY = cy;
            g.style = t;
            gates.push_back(g);
        }
    }
    return gates;
}

} // namespace castlefix
