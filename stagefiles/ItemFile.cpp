#include "stagefiles/ItemFile.h"

#include "engine/LinkList.h"
#include "records/TemplateTables.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"
#include "world/BattleMap.h"
#include "world/MapObject.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char kTag[] = "Item    Data";
constexpr uint32_t kRecordSize = 12;

bool OnMap(int32_t x, int32_t y) {
    // Items lie on unit cells: the map's columns, half its grid rows.
    return TheBattleMap && x >= 0 && y >= 0 && x < TheBattleMap->width && y < TheBattleMap->rows / 2;
}

int32_t Word(const uint8_t* b) {
    int32_t v;
    std::memcpy(&v, b, 4);
    return v;
}

} // namespace

void WriteMapItems(StageWriter& out, LinkList& items) {
    out.Bytes(kTag, 12);
    out.u32(kRecordSize);
    int32_t count = 0;
    for (uintptr_t v = items.First(); v != 0; v = items.Next())
        if (reinterpret_cast<const MapObject*>(v)->itemId != 0) ++count;
    out.i32(count);
    for (uintptr_t v = items.First(); v != 0; v = items.Next()) {
        const auto* item = reinterpret_cast<const MapObject*>(v);
        if (item->itemId == 0) continue;
        out.i32(item->itemId);
        out.i32(item->cellX);
        out.i32(item->cellY);
    }
}

bool ReadMapItems(StageReader& in, LinkList& items) {
    in.Skip(12);
    const uint32_t size = in.u32();
    int32_t count = 0;
    // A record size of 0 still costs the reader a turn per record: bound the count by bytes.
    if (!in.ok() || !in.Count(count, std::max<uint32_t>(size, 1))) return false;
    for (int32_t i = 0; i < count; ++i) {
        uint8_t record[kRecordSize];
        if (!in.Block(record, sizeof record, size)) return false;
        const int32_t id = Word(record), x = Word(record + 4), y = Word(record + 8);
        if (id == 0 || !OnMap(x, y)) continue;
        items.Add(uintptr_t(new MapObject(id, 1, 1, x, y)));
    }
    return true;
}

int TemplateTables::SaveItemFile(const char* name) {
    if (!TheBattleMap || !TheBattleMap->stageSet) return 0;
    StageWriter out;
    LinkList none;
    WriteMapItems(out, TheBattleMap->mapItems ? *TheBattleMap->mapItems : none);
    return out.Save(name) ? 1 : 0;
}

int TemplateTables::LoadItemFile(const char* name) {
    if (!TheBattleMap || !TheBattleMap->stageSet) return 0;
    const auto bytes = StageReader::ReadFile(name);
    if (!bytes) return 0;
    if (!TheBattleMap->mapItems) TheBattleMap->mapItems = new LinkList;
    StageReader in(*bytes, CurrentStageLoadMode());
    return ReadMapItems(in, *TheBattleMap->mapItems) ? 1 : 0;
}
