#include "CityWorksFixture.h"

#include "engine/ByteReader.h"
#include "net/TroopValueCommand.h"
#include "records/CityWorks.h"
#include "support/SentCommands.h"
#include "troops/CastleGate.h"
#include "world/FootprintPattern.h"
#include "world/Zu_SkillEffect.h"

#include <gtest/gtest.h>

using namespace cityworks;

namespace {

TEST(CityUpkeepTest, AnUpgradeRetilesTheCitysLandByTheOldSizeAndRefusesTheLargest) {
    struct Case {
        int32_t size;
        uint16_t MapCell::*field;
        uint16_t before, after;
    };
    const Case cases[] = {
        {1, &MapCell::groundTile, 0x2637, 0x2613}, {1, &MapCell::groundTile, 0x263F, 0x261B},
        {1, &MapCell::groundTile, 0x2640, 0x2640}, {1, &MapCell::layerTile, 0x3B8F, 0x3B6F},
        {1, &MapCell::layerTile, 0x2FAC, 0x2A30},  {1, &MapCell::overlayTile, 0x155F, 0x1397},
        {2, &MapCell::layerTile, 0x2A30, 0x2B74},  {2, &MapCell::layerTile, 0x5610, 0x5460},
        {2, &MapCell::overlayTile, 0x12B4, 0xAB0}, {3, &MapCell::layerTile, 0x2CB7, 0x2DFB},
        {3, &MapCell::overlayTile, 0xB93, 0x147B}, {3, &MapCell::groundTile, 0x2613, 0x2613},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "size " << c.size << " tile " << std::hex << c.before);
        Works w;
        w.city->SetInt(CityLayout::kScale, c.size);
        MapCell* own = TheBattleMap->CellAt(12, 45);
        MapCell* foreign = TheBattleMap->CellAt(13, 45);
        own->ownerMark = 101;
        foreign->ownerMark = 102;
        own->*c.field = c.before;
        foreign->*c.field = c.before;
        ASSERT_EQ(w.city->ApplyUpgrade(), 1);
        EXPECT_EQ(own->*c.field, c.after);
        EXPECT_EQ(foreign->*c.field, c.before);
        EXPECT_EQ(w.city->Scale(), c.size + 1);
    }
    Works w;
    w.city->SetInt(CityLayout::kScale, 4);
    TheBattleMap->CellAt(12, 45)->ownerMark = 101;
    TheBattleMap->CellAt(12, 45)->groundTile = 0x2637;
    EXPECT_EQ(w.city->ApplyUpgrade(), 0);
    EXPECT_EQ(w.city->Scale(), 4);
    EXPECT_EQ(TheBattleMap->CellAt(12, 45)->groundTile, 0x2637);
}

// The city's gates take the level of the size being left and show its picture in their state; a
// refused upgrade leaves them alone.
TEST(CityUpkeepTest, AnUpgradeGivesTheGatesTheLevelOfTheSizeLeft) {
    constexpr uint16_t kUntouched = 0xFFFF;
    struct Case {
        int32_t size, direction, openState;
        int32_t style;    // after
        uint16_t stamped; // the gate cell's layer tile after; 0: untouched
    };
    const Case cases[] = {
        {1, 0, 0, 0, 0x4000},     {2, 1, 1, 3, 0x4311},     {3, 0, 2, 2, 0x4202},
        {3, 1, 3, 2, kUntouched}, {4, 0, 0, 7, kUntouched},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "size " << c.size << " state " << c.openState);
        Works w;
        // The door pictures this test lays down replace the loaded ones until it ends.
        std::unique_ptr<FootprintPattern> kept[FootprintTables::kDoor];
        for (int i = 0; i < FootprintTables::kDoor; ++i)
            kept[i] = std::move(Footprints().door[i]);
        // Door picture n marks the centre cell with 0x4000 + (level << 8) + (direction << 4) + state.
        for (int level : {0, 2, 3})
            for (int dir : {0, 1})
                for (int state : {0, 1, 2}) {
                    auto pattern = std::make_unique<FootprintPattern>();
                    pattern->width = 1;
                    pattern->height = 1;
                    pattern->cellTiles = {uint16_t(0x4000 + (level << 8) + (dir << 4) + state)};
                    Footprints().door[level * 6 + dir * 3 + state] = std::move(pattern);
                }
        w.city->SetInt(CityLayout::kScale, c.size);
        CastleGate gate;
        gate.direction = c.direction;
        gate.style = 7;
        gate.openState = c.openState;
        gate.cellX = 30;
        gate.cellY = 10;
        w.city->gates.Add(uintptr_t(&gate));
        w.city->ApplyUpgrade();
        EXPECT_EQ(gate.style, c.style);
        EXPECT_EQ(TheBattleMap->CellAt(30, 20)->layerTile, c.stamped);
        w.city->gates.RemoveValue(uintptr_t(&gate));
        for (int i = 0; i < FootprintTables::kDoor; ++i)
            Footprints().door[i] = std::move(kept[i]);
    }
}

