#include "ScriptFixture.h"

#include "troops/CastleGate.h"
#include "world/RandomMapTables.h"

#include <gtest/gtest.h>

using namespace scripttest;
using L = OfficerLayout;

namespace {

constexpr int32_t kTransfer = 5, kRemove = 9, kRemoveRebels = 13, kTransferRebels = 14, kClearArea = 15,
                  kAddGarrison = 16, kDestroy = 17, kTransferCity = 18, kAddAmbush = 26, kKill = 27;

bool Holds(LinkList& list, const void* p) {
    return list.Find(Id(p)) != 0;
}

int32_t PassLevel(int32_t person) {
    const uint8_t* entry = PassRecords().Find(person);
    if (!entry) return 0;
    int32_t level = 0;
    std::memcpy(&level, entry + L::kLevel, 4);
    return level;
}

// Selects the troop, puts it into hot-key group 2 and caches it in the manager.
void Hold(ScriptWorld& w, Troop* t, bool cached = true) {
    GameController* c = TheGameController;
    t->selected = 1;
    c->selection->Add(Id(t));
    if (!c->groups[2]) c->groups[2] = new LinkList;
    c->groups[2]->Add(Id(t));
    t->hotKeyGroup = 2;
    c->currentGroup = 2;
    if (cached) w.manager.troopCache[0] = t;
}

} // namespace

TEST(TroopCityCommandsTest, RemovedGeneralsLeaveTheMapAndKeepTheirProgress) {
    ScriptWorld w;
    Troop* named = w.Field(w.player, 42, 10, 10);
    Troop* follower = w.Field(w.player, 0, 11, 10, 3);
    named->followers->Add(Id(follower));
    follower->leader = named;
    Hold(w, named);
    Troop* enemy = w.Field(w.other, 43, 14, 10);

    w.Run({kRemove, 42, 43, {77}});
    EXPECT_EQ(named->outOfPlay, 1);
    EXPECT_EQ(follower->outOfPlay, 1) << "its followers leave with it";
    EXPECT_EQ(enemy->outOfPlay, 1);
    EXPECT_TRUE(Holds(w.player->fieldUnits, named)) << "withdrawn troops stay in their lists";
    EXPECT_EQ(TheBattleMap->FirstObjectAt(10, 10), 0u);
    EXPECT_EQ(TheBattleMap->FirstObjectAt(11, 10), 0u);
    EXPECT_EQ(named->selected, 0);
    EXPECT_EQ(TheGameController->selection->GetCount(), 0);
    EXPECT_EQ(TheGameController->currentGroup, -1) << "the emptied hot-key group is cleared";
    EXPECT_EQ(PassLevel(42), 5) << "the player's named general keeps his level";
    EXPECT_EQ(PassRecords().Find(43), nullptr) << "only the player's generals pass on";
    ASSERT_NE(TheBattleMap->carryList.Find(43), nullptr) << "every named general is carried";
    EXPECT_EQ(TheBattleMap->carryList.Find(43)->Get(L::kLevel), 5);

    // Removed twice: the second call finds nothing to do, the carry list keeps one entry.
    w.Run({kRemove, 43});
    EXPECT_EQ(TheBattleMap->carryList.records.GetCount(), 2);
}

TEST(TroopCityCommandsTest, KilledGeneralsFallWithLevelMinusOne) {
    ScriptWorld w;
    Troop* named = w.Field(w.player, 42, 10, 10);
    City* c = w.AddCity(w.other, 4);
    Troop* guard = w.InCity(c, w.other, 50);
    Hold(w, guard);
    guard->targetTroop = named;
    named->targetTroop = guard;

    w.Run({kKill, 42});
    EXPECT_EQ(named->outOfPlay, 1);
    EXPECT_EQ(PassLevel(42), -1);
    EXPECT_EQ(TheBattleMap->carryList.Find(42)->Get(L::kLevel), -1);

    w.Run({kKill, 50});
    EXPECT_EQ(c->units.GetCount(), 0) << "a garrison general is deleted";
    EXPECT_EQ(named->targetTroop, nullptr) << "nothing points at the deleted troop";
    EXPECT_EQ(w.manager.troopCache[0], nullptr);
    EXPECT_EQ(TheGameController->selection->GetCount(), 0);
    EXPECT_EQ(TheGameController->groups[2]->GetCount(), 0);
    ASSERT_NE(TheBattleMap->carryList.Find(50), nullptr);
    EXPECT_EQ(TheBattleMap->carryList.Find(50)->Get(L::kLevel), 5) << "an enemy's level is not marked";
}

