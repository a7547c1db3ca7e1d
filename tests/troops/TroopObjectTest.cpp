#include "TroopFixture.h"

#include "engine/ByteReader.h"
#include "engine/LinkList.h"
#include "world/Coordinates.h"

#include <gtest/gtest.h>

using trooptest::Battle;

namespace {
constexpr uint32_t kKingdomAlert = 56, kKingdomPursue = 60, kKingdomRetreat = 64, kKingdomPolicy = 68;
constexpr uint32_t kReferSelf = 136, kOfficerAlert = 140, kOfficerPursue = 144;
} // namespace

TEST(TroopObject, OfficerKindAndTemplateSetTheStartFlags) {
    struct Case {
        int kind, templateNumber;
        uint32_t flags;
        uint8_t pieceMode;
    };
    const Case cases[] = {
        {1, 0, 0x00, 0},  {5, 0, 0x06, 0},   {5, 441, 0x20006, 0}, {8, 455, 0x0C, 0}, {8, 3, 0x0C, 3},
        {9, 0, 0x0A, 0},  {17, 0, 0x0A, 0},  {10, 0, 0x06, 0},     {13, 0, 0x0C, 0},  {14, 0, 0x08, 0},
        {18, 0, 0x0C, 0}, {1, 470, 0x02, 0}, {14, 470, 0x0A, 0},
    };
    Battle b;
    for (const Case& c : cases) {
        Troop t(0, 10, 5, 5, 0, 0, 0, b.Officer(1, 1, c.kind, c.templateNumber));
        EXPECT_EQ(t.flags, c.flags) << c.kind << "/" << c.templateNumber;
        EXPECT_EQ(t.pieceMode, c.pieceMode) << c.kind << "/" << c.templateNumber;
        EXPECT_EQ(t.followers != nullptr, c.kind == 1) << c.kind;
        EXPECT_EQ(t.skill, -1);
        EXPECT_EQ(t.facing, 8);
        EXPECT_EQ(t.hotKeyGroup, -1);
        EXPECT_EQ(t.waypointWait, 0xFFFF);
        EXPECT_EQ(t.controlWord, 2);
    }
}

TEST(TroopObject, ConstructionPlacesTypesOrdersAndCells) {
    Battle b;
    b.Type(1, {{SoldierColumn::kFootprint, 30},
               {SoldierColumn::kRangeStart, 2},
               {SoldierColumn::kRangeEnd, 6},
               {SoldierColumn::kMissile, 4},
               {SoldierColumn::kSpeed, 3}});
    Kingdom* k = b.AddKingdom(2);

    // A full troop: cell, previous cell, world and pixel positions, footprint, type values.
    Troop t(0, 10, 7, 9, 2, 4, 0, b.Officer(2, 1));
    EXPECT_EQ(t.worldX, TileToWorldX(7));
    EXPECT_EQ(t.worldY, TileToWorldY(9));
    EXPECT_EQ(t.pixelX, 7 * 40 - 100);
    EXPECT_EQ(t.pixelY, 9 * 20 - 170);
    EXPECT_EQ(t.previousX, 7);
    EXPECT_EQ(t.previousY, 9);
    EXPECT_EQ(t.footprint[0], 15);
    EXPECT_EQ(t.footprint[2], 30);
    EXPECT_EQ(t.rangeStart, 2);
    EXPECT_EQ(t.rangeEnd, 6);
    EXPECT_EQ(t.missileKind, 4);
    EXPECT_EQ(t.speed, 3);
    EXPECT_EQ(t.homeCity, 4);
    EXPECT_EQ(t.order->orderState, 0);
    EXPECT_TRUE(b.OnCell(&t, 7, 9));

    struct Case {
        uint8_t state;
        int x, y;
        int type;
        int8_t orderState;
        bool registered;
        int currentType;
    };
    const Case cases[] = {
        {3, 5, 5, 1, 12, true, 1},   // state 3 starts roaming
        {10, 0, 5, 1, 0, false, 1},  // column 0: not put on a cell
        {10, 5, 0, 1, 0, false, 1},  // row 0 likewise
        {10, 6, 6, 77, 0, true, 1},  // no record for type 77: type 1 for the values
        {10, 6, 6, 999, 0, true, 1}, // a number beyond the table likewise
    };
    for (const Case& c : cases) {
        Troop u(0, c.state, int16_t(c.x), int16_t(c.y), 2, 0, 0, b.Officer(2, c.type));
        EXPECT_EQ(u.order->orderState, c.orderState) << int(c.state);
        EXPECT_EQ(b.OnCell(&u, c.x, c.y), c.registered) << c.x << "," << c.y;
        EXPECT_EQ(u.currentType, c.currentType) << c.type;
        EXPECT_EQ(u.baseType, c.type);
        EXPECT_EQ(u.rangeEnd, 6) << c.type;
    }

    // Without an officer: types 0 then 1; the reduced form is only an order holder.
    Troop none(0, 10, 5, 5, 0, 0, 0, nullptr);
    EXPECT_EQ(none.baseType, 0);
    EXPECT_EQ(none.currentType, 1);
    EXPECT_EQ(none.officerData, nullptr);
    Troop reduced(-1, 10, 5, 6, 2, 0, 0, nullptr);
    ASSERT_NE(reduced.order, nullptr);
    EXPECT_FALSE(b.OnCell(&reduced, 5, 6));
    EXPECT_EQ(reduced.cellY, 6);
    EXPECT_EQ(reduced.footprint[2], 40);
    (void)k;
}