TEST(CityUpkeepTest, TowersComeFromTheMapTakeTheirSizesTemplateAndAreRebuiltAtStrengthZero) {
    Works w;
    w.Type(7, {{SoldierColumn::kRangeStart, 2}, {SoldierColumn::kRangeEnd, 9}, {SoldierColumn::kMissile, 3}});
    w.Template(453, 7, 50, 80);
    uint8_t* t462 = w.Template(462, 1, 10, 120);
    Works::SetBlock(t462, OfficerLayout::kLevel, 5);
    // Seven tower tiles; one sits on row 1, where the cells above it are off the map.
    const std::pair<int, int> tiles[] = {{4, 1}, {8, 41}, {12, 41}, {16, 41}, {8, 61}, {12, 61}, {16, 61}};
    for (auto [x, y] : tiles)
        TheBattleMap->CellAt(x, y)->overlayTile = 0xE41;
    w.city->InitArea();
    ASSERT_EQ(w.city->towerCount, 6);
    EXPECT_EQ(TheBattleMap->CellAt(4, 1)->zoneByte, 255);
    EXPECT_EQ(TheBattleMap->CellAt(4, 0)->zoneByte, 255);
    EXPECT_EQ(TheBattleMap->CellAt(8, 40)->zoneByte, 255);
    EXPECT_EQ(TheBattleMap->CellAt(7, 40)->zoneByte, 255);
    EXPECT_EQ(TheBattleMap->CellAt(8, 39)->zoneByte, 255);
    EXPECT_EQ(TheBattleMap->CellAt(16, 61)->zoneByte, 255) << "marked beyond the sixth tower too";
    Troop* first = w.city->towers[1];
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->cellX, 8);
    EXPECT_EQ(first->cellY, 20);
    EXPECT_EQ(first->towerMarker, 1);
    EXPECT_EQ(first->officer->Get(OfficerLayout::kHp), 50);
    EXPECT_FALSE(w.OnCell(first, 8, 20));
    EXPECT_TRUE(w.kingdom->fieldUnits.Contains(uintptr_t(first)));

    // An upgrade to size 2 gives every tower template 462's block at full strength, shooting as 453.
    ASSERT_EQ(w.city->ApplyUpgrade(), 1);
    EXPECT_EQ(first->officer->Get(OfficerLayout::kLevel), 5);
    EXPECT_EQ(first->officer->Get(OfficerLayout::kHp), 120);
    EXPECT_EQ(first->currentType, 7);
    EXPECT_EQ(first->rangeEnd, 9);
    EXPECT_EQ(first->missileKind, 3);
    EXPECT_EQ(TheBattleMap->CellAt(8, 41)->obstacle, 255);
    EXPECT_EQ(TheBattleMap->CellAt(7, 41)->obstacle, 255);

    // A fallen tower leaves its slot; the tower repair builds a new one at strength 0 and raises it.
    w.kingdom->fieldUnits.RemoveValue(uintptr_t(first));
    TheBattleMap->ForgetTroop(first);
    delete first;
    w.city->towers[1] = nullptr;
    GameParams().repair_castle_cost = 4;
    w.city->SetInt(CityLayout::kGold, 1000);
    w.city->pendingStatus = 0x100;
    w.city->CommitStatusFlags();
    std::vector<int> strength;
    for (int day = 0; day < 6; ++day) {
        w.city->TickRepairs();
        strength.push_back(w.city->towers[1] ? w.city->towers[1]->officer->Get(OfficerLayout::kHp) : -1);
    }
    EXPECT_EQ(strength, (std::vector<int>{-1, -1, 0, 4, 8, 12}));
    EXPECT_EQ(w.city->towers[1]->towerMarker, 2);
    EXPECT_EQ(w.city->towers[1]->officer->Get(OfficerLayout::kMaxHp), 120) << "the size-2 tower";
    EXPECT_EQ(w.city->Int(CityLayout::kGold), 1000 - 3 * 4);
    EXPECT_FALSE(w.city->CreateTowerTroop(1)) << "a standing tower is not replaced";
    EXPECT_FALSE(w.city->CreateTowerTroop(6));
}

