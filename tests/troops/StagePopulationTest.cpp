#include "PersonsFixture.h"

#include "engine/Random.h"
#include "records/ScenarioData.h"
#include "records/StagePopulation.h"

#include <gtest/gtest.h>

#include <string>

using namespace trooptest;

namespace {

using L = OfficerLayout;
constexpr uint32_t kCopiedCity = 108; // "複製城"

// A synthetic stage: the people's kingdom (town of kind 6, capital), a kingdom whose first city is
// not a capital, and the stronghold kingdom with one stronghold of each garrisoned kind.
struct Stage {
    People p;
    Kingdom* people = p.AddKingdom(2);
    Kingdom* lord = p.AddKingdom(3);
    Kingdom* late = p.AddKingdom(4);
    Kingdom* strongholds = p.AddKingdom(5);
    std::vector<City*> cities;

    explicit Stage(uint32_t seed, int campaign, bool networked, bool host) {
        for (int n = 406; n <= 437; ++n)
            p.Template(n);
        Battle::SetKingdomValue(people, KingdomLayout::kNationKind, 2);
        Battle::SetKingdomValue(strongholds, KingdomLayout::kNationKind, 3);
        Battle::SetKingdomValue(strongholds, 56, 4); // "武將警戒"
        Battle::SetKingdomValue(strongholds, 60, 6); // "武將追捕"
        Battle::SetKingdomValue(strongholds, 64, 1); // "武將撤退"
        cities.push_back(p.AddCity(people, 2, 2, 6));
        cities.push_back(p.AddCity(people, 4, 4, 0));
        p.AddSubCastle(cities.back(), 4);
        p.AddSubCastle(cities.back(), 5);
        cities.push_back(p.AddCity(lord, 6, 6, 0));
        p.AddSubCastle(cities.back(), 4);
        cities.push_back(p.AddCity(late, 8, 8, 1));
        cities.push_back(p.AddCity(late, 10, 10, 0)); // after a city of another kind: no keeper
        p.AddSubCastle(cities.back(), 4);
        for (int kind : {2, 3, 10, 7, 7, 5}) {
            cities.push_back(p.AddCity(strongholds, 12, 12, kind));
            // An old garrison officer and troop that the new garrison replaces.
            City* c = cities.back();
            c->generals.Add(reinterpret_cast<uintptr_t>(p.Officer(strongholds->nationIndex, 1)));
            c->units.Add(reinterpret_cast<uintptr_t>(new Troop(1, 10, 0, 0, int8_t(strongholds->nationIndex),
                                                               int16_t(c->id), 100,
                                                               p.Officer(strongholds->nationIndex, 1))));
        }
        cities[cities.size() - 3]->SetInt(kCopiedCity, 61);
        cities[cities.size() - 2]->SetInt(kCopiedCity, 99);
        GameController* c = TheGameController;
        c->campaignStage = uint8_t(campaign);
        c->networked = networked;
        c->isHost = host;
        c->syncRandom = seed;
        BindSyncRandom(&c->syncRandom, &c->networked);
    }
    ~Stage() { BindSyncRandom(nullptr, nullptr); }

