#pragma once

#include <cstdint>

class Troop;
class Window;

// The drag code's bit that marks a carried troop (bits 0-7 slot or grid cell, 8-11 source row).
constexpr uint32_t kDragCarried = 0x1000;

// The window a unit drag started from; cleared by every drop.
extern Window* UnitDragSource;

// The list index a new carried troop of this troop would take, or -1 when it carries its most.
int NextCarrySlot(Troop* troop);
// The grid cell (0..24) where carried troop i stands, or -1.
int CarryCell(int i);

// Left release on the map while an item from a unit page is dragged: the item leaves its slot and
// lies beside the page's troop. True when the release ended such a drag.
bool DropUnitItemOnMap();
