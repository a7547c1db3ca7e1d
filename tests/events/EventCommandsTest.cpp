#include "ScriptFixture.h"

#include "Program/ScreenSettings.h"
#include "troops/TroopEquipmentTables.h"
#include "world/FootprintPattern.h"
#include "world/RouteGraph.h"

#include <array>
#include <cstring>

#include <gtest/gtest.h>

using namespace scripttest;
using L = OfficerLayout;

namespace {

constexpr int32_t kRevealAmbush = 1, kPlayArea = 3, kAdjust = 6, kTimer = 11, kGive = 19, kRelation = 20,
                  kDisable = 21, kTally = 23, kDoor = 24, kStrip = 28, kConfiscate = 29;

int32_t Belt(const Troop* t, int slot) {
    return t->officer->Get(L::kCarried + 4u * uint32_t(slot));
}
int32_t Slot(const Troop* t, int slot) {
    return t->officer->Get(L::kWeapon + 4u * uint32_t(slot));
}
void SetSlot(Troop* t, int slot, int32_t item) {
    t->officer->Set(L::kWeapon + 4u * uint32_t(slot), item);
}

} // namespace

TEST(EventCommandsTest, StageResultsEndTheStageInSinglePlayOnly) {
    struct Case {
        int32_t code;
        bool networked;
        int32_t result;
    } cases[] = {{4, false, 2}, {7, false, 1}, {25, false, 3}, {4, true, 0}, {7, true, 0}, {25, true, 0}};
    for (const Case& c : cases) {
        ScriptWorld w;
        if (c.networked) w.world.Network(true, 0);
        TheGameController->running = 0;
        w.Run(StepSetup{c.code});
        EXPECT_EQ(w.world.stage->result, c.result) << c.code;
        EXPECT_EQ(TheScreenSettings->battleEnded, c.networked ? 0 : 1) << c.code;
        EXPECT_EQ(TheGameController->running, c.networked ? 0 : 1) << c.code;
    }
}

TEST(EventCommandsTest, TeamWinsEndTheStageOnTheHostAndTheScriptEverywhere) {
    struct Case {
        bool host;
        int32_t code;
        int32_t result;
    } cases[] = {{true, 47, 5}, {true, 48, 4}, {false, 47, 0}};
    for (const Case& c : cases) {
        ScriptWorld w;
        w.player->SetAllianceGroup(1);
        w.other->SetAllianceGroup(2);
        w.world.Network(c.host, 2);
        // The calls the script made: the command ends it, the timer step after it never runs.
        EXPECT_EQ(w.Run({{c.code}, {kTimer, 4}}), 0);
        EXPECT_EQ(w.world.stage->timerTarget, 0);
        EXPECT_EQ(w.world.stage->result, c.result) << c.code;
        if (c.host) EXPECT_EQ(w.other->teamResult, c.code == 48 ? 1 : 0);
    }
}

TEST(EventCommandsTest, TimerTakesTheLastNonZeroValueAndTallyKeepsAZeroTarget) {
    struct Case {
        int32_t general, param1, target;
        int32_t expected;
    } cases[] = {{3, 0, 9, 9}, {3, 5, 0, 5}, {4, 0, 0, 4}, {0, 0, 0, 0}};
    ScriptWorld w;
    for (const Case& c : cases) {
        w.world.stage->timerCounter = 17;
        w.Run({kTimer, c.general, c.target, {c.param1}});
        EXPECT_EQ(w.world.stage->timerTarget, c.expected);
        EXPECT_EQ(w.world.stage->timerCounter, 0);
    }
    w.world.stage->tallyCounter = 5;
    w.Run({kTally, 0, 0, {12}});
    EXPECT_EQ(w.world.stage->tallyTarget, 12);
    w.world.stage->tallyCounter = 5;
    w.Run(StepSetup{kTally});
    EXPECT_EQ(w.world.stage->tallyTarget, 12) << "0 leaves the target";
    EXPECT_EQ(w.world.stage->tallyCounter, 0);
}

TEST(EventCommandsTest, AdjustAndDisableGeneral) {
    ScriptWorld w;
    Troop* t = w.Field(w.player, 42, 10, 10);
    OfficerRecord& o = *t->officer;
    o.Set(L::kMaxHp, 120);
    o.Set(L::kStrength, 50);
    o.StatusWord() = 1;
    o.Set(L::kPolicy, 3);
    t->state = 13;
    t->flags = 0x46;
    w.Run({kAdjust, 42, 0, {30, 70, 4, -60, 2}});
    EXPECT_EQ(o.bonusExperience, 30);
    EXPECT_EQ(o.Get(L::kHp), 170) << "no cap at the maximum";
    EXPECT_EQ(o.Get(L::kMp), 4);
    EXPECT_EQ(o.Get(L::kStrength), -10) << "no floor either";
    EXPECT_EQ(o.Get(L::kIntelligence), 2);
    EXPECT_EQ(t->state, 0);
    EXPECT_EQ(t->flags, 0u);
    EXPECT_EQ(o.StatusWord(), 0);
    EXPECT_EQ(o.Get(L::kPolicy), 0);

    w.Run({kDisable, 42});
    EXPECT_EQ(o.Get(L::kPolicy), w.player->nationIndex);
    EXPECT_EQ(o.Get(L::kTroopCapacity), 0);
    EXPECT_EQ(o.Get(L::kHp), 0);
    EXPECT_EQ(t->flags & 0x46u, 0x46u);
    EXPECT_EQ(o.StatusWord(), 1);
    w.Run({kDisable, 77});
    w.Run({kAdjust, 77, 0, {1, 1, 1, 1, 1}}); // nobody: nothing
}

