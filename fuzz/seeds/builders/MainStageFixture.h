#pragma once

// A small stage for the main stage file tests and seeds, built in the shared battle: two kingdoms with
// three cities, one city holding a general, a sub-castle with its own general, a construction
// site, a value link, a stored item and two stationed units. Kingdom and city indexes are not
// 1..n, so renumbering shows.

#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "fuzz/seeds/builders/BattleFixture.h"
#include "records/City.h"
#include "records/CityWorks.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "records/ScenarioData.h"
#include "records/SubCastle.h"
#include "records/TemplateTables.h"
#include "stagefiles/SavedRecord.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"
#include "world/RandomMapTables.h"

#include <array>
#include <cstring>
#include <vector>

namespace mainstagefix {

constexpr int kIndexA = 5, kIndexB = 9;            // kingdom indexes as stored
constexpr int kCity1 = 7, kCity2 = 3, kCity3 = 12; // city ids as stored

// Items the stock may name, with a recognisable block each.
inline void FillItemTable() {
    static std::array<std::array<uint8_t, 192>, 8> blocks{};
    for (int n = 1; n < 8; ++n) {
        blocks[size_t(n)].fill(uint8_t(n * 11));
        const int32_t number = n;
        std::memcpy(blocks[size_t(n)].data() + 20, &number, 4);
        ItemTable[n] = blocks[size_t(n)].data();
    }
    ItemCount = 8;
}

class MainWorld {
public:
    MainWorld() {
        FillItemTable();
        NationColourTable[3][7] = 0x1234;
        NationColourTable[4][7] = 0x4321;
        a = MakeKingdom(kIndexA, 3, 0);
        b = MakeKingdom(kIndexB, 4, 1);
        battle.stage->playerSide = kIndexA;
        battle.stage->SetColumn(StageBlockLayout::kPlayerSide, kIndexA);
        battle.stage->SetColumn(StageBlockLayout::kStageNumber, 17);
        battle.stage->SetText(StageBlockLayout::kName, 20, "Stage");
        for (int i = 0; i < 8; ++i)
            battle.stage->stageWords[i] = 100 + i;
        battle.stage->daysElapsed = 13;
        battle.stage->monthsElapsed = 14;

        city1 = AddCity(a, kCity1, 0, 5, 10);
        city2 = AddCity(a, kCity2, 1, 15, 10);
        city3 = AddCity(b, kCity3, 0, 25, 20);
        city2->SetInt(CityLayout::kPopulation, 300);
        city2->SetInt(CityLayout::kGold, 40);
        city2->SetInt(CityLayout::kFood, 50);
        city3->SetInt(CityLayout::kScale, 0);
        city1->buildings[0] = 1002;
        city1->statusFlags = 0x40;
        city1->markedMode = 3;
        city1->cycleCounter = 4;
        city1->rallyX = 6;
        city1->rallyY = 11;
        city1->muster[2] = 9;
        city1->counters[16] = -2;

        auto* general = battle.Officer(kIndexA, 1, 1, 21);
        general->Set(OfficerLayout::kLevel, 3);
        city1->generals.Add(uintptr_t(general));
        auto* sub = new SubCastle(0);
        sub->SetInt(SubCastleLayout::kKind, 4);
        sub->SetInt(SubCastleLayout::kX, 7);
        sub->SetInt(SubCastleLayout::kY, 12);
        sub->generals.Add(uintptr_t(battle.Officer(kIndexA, 1, 1, 22)));
        city1->subCastles.Add(uintptr_t(sub));
        auto* site = new SavedRecord(8, 9, 2);
        site->work = 30;
        site->shownStage = 1;
        city1->sites.Add(uintptr_t(site));
        auto* link = new TrainingEntry(415);
        link->days = 6;
        city1->trainingQueue.Add(uintptr_t(link));
        city1->ItemStock().Add(3);
        city1->ItemStock().Add(5);
        for (int i = 0; i < 2; ++i) {
            Troop* t = battle.AddTroop(a, 0, 0);
            a->fieldUnits.RemoveValue(uintptr_t(t));
            t->garrison = 1;
            t->homeCity = int16_t(kCity1);
            city1->reserve.Add(uintptr_t(t));
        }
        for (City* c : {city1, city2, city3})
            c->SumBuildings();
        // Officers as reading makes them: their rank follows their level.
        general->UpdateRank(0);
        for (Troop* t : ListValues<Troop>(city1->reserve))
            t->officer->UpdateRank(0);

        TheScreenSettings->musicVolume = 3;
        TheScreenSettings->gameSpeed = 8;
        TheScreenSettings->year = 190;
        TheScreenSettings->month = 4;
        TheScreenSettings->day = 21;
        TheGameController->gameKind = 2;
        TheGameController->actIndex = 1;
        TheGameController->currentGroup = 2;
        TheGameController->deploymentCount = 7;
        TheGameController->stageListChoice = 4;
        TheGameController->actChoice = 1;
        TheGameController->campaignStage = 17;
    }

    Kingdom* MakeKingdom(int index, int nation, int kind) {
        Kingdom* k = battle.AddKingdom(index);
        k->SetInt(KingdomLayout::kNation, nation);
        k->SetInt(KingdomLayout::kNationKind, kind);
        k->SetText(KingdomLayout::kName, 20, index == kIndexA ? "Wei" : "Wu");
        k->ownColour = k->colour = NationColourTable[size_t(nation)][7];
        for (int i = 1; i < 128; ++i)
            k->goodwill[i] = i % 7;
        k->relations[kIndexA] = k->relations[kIndexB] = 3;
        k->relations[index] = 1;
        k->tally[3] = 11;
        k->score = 99;
        k->goldTotal = 500;
        k->receivedUnits = 2;
        k->targetCityId = -1;
        return k;
    }

    City* AddCity(Kingdom* k, int id, int kind, int x, int y) {
        auto* c = new City(k->nationIndex);
        c->id = id;
        c->SetInt(CityLayout::kKind, kind);
        c->SetInt(CityLayout::kX, x);
        c->SetInt(CityLayout::kY, y);
        c->SetText(CityLayout::kName, 20, "City");
        TheBattleMap->EnterCityById(c);
        k->AddCity(c);
        return c;
    }

    std::vector<uint8_t> MainFile() {
        StageWriter out;
        out.u32(1);
        TemplateTables tables;
        tables.WriteMainFile(out);
        return out.bytes();
    }

    battlefix::Battle battle;
    Kingdom* a = nullptr;
    Kingdom* b = nullptr;
    City* city1 = nullptr;
    City* city2 = nullptr;
    City* city3 = nullptr;
};

} // namespace mainstagefix
