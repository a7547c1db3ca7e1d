#include "BattleStageFixture.h"
#include "Program/VictoryDefeat.h"
#include "engine/ByteReader.h"
#include "events/EventRecord.h"
#include "records/ItemRecord.h"
#include "records/OfficerRecord.h"
#include "records/PassRecordTable.h"
#include "records/RecordTables.h"
#include "troops/CastleGate.h"
#include "troops/SoldierTypeColumns.h"
#include "troops/Troop.h"
#include "world/MapView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

using namespace battletest;

namespace {

const char kNewEra[] = "\xb7\x73\xbc\x57\xae\xc9\xa5\x4e"; // "新增時代"

std::vector<uintptr_t> Carried(Troop* t) {
    std::vector<uintptr_t> out;
    if (!t->carried) return out;
    for (uintptr_t v = t->carried->First(); v != 0; v = t->carried->Next())
        out.push_back(v);
    return out;
}

// The stage record exports like every other record: fifteen columns, the last block word left out.
TEST(StageSetTest, ExportsItsColumnsAsTabSeparatedText) {
    BattleStage world;
    Zu_StageSet* s = world.stage;
    s->SetColumn(StageBlockLayout::kPlayerSide, -2);
    s->SetColumn(76, 12345); // outside the columns
    std::string text;
    s->WriteTextHeader(text);
    s->WriteTextRow(text);
    // "關卡名稱", "操控國id" ... "結束月份"
    const std::string header = "\xc3\xf6\xa5\x64\xa6\x57\xba\xd9\t\xbe\xde\xb1\xb1\xb0\xea"
                               "id\t";
    EXPECT_EQ(text.substr(0, header.size()), header);
    const size_t rowStart = text.find('\n') + 1;
    EXPECT_EQ(std::count(text.begin(), text.begin() + rowStart, '\t'), 15);
    EXPECT_EQ(text.substr(rowStart - 10, 10), "\xb5\xb2\xa7\xf4\xa4\xeb\xa5\xf7\t\n");
    EXPECT_EQ(text.substr(rowStart),
              std::string(kNewEra) + "\t-2\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t1\t99\t0\t\n");
}

TEST(StageSetTest, NewRecordHasItsDefaults) {
    BattleStage world;
    Zu_StageSet* s = world.stage;
    EXPECT_EQ(s->Name(), kNewEra);
    for (int off = 20; off < 80; off += 4) {
        const int32_t expected = off == StageBlockLayout::kOpeningTalk ? 1
                                 : off == StageBlockLayout::kClearTalk ? 99
                                                                       : 0;
        EXPECT_EQ(s->Column(off), expected) << off;
    }
    EXPECT_EQ(s->kingdoms->GetCount(), 0);
    EXPECT_EQ(s->events->GetCount(), 0);
    auto* e = static_cast<events::EventRecord*>(s->NewChild(Zu_StageSet::kEventKind));
    EXPECT_EQ(s->events->GetCount(), 1);
    EXPECT_EQ(e->Caption(), "\xb7\x73\xbc\x57\xa8\xc6\xa5\xf3"); // "新增事件"
    s->RemoveChild(Zu_StageSet::kEventKind, e);
    EXPECT_EQ(s->events->GetCount(), 0);
}

TEST(StageSetTest, RemovingAKingdomRenumbersSidesOfUnitsAndCities) {
    BattleStage world;
    world.AddKingdom();
    Kingdom* second = world.AddKingdom();
    Kingdom* third = world.AddKingdom(0, 0, true);
    third->gates.Add(reinterpret_cast<uintptr_t>(new CastleGate));
    // The removed kingdom's field unit stands on the map.
    TheBattleMap->AllocGrid();
    const uintptr_t gone = second->fieldUnits.First();
    const int gx = reinterpret_cast<Troop*>(gone)->cellX, gy = reinterpret_cast<Troop*>(gone)->cellY;
    TheBattleMap->AddObjectAt(gx, gy, gone);
    ASSERT_EQ(TheBattleMap->FirstObjectAt(gx, gy), gone);
    world.stage->RemoveChild(0, second);
    EXPECT_EQ(TheBattleMap->sideCount, 2);
    EXPECT_EQ(third->nationIndex, 2);
    EXPECT_EQ(TheBattleMap->kingdomTable[2], third);
    EXPECT_EQ(reinterpret_cast<Troop*>(third->fieldUnits.First())->owner, 2);
    EXPECT_EQ(reinterpret_cast<City*>(third->cities.First())->ownerSide, 2);
    EXPECT_EQ(TheBattleMap->FirstObjectAt(gx, gy), 0u);
}

TEST(StageSetTest, BinaryFormRoundTripsAndBadCountsAreRejected) {
    BattleStage world;
    world.stage->SetColumn(StageBlockLayout::kStartYear, 184);
    world.stage->SetColumn(StageBlockLayout::kEndMonth, 12);
    world.AddKingdom()->SetText(KingdomLayout::kName, 20, "Wei");
    world.AddKingdom()->SetText(KingdomLayout::kName, 20, "Shu");
    ByteWriter out;
    ASSERT_EQ(world.stage->Save(out), 1);
    ASSERT_EQ(out.size(), 8u + 80 + 2 * 108);

    TheBattleMap->sideCount = 0;
    Zu_StageSet copy;
    ByteReader in(out.buffer().data(), out.size());
    ASSERT_EQ(copy.Load(in), 1);
    EXPECT_EQ(copy.Column(StageBlockLayout::kStartYear), 184);
    EXPECT_EQ(copy.Column(StageBlockLayout::kEndMonth), 12);
    ASSERT_EQ(copy.kingdoms->GetCount(), 2);
    auto* shu = reinterpret_cast<Kingdom*>(copy.kingdoms->GetAt(1));
    EXPECT_STREQ(reinterpret_cast<char*>(shu->block), "Shu");
    EXPECT_EQ(shu->nationIndex, 2);
    EXPECT_EQ(TheBattleMap->kingdomTable[2], shu);
    ByteWriter again;
    copy.Save(again);
    EXPECT_EQ(again.buffer(), out.buffer());

    struct Bad {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<uint8_t> tooMany = out.buffer();
    tooMany[4] = 129;
    std::vector<uint8_t> truncated(out.buffer().begin(), out.buffer().end() - 50);
    std::vector<uint8_t> hugeBlock = out.buffer();
    hugeBlock[3] = 0x7f;
    const Bad bad[] = {{"129 kingdoms", tooMany},
                       {"truncated kingdom", truncated},
                       {"block past the end", hugeBlock},
                       {"empty", {}}};
    for (const Bad& b : bad) {
        TheBattleMap->sideCount = 0;
        Zu_StageSet s;
        ByteReader r(b.bytes.data(), b.bytes.size());
        EXPECT_EQ(s.Load(r), 0) << b.what;
        EXPECT_LE(TheBattleMap->sideCount, BattleMap::kSides);
    }
}

TEST(StageSetTest, LongerStoredBlockIsSkipped) {
    ByteWriter out;
    out.u32(84);
    out.u32(1);
    std::vector<uint8_t> block(84, 0);
    block[28] = 7;
    block[80] = 0xEE;
    out.bytes(block.data(), block.size());
    out.u32(100);
    out.u32(0);
    out.zeros(100);
    BattleStage world;
    ByteReader in(out.buffer().data(), out.size());
    ASSERT_EQ(world.stage->Load(in), 1);
    EXPECT_EQ(world.stage->Column(StageBlockLayout::kStartYear), 7);
    EXPECT_EQ(world.stage->kingdoms->GetCount(), 1);
    EXPECT_EQ(in.remaining(), 0u);
}

TEST(StageSetTest, InitKingdomsSetsRelationsAndEveryStrengthRatio) {
    BattleStage world;
    TheGameController->gameKind = 1;
    Kingdom* a = world.AddKingdom(0, 1, true);
    Kingdom* b = world.AddKingdom(0, 1);
    Kingdom* c = world.AddKingdom(2, 0);
    Kingdom* d = world.AddKingdom(6, 0);
    TheGameController->gameScreen = new MapView;
    a->cityStrengthTotal = 2000000000;
    b->cityStrengthTotal = 1000000000;
    c->cityStrengthTotal = 1000000000;
    d->cityStrengthTotal = 0;
    b->SetInt(KingdomLayout::kDiplomacy, 1);
    world.stage->playerSide = 1;
    TheBattleMap->sideActive[1] = 1;
    world.stage->InitKingdoms();
    EXPECT_EQ(world.stage->playerKingdom, a);
    // The game screen starts on the player's first city.
    EXPECT_EQ(TheGameController->gameScreen->currentCity, reinterpret_cast<City*>(a->cities.First()));
    delete TheGameController->gameScreen;
    TheGameController->gameScreen = nullptr;
    EXPECT_EQ(TheBattleMap->sideActive[1], 0);
    EXPECT_EQ(world.stage->stageWords[1], 4);
    EXPECT_EQ(c->AllianceGroup(), 1001);
    EXPECT_EQ(a->relations[b->nationIndex], 1);
    EXPECT_EQ(a->relations[c->nationIndex], 3);
    EXPECT_EQ(a->relations[d->nationIndex], 2); // a neutral kingdom's column
    EXPECT_EQ(d->relations[a->nationIndex], 3); // its own row is rewritten last
    EXPECT_EQ(a->goodwill[b->nationIndex], 60);
    EXPECT_EQ(a->strengthRatio, 100);
    EXPECT_EQ(b->strengthRatio, 300);
    EXPECT_EQ(c->strengthRatio, 300); // the last strong side too
    EXPECT_EQ(d->strengthRatio, 0);
}

TEST(StageSetTest, PlayerSideOutsideTheSidesIsIgnored) {
    BattleStage world;
    world.AddKingdom();
    world.stage->playerSide = 129;
    world.stage->InitKingdoms();
    EXPECT_EQ(world.stage->playerKingdom, nullptr);
}

class GoodsTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadShippedGoods();
        for (int id = 1; id <= 300; ++id) {
            auto* item = static_cast<ItemRecord*>(TheBattleMap->scenario->NewChild(ScenarioData::kItemKind));
            item->SetInt(ItemLayout::kLevel, id % 9);
        }
        troop = new Troop(1, 10, 0, 0, 1, 0, 100, new OfficerRecord(1, 444));
        other = new Troop(1, 10, 0, 0, 1, 0, 100, new OfficerRecord(1, 444));
    }
    void TearDown() override {
        delete troop;
        delete other;
    }
    BattleStage world;
    Troop* troop = nullptr;
    Troop* other = nullptr;
};

