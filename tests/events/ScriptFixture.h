#pragma once

// A small battle for event scripts: a 60 x 160 cell map (unit grid 60 x 80) shown whole, the
// player's kingdom and a second one at war, an event manager, a map view and helpers that build
// troops, cities, general templates, talk texts and events with steps.

#include "../engine/DrawingFixture.h"
#include "Program/BattleStageFixture.h"
#include "Program/MainWindow.h"
#include "events/EventManager.h"
#include "events/EventRecord.h"
#include "events/EventRunner.h"
#include "events/EventStep.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiRoot.h"
#include "records/OfficerRecord.h"
#include "records/PassRecordTable.h"
#include "records/RecordTables.h"
#include "support/TempFolder.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"
#include "world/MapCell.h"
#include "world/MapView.h"

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace scripttest {

struct StepSetup {
    int32_t code = 0;
    int32_t general = 0;
    int32_t target = 0;
    std::array<int32_t, 5> params{};
    int32_t what = 0;
    int32_t sound = 0;
};

inline uintptr_t Id(const void* p) {
    return reinterpret_cast<uintptr_t>(p);
}

class ScriptWorld {
public:
    static constexpr int kWidth = 60;
    static constexpr int kRows = 160;

    ScriptWorld() {
        ActiveFlag = 1;
        root = new GuiRoot;
        auto cells = std::make_unique<MapCell[]>(size_t(kWidth) * kRows);
        TheBattleMap->SetCells(std::move(cells), kWidth, kRows);
        TheBattleMap->AllocGrid();
        TheGameController->mode = 1;
        TheGameController->eventManager = &manager;
        view = new MapView;
        TheGameController->gameScreen = view;
        view->SetView(0, 0, kWidth, kRows);
        player = world.AddKingdom(0, 0, false, false);
        other = world.AddKingdom(1, 0, false, false);
        for (Kingdom* k : {player, other})
            TheBattleMap->kingdomTable[k->nationIndex] = k;
        world.SetPlayer(player);
        world.SetWarRelations();
        savedTemplateCount = GeneralTemplateCount;
        PassRecords().Clear();
    }
    ~ScriptWorld() {
        manager.Reset();
        TheGameController->eventManager = nullptr;
        TheGameController->gameScreen = nullptr;
        for (int i = 0; i < 300; ++i) {
            delete[] TheGameController->blocks[i];
            TheGameController->blocks[i] = nullptr;
            TheGameController->blockKeys[i] = 0;
        }
        FlushDeferredDeletes();
        delete view;
        for (auto it = savedTemplates.rbegin(); it != savedTemplates.rend(); ++it)
            GeneralTemplateTable[it->first] = it->second;
        GeneralTemplateCount = savedTemplateCount;
        PassRecords().Clear();
        TheBattleMap->carryList.Clear();
        delete root;
        ActiveFlag = 0;
    }
    ScriptWorld(const ScriptWorld&) = delete;
    ScriptWorld& operator=(const ScriptWorld&) = delete;

    // A general template: a named general (kind 1) unless told otherwise.
    uint8_t* Template(int32_t id, int32_t level = 1, int32_t kind = 1) {
        auto block = std::make_unique<uint8_t[]>(OfficerLayout::kSize);
        std::memset(block.get(), 0, OfficerLayout::kSize);
        auto put = [&](uint32_t offset, int32_t v) { std::memcpy(block.get() + offset, &v, 4); };
        put(OfficerLayout::kPersonNumber, id);
        put(OfficerLayout::kLevel, level);
        put(OfficerLayout::kAttribute, kind);
        put(OfficerLayout::kSoldierType, 1);
        put(OfficerLayout::kMaxHp, 300);
        put(OfficerLayout::kMaxMp, 40);
        savedTemplates.emplace_back(id, GeneralTemplateTable[id]);
        GeneralTemplateTable[id] = block.get();
        GeneralTemplateCount = std::max(GeneralTemplateCount, id + 1);
        templates.push_back(std::move(block));
        return templates.back().get();
    }
    OfficerRecord* Officer(Kingdom* k, int32_t person, int32_t kind = 1) {
        auto* o = new OfficerRecord(k->nationIndex, -1);
        o->Set(OfficerLayout::kPersonNumber, person);
        o->Set(OfficerLayout::kAttribute, kind);
        o->Set(OfficerLayout::kHp, 100);
        o->Set(OfficerLayout::kLevel, 5);
        return o;
    }
    // A field troop standing on its unit cell.
    Troop* Field(Kingdom* k, int32_t person, int x, int y, int32_t kind = 1) {
        auto* t = new Troop(1, 10, int16_t(x), int16_t(y), int8_t(k->nationIndex), 0, 100,
                            Officer(k, person, kind));
        t->cellX = int16_t(x);
        t->cellY = int16_t(y);
        TheBattleMap->AddObjectAt(x, y, Id(t));
        k->fieldUnits.Add(Id(t));
        return t;
    }
    City* AddCity(Kingdom* k, int32_t index, int x = 10, int y = 40) {
        City* c = world.AddCity(k, 0, index);
        c->SetInt(CityLayout::kIndex, index);
        c->SetInt(CityLayout::kX, x);
        c->SetInt(CityLayout::kY, y);
        return c;
    }
    Troop* InCity(City* c, Kingdom* k, int32_t person) {
        auto* t = new Troop(1, 10, 0, 0, int8_t(k->nationIndex), 0, 100, Officer(k, person));
        c->units.Add(Id(t));
        return t;
    }
    void Talk(int32_t key, const std::string& text) {
        for (int i = 0; i < 300; ++i)
            if (!TheGameController->blocks[i]) {
                auto* block = new uint8_t[text.size() + 1];
                std::memcpy(block, text.c_str(), text.size() + 1);
                TheGameController->blocks[i] = block;
                TheGameController->blockKeys[i] = key;
                return;
            }
    }
    events::EventRecord* Event(int32_t id, int32_t code, const std::vector<StepSetup>& steps) {
        auto* e = static_cast<events::EventRecord*>(world.stage->NewChild(Zu_StageSet::kEventKind));
        e->SetInt(EventLayout::kId, id);
        e->SetInt(EventLayout::kCode, code);
        for (const StepSetup& s : steps) {
            e->NewStep();
            auto* step = reinterpret_cast<EventStep*>(e->steps.Last());
            step->SetInt(EventStepLayout::kCode, s.code);
            step->SetInt(EventStepLayout::kGeneral, s.general);
            step->SetInt(EventStepLayout::kTarget, s.target);
            for (int n = 1; n <= 5; ++n)
                step->SetParam(n, s.params[size_t(n - 1)]);
            step->SetInt(EventStepLayout::kWhat, s.what);
            step->SetInt(EventStepLayout::kEndSound, s.sound);
        }
        return e;
    }
    // Runs the steps of a one-off event (condition 0) to their end, as the manager's frames
    // would; returns the number of calls that went on.
    int Run(const std::vector<StepSetup>& steps) {
        events::EventRecord* e = Event(9000 + int32_t(++runs), 0, steps);
        manager.cursor = e;
        auto* runner = new EventRunner(nullptr, &manager, &e->steps);
        int calls = 0;
        while (runner->RunEventCommand() != 0 && calls < 100)
            ++calls;
        runner->Close(1);
        FlushDeferredDeletes();
        return calls;
    }
    int Run(const StepSetup& step) { return Run(std::vector<StepSetup>{step}); }

    testsupport::TempFolder folder;
    TestDisplay display{565};
    battletest::BattleStage world;
    EventManager manager;
    GuiRoot* root = nullptr;
    MapView* view = nullptr;
    Kingdom* player = nullptr;
    Kingdom* other = nullptr;

private:
    std::vector<std::unique_ptr<uint8_t[]>> templates;
    std::vector<std::pair<int32_t, uint8_t*>> savedTemplates;
    int32_t savedTemplateCount = 0;
    int runs = 0;
};

} // namespace scripttest
