#include "Program/GameController.h"
#include "Program/StageSet.h"
#include "events/EventFile.h"
#include "platform/Files.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/TemplateTables.h"
#include "troops/Troop.h"

#include <vector>

namespace {
constexpr int32_t kGeneralKind = 1;

// The officer of that person number commands a troop or sits in a city of the loaded world.
bool OfficerInWorld(Zu_StageSet& stage, int32_t person) {
    for (Kingdom* k : ListValues<Kingdom>(*stage.kingdoms)) {
        for (Troop* t : ListValues<Troop>(k->fieldUnits))
            if (t->officer && t->officer->Get(OfficerLayout::kPersonNumber) == person) return true;
        for (City* city : ListValues<City>(k->cities))
            for (OfficerRecord* o : ListValues<OfficerRecord>(city->generals))
                if (o->Get(OfficerLayout::kPersonNumber) == person) return true;
    }
    return false;
}

void TakeOfficer(Kingdom& k, OfficerRecord* officer) {
    officer->ownerSide = k.nationIndex;
    if (officer->Get(OfficerLayout::kAttribute) == kGeneralKind)
        k.mapGenerals.Add(reinterpret_cast<uintptr_t>(officer));
}
} // namespace

int TemplateTables::LoadEventFile(const char* name) {
    Zu_StageSet* stage = CurrentStageSet();
    if (!stage || !stage->events) return 1;
    // A stage read again over the same scenario must not hold its events twice.
    DeleteEvents(*stage->events);
    // A set without an event file has no events; one that is there must be read whole.
    if (!::LoadEventFile(name, *stage->events) && platform::FileExists(name)) return 0;

    const GameController* c = TheGameController;
    if (c && c->freshStage == 1 && c->campaignStage >= 1 && c->campaignStage <= 4)
        LoadHistoryFile("History.txt", *stage->events,
                        [stage](int32_t person) { return OfficerInWorld(*stage, person); });
    return 1;
}

void TemplateTables::BindOfficersToKingdoms() {
    Zu_StageSet* stage = CurrentStageSet();
    if (!stage || !stage->kingdoms) return;
    for (Kingdom* k : ListValues<Kingdom>(*stage->kingdoms)) {
        // The list is derived from the officers read; a second pass must not double it.
        k->mapGenerals.RemoveAll();
        for (City* city : ListValues<City>(k->cities))
            for (OfficerRecord* o : ListValues<OfficerRecord>(city->generals))
                TakeOfficer(*k, o);
        for (Troop* t : ListValues<Troop>(k->fieldUnits))
            if (t->officer) TakeOfficer(*k, t->officer);
    }
}
