// Feeds arbitrary bytes to the main stage file reader, in both load modes, over a battle map with
// a small grid, and writes back what was read.
#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "records/TemplateTables.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"
#include "world/BattleMap.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    TheScreenSettings = new ScreenSettings;
    TheGameController = new GameController;
    auto* map = new BattleMap;
    constexpr int w = 30, r = 60;
    map->SetCells(std::make_unique<MapCell[]>(size_t(w) * r), w, r);
    map->validBounds = {0, 0, w, r};
    map->AllocGrid();
    TheBattleMap = map;
    const StageLoadMode mode = (data[0] & 1) ? StageLoadMode::Fresh : StageLoadMode::Restore;
    TheGameController->freshStage = mode == StageLoadMode::Fresh ? 1 : 0;
    StageReader in(std::span<const uint8_t>(data + 1, size - 1), mode);
    TemplateTables tables;
    if (tables.ReadMainFile(in)) {
        StageWriter out;
        tables.WriteMainFile(out);
    }
    delete map;
    TheBattleMap = nullptr;
    delete TheGameController;
    TheGameController = nullptr;
    delete TheScreenSettings;
    TheScreenSettings = nullptr;
    return 0;
}
