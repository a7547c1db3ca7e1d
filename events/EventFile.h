#pragma once

#include "engine/LinkList.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

class ByteWriter;

// The stage's ".evt" file: u32 event count, then each event with its steps, in list order.
// Reading appends events::EventRecord objects to the list; on a damaged file nothing is appended
// and 0 comes back.
int ReadEventFile(std::span<const uint8_t> bytes, LinkList& events);
void WriteEventFile(LinkList& events, ByteWriter& out);
int LoadEventFile(const char* name, LinkList& events);
// Written beside the target and renamed into place.
int SaveEventFile(const char* name, LinkList& events);

// Deletes every record of the list (as events::EventRecord) and empties it.
void DeleteEvents(LinkList& events);

// "History.txt": after a first line that is skipped, one event per line, "name general p4 p1 p2
// p3 p5 p6". The history events already in the list (condition 55) are deleted first; a new one
// counts as ended when officerExists answers true for its general. Returns the events added.
int ReadHistoryText(std::string_view text, LinkList& events,
                    const std::function<bool(int32_t)>& officerExists);
int LoadHistoryFile(const char* name, LinkList& events, const std::function<bool(int32_t)>& officerExists);
