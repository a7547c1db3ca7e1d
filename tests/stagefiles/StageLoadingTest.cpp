// A stage file set written by the game's own writers and loaded whole by the stage loader.
#include "Program/LoadingScreen.h"
#include "events/EventFile.h"
#include "events/EventManager.h"
#include "events/EventRecord.h"
#include "events/EventStep.h"
#include "stagefiles/StageFileSet.h"
#include "tests/stagefiles/MainStageFixture.h"
#include "troops/CastleGate.h"
#include "world/BattleMap.h"
#include "world/MapFiles.h"
#include "world/MapObject.h"
#include "world/MapView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <string>

using namespace mainstagetest;

namespace {

using FileSet = std::map<std::string, std::vector<uint8_t>>;

const char* const kFiles[] = {"w.stg", "w.spr", "w.soldier", "w.gat", "w.dor", "w.itm",
                              "w.evt", "w.m",   "w.x",       "w.csm", "w.cmb"};

events::EventRecord* Event(int32_t code) {
    auto* e = new events::EventRecord;
    e->SetInt(EventLayout::kCode, code);
    return e;
}

// A step of the kind with parameters 1..4.
void AddStep(events::EventRecord* e, int32_t kind, std::array<int32_t, 4> params) {
    e->NewStep();
    auto* step = reinterpret_cast<EventStep*>(e->steps.Last());
    step->SetInt(EventStepLayout::kCode, kind);
    for (int i = 0; i < 4; ++i)
        step->SetParam(i + 1, params[size_t(i)]);
}

// The fixture's world saved as a game: its map, a gate at the first city, three map items and two
// events (or the events given).
FileSet WrittenSet(std::vector<events::EventRecord*> stageEvents = {}) {
    FileSet set;
    MainWorld w;
    w.battle.stage->SetColumn(StageBlockLayout::kStartX, 30);
    w.battle.stage->SetColumn(StageBlockLayout::kStartY, 70);
    TheGameController->freshStage = 0;
    w.a->gates.Add(uintptr_t(new CastleGate(5, 10, 0, w.a->nationIndex, 0, 5, 10)));
    ListValues<OfficerRecord>(w.city1->generals)[0]->serial = 5000;
    if (!TheBattleMap->mapItems) TheBattleMap->mapItems = new LinkList;
    for (int id : {3, 5, 7})
        TheBattleMap->mapItems->Add(uintptr_t(new MapObject(id, 1, 1, id * 2, id + 1)));
    if (stageEvents.empty()) stageEvents = {Event(8), Event(9)};
    for (events::EventRecord* e : stageEvents)
        w.battle.stage->events->Add(uintptr_t(e));

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
    FillItemTable();
    PutSet(written);
    TheGameController->freshStage = 0;
    TheGameController->campaignStage = 0;

    TheScreenSettings->serialCounter = 100;
    TemplateTables tables;
    EXPECT_EQ(tables.LoadStage("w.stg", 0), 1);
    // The restored serials stay; officers made from now on take none of them.
    EXPECT_EQ(TheScreenSettings->serialCounter, 5001);

    Zu_StageSet* stage = CurrentStageSet();
    ASSERT_TRUE(stage);
    ASSERT_NE(stage, battle.stage);
    const auto kingdoms = ListValues<Kingdom>(*stage->kingdoms);
    ASSERT_EQ(kingdoms.size(), 2u);
    Kingdom* a = kingdoms[0];
    EXPECT_EQ(a->nationIndex, kIndexA);
    EXPECT_EQ(stage->playerKingdom, a);
    EXPECT_EQ(TheBattleMap->sideActive[kIndexA], 0);
    EXPECT_EQ(TheBattleMap->sideActive[kIndexB], 1);
    EXPECT_EQ(TheGameController->campaignStage, 17);
    EXPECT_EQ(TheBattleMap->width, trooptest::kMapWidth);
    // The stage's start cell (30, 70) kept to (40 - 14, 80 - 56); a restore sets no start marker.
    EXPECT_EQ(TheGameController->gameScreen->viewX, 26);
    EXPECT_EQ(TheGameController->gameScreen->viewY, 24);
    EXPECT_EQ(TheGameController->viewStartMarker, 0);

    // The gate found its city, the map items and events came from their files.
    City* c1 = TheBattleMap->CityById(kCity1);
    ASSERT_TRUE(c1);
    EXPECT_EQ(c1->gates.GetCount(), 1);
    EXPECT_EQ(TheBattleMap->mapItems->GetCount(), 3);
    const auto events = ListValues<events::EventRecord>(*stage->events);
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
}

TEST(StageLoading, MissingOrEmptyMainFileIsReportedButTheRestLoads) {
    const FileSet written = WrittenSet();
    trooptest::Battle battle;
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
}

TEST(StageLoading, FreshStageTakesItsViewFromTheFirstStartEvent) {
    // The first condition-99 event's first kind-0 step gives the view; a later event is not tried.
    const struct {
        bool firstStepIsView;
        std::array<int32_t, 4> view;
    } cases[] = {{true, {2, 3, 500, 500}}, {true, {-5, 70, 10, 1}}, {false, {0, 0, 0, 0}}};
    for (const auto& c : cases) {
        events::EventRecord* start = Event(99);
        if (!c.firstStepIsView) AddStep(start, 4, {1, 1, 9, 9});
        AddStep(start, 0, {2, 3, 500, 500});
        AddStep(start, 0, {1, 1, 9, 9});
        events::EventRecord* later = Event(99);
        AddStep(later, 0, {4, 4, 8, 8});
        if (c.firstStepIsView) {
            auto* first = reinterpret_cast<EventStep*>(start->steps.First());
            for (int i = 0; i < 4; ++i)
                first->SetParam(i + 1, c.view[size_t(i)]);
        }
        const FileSet written = WrittenSet({Event(5), start, later});
        trooptest::Battle battle;
        FillItemTable();
        PutSet(written);
        TheGameController->freshStage = 1;

        TemplateTables tables;
        ASSERT_EQ(tables.LoadStage("w.stg", 0), 1);
        const MapView& view = *TheGameController->gameScreen;
        // Stage 17 is outside 1..4: its start cell marks the view's first place.
        EXPECT_EQ(TheGameController->viewStartMarker, 0x777);
        if (c.firstStepIsView && c.view[0] == 2) {
            EXPECT_EQ(view.scrollMinX, 2);
            EXPECT_EQ(view.scrollMinY, 3);
            EXPECT_EQ(view.scrollMaxX, 40);
            EXPECT_EQ(view.scrollMaxY, 80);
        } else if (c.firstStepIsView) {
            // Kept inside the map and never reversed.
            EXPECT_EQ(view.scrollMinX, 0);
            EXPECT_EQ(view.scrollMinY, 24);
            EXPECT_EQ(view.scrollMaxX, 10);
            EXPECT_EQ(view.scrollMaxY, 24);
        } else {
            EXPECT_NE(view.scrollMinX, 4);
            EXPECT_NE(view.scrollMinX, 2);
        }
        DropLoaderObjects();
    }
}

namespace {

// The ways a file is damaged: cut to half or to 13 bytes, 20 bytes flipped, replaced by 4 KB of
// random bytes, or deleted. The damage is the same on every run.
enum class Damage { Half, Thirteen, Flip20, Random4K, Deleted };

std::vector<uint8_t> Damaged(std::vector<uint8_t> bytes, Damage how, uint32_t seed) {
    uint32_t state = seed * 2654435761u + 1;
    auto next = [&state] { return state = state * 1103515245u + 12345u, state >> 8; };
    switch (how) {
    case Damage::Half:
        bytes.resize(bytes.size() / 2);
        break;
    case Damage::Thirteen:
        bytes.resize(std::min<size_t>(bytes.size(), 13));
        break;
    case Damage::Flip20:
        for (int i = 0; i < 20 && !bytes.empty(); ++i)
            bytes[next() % bytes.size()] ^= uint8_t(1 + next() % 255);
        break;
    case Damage::Random4K:
        bytes.resize(4096);
        for (uint8_t& b : bytes)
            b = uint8_t(next());
        break;
    case Damage::Deleted:
        break;
    }
    return bytes;
}

std::string ErrorLog() {
    auto bytes = StageReader::ReadFile("Error.lst");
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

} // namespace

// Each file of a saved set, damaged in each way: the load says it failed and names the file in
// its result and in "Error.lst", or (a file the set may lack, deleted) loads with that part
// empty and still notes it. Flipped bytes may leave a file that reads as another valid one.
TEST(StageLoading, EachDamagedFileOfASetFailsTheLoadAndIsNamed) {
    const FileSet written = WrittenSet();
    const Damage ways[] = {Damage::Half, Damage::Thirteen, Damage::Flip20, Damage::Random4K, Damage::Deleted};
    const char* const names[] = {"half", "13 bytes", "20 flipped", "4 KB random", "deleted"};
    uint32_t seed = 0;
    for (const char* file : kFiles) {
        if (std::string(file) == "w.dor") continue; // a saved game reads ".gat"
        for (size_t way = 0; way < std::size(ways); ++way) {
            SCOPED_TRACE(std::string(file) + ": " + names[way]);
            trooptest::Battle battle;
            FillItemTable();
            PutSet(written);
            TheGameController->freshStage = 0;
            std::filesystem::remove(file);
            if (ways[way] != Damage::Deleted)
                testsupport::TempFolder::Write(file, Damaged(written.at(file), ways[way], ++seed));
            std::filesystem::remove("Error.lst");

            TemplateTables tables;
            const int loaded = tables.LoadStage("w.stg", 0);
            const bool optional = StageFileOptional(file) && ways[way] == Damage::Deleted;
            if (optional) {
                EXPECT_EQ(loaded, 1);
                EXPECT_TRUE(tables.unreadFile.empty()) << tables.unreadFile;
            } else if (ways[way] != Damage::Flip20 || loaded == 0) {
                EXPECT_EQ(loaded, 0);
                EXPECT_EQ(tables.unreadFile, file);
            }
            if (loaded == 0 || optional)
                EXPECT_NE(ErrorLog().find(std::string("\n") + file + ","), std::string::npos) << ErrorLog();
            EXPECT_FALSE(LoadingScreenRunning());
            DropLoaderObjects();
        }
    }
}
