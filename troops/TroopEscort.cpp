#include "engine/LinkList.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"

Troop* Troop::CreateEscort(int32_t templateNumber, uint32_t unitId) {
    if (!GeneralTemplate(templateNumber)) return nullptr;
    auto* record = new OfficerRecord(owner, templateNumber);
    record->serial = unitId;
    auto* e =
        new Troop(record->Get(OfficerLayout::kSoldierType), 10, cellX, cellY, owner, homeCity, 100, record);
    e->unitNumber = unitNumber;
    e->mainTroop = this;
    if (!followers) followers = new LinkList;
    followers->Add(reinterpret_cast<uintptr_t>(e));
    if (garrison != 0 || hidden != 0) {
        // Inside a city the escort waits with its leader, off the map.
        e->garrison = garrison;
        e->hidden = hidden;
        if (TheBattleMap) TheBattleMap->RemoveObjectAt(e->cellX, e->cellY, reinterpret_cast<uintptr_t>(e));
        return e;
    }
    if (Kingdom* k = TroopKingdom(owner)) k->AddFieldUnit(e);
    AttachFollower(e);
    e->ApplyHalt();
    return e;
}
