#include "CityWorksFixture.h"
#include "net/CommandLookups.h"

#include "Program/GameParameters.h"
#include "engine/ByteReader.h"
#include "net/CityValueCommand.h"
#include "net/TroopCommands.h"

#include <gtest/gtest.h>

using namespace cityworks;

namespace {

constexpr uint32_t kDevelopment = 48;

int32_t Hp(const Troop* t) {
    return t->officer->Get(OfficerLayout::kHp);
}

// Command 22 payloads as the station sends them: city id, new value, selector.
std::vector<std::vector<uint8_t>>& Commands() {
    static std::vector<std::vector<uint8_t>> sent;
    return sent;
}
void RecordCommand(uint8_t code, const uint8_t* payload, size_t length) {
    if (code == kCityValueCommand) Commands().emplace_back(payload, payload + length);
}
std::vector<uint8_t> Payload(int32_t id, int32_t value, uint32_t mask) {
    ByteWriter out;
    out.u32(uint32_t(id));
    out.u32(uint32_t(value));
    out.u32(mask);
    return out.buffer();
}

// Who trains, who builds: the training of a human side runs on that player's own station, the
// host trains the computer's; the building and the rest of the day are the host's. Every station
// works out what the city needs mended.
TEST(CityDailyWiring, TrainingConstructionAndNeedsRunOnTheirStations) {
    struct Case {
        const char* what;
        bool networked, host, computer, localPlayers;
        bool trains, builds;
    };
    const Case cases[] = {
        {"single play", false, false, true, false, true, true},
        {"host, computer side", true, true, true, false, true, true},
        {"host, another player's side", true, true, false, false, false, true},
        {"client, its own side", true, false, false, true, true, false},
        {"client, another player's side", true, false, false, false, false, false},
        {"client, computer side", true, false, true, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Works w;
        TheBattleMap->sideActive[1] = c.computer ? 1 : 0;
        w.stage->playerSide = c.localPlayers ? 1 : 2;
        TheGameController->networked = c.networked ? 1 : 0;
        TheGameController->isHost = c.host ? 1 : 0;
        // Template 415 trains soldier type 85 in 2 days.
        w.Template(415, 85);
        w.Type(85, {{80, 2}});
        auto* entry = new TrainingEntry(415);
        w.city->trainingQueue.Add(uintptr_t(entry));
        auto* site = new SavedRecord(6, 50, 3);
        w.city->sites.Add(uintptr_t(site));
        w.city->buildings[3] = 1000;
        w.Guard(0, 10, 100); // far below the garrison's strength for the size

        w.city->Update();
        EXPECT_EQ(entry->days, c.trains ? 1u : 0u);
        EXPECT_EQ(site->work, c.builds ? 10 : 0);
        EXPECT_EQ(w.city->pendingStatus, 0x1);
    }
}

// Villages and forts mend their garrison every day; a camp counts its days and does nothing else.
TEST(CityDailyWiring, VillagesRepairAndCampsOnlyCountTheirDays) {
    Works w;
    TheBattleMap->sideActive[1] = 1;
    w.city->SetInt(CityLayout::kKind, 6);
    Troop* guard = w.Guard(0, 10, 100);
    w.city->Update();
    EXPECT_EQ(Hp(guard), 10 + GameParams().repair_castle_hp);

    City* camp = w.AddCity(w.kingdom, 20, 40, 7);
    camp->SetInt(CityWorkColumns::kSpawnDays, 3);
    camp->cycleCounter = 5;
    camp->attackedToday = 1;
    camp->Update();
    camp->Update();
    EXPECT_EQ(camp->spawnDays, 2);
    EXPECT_EQ(camp->cycleCounter, 5) << "a camp's day ends with its spawn timer";
    EXPECT_EQ(camp->attackedToday, 1);
}

// The month brings a village's recruits to its target city; the strategy step of a team game
// commits the pending repairs and builds what the city lacks.
TEST(CityDailyWiring, TheMonthRecruitsAndTheStrategyStepCommitsAndBuilds) {
    Works w;
    w.Template(426, 88);
    City* village = w.AddCity(w.kingdom, 30, 40, 6);
    village->recruitCity = w.city;
    village->SetInt(CityWorkColumns::kSpecialTroops + 8, 2);
    village->CountTick();
    EXPECT_EQ(w.city->reserve.GetCount(), 2);

    TheGameController->gameKind = 1;
    w.city->SetInt(CityLayout::kGold, 500);
    w.city->SetInt(CityLayout::kFood, 5000);
    w.city->pendingStatus = 0x1;
    auto* plot = new SavedRecord(6, 50, -1);
    w.city->sites.Add(uintptr_t(plot));
    w.city->Tick();
    EXPECT_EQ(w.city->statusFlags, 0x1);
    // Without barracks of kinds 12 to 14 a size-1 city builds kind 12 first, for its price.
    EXPECT_EQ(plot->kind, 12);
    EXPECT_EQ(w.city->Int(CityLayout::kGold), 500 - GameParams().buildingCost[12]);
}

// A finished building and a plot rebuilt for another kind change the city's values at once.
TEST(CityDailyWiring, BuildingsChangeTheCitysValuesWhenTheyFinishOrGo) {
    Works w;
    auto* farm = new SavedRecord(6, 50, 0);
    farm->work = GameParams().buildingCost[0] - 10;
    w.city->sites.Add(uintptr_t(farm));
    w.city->buildings[0] = 1000;
    w.city->TickConstruction();
    EXPECT_EQ(w.city->buildings[0], 1001);
    EXPECT_EQ(w.city->Int(kDevelopment), GameParams().farmEffect[0]);
    EXPECT_GT(w.city->incomeRates[2], 0.0f);

    w.city->ApplyPlotKind(6, 50, 3);
    EXPECT_EQ(w.city->Int(kDevelopment), 0);
    EXPECT_EQ(w.city->incomeRates[2], 0.0f);
}

// A city that grows a size gets the garrison of the new size in place of the old one.
TEST(CityDailyWiring, AnUpgradeRaisesANewGarrison) {
    Works w;
    TheScreenSettings->mapWidth = 40;
    TheScreenSettings->mapHeight = 40;
    // The old guard is told apart by its officer's serial: a new troop may take its memory.
    constexpr uint32_t kOldSerial = 4242;
    w.Guard(0, 5, 50)->officer->serial = kOldSerial;
    ASSERT_EQ(w.city->ApplyUpgrade(), 1);
    const int32_t strength = GameParams().siteRows[1][0] / 4;
    for (Troop* t : w.city->garrison) {
        ASSERT_NE(t, nullptr);
        EXPECT_NE(t->officer->serial, kOldSerial);
        EXPECT_EQ(Hp(t), strength);
        EXPECT_EQ(t->officer->Get(OfficerLayout::kMaxHp), strength);
    }
    int inField = 0;
    for (uintptr_t v = w.kingdom->fieldUnits.First(); v != 0; v = w.kingdom->fieldUnits.Next())
        inField += reinterpret_cast<Troop*>(v)->officer->serial == kOldSerial;
    EXPECT_EQ(inField, 0);
}

// What the city's works pay and earn travels as command 22 with the new values, so a client's
// city ends with the host's.
TEST(CityValueWiring, TrainingCostsReachTheClientsAsCityValues) {
    Commands().clear();
    {
        Works host;
        host.NetworkHost();
        SetGameCommandSender(RecordCommand);
        // Template 415 trains soldier type 85: 10 gold, 5 food, 20 people.
        host.Template(415, 85);
        host.Type(85, {{72, 10}, {76, 5}, {68, 20}, {80, 2}});
        host.city->SetInt(CityLayout::kGold, 35);
        host.city->SetInt(CityLayout::kFood, 100);
        host.city->SetInt(CityLayout::kPopulation, 100);
        host.city->QueueTraining(6, 1);
        EXPECT_EQ(host.city->Int(CityLayout::kGold), 25);
        // Cities travel by their place in the city table.
        const int32_t id = CityIndexOf(host.city);
        EXPECT_EQ(Commands(),
                  (std::vector<std::vector<uint8_t>>{Payload(id, 25, kCityGold), Payload(id, 95, kCityFood),
                                                     Payload(id, 80, kCityPopulation)}));
    }
    Works client;
    TheGameController->networked = 1;
    for (const auto& p : Commands())
        EXPECT_TRUE(ReceiveCityValueCommand(p));
    EXPECT_EQ(client.city->Int(CityLayout::kGold), 25);
    EXPECT_EQ(client.city->Int(CityLayout::kFood), 95);
    EXPECT_EQ(client.city->Int(CityLayout::kPopulation), 80);
    Commands().clear();
}

// The tower selector builds the tower of the slot it names; a slot from the wire outside the six
// is refused, and a standing tower stays.
TEST(CityValueWiring, TheTowerSelectorBuildsTheNamedSlotOnly) {
    Works w;
    w.Template(453, 7, 50, 80);
    const int32_t id = w.city->id;
    EXPECT_TRUE(ReceiveCityValueCommand(Payload(CityIndexOf(w.city), 2, kCityTower)));
    Troop* tower = w.city->towers[2];
    ASSERT_NE(tower, nullptr);
    EXPECT_EQ(Hp(tower), 0) << "the repairs raise a new tower";
    EXPECT_EQ(tower->homeCity, id);
    for (int32_t slot : {-1, 6, 1 << 20, 2})
        ReceiveCityValueCommand(Payload(id, slot, kCityTower));
    EXPECT_EQ(w.city->towers[2], tower);
    int towers = 0;
    for (Troop* t : w.city->towers)
        towers += t != nullptr;
    EXPECT_EQ(towers, 1);
}

} // namespace
