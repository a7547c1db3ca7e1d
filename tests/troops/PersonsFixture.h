#pragma once

// Towns, sub-castles and person templates on top of the troop tests' small battle.

#include "TroopFixture.h"

#include "Program/GameParameters.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/Persons.h"
#include "records/RecordTables.h"
#include "records/SubCastle.h"

#include <array>
#include <cstring>
#include <map>
#include <vector>

namespace trooptest {

class People : public Battle {
public:
    People() {
        saved = GameParams();
        GeneralTemplateCount = kGeneralTemplateTableSize;
        for (int n : {401, 402, 403, 404, 405, 444})
            Template(n);
        PersonCount = 0;
        PersonCap = kDefaultPersonCap;
    }
    ~People() {
        GameParams() = saved;
        PersonCount = 0;
        PersonCap = kDefaultPersonCap;
    }

    // Template n: soldier type 1, loyalty 70 + n % 10, and the given columns.
    uint8_t* Template(int n, std::map<uint32_t, int32_t> columns = {}) {
        auto& block = templates[n];
        block.fill(0);
        auto set = [&](uint32_t offset, int32_t v) { std::memcpy(block.data() + offset, &v, 4); };
        set(OfficerLayout::kSoldierType, 1);
        set(OfficerLayout::kPersonNumber, n);
        set(OfficerLayout::kLoyalty, 70 + n % 10);
        set(OfficerLayout::kStrength, 20);
        set(OfficerLayout::kPhysique, 10);
        for (auto [offset, v] : columns)
            set(offset, v);
        GeneralTemplateTable[n] = block.data();
        return block.data();
    }

    SubCastle* AddSubCastle(City* city, int kind) {
        auto* sub = new SubCastle(0);
        sub->SetInt(SubCastleLayout::kKind, kind);
        sub->cityId = city->id;
        sub->ownerSide = city->ownerSide;
        city->subCastles.Add(reinterpret_cast<uintptr_t>(sub));
        return sub;
    }

    static std::vector<Troop*> Troops(LinkList& list) {
        std::vector<Troop*> out;
        for (uintptr_t v = list.First(); v != 0; v = list.Next())
            out.push_back(reinterpret_cast<Troop*>(v));
        return out;
    }
    static std::vector<int32_t> TemplatesOf(LinkList& list) {
        std::vector<int32_t> out;
        for (Troop* t : Troops(list))
            out.push_back(t->OfficerValue(OfficerLayout::kPersonNumber));
        return out;
    }

    std::map<int, std::array<uint8_t, OfficerLayout::kSize>> templates;
    GameParameters saved;
};

} // namespace trooptest
