#pragma once

#include "records/OfficerRecord.h"

#include <array>
#include <cstdint>

// The general template of a row that a generated map draws its officers, rulers and camp leaders
// from: a general of the demo's spearmen or archers who leads a band. Rows outside the pools keep
// the blank block.
constexpr int kDemoPoolLastRow = 410;
std::array<uint8_t, OfficerLayout::kSize> DemoPoolGeneral(int row, int spearmen, int archers,
                                                          int spearmanClass, int archerClass);
