#include "GridFixture.h"

#include "Program/GameParameters.h"
#include "Program/SceneMachine.h"
#include "Program/StageCalendar.h"
#include "Program/StageSet.h"
#include "Program/Startup.h"
#include "engine/ByteReader.h"
#include "engine/LinkList.h"
#include "engine/NumberTable.h"
#include "events/EventManager.h"
#include "net/TroopCommands.h"
#include "net/TroopValueCommand.h"
#include "support/SentCommands.h"
#include "world/Missile.h"
#include "world/Zu_SkillEffect.h"

#include "records/RecordTables.h"
#include "troops/CastleGate.h"

#include <gtest/gtest.h>

#include <functional>

using namespace worldtest;

namespace {

class TestCity : public City {
public:
    void RequestTroopEntry(Troop* t) override { entered.push_back(t); }
    void ResolveAttack(int power, int side, Troop* shooter) override {
        attacks.push_back({power, side, shooter});
    }
    std::vector<Troop*> entered;
    struct Attack {
        int power, side;
        Troop* shooter;
    };
    std::vector<Attack> attacks;
};

class TestKingdom : public Kingdom {
public:
    void TakeCity(Troop*, City* city) override {
        taken.push_back(city);
        city->ownerSide = nationIndex;
    }
    void RecallTroopsTargeting(int cityId) override { recalled.push_back(cityId); }
    std::vector<City*> taken;
    std::vector<int> recalled;
};

class TestSubCastle : public SubCastle {
public:
    TestSubCastle() : SubCastle(0) {}
    bool RequestTroopEntry(Troop* t) override {
        asked.push_back(t);
        return accept;
    }
    bool accept = true;
    std::vector<Troop*> asked;
};

struct WorldStep : testing::Test {
    worldtest::World w;
    Zu_StageSet* stage = nullptr;
    TestKingdom* player = nullptr;
    TestKingdom* enemy = nullptr;
    BattleMap* map = nullptr;

