#include "stagefiles/GateFile.h"

#include "Program/StageSet.h"
#include "engine/ByteReader.h"
#include "engine/LinkList.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/TemplateTables.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"
#include "troops/CastleGate.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"
#include "world/FootprintPattern.h"
#include "world/GateRecord.h"

#include <vector>

namespace {

constexpr char kTag[] = "Door    Data";
// A record must reach at least the direction word to place a gate.
constexpr uint32_t kMinRecordSize = 12;
constexpr int kPieceStatus = 4;    // eight words from record word 4
constexpr int kPieceStrength = 12; // eight words from record word 12
constexpr int kCityCell = 20;
constexpr int kRecordWords = GateRecord::kSize / 4;

// A stage's door records stop short of the map's far edges; a gate left of or above the map keeps
// its pieces off the grid, which holds only cells inside it.
bool BeforeFarEdges(int32_t x, int32_t y) {
    return TheBattleMap && x < TheBattleMap->width && y < TheBattleMap->rows / 2;
}

void WriteGate(StageWriter& out, const CastleGate& g, GateFileKind kind) {
    int32_t w[kRecordWords] = {};
    w[0] = g.cellX;
    w[1] = g.cellY;
    w[2] = g.direction;
    w[3] = g.openState;
    if (kind == GateFileKind::Gate)
        for (int i = 0; i < CastleGate::kPieces; ++i) {
            const Troop* p = g.pieces[i];
            if (!p || !p->officer) continue;
            w[kPieceStatus + i] = p->officer->StatusWord();
            w[kPieceStrength + i] = p->officer->Get(OfficerLayout::kHp);
        }
    w[kCityCell] = g.cityX;
    w[kCityCell + 1] = g.cityY;
    w[kCityCell + 2] = g.style;
    for (int32_t v : w)
        out.i32(v);
}

// The picture a gate shows in each open state, as setting the state shows it.
int32_t PictureFor(int32_t direction, int32_t state) {
    return direction + (state == 1 ? 2 : state >= 2 ? 4 : 0);
}

void RestoreState(CastleGate& g, const int32_t* w) {
    // A state the gate does not know leaves it closed.
    const int32_t state = w[3] >= 0 && w[3] <= 3 ? w[3] : 0;
    g.openState = state;
    g.pictureIndex = PictureFor(g.direction, state);
    for (int i = 0; i < CastleGate::kPieces; ++i) {
        Troop* p = g.pieces[i];
        if (!p || !p->officer) continue;
        p->officer->StatusWord() = w[kPieceStatus + i];
        p->officer->Set(OfficerLayout::kHp, w[kPieceStrength + i]);
        if (state != 0 && TheBattleMap)
            TheBattleMap->RemoveObjectAt(g.gateCells[i][0], g.gateCells[i][1], uintptr_t(p));
    }
}

} // namespace

void WriteGates(StageWriter& out, Zu_StageSet& stage, GateFileKind kind) {
    out.Bytes(kTag, 12);
    out.u32(GateRecord::kSize);
    if (!stage.kingdoms) return;
    for (Kingdom* k : ListValues<Kingdom>(*stage.kingdoms)) {
        const auto gates = ListValues<CastleGate>(k->gates);
        out.i32(int32_t(gates.size()));
        for (const CastleGate* g : gates)
            WriteGate(out, *g, kind);
    }
}

bool ReadGates(StageReader& in, Zu_StageSet& stage, GateFileKind kind) {
    in.Skip(12);
    const uint32_t size = in.u32();
    if (!in.ok()) return false;
    if (size < kMinRecordSize) {
        in.Fail();
        return false;
    }
    if (!stage.kingdoms) return true;
    for (Kingdom* k : ListValues<Kingdom>(*stage.kingdoms)) {
        int32_t count = 0;
        if (!in.Count(count, size)) return false;
        for (int32_t i = 0; i < count; ++i) {
            // Zeroed for every record: a short record never keeps the one before's tail.
            int32_t w[kRecordWords];
            uint8_t body[GateRecord::kSize];
            if (!in.Block(body, sizeof body, size)) return false;
            ByteReader r(body, sizeof body);
            for (int32_t& v : w)
                v = r.i32();
            GateRecord record;
            record.centreX = w[0];
            record.centreY = w[1];
            record.direction = w[2];
            record.openState = w[3];
            record.cityX = w[kCityCell];
            record.cityY = w[kCityCell + 1];
            record.style = w[kCityCell + 2];
            // No map reaches this far either way; such a record is damage, not a gate.
            if (record.centreX < -0x8000 || record.centreX > 0x8000 || record.centreY < -0x8000 ||
                record.centreY > 0x8000)
                continue;
            if (kind == GateFileKind::Door && !BeforeFarEdges(record.centreX, record.centreY)) continue;
            // Only styles the door pattern table can hold are tried against it.
            if (record.style < 0 || record.style >= FootprintTables::kDoor) continue;
            CastleGate* gate = CastleGate::FromRecord(record, k->nationIndex);
            if (!gate) continue;
            if (kind == GateFileKind::Gate) RestoreState(*gate, w);
            k->gates.Add(uintptr_t(gate));
        }
    }
    return true;
}

namespace {

int SaveFile(const char* name, GateFileKind kind) {
    if (!TheBattleMap || !TheBattleMap->stageSet) return 0;
    StageWriter out;
    WriteGates(out, *TheBattleMap->stageSet, kind);
    return out.Save(name) ? 1 : 0;
}

int LoadFile(const char* name, GateFileKind kind) {
    if (!TheBattleMap || !TheBattleMap->stageSet) return 0;
    const auto bytes = StageReader::ReadFile(name);
    if (!bytes) return 0;
    StageReader in(*bytes, CurrentStageLoadMode());
    return ReadGates(in, *TheBattleMap->stageSet, kind) ? 1 : 0;
}

} // namespace

int TemplateTables::SaveDoorFile(const char* name) {
    return SaveFile(name, GateFileKind::Door);
}

int TemplateTables::LoadDoorFile(const char* name) {
    return LoadFile(name, GateFileKind::Door);
}

int TemplateTables::SaveGateFile(const char* name) {
    return SaveFile(name, GateFileKind::Gate);
}

int TemplateTables::LoadGateFile(const char* name) {
    return LoadFile(name, GateFileKind::Gate);
}
