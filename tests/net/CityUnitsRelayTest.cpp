// A host and a client over the loopback relay stay alike while a city takes a troop in, sends a
// unit out, pools its garrison's strength, falls with the random reseed and is captured with its
// prison. Every record and command goes out through the game's own senders and is applied by the
// game's own receive side.
#include "NetStation.h"
#include "Program/WorldDigest.h"
#include "StationGlobals.h"
#include "records/CityUnitsFixture.h"

#include "engine/Random.h"
#include "net/CityValueCommand.h"
#include "net/TroopValueCommand.h"
#include "net/room/GameCommandTable.h"
#include "platform/Sockets.h"
#include "world/UnownedCities.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>

using namespace nettest;

namespace {

std::mutex globalsLock;

// The same stage on each station, built in the same order so the serials agree.
struct StationStage {
    std::unique_ptr<cityunits::Stage> stage;
    Globals globals;
    City* castle = nullptr;  // side 1
    City* village = nullptr; // side 2, kind 2
    City* keep = nullptr;    // side 2, with a prison
    Troop* newcomer = nullptr;
    Troop* leaving = nullptr;
    Troop* taker = nullptr;
    Troop* held = nullptr;
    uint32_t seedAfterDestroy[2] = {};

    StationStage(NetSession& session, bool host) {
        std::lock_guard guard(globalsLock);
        stage = std::make_unique<cityunits::Stage>();
        cityunits::Stage& s = *stage;
        TheBattleMap->sideActive[1] = 0; // the players' side: its units just stop when they leave
        castle = s.City(s.own, 10, 20, 0);
        village = s.City(s.foe, 30, 20, 2);
        keep = s.City(s.foe, 20, 60, 0);
        leaving = s.Inside(castle);
        s.Inside(castle);
        newcomer = s.Field(s.own, 5, 5);
        for (int i = 0; i < 4; ++i) {
            Troop* g = s.Field(s.foe, 2 + i, 30);
            g->officer->Set(OfficerLayout::kHp, 50);
            g->officer->Set(OfficerLayout::kMaxHp, 50);
            village->garrison[i] = g;
        }
        auto* prison = new SubCastle(0);
        prison->SetInt(SubCastleLayout::kKind, 5);
        keep->subCastles.Add(uintptr_t(prison));
        held = s.Inside(castle); // one of ours, held in the keep's prison
        castle->units.RemoveValue(uintptr_t(held));
        held->officer->StatusWord() = 1;
        prison->units.Add(uintptr_t(held));
        s.Inside(keep);              // a general: taken prisoner
        s.Escort(s.Inside(keep, 2)); // not a general: leaves the game with its escort
        taker = s.Field(s.own, 20, 32);
        globals = TakeStationGlobals(session, host);
    }
    ~StationStage() {
        std::lock_guard guard(globalsLock);
        Use(globals);
        TheNetSession = nullptr;
        stage.reset();
        Use({});
    }
};

// What both stations must agree on, by serials and values, besides the world digest.
std::string Signature(StationStage& st) {
    std::ostringstream out;
    auto serials = [&](LinkList& list) {
        std::vector<uint32_t> ids;
        for (uintptr_t v = list.First(); v != 0; v = list.Next()) {
            auto* t = reinterpret_cast<Troop*>(v);
            ids.push_back(t->UnitId() * 10 + t->hidden);
        }
        std::sort(ids.begin(), ids.end());
        for (uint32_t id : ids)
            out << id << ",";
        out << ";";
    };
    for (City* c : {st.castle, st.village, st.keep}) {
        out << "city" << c->id << " o" << c->ownerSide << " d" << c->dead << " e" << c->emptyFlag << " u";
        serials(c->units);
        out << " g";
        for (Troop* g : c->garrison)
            out << (g ? g->OfficerValue(OfficerLayout::kHp) : -1) << ",";
        for (uintptr_t v = c->subCastles.First(); v != 0; v = c->subCastles.Next()) {
            out << " p";
            serials(reinterpret_cast<SubCastle*>(v)->units);
        }
        out << "\n";
    }
    for (Kingdom* k : {st.stage->own, st.stage->foe}) {
        out << "k" << k->nationIndex << " cities " << k->cities.GetCount() << " gold " << k->goldTotal
            << " field ";
        serials(k->fieldUnits);
        out << "\n";
    }
    out << "dead cities " << TheBattleMap->unownedCities.cities.GetCount() << " seed "
        << st.seedAfterDestroy[0] << "," << st.seedAfterDestroy[1] << " digest " << WorldDigest();
    return out.str();
}

void ReceiveInto(Station& station, StationStage& st) {
    RegisterTroopCommands(station.session.commands); // installs the session's sender
    RegisterCityCommands(station.session.commands);
    RegisterGameRecords(station.session.commands);
    for (uint8_t code : {kCityValueCommand, kTroopValueCommand, kGameRecordCode}) {
        GameCommandRule rule = *station.session.commands.Find(code);
        auto inner = rule.handler;
        rule.handler = [inner, &st, code](GameCommandContext& c) {
            std::lock_guard guard(globalsLock);
            Use(st.globals);
            const CommandOutcome outcome = inner(c);
            // What the destruction left the shared generator with, on this station.
            if (code == kGameRecordCode && c.size >= 4 && c.payload[0] == 0x06 && c.payload[1] == 0x03) {
                st.seedAfterDestroy[0] = RandomSeed;
                st.seedAfterDestroy[1] = RandomMultiplier;
            }
            Use({});
            return outcome;
        };
        station.session.commands.Register(code, rule);
    }
}

template <class F>
auto In(Station& s, StationStage& st, F f) {
    return s.Do([&] {
        std::lock_guard guard(globalsLock);
        Use(st.globals);
        auto result = f();
        Use({});
        return result;
    });
}

TEST(CityUnitsRelay, HostAndClientStayAlikeFromEntryToCapture) {
    platform::SetLoopbackOnly(true);
    platform::SetConnectLimit(3000);
    const uint16_t port = FreePort();
    auto host = std::make_unique<Station>("127.0.0.1", "127.0.0.1", port);
    auto client = std::make_unique<Station>("127.0.0.2", "127.0.0.1", port);
    {
        StationStage hostStage(host->session, true);
        StationStage clientStage(client->session, false);
        ReceiveInto(*host, hostStage);
        ReceiveInto(*client, clientStage);
        ASSERT_TRUE(host->Do([&] { return host->session.NetSessionStart(true, "Ann"); }));
        ASSERT_TRUE(client->Do([&] { return client->session.NetSessionStart(false, "Bo"); }));
        ASSERT_TRUE(RunUntil({host.get(), client.get()}, [&] {
            return client->Do([&] { return client->session.NetPeerCount() == 2; });
        }));
        auto signature = [&](Station& s, StationStage& st) {
            return In(s, st, [&] { return Signature(st); });
        };
        ASSERT_EQ(signature(*client, clientStage), signature(*host, hostStage));

        struct Step {
            const char* name;
            std::function<void(StationStage&)> run;   // on the host
            std::function<void(StationStage&)> check; // on the client, once alike
        };
        const Step steps[] = {
            {"entry", [](StationStage& st) { st.castle->RequestTroopEntry(st.newcomer); },
             [](StationStage& st) {
                 EXPECT_EQ(st.newcomer->hidden, 1);
                 EXPECT_EQ(st.newcomer->homeCity, st.castle->id);
             }},
            {"deploy", [](StationStage& st) { st.castle->RequestDeployUnit(st.leaving, 0); },
             [](StationStage& st) { EXPECT_EQ(st.leaving->hidden, 0); }},
            {"garrison pool",
             [](StationStage& st) {
                 st.village->attackAlternation = 1;
                 st.village->ResolveAttack(20, 1, nullptr);
             },
             [](StationStage& st) {
                 for (Troop* g : st.village->garrison)
                     EXPECT_EQ(g->OfficerValue(OfficerLayout::kHp), 45);
             }},
            {"destroy",
             [](StationStage& st) {
                 st.village->attackAlternation = 1;
                 st.village->ResolveAttack(500, 1, nullptr);
                 st.seedAfterDestroy[0] = RandomSeed;
                 st.seedAfterDestroy[1] = RandomMultiplier;
                 // The client's own copy must set the generator again.
                 RandomSeed = RandomMultiplier = 1;
             },
             [](StationStage& st) {
                 EXPECT_EQ(st.village->dead, 1);
                 EXPECT_NE(st.seedAfterDestroy[0], 1u);
             }},
            {"capture",
             [](StationStage& st) {
                 st.keep->emptyFlag = 1;
                 TheBattleMap->CaptureCity(st.taker, st.keep);
             },
             [](StationStage& st) {
                 EXPECT_EQ(st.keep->ownerSide, 1);
                 // Our prisoner walked free; their general took its place; the soldier is gone.
                 EXPECT_EQ(st.keep->units.GetCount(), 1);
                 EXPECT_TRUE(cityunits::Stage::Holds(st.keep->units, st.held));
             }},
        };
        for (const Step& step : steps) {
            SCOPED_TRACE(step.name);
            In(*host, hostStage, [&] {
                step.run(hostStage);
                return 0;
            });
            const std::string want = signature(*host, hostStage);
            EXPECT_TRUE(
                RunUntil({host.get(), client.get()}, [&] { return signature(*client, clientStage) == want; }))
                << "host:\n"
                << want << "\nclient:\n"
                << signature(*client, clientStage);
            In(*client, clientStage, [&] {
                step.check(clientStage);
                return 0;
            });
        }

        client->Do([&] { client->session.CloseTcpSession(); });
        host->Do([&] { host->session.CloseTcpSession(); });
    }
    client.reset();
    host.reset();
    SetGameCommandSender(nullptr);
    platform::SetLoopbackOnly(false);
}

} // namespace
