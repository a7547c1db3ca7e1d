#include "StageRecordFixture.h"

#include <gtest/gtest.h>

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
        {10, 0, false, 11}, {10, 1, false, 11}, {10, 2, false, 14}, {10, 4, false, 20},
        {10, 5, true, 17},  {20, 5, true, 25},  {20, 0, true, 21},  {7, 3, true, 12},
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

// A kingdom of two cities with generals, saved as the stage file holds it.
std::vector<uint8_t> SavedKingdom() {
    Kingdom k;
    k.SetText(K::kName, 20, "Cao");
    k.SetInt(K::kNation, 3);
    k.SetInt(96, 0x12345678); // the spare dword
    for (const char* name : {"Xu", "Ye"}) {
        auto* city = new City;
        city->SetText(C::kName, 20, name);
        city->generals.Add(reinterpret_cast<uintptr_t>(General(1, name)));
        k.cities.Add(reinterpret_cast<uintptr_t>(city));
    }
    ByteWriter out;
    k.Save(out);
    return out.buffer();
}

TEST(KingdomTest, SectionRoundTripsAndItsCitiesTakeTheNextIdsAndSide) {
    StageRecords world;
    const std::vector<uint8_t> bytes = SavedKingdom();
    ASSERT_EQ(bytes.size(), 108u + 2 * (400 + 436));
    World().sideCount = 4;
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
    EXPECT_EQ(At<OfficerRecord>(ye->generals, 0)->ownerSide, 5);
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
        World().sideCount = c.sides;
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
        for (Troop*& p : pieces)
            p = new Troop;
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
    EXPECT_EQ(onXu->pieces[7]->maxStamina, 100);
    EXPECT_EQ(onXu->pieces[7]->homeCityId, xu->id);
    ASSERT_EQ(ye->gates.GetCount(), 1); // the stale entry is gone
    EXPECT_EQ(At<CastleGate>(ye->gates, 0), onYe);
    EXPECT_EQ(onYe->pieces[0]->stamina, 200);
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
