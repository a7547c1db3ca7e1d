#pragma once

#include <string>

// The demo's campaign: the second act's first stage "stage23.stg" (the demo stage under that name,
// one general marked to appear), the campaign profile in "age.ini" with the item and skill tables
// the game reads before it, and the preparation layouts "Win80.gui" and "Win80_1.gui". False with
// `error` naming the file that could not be written.
bool WriteDemoCampaign(const std::string& folder, std::string& error);
