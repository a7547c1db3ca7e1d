#include "RelayPair.h"
#include "troops/TroopFixture.h"

#include "Program/GameParameters.h"
#include "net/LevelUpCommand.h"
#include "net/TroopCommandCodec.h"
#include "net/TroopValueCommand.h"
#include "net/room/GameCommandTable.h"
#include "platform/Sockets.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>

using namespace nettest;
using trooptest::Battle;

namespace {

// One station's battle: two kingdoms at war, a troop each; the same on both stations.
struct StationBattle {
    std::unique_ptr<Battle> battle;
    Globals globals;
    Troop* own = nullptr;
    Troop* foe = nullptr;
    City* city = nullptr;

    StationBattle(NetSession& session, bool host) {
        std::lock_guard guard(GlobalsLock());
        battle = std::make_unique<Battle>();
        battle->Type(1, {{SoldierColumn::kSpeed, 100}});
        Kingdom* a = battle->AddKingdom(1, true);
        Kingdom* e = battle->AddKingdom(2);
        Battle::War(a, e);
        own = battle->AddTroop(a, 5, 5);
        foe = battle->AddTroop(e, 20, 20);
        city = battle->AddCity(e, 30, 30);
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

// The station's troop commands run the game's own receive side inside its battle.
void ReceiveInto(Station& station, StationBattle& world) {
    RegisterTroopCommands(station.session.commands); // over the relay test's own code 1 and 3
    std::vector<uint8_t> codes;
    for (uint8_t code = kFirstTroopCommand; code <= kLastTroopCommand; ++code)
        codes.push_back(code);
    codes.push_back(kTroopValueCommand);
    codes.push_back(kLevelUpCommand);
    ReceiveUnder(station, world.globals, codes);
}

std::vector<int> Snapshot(const Troop& t) {
    return {t.state,
            t.actionCode,
            t.goalX,
            t.goalY,
            t.targetTroop ? int(t.targetTroop->UnitId()) : 0,
            t.worldX,
            t.worldY,
            t.cellX,
            t.cellY,
            t.order->orderState,
            t.skill,
            t.attackSubKind,
            int(t.targetWord),
            t.targetCity ? t.targetCity->id : 0,
            int(t.order->secondX),
            int(t.order->secondY),
            t.order->wanderDirection};
}

std::vector<int> Look(Station& s, StationBattle& w, bool foe = false) {
    return In(s, w.globals, [&] { return Snapshot(foe ? *w.foe : *w.own); });
}

std::vector<int> Both(Station& s, StationBattle& w) {
    std::vector<int> a = Look(s, w);
    const std::vector<int> b = Look(s, w, true);
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(TroopOrderRelay, AClientsOrderIsAppliedByTheHostAndArrivesBackAlike) {
    RelayPair pair;
    auto& host = pair.host;
    auto& client = pair.client;
    {
        // Every session takes the troop orders in with their sizes and senders; the relay test's own
        // codes 1 and 3 stand over two of them here.
        for (uint8_t code = kFirstTroopCommand; code <= kLastTroopCommand; ++code) {
            if (code == kOrder || code == kHostOnly) continue;
            const GameCommandRule* rule = host->session.commands.Find(code);
            ASSERT_NE(rule, nullptr) << int(code);
            EXPECT_EQ(rule->minSize, TroopCommandSize(code));
            EXPECT_EQ(rule->maxSize, TroopCommandSize(code));
            EXPECT_EQ(rule->clientMaySend, ClientMaySendTroopCommand(code)) << int(code);
        }
        StationBattle hostWorld(host->session, true);
        StationBattle clientWorld(client->session, false);
        ReceiveInto(*host, hostWorld);
        ReceiveInto(*client, clientWorld);
        ASSERT_TRUE(pair.Join());

        const std::vector<int> before = Look(*client, clientWorld);
        ASSERT_EQ(before, Look(*host, hostWorld));

        // The client only asks: its troop stays as it was until the host's copy comes back.
        std::vector<int> justAsked;
        In(*client, clientWorld.globals, [&] {
            NetCmd02(clientWorld.own, 12, 14);
            justAsked = Snapshot(*clientWorld.own);
        });
        EXPECT_EQ(justAsked, before);

        ASSERT_TRUE(RunUntil({host.get(), client.get()}, [&] {
            return Look(*host, hostWorld) != before && Look(*client, clientWorld) != before;
        }));
        const std::vector<int> moved = Look(*host, hostWorld);
        EXPECT_EQ(moved[2], 12); // the goal cell
        EXPECT_EQ(moved[3], 14);
        EXPECT_EQ(Look(*client, clientWorld), moved);

        // A target order names the other kingdom's troop by its id on both stations.
        In(*client, clientWorld.globals,
           [&] { EXPECT_TRUE(NetCmdTargetTroop(clientWorld.own, clientWorld.foe)); });
        ASSERT_TRUE(RunUntil({host.get(), client.get()}, [&] {
            return Look(*host, hostWorld)[4] != 0 && Look(*client, clientWorld)[4] != 0;
        }));
        EXPECT_EQ(Look(*host, hostWorld)[4], int(hostWorld.foe->UnitId()));
        EXPECT_EQ(Look(*client, clientWorld), Look(*host, hostWorld));
        EXPECT_EQ(Look(*client, clientWorld, true), Look(*host, hostWorld, true));

        // A move the client asks for: both stations walk the troop there frame by frame and stand
        // alike at the end.
        In(*client, clientWorld.globals, [&] { NetCmd02(clientWorld.own, 9, 8); });
        ASSERT_TRUE(RunUntil({host.get(), client.get()}, [&] {
            return Look(*host, hostWorld)[2] == 9 && Look(*client, clientWorld)[2] == 9;
        }));
        auto walk = [](Station& s, StationBattle& w) {
            return In(s, w.globals, [&] {
                TheGameController->running = 1;
                std::vector<std::vector<int>> frames;
                for (int f = 0; f < 200; ++f) {
                    TheBattleMap->Update();
                    frames.push_back(Snapshot(*w.own));
                }
                TheGameController->running = 0;
                return frames;
            });
        };
        const auto hostWalk = walk(*host, hostWorld);
        const auto clientWalk = walk(*client, clientWorld);
        EXPECT_EQ(clientWalk, hostWalk);
        EXPECT_EQ(hostWalk.back()[0], 10); // standing
        EXPECT_EQ(hostWalk.back()[7], 9);  // on the cell it was sent to
        EXPECT_EQ(hostWalk.back()[8], 8);
        EXPECT_NE(hostWalk.front()[5], hostWalk.back()[5]);

        // The rest of the client's orders (1, 6, 7, 8, 9, 11) and the host's own (3, 10, 12, 13,
        // 14), each waited for until both stations agree.
        auto agree = [&](const std::vector<int>& before) {
            return RunUntil({host.get(), client.get()}, [&] {
                const std::vector<int> h = Both(*host, hostWorld);
                return h != before && Both(*client, clientWorld) == h;
            });
        };
        const std::vector<std::function<void()>> clientOrders = {
            [&] { NetCmdFollowTarget(clientWorld.own, clientWorld.city, 0); },
            [&] { NetCmdHalt(clientWorld.own); },
            [&] { NetCmdMoveTo(clientWorld.own, 11, 12, -1, -1); },
            [&] { NetCmd08(clientWorld.own, 13, 9); },
            [&] { NetCmd09(clientWorld.own, clientWorld.city, -1); },
            [&] { NetCmdEngage(clientWorld.own, clientWorld.foe, 7, 7, 103); },
        };
        for (size_t i = 0; i < clientOrders.size(); ++i) {
            const std::vector<int> before = Both(*host, hostWorld);
            In(*client, clientWorld.globals, clientOrders[i]);
            EXPECT_TRUE(agree(before)) << "client order " << i;
        }
        const std::vector<std::function<void()>> hostOrders = {
            [&] {
                for (int i = 0; i < 300 && hostWorld.own->actionCode != 3; ++i)
                    RandomRoam(hostWorld.own, 2, 6);
            },
            [&] { NetCmd10(hostWorld.foe, hostWorld.city, 21, 21, 4); },
            [&] { NetCmd12(hostWorld.own, hostWorld.foe, 6, 6, 2, 1); },
            [&] { RandomWanderA(hostWorld.foe, 0); },
            [&] { RandomWanderB(hostWorld.own, 0); },
        };
        for (size_t i = 0; i < hostOrders.size(); ++i) {
            const std::vector<int> before = Both(*host, hostWorld);
            In(*host, hostWorld.globals, hostOrders[i]);
            EXPECT_TRUE(agree(before)) << "host order " << i;
        }

        // The host's strength change (21) is applied there and arrives clamped the same way.
        for (StationBattle* w : {&hostWorld, &clientWorld})
            for (Troop* t : {w->own, w->foe}) {
                t->officer->Set(OfficerLayout::kMaxHp, 80);
                t->officer->Set(OfficerLayout::kHp, 70);
            }
        In(*host, hostWorld.globals, [&] { NetCmdAddTroopValue(hostWorld.foe, 25, 1); });
        auto strength = [](Station& s, StationBattle& w) {
            return s.Do([&] {
                std::lock_guard guard(GlobalsLock());
                return w.foe->officer->Get(OfficerLayout::kHp);
            });
        };
        EXPECT_EQ(strength(*host, hostWorld), 80);
        EXPECT_TRUE(
            RunUntil({host.get(), client.get()}, [&] { return strength(*client, clientWorld) == 80; }));

        // A level-up the host decides arrives with its seeds: both records grow alike.
        for (int r = 0; r < 5; ++r)
            for (int k = 0; k < 100; ++k)
                GameParams().growthPickList[r][k] = uint16_t((k + r) % 5);
        for (StationBattle* w : {&hostWorld, &clientWorld}) {
            w->foe->officer->Set(OfficerLayout::kClass, 2);
            w->foe->officer->Set(OfficerLayout::kLoyalty, 40);
        }
        In(*host, hostWorld.globals, [&] { hostWorld.foe->officer->LevelUpNetworked(2, 0, 0, 0); });
        auto record = [](Station& s, StationBattle& w) {
            return s.Do([&] {
                std::lock_guard guard(GlobalsLock());
                const uint8_t* b = w.foe->officer->block;
                return std::vector<uint8_t>(b, b + OfficerLayout::kSize);
            });
        };
        const std::vector<uint8_t> raised = record(*host, hostWorld);
        EXPECT_EQ(hostWorld.foe->officer->Get(OfficerLayout::kLoyalty), 43);
        EXPECT_TRUE(
            RunUntil({host.get(), client.get()}, [&] { return record(*client, clientWorld) == raised; }));
        GameParams() = GameParameters();

        pair.CloseSessions();
    }
}

} // namespace
