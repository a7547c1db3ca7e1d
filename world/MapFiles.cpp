#include "world/MapFiles.h"

#include "Program/GameController.h"
#include "Program/LoadingScreen.h"
#include "engine/ByteReader.h"
#include "engine/ErrorList.h"
#include "engine/ResourceStoreFiles.h"
#include "engine/Tools.h"
#include "platform/Files.h"
#include "world/BattleMap.h"
#include "world/MapView.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr char kMagic[8] = {'M', 'o', 'r', 'v', 'e', 'k', '1', '0'};
// Overlay tiles at the foot of a gate: the cell two rows above them is blocked.
constexpr uint16_t kGateFootTiles[8] = {0x0AC3, 0x0AD6, 0x12C7, 0x12DA, 0x13AB, 0x13BE, 0x148F, 0x14A2};
constexpr uint16_t kOutsideGrey = 0x4208;
// The fog layers of a saved game start covered; the colour of that cover.
constexpr uint16_t kFogCover = 0x0000;

void Fail(const std::string& file, int line, int kind) {
    Zu_ErrorList::Global().Add(file.c_str(), line, kind, 0);
    Zu_Tools::WriteErrorLog(file.c_str(),
                            kind == Zu_ErrorList::KindOpen ? "cannot be opened" : "cannot be read", line, 0,
                            0, 0, 1);
}

void PutPixel(uint8_t* layer, int index, uint16_t p) {
    layer[2 * index] = uint8_t(p);
    layer[2 * index + 1] = uint8_t(p >> 8);
}

// The fog layers of a saved game: covered, with the area outside the map's part dark grey.
void FillSavedGameFog(uint8_t* layer, const MinimapRect& r) {
    for (int y = 0; y < kMinimapHeight; ++y)
        for (int x = 0; x < kMinimapWidth; ++x) {
            const bool outside = y < r.top || y >= r.bottom || x < r.left || x >= r.right;
            PutPixel(layer, y * kMinimapWidth + x, outside ? kOutsideGrey : kFogCover);
        }
}

bool ReadLayer(const std::string& file, std::array<uint8_t, kMinimapBytes>& out) {
    std::vector<uint8_t> bytes;
    if (!ReadGameFile(file.c_str(), bytes)) {
        Fail(file, __LINE__, Zu_ErrorList::KindOpen);
        return false;
    }
    if (bytes.size() < kMinimapBytes) {
        Fail(file, __LINE__, Zu_ErrorList::KindRead);
        return false;
    }
    std::memcpy(out.data(), bytes.data(), kMinimapBytes);
    return true;
}

bool WriteWhole(const std::string& file, const uint8_t* data, size_t size) {
    return platform::WriteFileAtomic(file.c_str(), data, size);
}

} // namespace

MinimapRect FitMinimapRect(int32_t w, int32_t h) {
    MinimapRect r;
    if (w <= 0 || h <= 0) return r;
    if (h >= 3 * w) {
        const int32_t inner = int32_t(int64_t(w) * kMinimapWidth / std::max(1, h / 3));
        r.left = (kMinimapWidth - std::min(inner, kMinimapWidth)) / 2;
        r.right = r.left + std::min(inner, kMinimapWidth);
    } else {
        const int32_t inner = int32_t(int64_t(h) * kMinimapHeight / (3 * int64_t(w)));
        r.top = (kMinimapHeight - inner) / 2;
        r.bottom = r.top + inner;
    }
    return r;
}

bool ParseMapFile(std::span<const uint8_t> bytes, MapGrid& out, void (*progress)(int)) {
    ByteReader in(bytes);
    const uint32_t w = in.u32();
    const uint32_t r = in.u32();
    if (!in.skip(sizeof kMagic)) return false;
    if (w < 1 || r < 1 || w > uint32_t(kMaxMapWidth) || r > uint32_t(kMaxMapRows) ||
        uint64_t(w) * r > uint64_t(kMaxMapCells))
        return false;
    const size_t count = size_t(w) * r;
    if (in.remaining() < count * MapCell::kSize) return false;
    auto cells = std::make_unique<MapCell[]>(count);
    int shown = -1;
    for (size_t i = 0; i < count; ++i) {
        if (!cells[i].Read(in)) return false;
        if (progress) {
            const int percent = 10 + int(uint64_t(in.pos()) * 60 / bytes.size());
            if (percent > shown) progress(shown = percent);
        }
    }
    out.width = int32_t(w);
    out.rows = int32_t(r);
    out.cells = std::move(cells);
    return true;
}

std::vector<uint8_t> WriteMapFile(int32_t w, int32_t r, const MapCell* cells) {
    ByteWriter out;
    out.u32(uint32_t(w));
    out.u32(uint32_t(r));
    out.bytes(kMagic, sizeof kMagic);
    if (cells)
        for (size_t i = 0; i < size_t(std::max(0, w)) * size_t(std::max(0, r)); ++i)
            cells[i].Write(out);
    return std::move(out.buffer());
}

