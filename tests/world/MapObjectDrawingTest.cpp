#include "troops/TroopFixture.h"

#include "records/City.h"
#include "records/StageEditor.h"
#include "stagefiles/SavedRecord.h"

#include "world/MapObject.h"
#include "world/MapView.h"
#include <algorithm>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records every drawing step of the painter's order instead of drawing it.
struct RecordingDraw : MapView {
    std::vector<std::string> steps;
    void DrawTroop(Troop* t) override { steps.push_back("troop " + std::to_string(t->serial)); }
    void DrawMapObject(MapObject* o) override {
        steps.push_back("item " + std::to_string(o->cellX) + "," + std::to_string(o->cellY));
    }
    void DrawOverlay(int32_t x, int32_t y, const MapCell&, int32_t left, int32_t top) override {
        steps.push_back("overlay " + std::to_string(x) + "," + std::to_string(y) + " at " +
                        std::to_string(left) + "," + std::to_string(top));
    }
    bool Has(const std::string& s) const { return std::find(steps.begin(), steps.end(), s) != steps.end(); }
    size_t At(const std::string& s) const {
        return size_t(std::find(steps.begin(), steps.end(), s) - steps.begin());
    }
};

struct Drawing : testing::Test {
    trooptest::Battle b;
    Kingdom* player = b.AddKingdom(1, true);
    Kingdom* enemy = b.AddKingdom(2);
    Kingdom* ally = b.AddKingdom(3);
    RecordingDraw* view = new RecordingDraw;
    int serial = 0;

    Drawing() {
        trooptest::Battle::War(player, enemy);
        player->relations[3] = ally->relations[1] = 1;
        for (int y = 0; y < trooptest::kMapRows; ++y)
            for (int x = 0; x < trooptest::kMapWidth; ++x)
                TheBattleMap->CellAt(x, y)->sightCount = 2;
        TheGameController->gameScreen = view;
        view->mapWidth = trooptest::kMapWidth;
        view->mapHeight = trooptest::kMapRows;
        view->SetView(0, 0, trooptest::kMapWidth, trooptest::kMapRows);
    }
    ~Drawing() override {
        TheGameController->gameScreen = nullptr;
        delete view;
    }
    Troop* Unit(Kingdom* k, int x, int y, int pixelY = 0) {
        Troop* t = b.AddTroop(k, x, y, 1, 0, 0);
        t->serial = ++serial;
        t->pixelY = int16_t(pixelY);
        return t;
    }
    std::string T(const Troop* t) const { return "troop " + std::to_string(t->serial); }
};

TEST_F(Drawing, RowsInterleaveOverlaysAndTroopsAndAStackDrawsTheLowerOneFirst) {
    Troop* back = Unit(player, 5, 10, 100);
    Troop* front = Unit(player, 5, 10, 130); // lower on the screen
    Troop* later = Unit(player, 6, 11, 0);
    TheBattleMap->CellAt(5, 20)->overlayTile = 7;
    TheBattleMap->CellAt(6, 21)->overlayTile = 8;
    TheBattleMap->CellAt(6, 22)->overlayTile = 9;
    view->DrawObjects();
    const auto& s = view->steps;
    ASSERT_TRUE(view->Has(T(back)) && view->Has(T(front)) && view->Has(T(later)));
    // Overlay of row 20, its troops, row 21's overlay, row 22's overlay, then row 22's troops.
    EXPECT_LT(view->At("overlay 5,20 at 200,210"), view->At(T(front)));
    EXPECT_LT(view->At(T(front)), view->At(T(back)));
    EXPECT_LT(view->At(T(back)), view->At("overlay 6,21 at 260,220"));
    EXPECT_LT(view->At("overlay 6,21 at 260,220"), view->At("overlay 6,22 at 240,230"));
    EXPECT_LT(view->At("overlay 6,22 at 240,230"), view->At(T(later)));
    EXPECT_EQ(s.size(), 6u);
    // The view's object rectangle follows the origin.
    EXPECT_EQ(TheBattleMap->objectView.bottom, 28);
}

