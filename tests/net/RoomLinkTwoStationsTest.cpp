// Two stations of one process meet on the local network through the lobby link on loopback and
// run their room over the real TCP game room: create, join with approval, choose, ready, start.
#include "LobbyLayouts.h"
#include "NetStation.h"
#include "Program/ScreenTestSupport.h"
#include "engine/Random.h"
#include "net/MultiCast.h"
#include "net/Zu_LocalSet.h"
#include "net/lobby/LobbyWindows.h"
#include "net/lobby/SlotFields.h"
#include "net/room/RoomLink.h"
#include "platform/Time.h"
#include "platform/UdpSocket.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

const uint32_t kHostAddress = 0x7F000001;
const uint32_t kGuestAddress = 0x7F000002;

// A free datagram port on both loopback addresses.
uint16_t FreeUdpPort() {
    for (int tries = 0; tries < 20; ++tries) {
        platform::UdpSocket probe;
        if (!probe.Open() || !probe.Bind(kHostAddress, 0)) continue;
        const uint16_t port = probe.LocalPort();
        platform::UdpSocket other;
        if (other.Open() && other.Bind(kGuestAddress, port)) return port;
    }
    return 0;
}

// The game of one station: its player slots are its controller's.
class ControllerSide : public nettest::TestSide {
public:
    explicit ControllerSide(GameController* controller) : controller_(controller) { inBattle = false; }
    uint8_t* Slot(size_t index) override { return controller_->players[index].bytes; }

private:
    GameController* controller_;
};

// One station's TCP room: its session and the link the session control uses.
struct RoomStation {
    RoomStation(GameController* controller, Zu_LocalSet* localSet, const char* own, uint16_t port)
        : side(controller), session(side, NetConfig{port, own, "127.0.0.1"}),
          link(
              session,
              [localSet](uint32_t from, uint8_t type, const uint8_t* p, size_t n) {
                  localSet->DeliverRoomMessage(from, type, p, n);
              },
              [localSet](uint8_t type, uint32_t peer) { localSet->TakeLobbyNotice(type, peer); }) {}
    ControllerSide side;
    NetSession session;
    RoomLink link;
};

