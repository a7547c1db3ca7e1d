// Feeds arbitrary bytes (after a mode byte) to the player city file reader: one city record read
// into a camp city that takes no place in the battle map's tables, then written back.
#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "records/City.h"
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
    {
        StageReader in(std::span<const uint8_t>(data + 1, size - 1), mode);
        TemplateTables tables;
        auto camp = std::make_unique<City>(100, 0);
        if (tables.ReadCity(in, *camp, false)) {
            StageWriter out;
            tables.WriteCity(out, *camp);
        }
    }
    delete map;
    TheBattleMap = nullptr;
    delete TheGameController;
    TheGameController = nullptr;
    delete TheScreenSettings;
    TheScreenSettings = nullptr;
    return 0;
}
