// The event file and history events of a stage load, and the pass that gives officers their owner.
#include "events/EventFile.h"
#include "events/EventRecord.h"
#include "tests/stagefiles/MainStageFixture.h"

#include <gtest/gtest.h>

using events::EventRecord;

namespace {

EventRecord* Event(int32_t code) {
    auto* e = new EventRecord;
    e->SetInt(EventLayout::kCode, code);
    return e;
}

class EventWorld {
public:
    EventWorld() {
        k = battle.AddKingdom(1, true);
        city = battle.AddCity(k, 10, 20);
        OfficerRecord* general = battle.Officer(1, 1, 1, 21);
        city->generals.Add(uintptr_t(general));
        Troop* t = battle.AddTroop(k, 4, 4);
        t->officer->Set(OfficerLayout::kPersonNumber, 22);
        testsupport::TempFolder::Write("History.txt", std::string("name general p4 p1 p2 p3 p5 p6\n"
                                                                  "InCity 21 4 1 2 3 5 6\n"
                                                                  "OnMap 22 0 0 0 0 0 0\n"
                                                                  "Away 23 0x10 010 0 0 0 0\n"));
    }
    ~EventWorld() { DeleteEvents(*battle.stage->events); }

    std::vector<EventRecord*> Events() { return ListValues<EventRecord>(*battle.stage->events); }

    trooptest::Battle battle;
    TemplateTables tables;
    Kingdom* k = nullptr;
    City* city = nullptr;
};

} // namespace

TEST(EventFilePass, FreshCampaignStageReplacesItsHistoryEvents) {
    EventWorld w;
    TheGameController->freshStage = 1;
    TheGameController->campaignStage = 3;
    LinkList stored;
    stored.Add(uintptr_t(Event(8)));
    ASSERT_EQ(SaveEventFile("s.evt", stored), 1);
    DeleteEvents(stored);

    for (int load = 0; load < 2; ++load) {
        w.battle.stage->events->Add(uintptr_t(Event(kHistoryCode)));
        EXPECT_EQ(w.tables.LoadEventFile("s.evt"), 1);
        const auto events = w.Events();
        ASSERT_EQ(events.size(), 4u) << load;
        EXPECT_EQ(events[0]->Code(), 8);
        // Officers in a city or commanding a troop on the map have their history behind them.
        const int32_t ended[3] = {1, 1, 0};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(events[size_t(i) + 1]->Code(), kHistoryCode);
            EXPECT_EQ(events[size_t(i) + 1]->EndState(), ended[i]) << i;
        }
        EXPECT_EQ(events[1]->Param(4), 4);
        EXPECT_EQ(events[1]->Param(6), 6);
        EXPECT_EQ(events[3]->Param(4), 16);
        EXPECT_EQ(events[3]->Param(1), 8);
    }
}

TEST(EventFilePass, HistoryOnlyForFreshStagesOneToFour) {
    const struct {
        int32_t fresh, stage;
        size_t events;
    } cases[] = {{1, 1, 3}, {1, 4, 3}, {1, 5, 0}, {0, 3, 0}, {1, 0, 0}};
    for (const auto& c : cases) {
        EventWorld w;
        TheGameController->freshStage = c.fresh;
        TheGameController->campaignStage = uint8_t(c.stage);
        // Whatever the list held before the load goes, a missing event file adds nothing.
        w.battle.stage->events->Add(uintptr_t(Event(8)));
        EXPECT_EQ(w.tables.LoadEventFile("missing.evt"), 1);
        EXPECT_EQ(w.Events().size(), c.events) << c.fresh << " " << c.stage;
    }
}

TEST(EventFilePass, OfficersTakeTheirKingdomAndGeneralsAreCollectedOnce) {
    EventWorld w;
    Kingdom* other = w.battle.AddKingdom(2);
    OfficerRecord* soldier = w.battle.Officer(7, 1, 2, 30);
    w.city->generals.Add(uintptr_t(soldier));
    Troop* t = w.battle.AddTroop(other, 8, 8);
    t->officer->ownerSide = 9;
    auto* general = ListValues<OfficerRecord>(w.city->generals)[0];
    general->ownerSide = 5;

    for (int pass = 0; pass < 2; ++pass)
        w.tables.BindOfficersToKingdoms();
    EXPECT_EQ(general->ownerSide, 1);
    EXPECT_EQ(soldier->ownerSide, 1);
    EXPECT_EQ(t->officer->ownerSide, 2);
    const auto generals = ListValues<OfficerRecord>(w.k->mapGenerals);
    ASSERT_EQ(generals.size(), 2u);
    EXPECT_EQ(generals[0], general);
    EXPECT_EQ(generals[1], ListValues<Troop>(w.k->fieldUnits)[0]->officer);
    EXPECT_EQ(ListValues<OfficerRecord>(other->mapGenerals), std::vector<OfficerRecord*>{t->officer});
}
