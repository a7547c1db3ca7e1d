// Room messages between the stations of a room, with the other station played by the test.
#include "net/RoomMessages.h"
#include "LobbyLayouts.h"
#include "Program/ScreenTestSupport.h"
#include "RoomRecorder.h"
#include "gui/TextButton.h"
#include "net/MultiCast.h"
#include "net/Zu_LocalSet.h"
#include "net/lobby/LobbyTexts.h"
#include "net/lobby/LobbyWindows.h"
#include "net/lobby/SlotFields.h"
#include "platform/Mutex.h"
#include "platform/Time.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

namespace {

class RoomMessagesTest : public screentest::ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        // Without a world a started random-map room generates no map (the two-process test does).
        world = TheBattleMap;
        TheBattleMap = nullptr;
        lobbyfixture::WriteLobbyLayouts();
        clock = std::make_unique<platform::ManualClock>(1000000);
        session = new Zu_LocalSet(c);
        session->roomLink = &room;
        for (int s = 0; s < 2; ++s) {
            slotfields::SetId(c->players[s], uint32_t(s + 1));
            slotfields::SetIndex(c->players[s], uint8_t(s));
            slotfields::SetName(c->players[s], s ? "GUESTPC" : "HOSTPC");
        }
        session->room.SetMaxPlayers(4);
        session->state = 33;
    }
    void TearDown() override {
        delete session;
        FlushDeferredDeletes();
        clock.reset();
        TheBattleMap = world;
        ScreenFixture::TearDown();
    }
    void BeHost(bool host) {
        room.host = host;
        c->isHost = host ? 1 : 0;
    }
    void Frame() {
        clock->Advance(100);
        session->Run();
        FlushDeferredDeletes();
    }
    void Deliver(uint32_t from, uint8_t type, const std::vector<uint8_t>& payload) {
        session->DeliverRoomMessage(from, type, payload.data(), payload.size());
        Frame();
    }
    static std::vector<uint8_t> SlotRecord(uint8_t index, uint32_t choice, uint32_t alliance = 0) {
        PlayerSlot s;
        slotfields::SetId(s, index + 1u);
        slotfields::SetIndex(s, index);
        slotfields::SetChoice(s, choice);
        slotfields::SetAlliance(s, alliance);
        return {s.bytes, s.bytes + sizeof s.bytes};
    }

    std::unique_ptr<platform::ManualClock> clock;
    BattleMap* world = nullptr;
    RoomRecorder room;
    Zu_LocalSet* session = nullptr;
};

