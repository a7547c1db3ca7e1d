#pragma once

#include <string>

// The stages the front end offers besides the demo stage and the second act's first stage: every
// stage of the stage list ("stage00" .. "stage06") and the first stage of the first and third act
// ("stage11", "stage35"), so that no entry leads to a missing file. False with `error` naming the
// file that could not be written.
bool WriteDemoExtraStages(const std::string& folder, std::string& error);
