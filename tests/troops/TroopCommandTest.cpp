#include "TroopFixture.h"

#include "fuzz/seeds/builders/TroopCommandSamples.h"
#include "net/TroopCommandCodec.h"
#include "net/TroopFateCommands.h"
#include "net/TroopValueCommand.h"
#include "platform/CRand.h"
#include "world/Coordinates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

using trooptest::Battle;

namespace {
struct Sent {
    uint8_t code;
    std::vector<uint8_t> payload;
};
std::vector<Sent>* outbox = nullptr;
void Record(uint8_t code, const uint8_t* payload, size_t length) {
    outbox->push_back({code, std::vector<uint8_t>(payload, payload + length)});
}

// Hex text to bytes, spaces ignored.
std::vector<uint8_t> Hex(const char* text) {
    std::vector<uint8_t> out;
    for (const char* p = text; *p;) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        out.push_back(uint8_t(std::strtoul(std::string(p, 2).c_str(), nullptr, 16)));
        p += 2;
    }
    return out;
}

using troopfix::kWire;
using troopfix::Wire;

// A compact picture of a troop's order fields, to compare stations.
std::vector<int> Snapshot(const Troop& t) {
    return {t.state,
            t.actionCode,
            t.goalX,
            t.goalY,
            t.skill,
            t.targetTroop ? int(t.targetTroop->UnitId()) : 0,
            t.attackSubKind,
            t.worldX,
            t.worldY,
            t.cellX,
            t.cellY,
            t.order->orderState,
            t.order->wanderDirection,
            t.order->secondX,
            t.order->secondY};
}

bool ReceiveStateCommand(uint8_t code, std::span<const uint8_t> payload) {
    switch (code) {
    case kKillCommand:
        return ReceiveKillCommand(payload);
    case kCaptureCommand:
        return ReceiveCaptureCommand(payload);
    case kUnitCountersCommand:
        return ReceiveUnitCountersCommand(payload);
    case kTroopValueCommand:
        return ReceiveTroopValueCommand(payload);
    default:
        return false;
    }
}

// Two kingdoms at war with two troops each and a city: the same on every station.
struct Station {
    Battle b;
    Kingdom* a = b.AddKingdom(1, true);
    Kingdom* e = b.AddKingdom(2);
    City* city = nullptr;
    std::vector<Troop*> troops;
    explicit Station(int role) { // 0 single, 1 host, 2 client
        Battle::War(a, e);
        city = b.AddCity(e, 25, 25);
        troops = {b.AddTroop(a, 5, 5), b.AddTroop(a, 6, 5), b.AddTroop(e, 20, 20), b.AddTroop(e, 21, 20)};
        TheGameController->networked = role != 0;
        TheGameController->isHost = role == 1;
    }
};
} // namespace

TEST(TroopCommandWire, EveryCodePacksAndUnpacksByteExact) {
    for (const Wire& w : kWire) {
        const std::vector<uint8_t> expected = Hex(w.bytes);
        const std::vector<uint8_t> packed = PackTroopCommand(w.command);
        EXPECT_EQ(packed, expected) << int(w.command.code);
        EXPECT_EQ(packed.size(), TroopCommandSize(w.command.code));
        auto back = UnpackTroopCommand(w.command.code, packed);
        ASSERT_TRUE(back) << int(w.command.code);
        EXPECT_EQ(PackTroopCommand(*back), expected);
        EXPECT_EQ(back->troop, w.command.troop);
        // One byte short or long is no command.
        EXPECT_FALSE(UnpackTroopCommand(w.command.code, std::span(packed).first(packed.size() - 1)));
        std::vector<uint8_t> longer = packed;
        longer.push_back(0);
        EXPECT_FALSE(UnpackTroopCommand(w.command.code, longer));
    }
    for (uint8_t code : {0, 15, 48, 255})
        EXPECT_FALSE(UnpackTroopCommand(code, std::vector<uint8_t>(12)));
}