TEST(CityUpkeepTest, TheHealBitClearsItselfWhenTheGoldRunsOutAndTellsThePeers) {
    Works w;
    w.NetworkHost();
    GameParams().repair_castle_cost = 4;
    w.Guard(0, 10, 50);
    w.city->SetInt(CityLayout::kGold, 4);
    w.city->pendingStatus = w.city->ComputeNeedFlags();
    EXPECT_EQ(w.city->pendingStatus, 0x1);
    w.city->CommitStatusFlags();
    EXPECT_EQ(w.city->statusFlags, 0x1);
    w.city->TickRepairs(); // the counter reaches the period
    EXPECT_EQ(w.city->statusFlags, 0x1);
    w.city->TickRepairs();
    EXPECT_EQ(w.city->statusFlags, 0);
    const int32_t id = w.city->id;
    EXPECT_EQ(Sent(), (std::vector<SentRecord>{{0x802, id, 0x1, 0, 0}, {0x802, id, 0, 3, 0}}));
    // A peer applying the same operations ends in the same state.
    City peer(1, 5);
    peer.ApplyStatusOperation(0, 0x1);
    EXPECT_EQ(peer.statusFlags, 0x1);
    peer.ApplyStatusOperation(3, 0);
    EXPECT_EQ(peer.statusFlags, 0);
    EXPECT_FALSE(peer.ApplyStatusOperation(7, 0));
}

TEST(CityUpkeepTest, AnEmptyGarrisonGathersRebuildProgressOnPaidSteps) {
    Works w;
    GameParams().repair_castle_cost = 4;
    w.city->SetInt(CityLayout::kGold, 1000);
    w.city->pendingStatus = w.city->ComputeNeedFlags();
    w.city->CommitStatusFlags();
    std::vector<int> progress;
    for (int day = 0; day < 12; ++day) {
        w.city->TickRepairs();
        progress.push_back(w.city->garrisonRebuild);
    }
    // Every second day a paid step: five raise the progress to 200 / 10, the sixth rebuilds.
    EXPECT_EQ(progress, (std::vector<int>{0, 4, 4, 8, 8, 12, 12, 16, 16, 20, 20, 0}));
    EXPECT_EQ(w.city->Int(CityLayout::kGold), 1000 - 6 * 4);
}

