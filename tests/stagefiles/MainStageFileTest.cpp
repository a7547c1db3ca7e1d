#include "stagefiles/MainStageLayout.h"
#include "support/StageBytes.h"
#include "tests/stagefiles/MainStageFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace mainstagetest;
using testsupport::StageBytes;

namespace {

// Where the blocks of the fixture's file lie: the first kingdom's state block and the first
// city's state block.
constexpr size_t kKingdomCountAt = 4 + 4 + 80 + 4 + 64;
constexpr size_t kFirstKingdomStateAt = kKingdomCountAt + 4 + 4 + 100 + 4;
constexpr size_t kFirstCityAt = kFirstKingdomStateAt + 1116 + 4;
constexpr size_t kFirstCityStateAt = kFirstCityAt + 4 + 392 + 4;

City* CityAt(int id) {
    return TheBattleMap->CityById(id);
}

int Read(TemplateTables& tables, const std::vector<uint8_t>& bytes, StageLoadMode mode) {
    TheGameController->freshStage = mode == StageLoadMode::Fresh ? 1 : 0;
    StageReader in(bytes, mode);
    return tables.ReadMainFile(in);
}

// Equal bytes; otherwise where they first differ.
void ExpectSameBytes(const std::vector<uint8_t>& got, const std::vector<uint8_t>& want) {
    EXPECT_EQ(got.size(), want.size());
    const auto diff = std::mismatch(got.begin(), got.end(), want.begin(), want.end());
    EXPECT_TRUE(diff.first == got.end() && diff.second == want.end())
        << "first difference at byte " << (diff.first - got.begin());
}

std::vector<uint8_t> Written() {
    StageWriter out;
    out.u32(1);
    TemplateTables tables;
    tables.WriteMainFile(out);
    return out.bytes();
}

} // namespace

TEST(MainStageFile, SaveRestoreRewritesTheSameBytes) {
    std::vector<uint8_t> file;
    {
        MainWorld w;
        file = w.MainFile();
    }
    trooptest::Battle battle;
    FillItemTable();
    TemplateTables tables;
    ASSERT_EQ(Read(tables, file, StageLoadMode::Restore), 1);

    Zu_StageSet* stage = TheBattleMap->stageSet;
    ASSERT_NE(stage, battle.stage);
    ASSERT_EQ(TheBattleMap->scenario->stageRecords.GetCount(), 1);
    EXPECT_EQ(stage->Name(), "Stage");
    EXPECT_EQ(stage->stageWords[7], 107);
    EXPECT_EQ(stage->monthsElapsed, 14);
    const auto kingdoms = ListValues<Kingdom>(*stage->kingdoms);
    ASSERT_EQ(kingdoms.size(), 2u);
    EXPECT_EQ(kingdoms[0]->nationIndex, kIndexA);
    EXPECT_EQ(kingdoms[1]->nationIndex, kIndexB);
    EXPECT_EQ(TheBattleMap->kingdomTable[kIndexB], kingdoms[1]);
    EXPECT_EQ(kingdoms[1]->tally[3], 11);
    EXPECT_EQ(kingdoms[0]->ownColour, 0x1234);
    EXPECT_EQ(KingdomColourTable[kIndexB][7], 0x4321);
    EXPECT_EQ(stage->playerKingdom, kingdoms[0]);
    EXPECT_EQ(stage->playerFirstCity, CityAt(kCity1));

    City* c1 = CityAt(kCity1);
    ASSERT_TRUE(c1 && CityAt(kCity2) && CityAt(kCity3));
    EXPECT_EQ(c1->parent, c1);
    EXPECT_EQ(CityAt(kCity2)->parent, c1);
    EXPECT_EQ(c1->generals.GetCount(), 1);
    EXPECT_EQ(TheBattleMap->scenario->stageGenerals.GetCount(), 2); // with the sub-castle's
    ASSERT_EQ(c1->subCastles.GetCount(), 1);
    ASSERT_EQ(c1->sites.GetCount(), 1);
    EXPECT_EQ(reinterpret_cast<SavedRecord*>(c1->sites.First())->work, 30);
    ASSERT_EQ(c1->trainingQueue.GetCount(), 1);
    auto* link = reinterpret_cast<TrainingEntry*>(c1->trainingQueue.First());
    EXPECT_EQ(link->templateNumber, 415);
    EXPECT_EQ(link->days, 6u);
    EXPECT_EQ(c1->ItemStock().GetCount(), 2);
    EXPECT_EQ(c1->ItemStock().GetAt(1), 5u);
    ASSERT_EQ(c1->reserve.GetCount(), 2);
    for (Troop* t : ListValues<Troop>(c1->reserve)) {
        EXPECT_EQ(t->garrison, 1);
        EXPECT_EQ(t->homeCity, kCity1);
    }
    EXPECT_EQ(c1->buildings[0], 1002);
    EXPECT_EQ(c1->cycleCounter, 4);
    EXPECT_EQ(c1->muster[2], 9);
    EXPECT_EQ(CityAt(kCity3)->Scale(), 0);
    EXPECT_EQ(TheScreenSettings->musicVolume, 3);
    EXPECT_EQ(TheScreenSettings->day, 21);
    EXPECT_EQ(TheGameController->gameKind, 2);
    EXPECT_EQ(TheGameController->currentGroup, 2);
    EXPECT_EQ(TheGameController->stageListChoice, 4);
    EXPECT_EQ(TheGameController->campaignStage, 17);

    ExpectSameBytes(Written(), file);
}

