// Feeds arbitrary bytes (after a mode byte) to the player city file reader: one city record read
// into a camp city that takes no place in the battle map's tables, then written back.
#include "Program/GameController.h"
#include "SmallBattleWorld.h"
#include "records/City.h"
#include "records/TemplateTables.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    SmallBattleWorld world;
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
    return 0;
}
