#pragma once

#include <string>

class LinkList;
class Zu_StageSet;

// Before a stage is written from a running battle: every event is armed again, and an event named
// by another's "開啟事件檢查" waits to be opened (end state 2). 0 without a stage.
int ResetEventEndStates(Zu_StageSet* stage);

// The ".castle" listing of the stage's kingdoms, cities and their officers, tab-separated.
std::string CastleListing(Zu_StageSet& stage);
