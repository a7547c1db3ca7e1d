#include "Program/StageCalendar.h"
#include "BattleStageFixture.h"
#include "events/EventManager.h"
#include "net/room/NetSession.h"
#include "records/Persons.h"
#include "records/RecordTables.h"
#include "records/StageGenerals.h"

#include <array>

#include <gtest/gtest.h>

using namespace battletest;

namespace {

class StageCalendarTest : public ::testing::Test {
protected:
    void SetUp() override {
        kingdom = world.AddKingdom(0, 0, false);
        city = world.AddCity(kingdom, 1);
        world.SetPlayer(kingdom);
        s = TheScreenSettings;
        s->day = 1;
        s->month = 1;
        s->year = 200;
    }
    // Runs the calendar step n times; returns the number of day advances seen.
    int Run(int n) {
        int days = 0;
        for (int i = 0; i < n; ++i) {
            const int before = s->day;
            StageCalendarStep();
            if (s->day != before) ++days;
        }
        return days;
    }

    BattleStage world;
    Kingdom* kingdom = nullptr;
    CountingCity* city = nullptr;
    ScreenSettings* s = nullptr;
};

struct PaceCase {
    int gameKind;
    int speed;
    int ticksPerDay;
    int cityAiEvery; // 1: every tick
};

TEST_F(StageCalendarTest, DayAndCityAiPacedBySpeedAndGameKind) {
    const PaceCase cases[] = {{0, 5, 201, 8}, {1, 5, 51, 2}, {2, 5, 51, 2}, {3, 10, 6, 1}, {0, 0, 401, 16}};
    for (const PaceCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.gameKind << " speed " << c.speed);
        TheGameController->gameKind = c.gameKind;
        s->gameSpeed = c.speed;
        s->calendarStepFrames = 0;
        s->calendarStepCount = 0;
        s->day = 1;
        city->ai = 0;
        EXPECT_EQ(Run(c.ticksPerDay - 1), 0);
        EXPECT_EQ(Run(1), 1);
        EXPECT_EQ(Run(c.ticksPerDay * 3), 3);
        EXPECT_EQ(city->ai, c.ticksPerDay * 4 / c.cityAiEvery);
        EXPECT_EQ(s->calendarPeriod, (CalendarDayPeriod(c.speed, c.gameKind) / 25) * 30);
    }
}

TEST_F(StageCalendarTest, SpeedIndexOutsideTableIsClamped) {
    EXPECT_EQ(CalendarDayPeriod(-3, 0), 400);
    EXPECT_EQ(CalendarDayPeriod(99, 0), 20);
    EXPECT_EQ(CalendarDayPeriod(99, 1), 5);
}

TEST_F(StageCalendarTest, MonthAndYearRollOverInOrder) {
    TheGameController->gameKind = 3;
    s->gameSpeed = 10; // a day every 6 ticks
    s->day = 29;
    s->month = 12;
    s->year = 200;
    Run(6);
    EXPECT_EQ(s->day, 0);
    EXPECT_EQ(s->month, 1);
    EXPECT_EQ(s->year, 201);
    EXPECT_EQ(s->ageCount, 1);
    EXPECT_EQ(world.stage->monthsElapsed, 1);
    EXPECT_EQ(world.stage->stageWords[6], 1);
    EXPECT_EQ(city->countTicks, 1);
    EXPECT_EQ(city->garrisonTicks, 1);
    EXPECT_EQ(world.stage->daysElapsed, 1);

    // A day in mid-month moves nothing else.
    Run(6);
    EXPECT_EQ(s->day, 1);
    EXPECT_EQ(s->month, 1);
    EXPECT_EQ(city->countTicks, 1);
}