TEST(MainStageFile, FreshStageRenumbersAndResets) {
    std::vector<uint8_t> file;
    {
        MainWorld w;
        file = w.MainFile();
    }
    trooptest::Battle battle;
    FillItemTable();
    TheBattleMap->nextUnitId = 600;
    std::fill(std::begin(TheBattleMap->sideActive), std::end(TheBattleMap->sideActive), uint8_t(0));
    TemplateTables tables;
    ASSERT_EQ(Read(tables, file, StageLoadMode::Fresh), 1);

    const auto kingdoms = ListValues<Kingdom>(*TheBattleMap->stageSet->kingdoms);
    ASSERT_EQ(kingdoms.size(), 2u);
    EXPECT_EQ(kingdoms[0]->nationIndex, 1);
    EXPECT_EQ(kingdoms[1]->nationIndex, 2);
    EXPECT_EQ(TheBattleMap->kingdomTable[2], kingdoms[1]);
    EXPECT_EQ(kingdoms[0]->tally[3], 0);
    EXPECT_EQ(kingdoms[0]->score, 0);
    EXPECT_EQ(kingdoms[0]->receivedUnits, 0);
    EXPECT_EQ(kingdoms[0]->goldTotal, 500); // not a counter
    EXPECT_EQ(TheBattleMap->stageSet->playerSide, 1);
    EXPECT_EQ(TheBattleMap->sideActive[1], 1);
    EXPECT_EQ(TheBattleMap->sideActive[127], 1);

    // Cities are numbered in file order across the kingdoms.
    ASSERT_EQ(TheBattleMap->cityCount, 3);
    City* c1 = CityAt(1);
    City* c2 = CityAt(2);
    City* c3 = CityAt(3);
    ASSERT_TRUE(c1 && c2 && c3);
    EXPECT_EQ(c3->ownerSide, 2);
    EXPECT_EQ(c1->subCastles.GetCount(), 1);
    for (Troop* t : ListValues<Troop>(c1->reserve))
        EXPECT_EQ(t->homeCity, 1);
    EXPECT_EQ(c1->buildings[0], 0);
    EXPECT_EQ(c1->statusFlags, 0);
    EXPECT_EQ(c1->markedMode, 0);
    EXPECT_EQ(c1->cycleCounter, 0);
    EXPECT_EQ(c1->rallyX, 6); // kept
    EXPECT_EQ(c2->Int(CityLayout::kPopulation), 0);
    EXPECT_EQ(c2->Int(CityLayout::kGold), 0);
    EXPECT_EQ(c2->Int(CityLayout::kFood), 0);
    EXPECT_EQ(c3->Scale(), 1);

    EXPECT_EQ(TheScreenSettings->musicVolume, 5);
    EXPECT_EQ(TheScreenSettings->gameSpeed, 5);
    EXPECT_EQ(TheGameController->gameKind, 0);
    EXPECT_EQ(TheBattleMap->nextUnitId, 600);
}

