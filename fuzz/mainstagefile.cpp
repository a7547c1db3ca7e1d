// Feeds arbitrary bytes to the main stage file reader, in both load modes, over a battle map with
// a small grid, and writes back what was read.
#include "Program/GameController.h"
#include "SmallBattleWorld.h"
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
    StageReader in(std::span<const uint8_t>(data + 1, size - 1), mode);
    TemplateTables tables;
    if (tables.ReadMainFile(in)) {
        StageWriter out;
        tables.WriteMainFile(out);
    }
    return 0;
}
