#pragma once

#include <string>

class LinkList;

// Writes the demo's playable stage "stage01.stg" with its map and companion files, the talk texts
// and the data tables the game reads at start-up, all through the game's own writers. False when a
// file cannot be written; `error` then names it. The clock stage "stage02.stg" comes with it.
bool WriteDemoStage(const std::string& folder, std::string& error);

// The same stage under another name and stage number, with the named general marked to appear in
// a campaign battle; `reworkEvents`, when given, changes the stage's events before they are written.
bool WriteDemoStageAs(const std::string& folder, const std::string& base, int stageNumber,
                      const char* mustAppear, std::string& error, void (*reworkEvents)(LinkList&) = nullptr);
