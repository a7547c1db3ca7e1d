#pragma once

#include <cstdint>

// The cell where a unit sent out of a sub-castle is put down: the first free cell of a fixed set
// of offsets around (x, y), then down the diagonal (x - k, y + k) to the map's edge, then the
// diamond rings around (x, y). A cell is free when nothing stands on it and its obstacle byte,
// read as signed, is below 1 (wall tops count as free). Writes the cell back; false when the map
// has no free cell at all.
bool FindFreeCellNear(int32_t& x, int32_t& y);
