#include "troops/TroopFixture.h"

#include "engine/ByteReader.h"
#include "engine/PixelFormat.h"
#include "net/CommandLookups.h"
#include "net/SubCommands.h"
#include "net/room/GameCommandTable.h"
#include "records/City.h"
#include "stagefiles/SavedRecord.h"
#include "support/SentCommands.h"
#include "world/FootprintPattern.h"
#include "world/MapView.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

uint16_t Pixel(int layer, int x, int y) {
    const uint8_t* p = TheGameController->minimapImages[layer] + 2 * (y * 160 + x);
    return uint16_t(p[0] | (p[1] << 8));
}
void SetPixel(int layer, int x, int y, uint16_t v) {
    uint8_t* p = TheGameController->minimapImages[layer] + 2 * (y * 160 + x);
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

constexpr uint16_t kUnseen = 0x0801; // the store's darkest colour

// A 160 x 120 map drawn one cell to a minimap pixel, all three layers of the controller.
struct Minimap : testing::Test {
    trooptest::Battle b;
    Kingdom* owner = b.AddKingdom(4, true);
    MapView* view = new MapView;

    Minimap() {
        for (auto*& image : TheGameController->minimapImages) {
            delete[] image;
            image = new uint8_t[160 * 120 * 2]();
        }
        TheGameController->gameScreen = view;
        view->mapWidth = 160;
        view->mapHeight = 120;
        view->scrollMinX = view->scrollMinY = 0;
        view->scrollMaxX = 160;
        view->scrollMaxY = 120;
        owner->ownColour = 0x1234;
        PixelFormat = 565;
        b.store = std::make_unique<ResourceStore>();
        TheResourceStore = b.store.get();
    }
    ~Minimap() override {
        TheGameController->gameScreen = nullptr;
        delete view;
    }
};

// A view without a map size plots its cells and marks as on a one-cell map, never dividing by 0.
TEST_F(Minimap, AViewWithoutAMapSizeStillPlots) {
    view->mapWidth = view->mapHeight = 0;
    view->scrollMaxX = view->scrollMaxY = 1;
    TheGameController->minimapScaleX = TheGameController->minimapScaleY = 1;
    view->PlotMinimap(0, 0, 3);
    EXPECT_EQ(TheGameController->minimapImages[2][0] | TheGameController->minimapImages[2][1] << 8, kUnseen);
    City* city = b.AddCity(owner, 0, 0, 1);
    city->markedCity = 1;
    view->MarkObjectCell(city, 1);
    EXPECT_EQ(TheGameController->minimapImages[1][0] | TheGameController->minimapImages[1][1] << 8, 0x1234);
}

TEST_F(Minimap, SightModesWriteBaseGreyOrUnseen) {
    SetPixel(0, 10, 20, 0xFFFF);
    SetPixel(0, 11, 20, 0xF800);
    SetPixel(0, 12, 20, 0);
    view->PlotMinimap(10, 20, 2);
    view->PlotMinimap(11, 20, 2);
    EXPECT_EQ(Pixel(2, 10, 20), 0xFFDF);
    EXPECT_EQ(Pixel(2, 11, 20), 0x4A49);
    view->PlotMinimap(10, 20, 1);
    view->PlotMinimap(12, 20, 1);
    EXPECT_EQ(Pixel(2, 10, 20), 0xFFFF);
    EXPECT_EQ(Pixel(2, 12, 20), kUnseen);
    view->PlotMinimap(10, 20, 0);
    EXPECT_EQ(Pixel(2, 10, 20), kUnseen);
    // Outside the scroll bounds nothing moves.
    view->scrollMinX = 20;
    view->PlotMinimap(11, 20, 1);
    EXPECT_EQ(Pixel(2, 11, 20), 0x4A49);
    // 5-5-5 has its own grey.
    view->scrollMinX = 0;
    PixelFormat = 555;
    SetPixel(0, 13, 20, 0x7C00);
    view->PlotMinimap(13, 20, 2);
    EXPECT_EQ(Pixel(2, 13, 20), 0x2529);
    PixelFormat = 565;
}

TEST_F(Minimap, ARebuildPlotsTheCellsWhoseSightCountIsOdd) {
    auto cells = std::make_unique<MapCell[]>(160 * 120);
    TheBattleMap->SetCells(std::move(cells), 160, 120);
    TheBattleMap->CellAt(3, 4)->sightCount = 1; // seen, out of sight: grey
    TheBattleMap->CellAt(5, 4)->sightCount = 3; // in sight
    TheBattleMap->CellAt(7, 4)->sightCount = 2; // even: left alone
    SetPixel(0, 3, 4, 0xF800);
    SetPixel(0, 5, 4, 0xF800);
    SetPixel(0, 7, 4, 0xF800);
    view->RebuildMinimap();
    EXPECT_EQ(Pixel(2, 3, 4), 0x4A49);
    EXPECT_EQ(Pixel(2, 5, 4), 0xF800);
    EXPECT_EQ(Pixel(2, 7, 4), 0);
    EXPECT_EQ(Pixel(2, 0, 0), 0);
}

TEST_F(Minimap, ABlockNeverSpillsIntoTheNextLine) {
    TheGameController->minimapScaleX = 4;
    TheGameController->minimapScaleY = 2;
    view->PlotMinimap(158, 5, 0);
    EXPECT_EQ(Pixel(2, 158, 5), kUnseen);
    EXPECT_EQ(Pixel(2, 159, 6), kUnseen);
    EXPECT_EQ(Pixel(2, 0, 6), 0);
    EXPECT_EQ(Pixel(2, 1, 7), 0);
}

TEST_F(Minimap, CityMarksAreCutAtAllFourEdges) {
    const struct {
        int kind, x, y;
    } cases[] = {{1, 0, 0}, {1, 159, 119}, {0, 1, 0}, {0, 158, 118}, {2, 2, 60}, {3, 157, 1}};
    for (const auto& c : cases) {
        City city(4);
        city.SetInt(CityLayout::kKind, c.kind);
        city.SetInt(CityLayout::kX, c.x);
        city.SetInt(CityLayout::kY, c.y);
        city.markedCity = 1;
        view->MarkObjectCell(&city, 1); // ASan stands guard over the image's ends
        view->MarkObjectCell(&city, 2);
    }
    // A kind-1 mark of a 160-wide map is 7 pixels square from (x - 3, y).
    City city(4);
    city.SetInt(CityLayout::kKind, 1);
    city.SetInt(CityLayout::kX, 50);
    city.SetInt(CityLayout::kY, 50);
    city.markedCity = 1;
    SetPixel(0, 47, 50, 0x0777);
    view->MarkObjectCell(&city, 0);
    EXPECT_EQ(Pixel(2, 47, 50), 0x1234);
    EXPECT_EQ(Pixel(1, 53, 56), 0x1234);
    EXPECT_EQ(Pixel(2, 54, 50), 0);
    EXPECT_EQ(Pixel(2, 46, 50), 0);
    view->MarkObjectCell(&city, 2);
    EXPECT_EQ(Pixel(2, 47, 50), 0x0777);
    EXPECT_EQ(Pixel(1, 47, 50), kUnseen);
    // Without its mark flag a city leaves no mark.
    city.markedCity = 0;
    view->MarkObjectCell(&city, 1);
    EXPECT_EQ(Pixel(2, 47, 50), 0x0777);
}

TEST_F(Minimap, AnOddFullCityMarkIsDrawnOneLarger) {
    // A width of 160 / 12 * ... : a 12-wide footprint on a 320-wide map gives n = 6; on 274 it is 7.
    view->mapWidth = 274;
    City city(4);
    city.SetInt(CityLayout::kKind, 0);
    city.SetInt(CityLayout::kX, 137);
    city.SetInt(CityLayout::kY, 60);
    city.markedCity = 1;
    view->MarkObjectCell(&city, 1);
    // n = 12 * 160 / 274 = 7, drawn as 8: four upper lines of 2..8 and four lower of 8..2.
    const int px = ((137 - 6) * 160) / 274, py = (60 * 120) / 120;
    int rows = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x)
            if (Pixel(2, x, y) == 0x1234) {
                EXPECT_GE(y, py);
                EXPECT_LT(y, py + 8);
                EXPECT_GE(x, px);
                EXPECT_LT(x, px + 8);
                ++rows;
            }
    EXPECT_EQ(rows, 2 * (2 + 4 + 6 + 8));
}

