#include "records/City.h"
#include "windows/city/CityPanelSwitch.h"
#include "windows/city/Win98Window.h"

#include "Program/GameController.h"
#include "Program/SoundEffects.h"
#include "Program/StageSet.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "windows/unit/Win05Window.h"
#include "world/BattleMap.h"
#include "world/FreeCellSearch.h"
#include "world/MapView.h"
#include "world/Zu_SkillEffect.h"

#include <algorithm>

namespace {

uintptr_t Key(const void* p) {
    return reinterpret_cast<uintptr_t>(p);
}

bool IsRuler(const Kingdom* k, const Troop* t) {
    return k && t->officer && k->PersonNumber() == t->officer->Get(OfficerLayout::kPersonNumber);
}

void RemoveFrom(LinkList* list, const void* p) {
    if (list) list->RemoveValue(Key(p));
}

// The unit's mark in its effect slot, replacing the one it had.
void MarkUnit(Troop* t, int16_t id, int32_t dx, int32_t dy) {
    delete t->attachedEffects[2];
    t->attachedEffects[2] = new Zu_SkillEffect(3, id, t->pixelX + dx, t->pixelY + dy, t->cellX, t->cellY);
}

// Every holder lets go of the unit before it goes.
void Destroy(Troop* t) {
    if (TheBattleMap) TheBattleMap->ForgetTroop(t);
    delete t;
}

void ShowSubCastleUnits(SubCastle* sc) {
    if (!sc || !sc->unitsShown) return;
    sc->RelocateUnit(true);
    RefreshSubCastlePanel(sc, false);
}

} // namespace

int City::ApplyUnitAction(int16_t operation, Troop* troop) {
    if (!troop) return 1;
    GameController* c = TheGameController;
    const bool players = ownerSide == PlayerKingdom();
    SubCastle* serving = nullptr;
    if (operation == 2 || operation == 7)
        serving = FindSubCastleOfKind(4);
    else if (operation >= 3 && operation <= 6)
        serving = FindSubCastleOfKind(5);
    Kingdom* kingdom = TheBattleMap ? TheBattleMap->FindKingdom(troop->owner) : nullptr;

    switch (operation) {
    case 1:
        currentUnit = troop;
        if (unitsShown) ArrangeUnits(true);
        if (unitsShown) {
            RefreshCityFields(this, 0x38);
            RefreshCityPanel(this, 0);
        }
        return 1;
    case 2:
    case 3: {
        if (!serving) return 0;
        // The cell is found first: a unit with nowhere to stand stays inside.
        int32_t x = serving->entranceX - 5, y = serving->entranceY;
        if (!FindFreeCellNear(x, y)) return 0;
        if (kingdom) RemoveFrom(&kingdom->fieldUnits, troop);
        troop->owner = static_cast<int8_t>(ownerSide);
        if (troop->officer) troop->officer->allegianceMode = 0;
        if (Kingdom* side = TheBattleMap ? TheBattleMap->FindKingdom(ownerSide) : nullptr)
            side->fieldUnits.Add(Key(troop));
        troop->outgoingMark = 1;
        RemoveFrom(&serving->secondUnits, troop);
        troop->SetCell(static_cast<int16_t>(x), static_cast<int16_t>(y), 0);
        if (players) troop->UpdateSight();
        ShowSubCastleUnits(serving);
        return 1;
    }
    case 4: {
        if (players) PlaySoundEffect(45);
        if (c && !c->networked && c->gameScreen && c->gameScreen->currentCity)
            c->gameScreen->GiftRandomItems(c->gameScreen->currentCity);
        if (c) RemoveFrom(c->selection, troop);
        if (serving) RemoveFrom(&serving->secondUnits, troop);
        if (TheBattleMap) TheBattleMap->RemoveObjectAt(troop->cellX, troop->cellY, Key(troop));
        if (kingdom) RemoveFrom(&kingdom->fieldUnits, troop);
        if (troop->officer) {
            troop->officer->allegianceMode = 0;
            troop->officer->Set(OfficerLayout::kPolicy, troop->owner);
        }
        if (c && c->currentTroop == troop) c->currentTroop = nullptr;
        City* hideout = nullptr;
        if (kingdom)
            for (uintptr_t v = kingdom->cities.First(); v != 0 && !hideout; v = kingdom->cities.Next())
                if (reinterpret_cast<City*>(v)->Kind() == 0) hideout = reinterpret_cast<City*>(v);
        if (hideout) {
            troop->garrison = 1;
            troop->homeCity = static_cast<int16_t>(hideout->id);
            hideout->units.Add(Key(troop));
            return 1;
        }
        if (IsRuler(kingdom, troop)) {
            Destroy(troop);
            return 1;
        }
        SubCastle* keep = nullptr;
        City* keepCity = nullptr;
        if (TheBattleMap && TheBattleMap->stageSet && TheBattleMap->stageSet->kingdoms) {
            LinkList& all = *TheBattleMap->stageSet->kingdoms;
            Kingdom* holder = nullptr;
            for (uintptr_t v = all.First(); v != 0 && !holder; v = all.Next())
                if (reinterpret_cast<Kingdom*>(v)->NationKind() == 2) holder = reinterpret_cast<Kingdom*>(v);
            if (holder && holder->cities.First() != 0) {
                keepCity = reinterpret_cast<City*>(holder->cities.First());
                keep = keepCity->FindSubCastleOfKind(4);
            }
        }
        if (!keep) {
            Destroy(troop);
            return 1;
        }
        troop->homeCity = static_cast<int16_t>(keepCity->id);
        keep->secondUnits.Add(Key(troop));
        ShowSubCastleUnits(keep);
        return 1;
    }
    case 5:
        if (serving && serving->leader == troop) {
            PlaySoundEffect(25);
            return 1;
        }
        if (IsRuler(kingdom, troop) && (kingdom->setterWords[0] == 0 || kingdom->setterWords[1] == 0)) {
            if (players) {
                MarkUnit(troop, 7, 82, 70);
                PlaySoundEffect(25);
            }
            return 1;
        }
        if (c) RemoveFrom(c->selection, troop);
        if (serving) RemoveFrom(&serving->secondUnits, troop);
        if (TheBattleMap) TheBattleMap->RemoveObjectAt(troop->cellX, troop->cellY, Key(troop));
        if (kingdom) RemoveFrom(&kingdom->fieldUnits, troop);
        if (players) PlaySoundEffect(26);
        ShowSubCastleUnits(serving);
        Destroy(troop);
        return 1;
    case 6:
    case 7: {
        OfficerRecord* officer = troop->officer;
        if (!officer || officer->Get(OfficerLayout::kLoyalty) <= 0) return 1;
        officer->Set(OfficerLayout::kLoyalty, std::max(0, officer->Get(OfficerLayout::kLoyalty) - 2));
        SetInt(CityLayout::kGold, std::max(0, Int(CityLayout::kGold) - 100));
        if (players) {
            PlaySoundEffect(46);
            RefreshCityFields(this, 1);
            RefreshUnitPanel(troop, 1);
            MarkUnit(troop, 10, 66, 68);
        }
        return 1;
    }
    default:
        return 1;
    }
}
