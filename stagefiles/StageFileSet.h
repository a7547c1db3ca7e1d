#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The switches that decide which files belong to a stage file set.
struct StageFileSwitches {
    int32_t freshStage = 1;
    int32_t battleStarted = 0;
    int32_t mapKeptOutside = 0;
    int32_t campaignStage = 0;
    int32_t gameKind = 0;
    int32_t gameKindOption = 0;
};

// The switches as the controller and the settings hold them now.
StageFileSwitches CurrentStageFileSwitches();

// The stage path without its extension: only a "." after the last separator counts.
std::string StageBaseName(std::string_view path);
// The map files' name, or empty when the map is kept outside the set.
std::string StageMapName(const std::string& base, const StageFileSwitches& s);
// The companion files the loader reads after the main file, in its order: ".spr", ".soldier"
// (a restore before the battle started), ".gat" (a restore) or ".dor", ".itm", ".dead", ".evt".
std::vector<std::string> StageCompanionFiles(const std::string& base, const StageFileSwitches& s);

// Companion files a set may lack: the set then loads with that part empty. Every other file of a
// set, and any file that is there but cannot be read whole, fails the load.
bool StageFileOptional(const std::string& file);
// Files a generated map's set does not have: the generator makes its troops, items and events in
// memory and writes only the map and door files.
bool GeneratedStageLacks(const std::string& file, const StageFileSwitches& s);
// Notes a file of a set that could not be read whole: an error record and a line in "Error.lst".
void NoteUnreadStageFile(const std::string& file, int line, bool missing);