// A city of the player's with two plots: a placement buys one and sets its kind.
struct Placement : testing::Test {
    trooptest::Battle b;
    Kingdom* owner = b.AddKingdom(1, true);
    MapView* view = new MapView;
    City* city = b.AddCity(owner, 10, 20);
    SavedRecord* plot = new SavedRecord(12, 30, -1);

    Placement() {
        TheGameController->gameScreen = view;
        view->mapWidth = trooptest::kMapWidth;
        view->mapHeight = trooptest::kMapRows;
        city->sites.Add(uintptr_t(plot));
        city->sites.Add(uintptr_t(new SavedRecord(14, 30, 3)));
        for (int y = 0; y < trooptest::kMapRows; ++y)
            for (int x = 0; x < trooptest::kMapWidth; ++x)
                TheBattleMap->CellAt(x, y)->sightCount = 2;
        view->currentCity = city;
        view->placingBuilding = 1;
        view->placementCellX = 12;
        view->placementCellY = 30;
        Footprints().Clear();
    }
    ~Placement() override {
        TheGameController->gameScreen = nullptr;
        delete view;
    }
};

TEST_F(Placement, AnExactPriceBuysThePlotAndLeavesNoGold) {
    const struct {
        int kind, price;
    } prices[] = {{0, 100}, {25, 100}, {26, 1000}, {27, 100}, {28, 10}, {29, 20}, {31, 20}};
    for (const auto& p : prices)
        EXPECT_EQ(MapView::BuildingPrice(p.kind), p.price) << p.kind;
    city->SetInt(CityLayout::kGold, 100);
    view->buildingKind = 4;
    view->UpdatePlacementAllowed();
    ASSERT_EQ(view->placementAllowed, 1);
    view->ClickPlacement();
    EXPECT_EQ(city->Int(CityLayout::kGold), 0);
    EXPECT_EQ(plot->kind, 4);
    EXPECT_EQ(city->buildings[4], 1000);
    EXPECT_EQ(view->placingBuilding, 0);
    // The building's name floats over its cell.
    EXPECT_EQ(TheGameController->floatingKind, 4);
    EXPECT_EQ(TheGameController->floatingX, 12);
    EXPECT_EQ(TheGameController->floatingY, 30);
}

