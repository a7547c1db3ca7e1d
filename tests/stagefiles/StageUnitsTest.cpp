#include "stagefiles/StageUnits.h"
#include "records/RecordTables.h"
#include "stagefiles/StageOfficer.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"
#include "stagefiles/UnitRows.h"
#include "support/StageBytes.h"
#include "troops/TroopFixture.h"
#include "troops/TroopWorld.h"
#include "world/Coordinates.h"
#include "world/RouteGraph.h"
#include "world/UnitPath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <set>
#include <string>
#include <vector>

using testsupport::StageBytes;
using U = UnitRecordLayout;
using L = OfficerLayout;

namespace {

constexpr uint32_t kKingdomAlert = 56, kKingdomPursue = 60, kKingdomRetreat = 64;
constexpr uint32_t kReferSelf = 136, kOfficerAlert = 140, kOfficerPursue = 144;

class StageUnitsTest : public ::testing::Test {
protected:
    void SetUp() override {
        GameParams() = GameParameters();
        player = battle.AddKingdom(1, true);
        ai = battle.AddKingdom(2);
    }
    void TearDown() override { TheScreenSettings->battleStarted = 0; }

    // A troop standing at (x, y) in the kingdom's field list, with many of its stored fields set.
    Troop* Unit(Kingdom* k, int x, int y, int kind = 1) {
        Troop* t = battle.AddTroop(k, x, y, 1, kind, 10);
        static const std::set<std::string> loadRuled = {
            "t.selected",   "t.recordBytes[0]", "t.rangeStart",    "t.rangeEnd",   "t.missileKind",
            "t.frameCount", "t.currentFrame",   "t.moveDirection", "t.skill",      "t.cellX",
            "t.cellY",      "t.state",          "t.owner",         "t.baseType",   "t.currentType",
            "t.garrison",   "t.hotKeyGroup",    "t.outOfPlay",     "t.targetWord", "t.homeCity"};
        for (const unitrows::Row& r : unitrows::UnitRows())
            if (!loadRuled.count(r.name)) r.set(*t, unitrows::Distinct(r) + uint32_t(x));
        t->homeCity = int16_t(300 + x);
        t->hotKeyGroup = int8_t(x % 10);
        t->officer->Set(L::kLevel, 3 + x % 5);
        t->officer->UpdateRank(0);
        t->officer->workWords[1] = x;
        t->order->postX = int16_t(x);
        t->order->orderState = 5;
        return t;
    }
    static std::vector<uint8_t> Entry(const Troop& t) {
        StageWriter out;
        WriteUnit(out, t);
        return out.bytes();
    }
    static std::vector<uint8_t> Group(const Troop& t) {
        StageWriter out;
        WriteUnitGroup(out, t);
        return out.bytes();
    }
    // Reads and hands the troop to its kingdom's field list, as the stage readers do.
    Troop* Keep(Troop* t) {
        if (t) TroopKingdom(t->owner)->fieldUnits.Add(uintptr_t(t));
        return t;
    }
    int Occupants(int x, int y) {
        int n = 0;
        for (uintptr_t v = TheBattleMap->FirstObjectAt(x, y); v != 0; v = TheBattleMap->NextObjectAt())
            ++n;
        return n;
    }

