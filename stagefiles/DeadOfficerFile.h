#pragma once

#include <cstdint>

class LinkList;
class StageReader;
class StageWriter;

// The ".dead" file: a signed count, then one stage officer record per dead officer, in list order.
void WriteDeadOfficers(StageWriter& out, LinkList& officers);
// Appends the officers of the file to the list; false when the file is damaged (the officers
// read whole before the damage stay).
bool ReadDeadOfficers(StageReader& in, LinkList& officers);
// Deletes every officer of the list and empties it.
void ClearDeadOfficers(LinkList& officers);
