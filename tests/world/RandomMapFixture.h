#pragma once

// Generator sources and castle templates for the random map tests, built from the formats: a
// terrain source whose ground names its piece and strip, a castle source with eight castles
// (walls, four tower tiles each) and the small places, and a template stage with its gates.

#include "engine/ByteReader.h"
#include "fuzz/seeds/builders/CastleTemplateFixtures.h"
#include "world/GateRecord.h"
#include "world/GeneratorCell.h"
#include "world/TileAttributeTables.h"

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace randommaptest {

// Terrain ground of piece p, strip s.
inline uint16_t TerrainGround(int p, int s) {
    return uint16_t(100 + 15 * s + p);
}
inline uint16_t CastleGround(int t) {
    return uint16_t(300 + t);
}
inline uint16_t SmallGround(int kind, int r) {
    return uint16_t(4432 + 4 * kind + r);
}

using castlefix::Block;
using castlefix::DefaultTemplateCities;
using castlefix::DefaultTemplateGates;
using castlefix::TemplateCity;
using castlefix::TemplateStageBytes;

inline TileAttributeTables DefaultAttributes() {
    TileAttributeTables a;
    a.ground.resize(4520);
    for (int id = 90; id < 4520; ++id)
        a.ground[size_t(id)] = TileAttribute{0, 0, uint16_t(id)};
    a.layer.resize(4);
    a.layer[1] = TileAttribute{3, 0, 0x1111};
    a.object.resize(0x3004);
    a.object[0x3000] = TileAttribute{1, 0, 0x2222};
    return a;
}

inline GeneratorGrid TerrainSource() {
    GeneratorGrid g;
    g.width = 300;
    g.height = 360;
    g.cells.resize(300 * 360);
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x)
            g.At(x, y).ground = TerrainGround(x / 20, y / 60);
    return g;
}

inline GeneratorGrid CastleSource() {
    GeneratorGrid g;
    g.width = 320;
    g.height = 840;
    g.cells.resize(320 * 840);
    for (auto& c : g.cells)
        c.ground = 90;
    for (int t = 0; t < 8; ++t) {
        const int fx = 80 * (t % 4), fy = 180 * (t / 4);
        for (int y = 50; y <= 130; ++y)
            for (int x = 20; x <= 60; ++x) {
                GeneratorCell& c = g.At(fx + x, fy + y);
                c.Byte(12) = 1;
                c.ground = CastleGround(t);
                if (x == 20 || x == 60 || y == 50 || y == 130) c.object = 0x3000;
                if ((x == 20 || x == 60) && (y == 50 || y == 130)) c.overlay = 0xE41;
            }
    }
    for (int kind = 0; kind < 4; ++kind)
        for (int r = 0; r < 4; ++r)
            for (int y = 20; y < 40; ++y)
                for (int x = 5; x < 15; ++x) {
                    GeneratorCell& c = g.At(20 * (r + 1) + x, 600 + 60 * kind + y);
                    c.Byte(12) = 1;
                    c.ground = SmallGround(kind, r);
                }
    return g;
}

inline void Put(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream f(name, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Writes every source and template into the working folder.
inline void WriteGeneratorFolder() {
    ByteWriter atr;
    WriteTileAttributes(atr, DefaultAttributes());
    Put("kingdom.atr", atr.buffer());
    ByteWriter ground;
    WriteSourceMap(ground, TerrainSource());
    Put("ground01", ground.buffer());
    ByteWriter castle;
    WriteSourceMap(castle, CastleSource());
    Put("castle01", castle.buffer());
    Put("Castle01.Stg", TemplateStageBytes(DefaultTemplateCities()));
    Put("Castle01.Dor", WriteDoorFile({DefaultTemplateGates()}));
}

} // namespace randommaptest