    trooptest::Battle battle;
    Kingdom* player = nullptr;
    Kingdom* ai = nullptr;
};

// A saved troop restores with its stored values and serial, on its cell, and writes back the same
// bytes.
TEST_F(StageUnitsTest, RestoredUnitEntryWritesBackTheSameBytes) {
    Troop* t = Unit(player, 6, 7);
    t->waypoints = new PathWaypoint{1, 2, 2, new PathWaypoint{3, 4, 0, nullptr}};
    t->route = new RouteStep{5, 6, nullptr};
    const std::vector<uint8_t> bytes = Entry(*t);
    StageBytes file(bytes);
    file.u32(0xFEEDBEEF);
    StageReader in(file, StageLoadMode::Restore);
    Troop* back = Keep(ReadUnit(in, {}, 1));
    ASSERT_TRUE(back);
    EXPECT_EQ(in.u32(), 0xFEEDBEEFu);
    EXPECT_EQ(Entry(*back), bytes);
    EXPECT_EQ(back->officer->serial, t->officer->serial);
    EXPECT_EQ(back->officerData, back->officer->block);
    EXPECT_EQ(back->skill, -1);
    EXPECT_TRUE(battle.OnCell(back, 6, 7));
}

// Groups of every shape: counts 0, 3, 10000, 10003, and nine followers of which eight stay. The
// followers get their leader and join its kingdom's field list; what is read is written back.
TEST_F(StageUnitsTest, UnitGroupsRoundTrip) {
    struct Case {
        int followers;
        bool paired;
        int32_t count;
        int kept;
    };
    const Case cases[] = {
        {0, false, 0, 0}, {3, false, 3, 3}, {0, true, 10000, 0}, {3, true, 10003, 3}, {9, false, 9, 8}};
    int row = 2;
    for (const Case& c : cases) {
        const std::string label = "count " + std::to_string(c.count);
        row += 3;
        Troop* leader = Unit(player, 2, row, 1);
        std::vector<Troop*> followers;
        for (int i = 0; i < c.followers; ++i) {
            followers.push_back(Unit(player, 3 + i, row, 3));
            leader->followers->Add(uintptr_t(followers.back()));
        }
        if (c.paired) leader->pairedTroop = Unit(player, 15, row, 3);
        const std::vector<uint8_t> bytes = Group(*leader);
        EXPECT_EQ(StageBytes::Field(bytes, Entry(*leader).size(), 4), uint32_t(c.count)) << label;

        const int before = player->fieldUnits.GetCount();
        const int32_t serial = TheScreenSettings->serialCounter;
        StageReader in(bytes, StageLoadMode::Restore);
        Troop* back = Keep(ReadUnitGroup(in, {}, 1));
        ASSERT_TRUE(back) << label;
        EXPECT_EQ(in.remaining(), 0u) << label;
        EXPECT_EQ(TheScreenSettings->serialCounter - serial, 1 + c.followers + (c.paired ? 1 : 0))
            << label << ": every entry builds its officer, the dropped ones too";
        EXPECT_EQ(back->leaderFlag, 1) << label;
        const int attached = back->followers ? back->followers->GetCount() : 0;
        EXPECT_EQ(attached, c.kept) << label;
        EXPECT_EQ(player->fieldUnits.GetCount() - before, 1 + c.kept + (c.paired ? 1 : 0)) << label;
        for (int i = 0; i < attached; ++i) {
            auto* f = reinterpret_cast<Troop*>(back->followers->GetAt(i));
            EXPECT_EQ(f->leader, back) << label;
            EXPECT_EQ(f->officer->serial, followers[size_t(i)]->officer->serial) << label;
            EXPECT_TRUE(battle.OnCell(f, 3 + i, row)) << label;
        }
        if (c.followers > 8) EXPECT_EQ(Occupants(3 + 8, row), 1) << "the ninth is read past, not placed";
        EXPECT_EQ(back->pairedTroop != nullptr, c.paired) << label;
        if (c.paired) EXPECT_EQ(back->pairedTroop->leader, back) << label;

        if (c.followers <= 8) {
            EXPECT_EQ(Group(*back), bytes) << label;
        } else {
            leader->followers->RemoveValue(uintptr_t(followers.back()));
            EXPECT_EQ(Group(*back), Group(*leader)) << label;
        }
    }
}

// Once the battle has begun, groups are written without followers and read back without them.
TEST_F(StageUnitsTest, GroupsAreWrittenWithoutFollowersOnceTheBattleHasBegun) {
    Troop* leader = Unit(player, 4, 4, 1);
    leader->followers->Add(uintptr_t(Unit(player, 5, 4, 3)));
    leader->pairedTroop = Unit(player, 6, 4, 3);
    TheScreenSettings->battleStarted = 1;
    const std::vector<uint8_t> bytes = Group(*leader);
    EXPECT_EQ(bytes.size(), Entry(*leader).size() + 4);
    EXPECT_EQ(StageBytes::Field(bytes, bytes.size() - 4, 4), 0u);
    StageReader in(bytes, StageLoadMode::Restore);
    Troop* back = Keep(ReadUnitGroup(in, {}, 1));
    ASSERT_TRUE(back);
    EXPECT_TRUE(!back->followers || back->followers->GetCount() == 0);
    EXPECT_EQ(back->pairedTroop, nullptr);
}

// Read on a fresh stage with its leader on the map, each follower takes its slot of the leader's
// formation.
TEST_F(StageUnitsTest, FollowersOfALeaderOnTheMapTakeTheirFormationSlots) {
    Troop* leader = Unit(player, 20, 20, 1);
    leader->officer->Set(L::kFormation, 1);
    leader->officer->Set(L::kSpacing, 0);
    for (int i = 0; i < 2; ++i)
        leader->followers->Add(uintptr_t(Unit(player, 21 + i, 20, 3)));
    const std::vector<uint8_t> bytes = Group(*leader);
    StageReader in(bytes, StageLoadMode::Fresh);
    Troop* back = Keep(ReadUnitGroup(in, {}, 1));
    ASSERT_TRUE(back);
    ASSERT_EQ(back->followers->GetCount(), 2);
    for (int i = 0; i < 2; ++i) {
        auto* f = reinterpret_cast<Troop*>(back->followers->GetAt(i));
        EXPECT_EQ(f->leader, back) << i;
        EXPECT_EQ(f->formationFollow, 1) << i;
        EXPECT_EQ(f->followerSlot, i + 1) << i;
    }
}

// A garrisoned leader's followers stay off the map and out of the field list.
TEST_F(StageUnitsTest, FollowersOfAGarrisonedLeaderAreNotPlaced) {
    Troop* leader = Unit(player, 4, 9, 1);
    leader->garrison = 1;
    leader->followers->Add(uintptr_t(Unit(player, 5, 9, 3)));
    const std::vector<uint8_t> bytes = Group(*leader);
    const int before = player->fieldUnits.GetCount();
    StageReader in(bytes, StageLoadMode::Restore);
    Troop* back = ReadUnitGroup(in, {}, 1);
    ASSERT_TRUE(back);
    EXPECT_EQ(Occupants(4, 9), 1);
    EXPECT_EQ(Occupants(5, 9), 1);
    EXPECT_EQ(player->fieldUnits.GetCount(), before);
    ASSERT_EQ(back->followers->GetCount(), 1);
    auto* follower = reinterpret_cast<Troop*>(back->followers->First());
    EXPECT_EQ(follower->garrison, 1);
    delete follower;
    delete back;
}

// A unit's carried items: ids that name items are kept in order, others dropped.
TEST_F(StageUnitsTest, UnitsCarryTheirItems) {
    std::array<uint8_t, 192> item{};
    for (int id : {3, 4, 7})
        ItemTable[id] = item.data();
    ItemCount = 10;
    Troop* t = Unit(player, 8, 8);
    t->carried = new LinkList;
    for (int id : {3, 7, 999, -4, 4})
        t->carried->Add(uintptr_t(uint32_t(id)));
    StageWriter out;
    WriteUnitWithItems(out, *t);
    const std::vector<uint8_t> bytes = out.bytes();
    EXPECT_EQ(StageBytes::Field(bytes, Entry(*t).size(), 4), 5u);

    StageReader in(bytes, StageLoadMode::Restore);
    Troop* back = Keep(ReadUnitWithItems(in, {}, 1));
    ASSERT_TRUE(back);
    ASSERT_TRUE(back->carried);
    std::vector<uintptr_t> ids;
    for (uintptr_t v = back->carried->First(); v != 0; v = back->carried->Next())
        ids.push_back(v);
    EXPECT_EQ(ids, (std::vector<uintptr_t>{3, 7, 4}));
    StageWriter again;
    WriteUnitWithItems(again, *back);
    StageReader second(again.bytes(), StageLoadMode::Restore);
    Troop* twice = Keep(ReadUnitWithItems(second, {}, 1));
    ASSERT_TRUE(twice);
    StageWriter third;
    WriteUnitWithItems(third, *twice);
    EXPECT_EQ(third.bytes(), again.bytes());
}

// Where a read unit goes: on its cell, nowhere (a cell with x or y 0, a garrison, an ambush, out
// of play), or into the dying list (corpse types, dead troops).
TEST_F(StageUnitsTest, PlacementOfReadUnits) {
    struct Case {
        const char* name;
        int x, y;
        int32_t type;
        uint8_t state;
        int16_t garrison;
        int32_t ambush;
        uint8_t outOfPlay;
        int16_t callerGarrison;
        bool onCell;
        bool dying;
    };
    const Case cases[] = {
        {"standing", 5, 5, 1, 10, 0, 0, 0, -1, true, false},
        {"column 0", 0, 5, 1, 10, 0, 0, 0, -1, false, false},
        {"row 0", 5, 0, 1, 10, 0, 0, 0, -1, false, false},
        {"corpse type", 6, 6, 116, 10, 0, 0, 0, -1, false, true},
        {"dead", 7, 7, 1, 13, 0, 0, 0, -1, false, true},
        {"garrison in the record", 8, 8, 1, 10, 1, 0, 0, -1, false, false},
        {"garrison from the caller", 9, 9, 1, 10, 0, 0, 0, 2, false, false},
        {"ambush", 10, 10, 1, 10, 0, 1, 0, -1, false, false},
        {"out of play", 11, 11, 1, 10, 0, 0, 1, -1, false, false},
    };
    for (const Case& c : cases) {
        Troop t(-1, c.state, int16_t(c.x), int16_t(c.y), 1, 0, 0, nullptr);
        t.owner = 1;
        t.state = c.state;
        t.baseType = t.currentType = c.type;
        t.garrison = c.garrison;
        t.outOfPlay = c.outOfPlay;
        t.officer = battle.Officer(1, c.type);
        t.officer->Set(L::kAmbush, c.ambush);
        const std::vector<uint8_t> bytes = Entry(t);
        StageReader in(bytes, StageLoadMode::Restore);
        UnitPlacement placement;
        placement.garrison = c.callerGarrison;
        Troop* back = Keep(ReadUnit(in, {}, 1, placement));
        ASSERT_TRUE(back) << c.name;
        EXPECT_EQ(battle.OnCell(back, c.x, c.y), c.onCell) << c.name;
        EXPECT_EQ(TheBattleMap->dyingTroops->Contains(uintptr_t(back)) != 0, c.dying) << c.name;
        if (c.callerGarrison >= 0) EXPECT_EQ(back->garrison, c.callerGarrison) << c.name;
    }
}

// A fresh stage: player troops take order state 0 and the kingdom's table entries (or their own
// values), computer troops order state 14 and their kingdom's values; no target city.
TEST_F(StageUnitsTest, FreshStageOrdersAndAlertValues) {
    trooptest::Battle::SetKingdomValue(player, kKingdomAlert, 2);
    trooptest::Battle::SetKingdomValue(player, kKingdomPursue, 5);
    trooptest::Battle::SetKingdomValue(player, kKingdomRetreat, 7);
    trooptest::Battle::SetKingdomValue(ai, kKingdomAlert, 4);
    trooptest::Battle::SetKingdomValue(ai, kKingdomPursue, 9);
    trooptest::Battle::SetKingdomValue(ai, kKingdomRetreat, 11);
    struct Case {
        const char* name;
        Kingdom* kingdom;
        int32_t referSelf;
        int8_t orderState;
        int16_t alertIndex;
        int8_t alert;
        uint8_t pursue;
        int32_t retreat;
    };
    const Case cases[] = {
        {"player, kingdom rules", player, 0, 0, 2, 6, 1, 7},
        {"player, own rules", player, 1, 0, 13, 99, 17, 7},
        {"computer, kingdom rules", ai, 0, 14, 0, 4, 9, 11},
        {"computer, own rules", ai, 1, 14, 0, 13, 17, 55},
    };
    for (const Case& c : cases) {
        Troop* t = Unit(c.kingdom, 12, 12);
        t->officer->Set(kReferSelf, c.referSelf);
        t->officer->Set(kOfficerAlert, 13);
        t->officer->Set(kOfficerPursue, 17);
        t->officer->Set(L::kRetreat, 55);
        t->order->alert = 99;
        t->order->targetCityId = 42;
        t->statusBits = 0x40;
        t->alertIndex = 0;
        const std::vector<uint8_t> bytes = Entry(*t);
        StageReader in(bytes, StageLoadMode::Fresh);
        Troop* back = Keep(ReadUnit(in, {}, c.kingdom->nationIndex));
        ASSERT_TRUE(back) << c.name;
        EXPECT_EQ(back->order->orderState, c.orderState) << c.name;
        EXPECT_EQ(back->order->targetCityId, 0) << c.name;
        EXPECT_EQ(back->alertIndex, c.alertIndex) << c.name;
        EXPECT_EQ(back->order->alert, c.alert) << c.name;
        EXPECT_EQ(back->order->pursue, c.pursue) << c.name;
        EXPECT_EQ(back->officer->Get(L::kRetreat), c.retreat) << c.name;
        EXPECT_EQ(back->statusBits, 0u) << c.name;
        EXPECT_EQ(back->worldX, TileToWorldX(12)) << c.name;
        EXPECT_EQ(back->sightRadius, 5) << c.name;
        EXPECT_NE(back->officer->serial, t->officer->serial) << c.name;
    }
}

// A fresh stage takes the soldier type from the general template (afloat troops take its sea
// type) and the flags from the officer kind.
// On a fresh stage the stats grow again from the template, and the equipment's bonuses go back on.
TEST_F(StageUnitsTest, AFreshStageGivesTroopsTheirEquipmentBonuses) {
    constexpr uint32_t kItemAttack = 112; // "攻擊力" of the item block
    std::array<uint8_t, 192> sword{};
    const int32_t bonus = 5;
    std::memcpy(sword.data() + kItemAttack, &bonus, 4);
    ItemTable[1] = sword.data();
    ItemCount = std::max(ItemCount, 2);
    int32_t attack[2] = {};
    for (int weapon : {0, 1}) {
        Troop* t = Unit(player, 12, 12 + weapon);
        t->officer->Set(L::kWeapon, weapon);
        const std::vector<uint8_t> bytes = Entry(*t);
        StageReader in(bytes, StageLoadMode::Fresh);
        Troop* back = Keep(ReadUnit(in, {}, player->nationIndex));
        ASSERT_TRUE(back) << weapon;
        EXPECT_EQ(back->officer->Get(L::kWeapon), weapon);
        attack[weapon] = back->OfficerValue(L::kAttack);
    }
    EXPECT_EQ(attack[1] - attack[0], bonus);
    ItemTable[1] = nullptr;
    ItemCount = 0;
}

TEST_F(StageUnitsTest, FreshStageSoldierTypesAndFlags) {
    battle.Type(2, {{SoldierColumn::kSeaCounterpart, 79}});
    std::array<uint8_t, L::kSize> tmpl{};
    const int32_t two = 2, person = 5, kind = 1;
    std::memcpy(tmpl.data() + L::kSoldierType, &two, 4);
    std::memcpy(tmpl.data() + L::kPersonNumber, &person, 4);
    std::memcpy(tmpl.data() + L::kAttribute, &kind, 4);
    GeneralTemplateTable[5] = tmpl.data();
    GeneralTemplateCount = 6;
    struct TypeCase {
        int32_t base, current;
        int32_t wantBase, wantCurrent;
        uint8_t afloat;
    };
    for (const TypeCase& c : {TypeCase{1, 1, 2, 2, 0}, TypeCase{1, 79, 2, 79, 1}}) {
        Troop* t = Unit(player, 13, 13);
        t->officer->Set(L::kPersonNumber, 5);
        t->baseType = c.base;
        t->currentType = c.current;
        t->overrideType = 7;
        const std::vector<uint8_t> bytes = Entry(*t);
        StageReader in(bytes, StageLoadMode::Fresh);
        Troop* back = Keep(ReadUnit(in, {}, 1));
        ASSERT_TRUE(back);
        EXPECT_EQ(back->baseType, c.wantBase) << c.current;
        EXPECT_EQ(back->currentType, c.wantCurrent) << c.current;
        EXPECT_EQ(back->afloat, c.afloat) << c.current;
        EXPECT_EQ(back->overrideType, 0) << c.current;
        EXPECT_EQ(back->officer->Get(L::kSoldierType), 2) << c.current;
    }
    struct FlagCase {
        int32_t kind, person;
        uint32_t flags;
        uint8_t pieceMode;
    };
    const FlagCase flagCases[] = {{5, 40, 6, 9},   {5, 441, 0x20006, 9}, {8, 455, 12, 0},   {8, 40, 12, 3},
                                  {9, 40, 10, 9},  {10, 40, 6, 9},       {13, 40, 12, 9},   {14, 40, 8, 9},
                                  {17, 40, 10, 9}, {18, 40, 12, 9},      {1, 40, 0x1234, 9}};
    for (const FlagCase& c : flagCases) {
        Troop* t = Unit(ai, 14, 14, c.kind);
        t->officer->Set(L::kPersonNumber, c.person);
        t->flags = 0x1234;
        t->pieceMode = 9;
        const std::vector<uint8_t> bytes = Entry(*t);
        StageReader in(bytes, StageLoadMode::Fresh);
        Troop* back = Keep(ReadUnit(in, {}, 2));
        ASSERT_TRUE(back);
        EXPECT_EQ(back->flags, c.flags) << "kind " << c.kind << " person " << c.person;
        if (c.kind == 8) EXPECT_EQ(back->pieceMode, c.pieceMode) << "person " << c.person;
    }
}

// Damaged groups: a file cut anywhere, a count the file cannot hold, node counts past the end.
// Each is an error that leaves nothing of the group in a list or on a cell.
TEST_F(StageUnitsTest, DamagedGroupsLeaveNothingBehind) {
    Troop* leader = Unit(player, 16, 16, 1);
    for (int i = 0; i < 3; ++i)
        leader->followers->Add(uintptr_t(Unit(player, 17 + i, 16, 3)));
    leader->pairedTroop = Unit(player, 21, 16, 3);
    const std::vector<uint8_t> whole = Group(*leader);
    const size_t entry = Entry(*leader).size();
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
    for (size_t cut : {size_t(1), size_t(200), size_t(U::kSize + 10), entry - 3, entry + 2, entry + 4 + 100,
                       entry + 4 + entry + 500, whole.size() - 1})
        files.push_back({"cut at " + std::to_string(cut),
                         std::vector<uint8_t>(whole.begin(), whole.begin() + long(cut))});
    for (uint32_t count : {0x7FFFFFFFu, 10000u + 0x7FFF0000u, 10004u, 5u}) {
        StageBytes patched(whole);
        patched.put(entry, count, 4);
        files.push_back({"count " + std::to_string(count), patched.data()});
    }
    StageBytes nodes(whole);
    nodes.put(U::kPathCount, 0x10000000, 4);
    files.push_back({"path nodes", nodes.data()});
    StageBytes stateLength(whole);
    stateLength.put(U::kSize + U::kOrderSize, 0xFFFFFF00u, 4);
    files.push_back({"officer state length", stateLength.data()});

    const int before = player->fieldUnits.GetCount();
    const int dying = TheBattleMap->dyingTroops->GetCount();
    for (const auto& [name, bytes] : files) {
        for (StageLoadMode mode : {StageLoadMode::Restore, StageLoadMode::Fresh}) {
            StageReader in(bytes, mode);
            EXPECT_EQ(ReadUnitGroup(in, {}, 1), nullptr) << name;
            EXPECT_FALSE(in.ok()) << name;
            EXPECT_EQ(player->fieldUnits.GetCount(), before) << name;
            EXPECT_EQ(TheBattleMap->dyingTroops->GetCount(), dying) << name;
            for (int x : {16, 17, 18, 19, 21})
                EXPECT_EQ(Occupants(x, 16), 1) << name << " cell " << x;
        }
    }
}

// Record sizes from the file header: a longer record keeps what fits and skips the rest, a
// shorter one (an older file) leaves the missing fields zero.
TEST_F(StageUnitsTest, RecordSizesOtherThanTheCurrentOnes) {
    Troop* t = Unit(player, 18, 18);
    const std::vector<uint8_t> bytes = Entry(*t);
    std::vector<uint8_t> longer = bytes;
    longer.insert(longer.begin() + U::kSize + U::kOrderSize, 4, 0xAB);
    longer.insert(longer.begin() + U::kSize, 8, 0xCD);
    StageReader in(longer, StageLoadMode::Restore);
    Troop* back = Keep(ReadUnit(in, {U::kSize + 8, U::kOrderSize + 4}, 1));
    ASSERT_TRUE(back);
    EXPECT_EQ(in.remaining(), 0u);
    EXPECT_EQ(Entry(*back), bytes);

    std::vector<uint8_t> shorter(bytes.begin(), bytes.begin() + 300);
    shorter.insert(shorter.end(), bytes.begin() + U::kSize, bytes.begin() + U::kSize + 40);
    shorter.insert(shorter.end(), bytes.begin() + U::kSize + U::kOrderSize, bytes.end());
    StageReader old(shorter, StageLoadMode::Restore);
    Troop* oldUnit = Keep(ReadUnit(old, {300, 40}, 1));
    ASSERT_TRUE(oldUnit);
    EXPECT_EQ(old.remaining(), 0u);
    EXPECT_EQ(oldUnit->homeCity, 0);
    EXPECT_EQ(oldUnit->afloat, 0);
    EXPECT_EQ(oldUnit->cellX, 18);
}

// Indexes from a damaged file are checked: a soldier type far outside the table and a kingdom
// alert setting outside the four-entry tables.
TEST_F(StageUnitsTest, OutOfRangeIndexesFromTheFileAreHarmless) {
    trooptest::Battle::SetKingdomValue(player, kKingdomAlert, 99);
    Troop* t = Unit(player, 19, 19);
    const int32_t saneBase = t->baseType;
    std::vector<uint8_t> bytes = Entry(*t);
    StageBytes patched(bytes);
    patched.put(U::kBaseType, 0x7FFFFFF0, 4).put(260, 0x7FFFFFF0, 4).put(364, 0x80000000u, 4);
    patched.put(U::kSize + U::kOrderSize + 4 + 56 + 4 + L::kPersonNumber, 0x7FFFFFFF, 4);
    for (StageLoadMode mode : {StageLoadMode::Restore, StageLoadMode::Fresh}) {
        StageReader in(patched, mode);
        Troop* back = Keep(ReadUnit(in, {}, 1));
        ASSERT_TRUE(back);
        if (mode == StageLoadMode::Fresh) EXPECT_EQ(back->order->alert, 6) << "the last table entry";
    }
    EXPECT_EQ(saneBase, 1);
}

} // namespace
