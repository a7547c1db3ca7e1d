#pragma once

// A battle with the player's kingdom 1 and a foe, kingdom 2, whose cities hold units: troops made
// inside a city, on the field, with escorts, a stock keeper and item records.

#include "net/CommandLookups.h"
#include "net/GameRecordChannel.h"
#include "records/City.h"
#include "records/ItemRecord.h"
#include "records/Kingdom.h"
#include "records/SubCastle.h"
#include "support/SentCommands.h"
#include "troops/TroopFixture.h"

#include <array>
#include <map>
#include <vector>

namespace cityunits {

struct Row {
    int dx, dy, facing;
};

// The formation rows as the cities' tables give them.
inline Row FormationRow(int kind, int row) {
    static const Row castle[17] = {{-2, 4, 8}, {0, 4, 6}, {-2, 6, 2}, {1, 5, 6}, {-1, 7, 2}, {2, 6, 6},
                                   {0, 8, 2},  {3, 7, 6}, {1, 9, 2},  {1, 3, 6}, {-3, 7, 2}, {2, 4, 6},
                                   {-2, 8, 2}, {3, 5, 6}, {-1, 9, 2}, {4, 6, 6}, {0, 10, 2}};
    static const Row town[9] = {{1, 4, 4}, {0, 3, 8},  {-1, 2, 8}, {1, 2, 8}, {-1, 4, 8},
                                {0, 1, 8}, {-2, 3, 8}, {2, 3, 8},  {0, 5, 8}};
    static const Row camp[4] = {{0, 3, 8}, {0, 1, 8}, {-1, 2, 8}, {1, 2, 8}};
    return kind == 0 ? castle[row] : kind == 8 ? camp[row] : town[row];
}

class Stage : public trooptest::Battle {
public:
    Stage() {
        GameParams() = GameParameters();
        testsupport::CaptureSentCommands();
        TheScreenSettings->mapWidth = trooptest::kMapWidth;
        TheScreenSettings->mapHeight = trooptest::kMapRows / 2;
        own = AddKingdom(1, true);
        foe = AddKingdom(2);
        TheBattleMap->sideActive[1] = TheBattleMap->sideActive[2] = 1;
    }
    ~Stage() {
        for (auto& [n, block] : items)
            ItemTable[n] = nullptr;
    }

    // A city of the kingdom whose id names it in the battle map's table.
    ::City* City(Kingdom* k, int x, int y, int kind) {
        ::City* c = AddCity(k, x, y, kind);
        c->SetInt(CityLayout::kScale, 1);
        return c;
    }

    // A general's unit hidden inside the city.
    Troop* Inside(::City* city, int kind = 1) {
        auto* t = new Troop(0, 10, 0, 0, int8_t(city->ownerSide), int16_t(city->id), 0,
                            Officer(city->ownerSide, 1, kind));
        t->ledUnit = 1;
        t->hidden = 1;
        t->inCity = 1;
        t->officer->Set(OfficerLayout::kHp, 100);
        t->officer->Set(OfficerLayout::kMaxHp, 100);
        city->units.Add(uintptr_t(t));
        return t;
    }

    Troop* Field(Kingdom* k, int x, int y, int kind = 1) {
        Troop* t = AddTroop(k, x, y, 1, kind);
        t->ledUnit = 1;
        t->officer->Set(OfficerLayout::kHp, 100);
        t->officer->Set(OfficerLayout::kMaxHp, 100);
        return t;
    }

    Troop* Escort(Troop* unit) {
        Kingdom* k = TheBattleMap->FindKingdom(unit->owner);
        Troop* e = AddTroop(k, unit->cellX, unit->cellY, 1, 2);
        e->officer->Set(OfficerLayout::kHp, 30);
        e->officer->Set(OfficerLayout::kMaxHp, 30);
        if (unit->inCity) {
            // Inside, the escort is the city's: off the map and out of the field list.
            TheBattleMap->RemoveObjectAt(e->cellX, e->cellY, uintptr_t(e));
            k->fieldUnits.RemoveValue(uintptr_t(e));
            e->hidden = 1;
            e->inCity = 1;
        }
        if (!unit->followers) unit->followers = new LinkList;
        unit->followers->Add(uintptr_t(e));
        e->mainTroop = unit;
        return e;
    }

    static bool Holds(LinkList& list, const void* p) {
        for (uintptr_t v = list.First(); v != 0; v = list.Next())
            if (v == uintptr_t(p)) return true;
        return false;
    }
    bool InUnits(::City* c, const Troop* t) { return Holds(c->units, t); }
    bool InField(Kingdom* k, const Troop* t) { return Holds(k->fieldUnits, t); }

    void Block(int x, int y) { TheBattleMap->CellAt(x, 2 * y)->obstacle = 1; }

    // Item record n: its category and the classes that may wear it (0: everyone).
    void Item(int n, int category, std::vector<int> classes) {
        auto& block = items[n];
        block.fill(0);
        auto set = [&](uint32_t offset, int32_t v) { std::memcpy(block.data() + offset, &v, 4); };
        set(ItemLayout::kNumber, n);
        set(ItemLayout::kCategory, category);
        for (int c : classes)
            set(40 + 4 * uint32_t(c), 1);
        ItemTable[n] = block.data();
    }

    // The city's kind-4 sub-castle with a keeper that carries the items.
    Troop* Keeper(::City* city, const std::vector<int>& stock) {
        auto* sub = new SubCastle(0);
        sub->SetInt(SubCastleLayout::kKind, 4);
        city->subCastles.Add(uintptr_t(sub));
        sub->keeper = new Troop(0, 10, 0, 0, int8_t(city->ownerSide), 0, 0, Officer(city->ownerSide, 1));
        sub->keeper->carried = new LinkList;
        for (int n : stock)
            sub->keeper->carried->Add(uintptr_t(n));
        return sub->keeper;
    }

    static std::vector<int> Carried(Troop* t) {
        std::vector<int> out;
        for (uintptr_t v = t->carried->First(); v != 0; v = t->carried->Next())
            out.push_back(int(v));
        return out;
    }

    void Networked(bool host) {
        TheGameController->networked = 1;
        TheGameController->isHost = host ? 1 : 0;
    }

    // A record as another station's channel hands it over.
    static CommandOutcome Receive(const std::vector<uint8_t>& record) {
        return TheGameController->recordChannel->ApplyRecord(record);
    }

    // Records name a city by its index in the city table.
    static uint32_t Index(const ::City* city) { return uint32_t(CityIndexOf(city)); }

    Kingdom* own = nullptr;
    Kingdom* foe = nullptr;
    std::map<int, std::array<uint8_t, ItemRecord::kSize>> items;
};

} // namespace cityunits