TEST(TroopCityCommandsTest, StationedGeneralsAreRemovedFromTheirPost) {
    ScriptWorld w;
    City* c = w.AddCity(w.player, 4);
    SubCastle* post = w.world.AddSubCastle(c, 4);
    auto* t = new Troop(1, 10, 0, 0, int8_t(w.player->nationIndex), 0, 100, w.Officer(w.player, 60));
    post->units.Add(Id(t));
    Hold(w, t, false);
    c->currentUnit = t;
    w.Run({kRemove, 61});
    EXPECT_EQ(post->units.GetCount(), 1) << "a person in no list: nothing removed";
    w.Run({kRemove, 60});
    EXPECT_EQ(post->units.GetCount(), 0);
    EXPECT_EQ(c->currentUnit, nullptr);
    EXPECT_EQ(PassLevel(60), 5);
    EXPECT_EQ(TheGameController->selection->GetCount(), 0);
}

TEST(TroopCityCommandsTest, RebelsLeaveTheFieldAndTheirGarrisons) {
    ScriptWorld w;
    Troop* field = w.Field(w.other, 70, 10, 10);
    field->officer->Set(L::kRebel, 9);
    Troop* loyal = w.Field(w.other, 71, 12, 10);
    City* c = w.AddCity(w.other, 4);
    Troop* garrison = w.InCity(c, w.other, 72);
    garrison->officer->Set(L::kRebel, 9);
    Troop* escort = w.InCity(c, w.other, 73);
    garrison->followers->Add(Id(escort));
    escort->leader = garrison;
    Hold(w, escort);
    loyal->targetTroop = escort;

    w.Run({kRemoveRebels, 9});
    EXPECT_EQ(field->outOfPlay, 1);
    EXPECT_EQ(loyal->outOfPlay, 0);
    EXPECT_EQ(c->units.GetCount(), 0) << "the rebel and its follower are deleted";
    EXPECT_EQ(loyal->targetTroop, nullptr);
    EXPECT_EQ(TheGameController->selection->GetCount(), 0);
}

TEST(TroopCityCommandsTest, ClearingAnAreaWithdrawsTheFirstTroopOfEachCell) {
    struct Case {
        int32_t kingdom; // 0 everyone, 1 the player's, 2 the other
        int32_t spare5, spareWhat;
        std::vector<int32_t> withdrawn; // persons
    } cases[] = {
        {0, 0, 0, {42, 43, 44}}, {2, 0, 0, {43, 44}}, {2, 44, 0, {43}}, {2, 0, 43, {44}}, {1, 42, 0, {}},
    };
    for (const Case& c : cases) {
        ScriptWorld w;
        Troop* troops[] = {w.Field(w.player, 42, 10, 10), w.Field(w.other, 43, 11, 11),
                           w.Field(w.other, 44, 12, 12)};
        Troop* outside = w.Field(w.other, 45, 13, 12);
        Troop* below = w.Field(w.other, 46, 10, 13);
        const int32_t kingdom = c.kingdom == 0 ? 0 : (c.kingdom == 1 ? w.player : w.other)->nationIndex;
        w.Run({kClearArea, kingdom, 0, {10, 20, 13, 26, c.spare5}, c.spareWhat});
        for (Troop* t : troops) {
            const bool expected = std::find(c.withdrawn.begin(), c.withdrawn.end(),
                                            t->officer->Get(L::kPersonNumber)) != c.withdrawn.end();
            EXPECT_EQ(t->outOfPlay, expected ? 1 : 0)
                << c.kingdom << " " << t->officer->Get(L::kPersonNumber);
        }
        EXPECT_EQ(outside->outOfPlay, 0) << "column 13 is past the right edge";
        EXPECT_EQ(below->outOfPlay, 0) << "row 13 is past the bottom edge";
    }
}

TEST(TroopCityCommandsTest, ClearingAnAreaTouchesOnlyFieldTroopsOfAnExistingKingdom) {
    ScriptWorld w;
    Troop* t = w.Field(w.other, 43, 11, 11);
    w.Run({kClearArea, 99, 0, {0, 0, 40, 40}});
    EXPECT_EQ(t->outOfPlay, 0) << "no such kingdom";

    // A cell whose first object is no field troop (a city's unit here) is left alone.
    City* c = w.AddCity(w.other, 4);
    Troop* inCity = w.InCity(c, w.other, 44);
    TheBattleMap->RemoveObjectAt(11, 11, Id(t));
    TheBattleMap->AddObjectAt(11, 11, Id(inCity));
    TheBattleMap->AddObjectAt(11, 11, Id(t));
    ASSERT_EQ(TheBattleMap->FirstObjectAt(11, 11), Id(inCity));
    w.Run({kClearArea, 0, 0, {0, 0, 40, 40}});
    EXPECT_EQ(inCity->outOfPlay, 0);
    EXPECT_EQ(t->outOfPlay, 0) << "only the first object of a cell";
    TheBattleMap->RemoveObjectAt(11, 11, Id(inCity));
}

