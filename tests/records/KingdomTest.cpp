#include "StageRecordFixture.h"
#include "troops/CastleGate.h"
#include "troops/Troop.h"

#include <gtest/gtest.h>

#include <climits>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

using namespace stagetest;
using K = KingdomLayout;
using C = CityLayout;

namespace {

TEST(KingdomTest, TroopQuotaGrowsThreeTenthsACity) {
    struct Case {
        int32_t start, cities;
        bool daily;
        int32_t quota;
    };
    const Case cases[] = {
        {10, 0, false, 11},
        {10, 1, false, 11},
        {10, 2, false, 14},
        {10, 4, false, 20},
        {10, 5, true, 17},
        {20, 5, true, 25},
        {20, 0, true, 21},
        {7, 3, true, 12},
        // A stage file's huge strength saturates.
        {INT32_MAX, 4, false, INT32_MAX},
        {INT32_MAX, 0, false, INT32_MAX},
        {INT32_MAX, 4, true, 25},
    };
    for (const Case& c : cases) {
        Kingdom k;
        k.SetInt(K::kStartingStrength, c.start);
        EXPECT_EQ(k.QuotaFor(c.cities, c.daily), c.quota) << c.start << " " << c.cities << " " << c.daily;
    }

    StageRecords world;
    Kingdom k;
    k.SetInt(K::kStartingStrength, 10);
    City* a = new City;
    City* b = new City;
    k.AddCity(a);
    EXPECT_EQ(k.troopQuota, 11);
    k.AddCity(b);
    EXPECT_EQ(k.troopQuota, 14);
    EXPECT_EQ(k.cityCount, 2);
    k.RemoveCity(a);
    EXPECT_EQ(k.troopQuota, 11);
    EXPECT_EQ(k.cities.GetCount(), 1);
    k.RemoveCity(a); // no longer ours: nothing changes
    EXPECT_EQ(k.cityCount, 1);
    EXPECT_EQ(k.troopQuota, 11);
    delete a;
}

TEST(KingdomTest, ProposalsFollowGoodwillDiplomaticTypeAndOptions) {
    StageRecords world;
    Kingdom player, other;
    other.nationIndex = 2;
    world.stage->playerKingdom = &player;
    struct Case {
        int kind, type, goodwill;
        uint8_t option0, option1;
        int accepts;
    };
    const Case cases[] = {
        {1, 0, 60, 0, 0, 1},   {1, 0, 59, 0, 0, 0},   {1, 3, 90, 0, 0, 1},    {1, 4, 100, 0, 0, 0},
        {1, 0, 89, 0, 'c', 0}, {1, 3, 90, 0, 'c', 1}, {1, 4, 100, 0, 'c', 0}, {2, 0, 50, 0, 0, 1},
        {2, 2, 69, 0, 0, 0},   {2, 4, 100, 0, 0, 0},  {2, 4, 80, 'c', 0, 1},  {3, 4, 0, 0, 0, 1},
        {4, 0, 100, 0, 0, 0},  {7, 4, 0, 0, 0, 1},
    };
    for (const Case& c : cases) {
        other.SetInt(K::kDiplomacy, c.type);
        player.goodwill[2] = c.goodwill;
        TheGameController->optionBytes[0] = c.option0;
        TheGameController->optionBytes[1] = c.option1;
        EXPECT_EQ(other.AcceptsProposal(c.kind), c.accepts)
            << "kind " << c.kind << " type " << c.type << " goodwill " << c.goodwill;
    }
    world.stage->playerKingdom = nullptr;
}

using sectionfix::SavedKingdom;

TEST(KingdomTest, SectionRoundTripsAndItsCitiesTakeTheNextIdsAndSide) {
    StageRecords world;
    const std::vector<uint8_t> bytes = SavedKingdom();
    ASSERT_EQ(bytes.size(), 108u + 2 * (400 + 436));
    TheBattleMap->sideCount = 4;
    TheBattleMap->cityCount = 10;

    Kingdom k;
    ByteReader in(bytes.data(), bytes.size());
    ASSERT_EQ(k.Load(in), 1);
    EXPECT_EQ(in.remaining(), 0u);
    EXPECT_EQ(k.Caption(), "Cao");
    EXPECT_EQ(k.Int(96), 0x12345678);
    ASSERT_EQ(k.cities.GetCount(), 2);
    City* ye = At<City>(k.cities, 1);
    EXPECT_EQ(ye->Caption(), "Ye");
    EXPECT_EQ(ye->ownerSide, 5);
    EXPECT_EQ(ye->id, 12);
    EXPECT_EQ(TheBattleMap->cities[11], ye);
    EXPECT_EQ(TheBattleMap->cityCount, 12);
    EXPECT_EQ(world.scenario->stageGenerals.GetCount(), 2);
    EXPECT_EQ(world.scenario->stageCities.GetCount(), 2);
    ByteWriter again;
    k.Save(again);
    EXPECT_EQ(again.buffer(), bytes);
}

TEST(KingdomTest, LoadFailsCleanlyPastTheCityOrSideTablesOrWithAnImpossibleNation) {
    const std::vector<uint8_t> good = SavedKingdom();
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int32_t sides, cities;
    };
    std::vector<uint8_t> badNation = good;
    badNation[8 + K::kNation] = 200;
    std::vector<uint8_t> negativeNation = good;
    negativeNation[8 + K::kNation + 3] = 0xFF;
    std::vector<uint8_t> longBlock = good;
    longBlock[0] = 0xFF;
    longBlock[1] = 0xFF;
    const Case cases[] = {
        {"second city cut short", std::vector<uint8_t>(good.begin(), good.end() - 20), 0, 0},
        {"more cities than the table has left", good, 0, 255},
        {"no side left", good, 128, 0},
        {"nation index past the tables", badNation, 0, 0},
        {"negative nation index", negativeNation, 0, 0},
        {"block length past the bytes", longBlock, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StageRecords world;
        TheBattleMap->sideCount = c.sides;
        TheBattleMap->cityCount = c.cities;
        Kingdom k;
        ByteReader in(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(k.Load(in), 0);
        EXPECT_EQ(k.cities.GetCount(), 0);
        EXPECT_EQ(TheBattleMap->cityCount, c.cities);
        EXPECT_EQ(world.scenario->stageCities.GetCount(), 0);
        EXPECT_EQ(world.scenario->stageGenerals.GetCount(), 0);
        EXPECT_EQ(k.Caption(), "");
    }
}

struct WatchedGate : CastleGate {
    explicit WatchedGate(int x, int y) {
        cellX = x;
        cellY = y;
        for (Troop*& p : pieces) {
            p = new Troop(-1, 0, 0, 0, 0, 0, 0, nullptr);
            p->officer = new OfficerRecord(1, -1);
        }
    }
    void SetOpen(int32_t state) override { opened.push_back(state); }
    std::vector<int32_t> opened;
};

TEST(KingdomTest, BindingToTheStageStartsCitiesAndBindsGatesToTheCityOnTheirCell) {
    StageRecords world;
    TheBattleMap->SetCells(std::make_unique<MapCell[]>(40 * 60), 40, 60);
    Kingdom k;
    auto* xu = new City(1, 0);
    xu->SetInt(C::kX, 10);
    xu->SetInt(C::kY, 20);
    xu->SetInt(C::kScale, 0);
    xu->SetInt(C::kGold, 300);
    auto* ye = new City(1, 1);
    ye->SetInt(C::kX, 30);
    ye->SetInt(C::kY, 40);
    ye->SetInt(C::kScale, 3);
    ye->SetInt(C::kGold, 50);
    ye->gates.Add(1234); // a stale gate from an earlier stage
    k.AddCity(xu);
    k.AddCity(ye);

    // A gate that is deleted reports the states it was switched to before it goes.
    struct Spy : WatchedGate {
        Spy(int x, int y, std::vector<int32_t>& out) : WatchedGate(x, y), out(out) {}
        ~Spy() override { out = opened; }
        std::vector<int32_t>& out;
    };
    std::vector<int32_t> nowhereStates{-1}, offMapStates{-1};
    auto* onXu = new WatchedGate(10, 20);
    auto* onYe = new WatchedGate(30, 40);
    k.gates.Add(reinterpret_cast<uintptr_t>(onXu));
    k.gates.Add(reinterpret_cast<uintptr_t>(new Spy(11, 20, nowhereStates)));
    k.gates.Add(reinterpret_cast<uintptr_t>(onYe));
    k.gates.Add(reinterpret_cast<uintptr_t>(new Spy(40, 20, offMapStates)));

    auto* specialOfficer = new OfficerRecord(1, -1);
    specialOfficer->Set(OfficerLayout::kAttribute, 13);
    auto* ordinaryOfficer = new OfficerRecord(1, -1);
    ordinaryOfficer->Set(OfficerLayout::kAttribute, 1);
    k.fieldUnits.Add(reinterpret_cast<uintptr_t>(new Troop(1, 10, 2, 2, 1, 0, 100, specialOfficer)));
    auto* ordinary = new Troop(1, 10, 3, 3, 1, 0, 100, ordinaryOfficer);
    k.fieldUnits.Add(reinterpret_cast<uintptr_t>(ordinary));

    k.BindToStage();

    EXPECT_EQ(k.goldTotal, 350);
    EXPECT_EQ(xu->capital, xu);
    EXPECT_EQ(ye->capital, xu);
    ASSERT_EQ(k.fieldUnits.GetCount(), 1);
    EXPECT_EQ(At<Troop>(k.fieldUnits, 0), ordinary);

    ASSERT_EQ(k.gates.GetCount(), 2);
    EXPECT_EQ(xu->Scale(), 1); // a city of size 0 under a gate becomes size 1
    ASSERT_EQ(xu->gates.GetCount(), 1);
    EXPECT_EQ(At<CastleGate>(xu->gates, 0), onXu);
    EXPECT_EQ(onXu->strengthTotal, 800);
    EXPECT_EQ(onXu->pieces[7]->officer->Get(OfficerLayout::kMaxHp), 100);
    EXPECT_EQ(onXu->pieces[7]->homeCity, xu->id);
    ASSERT_EQ(ye->gates.GetCount(), 1); // the stale entry is gone
    EXPECT_EQ(At<CastleGate>(ye->gates, 0), onYe);
    EXPECT_EQ(onYe->pieces[0]->officer->Get(OfficerLayout::kHp), 200);
    EXPECT_EQ(onYe->strengthTotal, 1600);
    EXPECT_TRUE(onYe->opened.empty());
    EXPECT_EQ(nowhereStates, std::vector<int32_t>{3}); // on no city: removed from the map
    EXPECT_TRUE(offMapStates.empty());                 // off the map: only deleted
}

TEST(KingdomTest, EditorChildrenAreCitiesOfTheStage) {
    StageRecords world;
    auto* k = new Kingdom;
    world.stage->AddKingdom(k);
    auto* fresh = static_cast<City*>(k->NewChild(0));
    EXPECT_EQ(fresh->Caption(), "\xab\xb0\xb9\xeb"); // "城寨"
    EXPECT_EQ(fresh->ownerSide, 100);
    EXPECT_TRUE(world.scenario->stageCities.Find(reinterpret_cast<uintptr_t>(fresh)));

    // Refreshing copies the template of the same index but keeps the governor.
    auto* xuTemplate = new City;
    xuTemplate->SetText(C::kName, 20, "Xu");
    xuTemplate->SetInt(C::kIndex, 4);
    xuTemplate->SetInt(C::kGovernor, 1);
    world.scenario->cityTemplates.Add(reinterpret_cast<uintptr_t>(xuTemplate));
    fresh->SetInt(C::kIndex, 4);
    fresh->SetInt(C::kGovernor, 9);
    EXPECT_EQ(k->RefreshChild(0, fresh), 1);
    EXPECT_EQ(fresh->Caption(), "Xu");
    EXPECT_EQ(fresh->Int(C::kGovernor), 9);
    fresh->SetInt(C::kIndex, 5);
    EXPECT_EQ(k->RefreshChild(0, fresh), 0);
    EXPECT_EQ(k->RefreshChild(0, nullptr), 0);

    // Syncing keeps the cities named in the list and drops the others.
    auto* other = static_cast<City*>(k->NewChild(0));
    other->SetText(C::kName, 20, "Ye");
    LinkList records;
    auto* yeRecord = new City;
    yeRecord->SetText(C::kName, 20, "Ye");
    yeRecord->SetInt(C::kGold, 77);
    records.Add(reinterpret_cast<uintptr_t>(yeRecord));
    k->SyncChildren(records);
    ASSERT_EQ(k->cities.GetCount(), 1);
    EXPECT_EQ(At<City>(k->cities, 0), other);
    EXPECT_EQ(other->Int(C::kGold), 77);
    EXPECT_EQ(world.scenario->stageCities.GetCount(), 1);
    delete yeRecord;

    TheBattleMap->cities[0] = other;
    k->RemoveChild(0, other);
    EXPECT_EQ(k->cities.GetCount(), 0);
    EXPECT_EQ(TheBattleMap->cities[0], nullptr);
    EXPECT_EQ(world.scenario->stageCities.GetCount(), 0);
}

} // namespace

namespace {

// Four cities of six units with their area bounds set, one without; the kingdom starts at 10.
struct DailyCase {
    const char* what;
    int32_t gameKind;
    bool networkClient;
    bool active;
    int32_t nationKind;
    int32_t fieldGenerals;
    int32_t allowance; // of a city with bounds; -1: untouched
};

TEST(KingdomTest, TheDailyUpdateSendsSurplusUnitsOutWhenTheQuotaIsExceeded) {
    const DailyCase cases[] = {
        {"computer kingdom over its quota", 1, false, true, 0, 2, 5},
        {"thirty generals in the field", 1, false, true, 0, 30, 0},
        {"campaign", 0, false, true, 0, 2, -1},
        {"inactive side", 1, false, false, 0, 2, -1},
        {"nation kind 2", 1, false, true, 2, 2, -1},
        {"network client", 1, true, true, 0, 2, -1},
    };
    for (const DailyCase& c : cases) {
        SCOPED_TRACE(c.what);
        StageRecords world;
        TheGameController->gameKind = c.gameKind;
        TheGameController->networked = c.networkClient ? 1 : 0;
        Kingdom k;
        k.nationIndex = 3;
        TheBattleMap->sideActive[3] = c.active ? 1 : 0;
        k.SetInt(K::kNationKind, c.nationKind);
        k.SetInt(K::kStartingStrength, 10);
        std::vector<City*> cities;
        for (int i = 0; i < 5; ++i) {
            auto* city = new City(3, i);
            // Six units inside and a gate guard of strength 100, where the counts kept from
            // yesterday say nothing: the day's recount finds them.
            city->unitCount = 0;
            city->totalStrength = 0;
            for (int u = 0; u < 6; ++u) {
                auto* unit = new Troop(1, 10, 0, 0, 3, 0, 100, new OfficerRecord(3, -1));
                unit->inCity = 1;
                city->units.Add(uintptr_t(unit));
            }
            auto* guardOfficer = new OfficerRecord(3, -1);
            guardOfficer->Set(OfficerLayout::kHp, 100);
            auto* guard = new Troop(1, 10, 0, 0, 3, 0, 100, guardOfficer);
            k.AddFieldUnit(guard);
            city->garrison[0] = guard;
            city->sortieCount = -1;
            if (i < 4) city->areaBounds[0] = 1;
            k.AddCity(city);
            cities.push_back(city);
        }
        for (int i = 0; i < c.fieldGenerals; ++i) {
            auto* o = new OfficerRecord(3, -1);
            o->Set(OfficerLayout::kAttribute, 1);
            k.AddFieldUnit(new Troop(1, 10, 0, 0, 3, 0, 100, o));
        }
        k.TickFieldUnits();
        EXPECT_EQ(k.cityCount, 5);
        if (c.allowance < 0) {
            EXPECT_EQ(k.cityTroopTotal, 24);
            EXPECT_EQ(cities[0]->sortieCount, -1);
            continue;
        }
        // 24 units less one kept back in each bounded city, against 10 x 1.6 + 1.
        EXPECT_EQ(k.cityTroopTotal, 20);
        EXPECT_EQ(k.troopQuota, 17);
        EXPECT_EQ(k.cityStrengthTotal, 500);
        EXPECT_EQ(k.fieldGeneralCount, c.fieldGenerals);
        EXPECT_EQ(cities[0]->sortieCount, c.allowance);
        EXPECT_EQ(cities[4]->sortieCount, 0);
        EXPECT_EQ(cities[0]->settings[4], 1);
        EXPECT_EQ(cities[0]->statusTimer, c.fieldGenerals < 30 ? 1 : 0);
    }
}

} // namespace

namespace {

struct TickingTroop : Troop {
    TickingTroop() : Troop(-1, 0, 0, 0, 0, 0, 0, nullptr) {}
    void TickStatus() override { ++ticks; }
    int ticks = 0;
};

TEST(KingdomTest, FieldUnitsCountTheirDaysOnTheHostOnly) {
    for (bool client : {false, true}) {
        SCOPED_TRACE(client);
        StageRecords world;
        TheGameController->networked = client ? 1 : 0;
        Kingdom k;
        auto* waiting = new TickingTroop;
        waiting->officer = new OfficerRecord(1, -1);
        waiting->officer->Set(188, 2); // "初始天條件"
        auto* still = new TickingTroop;
        still->routeWait = -1;
        k.AddFieldUnit(waiting);
        k.AddFieldUnit(still);
        for (int day = 0; day < 3; ++day)
            k.TickFieldUnits();
        EXPECT_EQ(waiting->officer->Get(188), client ? 2 : 0);
        EXPECT_EQ(waiting->routeWait, client ? 0 : 3);
        EXPECT_EQ(waiting->ticks, client ? 0 : 3);
        EXPECT_EQ(still->routeWait, -1);
        EXPECT_EQ(still->ticks, client ? 0 : 3);
    }
}

// A general in the field regains one skill point once its counter passes the interval (2 by
// default); one that is full, or not a general, counts nothing; a client leaves it to the host.
TEST(KingdomTest, FieldGeneralsRegainSkillPowerAfterTheInterval) {
    for (bool client : {false, true}) {
        SCOPED_TRACE(client);
        StageRecords world;
        TheGameController->networked = client ? 1 : 0;
        Kingdom k;
        auto makeUnit = [&](int32_t attribute, int32_t mp) {
            auto* t = new Troop(-1, 0, 0, 0, 0, 0, 0, nullptr);
            t->officer = new OfficerRecord(1, -1);
            t->officer->Set(OfficerLayout::kAttribute, attribute);
            t->officer->Set(OfficerLayout::kMp, mp);
            t->officer->Set(OfficerLayout::kMaxMp, 5);
            k.AddFieldUnit(t);
            return t;
        };
        Troop* tired = makeUnit(1, 3);
        Troop* full = makeUnit(1, 5);
        Troop* soldier = makeUnit(0, 3);
        const int32_t expected[6] = {3, 3, 4, 4, 4, 5}; // gains on days 3 and 6
        for (int day = 0; day < 6; ++day) {
            k.TickFieldUnits();
            EXPECT_EQ(tired->officer->Get(OfficerLayout::kMp), client ? 3 : expected[day])
                << "day " << day + 1;
        }
        EXPECT_EQ(k.fieldGeneralCount, client ? 0 : 2);
        EXPECT_EQ(tired->officer->workCounters[1], 0);
        EXPECT_EQ(full->officer->Get(OfficerLayout::kMp), 5);
        EXPECT_EQ(full->officer->workCounters[1], 0);
        EXPECT_EQ(soldier->officer->Get(OfficerLayout::kMp), 3);
        EXPECT_EQ(soldier->officer->workCounters[1], 0);
    }
}

TEST(CityRecordTest, OwnerSettingsAndUnitsByPerson) {
    StageRecords world;
    auto* k = new Kingdom;
    world.stage->AddKingdom(k);
    k->nationIndex = 4;
    for (int i = 0; i < 5; ++i)
        k->SetInt(KingdomLayout::kPatrol + 4 * i, 10 + i);
    City city(4, 0);
    city.CopyOwnerSettings();
    EXPECT_EQ(std::vector<uint8_t>(city.settings, city.settings + 5),
              (std::vector<uint8_t>{10, 11, 12, 13, 14}));
    City stray(9, 0);
    stray.settings[0] = 7;
    stray.CopyOwnerSettings();
    EXPECT_EQ(stray.settings[0], 7);

    auto* guan = new Troop(-1, 0, 0, 0, 0, 0, 0, nullptr);
    guan->officer = General(7, "Guan");
    city.units.Add(reinterpret_cast<uintptr_t>(new Troop(-1, 0, 0, 0, 0, 0, 0, nullptr)));
    city.units.Add(reinterpret_cast<uintptr_t>(guan));
    EXPECT_EQ(city.FindUnitByPersonId(7), guan);
    EXPECT_EQ(city.FindUnitByPersonId(8), nullptr);
}

} // namespace
