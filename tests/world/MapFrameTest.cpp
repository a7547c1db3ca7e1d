#include "../engine/DrawingFixture.h"
#include "troops/TroopFixture.h"

#include "Program/Palettes.h"
#include "engine/GameFileWriters.h"
#include "engine/PixelFormat.h"
#include "engine/ResourceStore.h"
#include "engine/ResourceStoreFormats.h"
#include "platform/Surface.h"
#include "world/MapView.h"
#include "world/RandomMapTables.h"
#include "world/TileGeometry.h"
#include "world/Zu_SkillEffect.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr uint16_t kTroopColour = 0xFD20; // orange
constexpr uint16_t kBuildingMark = 0x8410;

gamefiles::AniFrameSpec Disc(uint16_t colour, int size) {
    gamefiles::AniFrameSpec f;
    f.w = f.h = size;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const int dx = 2 * x - size + 1, dy = 2 * y - size + 1;
            const bool in = dx * dx + dy * dy <= size * size;
            f.pixels.push_back(in ? colour : 0);
            // The rim is blended over the map.
            f.mask.push_back(!in ? 0 : dx * dx + dy * dy > size * size / 2 ? 128 : 255);
        }
    return f;
}

// A whole battle frame drawn headless the way the battle frame draws it: terrain, the first
// effect list, then the objects: a building of the player's colour, troops with their bars and
// markers, a map effect and a drag box.
struct MapFrame : testing::Test {
    TestDisplay display{565};
    trooptest::Battle b;
    Kingdom* player = b.AddKingdom(1, true);
    Kingdom* enemy = b.AddKingdom(2);
    MapView* view = new MapView;
    platform::Surface* building = nullptr;
    FrameRecord record;
    std::vector<uint8_t> troopPixels;
    std::vector<Troop*> troops;
    Palettes saved;

    MapFrame() {
        gamefiles::WriteBytes("fire.ani", gamefiles::AniFile({Disc(0xF800, 24), Disc(0xFBE0, 24)}));
        gamefiles::WriteBytes("Ok.ani", gamefiles::AniFile({Disc(0x07FF, 10), Disc(0x07FF, 12)}));
        b.Animations({});
        b.store->CreateSmallSurfaces();
        trooptest::Battle::War(player, enemy);
        Terrain();
        Building();
        Palettes& p = GamePalettes();
        saved.mainTable = p.mainTable;
        p.numbered[1] = std::make_unique<ColourTable>();
        for (int i = 0; i < 256; ++i)
            (*p.numbered[1])[i] = i == 0 ? 0 : i == 41 ? 0x4100 : kTroopColour;
        // A 20 x 30 soldier with a dark outline, of colours past the nation ramps.
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 20; ++x)
                troopPixels.push_back(x == 0 || x == 19 || y == 0 || y == 29 ? 41 : 40);
        record.offsetX = 90;
        record.offsetY = 100;
        record.frameWidth = 20;
        record.frameHeight = 30;
        record.data = troopPixels.data();
        record.dataSize = uint32_t(troopPixels.size());
        TheGameController->gameScreen = view;
        view->mapWidth = trooptest::kMapWidth;
        view->mapHeight = trooptest::kMapRows;
        view->SetView(0, 0, trooptest::kMapWidth, trooptest::kMapRows);
        view->SetViewOrigin(0, 0);
        view->Redraw();
    }
    ~MapFrame() override {
        TheResourceStore->ClearEffectLists();
        for (Troop* t : troops)
            for (Zu_SkillEffect*& e : t->attachedEffects) {
                delete e;
                e = nullptr;
            }
        GamePalettes().numbered[1].reset();
        GamePalettes().mainTable = saved.mainTable;
        ResourceStore& store = *TheResourceStore;
        delete store.sprites[7];
        delete[] store.sprites;
        store.sprites = nullptr;
        store.spriteCount = 0;
        store.spriteSurfaces[0] = nullptr;
        if (building) building->Release();
        NationColourTable[1] = {};
        NationColourTable[2] = {};
        TheGameController->gameScreen = nullptr;
        delete view;
    }
    // Four grass shades in a chequer, every cell in sight.
    void Terrain() {
        ResourceStore& store = *TheResourceStore;
        store.groundCount = 4;
        store.groundCells = new uint16_t*[4];
        for (int g = 0; g < 4; ++g) {
            store.groundCells[g] = new uint16_t[400];
            for (int i = 0; i < 400; ++i)
                store.groundCells[g][i] = PackRgb16(uint8_t(40 + 10 * g), uint8_t(110 + 15 * g + i % 7), 40);
        }
        for (int m = 0; m < kMythRecords; ++m)
            for (int i = 0; i < kMythRecordSize; ++i)
                MythMasks[m * kMythRecordSize + i] = uint8_t(4 + i % 8);
        for (int y = 0; y < trooptest::kMapRows; ++y)
            for (int x = 0; x < trooptest::kMapWidth; ++x) {
                MapCell& c = *TheBattleMap->CellAt(x, y);
                c.groundTile = uint16_t((x + y / 2) % 4);
                c.sightCount = 2;
            }
    }
    // A 60 x 50 house whose roof is of the recolourable marked colour, on cell (10, 24).
    void Building() {
        building = CreateOffscreenSurface(60, 50);
        ASSERT_NE(building, nullptr);
        platform::DDCOLORKEY key;
        building->SetColorKey(platform::DDCKEY_SRCBLT, &key);
        platform::DDSURFACEDESC2 desc;
        ASSERT_TRUE(platform::SUCCEEDED(building->Lock(nullptr, &desc, platform::DDLOCK_WAIT)));
        for (int y = 0; y < 50; ++y) {
            auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch);
            for (int x = 0; x < 60; ++x) {
                const bool roof = y < 20 && x >= 20 - y && x < 40 + y;
                const bool wall = y >= 20 && x >= 6 && x < 54;
                const bool door = y >= 34 && x >= 26 && x < 34;
                row[x] = roof   ? kBuildingMark
                         : door ? PackRgb16(60, 40, 20)
                         : wall ? PackRgb16(200, 190, 160)
                                : 0;
            }
        }
        building->Unlock(nullptr);
        ResourceStore& store = *TheResourceStore;
        store.spriteCount = 8;
        store.sprites = new KingdomSprite*[8]();
        store.sprites[7] = new KingdomSprite{30, 50, 60, 50, 0};
        store.spriteSurfaceIndex[7] = 0;
        store.spriteSurfaces[0] = building;
        NationColourTable[1][0] = kBuildingMark;
        NationColourTable[2][0] = PackRgb16(40, 80, 220);
        MapCell& c = *TheBattleMap->CellAt(10, 24);
        c.overlayTile = 7;
        c.ownerMark = 102;
    }
    Troop* Soldier(Kingdom* k, int x, int y) {
        Troop* t = b.AddTroop(k, x, y, 1, 0, 0);
        t->currentType = 1;
        t->facing = 2;
        t->frame = &record;
        t->officer->Set(OfficerLayout::kHp, 200);
        t->officer->Set(OfficerLayout::kMaxHp, 200);
        troops.push_back(t);
        return t;
    }
    void DrawFrame() {
        view->DrawTerrain();
        TheResourceStore->StepFirstEffectList();
        view->DrawObjects();
    }
    uint16_t At(int x, int y) const { return GetBackSurface()->PixelAt(x, y); }
    // Writes the frame as a 24-bit BMP when KARDOL_TEST_PICTURE names a file.
    void Dump() const {
        const char* name = std::getenv("KARDOL_TEST_PICTURE");
        if (!name) return;
        FILE* f = std::fopen(name, "wb");
        if (!f) return;
        const int w = 800, h = 560;
        uint8_t header[54] = {'B', 'M'};
        auto put = [&](int at, uint32_t v) {
            for (int i = 0; i < 4; ++i)
                header[at + i] = uint8_t(v >> (8 * i));
        };
        put(2, 54 + uint32_t(w * 3 * h));
        put(10, 54);
        put(14, 40);
        put(18, w);
        put(22, h);
        header[26] = 1;
        header[28] = 24;
        std::fwrite(header, 1, 54, f);
        for (int y = h - 1; y >= 0; --y)
            for (int x = 0; x < w; ++x) {
                const uint32_t c = PixelToColour(GetBackSurface()->PixelAt(x, y));
                const uint8_t bgr[3] = {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)};
                std::fwrite(bgr, 1, 3, f);
            }
        std::fclose(f);
    }
};

