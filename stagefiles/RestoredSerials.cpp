#include "stagefiles/RestoredSerials.h"

#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "troops/CastleGate.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

namespace {

class SerialScan {
public:
    void Officer(const OfficerRecord* o) {
        if (o) largest = std::max(largest, o->serial);
    }
    void Unit(Troop* t) {
        if (!t || !seen_.insert(t).second) return;
        Officer(t->officer);
        Unit(t->pairedTroop);
        if (t->followers)
            for (Troop* f : ListValues<Troop>(*t->followers))
                Unit(f);
    }
    void Units(LinkList& list) {
        for (Troop* t : ListValues<Troop>(list))
            Unit(t);
    }
    void Officers(LinkList& list) {
        for (OfficerRecord* o : ListValues<OfficerRecord>(list))
            Officer(o);
    }

    uint32_t largest = 0;

private:
    std::unordered_set<const Troop*> seen_;
};

} // namespace

uint32_t LargestWorldSerial() {
    SerialScan scan;
    Zu_StageSet* stage = CurrentStageSet();
    if (stage && stage->kingdoms)
        for (Kingdom* k : ListValues<Kingdom>(*stage->kingdoms)) {
            scan.Units(k->fieldUnits);
            for (CastleGate* g : ListValues<CastleGate>(k->gates))
                for (Troop* piece : g->pieces)
                    scan.Unit(piece);
            for (City* c : ListValues<City>(k->cities)) {
                scan.Officers(c->generals);
                scan.Units(c->units);
                scan.Units(c->reserve);
                for (SubCastle* sub : ListValues<SubCastle>(c->subCastles)) {
                    scan.Officers(sub->generals);
                    scan.Units(sub->units);
                    scan.Units(sub->secondUnits);
                    scan.Unit(sub->leader);
                    scan.Unit(sub->keeper);
                }
            }
        }
    if (TheBattleMap && TheBattleMap->deadOfficers) scan.Officers(*TheBattleMap->deadOfficers);
    return scan.largest;
}

void RaiseSerialCounterPastWorld() {
    ScreenSettings* s = TheScreenSettings;
    if (!s) return;
    const int64_t next = int64_t{LargestWorldSerial()} + 1;
    if (next > s->serialCounter && next <= INT32_MAX) s->serialCounter = static_cast<int32_t>(next);
}
