#include "GridFixture.h"
#include "ItemFixture.h"

#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "world/MapObject.h"

#include <gtest/gtest.h>

using namespace worldtest;

namespace {

// A general of the player's kingdom 1 at cell (10, 10): its pick-up box is the map pixels
// (380, 190)..(420, 220).
struct PickUp : testing::Test {
    worldtest::World w;
    BattleMap& map = DrawMap(w, OpenRows(30, 60));
    Zu_StageSet* stage = new Zu_StageSet;
    Items items{{{1, 1}, {1, 1}, {1, 1}}};
    TestTroop general{1, 10, 10};

    PickUp() {
        map.stageSet = stage;
        stage->playerSide = 1;
        general.officer->Set(OfficerLayout::kAttribute, 1);
    }
    ~PickUp() {
        map.stageSet = nullptr;
        delete stage;
    }
    MapObject* Drop(int item, int x, int y) {
        auto* o = new MapObject(item, 1, 1, x, y);
        map.mapItems->Add(uintptr_t(o));
        return o;
    }
    int32_t Slot(int s) { return general.officer->Get(OfficerLayout::kCarried + 4 * uint32_t(s)); }
};

TEST_F(PickUp, AGeneralTakesTheItemsWhoseBoxMeetsItsOwn) {
    ASSERT_EQ(general.pixelX, 300);
    ASSERT_EQ(general.pixelY, 30);
    Drop(2, 10, 11); // box 380..410 x 200..230: taken
    Drop(3, 11, 11); // box from x 420: right-exclusive, not taken
    Drop(1, 10, 9);  // box up to y 190: not taken
    general.PickUpItems();
    EXPECT_EQ(Slot(0), 2);
    EXPECT_EQ(Slot(1), 0);
    EXPECT_EQ(map.GetCellObject(10, 11), nullptr);
    EXPECT_EQ(map.mapItems->GetCount(), 2);
    EXPECT_NE(map.GetCellObject(11, 11), nullptr);
}

TEST_F(PickUp, OnlyAnActiveGeneralWithRoomAndOnlyInSinglePlay) {
    const struct {
        const char* what;
        int attribute, status, owner, gameKind, networked, fullSlots;
        bool taken;
    } cases[] = {
        {"the player's general", 1, 0, 1, 0, 0, 0, true},
        {"another officer kind", 2, 0, 1, 0, 0, 0, false},
        {"a captured general", 1, 1, 1, 0, 0, 0, false},
        {"a foreign general in a campaign", 1, 0, 2, 0, 0, 0, false},
        {"a foreign general in another game kind", 1, 0, 2, 1, 0, 0, true},
        {"no free slot", 1, 0, 1, 0, 0, 4, false},
        {"networked: the pick-up travels as a command", 1, 0, 1, 0, 1, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        general.officer->Set(OfficerLayout::kAttribute, c.attribute);
        general.officer->StatusWord() = c.status;
        general.owner = int8_t(c.owner);
        TheGameController->gameKind = c.gameKind;
        TheGameController->networked = uint8_t(c.networked);
        for (int s = 0; s < 4; ++s)
            general.officer->Set(OfficerLayout::kCarried + 4 * uint32_t(s), s < c.fullSlots ? 3 : 0);
        MapObject* o = Drop(2, 10, 11);
        general.PickUpItems();
        EXPECT_EQ(map.GetCellObject(10, 11) == nullptr, c.taken);
        if (!c.taken) {
            map.mapItems->RemoveValue(uintptr_t(o));
            delete o;
        }
    }
}

} // namespace