TEST(CityUpkeepTest, AHealedGarrisonEndsTheBitAndShareItsStrength) {
    Works w;
    w.NetworkHost();
    GameParams().repair_castle_cost = 4;
    Troop* a = w.Guard(0, 40, 50);
    Troop* b = w.Guard(1, 20, 50);
    w.city->SetInt(CityLayout::kGold, 100);
    w.city->pendingStatus = 0x1;
    w.city->CommitStatusFlags();
    w.city->TickRepairs();
    w.city->TickRepairs();
    EXPECT_EQ(a->officer->Get(OfficerLayout::kHp), 32);
    EXPECT_EQ(b->officer->Get(OfficerLayout::kHp), 32);
    EXPECT_EQ(w.city->Int(CityLayout::kGold), 96);
    // Above the size's maximum (200) the garrison is whole: each gets a quarter and the bit ends.
    a->officer->Set(OfficerLayout::kHp, 150);
    b->officer->Set(OfficerLayout::kHp, 60);
    w.city->TickRepairs();
    w.city->TickRepairs();
    EXPECT_EQ(a->officer->Get(OfficerLayout::kHp), 50);
    EXPECT_EQ(w.city->statusFlags, 0);
    EXPECT_EQ(Sent().back(), (SentRecord{0x802, w.city->id, 0, 2, 0}));
}

TEST(CityUpkeepTest, ABurningGarrisonNeedsAMaximumToMeasure) {
    Works w;
    TheBattleMap->CellAt(10, 40)->sightCount = 2;
    Troop* guard = w.Guard(0, 0, 0);
    w.city->SumGarrison();
    EXPECT_EQ(w.city->effects[0], nullptr) << "a garrison rebuilt at strength 0 has no maximum";
    guard->officer->Set(OfficerLayout::kMaxHp, 100);
    guard->officer->Set(OfficerLayout::kHp, 59);
    w.city->garrisonStrength = 0;
    w.city->SumGarrison();
    EXPECT_EQ(w.city->garrisonStrength, 59);
    ASSERT_NE(w.city->effects[2], nullptr);
    EXPECT_EQ(w.city->effects[0]->x, 10 * 40 - 154);
    EXPECT_EQ(w.city->effects[2]->y, 40 * 10 - 83);
    EXPECT_EQ(w.city->effects[3], nullptr);
    for (auto*& e : w.city->effects) {
        delete e;
        e = nullptr;
    }
}

