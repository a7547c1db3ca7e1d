// Feeds arbitrary bytes (after a mode byte) to the ".itm" reader on a small map and writes back what was
// read.
#include "stagefiles/ItemFile.h"
#include "engine/LinkList.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"
#include "world/BattleMap.h"
#include "world/MapObject.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const StageLoadMode mode = (data[0] & 1) ? StageLoadMode::Fresh : StageLoadMode::Restore;
    BattleMap map;
    TheBattleMap = &map;
    map.SetCells(std::make_unique<MapCell[]>(20 * 40), 20, 40);
    map.AllocGrid();
    LinkList items;
    StageReader in(std::span<const uint8_t>(data + 1, size - 1), mode);
    ReadMapItems(in, items);
    StageWriter out;
    WriteMapItems(out, items);
    for (uintptr_t v = items.First(); v != 0; v = items.Next())
        delete reinterpret_cast<MapObject*>(v);
    items.RemoveAll();
    TheBattleMap = nullptr;
    return 0;
}
