#include "world/VirtualMapFiles.h"

#include "engine/ByteReader.h"
#include "platform/Files.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/SubCastle.h"
#include "world/GeneratorCell.h"
#include "world/RandomMapRun.h"
#include "world/TileAttributeTables.h"

#include <algorithm>

namespace {

constexpr int32_t kSourceSide = 2296; // the minimap's drawing surface
constexpr int32_t kMiniWidth = 160, kMiniRows = 120;

uint8_t CellObstacle(const GeneratorCell& c, const TileAttributeTables& a) {
    uint8_t v = 0;
    if (c.layer != GeneratorCell::kNone)
        if (const TileAttribute* e = TileAttributeTables::Find(a.layer, c.layer)) v = e->obstacle;
    if (const TileAttribute* e = TileAttributeTables::Find(a.ground, c.ground))
        if (e->obstacle != 0) v = e->obstacle;
    if (c.object != GeneratorCell::kNone)
        if (const TileAttribute* e = TileAttributeTables::Find(a.object, c.object)) v = e->obstacle;
    return v;
}

void StampFootprints(RandomMapRun& run) {
    for (Kingdom* kingdom : StageKingdoms(run.stage)) {
        for (City* city : KingdomCities(*kingdom)) {
            const int32_t x = city->Int(CityLayout::kX), y = city->Int(CityLayout::kY);
            if (city->Kind() != 9) {
                const int32_t size = CityFootprintSize(city->Kind());
                StampGeneratorDiamond(run.grid, x - 1, y, size, 0, 8);
                StampGeneratorDiamond(run.grid, x, y - 2, size, 0, 8);
            }
            for (uintptr_t v = city->subCastles.First(); v != 0; v = city->subCastles.Next()) {
                auto* sub = reinterpret_cast<SubCastle*>(v);
                const int32_t sx = sub->Int(SubCastleLayout::kX), sy = sub->Int(SubCastleLayout::kY);
                StampGeneratorDiamond(run.grid, sx - 1, sy, 7, 0, 8);
                StampGeneratorDiamond(run.grid, sx, sy - 2, 7, 0, 8);
            }
        }
    }
}

bool Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    return platform::WriteFileAtomic(name.c_str(), bytes.data(), bytes.size());
}

} // namespace

std::vector<uint8_t> BuildVirtualMapFile(GeneratorGrid& grid, const TileAttributeTables& attributes) {
    ByteWriter out;
    out.buffer().reserve(16 + grid.cells.size() * 16);
    out.u32(uint32_t(grid.width));
    out.u32(uint32_t(grid.height));
    out.bytes("Hello1.0", 8);
    for (GeneratorCell& c : grid.cells) {
        uint8_t obstacle;
        if (c.obstacle() == 8) {
            obstacle = 8;
            c.obstacle() = 1;
        } else {
            c.obstacle() = CellObstacle(c, attributes);
            obstacle = c.object >= 0x3000 && c.object <= 0x3003 ? 255 : c.obstacle();
        }
        out.u16(c.ground);
        out.u16(c.layer);
        out.u16(c.overlay);
        out.u16(0);
        out.u8(c.Byte(10));
        out.u8(obstacle);
        out.u8(c.Byte(12));
        out.u8(c.Byte(13));
        out.u8(0);
        out.u8(c.Byte(21));
        out.u8(0);
        out.u8(0);
    }
    return std::move(out.buffer());
}

std::vector<uint8_t> BuildVirtualMinimap(const GeneratorGrid& grid, const TileAttributeTables& attributes) {
    // Two pixels a cell, odd rows shifted by one, on a surface the map is clipped to.
    const int32_t regionW = std::min(2 * grid.width, kSourceSide);
    const int32_t regionH = std::min(grid.height, kSourceSide);
    std::vector<uint16_t> source(size_t(std::max(regionW, 1)) * size_t(std::max(regionH, 1)), 0);
    uint16_t colour = 0;
    for (int32_t y = 0; y < regionH; ++y) {
        uint16_t* row = &source[size_t(y) * size_t(regionW)];
        int32_t px = 0;
        auto put = [&](uint16_t v) {
            if (px < regionW) row[px] = v;
            ++px;
        };
        bool first = true;
        for (int32_t x = 0; x < grid.width; ++x) {
            const GeneratorCell& c = grid.At(x, y);
            const TileAttribute* e = c.layer == GeneratorCell::kNone
                                         ? TileAttributeTables::Find(attributes.ground, c.ground)
                                         : TileAttributeTables::Find(attributes.layer, c.layer);
            if (c.object != GeneratorCell::kNone)
                if (const TileAttribute* o = TileAttributeTables::Find(attributes.object, c.object)) e = o;
            if (e) colour = e->colour;
            if (first && (y & 1)) put(colour);
            first = false;
            put(colour);
            put(colour);
        }
    }
    ByteWriter out;
    out.buffer().reserve(size_t(kMiniWidth) * kMiniRows * 2);
    for (int32_t y = 0; y < kMiniRows; ++y) {
        const int32_t sy = regionH > 0 ? y * regionH / kMiniRows : 0;
        for (int32_t x = 0; x < kMiniWidth; ++x) {
            const int32_t sx = regionW > 0 ? x * regionW / kMiniWidth : 0;
            out.u16(regionW > 0 && regionH > 0 ? source[size_t(sy) * size_t(regionW) + size_t(sx)] : 0);
        }
    }
    return std::move(out.buffer());
}

bool SaveVirtualMap(RandomMapRun& run, const std::string& name) {
    const std::string mapName = name + ".m";
    const std::string miniName = name + ".x";
    for (const std::string& old : {std::string("Virtual.dor"), mapName, miniName})
        platform::DeleteFile(old.c_str());
    if (!Write("Virtual.dor", WriteDoorFile(run.gates))) return false;
    StampFootprints(run);
    if (!Write(mapName, BuildVirtualMapFile(run.grid, run.sources.attributes))) return false;
    if (!Write(miniName, BuildVirtualMinimap(run.grid, run.sources.attributes))) return false;
    for (auto& gates : run.gates)
        gates.clear();
    for (Kingdom* kingdom : StageKingdoms(run.stage)) {
        for (uintptr_t v = kingdom->fieldUnits.First(); v != 0; v = kingdom->fieldUnits.First()) {
            kingdom->fieldUnits.RemoveCurrent();
            delete reinterpret_cast<Troop*>(v);
        }
    }
    return true;
}