TEST(CityUpkeepTest, ACampSpawnsOnItsDaysWithinItsLimit) {
    struct Case {
        const char* what;
        int32_t conditionDays, respawnDays, gameKind;
        std::vector<int> expectedOut; // spawned-out count after each day
    };
    const Case cases[] = {
        {"no condition never spawns", 0, 1, 0, {0, 0, 0, 0, 0, 0, 0, 0}},
        {"campaign: three at most", 1, 2, 0, {0, 0, 0, 1, 1, 2, 2, 3, 3, 3, 3}},
        {"other games: one at a time", 1, 2, 1, {0, 0, 0, 1, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Works w;
        TheGameController->gameKind = c.gameKind;
        w.city->SetInt(CityLayout::kKind, 7);
        w.city->SetInt(CityWorkColumns::kSpawnDays, c.conditionDays);
        w.city->SetInt(CityWorkColumns::kRespawnDays, c.respawnDays);
        w.city->generals.Add(uintptr_t(w.Officer(1, 1, 1, 300)));
        std::vector<int> out;
        for (size_t day = 0; day < c.expectedOut.size(); ++day) {
            w.city->TickSpawnTimer();
            out.push_back(w.city->spawnedOut);
        }
        EXPECT_EQ(out, c.expectedOut);
    }
}

TEST(CityUpkeepTest, ASpawnedGeneralTakesTheSerialsItsLevelAndItsEscorts) {
    for (bool famous : {false, true}) {
        SCOPED_TRACE(famous);
        Works w;
        w.NetworkHost();
        TheGameController->campaignStage = 14;
        w.Template(301, 1);
        auto* model = w.Officer(1, 1, 1, 300);
        model->Set(OfficerLayout::kLevel, 1);
        model->Set(OfficerLayout::kFamous, famous ? 1 : 0);
        model->Set(OfficerLayout::kEscorts, 301);
        model->Set(OfficerLayout::kEscorts + 8, 301);
        model->Set(OfficerLayout::kControllable, 1);
        w.city->generals.Add(uintptr_t(model));
        TheScreenSettings->serialCounter = 500;
        const int32_t unitId = TheBattleMap->nextUnitId;
        w.city->RequestSpawnTroop();
        ASSERT_EQ(Sent().size(), 1u);
        EXPECT_EQ(Sent()[0], (SentRecord{0x309, w.city->id, 500, 0, 0}));
        auto* troop = reinterpret_cast<Troop*>(w.kingdom->fieldUnits.Last());
        ASSERT_NE(troop, nullptr);
        // The list ends with the escorts; the main troop comes first.
        troop = reinterpret_cast<Troop*>(w.kingdom->fieldUnits.GetAt(w.kingdom->fieldUnits.GetCount() - 3));
        EXPECT_EQ(troop->officer->serial, 500u);
        EXPECT_EQ(troop->officer->Get(OfficerLayout::kLevel), famous ? 4 : 7);
        EXPECT_EQ(troop->officer->Get(OfficerLayout::kControllable), 0);
        EXPECT_EQ(troop->cellX, 10);
        EXPECT_EQ(troop->cellY, 20);
        EXPECT_EQ(troop->ledUnit, 1);
        EXPECT_EQ(troop->groupId, unitId);
        ASSERT_NE(troop->followers, nullptr);
        ASSERT_EQ(troop->followers->GetCount(), 2);
        auto* escort = reinterpret_cast<Troop*>(troop->followers->GetAt(1));
        EXPECT_EQ(escort->officer->serial, 502u);
        EXPECT_EQ(escort->cellX, 12);
        EXPECT_EQ(escort->groupId, unitId);
        EXPECT_EQ(TheBattleMap->nextUnitId, unitId + 1);
        EXPECT_EQ(w.city->respawnCounter, 0);
    }
}

// A serial handed in by the host's record may lie ahead of this station's counter: the counter
// moves past every serial the apply gives out, so no general made later repeats one.
TEST(CityUpkeepTest, AppliedSerialsMoveTheCounterPastThem) {
    struct Case {
        const char* what;
        bool spawn;
        uint32_t serial, last;
    };
    for (const Case& c : {Case{"a camp's general and two escorts", true, 500, 502},
                          Case{"a recruited soldier", false, 700, 700}}) {
        SCOPED_TRACE(c.what);
        Works w;
        w.Template(301, 1);
        w.Template(424, 1);
        City* village = w.AddCity(w.kingdom, 30, 40, 6);
        village->recruitCity = w.city;
        village->recruitKind = 0;
        auto* model = w.Officer(1, 1, 1, 300);
        model->Set(OfficerLayout::kEscorts, 301);
        model->Set(OfficerLayout::kEscorts + 4, 301);
        w.city->generals.Add(uintptr_t(model));
        TheScreenSettings->serialCounter = 100;
        if (c.spawn)
            w.city->ApplySpawnTroop(c.serial);
        else
            village->ApplyAddSoldier(c.serial);
        EXPECT_GT(uint32_t(TheScreenSettings->serialCounter), c.last);
        OfficerRecord later(1, -1);
        EXPECT_GT(later.serial, c.last);
    }
}

TEST(CityUpkeepTest, AVillageRecruitsItsFirstSpecialTroopForItsTarget) {
    Works w;
    w.Template(426, 88);
    City* village = w.AddCity(w.kingdom, 30, 40, 6);
    village->recruitCity = w.city;
    village->SetInt(CityWorkColumns::kSpecialTroops + 4, 0);
    village->SetInt(CityWorkColumns::kSpecialTroops + 8, 3); // "藤1"
    village->SetInt(CityLayout::kGold, 70);
    village->SetInt(CityLayout::kFood, 30);
    w.city->SetInt(CityLayout::kGold, 5);
    TheScreenSettings->serialCounter = 900;
    village->RecruitSpecialSoldiers();
    EXPECT_EQ(village->recruitKind, 2);
    ASSERT_EQ(w.city->reserve.GetCount(), 3);
    EXPECT_EQ(w.city->reserveTroopCount, 3);
    auto* first = reinterpret_cast<Troop*>(w.city->reserve.First());
    EXPECT_EQ(first->officer->Get(OfficerLayout::kPersonNumber), 426);
    EXPECT_EQ(first->officer->serial, 900u);
    EXPECT_EQ(first->homeCity, w.city->id);
    EXPECT_EQ(first->arranged, 1);
    // The village's treasury is added to the target's and kept as well.
    EXPECT_EQ(w.city->Int(CityLayout::kGold), 75);
    EXPECT_EQ(w.city->Int(CityLayout::kFood), 30);
    EXPECT_EQ(village->Int(CityLayout::kGold), 70);
    // A full reserve takes no more recruits.
    w.city->SetInt(CityLayout::kScale, 0);
    for (int i = 0; i < 3; ++i)
        w.city->reserve.Add(uintptr_t(new Troop(-1, 0, 0, 0, 0, 0, 0, nullptr)));
    village->RecruitSpecialSoldiers();
    EXPECT_EQ(w.city->reserve.GetCount(), 6);
}

TEST(CityUpkeepTest, UnitsRestingInACityRecover) {
    Works w;
    auto* o = w.Officer(1, 1);
    o->Set(OfficerLayout::kMaxHp, 10);
    o->Set(OfficerLayout::kMaxMp, 5);
    auto* t = new Troop(0, 10, 0, 0, 1, int16_t(w.city->id), 0, o);
    w.city->units.Add(uintptr_t(t));
    std::vector<int> hp, mp;
    for (int day = 0; day < 8; ++day) {
        w.city->TickUnitRecovery();
        hp.push_back(o->Get(OfficerLayout::kHp));
        mp.push_back(o->Get(OfficerLayout::kMp));
    }
    // Campaign: revived on the 20th day; here another game kind revives on the 6th.
    TheGameController->gameKind = 1;
    EXPECT_EQ(hp, (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0}));
    for (int day = 0; day < 14; ++day)
        w.city->TickUnitRecovery();
    EXPECT_EQ(o->Get(OfficerLayout::kHp), 10);
    EXPECT_EQ(mp, (std::vector<int>{0, 0, 1, 1, 1, 2, 2, 2}));
    // A living unit held by flag 0x40 is made to stand again; one at strength 0 stays held.
    for (int hp : {0, 4}) {
        o->Set(OfficerLayout::kHp, hp);
        t->flags = 0x40 | 0x8;
        w.city->TickUnitRecovery();
        EXPECT_EQ(t->flags, hp > 0 ? 6u : 0x48u) << hp;
    }
}

// A networked host mends a damaged tower and tells the peers its new strength (troop value kind 6).
TEST(CityUpkeepTest, AMendedTowersStrengthReachesThePeers) {
    Works w;
    w.NetworkHost();
    testsupport::CaptureSentCommands();
    GameParams().repair_castle_cost = 4;
    GameParams().repair_castle_hp = 4;
    auto* o = w.Officer(1, 1);
    o->Set(OfficerLayout::kHp, 30);
    o->Set(OfficerLayout::kMaxHp, 40);
    Troop* tower = new Troop(0, 10, 3, 3, 1, int16_t(w.city->id), 0, o);
    w.kingdom->fieldUnits.Add(uintptr_t(tower));
    w.city->towers[0] = tower;
    w.city->SetInt(CityLayout::kGold, 100);
    w.city->ApplyStatusFlags(0x100);
    std::vector<uint32_t> sent;
    for (int day = 0; day < 3; ++day)
        w.city->TickRepairs();
    for (const auto& c : testsupport::SentCommands())
        if (c.code == kTroopValueCommand) {
            ByteReader in(c.payload);
            for (int i = 0; i < 6; ++i)
                sent.push_back(in.u32());
        }
    // The troop by its unit id, side, home city and scope, then the new strength and kind 6.
    EXPECT_EQ(sent, (std::vector<uint32_t>{tower->UnitId(), 1, uint32_t(w.city->id), 0, 34, 6}));
    EXPECT_EQ(o->Get(OfficerLayout::kHp), 34);
}

} // namespace
