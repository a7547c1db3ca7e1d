// Feeds arbitrary bytes to the ".dor" and ".gat" reader over a stage of three kingdoms on a small
// map, and writes back what was read.
#include "stagefiles/GateFile.h"
#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "SmallBattleWorld.h"
#include "records/Kingdom.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"
#include "world/BattleMap.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    SmallBattleWorld world;
    BattleMap* map = world.map;
    auto* stage = new Zu_StageSet;
    map->stageSet = stage;
    for (int side = 1; side <= 3; ++side) {
        auto* k = new Kingdom;
        k->nationIndex = side;
        stage->kingdoms->Add(uintptr_t(k));
        map->kingdomTable[side] = k;
    }
    const GateFileKind kind = (data[0] & 1) ? GateFileKind::Door : GateFileKind::Gate;
    StageReader in(std::span<const uint8_t>(data + 1, size - 1), StageLoadMode::Restore);
    ReadGates(in, *stage, kind);
    StageWriter out;
    WriteGates(out, *stage, kind);
    map->stageSet = nullptr;
    delete stage;
    return 0;
}
