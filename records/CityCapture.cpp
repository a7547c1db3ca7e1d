#include "Program/GameController.h"
#include "Program/SoundEffects.h"
#include "gui/MouseCursor.h"
#include "records/City.h"
#include "records/CityTroopLists.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "troops/CastleGate.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"
#include "world/MapView.h"
#include "world/Zu_SkillEffect.h"

#include <vector>

using namespace citylists;

namespace {
// Width of each kind's sight marker.
constexpr int32_t kMarkerWidth[11] = {12, 7, 6, 6, 7, 7, 7, 7, 5, 6, 6};
constexpr int32_t kPrisonerWord = 70;

bool SideActive(int32_t side) {
    return TheBattleMap && side >= 0 && side < BattleMap::kSides && TheBattleMap->sideActive[side] != 0;
}

std::vector<City*> CitiesOf(Kingdom* k) {
    std::vector<City*> out;
    if (!k) return out;
    for (uintptr_t v = k->cities.First(); v != 0; v = k->cities.Next())
        out.push_back(reinterpret_cast<City*>(v));
    return out;
}

City* FirstMainCastle(Kingdom* k) {
    for (City* c : CitiesOf(k))
        if (c->Kind() == 0) return c;
    return nullptr;
}

// A troop that leaves the game, with its company, is taken out of every cell, selection, group
// and list that names it before it is deleted.
void RemoveFromGame(Troop* t) {
    std::vector<Troop*> going = Company(t);
    going.push_back(t);
    for (Troop* g : going) {
        LeaveCell(g);
        if (TheGameController) TheGameController->DeselectTroop(g);
        if (TheBattleMap) TheBattleMap->ForgetTroop(g);
    }
    for (Troop* g : going)
        delete g;
}

bool InView(const MapView* view, int32_t x, int32_t y) {
    return view && x >= view->viewX && x <= view->viewX + 19 && y >= view->viewY && y <= view->viewY + 55;
}
} // namespace