// A client's purchase reaches the host as the city's new gold (command 22) and the plot kind.
TEST_F(Placement, AClientSendsThePriceAsTheCitysNewGold) {
    TheGameController->networked = 1;
    testsupport::CaptureSentCommands();
    city->SetInt(CityLayout::kGold, 150);
    view->buildingKind = 4;
    view->ClickPlacement();
    ByteWriter gold;
    gold.u32(uint32_t(CityIndexOf(city))); // cities travel by their place in the table
    gold.u32(50);
    gold.u32(1);
    bool sentGold = false;
    for (const auto& c : testsupport::SentCommands())
        if (c.code == 22) sentGold = c.payload == gold.buffer();
    EXPECT_TRUE(sentGold);
    EXPECT_EQ(city->Int(CityLayout::kGold), 150) << "the host's copy sets it";
}

TEST_F(Placement, TooLittleGoldOrAFoggedOrForeignCellOnlyEndsPlacement) {
    city->SetInt(CityLayout::kGold, 99);
    view->buildingKind = 4;
    view->UpdatePlacementAllowed();
    view->ClickPlacement();
    EXPECT_EQ(plot->kind, -1);
    EXPECT_EQ(city->Int(CityLayout::kGold), 99);
    EXPECT_EQ(view->placingBuilding, 0);
    TheBattleMap->CellAt(12, 30)->sightCount = 1;
    view->UpdatePlacementAllowed();
    EXPECT_EQ(view->placementAllowed, 0);
    TheBattleMap->CellAt(12, 30)->sightCount = 2;
    view->placementCellX = 13;
    view->UpdatePlacementAllowed();
    EXPECT_EQ(view->placementAllowed, 0);
}

TEST_F(Placement, PlotKindsCountTheirSlotsAndAKindOutsideTheSlotsTouchesNothing) {
    city->ApplyPlotKind(14, 30, 3);      // the kind it already has
    EXPECT_EQ(city->buildings[3], 1000); // 0 after taking one off, so built again
    city->buildings[3] = 1002;
    city->ApplyPlotKind(14, 30, 3);
    EXPECT_EQ(city->buildings[3], 1001);
    for (int kind : {26, 31, -1, 1000}) {
        city->ApplyPlotKind(12, 30, kind);
        EXPECT_EQ(plot->kind, -1) << kind;
    }
    city->ApplyPlotKind(2, 2, 5); // no plot there
    EXPECT_EQ(city->buildings[5], 0);
    // A kind past the slots bought from the panel pays nothing and builds nothing.
    city->SetInt(CityLayout::kGold, 5000);
    view->buildingKind = 26;
    view->UpdatePlacementAllowed();
    view->ClickPlacement();
    EXPECT_EQ(plot->kind, -1);
    EXPECT_EQ(city->Int(CityLayout::kGold), 5000);
}

// A plot kind from a peer: a kind outside the building slots is dropped, not passed on.
TEST_F(Placement, APeersPlotKindOutsideTheSlotsIsDropped) {
    const uint32_t index = uint32_t(CityIndexOf(city));
    std::vector<uint8_t> relay;
    for (uint32_t kind : {26u, 31u, 0xFFFFFFFFu}) {
        EXPECT_EQ(ReceiveSubCommand(PackSubCommand(kSubPlotKind, {index, 12, 30, kind}), true, relay),
                  CommandOutcome::Drop)
            << kind;
        EXPECT_EQ(plot->kind, -1);
    }
    EXPECT_EQ(ReceiveSubCommand(PackSubCommand(kSubPlotKind, {index, 12, 30, 25}), true, relay),
              CommandOutcome::Relay);
    EXPECT_EQ(plot->kind, 25);
    EXPECT_EQ(city->buildings[25], 1000);
}

} // namespace

namespace {

TEST_F(Placement, ThePointerPicksThePlotEachFrameAndTheClickBuysIt) {
    city->SetInt(CityLayout::kGold, 250);
    view->buildingKind = 0;
    view->placementCellX = view->placementCellY = 0;
    // This pointer position lies over the two-cell pick whose cell is (12, 30).
    TheGameController->mouseX = 479;
    TheGameController->mouseY = 309;
    view->DrawObjects();
    EXPECT_EQ(view->placementCellX, 12);
    EXPECT_EQ(view->placementCellY, 30);
    view->DrawObjects();
    EXPECT_EQ(view->placementAllowed, 1);
    view->ClickPlacement();
    EXPECT_EQ(plot->kind, 0);
    EXPECT_EQ(city->Int(CityLayout::kGold), 150);
}

} // namespace