TEST(TroopCommandEntries, SinglePlayAppliesAtOnceAndSendsNothing) {
    Station s(0);
    std::vector<Sent> sent;
    outbox = &sent;
    SetGameCommandSender(Record);
    Troop* t = s.troops[0];
    Troop* enemy = s.troops[2];

    NetCmd02(t, 12, 14);
    EXPECT_EQ(std::vector<int>({t->state, t->actionCode, t->goalX, t->goalY}),
              std::vector<int>({0, 0, 12, 14}));
    NetCmdHalt(t);
    EXPECT_EQ(t->state, 10);
    EXPECT_EQ(t->goalX, 5);
    EXPECT_TRUE(NetCmdTargetTroop(t, enemy));
    EXPECT_EQ(t->state, 1);
    EXPECT_EQ(t->targetTroop, enemy);
    NetCmdMoveTo(t, 8, 9, -1, -1);
    EXPECT_EQ(t->actionCode, 4);
    EXPECT_EQ(t->order->secondX, 5); // no second point: the own cell
    NetCmdMoveTo(t, 8, 9, 10, 11);
    EXPECT_EQ(t->order->secondY, 11);
    NetCmd08(t, 3, 4);
    EXPECT_EQ(t->actionCode, 5);
    EXPECT_TRUE(NetCmd09(t, s.city, -1));
    EXPECT_EQ(t->actionCode, 2);
    EXPECT_EQ(t->targetCity, s.city);
    NetCmd05(t, enemy, 6, 6, 3);
    EXPECT_EQ(t->state, 11);
    EXPECT_EQ(t->attackSubKind, 5);
    NetCmd10(t, s.city, 7, 7, 8);
    EXPECT_EQ(t->actionCode, 12);
    EXPECT_EQ(t->attackSubKind, 8);
    EXPECT_TRUE(NetCmdEngage(t, nullptr, 9, 9, 103));
    EXPECT_EQ(t->actionCode, 7);
    EXPECT_EQ(t->targetTroop, nullptr); // has-target 0: no target troop
    EXPECT_EQ(t->skill, 103);
    NetCmd12(t, enemy, 9, 9, 2, 0);
    EXPECT_EQ(t->actionCode, 16);
    NetCmdFollowTarget(t, s.city, 0);
    EXPECT_EQ(t->actionCode, 6);
    EXPECT_EQ(t->targetWord, uint32_t(s.city->id));
    EXPECT_TRUE(sent.empty());

    // Refusals: a dead troop takes no order; an immobile one does not move; a flagged one takes no
    // target.
    Troop* u = s.troops[1];
    u->flags |= 0x08;
    NetCmd02(u, 30, 30);
    EXPECT_EQ(u->state, 10);
    u->flags = 0x02;
    EXPECT_FALSE(NetCmdTargetTroop(u, enemy));
    u->flags = 0;
    u->state = 13;
    NetCmdHalt(u);
    NetCmd02(u, 30, 30);
    EXPECT_EQ(u->state, 13);
    EXPECT_EQ(u->goalX, 0);
    outbox = nullptr;
}

