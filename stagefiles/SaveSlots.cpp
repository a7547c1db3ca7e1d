#include "stagefiles/SaveSlots.h"

#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "platform/Files.h"
#include "records/TemplateTables.h"
#include "stagefiles/PassRecordFile.h"
#include "world/BattleMap.h"
#include "world/MapView.h"

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
