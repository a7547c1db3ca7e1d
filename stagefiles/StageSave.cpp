#include "stagefiles/StageSave.h"

#include "stagefiles/StageFileSet.h"

#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "events/EventFile.h"
#include "events/EventRecord.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/TemplateTables.h"
#include "world/BattleMap.h"
#include "world/MapFiles.h"
#include "world/MapView.h"

#include <vector>

namespace {

constexpr int32_t kWaitsToOpen = 2;

} // namespace

int ResetEventEndStates(Zu_StageSet* stage) {
    if (!stage) return 0;
    if (!stage->events) return 1;
    const auto events = ListValues<events::EventRecord>(*stage->events);
    for (events::EventRecord* e : events)
        e->SetEndState(kEventArmed);
    for (events::EventRecord* e : events) {
        const int32_t opened = e->Int(EventLayout::kReopen);
        if (opened == 0) continue;
        for (events::EventRecord* target : events)
            if (target->Id() == opened) {
                target->SetEndState(kWaitsToOpen);
                break;
            }
    }
    return 1;
}

std::string CastleListing(Zu_StageSet& stage) {
    std::string out;
    if (!stage.kingdoms) return out;
    for (Kingdom* k : ListValues<Kingdom>(*stage.kingdoms)) {
        out += k->Text(KingdomLayout::kName, 20);
        out += "\t\n";
        const auto cities = ListValues<City>(k->cities);
        if (!cities.empty()) cities.front()->WriteTextHeader(out);
        for (City* c : cities) {
            c->WriteTextRow(out);
            const auto officers = ListValues<OfficerRecord>(c->generals);
            if (!officers.empty()) officers.front()->WriteTextHeader(out);
            for (OfficerRecord* o : officers)
                o->WriteTextRow(out);
        }
    }
    return out;
}

int TemplateTables::SaveStage(const char* path) {
    lastSaveComplete = false;
    if (!path) return 0;
    GameController* c = TheGameController;
    ScreenSettings* settings = TheScreenSettings;
    BattleMap* map = TheBattleMap;
    const bool keptOutside = settings && settings->mapKeptOutside;
    const bool battleStarted = settings && settings->battleStarted;
    const bool fresh = !c || c->freshStage != 0;
    // An open city or sub-castle is closed first: its shown units go back inside before the
    // garrisons are written.
    if (c && (c->selectedCity || c->selectedSubCastle)) {
        if (c->gameScreen) {
            c->gameScreen->DeselectBuilding(c->selectedCity);
            c->gameScreen->DeselectSubCastle(c->selectedSubCastle);
        }
        c->selectedCity = nullptr;
        c->selectedSubCastle = nullptr;
    }
    // Units kept outside the map's cell lists are not looked up while the set is written.
    const bool unplaced = keptOutside && map;
    if (settings) settings->busyState = 1;
    if (unplaced) map->PlaceUnits(1);

    bool complete = SaveMainFile(path) != 0;
    if (!complete) {
        if (unplaced) map->PlaceUnits(0);
        if (settings) settings->busyState = 0;
        return 0;
    }
    const std::string base = StageBaseName(path);
    auto file = [&](const char* ending) { return base + ending; };
    if (!keptOutside) complete &= SaveMapFiles(base.c_str()) != 0;
    complete &= WriteSoldierFile(file(".spr").c_str()) != 0;
    if (!battleStarted && !fresh) complete &= WriteGarrisonFile(file(".soldier").c_str()) != 0;
    complete &= (fresh ? SaveDoorFile(file(".dor").c_str()) : SaveGateFile(file(".gat").c_str())) != 0;
    complete &= SaveItemFile(file(".itm").c_str()) != 0;
    complete &= SaveDeadFile(file(".dead").c_str()) != 0;
    Zu_StageSet* stage = map ? map->stageSet : nullptr;
    if (keptOutside && battleStarted && fresh) ResetEventEndStates(stage);
    LinkList noEvents;
    complete &= SaveEventFile(file(".evt").c_str(), stage && stage->events ? *stage->events : noEvents) != 0;
    if (settings) settings->busyState = 0;
    const std::string listing = stage ? CastleListing(*stage) : std::string();
    complete &= platform::WriteFileAtomic(file(".castle").c_str(), listing.data(), listing.size());
    // The units go back on their cells: after a save in battle they are looked up there again.
    if (unplaced) map->PlaceUnits(0);
    lastSaveComplete = complete;
    return 1;
}
