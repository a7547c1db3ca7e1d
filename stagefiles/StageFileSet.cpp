#include "stagefiles/StageFileSet.h"

#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "engine/ErrorList.h"
#include "engine/Tools.h"

StageFileSwitches CurrentStageFileSwitches() {
    StageFileSwitches s;
    if (const GameController* c = TheGameController) {
        s.freshStage = c->freshStage;
        s.campaignStage = c->campaignStage;
        s.gameKind = c->gameKind;
        // A network game on a generated map is the kind-3 game that keeps its own map.
        s.gameKindOption = c->randomMap;
    }
    if (const ScreenSettings* settings = TheScreenSettings) {
        s.battleStarted = settings->battleStarted;
        s.mapKeptOutside = settings->mapKeptOutside;
    }
    return s;
}

std::string StageBaseName(std::string_view path) {
    const size_t separator = path.find_last_of("\\/");
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || (separator != std::string_view::npos && dot < separator))
        return std::string(path);
    return std::string(path.substr(0, dot));
}

std::string StageMapName(const std::string& base, const StageFileSwitches& s) {
    if (s.mapKeptOutside) return {};
    const bool sharedMap = s.freshStage == 1 && ((s.campaignStage >= 1 && s.campaignStage <= 6) ||
                                                 (s.gameKind == 3 && s.gameKindOption == 0));
    return sharedMap ? "stage01" : base;
}

std::vector<std::string> StageCompanionFiles(const std::string& base, const StageFileSwitches& s) {
    std::vector<std::string> files{base + ".spr"};
    if (s.battleStarted == 0 && s.freshStage == 0) files.push_back(base + ".soldier");
    files.push_back(base + (s.freshStage == 0 ? ".gat" : ".dor"));
    for (const char* ending : {".itm", ".dead", ".evt"})
        files.push_back(base + ending);
    return files;
}

namespace {
bool EndsWith(const std::string& name, std::string_view ending) {
    return name.size() >= ending.size() &&
           name.compare(name.size() - ending.size(), ending.size(), ending) == 0;
}
} // namespace

bool StageFileOptional(const std::string& file) {
    for (std::string_view ending : {".itm", ".dead", ".evt", ".csm"})
        if (EndsWith(file, ending)) return true;
    return false;
}

bool GeneratedStageLacks(const std::string& file, const StageFileSwitches& s) {
    const bool generated = s.freshStage == 1 && s.gameKind == 3 && s.gameKindOption != 0;
    return generated && !EndsWith(file, ".dor");
}

void NoteUnreadStageFile(const std::string& file, int line, bool missing) {
    Zu_ErrorList::Global().Add(file.c_str(), line, missing ? Zu_ErrorList::KindOpen : Zu_ErrorList::KindRead,
                               0);
    Zu_Tools::WriteErrorLog(file.c_str(), missing ? "cannot be opened" : "cannot be read", line, 0, 0, 0, 1);
}
