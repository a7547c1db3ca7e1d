#include "DemoGenerator.h"

#include <cstdint>
#include <fstream>
#include <vector>

namespace {

struct Bytes {
    std::vector<uint8_t> b;
    void u8(uint32_t v) { b.push_back(uint8_t(v)); }
    void u16(uint32_t v) {
        u8(v);
        u8(v >> 8);
    }
    void u32(uint32_t v) {
        u16(v);
        u16(v >> 16);
    }
    void text(const char* s, size_t n) { b.insert(b.end(), s, s + n); }
    void zeros(size_t n) { b.insert(b.end(), n, 0); }
    // A block: its length and bytes with the given words set (offset, value).
    void block(size_t size, std::initializer_list<std::pair<size_t, int32_t>> words) {
        std::vector<uint8_t> body(size, 0);
        for (auto [at, v] : words)
            for (int i = 0; i < 4; ++i)
                body[at + i] = uint8_t(uint32_t(v) >> (8 * i));
        u32(uint32_t(size));
        b.insert(b.end(), body.begin(), body.end());
    }
};

struct Cell {
    uint16_t ground = 0, layer = 0xFFFF, overlay = 0xFFFF, object = 0xFFFF;
    uint8_t obstacle = 0, drawn = 0;
};

struct Grid {
    int w, h;
    std::vector<Cell> cells;
    Grid(int w, int h) : w(w), h(h), cells(size_t(w) * h) {}
    Cell& at(int x, int y) { return cells[size_t(y) * w + x]; }
    void write(Bytes& out) const {
        out.text("Map     Data", 12);
        out.u32(w);
        out.u32(h);
        for (const Cell& c : cells) {
            out.u16(c.ground);
            out.u16(c.layer);
            out.u16(c.overlay);
            out.u16(c.object);
            out.u8(c.obstacle);
            out.zeros(3);
            out.u8(c.drawn);
            out.zeros(3);
            out.u16(0xFFFF);
            out.u16(0xFFFF);
            out.u8(0);
            out.u8(77);
            out.zeros(10);
        }
    }
};

uint16_t Rgb(int r, int g, int b) {
    return uint16_t(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

// Ground ids: 90..98 bare earth, 100 + 15 strip + piece the terrain pieces, 300 + t castle ground,
// 4432.. the small places; layer 200.. woods; objects 0x3000 walls.
Bytes Attributes() {
    Bytes out;
    out.text("Attrib  Data", 12);
    auto table = [&](uint32_t count, auto entry) {
        out.u32(count);
        for (uint32_t id = 0; id < count; ++id) {
            int obstacle = -1;
            uint16_t colour = 0;
            entry(id, obstacle, colour);
            out.u32(obstacle >= 0 ? 1 : 0);
            if (obstacle < 0) continue;
            out.u8(uint32_t(obstacle));
            out.u8(0);
            out.u16(colour);
        }
    };
    table(4520, [](uint32_t id, int& obstacle, uint16_t& colour) {
        if (id >= 90 && id <= 98)
            obstacle = 0, colour = Rgb(150, 120, 70);
        else if (id >= 100 && id < 190) {
            const int strip = int(id - 100) / 15;
            obstacle = strip % 2 ? 0 : 0;
            colour = strip / 2 == 0   ? Rgb(60, 160, 60)
                     : strip / 2 == 1 ? Rgb(190, 180, 110)
                                      : Rgb(200, 200, 210);
            if ((id - 100) % 15 == 14) obstacle = 1, colour = Rgb(40, 80, 200); // water
        } else if (id >= 300 && id < 308)
            obstacle = 0, colour = Rgb(120, 110, 100);
        else if (id >= 4432)
            obstacle = 0, colour = Rgb(150, 90, 40);
    });
    table(210, [](uint32_t id, int& obstacle, uint16_t& colour) {
        if (id >= 200) obstacle = 2, colour = Rgb(20, 90, 30);
    });
    table(0x3004, [](uint32_t id, int& obstacle, uint16_t& colour) {
        if (id >= 0x3000) obstacle = 1, colour = Rgb(90, 90, 90);
    });
    return out;
}

Bytes Terrain() {
    Grid g(300, 360);
    for (int y = 0; y < g.h; ++y)
        for (int x = 0; x < g.w; ++x) {
            const int piece = x / 20, strip = y / 60;
            Cell& c = g.at(x, y);
            c.ground = uint16_t(100 + 15 * strip + piece);
            // A copse in the middle of every third piece.
            const int dx = x % 20 - 10, dy = (y % 60 - 30) / 3;
            if (piece % 3 == 1 && dx * dx + dy * dy < 16) c.layer = uint16_t(200 + strip);
        }
    Bytes out;
    g.write(out);
    return out;
}

Bytes Castles() {
    Grid g(320, 840);
    for (auto& c : g.cells)
        c.ground = 90;
    for (int t = 0; t < 8; ++t) {
        const int fx = 80 * (t % 4), fy = 180 * (t / 4);
        const int half = 22 + 2 * (t % 4); // larger castles for richer levels
        for (int y = 90 - 2 * half; y <= 90 + 2 * half; ++y)
            for (int x = 40 - half; x <= 40 + half; ++x) {
                Cell& c = g.at(fx + x, fy + y);
                c.drawn = 1;
                c.ground = uint16_t(300 + t);
                const bool edge =
                    x == 40 - half || x == 40 + half || y == 90 - 2 * half || y == 90 + 2 * half;
                if (edge) c.object = 0x3000;
                const bool corner =
                    (x == 40 - half || x == 40 + half) && (y == 90 - 2 * half || y == 90 + 2 * half);
                if (corner) c.overlay = 0xE41;
            }
    }
    for (int kind = 0; kind < 4; ++kind)
        for (int r = 0; r < 4; ++r)
            for (int y = 20; y < 40; ++y)
                for (int x = 5; x < 15; ++x) {
                    Cell& c = g.at(20 * (r + 1) + x, 600 + 60 * kind + y);
                    c.drawn = 1;
                    c.ground = uint16_t(4432 + 4 * kind + r);
                }
    Bytes out;
    g.write(out);
    return out;
}

// City block words: index 20, kind 24, x 72, y 76.
void City(Bytes& out, int index, int kind, int x, int y, int subs, int sites) {
    out.block(392, {{20, index}, {24, kind}, {28, 1}, {72, x}, {76, y}});
    out.block(932, {{684, subs}, {688, sites}});
    out.u32(0); // officers
    for (int s = 0; s < subs; ++s) {
        out.u32(56);
        out.u32(0);
        Bytes body;
        body.block(56, {{20, 1}, {24, 5}, {28, x + 12}, {32, y + 30}});
        out.b.insert(out.b.end(), body.b.begin() + 4, body.b.end());
    }
    for (int s = 0; s < sites; ++s) {
        out.u32(20);
        out.u32(uint32_t(x - 8));
        out.u32(uint32_t(y + 16));
        out.u32(3);
        out.u32(0);
        out.u32(0);
    }
}

Bytes TemplateStage() {
    Bytes out;
    out.u32(1);
    out.block(80, {});
    out.block(64, {});
    out.u32(0);
    out.block(100, {{20, 1}});
    const int cities = 8 + 4 * 4;
    out.block(1116, {{0, cities}});
    out.u32(0);
    for (int t = 0; t < 8; ++t)
        City(out, t + 1, 0, 80 * (t % 4) + 40, 180 * (t / 4) + 90, 1, 1);
    const int kinds[4] = {6, 2, 3, 10}, bases[4] = {30, 46, 62, 78};
    for (int k = 0; k < 4; ++k)
        for (int r = 0; r < 4; ++r)
            City(out, bases[k] + r, kinds[k], 20 * (r + 1) + 10, 600 + 60 * k + 30, 0, 0);
    return out;
}

Bytes TemplateGates() {
    Bytes out;
    out.text("Door    Data", 12);
    out.u32(92);
    out.u32(16);
    for (int t = 0; t < 8; ++t) {
        const int cx = 80 * (t % 4) + 40, cy = 180 * (t / 4) + 90, half = 22 + 2 * (t % 4);
        for (int side = 0; side < 2; ++side) {
            std::vector<int32_t> w(23, 0);
            w[0] = cx + (side ? half : -half);
            w[1] = (cy + 2 * half * (side ? 1 : -1)) / 2;
            w[2] = side;
            w[20] = cx;
            w[21] = cy;
            w[22] = side;
            for (int32_t v : w)
                out.u32(uint32_t(v));
        }
    }
    return out;
}

} // namespace

bool WriteDemoGenerator(const std::string& folder, std::string& error) {
    const std::pair<const char*, Bytes> files[] = {
        {"kingdom.atr", Attributes()},     {"ground01", Terrain()},           {"castle01", Castles()},
        {"Castle01.Stg", TemplateStage()}, {"Castle01.Dor", TemplateGates()},
    };
    for (const auto& [name, bytes] : files) {
        std::ofstream f(folder + "/" + name, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(bytes.b.data()), std::streamsize(bytes.b.size()));
        if (!f) {
            error = name;
            return false;
        }
    }
    return true;
}
