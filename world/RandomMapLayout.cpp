#include "world/RandomMapLayout.h"

#include "engine/ByteReader.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "records/SubCastle.h"
#include "stagefiles/SavedRecord.h"
#include "world/BattleMap.h"
#include "world/RandomMapRun.h"

#include <algorithm>
#include <cstring>

namespace {

using CL = CityLayout;
constexpr uint32_t kCopyCity = 108;
constexpr uint16_t kTowerTile = 0xE41;

bool InWallRange(uint16_t ground) {
    return ground >= 4432 && ground <= 4518;
}

// Copies a w x h piece of `src` from (sx, sy) onto the grid at (dx, dy); rows stop at either
// map's height, columns at the piece's edge and either map's width.
template <typename F>
void CopyPiece(GeneratorGrid& grid, const GeneratorGrid& src, int32_t sx, int32_t sy, int32_t w, int32_t h,
               int32_t dx, int32_t dy, F take) {
    for (int32_t j = 0; j < h; ++j) {
        if (sy + j >= src.height || dy + j >= grid.height) break;
        if (sy + j < 0 || dy + j < 0) continue;
        for (int32_t i = 0; i < w; ++i) {
            if (!src.Inside(sx + i, sy + j) || !grid.Inside(dx + i, dy + j)) continue;
            take(grid.At(dx + i, dy + j), src.At(sx + i, sy + j));
        }
    }
}

void TakeBytes(GeneratorCell& d, const GeneratorCell& s, std::initializer_list<int> offsets) {
    for (int o : offsets)
        d.Byte(o) = s.Byte(o);
}

// The filler ground: the runtime generator's arithmetic on the run's own state.
uint16_t NextFiller(RandomMapRun& run) {
    run.fillerState = run.fillerState * 214013u + 2531011u;
    return uint16_t(90 + ((run.fillerState >> 16) & 0x7FFF) % 9);
}

bool RectFree(const RandomMapRun& run, int32_t bx, int32_t by) {
    for (int32_t y = by; y < by + 3; ++y)
        for (int32_t x = bx; x < bx + 4; ++x)
            if (run.occupancy[x][y]) return false;
    return true;
}

void MarkRect(RandomMapRun& run, int32_t bx, int32_t by, int32_t n) {
    for (int32_t y = by; y < by + 3 && y < n; ++y)
        for (int32_t x = bx; x < bx + 4 && x < n; ++x)
            if (x >= 0 && y >= 0) run.occupancy[x][y] = 1;
}

bool AnyFreeBlock(const RandomMapRun& run, int32_t n, int32_t* fx = nullptr, int32_t* fy = nullptr) {
    for (int32_t y = 0; y < n; ++y)
        for (int32_t x = 0; x < n; ++x)
            if (!run.occupancy[x][y]) {
                if (fx) *fx = x, *fy = y;
                return true;
            }
    return false;
}

// A free block for a village or lair; false when none is left.
bool DrawFreeBlock(RandomMapRun& run, int32_t n, int32_t& bx, int32_t& by) {
    // Past this many misses a collapsed multiplier could draw the same taken block for ever; the
    // first free block in row order is then taken, alike on every peer.
    const int64_t cap = 100 + 4 * int64_t(n) * n;
    for (int64_t misses = 0;; ++misses) {
        if (misses > 100 && !AnyFreeBlock(run, n)) return false;
        if (misses >= cap) return AnyFreeBlock(run, n, &bx, &by);
        bx = int32_t(run.Draw(n));
        run.Remix47_13();
        by = int32_t(run.Draw(n));
        run.Remix43_29();
        if (!run.occupancy[bx][by]) return true;
    }
}

City* FindTemplate(const CastleTemplate& t, int32_t kind, int32_t index) {
    for (int i = 0; i < t.CityCount(); ++i) {
        City* c = t.CityAt(i);
        if (c->Kind() == kind && c->Int(CL::kIndex) == index) return c;
    }
    return t.CityAt(t.CityCount() - 1);
}

void PlaceCityBlocks(RandomMapRun& run, const std::vector<Kingdom*>& kingdoms, int32_t n) {
    const int32_t s = std::clamp(run.options.sizeIndex, 0, 15);
    int mode = 0;
    for (;;) {
        std::memset(run.occupancy, 0, sizeof run.occupancy);
        int32_t k = 0;
        bool restart = false;
        for (Kingdom* kingdom : kingdoms) {
            const int32_t kind = kingdom->NationKind();
            if (kind == 2 || kind == 3) continue;
            for (City* city : KingdomCities(*kingdom)) {
                int32_t bx = 0, by = 0;
                if (mode < 5) {
                    int32_t tries = 0, a = n / 4, b = n / 4;
                    for (;;) {
                        if (tries <= 100) {
                            bx = int32_t(run.Draw(n));
                            run.Remix47_13();
                            by = int32_t(run.Draw(n));
                            run.Remix43_29();
                        } else {
                            bx = a;
                            by = b;
                            a += 4;
                            if (a >= n) {
                                a = 0;
                                b += 3;
                                if (b >= n) b = 0;
                            }
                        }
                        ++tries;
                        if (tries == 3) run.M = run.M + run.M * run.M + 11873u;
                        if (tries == 6) run.M = run.M + 3u;
                        if (tries >= 200) {
                            mode = 1;
                            run.M = run.M * run.M + 1103515245u;
                            break;
                        }
                        if (bx >= n - 4 || by >= n - 3 || !RectFree(run, bx, by)) continue;
                        MarkRect(run, bx, by, n);
                        break;
                    }
                } else {
                    const BlockPosition p = FixedCityPositions[s][std::min(k, 15)];
                    // A fixed place must leave its castle inside the map.
                    bx = std::clamp<int32_t>(p.x, 0, std::max(0, n - 4));
                    by = std::clamp<int32_t>(p.y, 0, std::max(0, n - 3));
                    MarkRect(run, bx, by, n);
                }
                city->SetInt(CL::kX, bx);
                city->SetInt(CL::kY, by);
                city->SetInt(kCopyCity, int32_t(run.Draw(12)));
                ++k;
            }
            if (mode >= 1 && mode <= 4) {
                mode = 6;
                restart = true;
                break;
            }
        }
        if (!restart) return;
    }
}

void LayCastle(RandomMapRun& run, Kingdom& kingdom, size_t kingdomIndex, City& city, int32_t style,
               int32_t& c) {
    GeneratorGrid& grid = run.grid;
    const int32_t bx = city.Int(CL::kX), by = city.Int(CL::kY);
    const uint32_t j = run.Draw(2);
    run.M = run.M * 137u / 11u;
    const int32_t level = std::clamp(run.options.resourceLevel, 0, 3);
    const int32_t t = CastleTemplateChoice[level][j];
    City* T = run.castles.CityAt(t);
    const int32_t tx = T ? T->Int(CL::kX) : 0, ty = T ? T->Int(CL::kY) : 0;
    const int32_t f = t % 4, g = t / 4;
    // The castle's cell stays on the map whatever the template says.
    const int32_t x = std::clamp(20 * bx + tx % 80, 0, std::max(0, grid.width - 1));
    const int32_t y = std::clamp(60 * by + ty % 180, 0, std::max(0, grid.height - 1));
    if (T) {
        for (const GateRecord& G : run.castles.Gates()) {
            if (G.cityX != tx || G.cityY != ty) continue;
            GateRecord gate;
            gate.centreX = G.centreX - 80 * f + 20 * bx;
            gate.centreY = (2 * G.centreY - 180 * g + 60 * by) / 2;
            gate.direction = G.direction;
            gate.style = G.style;
            gate.cityX = x;
            gate.cityY = y;
            run.gates[kingdomIndex].push_back(gate);
        }
    }
    (void)kingdom;
    city.SetInt(CL::kX, x);
    city.SetInt(CL::kY, y);
    city.id = c;
    if (c < 256) {
        run.cityById[size_t(c)] = &city;
        if (TheBattleMap) TheBattleMap->EnterCityById(&city);
    }
    ++c;
    if (T) {
        const int32_t dx = x - tx, dy = y - ty;
        for (uintptr_t v = T->sites.First(); v != 0; v = T->sites.Next()) {
            auto* site = reinterpret_cast<SavedRecord*>(v);
            city.sites.Add(
                reinterpret_cast<uintptr_t>(new SavedRecord(site->x + dx, site->y + dy, site->kind)));
        }
        for (uintptr_t v = T->subCastles.First(); v != 0; v = T->subCastles.Next()) {
            auto* from = reinterpret_cast<SubCastle*>(v);
            auto* sub = new SubCastle(0);
            std::memcpy(sub->block, from->block, SubCastleLayout::kSize);
            const int32_t sx = from->Int(SubCastleLayout::kX) + dx, sy = from->Int(SubCastleLayout::kY) + dy;
            sub->SetInt(SubCastleLayout::kX, sx);
            sub->SetInt(SubCastleLayout::kY, sy);
            sub->SetOwner(city.ownerSide, city.id);
            sub->entranceX = sx + 1;
            sub->entranceY = (sy + 8) / 2 + 1;
            city.subCastles.Add(reinterpret_cast<uintptr_t>(sub));
        }
    }
    for (int32_t s12 = 0; s12 < 12; ++s12) {
        const int32_t p = int32_t(run.Draw(15));
        CopyPiece(grid, run.sources.terrain, 20 * p, 120 * style, 20, 60, 20 * (bx + s12 % 4),
                  60 * (by + s12 / 4), [](GeneratorCell& d, const GeneratorCell& s) {
                      d.ground = s.ground;
                      d.layer = s.layer;
                  });
    }
    if (!T) return;
    CopyPiece(grid, run.sources.castle, 80 * (tx / 80), 180 * (ty / 180), 80, 180, 20 * bx, 60 * by,
              [](GeneratorCell& d, const GeneratorCell& s) {
                  if (s.drawn()) {
                      if (s.ground < 90 || s.ground > 98) d.ground = s.ground;
                      d.layer = s.layer;
                  }
                  d.overlay = s.overlay;
                  d.object = s.object;
                  TakeBytes(d, s, {8, 10, 12, 13, 21});
              });
}

// Villages (group kind 2) and lairs (kind 3) on free blocks; false once no block or template is
// left.
bool LaySmallCity(RandomMapRun& run, City& city, bool village, int32_t n, int32_t& lastRow,
                  int32_t& lastBase) {
    const int32_t r = int32_t(run.Draw(4));
    int32_t row = 600, v = 30 + r;
    int32_t kind = 6;
    if (!village) {
        kind = city.Kind();
        switch (kind) {
        case 3:
            lastRow = 720, lastBase = 62;
            break;
        case 10:
            lastRow = 780, lastBase = 78;
            break;
        case 2:
            lastRow = 660, lastBase = 46;
            break;
        default:
            break; // the previous lair's values (the lair's for the first)
        }
        row = lastRow;
        v = lastBase + r;
    }
    City* T = FindTemplate(run.castles, kind, v);
    if (!T) return false;
    int32_t bx = 0, by = 0;
    if (!DrawFreeBlock(run, n, bx, by)) return false;
    run.occupancy[bx][by] = 2;
    city.SetInt(CL::kX, 20 * bx + T->Int(CL::kX) - 20 * (r + 1));
    city.SetInt(CL::kY, 60 * by + T->Int(CL::kY) - row);
    CopyPiece(run.grid, run.sources.castle, 20 * (r + 1), row, 20, 60, 20 * bx, 60 * by,
              [village](GeneratorCell& d, const GeneratorCell& s) {
                  if (s.drawn()) {
                      if (InWallRange(s.ground)) d.ground = s.ground;
                      if (!village) d.layer = s.layer;
                  }
                  if (village) d.layer = s.layer;
                  d.overlay = s.overlay;
                  d.object = s.object;
                  TakeBytes(d, s, {8, 10, 12, 13, 21});
              });
    return true;
}

void FillBlocks(RandomMapRun& run, int32_t n, int32_t style) {
    for (int32_t by = 0; by < n; ++by) {
        for (int32_t bx = 0; bx < n; ++bx) {
            const uint8_t mark = run.occupancy[bx][by];
            if (mark == 1) continue;
            const int32_t p = int32_t(run.Draw(15));
            if (mark == 0) {
                run.M = run.M * 72u / 23u;
                const uint32_t q = run.Draw(100);
                const int32_t strip = q < 70 ? 2 * style : 2 * style + int32_t(run.Draw(2));
                run.M = run.M * 53u / 17u;
                CopyPiece(run.grid, run.sources.terrain, 20 * p, 60 * strip, 20, 60, 20 * bx, 60 * by,
                          [](GeneratorCell& d, const GeneratorCell& s) {
                              d.ground = s.ground;
                              d.layer = s.layer;
                              d.overlay = s.overlay;
                              d.object = s.object;
                              TakeBytes(d, s, {12, 13});
                          });
            } else {
                run.M = run.M * 72u / 23u * 53u / 17u;
                CopyPiece(run.grid, run.sources.terrain, 20 * p, 120 * style, 20, 60, 20 * bx, 60 * by,
                          [](GeneratorCell& d, const GeneratorCell& s) {
                              if (!InWallRange(d.ground)) d.ground = s.ground;
                              if (d.drawn()) return;
                              d.layer = s.layer;
                              d.overlay = s.overlay;
                              d.object = s.object;
                              TakeBytes(d, s, {8, 12, 13, 21});
                          });
            }
        }
    }
}

} // namespace