TEST_F(MapFrame, TroopsShowTheirBarsAndMarkersAndHiddenEnemiesStayHidden) {
    Troop* chosen = Soldier(player, 6, 10);
    Troop* other = Soldier(player, 9, 10);
    Troop* hidden = Soldier(enemy, 12, 14);
    hidden->flags = 0x2000;
    Troop* seen = Soldier(enemy, 14, 14);
    chosen->selected = 1;
    // A command marker on the other unit and a fire on the map.
    other->attachedEffects[2] =
        new Zu_SkillEffect(3, 16, other->pixelX + 82, other->pixelY + 70, 0, 0, other);
    new Zu_SkillEffect(3, 0, 520, 120);
    TheGameController->dragging = 1;
    TheGameController->dragStartX = 440;
    TheGameController->dragStartY = 300;
    TheGameController->dragEndX = 620;
    TheGameController->dragEndY = 420;
    DrawFrame();
    Dump();

    auto body = [&](const Troop* t) { return At(t->pixelX + 90 + 10, t->pixelY + 100 + 15); };
    EXPECT_EQ(body(chosen), kTroopColour);
    EXPECT_EQ(body(other), kTroopColour);
    EXPECT_EQ(body(seen), kTroopColour);
    EXPECT_NE(body(hidden), kTroopColour) << "an enemy in hiding is not drawn";
    // Full strength: a green bar of 200 * 32 / 250 pixels under the selected unit only.
    const auto bar = [&](const Troop* t, int dx) { return At(t->pixelX + 108 + dx, t->pixelY + 184); };
    EXPECT_EQ(bar(chosen, 0), 0x07E0);
    EXPECT_EQ(bar(chosen, 24), 0x07E0);
    EXPECT_NE(bar(chosen, 25), 0x07E0);
    EXPECT_NE(bar(other, 0), 0x07E0);
    // The marker plays in the unit's effect slot, drawn at the unit + (82, 70).
    ASSERT_NE(other->attachedEffects[2], nullptr);
    EXPECT_EQ(At(other->pixelX + 82 + 5, other->pixelY + 70 + 5), 0x07FF);
    // The roof takes the owner's colour; the fire's core is red or orange.
    EXPECT_EQ(At(400, 210), PackRgb16(40, 80, 220));
    const uint16_t fire = At(532, 132);
    EXPECT_TRUE(fire == 0xF800 || fire == 0xFBE0) << std::hex << fire;
    // The drag box is outlined.
    EXPECT_EQ(At(500, 300), At(440, 350));
}

} // namespace
