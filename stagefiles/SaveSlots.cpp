#include "stagefiles/SaveSlots.h"

#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "platform/Files.h"
#include "records/City.h"
#include "records/ScenarioData.h"
#include "records/TemplateTables.h"
#include "stagefiles/PassRecordFile.h"
#include "stagefiles/StageFileSet.h"
#include "stagefiles/StageReader.h"
#include "world/BattleMap.h"
#include "world/MapView.h"
#include "world/RouteGraph.h"

#include <string>

namespace {

constexpr int kSlots = 16;
const char kSaveFolder[] = ".\\Save\\";

// The slot's file name without its folder.
std::string LeafName(const char* path) {
    return std::string(path).substr(sizeof kSaveFolder - 1);
}

// The set is first written whole into a folder of its own, then moved over the slot's files, so
// that a save that fails half-way leaves the slot's old game as it was.
class StagingFolder {
public:
    explicit StagingFolder(int slot) : folder_(std::string(kSaveFolder) + "~slot" + std::to_string(slot)) {
        Clear();
        made_ = platform::CreateDirectory(folder_.c_str());
    }
    ~StagingFolder() {
        Clear();
        platform::RemoveDirectory(folder_.c_str());
    }
    bool made() const { return made_; }
    std::string Path(const std::string& leaf) const { return folder_ + "\\" + leaf; }
    bool MoveInto(const char* saveFolder) const {
        bool moved = true;
        for (const platform::DirectoryEntry& e : platform::ListDirectory(folder_.c_str()))
            if (!e.isDirectory)
                moved &= platform::RenameFile(Path(e.name).c_str(), (saveFolder + e.name).c_str());
        return moved;
    }

private:
    void Clear() const {
        for (const platform::DirectoryEntry& e : platform::ListDirectory(folder_.c_str()))
            if (!e.isDirectory) platform::DeleteFile(Path(e.name).c_str());
    }
    std::string folder_;
    bool made_ = false;
};

// Saving and loading a slot treat the set as a running game, not a stage's start.
class SlotSwitches {
public:
    SlotSwitches() {
        if (TheScreenSettings) {
            keptOutside_ = TheScreenSettings->mapKeptOutside;
            TheScreenSettings->mapKeptOutside = 0;
        }
        if (TheGameController) TheGameController->freshStage = 0;
    }
    ~SlotSwitches() {
        if (TheGameController) TheGameController->freshStage = 1;
        if (TheScreenSettings) TheScreenSettings->mapKeptOutside = keptOutside_;
    }

private:
    int32_t keptOutside_ = 0;
};

} // namespace

const char* SaveSlotFileName(int slot) {
    static const char* const names[kSlots] = {
        ".\\Save\\dynasty1.age", ".\\Save\\dynasty2.age", ".\\Save\\dynasty3.age", ".\\Save\\dynasty4.age",
        ".\\Save\\dynasty5.age", ".\\Save\\dynasty6.age", ".\\Save\\dynasty7.age", ".\\Save\\dynasty8.age",
        ".\\Save\\dynasty9.age", ".\\Save\\dynastyA.age", ".\\Save\\dynastyB.age", ".\\Save\\dynastyC.age",
        ".\\Save\\dynastyD.age", ".\\Save\\dynastyE.age", ".\\Save\\dynastyF.age", ".\\Save\\dynastyG.age",
    };
    return slot >= 0 && slot < kSlots ? names[slot] : nullptr;
}

int TemplateTables::SaveGame(int slot) {
    const char* path = SaveSlotFileName(slot);
    if (!path || !MakeSaveFolder()) return 0;
    StagingFolder staging(slot);
    if (!staging.made()) return 0;
    SlotSwitches switches;
    // The loaded game opens on the view the player had.
    Zu_StageSet* stage = TheBattleMap ? TheBattleMap->stageSet : nullptr;
    if (stage && TheGameController && TheGameController->gameScreen) {
        stage->SetInt(StageBlockLayout::kStartX, TheGameController->gameScreen->viewX);
        stage->SetInt(StageBlockLayout::kStartY, TheGameController->gameScreen->viewY);
    }
    const int written = SaveStage(staging.Path(LeafName(path)).c_str());
    if (!written || !lastSaveComplete) return 0;
    return staging.MoveInto(kSaveFolder) ? 1 : 0;
}

namespace {

// A slot holds a game when its main file is there and carries a stage.
bool SlotHoldsGame(const char* path) {
    const auto bytes = StageReader::ReadFile(path);
    if (!bytes || bytes->size() < 4) {
        NoteUnreadStageFile(path, __LINE__, !bytes && !platform::FileExists(path));
        return false;
    }
    StageReader in(*bytes, StageLoadMode::Restore);
    return in.u32() != 0;
}

// The loaded game starts paused, on a clock that starts again from zero.
void RestartClocks() {
    if (ScreenSettings* s = TheScreenSettings) {
        s->runningFrameCounter = 0;
        s->frameCounter100 = 0;
        s->calendarStepFrames = 0;
        s->calendarStepCount = 0;
        s->secondCounter = 0;
        s->busyState = 0;
    }
    if (GameController* c = TheGameController) {
        c->clickTimer = 0;
        c->groupKeyTimer = 0;
        c->viewStartMarker = 0;
        c->pauseScreen = 1;
        c->stageLoaded = 1;
    }
}

} // namespace

int TemplateTables::LoadGame(int slot) {
    const char* path = SaveSlotFileName(slot);
    unreadFile.clear();
    // An empty slot leaves the running game alone.
    if (!path || !SlotHoldsGame(path)) return 0;
    int loaded = 0;
    {
        SlotSwitches switches;
        GameController* c = TheGameController;
        if (c) c->loadingSavedGame = 1;
        loaded = LoadStage(path, 0);
        LoadOrBuildRouteCache();
        if (c && c->gameKind == 0) {
            unitBlockCity.reset(new City(100, 0));
            LoadCastleFile(unitBlockCity.get(), 0);
        }
        if (c) c->loadingSavedGame = 0;
    }
    RestartClocks();
    return loaded;
}

int TemplateTables::ReloadStageTexts(const char* path) {
    if (TheBattleMap && TheBattleMap->scenario) TheBattleMap->scenario->Clear();
    const int read = ReadMainFile(path);
    LoadTalkTexts();
    return read;
}