class RoomLinkTwoStationsTest : public screentest::ScreenFixture {
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
        const uint16_t group = FreeUdpPort(), reply = FreeUdpPort(), port = nettest::FreePort();
        ASSERT_NE(group, 0);
        ASSERT_NE(reply, 0);
        GameController* controllers[2] = {c, guestController};
        const uint32_t addresses[2] = {kHostAddress, kGuestAddress};
        for (int i = 0; i < 2; ++i) {
            LobbyEndpoints& e = controllers[i]->lobbyLink.endpoints;
            e.groupAddress = kHostAddress;
            e.groupPort = group;
            e.replyPort = reply;
            e.bindAddress = addresses[i];
            e.interfaceAddress = kHostAddress;
        }
        host = new Zu_LocalSet(c);
        guest = new Zu_LocalSet(guestController);
        host->ownName = "HOSTPC";
        guest->ownName = "GUESTPC";
        rooms[0] = std::make_unique<RoomStation>(c, host, "127.0.0.1", port);
        rooms[1] = std::make_unique<RoomStation>(guestController, guest, "127.0.0.2", port);
        host->roomLink = &rooms[0]->link;
        guest->roomLink = &rooms[1]->link;
        // The socket messages the main window would route: the host must accept while the guest
        // waits for its join answer on the one test thread.
        pump = std::thread([this] {
            while (!stopPump) {
                for (auto& r : rooms) {
                    platform::MSG msg;
                    while (platform::PeekMessage(&msg, r->side.window, 0, 0, platform::PM_REMOVE)) {
                        if (msg.message == 200)
                            r->session.link.Accept(static_cast<platform::SOCKET>(msg.wParam));
                        if (msg.message == 201)
                            r->session.link.OnSocketEvent(static_cast<platform::SOCKET>(msg.wParam),
                                                          static_cast<uint32_t>(msg.lParam) & 0xFFFF);
                    }
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
    }
    void TearDown() override {
        host->roomLink = nullptr;
        guest->roomLink = nullptr;
        rooms[1]->link.Close();
        rooms[0]->link.Close();
        stopPump = true;
        if (pump.joinable()) pump.join();
        delete host;
        delete guest;
        FlushDeferredDeletes();
        rooms[0].reset();
        rooms[1].reset();
        guestController->lobbyLink.Close();
        c->lobbyLink.Close();
        delete guestController;
        BindSyncRandom(&c->syncRandom, &c->networked);
        clock.reset();
        TheBattleMap = world;
        ScreenFixture::TearDown();
    }

    // One frame of both stations, then a moment for loopback datagrams and the room's threads.
    void Frame() {
        clock->Advance(100);
        results[0] = host->Run();
        results[1] = guest->Run();
        FlushDeferredDeletes();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    template <class Pred>
    bool RunUntil(Pred pred, int limit = 600) {
        for (int n = 0; n < limit; ++n) {
            if (pred()) return true;
            Frame();
        }
        return pred();
    }
    void Click(LobbyWindow* w, int id) {
        ASSERT_NE(w, nullptr);
        Widget* control = w->Control(id);
        ASSERT_NE(control, nullptr) << std::hex << id;
        w->OnControlClick(control, nullptr);
        Frame();
    }
    void EnterLobbyAndOpenRoom(bool approval) {
        ASSERT_TRUE(RunUntil([&] { return host->win74 && guest->win74; }));
        Click(host->win74, 0x101);
        Click(guest->win74, 0x101);
        ASSERT_TRUE(RunUntil([&] { return host->state == 11 && guest->state == 11; }));
        Click(host->win206, 0x110);
        ASSERT_TRUE(RunUntil([&] { return host->win207 != nullptr; }));
        if (approval) Click(host->win207, 0x107);
        Click(host->win207, 0x108);
        ASSERT_TRUE(RunUntil([&] { return host->state == 33; }));
        ASSERT_TRUE(RunUntil([&] { return !guest->rooms.empty(); }));
    }

    std::unique_ptr<platform::ManualClock> clock;
    BattleMap* world = nullptr;
    GameController* guestController = nullptr;
    Zu_LocalSet* host = nullptr;
    Zu_LocalSet* guest = nullptr;
    std::unique_ptr<RoomStation> rooms[2];
    std::atomic<bool> stopPump{false};
    std::thread pump;
    int32_t results[2] = {};
};

TEST_F(RoomLinkTwoStationsTest, RoomJoinedWithApprovalChosenReadiedAndStartedAlikeOverTcp) {
    EnterLobbyAndOpenRoom(true);
    EXPECT_TRUE(rooms[0]->link.IsHost());
    EXPECT_EQ(rooms[0]->link.OwnPeerId(), 1u);
    // The host's peer table took slot 0 for the host.
    EXPECT_EQ(slotfields::Id(c->players[0]), 1u);
    EXPECT_EQ(slotfields::Name(c->players[0]), "HOSTPC");

    Click(guest->win206, 0x102);
    // The guest joined the TCP room: the peer table gave it id 2 and slot 1 on both stations.
    EXPECT_FALSE(rooms[1]->link.IsHost());
    EXPECT_EQ(rooms[1]->link.OwnPeerId(), 2u);
    EXPECT_EQ(rooms[1]->link.OwnSlotIndex(), 1);
    // The peer count and the slot table are written by the receive thread one after the other.
    ASSERT_TRUE(RunUntil([&] {
        if (rooms[1]->link.PeerCount() != 2 || rooms[0]->link.PeerCount() != 2) return false;
        for (GameController* g : {c, guestController})
            if (slotfields::Id(g->players[1]) != 2u || slotfields::Name(g->players[1]) != "GUESTPC" ||
                slotfields::Index(g->players[1]) != 1)
                return false;
        return true;
    }));
    for (GameController* g : {c, guestController}) {
        EXPECT_EQ(slotfields::Id(g->players[1]), 2u);
        EXPECT_EQ(slotfields::Name(g->players[1]), "GUESTPC");
        EXPECT_EQ(slotfields::Index(g->players[1]), 1);
        EXPECT_EQ(slotfields::Id(g->players[0]), 1u);
        EXPECT_EQ(slotfields::Name(g->players[0]), "HOSTPC");
    }
    // The join waits for the host's approval, asked over the room.
    ASSERT_TRUE(RunUntil([&] { return host->win211 != nullptr; }));
    EXPECT_EQ(guest->state, 81);
    Click(host->win211, 0x100);
    ASSERT_TRUE(RunUntil([&] { return guest->state == 33 && host->state == 33; }));
    ASSERT_TRUE(RunUntil([&] { return host->room.PlayerCount() == 2; }));

    // Map of four cities and options 3 and 4, chosen by the host, reach the guest.
    Click(host->win209, 0x633);
    Click(host->win209, 0x102);
    Click(host->win209, 0x107);
    ASSERT_TRUE(RunUntil([&] { return guest->room.MapIndex() == 2 && guest->room.Option(3) == 2; }));

    // Factions: the host takes the first; the guest's try at it is refused, then it takes the second.
    Click(host->win209, 0x601);
    ASSERT_TRUE(RunUntil([&] { return host->win213 != nullptr; }));
    Click(host->win213, 0x600);
    ASSERT_TRUE(RunUntil([&] { return slotfields::Choice(guestController->players[0]) == 1; }));
    Click(guest->win209, 0x604);
    ASSERT_TRUE(RunUntil([&] { return guest->win213 != nullptr; }));
    guest->input = 317;
    Frame();
    ASSERT_TRUE(RunUntil([&] { return guest->state == 101; }));
    EXPECT_EQ(slotfields::Choice(guest->OwnSlot()), 0u);
    EXPECT_EQ(slotfields::Choice(c->players[1]), 0u);
    Click(guest->win213, 0x601);
    ASSERT_TRUE(RunUntil([&] { return slotfields::Choice(c->players[1]) == 2; }));

    Click(host->win209, 0x10b);
    Click(guest->win209, 0x10b);
    ASSERT_TRUE(RunUntil([&] { return slotfields::Ready(c->players[1]) == 1; }));
    ASSERT_TRUE(RunUntil([&] { return slotfields::Ready(guestController->players[0]) == 1; }));
    Click(host->win209, 0x10a);
    ASSERT_TRUE(RunUntil([&] { return results[0] == Zu_LocalSet::kStartGame || host->state == 102; }));
    ASSERT_TRUE(RunUntil([&] { return results[1] == Zu_LocalSet::kStartGame || guest->state == 102; }));

    GameController* a = c;
    GameController* b = guestController;
    EXPECT_EQ(a->syncRandom, host->room.Seed());
    EXPECT_EQ(a->syncRandom, b->syncRandom);
    EXPECT_EQ(a->networked, 1);
    EXPECT_EQ(b->networked, 1);
    EXPECT_EQ(a->campaignStage, b->campaignStage);
    for (int n = 0; n < 4; ++n)
        EXPECT_EQ(a->netOptions[n], b->netOptions[n]) << n;
    for (int s = 0; s < 20; ++s)
        EXPECT_EQ(std::memcmp(a->players[s].bytes, b->players[s].bytes, sizeof a->players[s].bytes), 0) << s;
    EXPECT_EQ(slotfields::Choice(a->players[0]), 1u);
    EXPECT_EQ(slotfields::Choice(a->players[1]), 2u);
    EXPECT_EQ(slotfields::Ready(a->players[1]), 1u);
    // The battle goes on over the same room.
    EXPECT_TRUE(rooms[0]->session.sessionActive);
    EXPECT_TRUE(rooms[1]->session.sessionActive);
}

TEST_F(RoomLinkTwoStationsTest, LeavingGuestFreesItsSlotAndClosingHostEndsTheGuestsRoom) {
    EnterLobbyAndOpenRoom(false);
    Click(guest->win206, 0x102);
    ASSERT_TRUE(RunUntil([&] { return guest->state == 33; }));
    ASSERT_TRUE(RunUntil([&] { return host->room.PlayerCount() == 2; }));
    EXPECT_EQ(slotfields::Id(c->players[1]), 2u);

    // The guest leaves: the host's peer table frees slot 1 and the room counts one again.
    Click(guest->win209, 0x10c);
    ASSERT_TRUE(RunUntil([&] { return guest->state == 11; }));
    ASSERT_TRUE(RunUntil([&] { return host->room.PlayerCount() == 1; }));
    EXPECT_EQ(slotfields::Id(c->players[1]), 0u);
    EXPECT_EQ(rooms[0]->link.PeerCount(), 1);
    EXPECT_FALSE(rooms[1]->session.sessionActive);

    // It comes back (a new join number, the same slot); then the host closes the room.
    ASSERT_TRUE(RunUntil([&] { return !guest->rooms.empty(); }));
    Click(guest->win206, 0x102);
    ASSERT_TRUE(RunUntil([&] { return guest->state == 33; }));
    EXPECT_EQ(rooms[1]->link.OwnPeerId(), 3u);
    EXPECT_EQ(slotfields::Id(c->players[1]), 3u);
    Click(host->win209, 0x10c);
    ASSERT_TRUE(RunUntil([&] { return host->state == 11 && guest->state == 11; }));
    EXPECT_FALSE(rooms[0]->session.sessionActive);
    EXPECT_FALSE(rooms[1]->session.sessionActive);
}

} // namespace
