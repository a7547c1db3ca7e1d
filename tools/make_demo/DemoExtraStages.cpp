#include "DemoExtraStages.h"

#include "DemoStage.h"

#include <cstdio>

bool WriteDemoExtraStages(const std::string& folder, std::string& error) {
    char base[16];
    // "stage01" is the demo stage itself and "stage02" its month-long clock stage; the others are
    // its battle under their own number.
    for (int n = 0; n <= 6; ++n) {
        if (n == 1 || n == 2) continue;
        std::snprintf(base, sizeof base, "stage%02d", n);
        if (!WriteDemoStageAs(folder, base, n, nullptr, error)) return false;
    }
    // An act opens on its first stage until the player has won it.
    for (int n : {11, 35}) {
        std::snprintf(base, sizeof base, "stage%02d", n);
        if (!WriteDemoStageAs(folder, base, n, nullptr, error)) return false;
    }
    return true;
}
