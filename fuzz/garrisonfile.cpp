// Feeds arbitrary bytes to the ".soldier" reader over a stage of two kingdoms, three cities and
// two sub-castles, in both load modes, and writes back what was read.
#include "stagefiles/GarrisonFile.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/SubCastle.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"
#include "world/BattleMap.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    auto* map = new BattleMap;
    TheBattleMap = map;
    auto* stage = new Zu_StageSet;
    map->stageSet = stage;
    for (int side = 1; side <= 2; ++side) {
        auto* k = new Kingdom;
        k->nationIndex = side;
        stage->kingdoms->Add(uintptr_t(k));
        map->kingdomTable[side] = k;
        for (int n = 0; n < side; ++n) {
            auto* c = new City(side);
            c->id = map->cityCount + 1;
            map->cities[map->cityCount++] = c;
            k->AddCity(c);
            c->subCastles.Add(uintptr_t(new SubCastle(0)));
        }
    }
    const StageLoadMode mode = (data[0] & 1) ? StageLoadMode::Fresh : StageLoadMode::Restore;
    StageReader in(std::span<const uint8_t>(data + 1, size - 1), mode);
    ReadGarrisons(in, *stage);
    StageWriter out;
    WriteGarrisons(out, *stage);
    map->stageSet = nullptr;
    delete stage;
    TheBattleMap = nullptr;
    delete map;
    return 0;
}