void ApplyMapLoadFixes(MapGrid& g, bool savedGame) {
    const size_t count = size_t(g.width) * size_t(g.rows);
    for (size_t i = 0; i < count; ++i) {
        MapCell& c = g.cells[i];
        if (c.cityId > 99) {
            c.cityId = 0;
            c.ownerMark = 0;
        }
        if (savedGame) {
            c.seen = 0;
            c.fogMark = 0;
            c.sightCount = 0;
        }
    }
    for (int32_t y = 0; y < g.rows; y += 2)
        g.cells[size_t(y) * size_t(g.width)].obstacle = 1;
    for (size_t i = 2 * size_t(g.width); i < count; ++i)
        if (std::find(std::begin(kGateFootTiles), std::end(kGateFootTiles), g.cells[i].overlayTile) !=
            std::end(kGateFootTiles))
            g.cells[i - 2 * size_t(g.width)].obstacle = 1;
}

int LoadMapFiles(const char* name) {
    if (!name || !TheBattleMap) return 0;
    const std::string base = name;
    GameController* c = TheGameController;
    const bool savedGame = c && c->loadingSavedGame;

    // Everything is read and checked before anything is replaced.
    std::vector<uint8_t> bytes;
    if (!ReadGameFile((base + ".m").c_str(), bytes)) {
        Fail(base + ".m", __LINE__, Zu_ErrorList::KindOpen);
        return 0;
    }
    MapGrid grid;
    if (!ParseMapFile(bytes, grid, SetLoadingProgress)) {
        Fail(base + ".m", __LINE__, Zu_ErrorList::KindRead);
        return 0;
    }
    ApplyMapLoadFixes(grid, savedGame);
    const MinimapRect rect = FitMinimapRect(grid.width, grid.rows);

    std::array<uint8_t, kMinimapBytes> terrain{}, fogA{}, fogB{};
    if (!ReadLayer(base + ".x", terrain)) return 0;
    if (savedGame) {
        FillSavedGameFog(fogA.data(), rect);
        FillSavedGameFog(fogB.data(), rect);
    } else if (base == "Virtual" && !platform::FileExists((base + ".cmb").c_str())) {
        // The random map generator writes no fog layers: its map starts covered.
        FillSavedGameFog(fogA.data(), rect);
        FillSavedGameFog(fogB.data(), rect);
    } else {
        // The first fog layer may be missing (it is noted), but one that is there must be whole.
        if (!platform::FileExists((base + ".csm").c_str()))
            Fail(base + ".csm", __LINE__, Zu_ErrorList::KindOpen);
        else if (!ReadLayer(base + ".csm", fogA))
            return 0;
        if (!ReadLayer(base + ".cmb", fogB)) return 0;
    }

    BattleMap& map = *TheBattleMap;
    const int32_t w = grid.width, r = grid.rows;
    map.SetCells(std::move(grid.cells), w, r);
    map.validBounds = {0, 0, w, r};
    map.occupancyView = {0, 0, w, r / 2};
    if (c) {
        if (c->gameScreen) {
            c->gameScreen->SetMapSize(w, r, rect);
            // The view may scroll over the whole new map; a stage file narrows it afterwards, a
            // generated map keeps it. Bounds left from the last map would hide this one's cells.
            c->gameScreen->SetView(0, 0, w, r);
            c->gameScreen->FitMinimap();
        }
        std::memcpy(c->minimapImages[0], terrain.data(), kMinimapBytes);
        std::memcpy(c->minimapImages[1], fogA.data(), kMinimapBytes);
        std::memcpy(c->minimapImages[2], fogB.data(), kMinimapBytes);
        if (w < kMinimapWidth) c->minimapScaleX = kMinimapWidth / w + 1;
        if (r < kMinimapHeight) c->minimapScaleY = kMinimapHeight / r + 1;
    }
    return 1;
}

int SaveMapFiles(const char* name) {
    if (!name || !TheBattleMap || !TheBattleMap->HasCells()) return 0;
    const std::string base = name;
    const BattleMap& map = *TheBattleMap;
    const std::vector<uint8_t> m = WriteMapFile(map.width, map.rows, map.cells.get());
    if (!WriteWhole(base + ".m", m.data(), m.size())) return 0;
    const GameController* c = TheGameController;
    if (!c) return 0;
    static const char* const kExtensions[3] = {".csm", ".x", ".cmb"};
    static constexpr int kLayerOf[3] = {1, 0, 2};
    for (int i = 0; i < 3; ++i)
        if (!WriteWhole(base + kExtensions[i], c->minimapImages[kLayerOf[i]], kMinimapBytes)) return 0;
    return 1;
}

int LoadStageMapByNumber(int n) {
    char name[32];
    // The loader adds ".m" itself.
    std::snprintf(name, sizeof name, "stage%02d", n);
    return LoadMapFiles(name);
}