TEST(TroopObject, KingdomSettingsGiveAlertPursueAndRetreat) {
    Battle b;
    Kingdom* player = b.AddKingdom(1, true);
    Kingdom* other = b.AddKingdom(2);
    for (Kingdom* k : {player, other}) {
        Battle::SetKingdomValue(k, kKingdomAlert, 2);
        Battle::SetKingdomValue(k, kKingdomPursue, 20);
        Battle::SetKingdomValue(k, kKingdomRetreat, 1);
    }
    struct Case {
        Kingdom* k;
        int referSelf, officerAlert, officerPursue;
        int alert, pursue;
    };
    const Case cases[] = {
        {other, 0, 4, 9, 2, 20},  // another kingdom: its own values
        {player, 1, 4, 9, 2, 20}, // the player's officer that follows the kingdom
        {player, 0, 4, 9, 6, 15}, // the player's tables: alert entry 2, pursue entry 1
        {player, 0, 0, 0, 2, 20}, // an officer without values takes the kingdom's
    };
    for (const Case& c : cases) {
        OfficerRecord* o = b.Officer(c.k->nationIndex, 1);
        o->Set(kReferSelf, c.referSelf);
        o->Set(kOfficerAlert, c.officerAlert);
        o->Set(kOfficerPursue, c.officerPursue);
        Troop t(0, 10, 5, 5, int8_t(c.k->nationIndex), 0, 0, o);
        EXPECT_EQ(t.order->alert, c.alert) << c.k->nationIndex << " " << c.referSelf << " " << c.officerAlert;
        EXPECT_EQ(t.order->pursue, c.pursue)
            << c.k->nationIndex << " " << c.referSelf << " " << c.officerAlert;
        EXPECT_EQ(o->Get(OfficerLayout::kRetreat), 1);
    }
    EXPECT_EQ(*reinterpret_cast<int32_t*>(player->block + kKingdomPolicy), 1);

    // A kingdom alert value from a file beyond the four-entry table takes its last entry.
    Battle::SetKingdomValue(player, kKingdomAlert, 250);
    OfficerRecord* o = b.Officer(1, 1);
    o->Set(kOfficerAlert, 3);
    Troop t(0, 10, 5, 5, 1, 0, 0, o);
    EXPECT_EQ(t.order->alert, GameParams().ConstAlarmRegion[3]);

    // No kingdom: nothing of it is read.
    OfficerRecord* lone = b.Officer(9, 1);
    lone->Set(OfficerLayout::kRetreat, 7);
    Troop u(0, 10, 5, 5, 9, 0, 0, lone);
    EXPECT_EQ(u.order->alert, 0);
    EXPECT_EQ(lone->Get(OfficerLayout::kRetreat), 7);
}