TEST_F(RoomMessagesTest, HostTakesAFreeChoiceRefusesAHeldOneAndIgnoresForeignSlots) {
    BeHost(true);
    slotfields::SetChoice(c->players[0], 1);
    struct Case {
        const char* what;
        uint32_t from;
        std::vector<uint8_t> payload;
        uint32_t choiceAfter; // of slot 1
        int broadcasts;
        int refusals;
    };
    const Case cases[] = {
        {"free choice", 2, SlotRecord(1, 3), 3, 1, 0},
        {"held by the host", 2, SlotRecord(1, 1), 3, 0, 1},
        {"the host's slot, from the guest", 2, SlotRecord(0, 4), 3, 0, 0},
        {"unknown sender", 9, SlotRecord(1, 4), 3, 0, 0},
        {"choice out of range", 2, SlotRecord(1, 17), 3, 0, 0},
        {"alliance out of range", 2, SlotRecord(1, 4, 8), 3, 0, 0},
        {"one byte short", 2, std::vector<uint8_t>(147), 3, 0, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        room.sent.clear();
        Deliver(k.from, 17, k.payload);
        EXPECT_EQ(slotfields::Choice(c->players[1]), k.choiceAfter);
        EXPECT_EQ(room.Count(26), k.broadcasts);
        EXPECT_EQ(room.Count(27), k.refusals);
        EXPECT_EQ(slotfields::Choice(c->players[0]), 1u);
    }
}

TEST_F(RoomMessagesTest, ClientWhoseChoiceWasTakenLosesItAndIsTold) {
    BeHost(false);
    slotfields::SetChoice(c->players[1], 2);
    slotfields::SetReady(c->players[1], 1);
    Deliver(1, 27, SlotRecord(1, 2));
    Frame();
    EXPECT_EQ(slotfields::Choice(c->players[1]), 0u);
    EXPECT_EQ(slotfields::Ready(c->players[1]), 0u);
    ASSERT_NE(session->statusPanel, nullptr);
    EXPECT_EQ(session->statusPanel->labels.TextOf(session->statusPanel->Control(0x200))->text,
              lobbytext::kChoiceTaken);
}

TEST_F(RoomMessagesTest, JoinRequestOutsideARoomIsAnsweredBusy) {
    BeHost(true);
    session->state = 11;
    Deliver(3, 20, std::vector<uint8_t>(16));
    Frame();
    ASSERT_EQ(room.Count(20), 1);
    EXPECT_EQ(room.sent[0].to, 3u);
    EXPECT_EQ(lobby::GetU32(room.sent[0].payload.data(), 12), 25u);
    EXPECT_EQ(session->state, 11);
    // In the room the host is asked instead.
    session->state = 33;
    session->win209 = new Win209Window(TheRootWidget, session);
    Deliver(3, 20, std::vector<uint8_t>(16));
    Frame();
    EXPECT_EQ(session->state, 91);
    EXPECT_NE(session->win211, nullptr);
    EXPECT_EQ(session->waitingPeer, 3u);
}

TEST_F(RoomMessagesTest, MessagesOfTheOtherRoleChangeNothing) {
    // A client never takes slot records or rejoin requests; a host never takes room records.
    BeHost(false);
    Deliver(1, 17, SlotRecord(0, 5));
    Deliver(1, 19, std::vector<uint8_t>(16));
    EXPECT_TRUE(room.sent.empty());
    EXPECT_EQ(slotfields::Choice(c->players[0]), 0u);
    BeHost(true);
    lobby::RoomRecord forged;
    forged.SetStateCode(lobby::kRoomStarted);
    Deliver(2, 16, {forged.bytes.begin(), forged.bytes.end()});
    Deliver(2, 26, SlotRecord(0, 5));
    EXPECT_EQ(session->state, 33);
    EXPECT_EQ(session->room.StateCode(), 0u);
    EXPECT_EQ(slotfields::Choice(c->players[0]), 0u);
}

TEST_F(RoomMessagesTest, StartWithOptionsOutsideTheirTablesDoesNotStart) {
    BeHost(false);
    session->win209 = new Win209Window(TheRootWidget, session);
    lobby::RoomRecord r = session->room;
    r.SetStateCode(lobby::kRoomStarted);
    r.SetOption(2, 7);
    Deliver(1, 16, {r.bytes.begin(), r.bytes.end()});
    Frame();
    EXPECT_EQ(session->state, 33);
    EXPECT_EQ(c->networked, 0);
    r.SetOption(2, 3);
    r.SetSeed(4321);
    Deliver(1, 16, {r.bytes.begin(), r.bytes.end()});
    EXPECT_EQ(session->state, 50);
    EXPECT_EQ(c->syncRandom, 4321u);
    EXPECT_EQ(c->netOptions[2], 13);
}

TEST_F(RoomMessagesTest, ChatKeepsOnlyWhispersForThisStationAndTheLast20Lines) {
    BeHost(false);
    session->ownName = "GUESTPC";
    auto* chat = new Win212Window(TheRootWidget, session);
    session->win212 = chat;
    auto line = [](uint32_t slot, const std::string& text) {
        lobby::ChatRecord r;
        r.SetSlotId(slot);
        r.SetName("HOSTPC");
        r.SetText(text);
        return std::vector<uint8_t>(r.bytes.begin(), r.bytes.end());
    };
    Deliver(1, 24, line(1, "/SOMEONE psst"));
    Deliver(1, 24, line(2, "my own line comes back"));
    EXPECT_EQ(chat->total, 0u);
    Deliver(1, 24, line(1, "/GUESTPC psst"));
    ASSERT_EQ(chat->total, 1u);
    EXPECT_EQ(chat->ring[0].kind, 1u);
    EXPECT_EQ(chat->ring[0].record.Text(), "psst");
    const LabelText* shown = chat->labels.TextOf(chat->Control(0x200));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->text, "[FROM]HOSTPC:psst");
    for (int n = 0; n < 20; ++n)
        chat->AddChatRecord(lobby::ChatRecord(), 2);
    EXPECT_EQ(chat->total, 21u);
    EXPECT_EQ(chat->filled, 20u);
    EXPECT_EQ(chat->ring[0].kind, 0u); // the whisper's slot was overwritten
    EXPECT_EQ(chat->scroll, 17);
}

TEST_F(RoomMessagesTest, OwnWhisperIsLoggedToItsTargetAndSentWhole) {
    BeHost(false);
    auto* chat = new Win212Window(TheRootWidget, session);
    session->win212 = chat;
    std::strcpy(chat->field, "/HOSTPC meet at dawn");
    chat->Send();
    ASSERT_EQ(chat->total, 1u);
    EXPECT_EQ(chat->ring[0].kind, 3u);
    EXPECT_EQ(chat->ring[0].record.Name(), "HOSTPC");
    EXPECT_EQ(chat->ring[0].record.Text(), "meet at dawn");
    ASSERT_EQ(room.Count(24), 1);
    lobby::ChatRecord sent;
    ASSERT_TRUE(lobby::ChatRecord::Decode(room.sent[0].payload.data(), room.sent[0].payload.size(), &sent));
    EXPECT_EQ(sent.Text(), "/HOSTPC meet at dawn");
    EXPECT_EQ(sent.Name(), "GUESTPC");
    EXPECT_EQ(sent.SlotId(), 2u);
    // A name longer than the record's name field is no whisper target.
    std::strcpy(chat->field, "/ABCDEFGHIJKLMNOPQ hi");
    chat->Send();
    EXPECT_EQ(chat->ring[1].kind, 0u);
}

