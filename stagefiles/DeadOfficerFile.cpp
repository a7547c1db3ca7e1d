#include "stagefiles/DeadOfficerFile.h"

#include "engine/LinkList.h"
#include "records/OfficerRecord.h"
#include "records/TemplateTables.h"
#include "stagefiles/StageOfficer.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"
#include "world/BattleMap.h"

namespace {
// A stage officer record holds at least its two length words.
constexpr size_t kMinOfficerBytes = 8;
} // namespace

void WriteDeadOfficers(StageWriter& out, LinkList& officers) {
    out.i32(officers.GetCount());
    for (uintptr_t v = officers.First(); v != 0; v = officers.Next())
        SaveStageOfficer(out, *reinterpret_cast<const OfficerRecord*>(v));
}

bool ReadDeadOfficers(StageReader& in, LinkList& officers) {
    int32_t count = 0;
    if (!in.Count(count, kMinOfficerBytes)) return false;
    for (int32_t i = 0; i < count; ++i) {
        auto* officer = new OfficerRecord(100, -1);
        if (!LoadStageOfficer(in, *officer)) {
            delete officer;
            return false;
        }
        officers.Add(uintptr_t(officer));
    }
    return true;
}

void ClearDeadOfficers(LinkList& officers) {
    for (uintptr_t v = officers.First(); v != 0; v = officers.Next())
        delete reinterpret_cast<OfficerRecord*>(v);
    officers.RemoveAll();
}

int TemplateTables::SaveDeadFile(const char* name) {
    if (!TheBattleMap || !TheBattleMap->stageSet) return 0;
    StageWriter out;
    LinkList none;
    WriteDeadOfficers(out, TheBattleMap->deadOfficers ? *TheBattleMap->deadOfficers : none);
    return out.Save(name) ? 1 : 0;
}

int TemplateTables::LoadDeadFile(const char* name) {
    if (!TheBattleMap || !TheBattleMap->stageSet) return 0;
    // Emptied before the file is opened: a missing file leaves no dead officers.
    if (TheBattleMap->deadOfficers) ClearDeadOfficers(*TheBattleMap->deadOfficers);
    const auto bytes = StageReader::ReadFile(name);
    if (!bytes) return 0;
    if (!TheBattleMap->deadOfficers) TheBattleMap->deadOfficers = new LinkList;
    StageReader in(*bytes, CurrentStageLoadMode());
    return ReadDeadOfficers(in, *TheBattleMap->deadOfficers) ? 1 : 0;
}
