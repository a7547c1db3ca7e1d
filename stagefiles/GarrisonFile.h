#pragma once

class StageReader;
class StageWriter;
class Zu_StageSet;

// The ".soldier" file: the tag "Soldier2Data", the two record sizes, then per city of every
// kingdom (in list order) its unit groups, a count of plain units (written 0) and per sub-castle
// its unit groups, its single unit and its item-holding unit. Blocks are matched by position.
void WriteGarrisons(StageWriter& out, Zu_StageSet& stage);
// Fills the cities and sub-castles of the stage; false when the file is damaged (what was read
// whole before stays in its place).
bool ReadGarrisons(StageReader& in, Zu_StageSet& stage);
