#include "CityWorksFixture.h"

#include <gtest/gtest.h>

using namespace cityworks;

namespace {

// A one-cell farm-table picture whose layer tile names it.
void Picture(int n, uint16_t tile) {
    auto p = std::make_unique<FootprintPattern>();
    p->width = 1;
    p->height = 1;
    p->cellTiles = {tile};
    Footprints().farm[n] = std::move(p);
}

TEST(CityConstructionTest, ASiteShowsItsStagesAndFinishesOnTheTenthDay) {
    Works w;
    w.NetworkHost();
    for (int s = 0; s < 4; ++s) {
        Picture(2 + s, uint16_t(0x100 + s)); // farm stages
        Picture(6 + s, uint16_t(0x200 + s)); // other kinds' stages
    }
    Picture(0, 0x300); // the finished farm
    struct Case {
        int kind;
        uint16_t stageTile; // tile of stage 1; stages 2 and 3 follow it
        uint16_t finishedTile;
    };
    for (const Case& c : {Case{3, 0x201, 0}, Case{0, 0x101, 0x300}}) {
        SCOPED_TRACE(c.kind);
        Sent().clear();
        auto* site = new SavedRecord(6, 50, c.kind);
        w.city->sites.Add(uintptr_t(site));
        w.city->buildings[c.kind] = 1000;
        MapCell* cell = TheBattleMap->CellAt(6, 50);
        cell->layerTile = 0;
        std::vector<int> stages;
        std::vector<uint16_t> tiles;
        for (int day = 1; day <= 12; ++day) {
            w.city->TickConstruction();
            stages.push_back(site->work >= 100 ? 9 : site->shownStage);
            tiles.push_back(cell->layerTile);
        }
        EXPECT_EQ(stages, (std::vector<int>{0, 0, 1, 1, 2, 2, 2, 3, 3, 9, 9, 9}));
        const uint16_t s1 = c.stageTile, s2 = uint16_t(s1 + 1), s3 = uint16_t(s1 + 2);
        EXPECT_EQ(tiles[2], s1);
        EXPECT_EQ(tiles[4], s2);
        EXPECT_EQ(tiles[7], s3);
        if (c.finishedTile) {
            EXPECT_EQ(tiles[9], c.finishedTile);
        }
        EXPECT_EQ(site->work, 100);
        EXPECT_EQ(w.city->buildings[c.kind], 1001) << "finished once, whatever the later days";
        // The peers hear of each new stage and of the finish.
        const int32_t id = w.city->id;
        EXPECT_EQ(Sent(), (std::vector<SentRecord>{{0x305, id, 6, 50, 30},
                                                   {0x305, id, 6, 50, 50},
                                                   {0x305, id, 6, 50, 80},
                                                   {0x305, id, 6, 50, 100}}));
        w.city->sites.RemoveValue(uintptr_t(site));
        delete site;
    }
}

TEST(CityConstructionTest, APeerCountsAFinishedBuildingFromItsRecordOnceAndSendsNothing) {
    Works w;
    TheGameController->networked = 1; // a client
    auto* site = new SavedRecord(6, 50, 7);
    w.city->sites.Add(uintptr_t(site));
    w.city->buildings[7] = 1000;
    SavedRecord* found = w.city->FindSiteAt(6, 50);
    ASSERT_EQ(found, site);
    found->work = 100;
    w.city->ApplyConstructionProgress(found);
    EXPECT_EQ(w.city->buildings[7], 1001);
    EXPECT_EQ(site->shownStage, 0);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(w.city->FindSiteAt(7, 50), nullptr);
}

TEST(CityConstructionTest, TheTrainingQueueFillsFromTheTreasuryAndSoldiersJoinTheReserve) {
    Works w;
    // Template 415 trains soldier type 85; type 85 costs 10 gold, 5 food, 20 people and 2 days.
    w.Template(415, 85);
    w.Type(85, {{72, 10}, {76, 5}, {68, 20}, {80, 2}});
    w.city->SetInt(CityLayout::kGold, 35);
    w.city->SetInt(CityLayout::kFood, 100);
    w.city->SetInt(CityLayout::kPopulation, 100);
    w.city->QueueTraining(6, 6);
    EXPECT_EQ(w.city->trainingQueue.GetCount(), 3) << "the fourth soldier's gold is missing";
    EXPECT_EQ(w.city->Int(CityLayout::kGold), 5);
    EXPECT_EQ(w.city->Int(CityLayout::kFood), 85);
    EXPECT_EQ(w.city->Int(CityLayout::kPopulation), 40);
    // A queue that is not empty takes no more.
    w.city->SetInt(CityLayout::kGold, 1000);
    w.city->QueueTraining(6, 6);
    EXPECT_EQ(w.city->trainingQueue.GetCount(), 3);

    std::vector<int> reserve;
    for (int day = 0; day < 9; ++day) {
        w.city->TickTraining();
        reserve.push_back(w.city->reserve.GetCount());
    }
    EXPECT_EQ(reserve, (std::vector<int>{0, 0, 1, 1, 1, 2, 2, 2, 3}));
    auto* soldier = reinterpret_cast<Troop*>(w.city->reserve.First());
    ASSERT_NE(soldier, nullptr);
    EXPECT_EQ(soldier->officer->Get(OfficerLayout::kPersonNumber), 415);
    EXPECT_EQ(soldier->homeCity, w.city->id);
    EXPECT_EQ(soldier->owner, 1);
    EXPECT_EQ(soldier->arranged, 1);

    // Kinds without a trainee template queue nothing.
    w.city->QueueTraining(3, 6);
    EXPECT_EQ(w.city->trainingQueue.GetCount(), 0);
}

TEST(CityConstructionTest, TrainingKindsFollowThePopulationBandsAndTheCityActionDay) {
    Works w;
    w.city->id = 7;
    struct Case {
        const char* what;
        int32_t population;
        std::vector<int> built; // kinds with a finished barracks
        int32_t day;
        int32_t expected;
    };
    const Case cases[] = {
        {"too few people", 1999, {6, 9, 12}, 0, -1},
        {"band 0 finds its only barracks", 2000, {12}, 0, 12},
        {"band 0 cannot use a band 1 barracks", 4999, {7}, 0, -1},
        {"band 1 falls through to band 0", 5000, {9}, 0, 9},
        {"the city-action day takes the best engineer works", 2500, {12, 13, 14}, 7, 14},
        {"the city-action day without works", 2500, {6}, 7, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::fill(std::begin(w.city->buildings), std::end(w.city->buildings), 0);
        for (int k : c.built)
            w.city->buildings[k] = 1001;
        w.city->SetInt(CityLayout::kPopulation, c.population);
        TheScreenSettings->day = c.day;
        EXPECT_EQ(w.city->ChooseTrainingKind(), c.expected);
    }
}

TEST(CityConstructionTest, DevelopmentChoicesFollowTheirRules) {
    struct Case {
        const char* what;
        int32_t size, gold, population, development, commerce;
        std::vector<int> buildings; // kinds with a finished building
        bool emptyPlot;
        DevelopmentChoice::Kind what_;
        std::vector<int> kinds; // acceptable building kinds
        int32_t goldAfter, sizeAfter;
    };
    const Case cases[] = {
        {"no engineer works: build them first",
         2,
         500,
         100,
         0,
         0,
         {},
         true,
         DevelopmentChoice::Build,
         {13},
         400,
         2},
        {"commerce far ahead: farms, even without engineer works",
         1,
         500,
         100,
         0,
         30,
         {},
         true,
         DevelopmentChoice::Build,
         {0, 1},
         400,
         1},
        {"development far ahead: markets",
         1,
         500,
         100,
         30,
         0,
         {12},
         true,
         DevelopmentChoice::Build,
         {2, 3},
         400,
         1},
        {"the price is taken even when the gold falls short",
         1,
         40,
         100,
         0,
         30,
         {},
         true,
         DevelopmentChoice::Build,
         {0, 1},
         0,
         1},
        {"no empty plot builds nothing", 1, 500, 100, 0, 30, {}, false, DevelopmentChoice::None, {}, 500, 1},
        {"upgrade: people, gold and an upgraded barracks",
         1,
         500,
         1500,
         0,
         0,
         {9},
         true,
         DevelopmentChoice::Upgrade,
         {},
         400,
         2},
        {"one person short of the upgrade",
         1,
         500,
         1499,
         0,
         0,
         {9},
         true,
         DevelopmentChoice::Build,
         {12},
         400,
         1},
        {"a size-4 city is never upgraded",
         4,
         500,
         99999,
         0,
         0,
         {12, 13, 14, 15, 16, 17},
         true,
         DevelopmentChoice::Build,
         {},
         -1,
         4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (uint32_t seed : {1u, 7u, 12345u}) {
            Works w;
            w.city->SetInt(CityLayout::kScale, c.size);
            w.city->SetInt(CityLayout::kGold, c.gold);
            w.city->SetInt(CityLayout::kPopulation, c.population);
            w.city->SetInt(CityWorkColumns::kDevelopment, c.development);
            w.city->SetInt(CityWorkColumns::kCommerce, c.commerce);
            for (int k : c.buildings)
                w.city->buildings[k] = 1001;
            auto* plot = new SavedRecord(4, 44, -1);
            if (c.emptyPlot)
                w.city->sites.Add(uintptr_t(plot));
            else
                delete plot;
            platform::srand(seed);
            const DevelopmentChoice choice = w.city->ChooseDevelopment();
            if (c.size == 4) {
                EXPECT_NE(choice.what, DevelopmentChoice::Upgrade);
                EXPECT_EQ(w.city->Scale(), 4);
                continue;
            }
            EXPECT_EQ(choice.what, c.what_);
            if (!c.kinds.empty()) {
                EXPECT_NE(std::find(c.kinds.begin(), c.kinds.end(), choice.buildingKind), c.kinds.end())
                    << choice.buildingKind;
            }
            EXPECT_EQ(w.city->Int(CityLayout::kGold), c.goldAfter);
            EXPECT_EQ(w.city->Scale(), c.sizeAfter);
            if (choice.what == DevelopmentChoice::Build) {
                EXPECT_EQ(plot->kind, choice.buildingKind) << "the plot takes the kind";
                EXPECT_GE(w.city->BuildingCount(choice.buildingKind), 1000);
                EXPECT_EQ(plot->work, 0);
            }
        }
    }
}

TEST(CityConstructionTest, TheSameSeedGivesTheSameChoices) {
    auto run = [](uint32_t seed) {
        Works w;
        w.city->SetInt(CityLayout::kScale, 3);
        w.city->buildings[12] = 1001;
        w.city->SetInt(CityWorkColumns::kSpecialBarracks, 15);
        std::vector<int> kinds;
        platform::srand(seed);
        for (int i = 0; i < 40; ++i) {
            w.city->SetInt(CityLayout::kGold, 1000);
            w.city->sites.Add(uintptr_t(new SavedRecord(i, 44, -1)));
            const DevelopmentChoice c = w.city->ChooseDevelopment();
            kinds.push_back(c.what == DevelopmentChoice::Build ? c.buildingKind : -c.what);
        }
        return kinds;
    };
    const std::vector<int> a = run(99);
    EXPECT_EQ(a, run(99));
    // Farms, markets and temples all come up, and a size-3 military choice takes the special barracks.
    for (int k : {0, 2, 4, 15})
        EXPECT_NE(std::find(a.begin(), a.end(), k), a.end()) << k;
}

} // namespace

namespace {

TEST(CityConstructionTest, TheStrategyTurnRunsForAHumanSideOnlyWithItsToggle) {
    struct Case {
        const char* what;
        uint8_t sideActive, toggle;
        bool runs;
    };
    const Case cases[] = {
        {"a human side with the toggle", 0, 1, true},
        {"a human side without it", 0, 0, false},
        {"a computer side", 1, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Works w;
        TheBattleMap->sideActive[1] = c.sideActive;
        w.city->toggleFlag = c.toggle;
        w.city->SetInt(CityLayout::kGold, 500);
        w.city->sites.Add(uintptr_t(new SavedRecord(4, 44, -1)));
        w.city->pendingStatus = 0x100;
        w.city->StrategyTurn();
        EXPECT_EQ(w.city->Int(CityLayout::kGold), c.runs ? 400 : 500);
        EXPECT_EQ(w.city->statusFlags, c.runs ? 0x100 : 0);
    }
}

} // namespace
