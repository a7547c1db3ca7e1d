#pragma once

#include "world/RandomMapRun.h"

#include <vector>

class ScenarioData;
class Zu_StageSet;

// Builds the generated stage "Virtual" on the stage that CreateNeutralGroups made: rulers,
// player cities with their officers and standby troops, villages and lairs, relations, then the
// map, written as "Virtual.dor", "Virtual.m" and "Virtual.x" in the working folder. Every peer
// that runs it with the same options builds the same stage and the same files. `scenario` gives
// the group cities (may be null: no group cities). False when a source is missing or a file
// cannot be written; no older map files are then left behind.
bool GenerateVirtualStage(Zu_StageSet& stage, const RandomMapOptions& options,
                          const RandomMapSettings& settings, ScenarioData* scenario,
                          std::vector<SyncDraw>* trace = nullptr);
