// Two stations of one process meet on the local network through the lobby link on loopback
// (the group points at the host's 127.0.0.1), open and join a room with approval, choose,
// get ready and start: both reach the battle start with the same seed, options and slots.
#include "LobbyLayouts.h"
#include "Program/ScreenTestSupport.h"
#include "RoomLoopback.h"
#include "engine/Random.h"
#include "engine/Tools.h"
#include "gui/TextButton.h"
#include "net/MultiCast.h"
#include "net/lobby/LobbyTexts.h"
#include "net/lobby/LobbyWindows.h"
#include "platform/Time.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <unistd.h>

namespace {

const uint32_t kHostAddress = 0x7F000001;
const uint32_t kGuestAddress = 0x7F000002;

// A free port on both loopback addresses.
uint16_t FreePort() {
    for (int tries = 0; tries < 20; ++tries) {
        platform::UdpSocket probe;
        if (!probe.Open() || !probe.Bind(kHostAddress, 0)) continue;
        const uint16_t port = probe.LocalPort();
        platform::UdpSocket other;
        if (other.Open() && other.Bind(kGuestAddress, port)) return port;
    }
    return 0;
}

class SessionTwoStationsTest : public screentest::ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        // Both stations share this process's one world, which cannot hold two generated random
        // maps: without it the start leaves the map out (the two-process test generates it).
        world = TheBattleMap;
        TheBattleMap = nullptr;
        lobbyfixture::WriteLobbyLayouts();
        clock = std::make_unique<platform::ManualClock>(1000000);
        guestController = new GameController;
        const uint16_t group = FreePort(), reply = FreePort();
        ASSERT_NE(group, 0);
        ASSERT_NE(reply, 0);
        hub.stations.resize(2);
        GameController* controllers[2] = {c, guestController};
        const uint32_t addresses[2] = {kHostAddress, kGuestAddress};
        for (int i = 0; i < 2; ++i) {
            LobbyEndpoints& e = controllers[i]->lobbyLink.endpoints;
            // A real group lives on the loopback interface; else the group is the host's address.
            e.groupAddress = RealGroup() ? 0xEFFF4E00u | uint32_t(::getpid() % 200 + 20) : kHostAddress;
            e.groupPort = group;
            e.replyPort = reply;
            e.bindAddress = RealGroup() ? 0 : addresses[i];
            e.interfaceAddress = kHostAddress;
            links[i] = std::make_unique<RoomLoopback>(hub, i);
        }
        host = new Zu_LocalSet(c);
        guest = new Zu_LocalSet(guestController);
        // Without a bound address the room's own address comes from the computer's name.
        host->ownName = RealGroup() ? "localhost" : "HOSTPC";
        guest->ownName = "GUESTPC";
        Zu_LocalSet* sessions[2] = {host, guest};
        for (int i = 0; i < 2; ++i) {
            sessions[i]->roomLink = links[i].get();
            hub.stations[i].session = sessions[i];
            hub.stations[i].address = platform::DottedAddress(addresses[i]);
        }
    }
    virtual bool RealGroup() const { return false; }
    void TearDown() override {
        delete host;
        delete guest;
        FlushDeferredDeletes();
        guestController->lobbyLink.Close();
        c->lobbyLink.Close();
        delete guestController;
        BindSyncRandom(&c->syncRandom, &c->networked);
        clock.reset();
        TheBattleMap = world;
        ScreenFixture::TearDown();
    }

    // One frame of both stations: 100 ms of game time, then a moment for loopback datagrams.
    void Frame() {
        clock->Advance(100);
        results[0] = host->Run();
        results[1] = guest->Run();
        FlushDeferredDeletes();
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    // Frames until the condition holds, at most `limit`.
    template <class Pred>
    bool RunUntil(Pred pred, int limit = 400) {
        for (int n = 0; n < limit; ++n) {
            if (pred()) return true;
            Frame();
        }
        return pred();
    }
    // A click, then the frame in which the session control reads it (one answer per frame).
    void Click(LobbyWindow* w, int id) {
        ASSERT_NE(w, nullptr);
        Widget* control = w->Control(id);
        ASSERT_NE(control, nullptr) << std::hex << id;
        w->OnControlClick(control, nullptr);
        Frame();
    }
    // Both stations from the connection choice into the lobby of the local network.
    void EnterLanLobby() {
        ASSERT_TRUE(RunUntil([&] { return host->win74 && guest->win74; }));
        Click(host->win74, 0x101);
        Click(guest->win74, 0x101);
        ASSERT_TRUE(RunUntil([&] { return host->state == 11 && guest->state == 11; }));
    }
    void HostOpensRoom(bool approval) {
        Click(host->win206, 0x110);
        ASSERT_TRUE(RunUntil([&] { return host->win207 != nullptr; }));
        if (approval) Click(host->win207, 0x107);
        Click(host->win207, 0x108);
        ASSERT_TRUE(RunUntil([&] { return host->state == 33; }));
    }
    std::string StatusText(Zu_LocalSet* s) {
        if (!s->statusPanel) return {};
        const LabelText* t = s->statusPanel->labels.TextOf(s->statusPanel->Control(0x200));
        return t ? t->text : std::string();
    }

    std::unique_ptr<platform::ManualClock> clock;
    BattleMap* world = nullptr;
    GameController* guestController = nullptr;
    RoomLoopbackHub hub;
    std::unique_ptr<RoomLoopback> links[2];
    Zu_LocalSet* host = nullptr;
    Zu_LocalSet* guest = nullptr;
    int32_t results[2] = {};
};