TEST(TroopCityCommandsTest, TransferredGeneralsJoinTheTargetKingdom) {
    ScriptWorld w;
    w.other->SetInt(56, 7);  // "武將警戒"
    w.other->SetInt(60, 3);  // "武將追捕"
    w.other->SetInt(64, 40); // "武將撤退"
    Troop* leader = w.Field(w.player, 42, 10, 10);
    Troop* follower = w.Field(w.player, 0, 11, 10, 3);
    follower->leader = leader;
    Troop* ambusher = w.Field(w.player, 42, 12, 10);
    ambusher->officer->Set(L::kAmbush, 5);
    leader->officer->Set(L::kPolicy, 4);

    w.Run({kTransfer, 42, w.other->nationIndex});
    for (Troop* t : {leader, follower}) {
        EXPECT_TRUE(Holds(w.other->fieldUnits, t));
        EXPECT_FALSE(Holds(w.player->fieldUnits, t));
        EXPECT_EQ(t->owner, w.other->nationIndex);
        EXPECT_EQ(t->officer->ownerSide, w.other->nationIndex);
        EXPECT_EQ(t->order->alert, 7);
        EXPECT_EQ(t->order->pursue, 3);
        EXPECT_EQ(t->officer->Get(L::kRetreat), 40);
        EXPECT_EQ(t->state, 10) << "halted";
    }
    EXPECT_EQ(leader->officer->Get(L::kPolicy), 0);
    EXPECT_TRUE(Holds(w.player->fieldUnits, ambusher)) << "an ambusher stays";

    // Back to the player by default: the pass record comes back with the general.
    uint8_t* entry = PassRecords().Entry(42);
    std::memcpy(entry, leader->officer->block, L::kSize);
    const int32_t level = 14;
    std::memcpy(entry + L::kLevel, &level, 4);
    w.Template(42);
    leader->order->orderState = 6;
    w.player->SetInt(56, 2);
    GameParams().ConstAlarmRegion[2] = 11;
    GameParams().ConstPursueRegion[2] = 12;
    w.Run({kTransfer, 42, 0});
    EXPECT_EQ(leader->order->alert, 11) << "the movement tables at the kingdom's setting";
    EXPECT_EQ(leader->order->pursue, 12);
    EXPECT_TRUE(Holds(w.player->fieldUnits, leader));
    EXPECT_EQ(leader->officer->ownerSide, w.player->nationIndex) << "officer and troop agree on the side";
    EXPECT_EQ(leader->officer->Get(L::kLevel), 14);
    EXPECT_EQ(leader->order->orderState, 0);
}

TEST(TroopCityCommandsTest, RebelsGoOverOnlyToAnExistingKingdom) {
    ScriptWorld w;
    Troop* rebel = w.Field(w.player, 42, 10, 10);
    rebel->officer->Set(L::kRebel, 3);
    Troop* dead = w.Field(w.player, 43, 11, 10);
    dead->officer->Set(L::kRebel, 3);
    dead->state = 13;
    w.Run({kTransferRebels, 3, 99});
    EXPECT_TRUE(Holds(w.player->fieldUnits, rebel));
    w.Run({kTransferRebels, 3, w.other->nationIndex});
    EXPECT_TRUE(Holds(w.other->fieldUnits, rebel));
    EXPECT_TRUE(Holds(w.player->fieldUnits, dead)) << "the dead stay";
}

