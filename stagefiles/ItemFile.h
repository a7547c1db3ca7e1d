#pragma once

#include <cstdint>

class LinkList;
class StageReader;
class StageWriter;

// The ".itm" file: the tag "Item    Data", the record size 12, the count, then per map item its
// id, cell x and cell y. Items of id 0 are neither written nor read.
void WriteMapItems(StageWriter& out, LinkList& items);
// Appends the items of the file to the list (and to the map's object grid); records whose cell
// lies off the map are dropped. False when the file is damaged (the items read before stay).
bool ReadMapItems(StageReader& in, LinkList& items);