// The group is the host's loopback address, or a real multicast group on the loopback interface.
class SessionTwoStationsGroupTest : public SessionTwoStationsTest,
                                    public ::testing::WithParamInterface<bool> {
protected:
    bool RealGroup() const override { return GetParam(); }
};

INSTANTIATE_TEST_SUITE_P(LocalNetwork, SessionTwoStationsGroupTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "MulticastGroup" : "UnicastGroup"; });

TEST_P(SessionTwoStationsGroupTest, RoomFoundJoinedWithApprovalChosenReadiedAndStartedAlike) {
    EnterLanLobby();
    HostOpensRoom(true);
    EXPECT_EQ(host->room.Approval(), 1u);
    // The guest's next announcement brings the room into its list.
    ASSERT_TRUE(RunUntil([&] { return !guest->rooms.empty(); }));
    EXPECT_EQ(guest->rooms.front().record.Name(), host->ownName);
    EXPECT_EQ(guest->rooms.front().record.Host().address, kHostAddress);
    // The row shows the room: a random map of two cities, one of two players.
    Frame();
    const LabelText* players = guest->win206->labels.TextOf(guest->win206->Control(0x201));
    ASSERT_NE(players, nullptr);
    EXPECT_EQ(players->text, "1/2");

    // Join: the host is asked, accepts, and the guest enters the room.
    Click(guest->win206, 0x102);
    ASSERT_TRUE(RunUntil([&] { return host->win211 != nullptr; }));
    EXPECT_EQ(guest->state, 81);
    Click(host->win211, 0x100);
    ASSERT_TRUE(RunUntil([&] { return guest->state == 33 && host->state == 33; }));
    EXPECT_NE(guest->win209, nullptr);
    EXPECT_EQ(host->room.PlayerCount(), 2u);

    // The host picks the map of four cities and options 3 and 4.
    Click(host->win209, 0x633);
    Click(host->win209, 0x102);
    Click(host->win209, 0x107);
    ASSERT_TRUE(RunUntil([&] { return guest->room.MapIndex() == 2 && guest->room.Option(3) == 2; }));
    EXPECT_EQ(guest->room.MaxPlayers(), 4u);
    // A guest's presses on the map list and options change nothing.
    Click(guest->win209, 0x631);
    Click(guest->win209, 0x104);
    EXPECT_EQ(guest->room.MapIndex(), 2u);
    EXPECT_EQ(guest->room.Option(2), 1u);

    // The host takes the first faction.
    Click(host->win209, 0x601);
    ASSERT_TRUE(RunUntil([&] { return host->win213 != nullptr; }));
    Click(host->win213, 0x600);
    ASSERT_TRUE(RunUntil([&] { return slotfields::Choice(guest->controller->players[0]) == 1; }));
    // The guest cannot take it: its button is disabled, and the choice itself is refused.
    Click(guest->win209, 0x604);
    ASSERT_TRUE(RunUntil([&] { return guest->win213 != nullptr; }));
    EXPECT_EQ(guest->win213->Control(0x600)->enabled, 0);
    Click(guest->win213, 0x600);
    EXPECT_EQ(guest->input, -1);
    guest->input = 317;
    Frame();
    Frame();
    EXPECT_EQ(StatusText(guest), lobbytext::kChoiceTaken);
    EXPECT_EQ(guest->state, 101);
    EXPECT_EQ(slotfields::Choice(guest->OwnSlot()), 0u);
    Click(guest->win213, 0x601);
    ASSERT_TRUE(RunUntil([&] { return slotfields::Choice(host->controller->players[1]) == 2; }));

    // Not everybody ready: the start is refused.
    Click(host->win209, 0x10b);
    Click(host->win209, 0x10a);
    EXPECT_EQ(StatusText(host), lobbytext::kNotAllReady);
    Click(guest->win209, 0x10b);
    ASSERT_TRUE(RunUntil([&] { return slotfields::Ready(host->controller->players[1]) == 1; }));
    Click(host->win209, 0x10a);
    ASSERT_TRUE(RunUntil([&] { return results[0] == Zu_LocalSet::kStartGame || host->state == 102; }));
    ASSERT_TRUE(RunUntil([&] { return results[1] == Zu_LocalSet::kStartGame || guest->state == 102; }));

    GameController* a = c;
    GameController* b = guestController;
    EXPECT_EQ(a->syncRandom, host->room.Seed());
    EXPECT_EQ(a->syncRandom, b->syncRandom);
    EXPECT_EQ(a->networked, 1);
    EXPECT_EQ(b->networked, 1);
    EXPECT_EQ(a->gameKind, 2);
    EXPECT_EQ(a->campaignStage, 102);
    EXPECT_EQ(b->campaignStage, 102);
    for (int n = 0; n < 4; ++n)
        EXPECT_EQ(a->netOptions[n], b->netOptions[n]) << n;
    EXPECT_EQ(a->netOptions[2], 9); // option 3 = 1 through its table
    // What the stage start reads: a generated map and the room's starting resources.
    for (GameController* g : {a, b}) {
        EXPECT_EQ(g->randomMap, 1);
        EXPECT_EQ(g->roomMapKind, 0);
        EXPECT_EQ(g->startResources, g->netOptions[3]);
    }
    for (int s = 0; s < 20; ++s)
        EXPECT_EQ(std::memcmp(a->players[s].bytes, b->players[s].bytes, sizeof a->players[s].bytes), 0) << s;
    EXPECT_EQ(slotfields::Choice(a->players[0]), 1u);
    EXPECT_EQ(slotfields::Choice(a->players[1]), 2u);
    EXPECT_EQ(host->win209, nullptr);
    EXPECT_EQ(guest->win209, nullptr);
}

