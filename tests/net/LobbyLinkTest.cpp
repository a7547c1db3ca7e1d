// The lobby datagram link between two stations on loopback, with the millisecond clock held.
#include "net/LobbyDatagram.h"
#include "net/MultiCast.h"
#include "platform/Time.h"
#include "support/TempFolder.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <memory>
#include <unistd.h>
#include <vector>

namespace {

const uint32_t kA = 0x7F000001; // 127.0.0.1
const uint32_t kB = 0x7F000002; // 127.0.0.2

// A lobby-server-role listener on 127.0.0.1 and a sender to it from 127.0.0.2.
class LobbyLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock = std::make_unique<platform::ManualClock>(100000);
        server.endpoints.bindAddress = kA;
        server.endpoints.lobbyPort = 0;
        ASSERT_EQ(server.Create(1, 1), 1);
        client.endpoints.bindAddress = kB;
        client.endpoints.lobbyPort = server.main.LocalPort();
        client.lobbyHost = "127.0.0.1";
        ASSERT_EQ(client.Create(0, 1), 1);
    }
    // Sends what is due, then waits until the receiver has read `count` datagrams.
    bool Deliver(MultiCast& from, MultiCast& to, size_t count) {
        while (from.SendStep()) {
        }
        return testsupport::WaitFor([&] {
            to.Receive();
            return to.receiveList.size() >= count;
        });
    }
    // Lets acknowledgements travel back.
    void Settle(MultiCast& link) {
        testsupport::WaitFor([&] { return link.Receive(), false; }, std::chrono::milliseconds(50));
    }
    static std::vector<uint8_t> Chat(const std::string& text) {
        lobby::ChatRecord c;
        c.SetText(text);
        return {c.bytes.begin(), c.bytes.end()};
    }

    testsupport::TempFolder folder; // Error.lst lands here
    std::unique_ptr<platform::ManualClock> clock;
    MultiCast server, client;
};

TEST_F(LobbyLinkTest, ReliableDatagramIsSentAtOnceDeliveredAndAcknowledged) {
    client.Send(Chat("hello").data(), 0);
    ASSERT_TRUE(Deliver(client, server, 1));
    lobby::ChatRecord got;
    ASSERT_TRUE(lobby::ChatRecord::Decode(server.receiveList.front().bytes.data(),
                                          server.receiveList.front().bytes.size(), &got));
    EXPECT_EQ(got.Text(), "hello");
    EXPECT_EQ(server.receiveList.front().sender.address, kB);
    EXPECT_EQ(client.QueuedCount(), 1u);
    ASSERT_TRUE(testsupport::WaitFor([&] { return client.Receive(), client.QueuedCount() == 0; }));
}

TEST_F(LobbyLinkTest, UnansweredDatagramIsResentEvery5000MsOneAtATimeThenGivenUp) {
    server.Close(); // nobody answers
    client.Send(Chat("a").data(), 0);
    client.Send(Chat("b").data(), 0);
    EXPECT_EQ(client.SendStep(), 1);
    EXPECT_EQ(client.SendStep(), 1);
    EXPECT_EQ(client.SendStep(), 0);
    clock->Advance(4999);
    EXPECT_EQ(client.SendStep(), 0);
    clock->Advance(1);
    EXPECT_EQ(client.SendStep(), 1);
    EXPECT_EQ(client.SendStep(), 1);
    EXPECT_EQ(client.SendStep(), 0);
    for (int n = 2; n < MultiCast::kMaxSends; ++n) {
        clock->Advance(5000);
        while (client.SendStep()) {
        }
    }
    EXPECT_EQ(client.QueuedCount(), 0u);
}

TEST_F(LobbyLinkTest, FlagsChooseSendOnceAndNoAcknowledgement) {
    client.Send(Chat("once").data(), lobby::kSendOnce | lobby::kNoAck);
    ASSERT_TRUE(Deliver(client, server, 1));
    EXPECT_EQ(client.QueuedCount(), 0u);
    // Not acknowledged: a reliable datagram of the receiver's stays unanswered too.
    server.SendTo(Chat("back").data(), {kB, client.main.LocalPort()}, lobby::kNoAck);
    ASSERT_TRUE(Deliver(server, client, 1));
    Settle(server);
    EXPECT_EQ(server.QueuedCount(), 1u);
}

TEST_F(LobbyLinkTest, MalformedDatagramsAreDroppedUnansweredAndDoNotBlockTheNext) {
    platform::UdpSocket raw;
    ASSERT_TRUE(raw.Open());
    ASSERT_TRUE(raw.Bind(kB, 0));
    ASSERT_TRUE(raw.SetNonBlocking(true));
    const platform::SocketAddress to{kA, server.main.LocalPort()};
    std::vector<uint8_t> good = Chat("ok");
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases = {{"empty", {}},    {"short", {1, 24, 5, 0, 0}}, {"length word", good},
                               {"marker", good}, {"unknown kind", good},      {"kind of another size", good}};
    cases[2].bytes[2] = 67;
    cases[3].bytes[0] = 2;
    cases[4].bytes[1] = 99;
    cases[5].bytes[1] = lobby::KindRoom;
    for (const Case& c : cases)
        ASSERT_GE(raw.SendTo(c.bytes.data(), c.bytes.size(), to, 0), 0) << c.what;
    ASSERT_GE(raw.SendTo(good.data(), good.size(), to, 0), 0);
    ASSERT_TRUE(testsupport::WaitFor([&] { return server.Receive(), !server.receiveList.empty(); }));
    Settle(server);
    EXPECT_EQ(server.receiveList.size(), 1u);
    // Only the whole datagram was acknowledged.
    uint8_t answer[64];
    int acks = 0;
    testsupport::WaitFor(
        [&] { return raw.ReceiveFrom(answer, sizeof answer, nullptr) == 12 ? ++acks, false : false; },
        std::chrono::milliseconds(100));
    EXPECT_EQ(acks, 1);
}