TEST(TroopCityCommandsTest, NewGarrisonAndAmbushGeneralsFromTemplates) {
    ScriptWorld w;
    w.Template(80, 3);
    w.Template(81, -2);
    City* first = w.AddCity(w.other, 4);
    w.AddCity(w.other, 5);

    w.Run({kAddGarrison, 80, w.other->nationIndex});
    ASSERT_EQ(first->units.GetCount(), 1);
    auto* t = reinterpret_cast<Troop*>(first->units.First());
    EXPECT_EQ(t->officer->Get(L::kPersonNumber), 80);
    EXPECT_EQ(t->officer->ownerSide, w.other->nationIndex);
    EXPECT_EQ(t->owner, w.other->nationIndex);
    EXPECT_EQ(t->garrison, 1);
    EXPECT_EQ(t->officer->reference, -1);

    w.Run({kAddGarrison, 81, w.other->nationIndex});
    EXPECT_EQ(first->units.GetCount(), 2) << "a template below level 1 grows nothing";
    w.Run({kAddGarrison, 82, w.other->nationIndex});
    w.Run({kAddGarrison, 80, w.player->nationIndex});
    w.Run({kAddGarrison, 80, 99});
    EXPECT_EQ(first->units.GetCount(), 2) << "no template, no city or no kingdom: nothing";

    const int before = w.player->fieldUnits.GetCount();
    w.Run({kAddAmbush, 80});
    ASSERT_EQ(w.player->fieldUnits.GetCount(), before + 1) << "the first kingdom of kind 0";
    auto* a = reinterpret_cast<Troop*>(w.player->fieldUnits.Last());
    EXPECT_EQ(a->officer->Get(L::kAmbush), 888);
    EXPECT_EQ(a->cellX, 0);
    w.Run({kAddAmbush, 82});
    EXPECT_EQ(w.player->fieldUnits.GetCount(), before + 1);
}

TEST(TroopCityCommandsTest, TransferredAndDestroyedCitiesLeaveNoReferenceBehind) {
    ScriptWorld w;
    City* c = w.AddCity(w.other, 4, 20, 60);
    c->SetInt(CityLayout::kGold, 500);
    Troop* inside = w.InCity(c, w.other, 90);
    auto* attached = new Troop(1, 10, 0, 0, int8_t(w.other->nationIndex), 0, 100, w.Officer(w.other, 91, 3));
    c->garrison[0] = attached;
    w.other->fieldUnits.Add(Id(attached));
    const uint8_t oldMark = uint8_t(w.other->nationIndex + 100);
    const uint8_t newMark = uint8_t(w.player->nationIndex + 100);
    for (int x = 18; x <= 22; ++x)
        TheBattleMap->CellAt(x, 62)->ownerMark = oldMark;
    // A gate of the city's area, and one elsewhere that stays.
    auto* gate = new CastleGate(20, 31, 0, w.other->nationIndex, 1, 20, 60);
    auto* away = new CastleGate(5, 5, 0, w.other->nationIndex, 1, 5, 10);
    TheBattleMap->CellAt(20, 62)->cityId = 4;
    w.other->gates.Add(Id(gate));
    w.other->gates.Add(Id(away));
    ASSERT_EQ(c->markedCity, 0);

    w.Run({kTransferCity, 4, w.other->nationIndex});
    EXPECT_TRUE(Holds(w.other->cities, c)) << "already the target's: nothing";
    w.Run({kTransferCity, 4, w.player->nationIndex});
    EXPECT_TRUE(Holds(w.player->cities, c));
    EXPECT_FALSE(Holds(w.other->cities, c));
    EXPECT_EQ(c->ownerSide, w.player->nationIndex);
    EXPECT_EQ(inside->owner, w.player->nationIndex);
    EXPECT_EQ(inside->officer->ownerSide, w.player->nationIndex);
    EXPECT_EQ(TheBattleMap->CellAt(18, 62)->ownerMark, newMark);
    EXPECT_EQ(w.player->goldTotal, 500);
    EXPECT_EQ(w.other->goldTotal, -500);
    EXPECT_TRUE(Holds(w.player->fieldUnits, attached));
    EXPECT_FALSE(Holds(w.other->fieldUnits, attached)) << "moved, not copied";
    EXPECT_GE(TheBattleMap->CellAt(20, 60)->sightCount, 2) << "the player sees the city";
    EXPECT_EQ(c->markedCity, 1) << "and it is shown to him";
    EXPECT_TRUE(Holds(w.player->gates, gate));
    EXPECT_FALSE(Holds(w.other->gates, gate));
    EXPECT_EQ(gate->ownerSide, w.player->nationIndex);
    EXPECT_TRUE(Holds(w.other->gates, away));
    TheGameController->gameScreen->currentCity = c;

    w.Run({kDestroy, 0, 0, {4}});
    EXPECT_FALSE(Holds(w.player->cities, c));
    EXPECT_EQ(c->garrison[0], nullptr);
    EXPECT_FALSE(Holds(w.player->fieldUnits, attached)) << "the deleted object left the field list";
    EXPECT_EQ(TheGameController->gameScreen->currentCity, nullptr);
    EXPECT_EQ(TheBattleMap->CellAt(20, 60)->overlayTile, MapCell::kNoTile);
    EXPECT_EQ(w.manager.FindCity(4), c) << "still found, among the unowned cities";
    w.Run({kDestroy, 0, 0, {4}}); // again: nothing left to delete
}