TEST(TroopCommandEntries, ClientOnlySendsHostAppliesAndRelaysTheSame) {
    std::vector<Sent> clientSent, hostSent;
    std::vector<std::vector<int>> clientBefore;
    {
        // The client asks; its own troops do not change until the host's copy comes back.
        Station client(2);
        outbox = &clientSent;
        SetGameCommandSender(Record);
        Troop* t = client.troops[0];
        for (Troop* x : client.troops)
            clientBefore.push_back(Snapshot(*x));
        NetCmdHalt(t);
        NetCmd02(t, 12, 14);
        EXPECT_TRUE(NetCmdTargetTroop(t, client.troops[2]));
        NetCmdMoveTo(t, 8, 9, 10, 11);
        NetCmd09(t, client.city, -1);
        // Host-only orders are not given by a client at all.
        RandomRoam(t, 1, 5);
        RandomWanderA(t, 0);
        RandomWanderB(t, 0);
        NetCmd05(t, client.troops[2], 1, 1, 1);
        NetCmd10(t, client.city, 1, 1, 1);
        NetCmd12(t, nullptr, 1, 1, 1, 1);
        for (size_t i = 0; i < client.troops.size(); ++i)
            EXPECT_EQ(Snapshot(*client.troops[i]), clientBefore[i]) << i;
        ASSERT_EQ(clientSent.size(), 5u);
        EXPECT_EQ(clientSent[1].payload, Hex("01000000 0c00 0e00"));
        for (const Sent& m : clientSent)
            EXPECT_TRUE(ClientMaySendTroopCommand(m.code)) << int(m.code);
        for (uint8_t code : {3, 5, 10, 12, 13, 14})
            EXPECT_FALSE(ClientMaySendTroopCommand(code));
    }
    std::vector<std::vector<int>> hostAfter;
    {
        // The host applies what arrives, passes each on, and adds orders of its own.
        Station host(1);
        outbox = &hostSent;
        SetGameCommandSender(Record);
        for (const Sent& m : clientSent) {
            EXPECT_EQ(ReceiveTroopCommand(m.code, m.payload), TroopCommandOutcome::Relay) << int(m.code);
            hostSent.push_back(m); // what the relay passes on
        }
        Troop* t = host.troops[1];
        NetCmd05(t, host.troops[3], 4, 4, 2);
        std::srand(1);
        platform::srand(7);
        for (int i = 0; i < 60; ++i)
            RandomRoam(t, 2, 6);
        RandomWanderB(host.troops[2], 0);
        RandomWanderA(host.troops[3], 0);
        NetCmd10(host.troops[3], host.city, 20, 20, 0);
        for (Troop* x : host.troops)
            hostAfter.push_back(Snapshot(*x));
        std::vector<uint8_t> codes;
        for (const Sent& m : hostSent)
            codes.push_back(m.code);
        for (uint8_t code : {3, 5, 10, 13, 14})
            EXPECT_NE(std::find(codes.begin(), codes.end(), code), codes.end()) << int(code);
    }
    for (size_t i = 0; i < hostAfter.size(); ++i)
        EXPECT_NE(hostAfter[i], clientBefore[i]) << "troop " << i << " took orders";
    {
        // A client that receives the host's stream ends exactly like the host.
        Station client(2);
        std::vector<Sent> none;
        outbox = &none;
        SetGameCommandSender(Record);
        for (const Sent& m : hostSent) {
            // The blows of the host's attack order travel as strength, tally and capture commands.
            if (m.code > kLastTroopCommand) {
                EXPECT_TRUE(ReceiveStateCommand(m.code, m.payload)) << int(m.code);
                continue;
            }
            const TroopCommandOutcome o = ReceiveTroopCommand(m.code, m.payload);
            EXPECT_EQ(o, m.code >= 13 ? TroopCommandOutcome::Applied : TroopCommandOutcome::Relay)
                << int(m.code);
        }
        for (size_t i = 0; i < client.troops.size(); ++i)
            EXPECT_EQ(Snapshot(*client.troops[i]), hostAfter[i]) << "troop " << i;
        EXPECT_TRUE(none.empty());
    }
    outbox = nullptr;
}

