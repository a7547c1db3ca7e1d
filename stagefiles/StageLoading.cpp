#include "Program/BannerWindow.h"
#include "Program/GameController.h"
#include "Program/LoadingScreen.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "Program/Startup.h"
#include "engine/ErrorList.h"
#include "engine/KeyedTable37.h"
#include "engine/ResourceStore.h"
#include "events/EventManager.h"
#include "events/EventRecord.h"
#include "events/EventStep.h"
#include "gui/RootWidget.h"
#include "platform/Files.h"
#include "records/ScenarioData.h"
#include "records/StagePopulation.h"
#include "records/TemplateTables.h"
#include "stagefiles/RestoredSerials.h"
#include "stagefiles/StageFileSet.h"
#include "world/BattleMap.h"
#include "world/MapFiles.h"
#include "world/MapView.h"

#include <algorithm>
#include <string>

namespace {
constexpr int32_t kStartViewCode = 99;
constexpr int32_t kViewStartMarker = 0x777;

// The loader's progress display: started here unless a caller already runs one, and then also
// stopped here, so no load leaves a drawing thread behind.
class ProgressDisplay {
public:
    ProgressDisplay() : started_(!LoadingScreenRunning()) {
        if (started_) StartLoadingScreen();
    }
    ~ProgressDisplay() {
        if (started_) StopLoadingScreen();
    }
    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;

private:
    bool started_;
};

bool EndsWith(const std::string& name, const char* ending) {
    const size_t n = std::char_traits<char>::length(ending);
    return name.size() >= n && name.compare(name.size() - n, n, ending) == 0;
}

int ReadCompanion(TemplateTables& t, const std::string& file) {
    const char* name = file.c_str();
    if (EndsWith(file, ".spr")) return t.ReadSoldierFile(name);
    if (EndsWith(file, ".soldier")) return t.ReadGarrisonFile(name);
    if (EndsWith(file, ".gat")) return t.LoadGateFile(name);
    if (EndsWith(file, ".dor")) return t.LoadDoorFile(name);
    if (EndsWith(file, ".itm")) return t.LoadItemFile(name);
    if (EndsWith(file, ".dead")) return t.LoadDeadFile(name);
    if (EndsWith(file, ".evt")) return t.LoadEventFile(name);
    return 1;
}

// The name of the error list's newest record, when the list grew past `before`.
std::string NewestErrorFile(int32_t before) {
    const Zu_ErrorList& list = Zu_ErrorList::Global();
    const ErrorRecord* r = list.GetCount() > before ? list.GetCurrent() : nullptr;
    return r && r->fileText ? std::string(r->fileText.get()) : std::string();
}

// The map's size as the view counts it: columns and half-tile rows.
int32_t MapWidth() {
    return TheBattleMap ? TheBattleMap->width : 0;
}

int32_t MapHeight() {
    return TheBattleMap ? TheBattleMap->rows : 0;
}

// The first start-view event's opening view step; the rectangle is kept inside the map.
void ViewFromEvents(Zu_StageSet& stage, GameController& c) {
    if (!stage.events || !c.gameScreen) return;
    events::EventRecord* start = nullptr;
    for (uintptr_t v = stage.events->First(); v != 0 && !start; v = stage.events->Next())
        if (reinterpret_cast<events::EventRecord*>(v)->Code() == kStartViewCode)
            start = reinterpret_cast<events::EventRecord*>(v);
    if (!start) return;
    // Only an event that opens with a view step sets the view.
    const auto* step = reinterpret_cast<const EventStep*>(start->steps.First());
    if (!step || step->Int(EventStepLayout::kCode) != 0) return;
    const int32_t w = MapWidth(), h = MapHeight();
    const int32_t x0 = std::clamp(step->Param(1), 0, std::max(0, w - 15));
    const int32_t y0 = std::clamp(step->Param(2), 0, std::max(0, h - 56));
    const int32_t x1 = std::clamp(step->Param(3), x0, std::max(x0, w));
    const int32_t y1 = std::clamp(step->Param(4), y0, std::max(y0, h));
    c.gameScreen->SetView(x0, y0, x1, y1);
    if (c.auxPanel) c.auxPanel->NoOpStageHook();
}

void EmptySelectionAndGroups(GameController& c) {
    if (c.selectionActive && c.selection) {
        c.selection->RemoveAll();
        c.selectionActive = 0;
    }
    for (int i = 0; i < 10; ++i)
        if (c.groups[i]) {
            c.groups[i]->RemoveAll();
            if (c.groupHeaders[i]) c.groupHeaders[i]->inUse = 0;
        }
}
} // namespace

TemplateTables::~TemplateTables() {
    FreeTextSlots();
}

void TemplateTables::FreeTextSlots() {
    for (char*& slot : textSlots) {
        delete[] slot;
        slot = nullptr;
    }
    textSlotCount = 0;
}

