#include "RelayPair.h"
#include "troops/TroopFixture.h"

#include "net/TroopFateCommands.h"
#include "net/TroopValueCommand.h"
#include "net/room/GameCommandTable.h"
#include "platform/Sockets.h"
#include "records/Kingdom.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>

using namespace nettest;
using trooptest::Battle;

namespace {

constexpr uint32_t kRetreatStory = 376; // "敘述撤退"

// One station's battle: an archer of the first kingdom against a soldier and a stubborn general of
// the second; the same on both stations.
struct StationBattle {
    std::unique_ptr<Battle> battle;
    Globals globals;
    Kingdom* own = nullptr;
    Kingdom* foe = nullptr;
    Troop* archer = nullptr;
    Troop* soldier = nullptr;
    Troop* general = nullptr;

    StationBattle(NetSession& session, bool host) {
        std::lock_guard guard(GlobalsLock());
        battle = std::make_unique<Battle>();
        own = battle->AddKingdom(1, true);
        foe = battle->AddKingdom(2);
        Battle::War(own, foe);
        archer = battle->AddTroop(own, 5, 5, 1, 2);
        soldier = battle->AddTroop(foe, 6, 5, 1, 2);
        general = battle->AddTroop(foe, 7, 5, 1, 1);
        archer->officer->Set(OfficerLayout::kAttack, 25);
        for (Troop* t : {soldier, general}) {
            t->officer->Set(OfficerLayout::kDefence, 5);
            t->officer->Set(OfficerLayout::kHp, 50);
            t->officer->Set(OfficerLayout::kMaxHp, 50);
        }
        general->officer->Set(kRetreatStory, 2);
        globals = TakeStationGlobals(session, host);
    }
    ~StationBattle() {
        std::lock_guard guard(GlobalsLock());
        Use(globals);
        TheNetSession = nullptr;
        battle.reset();
        Use({});
    }
};

// The station's state commands run the game's own receive side inside its battle.
void ReceiveInto(Station& station, StationBattle& world) {
    RegisterTroopCommands(station.session.commands);
    RegisterTroopFateCommands(station.session.commands);
    ReceiveUnder(station, world.globals,
                 {kTroopValueCommand, kKillCommand, kCaptureCommand, kUnitCountersCommand});
}

// What a fight changes: strengths, states, fates, flags, masters, the archer's tally and the kingdoms'.
std::vector<int> Look(Station& s, StationBattle& w) {
    return In(s, w.globals, [&] {
        std::vector<int> v;
        for (Troop* t : {w.archer, w.soldier, w.general}) {
            v.push_back(t->officer->Get(OfficerLayout::kHp));
            v.push_back(t->state);
            v.push_back(t->officer->StatusWord());
            v.push_back(int(t->flags));
            v.push_back(t->officer->Get(OfficerLayout::kPolicy));
            v.push_back(t->officer->activity[0]);
        }
        for (Kingdom* k : {w.own, w.foe}) {
            for (int32_t tally : k->tally)
                v.push_back(tally);
        }
        return v;
    });
}

TEST(TroopFightRelay, HostAndClientAgreeAfterAScriptedFight) {
    RelayPair pair;
    auto& host = pair.host;
    auto& client = pair.client;
    {
        // Deaths, captures and tallies come from the host only.
        for (uint8_t code : {kKillCommand, kCaptureCommand, kUnitCountersCommand}) {
            RegisterTroopFateCommands(host->session.commands);
            const GameCommandRule* rule = host->session.commands.Find(code);
            ASSERT_NE(rule, nullptr);
            EXPECT_FALSE(rule->clientMaySend);
        }
        StationBattle hostWorld(host->session, true);
        StationBattle clientWorld(client->session, false);
        ReceiveInto(*host, hostWorld);
        ReceiveInto(*client, clientWorld);
        ASSERT_TRUE(pair.Join());
        const std::vector<int> before = Look(*host, hostWorld);
        ASSERT_EQ(Look(*client, clientWorld), before);

        // A client's blow decides nothing: it is the host that strikes.
        In(*client, clientWorld.globals, [&] { clientWorld.soldier->ReceiveAttack(clientWorld.archer); });
        EXPECT_EQ(Look(*client, clientWorld), before);

        // Three blows of 20 kill the soldier; two more take the stubborn general prisoner.
        In(*host, hostWorld.globals, [&] {
            for (int i = 0; i < 3; ++i)
                hostWorld.soldier->ReceiveAttack(hostWorld.archer);
            for (int i = 0; i < 3; ++i)
                hostWorld.general->ReceiveAttack(hostWorld.archer);
        });
        const std::vector<int> after = Look(*host, hostWorld);
        ASSERT_NE(after, before);
        In(*host, hostWorld.globals, [&] {
            EXPECT_EQ(hostWorld.soldier->state, 13);
            EXPECT_EQ(hostWorld.general->officer->StatusWord(), 1);
            EXPECT_EQ(hostWorld.foe->tally[6], 1);
            EXPECT_EQ(hostWorld.archer->officer->activity[0], 100);
            EXPECT_EQ(hostWorld.own->damageDealt, 100); // kept where blows are decided
        });
        EXPECT_TRUE(
            RunUntil({host.get(), client.get()}, [&] { return Look(*client, clientWorld) == after; }));
        EXPECT_EQ(Look(*client, clientWorld), after);

        pair.CloseSessions();
    }
}

} // namespace
