#include "events/EventManager.h"

#include "Program/StageSet.h"
#include "events/EventRecord.h"
#include "events/ListWalk.h"
#include "events/WorldQueries.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"

using Event = events::EventRecord;
using events::AnyCityTroop;
using events::AnyFieldTroop;
using events::Group;
using events::KingdomOfNation;
using events::OfficerField;
using events::OfficerInPlay;
using events::WalkList;
using L = OfficerLayout;

namespace {

constexpr int kItemSlots = 10; // weapon .. last belt, one word each

bool InClosedRect(const Event& e, const Troop* t) {
    return e.Param(1) <= t->cellX && t->cellX <= e.Param(3) && e.Param(2) <= 2 * t->cellY &&
           2 * t->cellY <= e.Param(4);
}

bool InOpenRect(const Event& e, const Troop* t) {
    return e.Param(1) < t->cellX && t->cellX < e.Param(3) && e.Param(2) < 2 * t->cellY &&
           2 * t->cellY < e.Param(4);
}

bool InHalfOpenRect(const Event& e, const Troop* t) {
    return e.Param(1) <= t->cellX && t->cellX < e.Param(3) && e.Param(2) / 2 <= t->cellY &&
           t->cellY < e.Param(4) / 2;
}

bool CarriesItem(const OfficerRecord* o, int32_t item) {
    for (int i = 0; i < kItemSlots; ++i)
        if (o->Get(L::kWeapon + 4u * uint32_t(i)) == item) return true;
    return false;
}

bool CarriesAny(const OfficerRecord* o) {
    for (int i = 0; i < kItemSlots; ++i)
        if (o->Get(L::kWeapon + 4u * uint32_t(i)) != 0) return true;
    return false;
}

// At least one item carried, and every non-zero listed item among the carried ones.
bool CarriesAll(const OfficerRecord* o, const Event& e, int first, int last) {
    if (!o || !CarriesAny(o)) return false;
    for (int n = first; n <= last; ++n)
        if (e.Param(n) != 0 && !CarriesItem(o, e.Param(n))) return false;
    return true;
}

bool TroopInList(LinkList& list, const OfficerRecord* officer) {
    return WalkList<Troop>(&list, [&](Troop* t) { return t->officer == officer; });
}

bool OnMap(int32_t x, int32_t y) {
    const CellBounds& b = TheBattleMap->validBounds;
    return x >= b.left && x < b.right && 2 * y >= b.top && 2 * y < b.bottom;
}

// The second troop stands on one of the cells x-before..x+after, y-before..y+after of the first.
bool Near(const Troop* centre, const Troop* other, int before, int after) {
    if (!centre || !other || !TheBattleMap) return false;
    for (int y = centre->cellY - before; y <= centre->cellY + after; ++y)
        for (int x = centre->cellX - before; x <= centre->cellX + after; ++x)
            if (OnMap(x, y) && other->cellX == x && other->cellY == y) return true;
    return false;
}

} // namespace

