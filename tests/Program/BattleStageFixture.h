#pragma once

#include "support/SentCommands.h"

// A small synthetic battle: settings, controller, battle map and a stage record whose
// kingdoms, cities and troops are built by the test.

#include "Program/BannerWindow.h"
#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/ScreenSettings.h"
#include "Program/StageCalendar.h"
#include "Program/StageSet.h"
#include "gui/DeferredDelete.h"
#include "gui/Window.h"
#include "net/GameRecordChannel.h"
#include "net/room/NetSession.h"
#include "records/OfficerRecord.h"
#include "records/ScenarioData.h"
#include "records/TemplateTables.h"
#include "troops/Troop.h"
#include "windows/main/Win01Window.h"
#include "world/BattleMap.h"

#include <string>
#include <vector>

#include "net/Zu_LocalSet.h"
#include "net/lobby/SlotFields.h"
#include "windows/WindowHosts.h"

namespace battletest {

struct CountingCity : City {
    int ai = 0, updates = 0, strategyTurns = 0, ticks = 0, countTicks = 0, garrisonTicks = 0;
    void RunAi() override { ++ai; }
    void Update() override { ++updates; }
    void StrategyTurn() override { ++strategyTurns; }
    void Tick() override { ++ticks; }
    void CountTick() override { ++countTicks; }
    void TickGarrison() override { ++garrisonTicks; }
};

// The lines of the running battle's main panel chat log, oldest first.
inline std::vector<std::string> MainPanelChat() {
    std::vector<std::string> lines;
    if (const Win01Window* panel = MainPanel())
        for (int i = 0; i < panel->logCount; ++i)
            lines.emplace_back(panel->chatLog[i]);
    return lines;
}

class BattleStage {
public:
    BattleStage() {
        GameParams() = GameParameters();
        TheScreenSettings = new ScreenSettings;
        TheBattleMap = new BattleMap;
        TheGameController = new GameController;
        ProgramNetSession().NetSessionInit(); // an empty room, no host role
        ProgramNetSession().hostFlag = 0;
        stage = new Zu_StageSet;
        TheBattleMap->stageSet = stage;
        EvaluationDayCounter = 0;
        CalendarFrozen = 0;
    }
    ~BattleStage() {
        // Windows closed by the frames the test ran go now, as at the end of a frame.
        CloseBanner();
        BannerTicks = 0;
        delete TheWin01Host;
        TheWin01Host = nullptr;
        FlushDeferredDeletes();
        TheBattleMap->stageSet = nullptr;
        delete stage;
        delete TheGameController; // frees its template tables and record channel too
        TheGameController = nullptr;
        delete TheBattleMap;
        TheBattleMap = nullptr;
        delete TheScreenSettings;
        TheScreenSettings = nullptr;
    }
    BattleStage(const BattleStage&) = delete;
    BattleStage& operator=(const BattleStage&) = delete;

    // A kingdom on the next side; with a field commander (officer kind 1, alive) unless told
    // otherwise, and with one city of kind 0 when asked.
    Kingdom* AddKingdom(int kind = 0, int group = 0, bool withCity = false, bool commander = true) {
        auto* k = static_cast<Kingdom*>(stage->NewChild(0));
        k->SetInt(KingdomLayout::kNationKind, kind);
        k->SetAllianceGroup(group);
        if (commander) AddFieldCommander(k);
        if (withCity) AddCity(k, 0);
        return k;
    }
    Troop* AddFieldCommander(Kingdom* k, int hp = 100) {
        auto* o = new OfficerRecord(k->nationIndex, 1);
        o->Set(OfficerLayout::kAttribute, 1);
        o->Set(OfficerLayout::kHp, hp);
        auto* t = new Troop(1, 10, 5, 5, k->nationIndex, 0, 100, o);
        k->fieldUnits.Add(reinterpret_cast<uintptr_t>(t));
        return t;
    }
    CountingCity* AddCity(Kingdom* k, int kind, int id = 0) {
        auto* c = new CountingCity;
        c->SetInt(CityLayout::kKind, kind);
        c->id = id;
        c->ownerSide = k->nationIndex;
        k->AddCity(c);
        return c;
    }
    SubCastle* AddSubCastle(City* c, int attribute) {
        auto* s = new SubCastle(0);
        s->SetInt(SubCastleLayout::kKind, attribute);
        c->subCastles.Add(reinterpret_cast<uintptr_t>(s));
        return s;
    }
    void SetPlayer(Kingdom* k) {
        stage->playerSide = k->nationIndex;
        stage->playerKingdom = k;
    }
    // All kingdoms at war with each other except members of one non-zero group.
    void SetWarRelations() {
        for (uintptr_t v = stage->kingdoms->First(); v != 0; v = stage->kingdoms->Next()) {
            auto* k = reinterpret_cast<Kingdom*>(v);
            for (uintptr_t u = stage->kingdoms->First(); u != 0; u = stage->kingdoms->Next()) {
                auto* o = reinterpret_cast<Kingdom*>(u);
                k->relations[o->nationIndex] =
                    (o == k || (k->AllianceGroup() != 0 && k->AllianceGroup() == o->AllianceGroup())) ? 1 : 3;
            }
            stage->kingdoms->Find(v);
        }
    }
    // A network battle with its main panel host.
    void Network(bool host, int gameKind) {
        testsupport::CaptureSentCommands();
        TheGameController->networked = 1;
        TheGameController->isHost = host ? 1 : 0;
        TheGameController->gameKind = gameKind;
        if (!TheWin01Host) TheWin01Host = new Win01HostWindow(nullptr, TheGameController);
    }
    // The room's players in their slots: each name with the kingdom it plays; the session
    // control counts them.
    void SetPlayers(std::initializer_list<std::pair<const char*, Kingdom*>> players) {
        GameController& c = *TheGameController;
        if (!c.session) c.session = new Zu_LocalSet(&c);
        int32_t i = 0;
        for (const auto& [name, kingdom] : players) {
            slotfields::SetName(c.players[i], name);
            slotfields::SetChoice(c.players[i], static_cast<uint32_t>(kingdom->nationIndex));
            ++i;
        }
        c.session->playerCount = i;
    }

    Zu_StageSet* stage = nullptr;
};

// Shipped goods rows 0..9 and the last-row threshold.
inline void LoadShippedGoods() {
    const int32_t rows[10][10] = {
        {2, 1, 16, 241, 10, 245, 6, 5, 5, 1000},    {4, 2, 16, 241, 10, 245, 6, 6, 6, 1000},
        {7, 3, 18, 241, 10, 245, 6, 7, 7, 1000},    {10, 4, 18, 242, 10, 246, 6, 8, 8, 1000},
        {14, 5, 20, 242, 10, 246, 6, 9, 9, 1000},   {18, 6, 20, 242, 10, 246, 6, 10, 10, 1000},
        {23, 7, 22, 243, 10, 247, 6, 11, 11, 1000}, {30, 8, 22, 243, 10, 247, 6, 12, 12, 1000},
        {40, 8, 24, 243, 10, 247, 6, 13, 13, 1000}, {100, 8, 24, 243, 10, 247, 6, 14, 14, 1000}};
    for (int r = 0; r < 10; ++r)
        for (int i = 0; i < 10; ++i)
            GameParams().merchantGoods[r][i] = rows[r][i];
    GameParams().shipStats[0] = 70;
}

} // namespace battletest