TEST_F(Drawing, SightAndStealthDecideWhatIsShown) {
    Troop* seenOnly = Unit(player, 3, 10);
    MapObject* item = new MapObject(1, 1, 1, 3, 10);
    TheBattleMap->CellAt(3, 20)->sightCount = 1;
    TheBattleMap->CellAt(3, 20)->overlayTile = 5;
    TheBattleMap->CellAt(8, 20)->sightCount = 0;
    TheBattleMap->CellAt(8, 20)->overlayTile = 6;
    TheBattleMap->CellAt(9, 20)->overlayTile = 6859; // never drawn
    const struct {
        Kingdom* side;
        uint8_t state;
        uint32_t flags;
        bool shown;
    } cases[] = {{enemy, 8, 0, false},
                 {enemy, 0, 0x2000, false},
                 {enemy, 0, 0, true},
                 {ally, 8, 0x2000, true},
                 {player, 8, 0x2000, true}};
    std::vector<Troop*> troops;
    int x = 12;
    for (const auto& c : cases) {
        Troop* t = Unit(c.side, x++, 15);
        t->state = c.state;
        t->flags = c.flags;
        troops.push_back(t);
    }
    view->DrawObjects();
    EXPECT_TRUE(view->Has("overlay 3,20 at 120,210"));
    EXPECT_FALSE(view->Has(T(seenOnly)));
    EXPECT_FALSE(view->Has("item 3,10"));
    EXPECT_FALSE(view->Has("overlay 8,20 at 320,210"));
    EXPECT_FALSE(view->Has("overlay 9,20 at 360,210"));
    for (size_t i = 0; i < troops.size(); ++i)
        EXPECT_EQ(view->Has(T(troops[i])), cases[i].shown) << i;
    // In sight the item and the troop are there.
    TheBattleMap->CellAt(3, 20)->sightCount = 2;
    view->steps.clear();
    view->DrawObjects();
    EXPECT_TRUE(view->Has("item 3,10"));
    EXPECT_LT(view->At("item 3,10"), view->At("overlay 3,20 at 120,210"));
    EXPECT_TRUE(view->Has(T(seenOnly)));
    delete item;
}

// In the map's alternate mode the objects are drawn only while the editor shows the map.
TEST_F(Drawing, TheAlternateModeDrawsOnlyWhileTheEditorShowsTheMap) {
    Troop* t = Unit(player, 5, 10);
    TheBattleMap->alternateMode = 1;
    StageEditor editor;
    TheStageEditor = &editor;
    const struct {
        bool editorThere;
        int32_t viewWord;
        bool drawn;
    } cases[] = {{true, 0, false}, {true, 1, true}, {false, 0, true}};
    for (const auto& c : cases) {
        TheStageEditor = c.editorThere ? &editor : nullptr;
        editor.viewWord = c.viewWord;
        view->steps.clear();
        view->DrawObjects();
        EXPECT_EQ(view->Has(T(t)), c.drawn) << c.editorThere << c.viewWord;
    }
    TheStageEditor = nullptr;
    TheBattleMap->alternateMode = 0;
}

TEST_F(Drawing, TheFloatingBuildingNameLastsThirtyFrames) {
    GameController& c = *TheGameController;
    c.floatingKind = 3;
    for (int frame = 1; frame <= 30; ++frame) {
        view->DrawObjects();
        EXPECT_EQ(c.floatingKind, 3) << frame;
    }
    view->DrawObjects();
    EXPECT_EQ(c.floatingKind, -1);
}

TEST_F(Drawing, CityBarsShowStrengthGarrisonAndProgress) {
    City city;
    uint8_t picture[1200];
    std::fill(std::begin(picture), std::end(picture), uint8_t(9));
    city.totalStrength = 250; // half
    Troop* guard = Unit(player, 2, 2);
    guard->officer->Set(OfficerLayout::kHp, 400); // 80 - 50 = 30 more
    city.garrison[0] = guard;
    auto* site = new SavedRecord(1, 1, 0);
    site->work = 5000; // past the end: the whole line
    city.sites.Add(uintptr_t(site));
    MapView::FillCityBars(picture, city);
    EXPECT_EQ(picture[49], 15);
    EXPECT_EQ(picture[50], 254);
    EXPECT_EQ(picture[3 * 100 + 79], 254);
    EXPECT_EQ(picture[3 * 100 + 80], 0);
    EXPECT_EQ(picture[4 * 100], 9); // lines 4..7 untouched
    EXPECT_EQ(picture[11 * 100 + 99], 74);
    // More garrison than fits: the whole line in the garrison colour.
    guard->officer->Set(OfficerLayout::kHp, 2000);
    MapView::FillCityBars(picture, city);
    EXPECT_EQ(picture[0], 254);
    EXPECT_EQ(picture[99], 254);
    city.garrison[0] = nullptr;
}

} // namespace