TEST_F(GoodsTest, RowByYearsElapsed) {
    struct Row {
        int years;
        int row;
    };
    const Row rows[] = {{0, 0},  {1, 0},  {2, 1},  {3, 1},  {4, 2},  {29, 7},
                        {30, 8}, {39, 8}, {40, 9}, {69, 9}, {70, 9}, {500, 9}};
    const int randomCounts[10] = {16, 16, 18, 18, 20, 20, 22, 22, 24, 24};
    const int moneyBase[10] = {5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    for (const Row& r : rows) {
        world.stage->ApplyRandomGear(troop, r.years, 30000, 40000);
        const auto items = Carried(troop);
        EXPECT_EQ(static_cast<int>(items.size()), randomCounts[r.row] + 16) << r.years;
        const int32_t money = troop->officer->Get(OfficerLayout::kMp) / 1000;
        EXPECT_GE(money, moneyBase[r.row]) << r.years;
        EXPECT_LT(money, 2 * moneyBase[r.row]) << r.years;
        EXPECT_EQ(troop->officer->Get(OfficerLayout::kHp), 0);
    }
}

TEST_F(GoodsTest, EqualSeedsGiveEqualGoods) {
    world.stage->monthsElapsed = 30;
    world.stage->ApplyRandomGear(troop, 2, 45678, 61234);
    world.stage->ApplyRandomGear(other, 2, 45678, 61234);
    EXPECT_EQ(Carried(troop), Carried(other));
    EXPECT_EQ(troop->officer->Get(OfficerLayout::kMp), other->officer->Get(OfficerLayout::kMp));
    world.stage->ApplyRandomGear(other, 2, 45679, 61234);
    EXPECT_NE(Carried(troop), Carried(other));
    // Candidates are items of the row's level or one below.
    for (uintptr_t id : Carried(troop)) {
        if (id != 241 && id != 245) {
            EXPECT_TRUE(id % 9 == 2 || id % 9 == 1) << id;
        }
    }
}

TEST_F(GoodsTest, InvalidItemIdsAreSkipped) {
    GameParams().merchantGoods[0][3] = 5000;
    GameParams().merchantGoods[0][5] = -3;
    world.stage->ApplyRandomGear(troop, 0, 30000, 40000);
    EXPECT_EQ(Carried(troop).size(), 16u);
}

TEST_F(GoodsTest, HostSendsTheSeedsAndPeersGiveTheSameGoods) {
    Kingdom* k = world.AddKingdom();
    CountingCity* city = world.AddCity(k, 0, 17);
    SubCastle* market = world.AddSubCastle(city, 4);
    world.stage->SetColumn(StageBlockLayout::kCaravans, 1);
    world.stage->monthsElapsed = 30;
    world.Network(true, 3);
    world.stage->PlaceCaravans();
    EXPECT_EQ(world.stage->Column(StageBlockLayout::kCaravans), 1);
    ASSERT_NE(market->keeper, nullptr);
    EXPECT_EQ(market->keeper->flagWord, 1);
    EXPECT_EQ(market->Int(48), 1);
    ASSERT_EQ(testsupport::SentRecords().size(), 1u);
    const std::vector<uint8_t> record = testsupport::SentRecords()[0];
    ByteReader r(record.data(), record.size());
    EXPECT_EQ(r.u32(), kRecordRandomGear);
    EXPECT_EQ(r.u32(), 24u);
    EXPECT_EQ(r.i32(), 17);
    EXPECT_EQ(r.i32(), 2);
    const uint32_t seed1 = r.u32();
    EXPECT_GE(seed1, 23456u);
    EXPECT_LT(seed1, 23456u + 77777u);

    const auto hostGoods = Carried(market->keeper);
    market->keeper->carried->RemoveAll();
    EXPECT_EQ(ApplyStageRecord(world.stage, record.data(), record.size()), 1);
    EXPECT_EQ(Carried(market->keeper), hostGoods);

    // A record naming a city this map lacks, or one without its caravan, changes nothing.
    std::vector<uint8_t> missing = record;
    missing[8] = 99;
    EXPECT_EQ(ApplyStageRecord(world.stage, missing.data(), missing.size()), 1);
    delete market->keeper;
    market->keeper = nullptr;
    EXPECT_EQ(ApplyStageRecord(world.stage, record.data(), record.size()), 1);
}

TEST(StageSetTest, CaravansOnEveryOpenCityWithAMarket) {
    BattleStage world;
    LoadShippedGoods();
    Kingdom* k = world.AddKingdom();
    for (int i = 0; i < 3; ++i)
        world.AddSubCastle(world.AddCity(k, 0, i + 1), 4);
    world.AddSubCastle(world.AddCity(k, 1, 9), 4);  // not an open city
    world.AddSubCastle(world.AddCity(k, 0, 10), 3); // no market
    world.stage->SetColumn(StageBlockLayout::kCaravans, 1);
    world.stage->SetColumn(StageBlockLayout::kBandits, 1);
    world.stage->stageWords[5] = 8;
    world.stage->PlaceCaravans();
    EXPECT_EQ(world.stage->Column(StageBlockLayout::kCaravans), 3);
    EXPECT_EQ(world.stage->stageWords[5], 0);
}

class PassRecordTest : public ::testing::Test {
protected:
    // Person 100 carried with level 3, person 101 with level 0.
    static void Record() {
        PassRecords().Clear();
        PassRecords().Entry(100)[OfficerLayout::kLevel] = 3;
        PassRecords().Entry(101);
    }
    void TearDown() override { PassRecords().Clear(); }
    Troop* Officer(Kingdom* k, int person, int kind, int x = 5, int y = 5) {
        auto* o = new OfficerRecord(k->nationIndex, person);
        o->Set(OfficerLayout::kPersonNumber, person);
        o->Set(OfficerLayout::kAttribute, kind);
        o->Set(OfficerLayout::kSoldierType, 7);
        auto* t = new Troop(3, 10, x, y, 0, 0, 100, o);
        k->fieldUnits.Add(reinterpret_cast<uintptr_t>(t));
        return t;
    }
    BattleStage world;
};

TEST_F(PassRecordTest, CoreOfficersWithoutRecordLeaveExceptOnAnActsFirstStage) {
    Record();
    for (int stageNumber : {12, 23}) {
        SCOPED_TRACE(stageNumber);
        Record();
        Kingdom* k = world.AddKingdom(0, 0, false, false);
        world.SetPlayer(k);
        TheGameController->campaignStage = static_cast<uint8_t>(stageNumber);
        Troop* core = Officer(k, 42, 1);   // core, no record
        Troop* plain = Officer(k, 300, 1); // not core
        Officer(k, 101, 1);                // record with level 0
        Troop* band = Officer(k, 500, 3);  // kind 3
        Troop* kept = Officer(k, 100, 1);
        world.stage->ApplyPassRecords();
        EXPECT_EQ(kept->officer->Get(OfficerLayout::kLevel), 3);
        EXPECT_EQ(kept->baseType, 7);
        EXPECT_EQ(kept->owner, k->nationIndex);
        // The officers that stay without a record take the stage's level (level 0 counts as 1).
        const int32_t stageLevel = stageNumber == 23 ? 1 : 3;
        EXPECT_EQ(plain->officer->Get(OfficerLayout::kLevel), stageLevel);
        EXPECT_EQ(band->officer->Get(OfficerLayout::kLevel), stageLevel);
        if (stageNumber == 23) EXPECT_EQ(core->officer->Get(OfficerLayout::kLevel), 1);
        EXPECT_EQ(k->fieldUnits.GetCount(), stageNumber == 23 ? 4 : 3);
        world.stage->RemoveChild(0, k);
    }
}

TEST_F(PassRecordTest, EscortsStayOnTheMapAndSkipUnknownTemplates) {
    Record();
    TheBattleMap->SetCells(std::make_unique<MapCell[]>(10 * 20), 10, 20); // unit grid 10 x 10
    TheBattleMap->AllocGrid();
    for (int i = 0; i < 30; ++i)
        TheBattleMap->scenario->NewChild(ScenarioData::kGeneralKind);
    Kingdom* k = world.AddKingdom(0, 0, false, false);
    world.SetPlayer(k);
    TheGameController->campaignStage = 12;
    Troop* leader = Officer(k, 100, 1, 8, 3);
    leader->officer->Set(OfficerLayout::kEscorts, 20);
    leader->officer->Set(OfficerLayout::kEscorts + 3 * 4, 9999); // no such general
    leader->officer->Set(OfficerLayout::kEscorts + 5 * 4, 21);
    world.stage->ApplyPassRecords();
    ASSERT_NE(leader->followers, nullptr);
    ASSERT_EQ(leader->followers->GetCount(), 2);
    auto* first = reinterpret_cast<Troop*>(leader->followers->GetAt(0));
    auto* second = reinterpret_cast<Troop*>(leader->followers->GetAt(1));
    EXPECT_EQ(first->cellX, 8);
    EXPECT_EQ(second->cellX, 9); // 8 + 5 clamped to the last column
    EXPECT_EQ(first->leader, leader);
    EXPECT_EQ(k->fieldUnits.GetCount(), 3);
}

// An escort raised from a pass record takes the battle map's unit counter; it marks its sight
// except while a save slot is read or written.
TEST_F(PassRecordTest, EscortsTakeTheUnitCounterAndMarkSightOutsideASlotRead) {
    // The blank escort general's soldier type 0, with a sight of 3.
    std::array<uint8_t, 400> type{};
    type[SoldierColumn::kSight] = 3;
    uint8_t* const keptType = SoldierTypeTable[0];
    const int32_t keptCount = SoldierTypeCount;
    SoldierTypeTable[0] = type.data();
    SoldierTypeCount = std::max(keptCount, 1);
    for (int fresh : {1, 0}) {
        SCOPED_TRACE(fresh);
        Record();
        TheBattleMap->SetCells(std::make_unique<MapCell[]>(10 * 20), 10, 20);
        TheBattleMap->AllocGrid();
        TheBattleMap->nextUnitId = 640 + fresh;
        for (int i = 0; i < 30; ++i)
            TheBattleMap->scenario->NewChild(ScenarioData::kGeneralKind);
        Kingdom* k = world.AddKingdom(0, 0, false, false);
        world.SetPlayer(k);
        TheGameController->campaignStage = 12;
        TheGameController->freshStage = fresh;
        Troop* leader = Officer(k, 100, 1, 4, 4);
        leader->officer->Set(OfficerLayout::kEscorts, 20);
        world.stage->ApplyPassRecords();
        ASSERT_NE(leader->followers, nullptr);
        ASSERT_EQ(leader->followers->GetCount(), 1);
        auto* escort = reinterpret_cast<Troop*>(leader->followers->GetAt(0));
        EXPECT_EQ(escort->serial, 640 + fresh);
        EXPECT_EQ(escort->sightMark.marked, fresh);
        escort->WithdrawSight();
        world.stage->RemoveChild(0, k);
        TheGameController->freshStage = 1;
    }
    SoldierTypeTable[0] = keptType;
    SoldierTypeCount = keptCount;
}

} // namespace
