#include "TroopFixture.h"

#include "Program/FrontEndDrawing.h"
#include "Program/Palettes.h"
#include "engine/DrawingFixture.h"
#include "records/City.h"
#include "records/FormationTable.h"
#include "records/Kingdom.h"
#include "world/MapView.h"

#include <gtest/gtest.h>

#include <vector>

using namespace trooptest;

namespace {

constexpr uint16_t kBackground = 0x0841;
constexpr int kType = 1;
constexpr int kLeaderPerson = 7;

// The campaign preparation: a castle of the player's selected on the game screen, holding units
// whose officers must appear or not; unit frames are 1 x 1 pixels of the type's colours.
class FormationPreview : public testing::TestWithParam<int> {
protected:
    FormationPreview() {
        battle.Animations({kType});
        battle.store->CreateSmallSurfaces();
        Palettes& p = GamePalettes();
        p.numbered[kType] = std::make_unique<ColourTable>();
        for (int i = 0; i < 256; ++i)
            (*p.numbered[kType])[i] = uint16_t(i == 0 ? 0 : 0x2000 + i);
        kingdom = battle.AddKingdom(1, true); // nation 1 draws in its type's colours
        Battle::SetKingdomValue(kingdom, KingdomLayout::kPersonNumber, kLeaderPerson);
        city = battle.AddCity(kingdom, 20, 40);
        TheGameController->gameScreen = view = new MapView;
        TheGameController->selectedCity = city;
        TheScreenSettings->gameSpeed = 10;
        ClearBack();
    }
    ~FormationPreview() override {
        GamePalettes().numbered[kType].reset();
        TheGameController->gameScreen = nullptr;
        delete view;
    }

    // A unit of the city, standing with facing 0, with its first frame.
    Troop* Unit(int person, bool mustAppear) {
        Troop* t = battle.AddTroop(kingdom, 1, 1, kType);
        t->officer->Set(OfficerLayout::kPersonNumber, person);
        t->officer->Set(OfficerLayout::kMustAppear, mustAppear ? 2 : 0);
        t->StartActionAnimation();
        t->facing = 0;
        kingdom->fieldUnits.RemoveValue(uintptr_t(t));
        city->units.Add(uintptr_t(t));
        return t;
    }
    static void ClearBack() { ASSERT_TRUE(FillBackSurface(kBackground)); }
    // Whether the screen cell of formation row `row` shows a unit's frame: its 1 x 1 pixel lands
    // at the row's cell, 199 further right when the row's facing mirrors it.
    static bool RowDrawn(int row) {
        const FormationRow& r = FormationTable[row];
        const bool mirrored = r.facing >= 4 && r.facing <= 6;
        const int x = r.dx * 40 + 290 + (mirrored ? 199 : 0);
        const int y = r.dy * 20 + 68;
        if (x < 0 || y < 0 || x >= 800 || y >= 600) return false;
        return GetBackSurface()->PixelAt(x, y) != kBackground;
    }

    TestDisplay display{GetParam()};
    Battle battle;
    Kingdom* kingdom = nullptr;
    City* city = nullptr;
    MapView* view = nullptr;
};

TEST_P(FormationPreview, TheLeadersUnitComesFirstAndUnitsStandAndTurnToTheirRows) {
    Troop* other = Unit(3, true);
    Troop* absent = Unit(5, false);
    Troop* leader = Unit(kLeaderPerson, true);
    other->state = 0;
    DrawFormationPreview();
    // The leader's unit takes row 0 though it comes last in the city's list.
    EXPECT_EQ(leader->facing, FormationTable[0].facing);
    EXPECT_EQ(other->facing, FormationTable[1].facing);
    EXPECT_EQ(other->state, 10) << "a moving unit is halted";
    EXPECT_EQ(absent->facing, 0) << "a unit that need not appear is left alone";
    EXPECT_TRUE(RowDrawn(0));
    EXPECT_TRUE(RowDrawn(1));
    EXPECT_FALSE(RowDrawn(2));
}

TEST_P(FormationPreview, WithoutALeaderKingdomUnitsOnlyTurn) {
    Battle::SetKingdomValue(kingdom, KingdomLayout::kNationKind, 1);
    Troop* a = Unit(kLeaderPerson, true);
    Troop* b = Unit(3, true);
    b->state = 0;
    DrawFormationPreview();
    EXPECT_EQ(a->facing, FormationTable[0].facing);
    EXPECT_EQ(b->facing, FormationTable[1].facing);
    EXPECT_EQ(b->state, 0) << "no halt without a leader kingdom";
    EXPECT_TRUE(RowDrawn(0));
    EXPECT_TRUE(RowDrawn(1));
}

TEST_P(FormationPreview, OnlyRowsInsideThePreviewCellsAreDrawnAndUnitsPastTheTableKeepTheirPlace) {
    std::vector<Troop*> units;
    for (int i = 0; i < 20; ++i)
        units.push_back(Unit(100 + i, true));
    DrawFormationPreview();
    for (int row = 0; row < 16; ++row)
        EXPECT_TRUE(RowDrawn(row)) << row;
    // Row 16 lies one cell below the drawn rows.
    EXPECT_EQ(units[16]->facing, FormationTable[16].facing);
    EXPECT_FALSE(RowDrawn(16));
    for (int i = kFormationRows; i < 20; ++i)
        EXPECT_EQ(units[i]->facing, 0) << i;
}

TEST_P(FormationPreview, NothingIsDrawnWithoutASelectedCity) {
    Unit(kLeaderPerson, true);
    TheGameController->selectedCity = nullptr;
    DrawFormationPreview();
    EXPECT_FALSE(RowDrawn(0));
}

INSTANTIATE_TEST_SUITE_P(Layouts, FormationPreview, testing::Values(565, 555));

} // namespace