    void SetUp() override {
        map = &DrawMap(w, OpenRows(40, 80));
        stage = new Zu_StageSet;
        map->stageSet = stage;
        player = AddKingdom(1);
        enemy = AddKingdom(2);
        player->relations[1] = 1;
        player->relations[2] = 3;
        enemy->relations[2] = 1;
        enemy->relations[1] = 3;
        stage->playerKingdom = player;
        stage->playerSide = 1;
    }
    void TearDown() override {
        map->stageSet = nullptr;
        delete stage;
    }
    TestKingdom* AddKingdom(int side) {
        auto* k = new TestKingdom;
        k->nationIndex = side;
        stage->kingdoms->Add(uintptr_t(k));
        return k;
    }
    TestTroop* Add(Kingdom* k, int x, int y) {
        auto* t = new TestTroop(k->nationIndex, x, y);
        k->fieldUnits.Add(uintptr_t(t));
        map->AddObjectAt(x, y, uintptr_t(t));
        t->leaderFlag = 1;
        t->officer->Set(OfficerLayout::kAttribute, 2);
        return t;
    }
    bool Holds(LinkList& list, const void* p) { return list.Find(uintptr_t(p)) != 0; }
    void Networked(bool host) {
        testsupport::CaptureSentCommands();
        TheGameController->networked = 1;
        TheGameController->isHost = host ? 1 : 0;
    }
};

TEST_F(WorldStep, ADeadTroopGoesOnTheFifthFrameOfItsCounterAndAKeptOneOnlyLeavesTheList) {
    bool gone = false;
    TestTroop* t = Add(enemy, 5, 5);
    t->deleted = &gone;
    TestTroop* kept = Add(enemy, 6, 5);
    t->deadFlag = 1;
    kept->deadFlag = 1;
    kept->kept = 1;
    TheGameController->selection->Add(uintptr_t(t));
    for (int frame = 2; frame <= 4; ++frame) {
        map->Update();
        EXPECT_EQ(t->deadFlag, frame);
        EXPECT_EQ(t->steps, 0); // the dead take no step
        EXPECT_FALSE(gone);
    }
    map->Update();
    EXPECT_TRUE(gone);
    EXPECT_FALSE(Holds(enemy->fieldUnits, t));
    EXPECT_EQ(map->FirstObjectAt(5, 5), 0u);
    EXPECT_EQ(TheGameController->selection->GetCount(), 0);
    EXPECT_FALSE(Holds(enemy->fieldUnits, kept));
    EXPECT_EQ(map->FirstObjectAt(6, 5), uintptr_t(kept));
    delete kept;
}

TEST_F(WorldStep, ARemovedTroopLeavesNoReferenceBehind) {
    bool gone = false;
    TestTroop* doomed = Add(enemy, 5, 5);
    doomed->deleted = &gone;
    TestTroop* other = Add(player, 7, 5);
    TestTroop* enemyOther = Add(enemy, 9, 5);
    other->targetTroop = doomed;
    other->attackTarget = doomed;
    other->followTarget = doomed;
    other->escortTarget = doomed;
    enemyOther->leader = doomed;
    doomed->followers = new LinkList;
    other->followers = new LinkList;
    other->followers->Add(uintptr_t(doomed));
    TheGameController->selection->Add(uintptr_t(doomed));
    TheGameController->groups[3]->Add(uintptr_t(doomed));
    map->dyingTroops->Add(uintptr_t(doomed));
    map->dyingTroops->Add(uintptr_t(doomed));
    map->AddObjectAt(12, 12, uintptr_t(doomed)); // a stale second registration
    doomed->officer->Set(OfficerLayout::kAttack, 20);
    auto* m = new Missile(doomed, 0, 5, 5, 20, 5, 2, 0);
    map->missiles->Add(uintptr_t(m));
    doomed->kindWord = 999;

    map->Update();
    ASSERT_TRUE(gone);
    EXPECT_EQ(other->targetTroop, nullptr);
    EXPECT_EQ(other->attackTarget, nullptr);
    EXPECT_EQ(other->followTarget, nullptr);
    EXPECT_EQ(other->escortTarget, nullptr);
    EXPECT_EQ(enemyOther->leader, nullptr);
    EXPECT_EQ(other->followers->GetCount(), 0);
    EXPECT_EQ(m->shooter, nullptr);
    EXPECT_EQ(TheGameController->selection->GetCount(), 0);
    EXPECT_EQ(TheGameController->groups[3]->GetCount(), 0);
    EXPECT_EQ(map->dyingTroops->GetCount(), 0);
    EXPECT_EQ(map->FirstObjectAt(12, 12), 0u);
    // The missile flies on and lands without its shooter.
    for (int i = 0; i < 30 && map->missiles->GetCount(); ++i)
        map->Update();
    EXPECT_EQ(map->missiles->GetCount(), 0);
}

std::vector<int> SightRedrawnFor;

struct SightProbe : TestTroop {
    using TestTroop::TestTroop;
    void UpdateSightInView() override { SightRedrawnFor.push_back(owner); }
};

TEST_F(WorldStep, RemovingAPlayersOrAlliedTroopRedrawsTheSight) {
    SightRedrawnFor.clear();
    TestKingdom* ally = AddKingdom(3);
    player->relations[3] = 1;
    for (Kingdom* k :
         {static_cast<Kingdom*>(player), static_cast<Kingdom*>(enemy), static_cast<Kingdom*>(ally)}) {
        auto* t = new SightProbe(k->nationIndex, 4 + k->nationIndex, 5);
        t->kindWord = 999;
        k->fieldUnits.Add(uintptr_t(t));
        auto* dead = new SightProbe(k->nationIndex, 4 + k->nationIndex, 9);
        dead->deadFlag = 5;
        k->fieldUnits.Add(uintptr_t(dead));
    }
    map->Update();
    EXPECT_EQ(SightRedrawnFor, (std::vector<int>{1, 1, 3, 3}));
    EXPECT_EQ(player->fieldUnits.GetCount() + enemy->fieldUnits.GetCount() + ally->fieldUnits.GetCount(), 0);
}

TEST_F(WorldStep, TheWalkSurvivesTroopsLeavingAndTakesInTroopsAddedOnTheWay) {
    static TestTroop* second;
    static TestTroop* added;
    static Kingdom* kingdom;
    TestTroop* first = Add(enemy, 5, 5);
    second = Add(enemy, 6, 5);
    TestTroop* third = Add(enemy, 7, 5);
    kingdom = enemy;
    added = new TestTroop(2, 8, 5);
    // The first troop's step takes the second out of the list (into a city) and brings a new one.
    first->onStep = [](TestTroop*) {
        kingdom->fieldUnits.RemoveValue(uintptr_t(second));
        kingdom->fieldUnits.Add(uintptr_t(added));
    };
    // The third takes itself out.
    third->onStep = [](TestTroop* t) { kingdom->fieldUnits.RemoveValue(uintptr_t(t)); };
    map->Update();
    EXPECT_EQ(first->steps, 1);
    EXPECT_EQ(second->steps, 0);
    EXPECT_EQ(third->steps, 1);
    EXPECT_EQ(third->animationTicks, 0);
    EXPECT_EQ(added->steps, 1);
    EXPECT_EQ(first->animationTicks, 1);
    delete second;
    delete third;
}

TEST_F(WorldStep, ArrivalAtACityByEntryCellAndRole) {
    TestCity city;
    city.id = 3;
    city.SetInt(CityLayout::kX, 10);
    city.SetInt(CityLayout::kY, 10);
    struct Case {
        const char* what;
        int dx, dy;
        int cityKind, owner, officerKind;
        bool open;
        bool entered, halted, captured;
    } cases[] = {
        {"own city, entry cell", 0, 0, 0, 1, 2, false, true, false, false},
        {"one left: not there", -1, 0, 0, 1, 2, false, false, false, false},
        {"(-1, 1): there", -1, 1, 0, 1, 2, false, true, false, false},
        {"(2, -1): there", 2, -1, 0, 1, 2, false, true, false, false},
        {"(-1, 2): there", -1, 2, 0, 1, 2, false, true, false, false},
        {"(1, 1): not there", 1, 1, 0, 1, 2, false, false, false, false},
        {"own kind 2", 0, 0, 2, 1, 2, false, true, false, false},
        {"enemy kind 2", 0, 0, 2, 2, 2, true, false, true, false},
        {"enemy kind 1 closed", 0, 0, 1, 2, 2, false, false, true, false},
        {"enemy kind 6 open", 0, 0, 6, 2, 2, true, true, false, true},
        {"own kind 4", 0, 0, 4, 1, 2, false, false, true, false},
        {"officer kind 5 at kind 1", 3, 3, 1, 1, 5, false, false, true, false},
        {"officer kind 5 at kind 0", 0, 0, 0, 1, 5, false, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestTroop* t = Add(player, 10 + c.dx, 10 + c.dy);
        t->officer->Set(OfficerLayout::kAttribute, c.officerKind);
        t->moveKind = 6;
        t->targetObject = &city;
        city.SetInt(CityLayout::kKind, c.cityKind);
        city.ownerSide = c.owner;
        city.emptyFlag = c.open ? 1 : 0;
        city.entered.clear();
        player->taken.clear();
        enemy->recalled.clear();
        map->Update();
        EXPECT_EQ(!city.entered.empty(), c.entered);
        EXPECT_EQ(t->halts, c.halted ? 1 : 0);
        EXPECT_EQ(!player->taken.empty(), c.captured);
        if (c.captured) {
            EXPECT_EQ(city.emptyFlag, 0);
            EXPECT_EQ(enemy->recalled, std::vector<int>{3}); // the city id, as troops keep it
        }
        player->fieldUnits.RemoveValue(uintptr_t(t));
        map->RemoveObjectEverywhere(uintptr_t(t));
        delete t;
    }
}

TEST_F(WorldStep, CityEntryIsTheHostsAndACaptureTravelsAsARecord) {
    TestCity city;
    city.id = 7;
    city.SetInt(CityLayout::kX, 10);
    city.SetInt(CityLayout::kY, 10);
    city.ownerSide = 2;
    city.emptyFlag = 1;
    TestTroop* t = Add(player, 10, 10);
    t->moveKind = 6;
    t->targetObject = &city;
    t->officer->Set(OfficerLayout::kPersonNumber, 321);
    // City id 7 is entry 6 of the city table.
    map->cities[6] = &city;
    map->cityCount = 7;

    Networked(false);
    map->Update();
    EXPECT_TRUE(city.entered.empty());
    EXPECT_TRUE(player->taken.empty());
    EXPECT_TRUE(testsupport::SentRecords().empty());

    Networked(true);
    map->Update();
    EXPECT_EQ(city.entered.size(), 1u);
    ASSERT_EQ(player->taken.size(), 1u);
    // The record names the city by its index and the troop by its unit id.
    ASSERT_EQ(testsupport::SentRecords().size(), 1u);
    const uint32_t unit = t->UnitId();
    const std::vector<uint8_t> expected = {
        0x00, 0x05, 0, 0, 16, 0, 0, 0, 6, 0, 0, 0, uint8_t(unit), uint8_t(unit >> 8), 0, 0};
    EXPECT_EQ(testsupport::SentRecords()[0], expected);

    // Team play: an ally's city takes the troop in.
    TheGameController->teamMode = 1;
    city.entered.clear();
    city.emptyFlag = 0;
    city.ownerSide = 3;
    TestKingdom* ally = AddKingdom(3);
    ally->relations[1] = 1;
    map->Update();
    EXPECT_EQ(city.entered.size(), 1u);
    EXPECT_EQ(t->halts, 0);
    map->cities[6] = nullptr;
    map->cityCount = 0;
}

TEST_F(WorldStep, ArrivalAtASubCastle) {
    TestSubCastle sc;
    sc.entranceX = 10;
    sc.entranceY = 10;
    TestTroop* t = Add(player, 11, 9);
    t->moveKind = 6;
    t->targetObject = &sc;
    t->targetIsSubCastle = 1;
    struct Case {
        int kind, owner, occupied, status;
        bool accept;
        bool asked, halted;
    } cases[] = {
        {4, 1, 0, 0, true, true, false}, {4, 1, 1, 0, true, false, true}, {5, 2, 1, 0, true, true, false},
        {4, 2, 0, 1, true, false, true}, {5, 1, 0, 1, true, false, true}, {5, 2, 0, 1, true, true, false},
        {3, 2, 0, 0, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " owner " << c.owner << " occupied "
                                        << c.occupied << " status " << c.status);
        sc.SetInt(SubCastleLayout::kKind, c.kind);
        sc.ownerSide = c.owner;
        sc.occupied = c.occupied;
        sc.accept = c.accept;
        sc.asked.clear();
        t->officer->StatusWord() = c.status;
        t->halts = 0;
        map->Update();
        EXPECT_EQ(!sc.asked.empty(), c.asked);
        EXPECT_EQ(t->halts, c.halted ? 1 : 0);
    }
}

std::vector<std::vector<uint8_t>> ValuesSent;
void RecordValueCommand(uint8_t code, const uint8_t* payload, size_t length) {
    if (code == kTroopValueCommand) ValuesSent.emplace_back(payload, payload + length);
}

TEST_F(WorldStep, HealingAndPoisonGroundChangeStaminaOnlyWhereCommandsApply) {
    SetGameCommandSender(RecordValueCommand);
    struct Case {
        const char* what;
        uint16_t layer;
        bool networked, host;
        int hp, maxHp;
        int hpAfter10;
        int status;
        size_t sent;
    } cases[] = {
        {"spring, single", 0x37B0, false, false, 50, 100, 52, 4, 0},
        {"spring, host", 0x37D3, true, true, 50, 100, 52, 4, 1},
        {"spring, client", 0x37C0, true, false, 50, 100, 50, 4, 0},
        {"spring, full", 0x37B0, false, false, 100, 100, 100, 0, 0},
        {"poison, single", 0x37F8, false, false, 50, 100, 48, 5, 0},
        {"poison, client", 0x381B, true, false, 50, 100, 50, 5, 0},
        {"plain ground", 0x3800 + 0x100, false, false, 50, 100, 50, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ValuesSent.clear();
        TheGameController->networked = c.networked;
        TheGameController->isHost = c.host;
        TestTroop* t = Add(player, 12, 12);
        t->officer->Set(OfficerLayout::kAttribute, 1);
        t->officer->Set(OfficerLayout::kHp, c.hp);
        t->officer->Set(OfficerLayout::kMaxHp, c.maxHp);
        t->officer->Set(OfficerLayout::kPolicy, 9);
        map->CellAt(12, 24)->layerTile = c.layer;
        map->Update();
        EXPECT_EQ(t->officer->TerrainStatus(), c.status);
        EXPECT_EQ(t->attachedEffects[0] != nullptr, c.status != 0);
        if (t->attachedEffects[0]) {
            EXPECT_EQ(t->attachedEffects[0]->category, 3);
            EXPECT_EQ(t->attachedEffects[0]->id, c.status);
            EXPECT_EQ(t->attachedEffects[0]->x, 12 * 40);
            EXPECT_EQ(t->attachedEffects[0]->y, 12 * 20);
        }
        for (int i = 0; i < 10; ++i)
            map->Update();
        EXPECT_EQ(t->officer->Get(OfficerLayout::kHp), c.hpAfter10);
        ASSERT_EQ(ValuesSent.size(), c.sent);
        if (c.sent) {
            // The new strength travels, kind 1, for the troop on the field.
            ByteReader in(ValuesSent[0].data(), ValuesSent[0].size());
            EXPECT_EQ(in.u32(), t->UnitId());
            in.skip(12);
            EXPECT_EQ(int32_t(in.u32()), c.hpAfter10);
            EXPECT_EQ(in.u32(), 1u);
        }
        if (c.status == 4 && c.hpAfter10 != c.hp) {
            EXPECT_EQ(t->officer->Get(OfficerLayout::kPolicy), 0);
        }
        player->fieldUnits.RemoveValue(uintptr_t(t));
        map->RemoveObjectEverywhere(uintptr_t(t));
        delete t;
    }
    SetGameCommandSender(nullptr);
}

TEST_F(WorldStep, HealingEndsAtTheMaximumAndPoisonKillsAtZero) {
    TestTroop* t = Add(player, 12, 12);
    t->officer->Set(OfficerLayout::kAttribute, 1);
    t->officer->Set(OfficerLayout::kHp, 99);
    t->officer->Set(OfficerLayout::kMaxHp, 100);
    map->CellAt(12, 24)->layerTile = 0x37B5;
    for (int i = 0; i < 11; ++i)
        map->Update();
    EXPECT_EQ(t->officer->Get(OfficerLayout::kHp), 100); // 101 cut to the maximum
    EXPECT_EQ(t->officer->TerrainStatus(), 0);
    EXPECT_EQ(t->attachedEffects[0], nullptr);

    // Immune officers stand on it unharmed.
    t->officer->Set(OfficerLayout::kPersonNumber, 435);
    map->CellAt(12, 24)->layerTile = 0x3801;
    map->Update();
    EXPECT_EQ(t->officer->TerrainStatus(), 0);

    t->officer->Set(OfficerLayout::kPersonNumber, 1);
    t->officer->Set(OfficerLayout::kHp, 2);
    for (int i = 0; i < 11; ++i)
        map->Update();
    EXPECT_EQ(t->officer->Get(OfficerLayout::kHp), 0);
    ASSERT_EQ(t->hits.size(), 1u);
    EXPECT_EQ(t->hits[0], std::make_pair(100, 0));
    EXPECT_EQ(t->officer->TerrainStatus(), 0);
    EXPECT_EQ(t->attachedEffects[0], nullptr);
}

TEST_F(WorldStep, ThePersonOf441DiesWhenEmptyAndAmbushersWait) {
    TestTroop* t = Add(player, 5, 5);
    t->officer->Set(OfficerLayout::kPersonNumber, 441);
    t->officer->Set(OfficerLayout::kHp, 1);
    map->Update();
    EXPECT_EQ(t->deadFlag, 0);
    EXPECT_EQ(t->steps, 1);
    t->officer->Set(OfficerLayout::kHp, 0);
    map->Update();
    EXPECT_EQ(t->deadFlag, 1);
    EXPECT_EQ(t->steps, 1);
    EXPECT_EQ(map->FirstObjectAt(5, 5), 0u);

    TestTroop* hidden = Add(player, 8, 8);
    hidden->officer->Set(OfficerLayout::kAmbush, 3);
    map->Update();
    EXPECT_EQ(hidden->steps, 0);
    TheGameController->running = 0;
    TheScreenSettings->stageEditMode = 1;
    map->Update();
    EXPECT_EQ(hidden->steps, 1);
    TheScreenSettings->stageEditMode = 0;
    TheGameController->running = 1;
}

TEST_F(WorldStep, AnEngagedGatePieceOfTheSameSideHaltsTheTroopOnTheHost) {
    TestTroop* t = Add(player, 5, 5);
    TestTroop* piece = Add(player, 6, 5);
    piece->officer->Set(OfficerLayout::kAttribute, 17);
    t->targetTroop = piece;
    Networked(false);
    map->Update();
    EXPECT_EQ(t->halts, 0);
    Networked(true);
    map->Update();
    EXPECT_EQ(t->halts, 1);
    piece->state = 13;
    map->Update();
    EXPECT_EQ(t->targetTroop, nullptr);
}

TEST_F(WorldStep, TheMissileListStepsAndDropsLandedMissiles) {
    NumberTableValues[5] = 2.0;
    TestTroop* victim = Add(player, 3, 7);
    TestTroop* shooter = Add(enemy, 3, 2);
    shooter->officer->Set(OfficerLayout::kAttack, 10);
    auto* m = new Missile(nullptr, 0, 3, 2, 3, 7, 2, 0); // 100 pixels straight down
    m->power = 10;
    map->missiles->Add(uintptr_t(m));
    for (int frame = 1; frame <= 4; ++frame) {
        map->Update();
        ASSERT_EQ(map->missiles->GetCount(), 1) << frame;
    }
    EXPECT_EQ(m->landed, 1);
    EXPECT_TRUE(victim->hits.empty());
    map->Update();
    EXPECT_EQ(map->missiles->GetCount(), 0);
    EXPECT_EQ(victim->hits.size(), 1u);
    EXPECT_EQ(enemy->score, 5);
}

TEST_F(WorldStep, TickRunsTheTriggersByModeAndStopsAtTheEnd) {
    struct Recorder : FrontEndServices {
        int triggers = 0;
        void CheckTriggers(EventManager*) override { ++triggers; }
    } recorder;
    FrontEndServices* before = GetFrontEndServices();
    SetFrontEndServices(&recorder);
    EventManager events;
    TheGameController->eventManager = &events;
    map->Tick();
    EXPECT_EQ(recorder.triggers, 1);
    TheScreenSettings->stageEditMode = 1;
    map->Tick();
    EXPECT_EQ(recorder.triggers, 1);
    TheGameController->triggerWord = 1;
    map->Tick();
    EXPECT_EQ(recorder.triggers, 2);
    TheScreenSettings->stageEditMode = 0;
    TheGameController->pauseScreen = 1;
    map->Tick();
    EXPECT_EQ(recorder.triggers, 2);
    TheGameController->pauseScreen = 0;
    TheScreenSettings->editorKeys = 1;
    map->Tick();
    EXPECT_EQ(recorder.triggers, 2);
    TheScreenSettings->editorKeys = 0;
    // The calendar: a day passes when the counter had reached the period.
    const int32_t period = CalendarDayPeriod(TheScreenSettings->gameSpeed, 0);
    TheScreenSettings->day = 3;
    TheScreenSettings->calendarStepFrames = 0;
    for (int i = 0; i < period; ++i)
        map->Tick();
    EXPECT_EQ(TheScreenSettings->day, 3);
    map->Tick();
    EXPECT_EQ(TheScreenSettings->day, 4);
    TheGameController->eventManager = nullptr;
    SetFrontEndServices(before);
}

TEST_F(WorldStep, PlaceUnitsPutsAmbushersOnTheirCellsOnce) {
    TestTroop* hidden = Add(player, 9, 9);
    map->RemoveObjectEverywhere(uintptr_t(hidden));
    hidden->officer->Set(OfficerLayout::kAmbush, 1);
    map->PlaceUnits(0);
    map->PlaceUnits(0);
    EXPECT_EQ(map->FirstObjectAt(9, 9), uintptr_t(hidden));
    EXPECT_EQ(map->NextObjectAt(), 0u);
}

// Saved while the battle had started, the groups were stored without their followers: the guards
// come back from the leaders' guard slots.
TEST_F(WorldStep, RebuildKeepsLeadersAndBringsTheirGuardsBackForASavedGame) {
    TheScreenSettings->battleStarted = 1;
    TestTroop* leader = Add(player, 36, 10);
    bool gone = false;
    TestTroop* loose = Add(player, 5, 5);
    loose->leaderFlag = 0;
    loose->deleted = &gone;
    leader->followers = new LinkList;
    leader->followers->Add(uintptr_t(loose));
    leader->officer->Set(OfficerLayout::kEscorts + 4 * 0, 77);
    leader->officer->Set(OfficerLayout::kEscorts + 4 * 5, 78);
    // The guards are made from the general templates of their person numbers.
    uint8_t templates[2][OfficerLayout::kSize] = {};
    templates[0][OfficerLayout::kPersonNumber] = 77;
    templates[1][OfficerLayout::kPersonNumber] = 78;
    const int32_t savedCount = GeneralTemplateCount;
    GeneralTemplateTable[77] = templates[0];
    GeneralTemplateTable[78] = templates[1];
    GeneralTemplateCount = 79;
    TheGameController->loadingSavedGame = 1;
    map->nextUnitId = 600;
    map->RebuildStageTroops();
    TheGameController->loadingSavedGame = 0;
    EXPECT_TRUE(gone);
    EXPECT_EQ(leader->halts, 1);
    EXPECT_EQ(leader->groupId, 600);
    EXPECT_EQ(map->nextUnitId, 601);
    ASSERT_EQ(leader->followers->GetCount(), 2);
    auto* f0 = reinterpret_cast<Troop*>(leader->followers->GetAt(0));
    auto* f1 = reinterpret_cast<Troop*>(leader->followers->GetAt(1));
    EXPECT_EQ(f0->officer->Get(OfficerLayout::kPersonNumber), 77);
    EXPECT_EQ(f1->officer->Get(OfficerLayout::kPersonNumber), 78);
    GeneralTemplateTable[77] = GeneralTemplateTable[78] = nullptr;
    GeneralTemplateCount = savedCount;
    EXPECT_EQ(f0->cellX, 37);
    EXPECT_EQ(f1->cellX, 39); // kept on the grid
    EXPECT_EQ(f0->groupId, 600);
    EXPECT_EQ(player->fieldUnits.GetCount(), 3);
    TheScreenSettings->battleStarted = 0;
}

// A saved game's groups came whole from the file: nothing is made from the guard slots, nothing is
// halted, the followers and the paired troop stay with their leader as they were saved, and a
// follower whose leader is gone goes.
TEST_F(WorldStep, RebuildLeavesTheGroupsASavedGameBroughtWhole) {
    TestTroop* leader = Add(player, 10, 10);
    leader->state = 1;
    leader->officer->Set(OfficerLayout::kEscorts, 77);
    auto follower = [&](int x) {
        TestTroop* f = Add(player, x, 12);
        f->leaderFlag = 0;
        f->leader = leader;
        return f;
    };
    TestTroop* kept = follower(11);
    TestTroop* paired = follower(12);
    leader->followers = new LinkList;
    leader->followers->Add(uintptr_t(kept));
    leader->pairedTroop = paired;
    bool strayGone = false;
    TestTroop* stray = follower(13); // names the leader but is in none of its lists
    stray->deleted = &strayGone;
    map->nextUnitId = 600;
    TheGameController->loadingSavedGame = 1;
    map->RebuildStageTroops();
    TheGameController->loadingSavedGame = 0;

    EXPECT_TRUE(strayGone);
    EXPECT_EQ(player->fieldUnits.GetCount(), 3);
    ASSERT_EQ(leader->followers->GetCount(), 1);
    EXPECT_EQ(leader->followers->GetAt(0), uintptr_t(kept));
    EXPECT_EQ(leader->pairedTroop, paired);
    EXPECT_EQ(leader->halts, 0);
    EXPECT_EQ(leader->state, 1);
    EXPECT_EQ(map->nextUnitId, 600);
    // The group moves as one: its members share a group id no new unit number can take.
    EXPECT_EQ(kept->groupId, leader->groupId);
    EXPECT_EQ(paired->groupId, leader->groupId);
    EXPECT_LT(leader->groupId, 0);
}

struct CountingGate : CastleGate {
    int32_t UpdateOpenState() override {
        ++updates;
        return 0;
    }
    int updates = 0;
};

TEST_F(WorldStep, GatesOfKindsZeroAndOneOpenAndCloseInGameMode) {
    CountingGate* gates[3];
    for (int kind = 0; kind < 3; ++kind) {
        gates[kind] = new CountingGate;
        gates[kind]->direction = kind;
        enemy->gates.Add(uintptr_t(gates[kind]));
    }
    const int32_t savedMode = GameModeFlag;
    GameModeFlag = 1;
    map->Update();
    EXPECT_EQ(gates[0]->updates, 1);
    EXPECT_EQ(gates[1]->updates, 1);
    EXPECT_EQ(gates[2]->updates, 0);
    GameModeFlag = 0; // the editor
    map->Update();
    EXPECT_EQ(gates[0]->updates, 1);
    GameModeFlag = savedMode;
}

TEST_F(WorldStep, RestorePlayerUnitsPutsBackTheSavedTypeAndFacing) {
    TestTroop* changed = Add(player, 5, 5);
    TestTroop* same = Add(player, 6, 5);
    TestTroop* notKind1 = Add(player, 7, 5);
    TestTroop* foe = Add(enemy, 8, 5);
    for (TestTroop* t : {changed, same, notKind1, foe}) {
        t->officer->Set(OfficerLayout::kAttribute, 1);
        t->savedUnitType = 40;
        t->savedFacing = 3;
        t->currentType = 41;
        t->facing = 3;
    }
    same->currentType = 40;
    notKind1->officer->Set(OfficerLayout::kAttribute, 2);
    TheGameController->mode = 0;
    map->RestorePlayerUnits();
    EXPECT_EQ(changed->currentType, 40);
    EXPECT_EQ(changed->refreshedInMode, std::vector<int>{1});
    EXPECT_TRUE(same->refreshedInMode.empty());
    EXPECT_EQ(notKind1->currentType, 41);
    EXPECT_EQ(foe->currentType, 41);
    EXPECT_EQ(TheGameController->mode, 0);
}

} // namespace
