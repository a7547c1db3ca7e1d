// A stage file set written by the game's own writers and loaded whole by the stage loader.
#include "Program/LoadingScreen.h"
#include "events/EventFile.h"
#include "events/EventManager.h"
#include "events/EventRecord.h"
#include "records/StageWorldSeam.h"
#include "tests/stagefiles/MainStageFixture.h"
#include "troops/CastleGate.h"
#include "world/MapFiles.h"
#include "world/MapObject.h"
#include "world/MapView.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace mainstagetest;

namespace {

using FileSet = std::map<std::string, std::vector<uint8_t>>;

const char* const kFiles[] = {"w.stg", "w.spr", "w.soldier", "w.gat", "w.dor", "w.itm",
                              "w.evt", "w.m",   "w.x",       "w.csm", "w.cmb"};

// The fixture's world saved as a game: its map, a gate at the first city, three map items and two
// events.
FileSet WrittenSet() {
    FileSet set;
    MainWorld w;
    TheGameController->freshStage = 0;
    w.a->gates.Add(uintptr_t(new CastleGate(5, 10, 0, w.a->nationIndex, 0, 5, 10)));
    if (!TheBattleMap->mapItems) TheBattleMap->mapItems = new LinkList;
    for (int id : {3, 5, 7})
        TheBattleMap->mapItems->Add(uintptr_t(new MapObject(id, 1, 1, id * 2, id + 1)));
    for (int code : {8, 9}) {
        auto* e = new events::EventRecord;
        e->SetInt(EventLayout::kCode, code);
        w.battle.stage->events->Add(uintptr_t(e));
    }

    TemplateTables tables;
    EXPECT_EQ(tables.SaveMainFile("w.stg"), 1);
    EXPECT_EQ(tables.WriteSoldierFile("w.spr"), 1);
    tables.WriteGarrisonFile("w.soldier");
    EXPECT_EQ(tables.SaveGateFile("w.gat"), 1);
    EXPECT_EQ(tables.SaveDoorFile("w.dor"), 1);
    EXPECT_EQ(tables.SaveItemFile("w.itm"), 1);
    EXPECT_EQ(SaveEventFile("w.evt", *w.battle.stage->events), 1);
    EXPECT_EQ(SaveMapFiles("w"), 1);
    for (const char* name : kFiles) {
        auto bytes = StageReader::ReadFile(name);
        EXPECT_TRUE(bytes) << name;
        if (bytes) set[name] = std::move(*bytes);
    }
    DeleteEvents(*w.battle.stage->events);
    for (uintptr_t v = TheBattleMap->mapItems->First(); v != 0; v = TheBattleMap->mapItems->Next())
        delete reinterpret_cast<MapObject*>(v);
    TheBattleMap->mapItems->RemoveAll();
    return set;
}

void PutSet(const FileSet& set) {
    for (const auto& [name, bytes] : set)
        testsupport::TempFolder::Write(name, bytes);
}

// What the loader made for the controller.
void DropLoaderObjects() {
    GameController* c = TheGameController;
    delete c->eventManager;
    c->eventManager = nullptr;
    delete c->gameScreen;
    c->gameScreen = nullptr;
    if (TheBattleMap->mapItems) {
        for (uintptr_t v = TheBattleMap->mapItems->First(); v != 0; v = TheBattleMap->mapItems->Next())
            delete reinterpret_cast<MapObject*>(v);
        TheBattleMap->mapItems->RemoveAll();
    }
}

} // namespace

TEST(StageLoading, SavedGameSetRebuildsTheWorld) {
    const FileSet written = WrittenSet();
    trooptest::Battle battle;
    ResetWorld();
    FillItemTable();
    PutSet(written);
    TheGameController->freshStage = 0;
    TheGameController->campaignStage = 0;

    TemplateTables tables;
    EXPECT_EQ(tables.LoadStage("w.stg", 0), 1);

    Zu_StageSet* stage = CurrentStageSet();
    ASSERT_TRUE(stage);
    ASSERT_NE(stage, battle.stage);
    const auto kingdoms = Items<Kingdom>(*stage->kingdoms);
    ASSERT_EQ(kingdoms.size(), 2u);
    Kingdom* a = kingdoms[0];
    EXPECT_EQ(a->nationIndex, kIndexA);
    EXPECT_EQ(stage->playerKingdom, a);
    EXPECT_EQ(World().computerRun[kIndexA], 0);
    EXPECT_EQ(World().computerRun[kIndexB], 1);
    EXPECT_EQ(TheGameController->campaignStage, 17);
    EXPECT_EQ(TheBattleMap->width, trooptest::kMapWidth);

    // The gate found its city, the map items and events came from their files.
    City* c1 = TheBattleMap->CityById(kCity1);
    ASSERT_TRUE(c1);
    EXPECT_EQ(c1->gates.GetCount(), 1);
    EXPECT_EQ(TheBattleMap->mapItems->GetCount(), 3);
    const auto events = Items<events::EventRecord>(*stage->events);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1]->Code(), 9);
    // The general in the first city is its kingdom's.
    EXPECT_EQ(a->mapGenerals.GetCount(), 1);

    EXPECT_EQ(TheGameController->stageLoaded, 1);
    EXPECT_EQ(TheGameController->talkTextsLoaded, 1);
    EXPECT_TRUE(TheGameController->eventManager);
    EXPECT_EQ(TheScreenSettings->busyState.load(), 0);
    EXPECT_FALSE(LoadingScreenRunning());
    DropLoaderObjects();
    ResetWorld();
}

TEST(StageLoading, MissingOrEmptyMainFileIsReportedButTheRestLoads) {
    const FileSet written = WrittenSet();
    trooptest::Battle battle;
    ResetWorld();
    FillItemTable();
    PutSet(written);
    TheGameController->freshStage = 0;
    testsupport::TempFolder::Write("empty.stg", std::vector<uint8_t>{0, 0, 0, 0});
    testsupport::TempFolder::Write("empty.evt", written.at("w.evt"));

    TemplateTables tables;
    EXPECT_EQ(tables.LoadStage("none.stg", 0), 0);
    EXPECT_EQ(tables.LoadStage("empty.stg", 0), 0);
    EXPECT_EQ(TheGameController->stageLoaded, 1);
    EXPECT_FALSE(LoadingScreenRunning());

    // Keeping the scenario reads no main file; a second read of the same set does not double the
    // events.
    ASSERT_EQ(tables.LoadStage("w.stg", 0), 1);
    Zu_StageSet* stage = CurrentStageSet();
    EXPECT_EQ(tables.LoadStage("w.evt", 1), 1);
    EXPECT_EQ(CurrentStageSet(), stage);
    EXPECT_EQ(stage->events->GetCount(), 2);
    DropLoaderObjects();
    ResetWorld();
}