TEST(MainStageFile, PlayerKingdomIsTheFirstOfKindZero) {
    struct Case {
        const char* name;
        int controlled;   // "操控國id"
        int kindA, kindB; // "國家屬性"
        int playerSide;
        bool first; // the player kingdom is the first (else the second) kingdom
    };
    const Case cases[] = {
        {"named kingdom of kind 0", kIndexA, 0, 1, kIndexA, true},
        {"named kingdom of another kind", kIndexA, 1, 0, kIndexB, false},
        {"none named", 0, 1, 0, kIndexB, false},
        {"no kingdom of kind 0", kIndexB, 1, 1, kIndexB, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> file;
        {
            MainWorld w;
            w.battle.stage->SetColumn(StageBlockLayout::kPlayerSide, c.controlled);
            w.a->SetInt(KingdomLayout::kNationKind, c.kindA);
            w.b->SetInt(KingdomLayout::kNationKind, c.kindB);
            file = w.MainFile();
        }
        trooptest::Battle battle;
        TemplateTables tables;
        ASSERT_EQ(Read(tables, file, StageLoadMode::Restore), 1);
        Zu_StageSet* stage = TheBattleMap->stageSet;
        const auto kingdoms = ListValues<Kingdom>(*stage->kingdoms);
        Kingdom* player = kingdoms[c.first ? 0 : 1];
        EXPECT_EQ(stage->playerSide, c.playerSide);
        EXPECT_EQ(stage->playerKingdom, player);
        EXPECT_EQ(stage->playerCities, &player->cities);
        EXPECT_EQ(stage->playerFirstCity, reinterpret_cast<City*>(player->cities.First()));
    }
}

TEST(MainStageFile, BadOrRepeatedIndexesTakeFreeOnes) {
    struct Case {
        const char* name;
        int indexB;
        int idCity2, idCity3;
        int wantB;
        int want2, want3;
    };
    const Case cases[] = {
        {"indexes as stored", kIndexB, kCity2, kCity3, kIndexB, kCity2, kCity3},
        {"kingdom index repeated", kIndexA, kCity2, kCity3, 1, kCity2, kCity3},
        {"kingdom index 0", 0, kCity2, kCity3, 1, kCity2, kCity3},
        {"kingdom index past the table", 128, kCity2, kCity3, 1, kCity2, kCity3},
        {"city id repeated", kIndexB, kCity1, kCity2, kIndexB, 1, kCity2},
        {"city ids out of range", kIndexB, 0, 257, kIndexB, 1, 2},
        {"negative city id", kIndexB, -4, 256, kIndexB, 1, 256},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> file;
        {
            MainWorld w;
            w.b->nationIndex = c.indexB;
            w.city2->id = c.idCity2;
            w.city3->id = c.idCity3;
            file = w.MainFile();
        }
        trooptest::Battle battle;
        TemplateTables tables;
        ASSERT_EQ(Read(tables, file, StageLoadMode::Restore), 1);
        const auto kingdoms = ListValues<Kingdom>(*TheBattleMap->stageSet->kingdoms);
        EXPECT_EQ(kingdoms[0]->nationIndex, kIndexA);
        EXPECT_EQ(kingdoms[1]->nationIndex, c.wantB);
        EXPECT_EQ(TheBattleMap->kingdomTable[kIndexA], kingdoms[0]);
        EXPECT_EQ(TheBattleMap->kingdomTable[c.wantB], kingdoms[1]);
        const auto citiesA = ListValues<City>(kingdoms[0]->cities);
        const auto citiesB = ListValues<City>(kingdoms[1]->cities);
        EXPECT_EQ(citiesA[0]->id, kCity1);
        EXPECT_EQ(citiesA[1]->id, c.want2);
        EXPECT_EQ(citiesB[0]->id, c.want3);
        EXPECT_EQ(citiesB[0]->ownerSide, c.wantB);
        EXPECT_EQ(CityAt(c.want2), citiesA[1]);
        EXPECT_EQ(CityAt(c.want3), citiesB[0]);
    }
}

TEST(MainStageFile, EmptyMissingAndDamagedFilesLeaveTheWorldAsItWas) {
    std::vector<uint8_t> file;
    {
        MainWorld w;
        file = w.MainFile();
    }
    trooptest::Battle battle;
    FillItemTable();
    // What stood before the read: a kingdom with a city.
    Kingdom* before = battle.AddKingdom(2, true);
    City* beforeCity = battle.AddCity(before, 4, 4);
    auto unchanged = [&]() {
        EXPECT_EQ(TheBattleMap->stageSet, battle.stage);
        EXPECT_EQ(TheBattleMap->scenario->stageRecords.GetCount(), 0);
        EXPECT_EQ(TheBattleMap->scenario->stageGenerals.GetCount(), 0);
        EXPECT_EQ(TheBattleMap->kingdomTable[2], before);
        EXPECT_EQ(TheBattleMap->kingdomTable[kIndexA], nullptr);
        EXPECT_EQ(TheBattleMap->cityCount, 1);
        EXPECT_EQ(TheBattleMap->cities[0], beforeCity);
        EXPECT_EQ(TheBattleMap->CityById(kCity1), nullptr);
        EXPECT_TRUE(TheBattleMap->extraKingdoms.empty());
    };
    TemplateTables tables;
    EXPECT_EQ(tables.ReadMainFile("no such file"), 0);
    unchanged();
    EXPECT_EQ(Read(tables, StageBytes().u32(0).bytes(file).data(), StageLoadMode::Restore), 0);
    unchanged();

    struct Case {
        const char* name;
        size_t at;
        uint32_t value;
    };
    const Case cases[] = {
        {"kingdom count past the end", kKingdomCountAt, 0x7fffffff},
        {"negative kingdom count", kKingdomCountAt, 0xffffffff},
        {"city count past the end", kFirstKingdomStateAt, 100000},
        {"negative sub-castle count", kFirstCityStateAt + CityStateOffsets::kSubCastles, 0xfffffff0},
        {"site count past the end", kFirstCityStateAt + CityStateOffsets::kSites, 5000},
        {"value links past the end", kFirstCityStateAt + CityStateOffsets::kValueLinks, 0x10000000},
        {"stationed units past the end", kFirstCityStateAt + CityStateOffsets::kUnits, 0x20000},
        {"stage block longer than the file", 4, 0x100000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StageBytes damaged(file);
        damaged.put(c.at, c.value, 4);
        EXPECT_EQ(Read(tables, damaged, StageLoadMode::Restore), 0);
        unchanged();
    }
    // Cut anywhere, the file reads as nothing; the trailer's last word is read, no further.
    for (size_t cut = 1; cut < file.size(); cut += cut < 200 ? 1 : 37) {
        SCOPED_TRACE(cut);
        const std::vector<uint8_t> part(file.begin(), file.begin() + std::ptrdiff_t(cut));
        ASSERT_EQ(Read(tables, part, StageLoadMode::Restore), 0);
        unchanged();
    }
    const std::vector<uint8_t> lastWordShort(file.begin(), file.end() - 1);
    EXPECT_EQ(Read(tables, lastWordShort, StageLoadMode::Fresh), 0);
    unchanged();
    StageReader whole(file, StageLoadMode::Restore);
    EXPECT_EQ(tables.ReadMainFile(whole), 1);
    EXPECT_EQ(whole.remaining(), 0u);
}

TEST(MainStageFile, LongerBlocksAreReadToTheirSizeAndSkipped) {
    std::vector<uint8_t> file;
    {
        MainWorld w;
        file = w.MainFile();
    }
    // The stage block stored with 8 bytes more: the reader keeps 80 and skips the rest.
    std::vector<uint8_t> longer(file.begin(), file.begin() + 8 + 80);
    longer.insert(longer.end(), {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA});
    longer.insert(longer.end(), file.begin() + 8 + 80, file.end());

    StageBytes patched(longer);
    patched.put(4, 88, 4);
    trooptest::Battle battle;
    FillItemTable();
    TemplateTables tables;
    ASSERT_EQ(Read(tables, patched, StageLoadMode::Restore), 1);
    ExpectSameBytes(Written(), file);
}

TEST(MainStageFile, ReferencesAreStoredAsIndexes) {
    std::vector<uint8_t> file;
    {
        MainWorld w;
        w.a->mainCity = w.city2;
        Troop* leader = w.battle.AddTroop(w.a, 0, 0);
        w.a->fieldUnits.RemoveValue(uintptr_t(leader));
        leader->officer->Set(OfficerLayout::kPersonNumber, 77);
        w.city1->units.Add(uintptr_t(leader));
        w.city1->currentUnit = leader;
        Troop* tower = w.battle.AddTroop(w.a, 6, 8);
        tower->officer->Set(OfficerLayout::kPersonNumber, 453);
        tower->officer->Set(OfficerLayout::kHp, 120);
        w.city1->towers[1] = tower;
        City* village = w.AddCity(w.b, 40, 6, 30, 30);
        village->recruitCity = w.city3;
        TheGameController->selectedCity = w.city3;
        file = w.MainFile();

        const size_t state = kFirstCityStateAt;
        EXPECT_EQ(StageBytes::Field(file, kFirstKingdomStateAt + 4 * KingdomStateWords::kMarkedCity, 4),
                  uint32_t(kCity2));
        EXPECT_EQ(StageBytes::Field(file, state + CityStateOffsets::kLeader, 4), 77u);
        EXPECT_EQ(StageBytes::Field(file, state + CityStateOffsets::kUnitList, 4), 1u);
        for (uint32_t slot : {0u, 2u})
            for (uint32_t column : {CityStateOffsets::kTowerPerson, CityStateOffsets::kTowerX,
                                    CityStateOffsets::kTowerY, CityStateOffsets::kTowerHp})
                EXPECT_EQ(StageBytes::Field(file, state + column + 4 * slot, 4), 0u);
        EXPECT_EQ(StageBytes::Field(file, state + CityStateOffsets::kTowerPerson + 4, 4), 453u);
        EXPECT_EQ(StageBytes::Field(file, state + CityStateOffsets::kTowerHp + 4, 4), 120u);
        TheGameController->selectedCity = nullptr;
        w.city1->units.RemoveAll();
        w.city1->currentUnit = nullptr;
        delete leader;
        w.city1->towers[1] = nullptr;
    }
    trooptest::Battle battle;
    TemplateTables tables;
    ASSERT_EQ(Read(tables, file, StageLoadMode::Restore), 1);
    Kingdom* a = reinterpret_cast<Kingdom*>(TheBattleMap->stageSet->kingdoms->First());
    EXPECT_EQ(a->markedCityId, kCity2);
    EXPECT_EQ(a->mainCity, nullptr); // the loader's binding links it
    City* c1 = CityAt(kCity1);
    EXPECT_EQ(c1->leaderPersonNumber, 77);
    EXPECT_EQ(c1->towerRecords[1][0], 453);
    EXPECT_EQ(c1->towerRecords[1][1], 6);
    EXPECT_EQ(c1->towerRecords[1][2], 8);
    EXPECT_EQ(c1->towerRecords[1][3], 120);
    City* village = CityAt(40);
    ASSERT_TRUE(village);
    EXPECT_EQ(village->targetCellX, 25);
    EXPECT_EQ(village->targetCellY, 20);
    EXPECT_EQ(tables.trailerSelectedCity, kCity3);
    EXPECT_EQ(tables.trailerViewCity, 0);
}

TEST(MainStageFile, ExtraKingdomsStayOutOfTheStageList) {
    std::vector<uint8_t> kept, outside;
    {
        MainWorld w;
        auto extra = std::make_unique<Kingdom>();
        extra->nationIndex = 20;
        extra->relations[20] = 1;
        extra->SetInt(KingdomLayout::kNationKind, 4);
        w.AddCity(extra.get(), 50, 0, 33, 33);
        TheBattleMap->extraKingdoms.push_back(std::move(extra));
        kept = w.MainFile();
        TheScreenSettings->mapKeptOutside = 1;
        outside = w.MainFile();
    }
    EXPECT_GT(kept.size(), outside.size());
    // Kingdoms, then the extra count, then the 22 trailer words.
    EXPECT_EQ(StageBytes::Field(outside, outside.size() - 23 * 4, 4), 0u);

    trooptest::Battle battle;
    FillItemTable();
    TheBattleMap->sideActive[20] = 1;
    TemplateTables tables;
    ASSERT_EQ(Read(tables, kept, StageLoadMode::Restore), 1);
    ASSERT_EQ(TheBattleMap->extraKingdoms.size(), 1u);
    Kingdom* extra = TheBattleMap->extraKingdoms[0].get();
    EXPECT_EQ(TheBattleMap->stageSet->kingdoms->GetCount(), 2);
    EXPECT_EQ(TheBattleMap->kingdomTable[20], extra);
    EXPECT_EQ(TheBattleMap->sideActive[20], 0);
    ASSERT_TRUE(CityAt(50));
    EXPECT_EQ(CityAt(50)->parent, CityAt(50));
    ExpectSameBytes(Written(), kept);
}

TEST(MainStageFile, SaveMainFileWritesTheWholeFileInPlace) {
    MainWorld w;
    TemplateTables tables;
    ASSERT_EQ(tables.SaveMainFile("stage.stg"), 1);
    const std::vector<uint8_t> file = w.MainFile();
    EXPECT_EQ(StageReader::ReadFile("stage.stg"), file);

    TheBattleMap->stageSet = nullptr;
    ASSERT_EQ(tables.SaveMainFile("empty.stg"), 1);
    EXPECT_EQ(StageReader::ReadFile("empty.stg"), StageBytes().u32(0).data());
    EXPECT_EQ(tables.ReadMainFile("empty.stg"), 0);
    EXPECT_EQ(TheBattleMap->stageSet, nullptr);

    TheGameController->freshStage = 0;
    TheGameController->gameKind = 0; // officers take their rank by the kind the game had
    ASSERT_EQ(tables.ReadMainFile("stage.stg"), 1);
    EXPECT_NE(TheBattleMap->stageSet, w.battle.stage);
    ExpectSameBytes(Written(), file);
}

TEST(MainStageFile, ACityReadOutsideTheMapTakesNoPlaceInIt) {
    std::vector<uint8_t> record;
    {
        MainWorld w;
        StageWriter out;
        TemplateTables tables;
        tables.WriteCity(out, *w.city1);
        record = out.bytes();
    }
    trooptest::Battle battle;
    FillItemTable();
    TemplateTables tables;
    City city(1);
    StageReader in(record, StageLoadMode::Fresh);
    ASSERT_EQ(tables.ReadCity(in, city, false), 1);
    EXPECT_EQ(in.remaining(), 0u);
    EXPECT_EQ(city.id, kCity1);
    EXPECT_EQ(TheBattleMap->cityCount, 0);
    EXPECT_EQ(TheBattleMap->CityById(kCity1), nullptr);
    EXPECT_EQ(TheBattleMap->scenario->stageCities.GetCount(), 0);
    EXPECT_EQ(city.generals.GetCount(), 1);
    EXPECT_EQ(city.reserve.GetCount(), 2);
}

TEST(MainStageFile, ValuesOutsideTheirTablesAreBounded) {
    std::vector<uint8_t> file;
    {
        MainWorld w;
        file = w.MainFile();
    }
    const size_t groupWord = file.size() - 4 * size_t(MainStageLayout::kTrailerWords - 13);
    const size_t nationAt = kKingdomCountAt + 4 + 4 + KingdomLayout::kNation;
    NationColourTable[15][7] = 0x0F0F;
    struct Case {
        const char* name;
        int32_t group, nation;
        int8_t wantGroup;
        uint16_t wantColour;
    };
    const Case cases[] = {
        {"as stored", 2, 3, 2, 0x1234},
        {"group past the ten", 10, 3, -1, 0x1234},
        {"negative group", -5, 3, -1, 0x1234},
        {"nation past the colour ramps", 9, 200, 9, 0x0F0F},
        {"negative nation", 9, -1, 9, NationColourTable[0][7]},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StageBytes patched(file);
        patched.put(groupWord, uint32_t(c.group), 4).put(nationAt, uint32_t(c.nation), 4);
        trooptest::Battle battle;
        TemplateTables tables;
        ASSERT_EQ(Read(tables, patched, StageLoadMode::Restore), 1);
        EXPECT_EQ(TheGameController->currentGroup, c.wantGroup);
        auto* a = reinterpret_cast<Kingdom*>(TheBattleMap->stageSet->kingdoms->First());
        EXPECT_EQ(a->ownColour, c.wantColour);
        EXPECT_EQ(KingdomColourTable[kIndexA][7], c.wantColour);
    }
}