TEST_F(StageCalendarTest, ClientsAdvanceOnlyThroughCommand80) {
    TheGameController->gameKind = 3;
    s->gameSpeed = 10;
    NetSession& net = ProgramNetSession();
    world.Network(false, 3);
    net.hostFlag = 0;
    EXPECT_EQ(Run(6), 0);
    EXPECT_EQ(world.stage->daysElapsed, 1);     // the outcome still runs on the client
    net.GameCommandDispatch(nullptr, 0, 80, 0); // the host's command arrives
    EXPECT_EQ(s->day, 2);

    // The host advances at once and queues code 80 for its peer.
    world.Network(true, 3);
    net.hostFlag = 1;
    platform::sockaddr_in a;
    a.sin_family = platform::AF_INET;
    a.sin_addr.s_addr = platform::inet_addr("127.0.0.1");
    net.ownId = net.NetAddPeer("host", a, 0);
    a.sin_port = 1;
    const uint32_t peer = net.NetAddPeer("peer", a, 0);
    EXPECT_EQ(Run(6), 1);
    ASSERT_EQ(net.NetFindPeer(peer)->queue.size(), 1u);
    EXPECT_EQ(net.NetFindPeer(peer)->queue.entries().front().type, 80);
    EXPECT_EQ(net.NetFindPeer(peer)->queue.entries().front().sequence, 1u);
    net.NetSessionInit();
    net.hostFlag = 0;
}

TEST_F(StageCalendarTest, StopsWhileHeldPausedEndedOrResultSet) {
    TheGameController->gameKind = 3;
    s->gameSpeed = 10;
    EventDayHold = 1;
    EXPECT_EQ(Run(6), 0);
    EXPECT_EQ(world.stage->daysElapsed, 1); // held: the day stays, the day step runs
    EventDayHold = 0;

    TheGameController->pauseScreen = 1;
    EXPECT_EQ(Run(20), 0);
    TheGameController->pauseScreen = 0;
    TheGameController->running = 0;
    EXPECT_EQ(Run(20), 0);
    TheGameController->running = 1;

    world.stage->result = 1;
    EXPECT_EQ(Run(20), 0);
    EXPECT_EQ(s->battleEnded, 0);

    // With the end counter running, the next day boundary ends the battle.
    s->calendarStepFrames = 0;
    s->endCountdown = 1;
    Run(6);
    EXPECT_EQ(s->battleEnded, 1);
    EXPECT_EQ(s->frameState, 1);
    EXPECT_EQ(s->busyState.load(), 2);
    EXPECT_EQ(s->endCountdown, 0);
    const int day = s->day;
    EXPECT_EQ(Run(20), 0);
    EXPECT_EQ(s->day, day);
}

TEST_F(StageCalendarTest, MonthSpawnsWanderersUpToThreePerSubCastle) {
    std::array<uint8_t, OfficerLayout::kSize> person{};
    person[OfficerLayout::kSoldierType] = 1;
    for (int n = 401; n <= 405; ++n)
        GeneralTemplateTable[n] = person.data();
    const int32_t templates = GeneralTemplateCount;
    GeneralTemplateCount = 406;
    PersonCount = 0;
    TheGameController->gameKind = 1;
    Kingdom* bandits = world.AddKingdom(2, 0, false);
    CountingCity* free = world.AddCity(bandits, 0);
    SubCastle* inn = world.AddSubCastle(free, 4);
    world.stage->AdvanceMonth();
    EXPECT_EQ(inn->secondUnits.GetCount(), 3);
    EXPECT_EQ(PersonCount, 3);
    for (uintptr_t v = inn->secondUnits.First(); v != 0; v = inn->secondUnits.Next())
        EXPECT_EQ(reinterpret_cast<Troop*>(v)->owner, bandits->nationIndex);

    // The campaign spawns nobody; neither do the fixed network maps.
    TheGameController->gameKind = 0;
    for (uintptr_t v = inn->secondUnits.First(); v != 0; v = inn->secondUnits.First()) {
        inn->secondUnits.RemoveCurrent();
        delete reinterpret_cast<Troop*>(v);
    }
    world.stage->AdvanceMonth();
    world.Network(true, 2);
    TheGameController->roomMapKind = 1;
    world.stage->AdvanceMonth();
    EXPECT_EQ(inn->secondUnits.GetCount(), 0);
    EXPECT_EQ(world.stage->monthsElapsed, 3);
    for (int n = 401; n <= 405; ++n)
        GeneralTemplateTable[n] = nullptr;
    GeneralTemplateCount = templates;
    PersonCount = 0;
}

} // namespace