TEST_F(LobbyLinkTest, ResentDuplicateIsAcknowledgedButDeliveredOnce) {
    client.Send(Chat("twice").data(), 0);
    ASSERT_TRUE(Deliver(client, server, 1));
    // Its acknowledgement is lost: the client sends it again later.
    client.receiveList.clear();
    clock->Advance(5000);
    while (client.SendStep()) {
    }
    Settle(server);
    EXPECT_EQ(server.receiveList.size(), 1u);
    ASSERT_TRUE(testsupport::WaitFor([&] { return client.Receive(), client.QueuedCount() == 0; }));
}

TEST_F(LobbyLinkTest, AcknowledgementFromAnotherStationDoesNotRemoveAUnicastDatagram) {
    client.Send(Chat("x").data(), 0);
    while (client.SendStep()) {
    }
    platform::UdpSocket other;
    ASSERT_TRUE(other.Open());
    ASSERT_TRUE(other.Bind(0x7F000003, 0));
    uint8_t ack[12] = {};
    lobby::PutHeader(ack, lobby::KindAck, 12);
    lobby::PutU32(ack, 4, 0);
    ack[8] = 2;
    ASSERT_GE(other.SendTo(ack, 12, {kB, client.main.LocalPort()}, 0), 0);
    Settle(client);
    EXPECT_EQ(client.QueuedCount(), 1u);
}

TEST_F(LobbyLinkTest, PingAnswerReportsTheRecordAndARoundTripStepThatStopsAt8) {
    std::vector<std::tuple<uint32_t, uint32_t, uint8_t>> answers;
    client.pingAnswered = [&](uint32_t list, uint32_t id, uint8_t step) {
        answers.emplace_back(list, id, step);
    };
    struct Case {
        uint32_t delay;
        uint8_t step;
    };
    for (const Case c : {Case{40, 2}, Case{127, 7}, Case{128, 8}, Case{900, 8}}) {
        client.SendPing(1, 77, {kA, server.main.LocalPort()});
        ASSERT_TRUE(Deliver(client, server, 1));
        server.receiveList.clear();
        clock->Advance(c.delay);
        ASSERT_TRUE(testsupport::WaitFor([&] { return client.Receive(), client.QueuedCount() == 0; }));
        ASSERT_FALSE(answers.empty());
        EXPECT_EQ(answers.back(), std::make_tuple(1u, 77u, c.step)) << c.delay;
    }
}

TEST_F(LobbyLinkTest, PingThatCannotBeSentStaysQueuedOtherKindsAreDropped) {
    // A send to the broadcast address without permission fails.
    client.SendPing(0, 5, {0xFFFFFFFFu, 9});
    client.Send(Chat("c").data(), 0);
    client.defaultDestination = {0xFFFFFFFFu, 9};
    client.SendTo(Chat("d").data(), {0xFFFFFFFFu, 9}, 0);
    while (client.SendStep()) {
    }
    EXPECT_EQ(client.QueuedCount(), 2u); // the ping and the chat to the lobby server
    EXPECT_EQ(client.TakeUnansweredPings(0), std::vector<uint32_t>{5});
}

} // namespace

namespace {

// The local network's group for real: a multicast group joined on the loopback interface only.
TEST(LobbyGroupTest, AnnouncementReachesTheGroupAndTheRoomAnswerComesBackOnTheReplyPort) {
    testsupport::TempFolder folder;
    auto freePort = [] {
        platform::UdpSocket probe;
        return probe.Open() && probe.Bind(0, 0) ? probe.LocalPort() : uint16_t(0);
    };
    LobbyEndpoints e;
    e.groupAddress = 0xEFFF4D00u | uint32_t(::getpid() % 200 + 20); // 239.255.77.x
    e.groupPort = freePort();
    e.replyPort = freePort();
    e.bindAddress = 0;
    e.interfaceAddress = kA;
    ASSERT_NE(e.groupPort, 0);
    MultiCast roomHost, player;
    roomHost.endpoints = e;
    player.endpoints = e;
    if (!roomHost.Create(1, 0)) GTEST_SKIP() << "no multicast on the loopback interface";
    ASSERT_EQ(player.Create(0, 0), 1);
    const auto hello = lobby::NameDatagram(lobby::KindAnnounce, "GUESTPC");
    player.Send(hello.data(), lobby::kSendOnce | lobby::kNoAck);
    while (player.SendStep()) {
    }
    ASSERT_TRUE(testsupport::WaitFor([&] { return roomHost.Receive(), !roomHost.receiveList.empty(); }));
    const MultiCast::Received got = roomHost.receiveList.front();
    EXPECT_EQ(got.fromReplySocket, 0);
    EXPECT_EQ(lobby::GetText(got.bytes.data(), 12, 32), "GUESTPC");
    EXPECT_EQ(player.QueuedCount(), 0u);
    // The room host answers the player's reply port; the answer is acknowledged from there.
    roomHost.OpenReplyTo(got.sender.address);
    lobby::RoomRecord room;
    room.SetName("HOSTPC");
    roomHost.SendTo(room.bytes.data(), roomHost.replyAddress, 0);
    while (roomHost.SendStep()) {
    }
    ASSERT_TRUE(testsupport::WaitFor([&] { return player.Receive(), !player.receiveList.empty(); }));
    EXPECT_EQ(player.receiveList.front().fromReplySocket, 1);
    ASSERT_TRUE(testsupport::WaitFor([&] { return roomHost.Receive(), roomHost.QueuedCount() == 0; }));
}

} // namespace