int TemplateTables::LoadStage(const char* path, int32_t keepScenario) {
    GameController* c = TheGameController;
    ScreenSettings* s = TheScreenSettings;
    BattleMap* map = TheBattleMap;
    if (!path) path = "";
    const StageFileSwitches switches = CurrentStageFileSwitches();
    const bool fresh = switches.freshStage == 1;

    if (TheResourceStore) TheResourceStore->ClearEffectLists();
    ProgressDisplay progress;
    if (c) {
        c->sightOff = 0;
        if (c->gameScreen) c->gameScreen->DeselectAll();
    }
    if (switches.mapKeptOutside && map && map->scenario) map->scenario->selectedGenerals.RemoveAll();
    if (c) EmptySelectionAndGroups(*c);
    if (s) s->busyState = 1;
    if (map && map->objectLists[0]) map->objectLists[0]->RemoveAll();

    SetLoadingProgress(10);
    if (TheResourceStore) TheResourceStore->InitPortraitSlots();
    if (!keepScenario && map && map->scenario) map->scenario->Clear();

    // Every file is checked as it is read; the first that fails names the failure.
    unreadFile.clear();
    bool whole = true;
    auto unread = [&](const std::string& file) {
        if (unreadFile.empty()) unreadFile = file;
        whole = false;
    };

    const std::string base = StageBaseName(path);
    if (c && !c->gameScreen) c->gameScreen = new MapView;
    const std::string mapName = StageMapName(base, switches);
    if (!mapName.empty()) {
        const int32_t before = Zu_ErrorList::Global().GetCount();
        if (!LoadMapFiles(mapName.c_str())) {
            const std::string failed = NewestErrorFile(before);
            unread(failed.empty() ? mapName + ".m" : failed);
        }
    }
    if (map) map->AllocGrid();

    // Kept scenario data must hold a stage: without one nothing was loaded.
    const int mainRead = keepScenario ? (CurrentStageSet() ? 1 : 0) : ReadMainFile(path);
    if (!mainRead) {
        NoteUnreadStageFile(path, __LINE__, !platform::FileExists(path));
        unread(path);
    }

    Zu_StageSet* stage = CurrentStageSet();
    if (stage && c) {
        c->campaignStage = static_cast<uint8_t>(stage->Column(StageBlockLayout::kStageNumber));
        if (fresh && (c->campaignStage < 1 || c->campaignStage > 4)) {
            if (c->gameScreen)
                c->gameScreen->SetViewOrigin(stage->Column(StageBlockLayout::kStartX),
                                             stage->Column(StageBlockLayout::kStartY));
            c->viewStartMarker = kViewStartMarker;
        }
    }

    for (const std::string& file : StageCompanionFiles(base, switches)) {
        const int read = ReadCompanion(*this, file);
        if (!mainRead) continue;
        // A file the set may lack is still noted when it is not there.
        const bool missing = !platform::FileExists(file.c_str());
        if (read && !missing) continue;
        if (missing && GeneratedStageLacks(file, switches)) continue;
        NoteUnreadStageFile(file, __LINE__, missing);
        if (!missing || !StageFileOptional(file)) unread(file);
    }
    SetLoadingProgress(65);
    BindOfficersToKingdoms();

    if (c) {
        if (!c->auxPanel && TheRootWidget) c->auxPanel = new BlankScreen(TheRootWidget);
        if (c->auxPanel) {
            c->auxPanel->NoOpLoadHook();
            c->auxPanel->drawByte = 0;
        }
    }
    if (!switches.mapKeptOutside && c && c->gameScreen) {
        const int32_t x = stage ? stage->Column(StageBlockLayout::kStartX) : 0;
        const int32_t y = stage ? stage->Column(StageBlockLayout::kStartY) : 0;
        c->gameScreen->SetViewOrigin(std::max(0, std::min(x, MapWidth() - 14)),
                                     std::max(0, std::min(y, MapHeight() - 56)));
        if (c->auxPanel) c->auxPanel->NoOpStageHook();
        c->selectedCity = nullptr;
        c->gameScreen->Redraw();
    }

    if (map) map->PrepareStage();
    delete TheKeyedTable37;
    TheKeyedTable37 = new KeyedTable37;
    if (s) s->busyState = 0;

    LoadTalkTexts();
    if (c) {
        if (c->eventManager)
            c->eventManager->Reset();
        else
            c->eventManager = new EventManager;
    }
    if (fresh && !switches.mapKeptOutside && stage && c) ViewFromEvents(*stage, *c);

    if (fresh && stage)
        stage->InitKingdoms();
    else
        BindStageKingdoms();
    if (stage && switches.mapKeptOutside && c) c->selectedCity = nullptr;
    if (skipRebuild == 0 && map) map->RebuildStageTroops();
    BindStageWorld();
    if (c)
        for (int i = 0; i < 4; ++i)
            c->battleWords[i] = 0;
    if (switches.mapKeptOutside) {
        if (c) c->selectedCity = nullptr;
        if (map) map->PlaceUnits(0);
    }
    if (c) c->stageLoaded = 1;
    if (fresh)
        PopulateStageCities();
    else
        RaiseSerialCounterPastWorld();
    SetLoadingProgress(88);
    FreeTextSlots();
    return whole ? 1 : 0;
}
