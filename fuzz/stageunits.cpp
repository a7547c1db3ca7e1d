// Feeds arbitrary bytes to the stage files' unit readers (unit groups, then units with items) in
// both load modes, and writes back what was read.
#include "stagefiles/StageUnits.h"
#include "engine/LinkList.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"
#include "troops/Troop.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace {
void DeleteGroup(Troop* leader) {
    if (leader->followers)
        for (uintptr_t v = leader->followers->First(); v != 0; v = leader->followers->Next())
            delete reinterpret_cast<Troop*>(v);
    delete leader->pairedTroop;
    delete leader;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const StageLoadMode mode = (data[0] & 1) ? StageLoadMode::Fresh : StageLoadMode::Restore;
    const bool items = (data[0] & 2) != 0;
    StageReader in(std::span<const uint8_t>(data + 1, size - 1), mode);
    in.unitVersion = (data[0] & 4) ? 2 : 5;
    std::vector<Troop*> read;
    for (int n = 0; n < 16 && in.ok() && in.remaining() > 0; ++n) {
        Troop* t = items ? ReadUnitWithItems(in, {}, 1) : ReadUnitGroup(in, {}, 1);
        if (!t) break;
        read.push_back(t);
    }
    StageWriter out;
    for (Troop* t : read) {
        if (items)
            WriteUnitWithItems(out, *t);
        else
            WriteUnitGroup(out, *t);
    }
    for (Troop* t : read)
        DeleteGroup(t);
    return 0;
}