void Kingdom::TakeCity(Troop* taker, City* q) {
    if (!q) return;
    Kingdom* old = KingdomOf(q->ownerSide);
    const int32_t oldSide = q->ownerSide;
    const int32_t orderState = SideActive(nationIndex) ? 14 : 0;
    auto takePrisoner = [&](Troop* t) {
        t->spareWord = kPrisonerWord;
        if (t->officer) {
            t->officer->StatusWord() = 1;
            t->officer->Set(OfficerLayout::kPolicy, nationIndex);
        }
        t->state = static_cast<uint8_t>(orderState);
    };

    q->ReleaseGarrison();
    // Units shown around the city go back inside first, so that no unit is held by a field list
    // and by the prison or the new owner at once.
    q->RemoveUnitFromMap();
    q->currentUnit = nullptr;
    q->sortieCount = q->raidGenerals = q->raidOthers = 0;
    q->capital = cities.GetCount() > 0 ? reinterpret_cast<City*>(cities.First()) : nullptr;

    if (q->Kind() == 0) {
        if (SubCastle* prison = q->FindSubCastleOfKind(5)) {
            const std::vector<Troop*> inside = Snapshot(q->units);
            q->units.RemoveAll();
            for (Troop* t : inside) {
                if (t->OfficerKind() != 1) {
                    RemoveFromGame(t);
                    continue;
                }
                takePrisoner(t);
                t->garrison = 2;
                t->ApplyHalt();
                prison->units.Add(reinterpret_cast<uintptr_t>(t));
            }
            for (Troop* t : Snapshot(prison->units)) {
                if (t->owner == nationIndex) {
                    if (t->officer) {
                        t->officer->StatusWord() = 0;
                        t->officer->Set(OfficerLayout::kPolicy, 0);
                    }
                    prison->units.RemoveValue(reinterpret_cast<uintptr_t>(t));
                    t->garrison = 1;
                    q->units.Add(reinterpret_cast<uintptr_t>(t));
                } else if (t->officer) {
                    t->officer->Set(OfficerLayout::kPolicy, nationIndex);
                }
                t->state = static_cast<uint8_t>(orderState);
            }
        }
    } else {
        // One walk over the units as they were: a unit that leads nobody stays in the list.
        for (Troop* t : Snapshot(q->units)) {
            takePrisoner(t);
            q->PutUnitOnMap(t);
        }
        q->units.RemoveAll();
    }

    const int32_t gold = q->Int(CityLayout::kGold);
    if (old) {
        old->RemoveCity(q);
        old->goldTotal -= gold;
    }
    q->ReassignCellOwner(static_cast<uint16_t>(oldSide + 100), static_cast<uint16_t>(nationIndex + 100));
    TransferGatesInArea(oldSide, nationIndex, q->id);
    q->ownerSide = nationIndex;
    for (Troop* t : Snapshot(q->reserve))
        t->owner = static_cast<int8_t>(nationIndex);
    for (uintptr_t v = q->subCastles.First(); v != 0; v = q->subCastles.Next()) {
        auto* sub = reinterpret_cast<SubCastle*>(v);
        sub->SetOwner(q->ownerSide, q->id);
        if (sub->leader) sub->RemoveUnitOnExit(sub->leader);
    }
    AddCity(q);
    for (Troop* t : q->towers) {
        if (!t) continue;
        if (old) old->fieldUnits.RemoveValue(reinterpret_cast<uintptr_t>(t));
        t->owner = static_cast<int8_t>(nationIndex);
        JoinFieldList(this, t);
        t->ApplyHalt();
    }
    q->sortieCount = 0;
    q->monthlyCounter = 0;
    q->raidGenerals = 0;
    if (q->Kind() == 1 || q->Kind() == 6) {
        q->ReleaseGarrison();
        q->SpawnGenerals();
        for (Troop* t : q->garrison)
            if (t && t->officer) t->officer->Set(OfficerLayout::kHp, 0);
        q->sortieCount = 1;
    }
    goldTotal += gold;

    const int32_t player = PlayerKingdom();
    MapView* view = TheGameController ? TheGameController->gameScreen : nullptr;
    if (nationIndex == player || KingdomRelation(player, nationIndex) == 1) {
        q->markedMode = 1;
        q->DrawMapMarker(1);
        if (view) view->MarkObjectCell(q, 0);
    } else {
        q->DrawMapMarker(0);
        if (view && view->currentCity == q) view->MarkObjectCell(q, 1);
        if (view) view->MarkObjectCell(q, 0);
    }
    if (TheMouseCursor) TheMouseCursor->ReleaseCapture();

    const int32_t x = q->CellX(), y = q->CellY();
    if (q->Kind() == 0 && !q->banner) {
        auto* flag = new Zu_SkillEffect(3, 8, x * 40 - 153, y * 10 - 148, x, y / 2);
        // Without an effect list nobody would retire it.
        if (flag->list)
            q->banner = flag;
        else
            delete flag;
    }
    if (q->Kind() == 0) {
        if (InView(view, x, y) || InView(view, x - 6, y + 12) || InView(view, x, y + 24) ||
            InView(view, x + 6, y + 12))
            PlaySoundEffect(22);
    } else {
        const int32_t w = kMarkerWidth[q->Kind() >= 0 && q->Kind() <= 10 ? q->Kind() : 0];
        if (InView(view, x + w / 2, y + w)) PlaySoundEffect(93);
    }

    const int32_t gameKind = TheGameController ? TheGameController->gameKind : 0;
    if (gameKind != 1 && gameKind != 3) return;
    if (q->Kind() == 6) {
        // A village leaves its old main castle's dependants before it joins new ones.
        if (q->parent) q->parent->dependants.RemoveValue(reinterpret_cast<uintptr_t>(q));
        City* home = taker && TheBattleMap ? TheBattleMap->CityById(taker->homeCity) : nullptr;
        City* parent = home && home->Kind() == 0 ? home : (mainCity ? mainCity : FirstMainCastle(this));
        q->parent = parent;
        if (parent) parent->dependants.Add(reinterpret_cast<uintptr_t>(q));
    } else if (q->Kind() == 0) {
        City* heir = FirstMainCastle(old);
        for (uintptr_t v = q->dependants.First(); v != 0; v = q->dependants.Next()) {
            auto* d = reinterpret_cast<City*>(v);
            d->parent = heir;
            if (heir) heir->dependants.Add(v);
        }
        q->dependants.RemoveAll();
    }
}

void Kingdom::TransferGatesInArea(int32_t oldIndex, int32_t newIndex, int32_t cityId) {
    Kingdom* from = KingdomOf(oldIndex);
    Kingdom* to = KingdomOf(newIndex);
    BattleMap* map = TheBattleMap;
    if (!from || !map) return;
    std::vector<CastleGate*> gates;
    for (uintptr_t v = from->gates.First(); v != 0; v = from->gates.Next())
        gates.push_back(reinterpret_cast<CastleGate*>(v));
    for (CastleGate* g : gates) {
        // The gate's anchor is a unit cell; its map cell is on the even row below it.
        const int32_t x = g->cellX, y = g->cellY;
        const bool inside = x >= 0 && y >= 0 && x < map->unitGridWidth && y < map->unitGridRows;
        const MapCell* cell = inside ? map->CellAt(x, 2 * y) : nullptr;
        if (!cell || cell->cityId != (cityId & 0xFF)) continue;
        g->SetOwner(newIndex);
        from->gates.RemoveValue(reinterpret_cast<uintptr_t>(g));
        if (to) to->gates.Add(reinterpret_cast<uintptr_t>(g));
    }
}