TEST_F(RoomMessagesTest, StatusLineStaysTwoSecondsUnlessTheStateMoves) {
    session->state = 11;
    session->ShowStatus("one");
    Frame();
    EXPECT_TRUE(session->statusPanel->shown);
    for (int n = 0; n < 18; ++n)
        Frame();
    EXPECT_TRUE(session->statusPanel->shown);
    for (int n = 0; n < 3; ++n)
        Frame();
    EXPECT_FALSE(session->statusPanel->shown);
    session->ShowStatus("two");
    session->state = 12;
    Frame();
    EXPECT_FALSE(session->statusPanel->shown);
}

} // namespace

namespace {

TEST_F(RoomMessagesTest, PeerLeavingTheHostIsRemovedAndTheHostLeavingClosesTheRoom) {
    ASSERT_EQ(TheLocalSet, session);
    BeHost(true);
    NetLobbyNotify(16, 2);
    Frame();
    EXPECT_EQ(room.removed, std::vector<uint32_t>{2});
    BeHost(false);
    session->win209 = new Win209Window(TheRootWidget, session);
    NetLobbyNotify(17, 1);
    Frame();
    Frame();
    Frame();
    EXPECT_EQ(session->win209, nullptr);
    EXPECT_TRUE(session->state == 10 || session->state == 11) << session->state;
}

} // namespace

namespace {

// Whether another thread (the room's receive thread) can take "NetMutex" within a moment.
bool OtherThreadTakesNetMutex() {
    bool taken = false;
    std::thread other([&] {
        platform::HANDLE m = platform::CreateMutexA(nullptr, 0, "NetMutex");
        taken = platform::WaitForSingleObject(m, 300) == platform::WAIT_OBJECT_0;
        if (taken) platform::ReleaseMutex(m);
        platform::CloseHandle(m);
    });
    other.join();
    return taken;
}

// A room whose start and close wait for the receive thread, as the TCP room's do.
class ReceiveThreadRoom : public RoomRecorder {
public:
    bool Start(bool asHost, const std::string& a, const std::string& n) override {
        startFreed = OtherThreadTakesNetMutex();
        return RoomRecorder::Start(asHost, a, n);
    }
    void Close() override { closeFreed = OtherThreadTakesNetMutex(); }
    bool startFreed = false;
    bool closeFreed = false;
};

// The receive thread writes the slots under "NetMutex": a step of the session control waits for
// it and then shows what was written, never a slot half-written.
TEST_F(RoomMessagesTest, StepWaitsForTheRoomMutexBeforeItReadsTheSlots) {
    BeHost(true);
    session->win209 = new Win209Window(TheRootWidget, session);
    session->shownMap = 0;
    std::atomic<bool> held{false};
    std::thread receiver([&] {
        platform::HANDLE m = platform::CreateMutexA(nullptr, 0, "NetMutex");
        platform::WaitForSingleObject(m, platform::INFINITE);
        held = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        slotfields::SetChoice(c->players[1], 2);
        platform::ReleaseMutex(m);
        platform::CloseHandle(m);
    });
    while (!held)
        std::this_thread::yield();
    session->PostEvent(Zu_LocalSet::kEventSlots, 0);
    Frame();
    receiver.join();
    // The guest's faction button (0x604) names the colour written under the mutex.
    const TextButton* b = dynamic_cast<TextButton*>(session->win209->Control(0x604));
    ASSERT_NE(b, nullptr);
    ASSERT_NE(b->captionFont, nullptr);
    ASSERT_NE(b->captionFont->text, nullptr);
    EXPECT_STREQ(b->captionFont->text, lobbytext::kFactionColourNames[1]);
}

// Opening and closing the TCP room wait for its receive thread: the session control lets the
// mutex go meanwhile, and holds it again afterwards.
TEST_F(RoomMessagesTest, RoomStartAndCloseLetTheReceiveThreadTakeTheMutex) {
    ReceiveThreadRoom probe;
    session->roomLink = &probe;
    session->onlineFlag = 1;
    session->state = 30;
    Frame();
    EXPECT_TRUE(probe.startFreed);
    EXPECT_EQ(session->state, 33);
    session->PostEvent(Zu_LocalSet::kEventClose, 0);
    Frame();
    Frame();
    EXPECT_TRUE(probe.closeFreed);
    EXPECT_EQ(session->win209, nullptr);
    EXPECT_NE(session->state, 33);
    session->roomLink = &room;
}

} // namespace

namespace {

std::string ErrorLog() {
    std::ifstream in("Error.lst", std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

// The controller's network error word is logged once by the next step and cleared.
TEST_F(RoomMessagesTest, NetworkErrorWordIsLoggedOnceAndCleared) {
    c->netErrorWord = 10054;
    Frame();
    EXPECT_EQ(c->netErrorWord, 0);
    Frame();
    const std::string log = ErrorLog();
    const std::string line = "Zu_LocalControl,ErrorCode=,364,10054,0,0";
    const size_t at = log.find(line);
    ASSERT_NE(at, std::string::npos) << log;
    EXPECT_EQ(log.find(line, at + 1), std::string::npos);
}

} // namespace
