#pragma once

#include <cstdint>
#include <functional>

// Sight radii past this are kept to it.
constexpr int32_t kMaxSightRadius = 31;

// Visits the cells (column, half-row) of the sight diamond of radius r around unit cell (x, y):
// 4r + 1 half-rows from half-row 2(y - r), one cell more per half-row up to the middle, then one
// fewer. Cells off the map are visited too; callers keep to the grid.
void ForEachSightCell(int32_t x, int32_t y, int32_t r, const std::function<void(int32_t, int32_t)>& visit);
bool InSightDiamond(int32_t cx, int32_t cy, int32_t r, int32_t x, int32_t h);