int EventManager::TestWorldCondition(Event& e) {
    Zu_StageSet& stage = *CurrentStageSet();
    const int32_t id = e.Int(EventLayout::kGeneral);
    switch (e.Code()) {
    case 10:
    case 53: {
        if (id != 0) {
            for (const int32_t who : {id, e.Param(5), e.Param(6)}) {
                if (who == 0) continue;
                Troop* t = FindTroop(who);
                if (!t || !OfficerInPlay(t->officer) || !InClosedRect(e, t)) return 0;
            }
            return 1;
        }
        if (!TheBattleMap) return 0;
        const int32_t nation = e.Int(EventLayout::kSpecific);
        const int32_t side = nation == 0 ? 1 : events::SideOfNation(nation);
        if (side == 0) return 0;
        Kingdom* player = events::KingdomOfSide(stage.playerSide);
        for (int32_t y = e.Param(2) / 2; y < e.Param(4) / 2; ++y)
            for (int32_t x = e.Param(1); x < e.Param(3); ++x) {
                auto* t = reinterpret_cast<Troop*>(TheBattleMap->FirstObjectAt(x, y));
                if (!t || !t->officer) continue;
                if (t->owner == side && OfficerField(t, L::kAmbush) == 0 && t->outOfPlay == 0 &&
                    OfficerInPlay(t->officer))
                    return 1;
                if (player && t->owner >= 0 && t->owner <= Kingdom::kMaxNations &&
                    player->relations[t->owner] == 1)
                    return 1;
            }
        return 0;
    }
    case 11: {
        int given = 0;
        const OfficerRecord* officers[6] = {};
        for (int n = 1; n <= 6; ++n) {
            if (e.Param(n) == 0) continue;
            officers[n - 1] = FindGarrisonOfficer(e.Param(n));
            if (!officers[n - 1]) return 0;
            ++given;
        }
        City* city = FindCity(id);
        if (!city || given == 0) return 0;
        for (const OfficerRecord* o : officers)
            if (o && !TroopInList(city->units, o)) return 0;
        return 1;
    }
    case 12: {
        if (!ResolveOfficerParams(e)) return 0;
        Kingdom* k = id != 0 ? KingdomOfNation(stage, id) : nullptr;
        for (const OfficerRecord* o : resolved) {
            if (!o) continue;
            const int32_t policy = o->Get(L::kPolicy);
            if (id == 0) {
                if (policy == 0) return 0;
                continue;
            }
            if (policy == id) continue;
            const bool inPost = k && WalkList<City>(&k->cities, [&](City* c) {
                                    return WalkList<SubCastle>(&c->subCastles, [&](SubCastle* s) {
                                        return s->Kind() == 5 && TroopInList(s->units, o);
                                    });
                                });
            if (!inPost) return 0;
        }
        return 1;
    }
    case 13:
        if (!ResolveOfficerParams(e)) return 0;
        for (const OfficerRecord* o : resolved)
            if (o && o->ownerSide != id) return 0;
        return 1;
    case 14: {
        const bool anyParam = ResolveOfficerParams(e) != 0;
        OfficerRecord* lead = id != 0 ? FindOfficer(id) : nullptr;
        if (lead && lead->Get(L::kHp) != 0) return 0;
        if (!lead && !anyParam) return 0;
        for (const OfficerRecord* o : resolved)
            if (o && o->Get(L::kHp) != 0) return 0;
        return 1;
    }
    case 15:
        for (int n = 1; n <= 6; ++n) {
            City* c = e.Param(n) != 0 ? FindCity(e.Param(n)) : nullptr;
            const Kingdom* owner = c ? events::KingdomOfSide(c->ownerSide) : nullptr;
            if (owner && owner->nationIndex != id) return 0;
        }
        return 1;
    case 16: {
        if (AnyCityTroop(stage, [&](Kingdom*, Troop* t) { return Group(t) == id; })) return 0;
        return !AnyFieldTroop(stage,
                              [&](Kingdom*, Troop* t) { return Group(t) == id && !InHalfOpenRect(e, t); });
    }
    case 17: {
        int32_t count = 0;
        AnyFieldTroop(stage, [&](Kingdom*, Troop* t) {
            if (OfficerField(t, L::kPersonNumber) == id && e.Param(1) <= t->cellX && t->cellX <= e.Param(3) &&
                e.Param(2) / 2 <= t->cellY && t->cellY <= e.Param(4) / 2)
                ++count;
            return false;
        });
        return count >= e.Param(5);
    }
    case 18: {
        for (const int32_t who : {id, e.Param(5), e.Param(6)}) {
            Troop* t = who != 0 ? FindTroop(who) : nullptr;
            if (t && InOpenRect(e, t)) return 1;
        }
        return 0;
    }
    case 19: {
        City* city = FindCity(id);
        if (!city) return 0;
        for (int n = 1; n <= 6; ++n) {
            const OfficerRecord* o = e.Param(n) != 0 ? FindGarrisonOfficer(e.Param(n)) : nullptr;
            if (o && TroopInList(city->units, o)) return 1;
        }
        return 0;
    }
    case 20: {
        if (Near(FindTroop(e.Param(1)), FindTroop(id), 2, 1)) return 1;
        const OfficerRecord* a = FindGarrisonOfficer(id);
        const OfficerRecord* b = FindGarrisonOfficer(e.Param(1));
        if (!a || !b || !stage.playerKingdom) return 0;
        return WalkList<City>(&stage.playerKingdom->cities, [&](City* c) {
            return events::InActiveArea(c->CellX(), c->CellY()) && TroopInList(c->units, a) &&
                   TroopInList(c->units, b);
        });
    }
    case 41: {
        Troop* t = FindTroop(id);
        const OfficerRecord* o = t ? t->officer : FindGarrisonOfficer(id);
        return CarriesAll(o, e, 1, 4);
    }
    case 42:
    case 43: {
        Troop* first = FindTroop(id);
        if (!Near(FindTroop(e.Param(1)), first, 4, 3)) return 0;
        if (e.Param(2) == 0 && e.Param(3) == 0 && e.Param(4) == 0 && e.Param(5) == 0) return 1;
        return CarriesAll(first->officer, e, 2, 5);
    }
    case 45:
        return id <= stage.progressValue;
    case 46: {
        Kingdom* k = KingdomOfNation(stage, id);
        return k && WalkList<Troop>(&k->fieldUnits, [&](Troop* t) {
                   return t->officer && OfficerField(t, L::kFamous) == 0 && InOpenRect(e, t);
               });
    }
    case 47: {
        const int32_t side = events::SideOfNation(id);
        Troop* centre = FindTroop(e.Param(1));
        if (side == 0 || !centre || !TheBattleMap) return 0;
        for (int32_t y = centre->cellY - 6; y <= centre->cellY + 5; ++y)
            for (int32_t x = centre->cellX - 6; x <= centre->cellX + 5; ++x)
                for (uintptr_t v = TheBattleMap->FirstObjectAt(x, y); v != 0;
                     v = TheBattleMap->NextObjectAt()) {
                    auto* t = reinterpret_cast<Troop*>(v);
                    const int32_t kind = OfficerField(t, L::kAttribute);
                    if (t->owner == side && t->cellX == x && t->cellY == y && kind != 17 && kind != 14 &&
                        OfficerField(t, L::kControllable) != 0 && OfficerField(t, L::kFamous) == 0)
                        return 1;
                }
        return 0;
    }
    case 50:
        if (AnyFieldTroop(stage,
                          [&](Kingdom*, Troop* t) { return Group(t) == id && OfficerInPlay(t->officer); }))
            return 0;
        return !AnyCityTroop(stage, [&](Kingdom*, Troop* t) { return Group(t) == id; });
    case 51:
        return stage.timerTarget != 0 && stage.timerCounter >= stage.timerTarget;
    case 52: {
        const Kingdom* k = KingdomOfNation(stage, id);
        return k && k->noCity != 0 && k->beaten != 0;
    }
    case 56:
        return stage.tallyTarget != 0 && stage.tallyCounter >= stage.tallyTarget;
    case 57:
        return AnyFieldTroop(stage,
                             [&](Kingdom*, Troop* t) { return Group(t) == id && InHalfOpenRect(e, t); });
    case 59:
        for (int n = 1; n <= 6; ++n) {
            City* c = e.Param(n) != 0 ? FindCity(e.Param(n)) : nullptr;
            const Kingdom* owner = c ? events::KingdomOfSide(c->ownerSide) : nullptr;
            if (owner && owner->AllianceGroup() != id) return 0;
        }
        return 1;
    case 60: {
        const int32_t item = e.Int(EventLayout::kSpecific);
        for (const int32_t who : {id, e.Param(5), e.Param(6)}) {
            if (who == 0) continue;
            Troop* t = FindTroop(who);
            if (!t || !t->officer || !t->officer->HasEquippedItem(item) || !InClosedRect(e, t)) return 0;
        }
        return 1;
    }
    case 61: {
        const int32_t group = e.Int(EventLayout::kSpecific);
        auto foreign = [&](Kingdom*, Troop* t) {
            const Kingdom* k = events::KingdomOfSide(t->owner);
            return Group(t) == id && k && k->AllianceGroup() != group;
        };
        return !AnyFieldTroop(stage, foreign) && !AnyCityTroop(stage, foreign);
    }
    default:
        return 0;
    }
}
