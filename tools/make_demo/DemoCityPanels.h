#pragma once

#include <string>

// Writes the city panel layouts: the host's priced-button pictures, the status bar, the command
// panel, the building, recruiting, stock, sub-castle, town, market and transport windows; false
// with the failed file.
bool WriteDemoCityPanels(const std::string& folder, std::string& error);