// The name typed into the room-creation window is the room's name in the other station's list;
// a room created with the field left empty goes by the host's own name (the test above).
TEST_F(SessionTwoStationsTest, TheTypedRoomNameIsTheNameTheOtherStationLists) {
    EnterLanLobby();
    Click(host->win206, 0x110);
    ASSERT_TRUE(RunUntil([&] { return host->win207 != nullptr; }));
    Click(host->win207, 0x200);
    const char typed[] = "WAR ROOM";
    Zu_Tools::Global().FeedChars(typed, int(sizeof typed - 1));
    Frame();
    Click(host->win207, 0x108);
    ASSERT_TRUE(RunUntil([&] { return host->state == 33; }));
    EXPECT_EQ(host->room.Name(), "WAR ROOM");
    ASSERT_TRUE(RunUntil([&] { return !guest->rooms.empty(); }));
    EXPECT_EQ(guest->rooms.front().record.Name(), "WAR ROOM");
    Frame();
    const LabelText* name = guest->win206->labels.TextOf(guest->win206->Control(0x204));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text, "WAR ROOM");
}

TEST_F(SessionTwoStationsTest, RefusedJoinReturnsTheGuestToTheRoomList) {
    EnterLanLobby();
    HostOpensRoom(true);
    ASSERT_TRUE(RunUntil([&] { return !guest->rooms.empty(); }));
    Click(guest->win206, 0x102);
    ASSERT_TRUE(RunUntil([&] { return host->win211 != nullptr; }));
    Click(host->win211, 0x101);
    ASSERT_TRUE(RunUntil([&] { return guest->state == 82; }));
    EXPECT_EQ(StatusText(guest), lobbytext::kHostRefused);
    ASSERT_TRUE(RunUntil([&] { return guest->state == 11; }));
    EXPECT_EQ(host->state, 33);
    EXPECT_EQ(host->win211, nullptr);
}

