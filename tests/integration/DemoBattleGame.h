#pragma once

// The demo folder with its battle, written into `folder` by the demo's own writers, and the game's
// start-up objects made there, headless. False with `error` naming what failed.

#include "DemoBattlePictures.h"
#include "DemoBattleStart.h"
#include "DemoFolder.h"
#include "DemoGenerator.h"
#include "DemoStage.h"

#include <cstdlib>
#include <filesystem>
#include <string>

inline bool StartDemoBattleGame(const std::filesystem::path& folder, std::string& error) {
    ::setenv("KARDOL_HEADLESS", "1", 1);
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    ::setenv("KARDOL_REGISTRY", (folder / "registry.ini").c_str(), 1);
    const std::string where = folder.string();
    return WriteDemoFolder(where, error) && WriteDemoGenerator(where, error) &&
           WriteDemoStage(where, error) && WriteDemoBattlePictures(where, error) && StartDemoGame(error);
}
