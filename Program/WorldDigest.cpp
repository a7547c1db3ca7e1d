#include "Program/WorldDigest.h"

#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"
#include "world/BattleMap.h"

#include <vector>

namespace {

// FNV-1a over the words and bytes fed to it.
class Digest {
public:
    uint64_t Of() {
        World();
        return h_;
    }

private:
    void Word(int64_t v) {
        for (int i = 0; i < 8; ++i) {
            h_ ^= static_cast<uint8_t>(v >> (8 * i));
            h_ *= 1099511628211ull;
        }
    }
    void Bytes(const uint8_t* p, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            h_ ^= p[i];
            h_ *= 1099511628211ull;
        }
    }
    template <class T>
    static std::vector<T*> Items(LinkList* list) {
        std::vector<T*> out;
        if (list)
            for (uintptr_t v = list->First(); v != 0; v = list->Next())
                out.push_back(reinterpret_cast<T*>(v));
        return out;
    }
    void Ids(LinkList* list) {
        const auto items = Items<Troop>(list);
        Word(static_cast<int64_t>(items.size()));
        for (Troop* t : items)
            Word(t->UnitId());
    }
    // The officer's block up to the last column, which is the station's own preference for its
    // player's troops.
    void Officer(const OfficerRecord* o) {
        if (o) Bytes(o->block, OfficerLayout::kPhysiqueRest);
    }
    void Unit(Troop* t) {
        if (!t) {
            Word(-1);
            return;
        }
        for (int64_t v : {int64_t(t->UnitId()),
                          int64_t(t->owner),
                          int64_t(t->homeCity),
                          int64_t(t->state),
                          int64_t(t->actionCode),
                          int64_t(t->goalX),
                          int64_t(t->goalY),
                          int64_t(t->cellX),
                          int64_t(t->cellY),
                          int64_t(t->worldX),
                          int64_t(t->worldY),
                          int64_t(t->deadFlag),
                          int64_t(t->flags),
                          int64_t(t->statusBits),
                          int64_t(t->garrison),
                          int64_t(t->pieceMode),
                          int64_t(t->returnX),
                          int64_t(t->returnY),
                          int64_t(t->currentType),
                          int64_t(t->targetTroop ? t->targetTroop->UnitId() : 0),
                          int64_t(t->leader ? t->leader->UnitId() : 0)})
            Word(v);
        if (t->order) {
            Word(t->order->orderState);
            Word(t->order->stormThenRoam);
        }
        Officer(t->officer);
        Ids(t->followers);
        // The carried list holds item ids.
        const auto carried = Items<void>(t->carried);
        Word(static_cast<int64_t>(carried.size()));
        for (void* item : carried)
            Word(static_cast<int64_t>(reinterpret_cast<uintptr_t>(item)));
    }
    void World() {
        if (!TheBattleMap || !TheBattleMap->stageSet) return;
        Zu_StageSet& stage = *TheBattleMap->stageSet;
        if (const ScreenSettings* s = TheScreenSettings)
            for (int64_t v : {int64_t(s->year), int64_t(s->month), int64_t(s->day)})
                Word(v);
        Word(stage.daysElapsed);
        Word(stage.monthsElapsed);
        for (Kingdom* k : Items<Kingdom>(stage.kingdoms)) {
            Word(k->nationIndex);
            for (int32_t v : k->tally)
                Word(v);
            Word(k->focusKey);
            for (Troop* t : Items<Troop>(&k->fieldUnits))
                Unit(t);
            const auto generals = Items<OfficerRecord>(&k->mapGenerals);
            Word(static_cast<int64_t>(generals.size()));
            for (OfficerRecord* o : generals)
                Officer(o);
        }
        Word(stage.result);
        for (int32_t i = 0; i < TheBattleMap->cityCount; ++i) {
            City* c = TheBattleMap->cities[i];
            if (!c) continue;
            Bytes(c->block, CityLayout::kSize);
            for (int64_t v : {int64_t(c->statusFlags), int64_t(c->toggleFlag), int64_t(c->sortieCount),
                              int64_t(c->emptyFlag), int64_t(c->ownerSide)})
                Word(v);
            const auto generals = Items<OfficerRecord>(&c->generals);
            Word(static_cast<int64_t>(generals.size()));
            for (OfficerRecord* o : generals)
                Officer(o);
            for (Troop* t : Items<Troop>(&c->units))
                Unit(t);
            for (SubCastle* s : Items<SubCastle>(&c->subCastles)) {
                for (Troop* t : Items<Troop>(&s->units))
                    Unit(t);
                Unit(s->keeper);
            }
        }
    }

    uint64_t h_ = 14695981039346656037ull;
};

} // namespace

uint64_t WorldDigest() {
    return Digest().Of();
}