TEST(EventCommandsTest, ItemsPassFromGiverToReceiver) {
    ScriptWorld w;
    Troop* giver = w.Field(w.player, 42, 10, 10);
    Troop* receiver = w.Field(w.player, 43, 12, 10);
    giver->officer->AddItem(201);
    giver->officer->AddItem(202);

    w.Run({kGive, 0, 43, {301, 0, 302}});
    EXPECT_EQ(Belt(receiver, 0), 301) << "without a giver the items come from nothing";
    EXPECT_EQ(Belt(receiver, 1), 302);

    w.Run({kGive, 42, 43, {201, 999}});
    EXPECT_EQ(Belt(receiver, 2), 201);
    EXPECT_EQ(Belt(giver, 0), 202) << "the giver's belt closes the gap";
    EXPECT_EQ(Belt(giver, 1), 0);
    EXPECT_EQ(Belt(receiver, 3), 0) << "an item the giver lacks does not move";

    receiver->officer->AddItem(303); // the belt is full now
    w.Run({kGive, 42, 43, {202}});
    EXPECT_EQ(Belt(giver, 0), 202) << "an item that cannot be placed stays with the giver";

    w.Run({kGive, 42, 0, {202}});
    EXPECT_EQ(Belt(giver, 0), 202) << "no receiver: nothing";
}

TEST(EventCommandsTest, RelationsChangeInBothKingdoms) {
    ScriptWorld w;
    const int32_t me = w.player->nationIndex, them = w.other->nationIndex;
    struct Case {
        int32_t kingdom, relation;
        int32_t expected;
    } cases[] = {{them, 2, 2}, {them, 1, 1}, {them, 7, 1}, {them, -1, 1}, {99, 3, 1}};
    for (const Case& c : cases) {
        w.Run({kRelation, c.kingdom, c.relation});
        EXPECT_EQ(w.player->relations[them], c.expected) << c.kingdom << " " << c.relation;
        EXPECT_EQ(w.other->relations[me], c.expected);
    }
}

TEST(EventCommandsTest, StripAndConfiscateClearTheirSlots) {
    ScriptWorld w;
    Troop* a = w.Field(w.player, 42, 10, 10);
    Troop* b = w.Field(w.other, 43, 12, 10);
    City* c = w.AddCity(w.other, 5);
    Troop* inCity = w.InCity(c, w.other, 44);
    SubCastle* post = w.world.AddSubCastle(c, 5);
    auto* inPost = new Troop(1, 10, 0, 0, int8_t(w.other->nationIndex), 0, 100, w.Officer(w.other, 45));
    post->units.Add(Id(inPost));
    for (Troop* t : {a, b, inCity, inPost})
        for (int s = 0; s < 10; ++s)
            SetSlot(t, s, 100 + s);

    w.Run({kStrip, 0, 0, {0, 42}});
    for (int s = 0; s < 10; ++s) {
        EXPECT_EQ(Slot(a, s), 0);
        EXPECT_EQ(Slot(b, s), 100 + s);
    }
    w.Run({kConfiscate, 0, 0, {103, 0, 108}});
    for (Troop* t : {b, inCity, inPost}) {
        EXPECT_EQ(Slot(t, 3), 0);
        EXPECT_EQ(Slot(t, 8), 0);
        EXPECT_EQ(Slot(t, 4), 104);
    }
}

// A stripped weapon takes back the attack it gave; a carried item (slot 6 and up) gave nothing.
TEST(EventCommandsTest, StrippedSlotsTakeBackTheirItemsBonuses) {
    ScriptWorld w;
    std::array<uint8_t, 192> sword{};
    const int32_t attack = 7;
    std::memcpy(sword.data() + ItemBonus::kAttack, &attack, 4);
    ItemTable[5] = sword.data();
    ItemCount = 6;
    Troop* a = w.Field(w.player, 42, 10, 10);
    a->officer->Set(OfficerLayout::kAttack, 50);
    SetSlot(a, 0, 5);
    a->ApplyItemBonus(5, +1);
    SetSlot(a, 7, 5);
    ASSERT_EQ(a->officer->Get(OfficerLayout::kAttack), 57);
    w.Run({kStrip, 0, 0, {0, 42}});
    EXPECT_EQ(Slot(a, 0), 0);
    EXPECT_EQ(Slot(a, 7), 0);
    EXPECT_EQ(a->officer->Get(OfficerLayout::kAttack), 50);
    ItemTable[5] = nullptr;
    ItemCount = 0;
}