void LayoutVirtualMap(RandomMapRun& run) {
    run.M = run.state;
    const int32_t style = int32_t(run.Draw(3));
    // The block occupancy holds 50 x 50.
    const int32_t n = std::clamp(run.settings.Row(run.options.sizeIndex, 0), 1, 50);
    GeneratorGrid& grid = run.grid;
    grid.width = 20 * n;
    grid.height = 60 * n;
    grid.cells.assign(size_t(grid.width) * size_t(grid.height), GeneratorCell{});
    for (GeneratorCell& cell : grid.cells)
        cell.ground = NextFiller(run);

    const std::vector<Kingdom*> kingdoms = StageKingdoms(run.stage);
    run.gates.assign(kingdoms.size(), {});
    PlaceCityBlocks(run, kingdoms, n);

    int32_t c = 1;
    for (size_t i = 0; i < kingdoms.size(); ++i) {
        const int32_t kind = kingdoms[i]->NationKind();
        if (kind == 2 || kind == 3) continue;
        for (City* city : KingdomCities(*kingdoms[i]))
            LayCastle(run, *kingdoms[i], i, *city, style, c);
    }
    int32_t lastRow = 660, lastBase = 46;
    for (int pass = 2; pass <= 3; ++pass) {
        for (Kingdom* kingdom : kingdoms) {
            if (kingdom->NationKind() != pass) continue;
            for (City* city : KingdomCities(*kingdom))
                if (!LaySmallCity(run, *city, pass == 2, n, lastRow, lastBase)) break;
        }
    }
    FillBlocks(run, n, style);
    for (Kingdom* kingdom : kingdoms)
        for (City* city : KingdomCities(*kingdom))
            InitGeneratedCityTowers(run, *city);
}

void InitGeneratedCityTowers(RandomMapRun& run, City& city) {
    if (city.Kind() != 0) return;
    const uint8_t* tower = GeneralTemplate(453);
    if (!tower) return;
    ByteReader r(tower + OfficerLayout::kMaxHp, 4);
    const int32_t maxHp = r.i32();
    const GeneratorGrid& grid = run.grid;
    const int32_t x = city.Int(CL::kX), y = city.Int(CL::kY);
    const int32_t x0 = std::clamp(x - 34, 0, grid.width - 1), x1 = std::clamp(x + 34, 0, grid.width - 1);
    const int32_t y0 = std::clamp(y - 80, 0, grid.height - 1), y1 = std::clamp(y + 80, 0, grid.height - 1);
    int slot = 0;
    for (int32_t cy = y0; cy < y1 && slot < 6; ++cy) {
        for (int32_t cx = x0; cx < x1 && slot < 6; ++cx) {
            if (grid.At(cx, cy).overlay != kTowerTile) continue;
            ByteWriter w;
            w.i32(453);
            w.i32(cx);
            w.i32((cy - 1) / 2);
            w.i32(maxHp);
            std::memcpy(city.towerCells[slot], w.buffer().data(), 16);
            ++slot;
        }
    }
}
