// Stage saving, save slots and the ".castle" listing.
#include "stagefiles/SaveSlots.h"
#include "events/EventRecord.h"
#include "stagefiles/StageSave.h"
#include "support/TempFolder.h"
#include "tests/stagefiles/MainStageFixture.h"
#include "troops/CastleGate.h"
#include "world/MapObject.h"
#include "world/MapView.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

using namespace mainstagetest;
namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> FolderNames(const fs::path& folder) {
    std::vector<std::string> names;
    if (!fs::exists(folder)) return names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(SaveSlotNames, SlotsRunThroughTheDigitsAndOnToTheLetters) {
    EXPECT_STREQ(SaveSlotFileName(0), ".\\Save\\dynasty1.age");
    EXPECT_STREQ(SaveSlotFileName(8), ".\\Save\\dynasty9.age");
    EXPECT_STREQ(SaveSlotFileName(9), ".\\Save\\dynastyA.age");
    EXPECT_STREQ(SaveSlotFileName(15), ".\\Save\\dynastyG.age");
    EXPECT_EQ(SaveSlotFileName(-1), nullptr);
    EXPECT_EQ(SaveSlotFileName(16), nullptr);
}

TEST(SaveGame, WritesTheSlotsWholeSetAndRestoresTheSwitches) {
    MainWorld w;
    TheScreenSettings->mapKeptOutside = 1;
    TheScreenSettings->battleStarted = 0;
    TemplateTables tables;
    EXPECT_FALSE(fs::exists("Save")) << "a fresh install has no save folder";
    ASSERT_EQ(tables.SaveGame(9), 1);
    EXPECT_EQ(TheGameController->freshStage, 1);
    EXPECT_EQ(TheScreenSettings->mapKeptOutside, 1);
    // The map files, a saved game's gates and the garrisons; no door file; no staging left.
    const std::vector<std::string> want = {"dynastyA.age",     "dynastyA.castle", "dynastyA.cmb",
                                           "dynastyA.csm",     "dynastyA.dead",   "dynastyA.evt",
                                           "dynastyA.gat",     "dynastyA.itm",    "dynastyA.m",
                                           "dynastyA.soldier", "dynastyA.spr",    "dynastyA.x"};
    EXPECT_EQ(FolderNames("Save"), want);
    const std::string main = ReadText("Save/dynastyA.age");
    ASSERT_GE(main.size(), 4u);
    EXPECT_EQ(main[0], 1) << "a stage follows the marker";
}

TEST(SaveGame, ASlotOutsideTheTableWritesNothing) {
    MainWorld w;
    TemplateTables tables;
    for (int slot : {-1, 16, 1000}) {
        EXPECT_EQ(tables.SaveGame(slot), 0) << slot;
        EXPECT_TRUE(FolderNames("Save").empty()) << slot;
    }
}

// A set that cannot be written whole leaves the slot's earlier game as it was.
TEST(SaveGame, AFailedWriteKeepsTheOldSave) {
    MainWorld w;
    TemplateTables tables;
    ASSERT_EQ(tables.SaveGame(3), 1);
    const std::string before = ReadText("Save/dynasty4.age");
    const std::string castleBefore = ReadText("Save/dynasty4.castle");
    TheScreenSettings->year = 250; // the new game differs in its main file
    // The item file cannot be put in place this time.
    fs::create_directories("Save/~slot3/dynasty4.itm");
    EXPECT_EQ(tables.SaveGame(3), 0);
    EXPECT_EQ(ReadText("Save/dynasty4.age"), before);
    EXPECT_EQ(ReadText("Save/dynasty4.castle"), castleBefore);
    // And when the save folder itself cannot be made.
    fs::remove_all("Save");
    std::ofstream("Save") << "a file";
    EXPECT_EQ(tables.SaveGame(3), 0);
    EXPECT_EQ(TheGameController->freshStage, 1);
}

TEST(SaveStage, TheEditorWritesAStagesSetAndNoSavedGameFiles) {
    MainWorld w;
    TheGameController->freshStage = 1;
    TheScreenSettings->mapKeptOutside = 0;
    TheGameController->selectedCity = w.city1; // an open city is closed first
    TemplateTables tables;
    ASSERT_EQ(tables.SaveStage("edit.stg"), 1);
    EXPECT_TRUE(tables.lastSaveComplete);
    EXPECT_EQ(TheGameController->selectedCity, nullptr);
    for (const char* name :
         {"edit.m", "edit.spr", "edit.dor", "edit.itm", "edit.dead", "edit.evt", "edit.castle"})
        EXPECT_TRUE(fs::exists(name)) << name;
    for (const char* name : {"edit.soldier", "edit.gat"})
        EXPECT_FALSE(fs::exists(name)) << name;
    // With the map kept outside no map file is written; without a stage the marker is 0.
    TheScreenSettings->mapKeptOutside = 1;
    TheBattleMap->stageSet = nullptr;
    ASSERT_EQ(tables.SaveStage("none.stg"), 1);
    EXPECT_FALSE(fs::exists("none.m"));
    EXPECT_EQ(ReadText("none.stg"), std::string(4, '\0'));
    EXPECT_EQ(ReadText("none.evt"), std::string(4, '\0'));
    EXPECT_EQ(ReadText("none.castle"), "");
    TheBattleMap->stageSet = w.battle.stage;
    // A main file that cannot be written fails the save.
    fs::create_directories("dir.stg");
    EXPECT_EQ(tables.SaveStage("dir.stg"), 0);
    EXPECT_FALSE(fs::exists("dir.spr"));
}

TEST(SaveStage, TheCastleListingNamesEveryKingdomCityAndOfficer) {
    MainWorld w;
    const std::string text = CastleListing(*w.battle.stage);
    // Kingdom Wei: its city header once, then city 1 with its officer header and row, then city 2
    // without officers; kingdom Wu the same with one city.
    std::string want = "Wei\t\n";
    w.city1->WriteTextHeader(want);
    w.city1->WriteTextRow(want);
    auto* general = reinterpret_cast<OfficerRecord*>(w.city1->generals.First());
    general->WriteTextHeader(want);
    general->WriteTextRow(want);
    w.city2->WriteTextRow(want);
    want += "Wu\t\n";
    w.city3->WriteTextHeader(want);
    w.city3->WriteTextRow(want);
    EXPECT_EQ(text, want);
    // A kingdom without cities has its name only.
    auto* empty = new Kingdom;
    empty->SetText(KingdomLayout::kName, 20, "Shu");
    w.battle.stage->kingdoms->Add(uintptr_t(empty));
    EXPECT_EQ(CastleListing(*w.battle.stage), want + "Shu\t\n");
    w.battle.stage->kingdoms->RemoveValue(uintptr_t(empty));
    delete empty;
}

TEST(SaveStage, EventsAreArmedAgainAndTheOpenedOnesWait) {
    Zu_StageSet stage;
    struct Ev {
        int32_t id, end, opens;
    };
    // Event 2 opens event 3; event 4 opens an id no event has.
    const Ev events[] = {{1, 1, 0}, {2, 100, 3}, {3, 1, 0}, {4, 1, 77}};
    for (const Ev& e : events) {
        auto* r = new events::EventRecord;
        r->SetInt(EventLayout::kId, e.id);
        r->SetEndState(e.end);
        r->SetInt(EventLayout::kReopen, e.opens);
        stage.events->Add(uintptr_t(r));
    }
    EXPECT_EQ(ResetEventEndStates(&stage), 1);
    std::vector<int32_t> ends;
    for (auto* r : ListValues<events::EventRecord>(*stage.events))
        ends.push_back(r->EndState());
    EXPECT_EQ(ends, (std::vector<int32_t>{0, 0, 2, 0}));
    EXPECT_EQ(ResetEventEndStates(nullptr), 0);
}

namespace {

// What a player would notice of a world: kingdoms, their cities with generals and units, field
// troops, gates, the items on the map and the calendar.
std::string WorldDigest() {
    std::string d;
    auto add = [&](auto... values) { ((d += std::to_string(values) + ","), ...); };
    Zu_StageSet* stage = TheBattleMap ? TheBattleMap->stageSet : nullptr;
    if (!stage) return "no stage";
    d += std::string(stage->Name()) + ";";
    add(TheScreenSettings->year, TheScreenSettings->month, TheScreenSettings->day, stage->playerSide);
    for (Kingdom* k : ListValues<Kingdom>(*stage->kingdoms)) {
        d += "\nK" + std::string(k->Text(KingdomLayout::kName, 20)) + ":";
        add(k->nationIndex, k->NationKind(), k->tally[3], k->goldTotal);
        for (City* c : ListValues<City>(k->cities)) {
            d += "\n C" + std::string(c->Text(CityLayout::kName, 20)) + ":";
            add(c->id, c->Kind(), c->Int(CityLayout::kGold), c->generals.GetCount(), c->units.GetCount(),
                c->reserve.GetCount(), c->subCastles.GetCount());
            for (OfficerRecord* o : ListValues<OfficerRecord>(c->generals))
                add(o->Get(OfficerLayout::kPersonNumber), o->Get(OfficerLayout::kLevel), int64_t(o->serial));
        }
        for (Troop* t : ListValues<Troop>(k->fieldUnits)) {
            d += "\n T";
            add(t->cellX, t->cellY, t->owner, int64_t(t->officer ? t->officer->serial : 0),
                t->officer ? t->officer->Get(OfficerLayout::kHp) : -1,
                t->followers ? t->followers->GetCount() : 0);
        }
        for (CastleGate* g : ListValues<CastleGate>(k->gates)) {
            d += "\n G";
            add(g->cellX, g->cellY, g->openState);
        }
    }
    if (TheBattleMap->mapItems)
        for (MapObject* m : ListValues<MapObject>(*TheBattleMap->mapItems)) {
            d += "\n I";
            add(m->itemId, m->cellX, m->cellY);
        }
    return d;
}

} // namespace

TEST(SaveGame, ALoadedSlotGivesBackTheWorldPausedOnTheSavedView) {
    MainWorld w;
    Troop* lead = w.battle.AddTroop(w.a, 12, 12);
    lead->outgoingMark = 1;
    lead->leaderFlag = 1;
    lead->officer->Set(OfficerLayout::kHp, 77);
    w.a->gates.Add(uintptr_t(new CastleGate(10, 15, 0, w.a->nationIndex, 1, 5, 10)));
    TheBattleMap->mapItems = TheBattleMap->mapItems ? TheBattleMap->mapItems : new LinkList;
    TheBattleMap->mapItems->Add(uintptr_t(new MapObject(3, 1, 1, 6, 4)));
    TheGameController->gameScreen = new MapView;
    TheGameController->gameScreen->SetViewOrigin(5, 8);
    TheScreenSettings->mapKeptOutside = 1;
    TemplateTables tables;
    const std::string before = WorldDigest();
    ASSERT_EQ(tables.SaveGame(2), 1);

    // The world moves on; the load takes it back.
    TheScreenSettings->year = 260;
    TheGameController->gameScreen->SetViewOrigin(0, 0);
    TheGameController->pauseScreen = 0;
    ASSERT_EQ(tables.LoadGame(2), 1);
    EXPECT_EQ(WorldDigest(), before);
    EXPECT_EQ(TheGameController->pauseScreen.load(), 1);
    EXPECT_EQ(TheGameController->freshStage, 1);
    EXPECT_EQ(TheScreenSettings->mapKeptOutside, 1);
    EXPECT_EQ(TheGameController->stageLoaded, 1);
    ASSERT_NE(TheGameController->gameScreen, nullptr);
    EXPECT_EQ(TheGameController->gameScreen->viewX, 5);
    EXPECT_EQ(TheGameController->gameScreen->viewY, 8);

    // An empty slot leaves the running game as it is.
    const std::string loaded = WorldDigest();
    EXPECT_EQ(tables.LoadGame(7), 0);
    EXPECT_EQ(WorldDigest(), loaded);
    delete TheGameController->gameScreen;
    TheGameController->gameScreen = nullptr;
    delete TheGameController->eventManager;
    TheGameController->eventManager = nullptr;
}