TEST(EventCommandsTest, PlayAreaSetsTheBoundsAndRestoresGeneralsThatEnterIt) {
    ScriptWorld w;
    w.Template(42);
    w.view->SetView(0, 0, 20, 60);
    Troop* inside = w.Field(w.player, 42, 30, 50);
    inside->officer->Set(L::kLevel, 2);
    w.Template(47);
    Troop* before = w.Field(w.player, 47, 6, 29); // unit row 29: inside the old rows 0..59
    OfficerRecord saved47(0, -1);
    saved47.Set(L::kPersonNumber, 47);
    saved47.Set(L::kLevel, 20);
    TheBattleMap->carryList.Save(saved47);
    OfficerRecord saved(0, -1);
    saved.Set(L::kPersonNumber, 42);
    saved.Set(L::kLevel, 9);
    saved.Set(L::kMaxHp, 250);
    TheBattleMap->carryList.Save(saved);
    City* far = w.AddCity(w.player, 4, 40, 100);

    w.Run({kPlayArea, 0, 0, {5, 10, 50, 140}});
    const CellBounds& b = TheBattleMap->validBounds;
    EXPECT_EQ(b.left, 5);
    EXPECT_EQ(b.top, 10);
    EXPECT_EQ(b.right, 50);
    EXPECT_EQ(b.bottom, 140);
    EXPECT_EQ(inside->officer->Get(L::kLevel), 9) << "entered the area: carried progress back";
    EXPECT_EQ(inside->officer->Get(L::kHp), 250);
    EXPECT_EQ(w.view->currentCity, far);
    EXPECT_EQ(before->officer->Get(L::kLevel), 5) << "already inside the old area: left alone";

    // Clamped to the map, the corners ordered.
    w.Run({kPlayArea, 0, 0, {58, 150, -4, 300}});
    EXPECT_EQ(b.left, 45);
    EXPECT_EQ(b.top, 104);
    EXPECT_EQ(b.right, 45);
    EXPECT_EQ(b.bottom, 160);
}

TEST(EventCommandsTest, DoorOpensItsPatternAndLinksTheWaypointsOnce) {
    ScriptWorld w;
    for (int y = 0; y < ScriptWorld::kRows; ++y)
        for (int x = 0; x < ScriptWorld::kWidth; ++x)
            TheBattleMap->CellAt(x, y)->obstacle = 1; // walls: the search links nothing
    TheBattleMap->CellAt(10, 20)->overlayTile = kWaypointMarker;
    TheBattleMap->CellAt(30, 40)->overlayTile = kWaypointMarker;
    BuildRouteGraph();
    ASSERT_EQ(RouteNodeCount(), 2);
    RouteNode* a = RouteGraphHead();
    RouteNode* b = a->next;
    ASSERT_EQ(a->links[0], nullptr);
    auto pattern = std::make_unique<FootprintPattern>();
    pattern->width = 1;
    pattern->cellTiles = {0x0777};
    pattern->mask = {0};
    Footprints().door[3] = std::move(pattern);

    const StepSetup door{kDoor, 3, 0, {20, 30, 10, 20, 30}, 40};
    w.Run(door);
    EXPECT_EQ(TheBattleMap->CellAt(20, 30)->layerTile, 0x0777);
    EXPECT_EQ(TheBattleMap->CellAt(20, 30)->obstacle, 0);
    EXPECT_EQ(a->links[0], b);
    EXPECT_EQ(b->links[0], a);
    w.Run(door);
    EXPECT_EQ(a->links[1], nullptr) << "opened again: no second link";

    w.Run({kDoor, 4, 0, {22, 30, 10, 20, 30}, 40});
    EXPECT_NE(TheBattleMap->CellAt(22, 30)->layerTile, 0x0777) << "no such door pattern";
    Footprints().door[3].reset();
    FreeRouteGraph();
}

TEST(EventCommandsTest, RevealedAmbushersRegainCarriedProgressAndTakeTheirTarget) {
    ScriptWorld w;
    w.Template(42);
    Troop* ambusher = w.Field(w.player, 42, 10, 10);
    ambusher->officer->Set(L::kAmbush, 888);
    Troop* bystander = w.Field(w.player, 46, 11, 10);
    Troop* enemy = w.Field(w.other, 43, 14, 10);
    OfficerRecord saved(0, -1);
    saved.Set(L::kPersonNumber, 42);
    saved.Set(L::kLevel, 12);
    TheBattleMap->carryList.Save(saved);

    w.Run({kRevealAmbush, 888, 0, {}, 43});
    EXPECT_EQ(ambusher->officer->Get(L::kLevel), 12);
    EXPECT_EQ(ambusher->targetTroop, enemy);
    EXPECT_EQ(bystander->officer->Get(L::kLevel), 5) << "only the marked troops";
    EXPECT_EQ(bystander->targetTroop, nullptr);
}
