#include "GridFixture.h"

#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "gui/MouseCursor.h"
#include "world/FootprintPattern.h"

#include <gtest/gtest.h>

#include <memory>

using namespace worldtest;

namespace {

std::unique_ptr<FootprintPattern> Pattern(uint16_t width, std::vector<uint16_t> tiles) {
    auto p = std::make_unique<FootprintPattern>();
    p->width = width;
    p->height = width;
    p->cellTiles = std::move(tiles);
    return p;
}

// A stage with the player's kingdom 1 and a foreign kingdom 2, a map view over a 60 x 140 map in
// sight, and footprint patterns whose tiles tell a drawn pattern from an erased one.
struct Selection : testing::Test {
    worldtest::World w;
    BattleMap& map = w.Map(60, 140);
    Zu_StageSet* stage = new Zu_StageSet;
    Kingdom* player = AddKingdom(1);
    Kingdom* foreign = AddKingdom(2);
    MapView& view = w.View();

    Selection() {
        Footprints().Clear();
        for (int y = 0; y < 140; ++y)
            for (int x = 0; x < 60; ++x) {
                map.CellAt(x, y)->sightCount = 2;
                map.CellAt(x, y)->layerTile = MapCell::kNoTile;
            }
        map.stageSet = stage;
        stage->playerKingdom = player;
        stage->playerSide = 1;
        view.SetView(0, 0, 60, 140);
        // Pattern 5 (a level-3 city) draws tile 705, 25 (a garrison post) 725; the even ones below
        // erase the layer.
        for (int n : {3, 4, 5, 13, 14, 15, 24, 25, 26, 27})
            Footprints().building[n] = Pattern(2, std::vector<uint16_t>(4, uint16_t(700 + n)));
    }
    ~Selection() {
        Footprints().Clear();
        map.stageSet = nullptr;
        delete stage;
        for (City*& c : map.cities) {
            delete c;
            c = nullptr;
        }
    }
    Kingdom* AddKingdom(int side) {
        auto* k = new Kingdom;
        k->nationIndex = side;
        stage->kingdoms->Add(uintptr_t(k));
        return k;
    }
    City* AddCity(int id, int owner, int kind, int scale, int x, int y) {
        auto* c = new City;
        c->id = id;
        c->ownerSide = owner;
        c->SetInt(CityLayout::kKind, kind);
        c->SetInt(CityLayout::kScale, scale);
        c->SetInt(CityLayout::kX, x);
        c->SetInt(CityLayout::kY, y);
        map.cities[id - 1] = c;
        return c;
    }
    SubCastle* AddSubCastle(City* city, int kind, int x, int y) {
        auto* sc = new SubCastle(0);
        sc->SetInt(SubCastleLayout::kKind, kind);
        sc->SetInt(SubCastleLayout::kX, x);
        sc->SetInt(SubCastleLayout::kY, y);
        sc->ownerSide = city->ownerSide;
        city->subCastles.Add(uintptr_t(sc));
        return sc;
    }
    // The layer tile the pattern left at a cell.
    uint16_t Layer(int x, int y) { return map.CellAt(x, y)->layerTile; }
    // The view point over cell (x, y) of an odd row.
    std::pair<int, int> PointOver(int x, int y) {
        return {(x - view.viewX) * 40 + 20, (y - view.viewY) * 10 + 10 - 10};
    }
};

TEST_F(Selection, HoverCodesByBuildingKindAndOwner) {
    City* own = AddCity(1, 1, 0, 3, 10, 20);
    City* other = AddCity(2, 2, 0, 3, 30, 20);
    SubCastle* keep = AddSubCastle(own, 4, 12, 24);
    AddSubCastle(other, 4, 32, 24);
    const struct {
        uint8_t zone;
        int code;
        bool cityHovered;
    } cases[] = {{12, 100, true}, {14, 100, true}, {16, 100, true}, {18, 100, true}, {24, 104, false},
                 {26, 101, true}, {36, 0, false},  {38, 106, true}, {50, 102, true}, {51, 110, true},
                 {52, 103, true}, {53, 109, true}, {54, 109, true}, {55, 109, true}, {56, 107, true},
                 {13, 0, false},  {0, 0, false}};
    view.SetViewOrigin(0, 0);
    MapCell& cell = *map.CellAt(3, 5);
    const auto [px, py] = PointOver(3, 5);
    int x = 0, y = 0;
    view.PixelToCell(px, py, 20, x, y);
    ASSERT_EQ(std::make_pair(x, y), std::make_pair(3, 5));
    for (City* city : {own, other})
        for (const auto& c : cases) {
            cell.cityId = uint8_t(city->id);
            cell.zoneByte = c.zone;
            const int expected = c.code == 0 ? 0 : city == own ? c.code : c.code + 100;
            EXPECT_EQ(view.ClassifyHover(px, py), expected) << int(c.zone) << " city " << city->id;
            EXPECT_EQ(TheGameController->cityUnderCursor, c.cityHovered ? city : nullptr) << int(c.zone);
        }
    // A keeper's place of the player's becomes the current building; a foreign one does not.
    cell.zoneByte = 24;
    view.currentCity = nullptr;
    cell.cityId = 2;
    view.ClassifyHover(px, py);
    EXPECT_EQ(view.currentCity, nullptr);
    cell.cityId = 1;
    view.ClassifyHover(px, py);
    EXPECT_EQ(TheGameController->subCastleUnderCursor, keep);
    EXPECT_EQ(view.currentCity, own);
    // Out of sight, or a city number with no city, names nothing.
    cell.sightCount = 1;
    EXPECT_EQ(view.ClassifyHover(px, py), 0);
    EXPECT_EQ(TheGameController->subCastleUnderCursor, nullptr);
    cell.sightCount = 2;
    cell.cityId = 9;
    EXPECT_EQ(view.ClassifyHover(px, py), 0);
}

TEST_F(Selection, AnUnownedBuildingTileIsLocatedOnTheSeventhTest) {
    Footprints().building[7] = Pattern(2, {901, 902, 903, 904});
    Footprints().building[9] = Pattern(2, {911, 912, 913});
    view.SetViewOrigin(2, 4);
    view.previewX = 5;
    view.previewY = 6;
    const auto [px, py] = PointOver(6, 9);
    MapCell& cell = *map.CellAt(6, 9);
    // Tile 904 lies past the first width x 2 - 1 tiles: no pattern.
    cell.overlayTile = 904;
    EXPECT_EQ(view.ClassifyHover(px, py), 0);
    EXPECT_EQ(view.hoverCandidate, 0);
    cell.overlayTile = 903;
    for (int call = 1; call <= 6; ++call) {
        EXPECT_EQ(view.ClassifyHover(px, py), 0);
        EXPECT_EQ(view.hoverCandidate, 8) << call;
        EXPECT_EQ(view.hoverLocated, 0) << call;
    }
    view.ClassifyHover(px, py);
    EXPECT_EQ(view.hoverLocated, 1);
    EXPECT_EQ(view.locatedPattern, 8);
    EXPECT_EQ(view.locatedX, 2 + 5);
    EXPECT_EQ(view.locatedY, 4 + 6);
    EXPECT_EQ(view.hoverCandidate, 0);
    // Once located, further tests change nothing.
    cell.overlayTile = 911;
    for (int i = 0; i < 10; ++i)
        view.ClassifyHover(px, py);
    EXPECT_EQ(view.locatedPattern, 8);
    EXPECT_EQ(view.hoverCandidate, 0);
    // Another pattern under the cursor at the seventh test drops the candidate.
    view.hoverLocated = 0;
    view.ClassifyHover(px, py);
    EXPECT_EQ(view.hoverCandidate, 10);
    cell.overlayTile = 901;
    for (int i = 0; i < 6; ++i)
        view.ClassifyHover(px, py);
    EXPECT_EQ(view.hoverCandidate, 0);
    EXPECT_EQ(view.hoverCalls, 0);
    EXPECT_EQ(view.hoverLocated, 0);
}

TEST_F(Selection, SelectAndDeselectACityStampItsPatternAndCentreTheView) {
    City* city = AddCity(1, 1, 0, 3, 30, 60);
    TheGameController->currentGroup = 4;
    TheGameController->timedFlag = 1;
    view.SetViewOrigin(0, 0);

    view.SelectBuilding(city);
    EXPECT_EQ(Layer(30, 60), 705);
    EXPECT_EQ(view.currentCity, city);
    EXPECT_EQ(TheGameController->selectedCity, city);
    EXPECT_EQ(TheGameController->currentGroup, -1);
    EXPECT_EQ(TheGameController->timedFlag, 0);
    EXPECT_EQ(view.buildingSelected, 1);
    EXPECT_EQ(view.viewX, 20);
    EXPECT_EQ(view.viewY, 38); // 60 - 21, made even

    // Its units stand around it (the city operations mark them shown): a second select does
    // nothing, and the deselect erases what the select drew.
    city->unitsShown = 1;
    TheGameController->cityPanelMode = 1;
    view.SetViewOrigin(3, 4);
    view.SelectBuilding(city);
    EXPECT_EQ(view.viewX, 3);
    view.DeselectBuilding(city);
    EXPECT_EQ(Layer(30, 60), MapCell::kNoTile);
    EXPECT_EQ(TheGameController->cityPanelMode, 0);
    EXPECT_EQ(view.buildingSelected, 0);
    // Not shown: the deselect does nothing.
    map.CellAt(30, 60)->layerTile = 1;
    city->unitsShown = 0;
    view.DeselectBuilding(city);
    EXPECT_EQ(Layer(30, 60), 1);
}

TEST_F(Selection, KindsStampTheirOwnPatternsAndOthersAreNotSelected) {
    const struct {
        int kind, scale;
        uint16_t drawn;
        int viewY;
    } cases[] = {{1, 0, 715, 30},
                 {6, 0, 727, 30},
                 {4, 0, 713, 0},
                 {5, 0, 725, 0},
                 {0, 2, 703, 38},
                 // A level-0 castle (a generated city without data) has no pattern to stamp.
                 {0, 0, MapCell::kNoTile, 38},
                 // Lairs, caves and copies are not opened at all.
                 {2, 0, MapCell::kNoTile, -1},
                 {3, 0, MapCell::kNoTile, -1},
                 {7, 0, MapCell::kNoTile, -1}};
    for (const auto& c : cases) {
        City* city = AddCity(1, 1, c.kind, c.scale, 30, 60);
        view.currentCity = nullptr;
        view.buildingSelected = 0;
        view.SetViewOrigin(1, 2);
        map.CellAt(30, 60)->layerTile = MapCell::kNoTile;
        view.SelectBuilding(city);
        EXPECT_EQ(Layer(30, 60), c.drawn) << "kind " << c.kind;
        EXPECT_EQ(view.buildingSelected, c.viewY >= 0 ? 1 : 0) << "kind " << c.kind;
        EXPECT_EQ(view.viewY, c.viewY >= 0 ? c.viewY : 2) << "kind " << c.kind;
        map.cities[0] = nullptr;
        delete city;
    }
}

TEST_F(Selection, SubCastlesOpenAndCloseWithTheirOwnPatterns) {
    City* city = AddCity(1, 1, 0, 3, 30, 60);
    SubCastle* keep = AddSubCastle(city, 4, 40, 80);
    SubCastle* post = AddSubCastle(city, 5, 20, 100);
    SubCastle* other = AddSubCastle(city, 2, 20, 120);
    view.SelectSubCastle(keep);
    EXPECT_EQ(Layer(40, 80), 713);
    EXPECT_EQ(TheGameController->selectedSubCastle, keep);
    EXPECT_EQ(view.viewX, 30);
    EXPECT_EQ(view.viewY, 50);
    view.SelectSubCastle(post);
    EXPECT_EQ(Layer(20, 100), 725);
    EXPECT_EQ(view.viewX, 10);
    EXPECT_EQ(view.viewY, 70);
    view.SelectSubCastle(other);
    EXPECT_EQ(TheGameController->selectedSubCastle, post);
    post->unitsShown = 1;
    TheGameController->cityPanelMode = 1;
    view.DeselectSubCastle(post);
    EXPECT_EQ(Layer(20, 100), MapCell::kNoTile);
    EXPECT_EQ(TheGameController->cityPanelMode, 0);
    EXPECT_EQ(view.buildingSelected, 0);
}

TEST_F(Selection, CommandModesSetTheCursorShape) {
    auto* cursor = new MouseCursor;
    MouseCursor* keep = TheMouseCursor;
    TheMouseCursor = cursor;
    const int shapes[8] = {0, 20, 21, 23, 24, 25, 22, 22};
    for (int16_t mode = 1; mode <= 7; ++mode) {
        view.SetCommandMode(0, mode);
        EXPECT_EQ(view.commandMode, mode);
        EXPECT_EQ(cursor->shapeIndex, shapes[mode]) << mode;
    }
    TheMouseCursor = keep;
    delete cursor;
}

// Which troops the player may select and which count as enemies.
TEST_F(Selection, TroopPredicatesTruthTable) {
    City* city = AddCity(1, 1, 0, 3, 30, 60);
    struct Case {
        const char* what;
        int owner = 1, policy = 0, attribute = 1, controllable = 1, garrison = 0, panelMode = 0;
        bool dead = false, follower = false, everything = false, classSwitch = false, led = false;
        bool exclude = false;
        uint8_t drawingMode = 0;
        bool selectable, enemy;
    };
    const Case cases[] = {
        {.what = "own troop", .selectable = true, .enemy = false},
        {.what = "foreign troop", .owner = 2, .selectable = false, .enemy = true},
        {.what = "dead", .dead = true, .selectable = false, .enemy = false},
        {.what = "not controllable", .owner = 2, .controllable = 0, .selectable = false, .enemy = true},
        {.what = "attribute 2", .attribute = 2, .selectable = false, .enemy = false},
        {.what = "hidden in panel mode 0", .garrison = 1, .selectable = false, .enemy = false},
        {.what = "on the map in panel mode 1", .panelMode = 1, .selectable = false, .enemy = false},
        {.what = "hidden in panel mode 1", .garrison = 1, .panelMode = 1, .selectable = true, .enemy = false},
        {.what = "attribute 12", .attribute = 12, .everything = true, .selectable = false, .enemy = false},
        {.what = "attribute 8", .owner = 2, .attribute = 8, .selectable = false, .enemy = false},
        {.what = "a follower", .owner = 2, .follower = true, .selectable = false, .enemy = false},
        {.what = "everything selectable", .owner = 2, .everything = true, .selectable = true, .enemy = true},
        {.what = "serves the player", .owner = 2, .policy = 1, .selectable = true, .enemy = true},
        {.what = "own side serving another", .policy = 2, .selectable = false, .enemy = false},
        {.what = "hidden: its side counts",
         .owner = 1,
         .policy = 2,
         .garrison = 1,
         .panelMode = 1,
         .selectable = true,
         .enemy = false},
        {.what = "class above 9 without the switch", .attribute = 10, .selectable = false, .enemy = false},
        {.what = "class above 9 with the switch",
         .attribute = 10,
         .classSwitch = true,
         .selectable = true,
         .enemy = false},
        {.what = "the led troop, excluded",
         .garrison = 1,
         .panelMode = 1,
         .led = true,
         .exclude = true,
         .selectable = false,
         .enemy = false},
        {.what = "the led troop",
         .garrison = 1,
         .panelMode = 1,
         .led = true,
         .selectable = true,
         .enemy = false},
        {.what = "foreign, drawing mode 6",
         .owner = 2,
         .drawingMode = 6,
         .selectable = false,
         .enemy = false},
    };
    TestTroop leader(1, 3, 3);
    for (const Case& c : cases) {
        TestTroop t(c.owner, 5, 5);
        t.officer->Set(OfficerLayout::kPolicy, c.policy);
        t.officer->Set(OfficerLayout::kAttribute, c.attribute);
        t.officer->Set(OfficerLayout::kControllable, c.controllable);
        t.garrison = int16_t(c.garrison);
        if (c.dead) t.state = 13;
        if (c.follower) t.leader = &leader;
        t.drawingMode = c.drawingMode;
        TheGameController->cityPanelMode = int16_t(c.panelMode);
        TheGameController->everythingSelectable = c.everything;
        map.troopClassSwitch = c.classSwitch;
        view.currentCity = city;
        city->currentUnit = c.led ? &t : nullptr;
        EXPECT_EQ(view.CanSelectTroop(&t, c.exclude), c.selectable) << c.what;
        EXPECT_EQ(view.IsEnemyTarget(&t), c.enemy) << c.what;
        EXPECT_EQ(view.IsSelectedLeader(&t), c.led && c.panelMode == 1) << c.what;
    }
    city->currentUnit = nullptr;
}

} // namespace
