#include "stagefiles/PassRecordFile.h"

#include "Program/GameController.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/PassRecordTable.h"
#include "records/SubCastle.h"
#include "records/TemplateTables.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"

#include <cstring>
#include <vector>

namespace {

using L = OfficerLayout;
constexpr uint32_t kRecordBytes = PassRecordTable::kBlockBytes;
constexpr int kEscortFields = 8;

int32_t BlockInt(const uint8_t* block, uint32_t offset) {
    int32_t v;
    std::memcpy(&v, block + offset, 4);
    return v;
}

void SetBlockInt(uint8_t* block, uint32_t offset, int32_t v) {
    std::memcpy(block + offset, &v, 4);
}

// Fallen officers of the dead list whose entry is carried are marked to stay behind.
void MarkFallenOfficers(PassRecordTable& table) {
    if (!TheBattleMap || !TheBattleMap->deadOfficers) return;
    for (OfficerRecord* o : ListValues<OfficerRecord>(*TheBattleMap->deadOfficers)) {
        if (o->Get(L::kLevel) >= 0) continue;
        if (uint8_t* entry = const_cast<uint8_t*>(table.Find(o->Get(L::kPersonNumber))))
            SetBlockInt(entry, L::kLevel, -1);
    }
}

void RecordGenerals(LinkList& units) {
    for (Troop* t : ListValues<Troop>(units))
        if (t->officer && t->officer->Get(L::kAttribute) == 1) RecordPassOfficer(t);
}

} // namespace

bool MakeSaveFolder() {
    return platform::DirectoryExists(".\\Save") || platform::CreateDirectory(".\\Save");
}

std::string PassFileName(int32_t number) {
    if (number < 0 || number > 99) return std::string();
    std::string name = ".\\Save\\Pass11.gen";
    name[11] = char('0' + number / 10);
    name[12] = char('0' + number % 10);
    return name;
}

void RecordPassOfficer(Troop* t) {
    if (!t || !t->officer || t->officer->Get(L::kFamous) != 0) return;
    OfficerRecord& o = *t->officer;
    t->UndoFormationModifier();
    // Ending the transformed form returns the troop to its own soldiers before the statuses go.
    if (t->statusBits & 0x40000) {
        t->ClearStatus(0x40000, false);
        t->SetUnitType(-1);
    }
    t->ClearStatus(0, true);
    for (int i = 0; i < kEscortFields; ++i)
        o.Set(L::kEscorts + 4 * i, 0);
    if (t->followers) {
        int next = 0;
        for (Troop* f : ListValues<Troop>(*t->followers)) {
            if (next == kEscortFields) break;
            if (!f->officer) continue;
            o.Set(L::kEscorts + 4 * next++, f->officer->Get(L::kPersonNumber));
        }
    }
    if (uint8_t* entry = PassRecords().Entry(o.Get(L::kPersonNumber)))
        std::memcpy(entry, o.block, kRecordBytes);
    t->ApplyFormationModifier(static_cast<int8_t>(o.Get(L::kFormation)), 0);
}

int32_t ReadPassRecordBytes(std::span<const uint8_t> bytes, PassRecordTable& table) {
    table.Clear();
    StageReader in(bytes, StageLoadMode::Restore);
    int32_t count = in.i32();
    const uint32_t size = in.u32();
    // A record too small to hold the person number cannot be placed.
    if (!in.ok() || size < L::kPersonNumber + 4 || size > DataSet::kMaxRecordBytes) return -1;
    if (count < 0 || uint64_t(count) * size > in.remaining()) return -1;
    uint8_t block[kRecordBytes];
    for (int32_t n = 0; n < count; ++n) {
        if (!in.Block(block, sizeof block, size)) break;
        uint8_t* entry = table.Entry(BlockInt(block, L::kPersonNumber));
        if (!entry) {
            table.Clear();
            return -1;
        }
        std::memcpy(entry, block, kRecordBytes);
    }
    if (!in.ok()) {
        table.Clear();
        return -1;
    }
    return count;
}

void TemplateTables::SavePassRecord() {
    Zu_StageSet* stage = CurrentStageSet();
    if (!stage || !stage->kingdoms || stage->kingdoms->GetCount() == 0) return;
    const int32_t map = stage->Column(StageBlockLayout::kMapLink);
    const std::string name = PassFileName(map == 0 ? 11 : map);
    if (name.empty()) return;
    for (Kingdom* k : ListValues<Kingdom>(*stage->kingdoms)) {
        if (k->NationKind() != 0) continue;
        RecordGenerals(k->fieldUnits);
        for (City* c : ListValues<City>(k->cities)) {
            RecordGenerals(c->units);
            for (SubCastle* s : ListValues<SubCastle>(c->subCastles))
                RecordGenerals(s->units);
        }
    }
    PassRecordTable& table = PassRecords();
    MarkFallenOfficers(table);
    StageWriter out;
    out.i32(0);
    out.u32(kRecordBytes);
    int32_t count = 0;
    for (int32_t n = 0; n < PassRecordTable::kEntries; ++n)
        if (const uint8_t* entry = table.Find(n)) {
            out.Bytes(entry, kRecordBytes);
            ++count;
        }
    std::vector<uint8_t> bytes = out.bytes();
    std::memcpy(bytes.data(), &count, 4);
    // The table is let go only once the file holds it; otherwise the next stage of this run still
    // finds the officers in memory.
    if (MakeSaveFolder() && platform::WriteFileAtomic(name.c_str(), bytes.data(), bytes.size()))
        table.Clear();
}

int TemplateTables::LoadPassRecord() {
    Zu_StageSet* stage = CurrentStageSet();
    PassRecordTable& table = PassRecords();
    const int32_t map = stage ? stage->Column(StageBlockLayout::kMapLink) : 0;
    const int32_t act = TheGameController ? TheGameController->actIndex : 0;
    if (act >= 0 && act <= 2 && map == 11 + 12 * act) {
        table.Clear();
        return 0;
    }
    const std::string name = PassFileName(map == 0 ? 11 : map - 1);
    if (name.empty()) return 0;
    const auto bytes = StageReader::ReadFile(name.c_str());
    if (!bytes) return 0;
    const int32_t count = ReadPassRecordBytes(*bytes, table);
    if (count < 0) return 0;
    passRecordCount = count;
    MarkFallenOfficers(table);
    return 1;
}
