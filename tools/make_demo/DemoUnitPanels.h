#pragma once

#include <string>

// The demo items' first icon number: their icons stand apart from the set's first pictures, which
// the map takes for icon numbers below the set's groups.
constexpr int kDemoFirstItemIcon = 30;
// Item icons, then from icon 261 the waiting soldiers' (one per queue id 415..431).
constexpr int kDemoIconCount = 280;

// Writes the unit panel layouts and the item and skill icon sets; false with the failed file.
bool WriteDemoUnitPanels(const std::string& folder, std::string& error);
