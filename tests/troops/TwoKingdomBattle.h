#pragma once

// Two computer kingdoms at war on the small test map: a general with its battle band and four
// bowmen on each side, close enough to see each other. Built alike on every station that calls it.

#include "PersonsFixture.h"

#include "troops/SoldierTypeColumns.h"
#include "troops/TroopOrder.h"

#include <vector>

namespace trooptest {

struct TwoKingdomBattle {
    Kingdom* west = nullptr;
    Kingdom* east = nullptr;
    std::vector<Troop*> troops; // generals, their bands and the bowmen as made; valid until one falls

    explicit TwoKingdomBattle(People& b) {
        b.Type(
            1,
            {{SoldierColumn::kSpeed, 100}, {SoldierColumn::kRangeStart, 1}, {SoldierColumn::kRangeEnd, 2}});
        b.Animations({1});
        for (int n = 415; n <= 431; ++n)
            b.Template(n,
                       {{OfficerLayout::kHp, 60}, {OfficerLayout::kMaxHp, 60}, {OfficerLayout::kAttack, 20}});
        west = b.AddKingdom(1);
        east = b.AddKingdom(2);
        Battle::War(west, east);
        TheBattleMap->sideActive[1] = TheBattleMap->sideActive[2] = 1;
        TheGameController->running = 1;
        for (Kingdom* k : {west, east}) {
            const int x = k == west ? 14 : 16;
            Troop* g = b.AddTroop(k, x, 12);
            g->officer->Set(OfficerLayout::kClass, 1);
            g->officer->Set(OfficerLayout::kLevel, 4);
            g->officer->Set(OfficerLayout::kHp, 120);
            g->officer->Set(OfficerLayout::kMaxHp, 120);
            g->officer->Set(OfficerLayout::kAttack, 25);
            g->CreateFollowers();
            troops.push_back(g);
            for (uintptr_t v = g->followers ? g->followers->First() : 0; v != 0; v = g->followers->Next())
                troops.push_back(reinterpret_cast<Troop*>(v));
            for (int i = 0; i < 4; ++i) {
                Troop* t = b.AddTroop(k, x, 16 + 2 * i, 1, 0);
                t->officer->Set(OfficerLayout::kHp, 60);
                t->officer->Set(OfficerLayout::kMaxHp, 60);
                t->officer->Set(OfficerLayout::kAttack, 20);
                troops.push_back(t);
            }
        }
        // The west outlasts every foe in its reach: its side wins where it stands, with no walking
        // needed.
        for (Troop* t : troops) {
            t->order->alert = 8;
            if (t->owner != west->nationIndex) continue;
            t->officer->Set(OfficerLayout::kAttack, 25);
            t->officer->Set(OfficerLayout::kHp, 100);
            t->officer->Set(OfficerLayout::kMaxHp, 100);
        }
    }
    TwoKingdomBattle(const TwoKingdomBattle&) = delete;
    TwoKingdomBattle& operator=(const TwoKingdomBattle&) = delete;

    // Troops of the kingdom still standing (the fallen may already be gone from memory).
    static int Standing(Kingdom* k) {
        int n = 0;
        for (uintptr_t v = k->fieldUnits.First(); v != 0; v = k->fieldUnits.Next()) {
            const auto* t = reinterpret_cast<const Troop*>(v);
            n += !t->IsGone() && !t->outOfPlay;
        }
        return n;
    }
};

} // namespace trooptest
