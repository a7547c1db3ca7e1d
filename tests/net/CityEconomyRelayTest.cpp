#include "RelayPair.h"
#include "troops/TroopFixture.h"

#include "engine/ByteReader.h"
#include "net/CityValueCommand.h"
#include "net/room/GameCommandTable.h"
#include "platform/Sockets.h"
#include "records/City.h"
#include "records/Kingdom.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <vector>

using namespace nettest;
using trooptest::Battle;

namespace {

// One station's stage: a computer kingdom with a castle that has markets, farms and a temple.
struct StationStage {
    std::unique_ptr<Battle> battle;
    Globals globals;
    City* city = nullptr;

    StationStage(NetSession& session, bool host) {
        std::lock_guard guard(GlobalsLock());
        battle = std::make_unique<Battle>();
        Kingdom* k = battle->AddKingdom(1);
        TheBattleMap->sideActive[1] = 1;
        city = battle->AddCity(k, 10, 20);
        city->id = TheBattleMap->cityCount;
        city->SetInt(CityLayout::kGold, 100);
        city->SetInt(CityLayout::kFood, 300);
        city->SetInt(CityLayout::kPopulation, 1500);
        city->buildings[0] = 1003; // farms
        city->buildings[1] = 1001; // a granary
        city->buildings[2] = 1004; // markets
        city->buildings[3] = 1001; // a trade hall
        city->buildings[4] = 1010; // temples
        // The stage reader sums the buildings on every station.
        city->SumBuildings();
        TheGameController->gameKind = 1; // a team game: the strategy turn re-splits the treasury
        globals = TakeStationGlobals(session, host);
    }
    ~StationStage() {
        std::lock_guard guard(GlobalsLock());
        Use(globals);
        TheNetSession = nullptr;
        battle.reset();
        Use({});
    }
};

void ReceiveInto(Station& station, StationStage& stage) {
    RegisterTroopCommands(station.session.commands); // installs the session's sender
    RegisterCityCommands(station.session.commands);
    ReceiveUnder(station, stage.globals, {kCityValueCommand});
}

std::vector<uint8_t> Block(Station& s, StationStage& stage) {
    return In(s, stage.globals,
              [&] { return std::vector<uint8_t>(stage.city->block, stage.city->block + CityLayout::kSize); });
}

// The stage clock as the calendar runs it: every step the cities' AI, every day the kingdom's and
// the city's daily steps (with a strategy turn every tenth day), every thirtieth day the month,
// every twelfth month the year. The day's evaluation is called step by step: its network half
// (peer counts, stage ends) is not what this test is about.
void StepDays(StationStage& stage, int days) {
    ScreenSettings* s = TheScreenSettings;
    Zu_StageSet* set = stage.battle->stage;
    for (int d = 0; d < days; ++d) {
        set->UpdateCityGenerals();
        set->UpdateCityGenerals();
        if (++s->day > 29) {
            s->day = 0;
            ++s->month;
            set->AdvanceMonth();
            if (s->month > 12) {
                s->month = 1;
                ++s->year;
                set->AdvanceYear();
            }
        }
        for (uintptr_t v = set->kingdoms->First(); v != 0; v = set->kingdoms->Next())
            reinterpret_cast<Kingdom*>(v)->TickFieldUnits();
        stage.city->Update();
        if (s->day % 10 == 0) stage.city->Tick();
    }
}

TEST(CityEconomyRelay, OnlyTheHostMovesTheEconomyAndTheClientEndsAlike) {
    RelayPair pair;
    auto& host = pair.host;
    auto& client = pair.client;
    {
        const GameCommandRule* rule = host->session.commands.Find(kCityValueCommand);
        ASSERT_NE(rule, nullptr);
        EXPECT_EQ(rule->minSize, kCityValueCommandSize);
        EXPECT_EQ(rule->maxSize, kCityValueCommandSize);

        StationStage hostStage(host->session, true);
        StationStage clientStage(client->session, false);
        ReceiveInto(*host, hostStage);
        ReceiveInto(*client, clientStage);
        ASSERT_TRUE(pair.Join());
        const std::vector<uint8_t> start = Block(*host, hostStage);
        ASSERT_EQ(Block(*client, clientStage), start);

        // The client's own calendar moves nothing of the economy.
        In(*client, clientStage.globals, [&] {
            StepDays(clientStage, 45);
            return 0;
        });
        EXPECT_EQ(Block(*client, clientStage), start);
        EXPECT_EQ(In(*client, clientStage.globals, [&] { return clientStage.city->accumulators[2]; }), 0.0f);

        // The host's year of days: income, strategy turns and their commands.
        In(*host, hostStage.globals, [&] {
            StepDays(hostStage, 400);
            return 0;
        });
        const std::vector<uint8_t> after = Block(*host, hostStage);
        EXPECT_NE(after, start);
        const int32_t hostGold =
            In(*host, hostStage.globals, [&] { return hostStage.city->Int(CityLayout::kGold); });
        const int32_t hostPeople =
            In(*host, hostStage.globals, [&] { return hostStage.city->Int(CityLayout::kPopulation); });
        EXPECT_GT(hostGold, 100);
        EXPECT_GT(hostPeople, 1500);
        EXPECT_TRUE(
            RunUntil({host.get(), client.get()}, [&] { return Block(*client, clientStage) == after; }));

        // A client's change only asks; the host's copy comes back to both.
        In(*client, clientStage.globals, [&] {
            NetCmdAddCityValue(clientStage.city, 500, kCityGold);
            EXPECT_EQ(clientStage.city->Int(CityLayout::kGold), hostGold);
            NetCmdAddCityValue(clientStage.city, -5000000, kCityFood);
            return 0;
        });
        auto goldAndFood = [](Station& s, StationStage& st) {
            return In(s, st.globals, [&] {
                return std::make_pair(st.city->Int(CityLayout::kGold), st.city->Int(CityLayout::kFood));
            });
        };
        EXPECT_TRUE(RunUntil({host.get(), client.get()}, [&] {
            return goldAndFood(*host, hostStage) == std::make_pair(hostGold + 500, 0) &&
                   goldAndFood(*client, clientStage) == std::make_pair(hostGold + 500, 0);
        }));
        EXPECT_EQ(Block(*client, clientStage), Block(*host, hostStage));

        pair.CloseSessions();
    }
}

TEST(CityValueCommand, ReceiverChecksAndClampsWhatItApplies) {
    Battle b;
    Kingdom* k = b.AddKingdom(1);
    City* city = b.AddCity(k, 10, 20);
    city->id = TheBattleMap->cityCount;
    auto payload = [](uint32_t id, int32_t value, uint32_t mask) {
        ByteWriter out;
        out.u32(id);
        out.u32(uint32_t(value));
        out.u32(mask);
        return out.buffer();
    };
    struct Case {
        uint32_t id;
        int32_t value;
        uint32_t mask;
        bool taken;
        uint32_t column;
        int32_t stored;
    };
    const Case cases[] = {
        // A city key is the city's index in the map's table.
        {0, 2000000, kCityGold, true, CityLayout::kGold, 999999},
        {0, -7, kCityFood, true, CityLayout::kFood, 0},
        {0, 1234, kCityPopulation, true, CityLayout::kPopulation, 1234},
        {0, 77, kCityCommerce, true, 52, 77},
        {1, 5, kCityGold, false, CityLayout::kGold, 999999},          // no such city
        {0xFFFFFFFF, 5, kCityGold, false, CityLayout::kGold, 999999}, // a negative index names none
        {0, 5, 3, false, CityLayout::kGold, 999999},                  // two selectors at once
        {0, 5, 0x800, false, CityLayout::kGold, 999999},              // no such selector
        {999, 5, kCityGold, false, CityLayout::kGold, 999999},        // beyond the city table
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> bytes = payload(c.id, c.value, c.mask);
        EXPECT_EQ(ReceiveCityValueCommand(bytes), c.taken) << c.id << " " << c.mask;
        EXPECT_EQ(city->Int(c.column), c.stored) << c.id << " " << c.mask;
    }
    std::vector<uint8_t> shortPayload = payload(0, 5, kCityGold);
    shortPayload.pop_back();
    EXPECT_FALSE(ReceiveCityValueCommand(shortPayload));

    // The garrison selectors: a positive value sets each garrison troop's strength, a negative one
    // takes the garrison away, 0x200 builds it anew.
    city->SpawnGenerals();
    ASSERT_NE(city->garrison[0], nullptr);
    EXPECT_TRUE(ReceiveCityValueCommand(payload(0, 33, kCityGarrisonStrength)));
    EXPECT_EQ(city->garrison[3]->officer->Get(OfficerLayout::kHp), 33);
    EXPECT_TRUE(ReceiveCityValueCommand(payload(0, -1, kCityGarrisonStrength)));
    EXPECT_EQ(city->garrison[0], nullptr);
    EXPECT_EQ(k->fieldUnits.GetCount(), 0);
    EXPECT_TRUE(ReceiveCityValueCommand(payload(0, 0, kCityGarrisonRebuild)));
    ASSERT_NE(city->garrison[0], nullptr);
    EXPECT_EQ(city->garrison[0]->officer->Get(OfficerLayout::kHp), 50);
    EXPECT_EQ(k->fieldUnits.GetCount(), 4);
}

} // namespace