TEST_F(SessionTwoStationsTest, GuestAndHostLeaveTheRoomBackToTheRoomList) {
    EnterLanLobby();
    HostOpensRoom(false);
    ASSERT_TRUE(RunUntil([&] { return !guest->rooms.empty(); }));
    // A room without approval takes the guest at once.
    Click(guest->win206, 0x102);
    ASSERT_TRUE(RunUntil([&] { return guest->state == 33; }));
    EXPECT_EQ(host->win211, nullptr);
    ASSERT_TRUE(RunUntil([&] { return host->room.PlayerCount() == 2; }));
    // Ready players must untick first.
    Click(guest->win209, 0x604);
    ASSERT_TRUE(RunUntil([&] { return guest->win213 != nullptr; }));
    Click(guest->win213, 0x601);
    Click(guest->win209, 0x10b);
    Click(guest->win209, 0x10c);
    EXPECT_EQ(StatusText(guest), lobbytext::kUntickReadyFirst);
    EXPECT_EQ(guest->state, 33);
    Click(guest->win209, 0x10b);
    Click(guest->win209, 0x10c);
    ASSERT_TRUE(RunUntil([&] { return guest->state == 11; }));
    EXPECT_EQ(guest->win209, nullptr);
    ASSERT_TRUE(RunUntil([&] { return host->room.PlayerCount() == 1; }));
    EXPECT_EQ(host->state, 33);
    // The guest comes back; then the host closes the room and both are in the lobby.
    ASSERT_TRUE(RunUntil([&] { return !guest->rooms.empty(); }));
    Click(guest->win206, 0x102);
    ASSERT_TRUE(RunUntil([&] { return guest->state == 33; }));
    Click(host->win209, 0x10c);
    ASSERT_TRUE(RunUntil([&] { return host->state == 11 && guest->state == 11; }));
    EXPECT_EQ(host->win209, nullptr);
    EXPECT_EQ(guest->win209, nullptr);
}

TEST_F(SessionTwoStationsTest, LeavingTheLobbyAndTheChoiceEndTheSession) {
    EnterLanLobby();
    Click(host->win206, 0x111);
    ASSERT_TRUE(RunUntil([&] { return host->win74 != nullptr; }));
    Click(host->win74, 0x102);
    ASSERT_TRUE(RunUntil([&] { return results[0] == Zu_LocalSet::kLeave; }));
    EXPECT_EQ(host->win206, nullptr);
}

} // namespace
