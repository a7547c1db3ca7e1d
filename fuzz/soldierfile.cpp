// Feeds arbitrary bytes to the ".spr" reader over a stage of two kingdoms on a small map, in both
// load modes, and writes back what was read.
#include "stagefiles/SoldierFile.h"
#include "Program/GameController.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
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
    TheGameController = new GameController;
    auto* map = new BattleMap;
    TheBattleMap = map;
    map->SetCells(std::make_unique<MapCell[]>(20 * 40), 20, 40);
    map->AllocGrid();
    auto* stage = new Zu_StageSet;
    map->stageSet = stage;
    for (int side = 1; side <= 2; ++side) {
        auto* k = new Kingdom;
        k->nationIndex = side;
        stage->kingdoms->Add(uintptr_t(k));
        map->kingdomTable[side] = k;
    }
    const StageLoadMode mode = (data[0] & 1) ? StageLoadMode::Fresh : StageLoadMode::Restore;
    StageReader in(std::span<const uint8_t>(data + 1, size - 1), mode);
    SoldierFileLayout layout;
    ReadSoldiers(in, *stage, layout);
    StageWriter out;
    WriteSoldiers(out, *stage, true);
    for (int g = 0; g < 10; ++g)
        if (TheGameController->groups[g]) TheGameController->groups[g]->RemoveAll();
    TheGameController->selection->RemoveAll();
    map->stageSet = nullptr;
    delete stage;
    TheBattleMap = nullptr;
    delete map;
    delete TheGameController;
    TheGameController = nullptr;
    return 0;
}
