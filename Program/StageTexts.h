#pragma once

// Reads a stage's main file into a new current stage and its talk texts, as the stage list and
// the campaign do before the stage start reads the rest of the set. 1 when the main file was read.
int ReloadStageTexts(const char* stageFile);
