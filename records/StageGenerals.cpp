#include "records/StageGenerals.h"

#include "engine/ByteReader.h"
#include "engine/LinkList.h"
#include "records/OfficerRecord.h"
#include "records/ScenarioData.h"
#include "world/BattleMap.h"

#include <cstring>

namespace {
ScenarioData* Scenario() {
    return TheBattleMap ? TheBattleMap->scenario : nullptr;
}
} // namespace

void ListStageGeneral(OfficerRecord* general) {
    if (ScenarioData* s = Scenario()) s->stageGenerals.Add(reinterpret_cast<uintptr_t>(general));
}

int LoadGenerals(ByteReader& in, uint32_t count, int32_t ownerSide, LinkList& into) {
    for (uint32_t i = 0; i < count; ++i) {
        // Each general takes at least its length word.
        if (!in.has(4)) return 0;
        auto* general = new OfficerRecord(ownerSide, -1);
        if (!general->Load(in)) {
            delete general;
            return 0;
        }
        into.Add(reinterpret_cast<uintptr_t>(general));
        ListStageGeneral(general);
    }
    return 1;
}

void UnlistStageGeneral(OfficerRecord* general) {
    ScenarioData* s = Scenario();
    if (!s || !general) return;
    const auto v = reinterpret_cast<uintptr_t>(general);
    while (s->stageGenerals.RemoveValue(v)) {
    }
    while (s->selectedGenerals.RemoveValue(v)) {
    }
}

void DeleteGenerals(LinkList& generals) {
    for (uintptr_t v = generals.First(); v != 0; v = generals.First()) {
        generals.RemoveCurrent();
        auto* general = reinterpret_cast<OfficerRecord*>(v);
        UnlistStageGeneral(general);
        delete general;
    }
}

int RefreshGeneralFromTemplates(OfficerRecord* general) {
    ScenarioData* s = Scenario();
    if (!general || !s) return 0;
    const int32_t person = general->Get(OfficerLayout::kPersonNumber);
    for (uintptr_t v = s->generalTemplates.First(); v != 0; v = s->generalTemplates.Next()) {
        auto* t = reinterpret_cast<OfficerRecord*>(v);
        if (t == general || t->Get(OfficerLayout::kPersonNumber) != person) continue;
        const int32_t level = general->Get(OfficerLayout::kLevel);
        const int32_t experience = general->Get(OfficerLayout::kExperience);
        std::memcpy(general->block, t->block, OfficerLayout::kSize);
        general->Set(OfficerLayout::kLevel, level);
        general->Set(OfficerLayout::kExperience, experience);
        return 1;
    }
    return 0;
}
