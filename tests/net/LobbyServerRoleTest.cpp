// This game as the lobby server: it registers players, keeps their rooms, drops rooms that close,
// ages entries that stop refreshing and drops those that miss a ping.
#include "Program/GameController.h"
#include "net/LobbyDatagram.h"
#include "net/MultiCast.h"
#include "net/Zu_LocalSet.h"
#include "platform/Time.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class LobbyServerRoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock = std::make_unique<platform::ManualClock>(1000);
        controller = std::make_unique<GameController>();
        session = std::make_unique<Zu_LocalSet>(controller.get());
        session->onlineFlag = 1;
        session->lobbyServerFlag = 1;
        controller->lobbyLink.mode = 1;
        controller->lobbyLink.role = 1;
    }
    void TearDown() override {
        session.reset();
        controller.reset();
    }
    void Announce(const char* name, uint32_t address) {
        const auto d = lobby::NameDatagram(lobby::KindAnnounce, name);
        session->HandleLobbyDatagram({address, 5000}, d.data(), d.size(), false);
    }
    void Room(const char* name, uint32_t address, uint32_t stateCode) {
        lobby::RoomRecord r;
        r.SetName(name);
        r.SetStateCode(stateCode);
        r.SetMaxPlayers(4);
        session->HandleLobbyDatagram({address, 5000}, r.bytes.data(), r.bytes.size(), false);
    }

    testsupport::TempFolder folder;
    std::unique_ptr<platform::ManualClock> clock;
    std::unique_ptr<GameController> controller;
    std::unique_ptr<Zu_LocalSet> session;
};

TEST_F(LobbyServerRoleTest, AnnouncementRegistersThePlayerAndIsAnsweredWithTheLists) {
    Announce("TIGER", 0x7F000002);
    Announce("TIGER", 0x7F000002);
    ASSERT_EQ(session->players.size(), 1u);
    EXPECT_EQ(session->players.front().record.Owner().address, 0x7F000002u);
    // "Connected" for each; the second also lists the player the first registered.
    EXPECT_EQ(controller->lobbyLink.QueuedCount(), 1u + 2u);
}

TEST_F(LobbyServerRoleTest, RoomsComeFromKnownPlayersAndGoWhenTheyClose) {
    Room("TIGER", 0x7F000002, lobby::kRoomOpen);
    EXPECT_TRUE(session->rooms.empty()); // not a registered player
    Announce("TIGER", 0x7F000002);
    Room("TIGER", 0x7F000003, lobby::kRoomOpen);
    EXPECT_TRUE(session->rooms.empty()); // a player of that name at another address
    Room("TIGER", 0x7F000002, lobby::kRoomOpen);
    ASSERT_EQ(session->rooms.size(), 1u);
    EXPECT_EQ(session->rooms.front().record.Host().address, 0x7F000002u);
    Room("TIGER", 0x7F000002, lobby::kRoomClosing);
    EXPECT_TRUE(session->rooms.empty());
}

TEST_F(LobbyServerRoleTest, EntriesAgeOutAfterTenStepsWithoutARefresh) {
    Announce("TIGER", 0x7F000002);
    Room("TIGER", 0x7F000002, lobby::kRoomOpen);
    for (int n = 0; n < 10; ++n)
        session->AgeRooms();
    ASSERT_EQ(session->rooms.size(), 1u);
    Room("TIGER", 0x7F000002, lobby::kRoomOpen); // a refresh starts the count again
    for (int n = 0; n < 10; ++n)
        session->AgeRooms();
    ASSERT_EQ(session->rooms.size(), 1u);
    session->AgeRooms();
    EXPECT_TRUE(session->rooms.empty());
}

TEST_F(LobbyServerRoleTest, EntryThatMissesAPingIsDroppedOneThatAnswersStays) {
    Announce("TIGER", 0x7F000002);
    Announce("DRAGON", 0x7F000003);
    controller->lobbyLink.RemoveQueued(-1, 0);
    session->PingStep();
    ASSERT_EQ(controller->lobbyLink.QueuedCount(), 2u);
    // DRAGON answers: its ping's acknowledgement reports the record.
    controller->lobbyLink.pingAnswered(0, session->players.back().id, 3);
    auto unanswered = controller->lobbyLink.TakeUnansweredPings(0);
    ASSERT_EQ(unanswered.size(), 2u);
    controller->lobbyLink.SendPing(0, unanswered[0], {0x7F000002, 5000});
    session->PingStep();
    ASSERT_EQ(session->players.size(), 1u);
    EXPECT_EQ(session->players.front().record.Name(), "DRAGON");
    EXPECT_EQ(session->players.front().record.RoundTrip(), 3);
}

TEST_F(LobbyServerRoleTest, ListsStopGrowingAtTheirCap) {
    for (uint32_t n = 0; n < Zu_LocalSet::kListCap + 10; ++n) {
        Announce(("P" + std::to_string(n)).c_str(), 0x7F000100 + n);
        controller->lobbyLink.RemoveQueued(-1, 0);
    }
    EXPECT_EQ(session->players.size(), Zu_LocalSet::kListCap);
}

} // namespace