    // What the stage holds, one line a place: city index, the list, and who is in it.
    std::vector<std::string> Census() {
        std::vector<std::string> out;
        for (size_t i = 0; i < cities.size(); ++i) {
            City* c = cities[i];
            std::string line = std::to_string(i) + ":";
            for (Troop* t : People::Troops(c->units))
                line += " u" + std::to_string(t->OfficerValue(L::kPersonNumber));
            for (uintptr_t v = c->generals.First(); v != 0; v = c->generals.Next())
                line += " g" + std::to_string(reinterpret_cast<OfficerRecord*>(v)->Get(L::kPersonNumber));
            for (uintptr_t v = c->subCastles.First(); v != 0; v = c->subCastles.Next()) {
                auto* sub = reinterpret_cast<SubCastle*>(v);
                line += " [" + std::to_string(sub->Kind());
                if (sub->keeper) line += " k" + std::to_string(sub->keeper->OfficerValue(L::kPersonNumber));
                for (Troop* t : People::Troops(sub->secondUnits))
                    line += " p" + std::to_string(t->OfficerValue(L::kPersonNumber));
                line += "]";
            }
            out.push_back(line);
        }
        return out;
    }
};

TEST(StagePopulation, ASyntheticStageMatchesItsGoldenList) {
    Stage s(12345, 1, true, true);
    PopulateStageCities();
    // The people's first city is a town, so its capital after it gets no keeper; the lord's capital
    // gets one and two persons; strongholds 9 (copying nothing) and 10 (kind 5) keep their people.
    const std::vector<std::string> golden = {
        "0: u403 u402 u402 u401",
        "1: [4] [5]",
        "2: [4 k444 p401 p403]",
        "3:",
        "4: [4]",
        "5: u406",
        "6: u433",
        "7: u436",
        "8: u433 g433",
        "9: u0 g0",
        "10: u0 g0",
    };
    EXPECT_EQ(s.Census(), golden);
    EXPECT_EQ(PersonCount, 2);
}

TEST(StagePopulation, EveryStationBuildsTheSamePopulation) {
    std::vector<std::string> host, client;
    for (int campaign : {1, 3, 6}) {
        {
            Stage s(777, campaign, true, true);
            PopulateStageCities();
            host = s.Census();
        }
        {
            Stage s(777, campaign, true, false);
            PopulateStageCities();
            client = s.Census();
        }
        EXPECT_EQ(host, client) << campaign;
    }
}

TEST(StagePopulation, StrongholdGarrisonsGrowWithTheCampaign) {
    for (int campaign : {1, 6}) {
        Stage s(99, campaign, false, false);
        PopulateStageCities();
        City* kind2 = s.cities[5];
        const int n = kind2->units.GetCount();
        if (campaign == 1) EXPECT_EQ(n, 1);
        if (campaign == 6) {
            EXPECT_GE(n, 6);
            EXPECT_LE(n, 11);
        }
        for (Troop* t : People::Troops(kind2->units)) {
            const int32_t tmpl = t->OfficerValue(L::kPersonNumber);
            EXPECT_TRUE(tmpl >= 406 && tmpl <= 408) << tmpl;
            EXPECT_EQ(t->garrison, 1);
            EXPECT_EQ(t->homeCity, kind2->id);
            EXPECT_EQ(t->order->alert, 4);
            EXPECT_EQ(t->order->pursue, 6);
            EXPECT_EQ(t->OfficerValue(L::kRetreat), 1);
        }
        // A kind-7 stronghold copying a kind-3 one keeps an officer record for every troop.
        City* copied = s.cities[8];
        EXPECT_EQ(copied->generals.GetCount(), copied->units.GetCount());
        for (uintptr_t v = copied->generals.First(); v != 0; v = copied->generals.Next()) {
            EXPECT_EQ(reinterpret_cast<OfficerRecord*>(v)->Get(L::kRetreat), 2);
            EXPECT_EQ(reinterpret_cast<OfficerRecord*>(v)->Get(L::kActionAi), 1);
        }
        // Copying no garrisoned kind, or of a kind without garrisons, keeps the old people.
        for (size_t i : {size_t(9), size_t(10)}) {
            EXPECT_EQ(s.cities[i]->units.GetCount(), 1);
            EXPECT_EQ(People::TemplatesOf(s.cities[i]->units), std::vector<int32_t>{0});
        }
    }
}

TEST(StagePopulation, NothingWithoutItsKingdomsOrOutsideTheCampaigns) {
    {
        Stage s(5, 1, false, false);
        Battle::SetKingdomValue(s.people, KingdomLayout::kNationKind, 0);
        Battle::SetKingdomValue(s.strongholds, KingdomLayout::kNationKind, 0);
        const std::vector<std::string> before = s.Census();
        PopulateStageCities();
        EXPECT_EQ(s.Census(), before);
    }
    for (int campaign : {0, 7, 11}) {
        Stage s(5, campaign, false, false);
        const std::vector<std::string> before = s.Census();
        PopulateStageCities();
        EXPECT_EQ(s.Census(), before) << campaign;
    }
    {
        // The fixed network maps are not populated.
        Stage s(5, 1, true, true);
        TheGameController->roomMapKind = 1;
        const std::vector<std::string> before = s.Census();
        PopulateStageCities();
        EXPECT_EQ(s.Census(), before);
    }
}

TEST(StagePopulation, ClearingACityLetsGoOfEveryReference) {
    Stage s(5, 1, false, false);
    City* c = s.cities[5];
    Troop* old = People::Troops(c->units).at(0);
    auto* officer = reinterpret_cast<OfficerRecord*>(c->generals.First());
    // The old troop is selected and in a hot-key group; its officer is listed by the scenario.
    TheGameController->selection->Add(reinterpret_cast<uintptr_t>(old));
    TheGameController->groups[3]->Add(reinterpret_cast<uintptr_t>(old));
    TheGameController->currentTroop = old;
    ScenarioData* scenario = TheBattleMap->scenario;
    ASSERT_NE(scenario, nullptr);
    scenario->stageGenerals.Add(reinterpret_cast<uintptr_t>(officer));
    s.strongholds->mapGenerals.Add(reinterpret_cast<uintptr_t>(officer));
    ClearCityPeople(c);
    EXPECT_EQ(c->units.GetCount(), 0);
    EXPECT_EQ(c->generals.GetCount(), 0);
    EXPECT_EQ(TheGameController->selection->GetCount(), 0);
    EXPECT_EQ(TheGameController->groups[3]->GetCount(), 0);
    EXPECT_EQ(TheGameController->currentTroop, nullptr);
    EXPECT_EQ(scenario->stageGenerals.GetCount(), 0);
    EXPECT_EQ(s.strongholds->mapGenerals.GetCount(), 0);
}

} // namespace