TEST(TroopObject, PlacementGarrisonTypesAndDestruction) {
    Battle b;
    Kingdom* k = b.AddKingdom(1);
    b.Type(2, {{SoldierColumn::kRangeEnd, 9}});
    auto* t = new Troop(0, 10, 0, 0, 1, 0, 0, b.Officer(1, 1));
    EXPECT_FALSE(b.OnCell(t, 0, 0));
    t->PlaceAt(4, 6);
    EXPECT_TRUE(b.OnCell(t, 4, 6));
    EXPECT_EQ(t->worldX, TileToWorldX(4));
    EXPECT_TRUE(k->fieldUnits.Find(uintptr_t(t)));

    t->SetCell(8, 9, 3);
    EXPECT_FALSE(b.OnCell(t, 4, 6));
    EXPECT_TRUE(b.OnCell(t, 8, 9));
    EXPECT_EQ(t->flags & 0x06, 0x06u);
    t->SetCell(8, 10, 0);
    EXPECT_EQ(t->flags & 0x06, 0u);
    t->flags |= 0x40;
    t->SetCell(8, 11, 5);
    t->SetCell(8, 11, 0);
    EXPECT_EQ(t->flags & 0x06, 0x06u); // a captured troop stays shielded

    t->SetUnitType(2);
    EXPECT_EQ(t->currentType, 2);
    EXPECT_EQ(t->rangeEnd, 9);
    t->SetUnitType(-1);
    EXPECT_EQ(t->currentType, 1);
    EXPECT_EQ(t->overrideType, 0);
    t->afloat = 1;
    t->currentType = 79;
    t->SetUnitType(2);
    EXPECT_EQ(t->currentType, 79);
    EXPECT_EQ(t->overrideType, 2);

    t->SetMoveDirection(3);
    t->SetMoveDirection(0);
    EXPECT_EQ(t->moveDirection, 0);
    EXPECT_EQ(t->facing, 3);

    // Deleting the leader leaves its followers and its cell.
    Troop* follower = b.AddTroop(k, 9, 9);
    t->followers->Add(uintptr_t(follower));
    k->fieldUnits.RemoveValue(uintptr_t(t));
    delete t;
    EXPECT_FALSE(b.OnCell(t, 8, 11));
    EXPECT_TRUE(b.OnCell(follower, 9, 9));
    EXPECT_EQ(follower->state, 10);
}

TEST(TroopOrderRecord, FortyEightBytesRoundTrip) {
    TroopOrder o;
    o.alert = -3;
    o.pursue = 0xC5;
    o.stormThenRoam = 1;
    o.secondX = 0x12345;
    o.secondY = -2;
    o.postX = 11;
    o.postY = -12;
    o.orderState = 20;
    o.gatherX = 300;
    o.gatherY = 301;
    o.targetCityId = -1;
    o.wanderDirection = 6;
    ByteWriter out;
    o.Write(out);
    const std::vector<uint8_t>& bytes = out.buffer();
    ASSERT_EQ(bytes.size(), TroopOrder::kSize);
    EXPECT_EQ(bytes[0], 0xFD);
    EXPECT_EQ(bytes[1], 0xC5);
    EXPECT_EQ(bytes[4], 1);
    EXPECT_EQ(bytes[8], 0x45);
    EXPECT_EQ(bytes[10], 0x01);
    EXPECT_EQ(bytes[12], 0xFE);
    EXPECT_EQ(bytes[16], 11);
    EXPECT_EQ(bytes[20], 20);
    EXPECT_EQ(bytes[22], 300 & 0xFF);
    EXPECT_EQ(bytes[28], 0xFF);
    EXPECT_EQ(bytes[32], 6);

    TroopOrder back;
    ASSERT_TRUE(back.Read(bytes));
    ByteWriter again;
    back.Write(again);
    EXPECT_EQ(again.buffer(), bytes);
    EXPECT_EQ(back.postY, -12);
    EXPECT_EQ(back.targetCityId, -1);

    TroopOrder untouched;
    untouched.orderState = 4;
    EXPECT_FALSE(untouched.Read(std::span(bytes).first(47)));
    EXPECT_EQ(untouched.orderState, 4);
}
