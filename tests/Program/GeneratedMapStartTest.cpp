// A network battle on a generated map, started for one station as the room starts it: the station
// sees the land around its own castle from the first frame, and the view opens over that castle.

#include "engine/DrawingFixture.h"
#include "world/RandomMapGeneratorFixture.h"

#include "Program/BannerWindow.h"
#include "engine/Rect.h"
#include "engine/ResourceStore.h"
#include "events/EventManager.h"
#include "gui/DeferredDelete.h"
#include "gui/RootWidget.h"
#include "net/Zu_LocalSet.h"
#include "net/lobby/SlotFields.h"
#include "platform/Surface.h"
#include "records/TemplateTables.h"
#include "troops/TroopWorld.h"
#include "world/MapView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

constexpr uint16_t kGroundPixel = 0x7BEF; // a mid grey, far from black in both layouts
constexpr int kWorldUpdates = 12;

class GeneratedMapStart : public ::testing::TestWithParam<uint32_t> {
protected:
    GeneratedMapStart() {
        generation.AddGroupCities({{1, 0}, {2, 0}, {3, 0}, {4, 0}});
        TheRootWidget = root;
        // Every ground a generated map may show has a picture of one colour.
        store = std::make_unique<ResourceStore>();
        TheResourceStore = store.get();
        store->groundCount = 5000;
        store->groundCells = new uint16_t*[size_t(store->groundCount)];
        for (int g = 0; g < store->groundCount; ++g) {
            store->groundCells[g] = new uint16_t[400];
            std::fill_n(store->groundCells[g], 400, kGroundPixel);
        }
        c->gameScreen = new MapView;
    }
    ~GeneratedMapStart() override {
        c->session = nullptr;
        delete session;
        delete c->eventManager;
        c->eventManager = nullptr;
        if (c->auxPanel) c->auxPanel->Close(1);
        delete c->auxPanel;
        c->auxPanel = nullptr;
        FlushDeferredDeletes();
        TheResourceStore = nullptr;
        store.reset();
        delete root;
        TheRootWidget = nullptr;
    }

    // The room's two players; the station's own player sits in the first slot.
    void Seat(uint32_t own, uint32_t other) {
        const uint32_t kingdoms[2] = {own, other};
        for (int slot = 0; slot < 2; ++slot) {
            PlayerSlot& p = c->players[slot];
            slotfields::SetId(p, uint32_t(slot + 1));
            slotfields::SetName(p, slot == 0 ? "Own" : "Other");
            slotfields::SetAlliance(p, uint32_t(slot + 1));
            slotfields::SetChoice(p, kingdoms[slot]);
        }
        session->playerCount = 2;
        c->session = session;
    }

    // What the room's start sets on the controller, the generation with the station's kingdom,
    // and the stage start.
    void StartFor(uint32_t own) {
        Seat(own, own == 1 ? 2 : 1);
        c->networked = 1;
        c->gameKind = 2;
        c->randomMap = 1;
        c->roomMapKind = 0;
        c->campaignStage = 100;
        generation.options.localKingdom = int32_t(own);
        ASSERT_TRUE(generation.Run(4242));
        c->StartStage();
        for (int i = 0; i < kWorldUpdates; ++i)
            TheBattleMap->Update();
    }

    TestDisplay display{565};
    randommaptest::OfficerTemplates templates;
    randommaptest::Generation generation{2};
    GameController* c = TheGameController;
    RootWidget* root = new RootWidget(new Rect(0, 0, 800, 600));
    Zu_LocalSet* session = new Zu_LocalSet(TheGameController);
    std::unique_ptr<ResourceStore> store;
};

TEST_P(GeneratedMapStart, TheStationSeesAroundItsCastleAndTheViewOpensOverIt) {
    ASSERT_TRUE(display.ok);
    const uint32_t own = GetParam();
    StartFor(own);
    ASSERT_TRUE(TheBattleMap->HasCells());
    // The generated set is whole without the files the generator never writes.
    ASSERT_NE(c->templateTables, nullptr);
    EXPECT_EQ(c->templateTables->unreadFile, "");
    EXPECT_EQ(c->gameKind, 3);
    EXPECT_EQ(PlayerKingdom(), int32_t(own));
    Kingdom* mine = TroopKingdom(int32_t(own));
    ASSERT_NE(mine, nullptr);
    ASSERT_GT(mine->cities.GetCount(), 0);
    const City* capital = reinterpret_cast<const City*>(mine->cities.GetAt(0));
    const int32_t cx = capital->CellX(), cy = capital->CellY();

    // The land around the castle is in sight, as the view reads it.
    const MapView& v = *c->gameScreen;
    for (int dy = -10; dy <= 10; dy += 2)
        for (int dx = -4; dx <= 4; ++dx) {
            const MapCell* cell = v.GetCell(cx + dx, cy + dy);
            ASSERT_NE(cell, nullptr);
            EXPECT_GE(cell->sightCount, 2) << "cell " << cx + dx << "," << cy + dy;
        }
    // The other player's castle lies in the dark.
    Kingdom* theirs = TroopKingdom(own == 1 ? 2 : 1);
    ASSERT_NE(theirs, nullptr);
    const City* far = reinterpret_cast<const City*>(theirs->cities.GetAt(0));
    EXPECT_EQ(v.GetCell(far->CellX(), far->CellY())->sightCount, 0);

    // The view opens with the castle in its middle columns and upper half.
    EXPECT_EQ(v.viewX, std::max(0, std::min(cx - 10, v.mapWidth - MapView::kViewColumns)));
    EXPECT_EQ(v.viewY, std::max(0, std::min((cy - 14) & ~1, v.mapHeight - MapView::kViewRows)));
    EXPECT_TRUE(cx >= v.viewX && cx < v.viewX + MapView::kViewColumns);
    EXPECT_TRUE(cy >= v.viewY && cy < v.viewY + MapView::kViewRows);

    // The minimap shows the castle's land as the terrain picture has it, not the fog it starts
    // covered with.
    const int col = (v.minimapRight - v.minimapLeft) * cx / v.mapWidth + v.minimapLeft;
    const int row = (v.minimapBottom - v.minimapTop) * cy / v.mapHeight + v.minimapTop;
    const size_t at = 2 * size_t(row * 160 + col);
    const auto pixel = [&](int layer) {
        return uint16_t(c->minimapImages[layer][at] | c->minimapImages[layer][at + 1] << 8);
    };
    EXPECT_NE(pixel(0), 0);
    EXPECT_EQ(pixel(2), pixel(0));

    // The frame's terrain shows the ground, not the black of cells never seen.
    c->gameScreen->DrawTerrain();
    platform::Surface* back = GetBackSurface();
    ASSERT_NE(back, nullptr);
    int black = 0, ground = 0;
    for (int y = 0; y < 560; ++y)
        for (int x = 0; x < 800; ++x) {
            const uint16_t p = back->PixelAt(x, y);
            black += p == 0;
            ground += p == kGroundPixel;
        }
    EXPECT_LT(black, 800 * 560 / 20);
    EXPECT_GT(ground, 800 * 560 / 2);

    // The view scrolls on over the map.
    const int32_t top = v.viewY;
    c->gameScreen->ScrollDown();
    EXPECT_EQ(v.viewY, top + 2);
}

// The host's station (kingdom 1) and the guest's (kingdom 2) of one room.
INSTANTIATE_TEST_SUITE_P(Stations, GeneratedMapStart, ::testing::Values(1u, 2u));

} // namespace