TEST(TroopCommandReceive, BadIdsCellsKeysAndKindsAreDropped) {
    Station s(1);
    std::vector<Sent> sent;
    outbox = &sent;
    SetGameCommandSender(Record);
    Troop* t = s.troops[0];
    const auto before = Snapshot(*t);
    struct Case {
        const char* name;
        TroopCommand c;
    };
    const Case cases[] = {
        {"unknown troop", {2, 999, 0, 0, 0, 0, 3, 3}},
        {"cell beyond the map", {2, 1, 0, 0, 0, 0, 40, 3}},
        {"row beyond the map", {8, 1, 0, 0, 0, 0, 3, 40}},
        {"unknown target", {4, 1, 999}},
        {"attack kind 9", {5, 1, 3, 0, 0, 0, 3, 3, 0, 0, 9}},
        {"city key 0xFFFF, no city", {9, 1, 0xFFFF}},
        {"city key past the table", {9, 1, 2}},
        {"city key with a sub-castle mark", {9, 1, 0x10000}},
        {"follow an unknown sub-castle", {6, 1, 0x10000, 4}},
        {"second point off the map", {7, 1, 0, 0, 0, 0, 3, 3, 100, 3}},
        {"engage an unknown target", {11, 1, 999, 0, 0, 0, 3, 3, 0, 0, 0, 0, 1}},
        {"direction 8", {13, 1, 0, 0, 0, 0, 3, 3, 0, 0, 0, 0, 0, 8}},
        {"world position far off the map", {1, 1, 0, 0, 100, -2147483642}},
        {"world position past the last column", {10, 1, 0, 0, 40 * 40000, 0, 3, 3}},
    };
    for (const Case& k : cases) {
        TroopCommand c = k.c;
        EXPECT_EQ(ReceiveTroopCommand(c.code, PackTroopCommand(c)), TroopCommandOutcome::Drop) << k.name;
        EXPECT_EQ(Snapshot(*t), before) << k.name;
    }
    // A refused apply is still passed on: every station refuses it alike.
    t->state = 13;
    TroopCommand move{2, 1, 0, 0, 0, 0, 3, 3};
    EXPECT_EQ(ReceiveTroopCommand(2, PackTroopCommand(move)), TroopCommandOutcome::Relay);
    EXPECT_EQ(t->goalX, 0);
    // The world position of a halt is taken over on the field only.
    t->state = 10;
    TroopCommand halt{1, 2, 0, 0, TileToWorldX(9), TileToWorldY(7)};
    Troop* u = s.troops[1];
    EXPECT_EQ(ReceiveTroopCommand(1, PackTroopCommand(halt)), TroopCommandOutcome::Relay);
    EXPECT_EQ(u->cellX, 9);
    EXPECT_EQ(u->cellY, 7);
    u->garrison = 1;
    halt.worldX = TileToWorldX(3);
    ReceiveTroopCommand(1, PackTroopCommand(halt));
    EXPECT_EQ(u->cellX, 9);
    EXPECT_TRUE(sent.empty());
    outbox = nullptr;
}

TEST(TroopCommandEntries, WanderNearACornerStopsTryingAndStays) {
    Station s(0);
    Troop* t = s.troops[0];
    t->order->gatherX = 0;
    t->order->gatherY = 0;
    // Wander B only goes diagonally: from (0, 0) only south-east lands on the map.
    for (int i = 0; i < 20; ++i) {
        RandomWanderB(t, 0);
        EXPECT_EQ(t->order->wanderDirection, 7);
        EXPECT_EQ(t->goalX, 11);
        EXPECT_EQ(t->goalY, 11);
        EXPECT_EQ(t->order->orderState, 3);
    }
    // A gathering cell far off the map: no direction lands; the troop stays where it is.
    t->order->gatherX = -100;
    t->order->wanderDirection = 0;
    RandomWanderA(t, 0);
    EXPECT_EQ(t->goalX, t->cellX);
    EXPECT_EQ(t->goalY, t->cellY);
    EXPECT_EQ(t->order->orderState, 4);
}

TEST(TroopCommandEntries, CityAttackApproachesTheNearestCellBesideTheCity) {
    Station s(0);
    City* walled = s.b.AddCity(s.e, 20, 20); // its cells carry its id
    for (int y = 19; y <= 21; ++y)
        for (int x = 19; x <= 21; ++x)
            TheBattleMap->CellAt(x, 2 * y)->cityId = uint8_t(walled->id);
    Troop* t = s.troops[0];
    ASSERT_TRUE(NetCmd09(t, walled, -1));
    // Around (18, 18), the cell nearest the troop at (5, 5) within two cells of a city cell; ring
    // order breaks the tie with (19, 17).
    EXPECT_EQ(t->goalX, 17);
    EXPECT_EQ(t->goalY, 19);
    // The station's city has no cells of its own: the goal stays beside its centre.
    ASSERT_TRUE(NetCmd09(t, s.city, -1));
    EXPECT_EQ(t->goalX, 23);
    EXPECT_EQ(t->goalY, 23);
}
