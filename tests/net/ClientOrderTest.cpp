#include "NetStation.h"

#include "engine/ByteReader.h"
#include "net/room/NetTexts.h"
#include "platform/Time.h"

#include <gtest/gtest.h>

#include <future>

using namespace nettest;

namespace {

struct Heard {
    std::vector<uint32_t> resendRequests; // channel 1 type 12
    std::vector<uint32_t> acks;           // channel 1 type 8
};

// Reads what the station sent until it has been quiet for a while.
Heard Listen(FakePeer& fake, uint32_t quietMs = 150) {
    Heard heard;
    std::vector<uint8_t> frame;
    while (fake.ReadFrame(frame, quietMs)) {
        NetPacketView v;
        if (!ParseNetPacket(frame.data(), frame.size(), v) || v.channel != 1 || v.payloadSize != 4) continue;
        ByteReader r(v.payload, 4);
        if (v.type == 12) heard.resendRequests.push_back(r.u32());
        if (v.type == 8) heard.acks.push_back(r.u32());
    }
    return heard;
}

std::vector<uint32_t> AppliedNumbers(Station& s) {
    return s.Do([&s] {
        NetSession::Lock lock(s.session);
        std::vector<uint32_t> numbers;
        for (const auto& a : s.side.applied) {
            ByteReader r(a.data() + 1, a.size() - 1);
            numbers.push_back(r.u32());
        }
        return numbers;
    });
}

// A real client against a host written by hand.
class FakeHost : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetLoopbackOnly(true);
        port = FreePort();
        ASSERT_TRUE(host.Listen("127.0.0.1", port));
        client = std::make_unique<Station>("127.0.0.2", "127.0.0.1", port);
        auto started = std::async(std::launch::async, [&] {
            return client->Do([&] { return client->session.NetSessionStart(false, "Bo"); });
        });
        ASSERT_TRUE(host.AcceptOne(3000));
        std::vector<uint8_t> join;
        ASSERT_TRUE(host.ReadFrame(join, 3000));
        NetPacketView v;
        ASSERT_TRUE(ParseNetPacket(join.data(), join.size(), v));
        EXPECT_EQ(v.type, 1);
        EXPECT_STREQ(reinterpret_cast<const char*>(v.payload), "Bo");
        host.WriteFrame(1, 2, 0, {2, 0, 0, 0, 1, 0, 0, 0});
        ASSERT_TRUE(started.get());
    }
    void TearDown() override {
        host.Close(); // the client's goodbye finds nobody
        client.reset();
        platform::SetLoopbackOnly(false);
    }
    void Send(uint32_t sequence) { host.WriteFrame(2, kOrder, sequence, OrderPayload(sequence, 0, 0)); }
    // Frames go on for a while with nothing expected.
    void Idle(int ms) {
        RunUntil(
            {client.get()}, [] { return false; }, ms);
    }
    bool Applied(size_t n) {
        return RunUntil(
            {client.get()}, [&] { return AppliedNumbers(*client).size() >= n; }, 5000);
    }

    uint16_t port = 0;
    FakePeer host;
    std::unique_ptr<Station> client;
};

} // namespace

TEST_F(FakeHost, AGapIsAskedForOnceAndTheQueueCatchesUp) {
    EXPECT_EQ(client->Do([&] { return client->session.ownId.load(); }), 2u);
    EXPECT_EQ(client->Do([&] { return int(client->side.ownSlot); }), 1);
    for (uint32_t n : {1u, 2u, 4u, 5u})
        Send(n);
    ASSERT_TRUE(Applied(2));
    Idle(100); // more frames: still waiting
    EXPECT_EQ(AppliedNumbers(*client), (std::vector<uint32_t>{1, 2}));
    Heard heard = Listen(host);
    EXPECT_EQ(heard.resendRequests, (std::vector<uint32_t>{3}));
    ASSERT_FALSE(heard.acks.empty());
    EXPECT_EQ(heard.acks.back(), 2u);

    Send(3);
    ASSERT_TRUE(Applied(5));
    EXPECT_EQ(AppliedNumbers(*client), (std::vector<uint32_t>{1, 2, 3, 4, 5}));
    heard = Listen(host);
    EXPECT_TRUE(heard.resendRequests.empty());
    ASSERT_FALSE(heard.acks.empty());
    EXPECT_EQ(heard.acks.back(), 5u);

    // Late copies, repeats and numbers far ahead are not applied and start no storm of requests.
    Send(4);
    Send(6);
    Send(7);
    Send(7);
    Send(7 + NetSession::kSequenceWindow + 10);
    Send(0xFFFFFFFFu);
    ASSERT_TRUE(Applied(7));
    Idle(100);
    EXPECT_EQ(AppliedNumbers(*client), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7}));
    heard = Listen(host);
    EXPECT_TRUE(heard.resendRequests.empty());
}

TEST_F(FakeHost, ARequestIsRepeatedOnlyAfterFiveSeconds) {
    platform::ManualClock clock(100000);
    Send(2);
    Idle(100);
    EXPECT_EQ(Listen(host).resendRequests, (std::vector<uint32_t>{1}));
    clock.Advance(5001);
    Idle(100);
    EXPECT_EQ(Listen(host).resendRequests, (std::vector<uint32_t>{1}));
    Idle(100);
    EXPECT_TRUE(Listen(host).resendRequests.empty());
}

TEST_F(FakeHost, AClientsOwnCommandWaitsForTheHostsCopy) {
    const auto order = OrderPayload(9, 8, 7);
    client->Do([&] {
        client->session.EnterGameCommand(kOrder, order.data(), order.size(),
                                         [&] { client->side.applied.push_back({}); });
    });
    Idle(50);
    std::vector<uint8_t> frame;
    NetPacketView v;
    do {
        ASSERT_TRUE(host.ReadFrame(frame, 3000));
        ASSERT_TRUE(ParseNetPacket(frame.data(), frame.size(), v));
    } while (v.channel != 2);
    EXPECT_EQ(v.type, kOrder);
    EXPECT_EQ(v.sequence, 1u); // the client's own numbering
    EXPECT_EQ(std::vector<uint8_t>(v.payload, v.payload + v.payloadSize), order);
    EXPECT_TRUE(AppliedNumbers(*client).empty());
    host.WriteFrame(2, kOrder, 1, order);
    ASSERT_TRUE(Applied(1));
    EXPECT_EQ(AppliedNumbers(*client), (std::vector<uint32_t>{9}));
}

// The host side against clients written by hand.
TEST(FakeClients, RepeatedJoinKeepsItsPlaceAndSilentPlayersAreDropped) {
    platform::SetLoopbackOnly(true);
    const uint16_t port = FreePort();
    Station host("127.0.0.1", "127.0.0.1", port);
    ASSERT_TRUE(host.Do([&] { return host.session.NetSessionStart(true, "Ann"); }));
    FakePeer bo, cy;
    ASSERT_TRUE(bo.Connect("127.0.0.2", "127.0.0.1", port));
    ASSERT_TRUE(cy.Connect("127.0.0.3", "127.0.0.1", port));
    auto join = [&](FakePeer& fake, const char* name) {
        std::vector<uint8_t> payload(128, 0);
        std::copy(name, name + std::strlen(name), payload.begin());
        fake.WriteFrame(1, 1, 0, payload);
        std::vector<uint8_t> frame;
        NetPacketView v;
        do {
            if (!fake.ReadFrame(frame, 3000)) return std::pair<uint32_t, int>{0, -1};
            ParseNetPacket(frame.data(), frame.size(), v);
        } while (v.channel != 1 || v.type != 2);
        ByteReader r(v.payload, v.payloadSize);
        const uint32_t id = r.u32();
        return std::pair<uint32_t, int>{id, r.u8()};
    };
    EXPECT_EQ(join(bo, "Bo"), (std::pair<uint32_t, int>{2, 1}));
    EXPECT_EQ(join(cy, "Cy"), (std::pair<uint32_t, int>{3, 2}));
    EXPECT_EQ(join(bo, "Bo"), (std::pair<uint32_t, int>{2, 1})) << "a repeated join keeps its id and slot";
    auto slotIds = [&] {
        return host.Do([&] {
            NetSession::Lock lock(host.session);
            std::vector<uint32_t> ids;
            for (int i = 0; i < 4; ++i)
                ids.push_back(playerslot::Id(host.side.slots[i]));
            return ids;
        });
    };
    EXPECT_EQ(slotIds(), (std::vector<uint32_t>{1, 2, 3, 0}));

    // With monitoring on, a player silent for more than 30 s is dropped and announced.
    {
        platform::ManualClock clock(50000);
        host.Do([&] { host.session.monitoring = 1; });
        host.Frame(); // stamps both
        clock.Advance(20000);
        bo.WriteFrame(2, 66, 1, U32(2));
        RunUntil(
            {&host}, [] { return false; }, 100);
        clock.Advance(10001);
        host.Frame();
        host.Frame();
        EXPECT_EQ(host.Do([&] { return host.session.NetPeerCount(); }), 2);
        EXPECT_EQ(slotIds(), (std::vector<uint32_t>{1, 2, 0, 0}));
        const auto chat = host.Do([&] { return host.side.chat; });
        ASSERT_EQ(chat.size(), 1u);
        EXPECT_EQ(chat[0].first, std::string(nettext::kPublic) + "< Cy" + nettext::kLeft);
    }
    // A host's close ends every accepted connection.
    host.Do([&] { host.session.CloseTcpSession(); });
    EXPECT_TRUE(bo.SeesClose(3000));
    EXPECT_TRUE(cy.SeesClose(3000));
    platform::SetLoopbackOnly(false);
}

TEST(SessionStart, FailsWithoutAListenerOrAHost) {
    platform::SetLoopbackOnly(true);
    const uint16_t port = FreePort();
    FakePeer squatter;
    ASSERT_TRUE(squatter.Listen("127.0.0.1", port));
    const size_t before = platform::OpenSocketCount();
    {
        Station host("127.0.0.1", "127.0.0.1", port);
        EXPECT_FALSE(host.Do([&] { return host.session.NetSessionStart(true, "Ann"); }))
            << "the port is taken";
        EXPECT_EQ(host.Do([&] { return host.session.linkSocket; }), 0u);
    }
    squatter.Close();
    {
        Station client("127.0.0.2", "127.0.0.1", port);
        EXPECT_FALSE(client.Do([&] { return client.session.NetSessionStart(false, "Bo"); }))
            << "nobody listens";
    }
    EXPECT_EQ(platform::OpenSocketCount(), before - 1);
    platform::SetLoopbackOnly(false);
}

TEST_F(FakeHost, TheRoomClosingIsReportedToTheSessionControl) {
    client->Do([&] { client->side.inBattle = false; });
    host.Close();
    uint32_t message = 0, value = 0;
    const bool reported = RunUntil({client.get()}, [&] {
        return client->Do([&] { return client->session.eventBox.Take(1, message, value); });
    });
    ASSERT_TRUE(reported);
    EXPECT_EQ(message, 0x1002u);
}

TEST(FakeClients, TheTwentyFirstStationIsTurnedAway) {
    platform::SetLoopbackOnly(true);
    const uint16_t port = FreePort();
    Station host("127.0.0.1", "127.0.0.1", port);
    ASSERT_TRUE(host.Do([&] { return host.session.NetSessionStart(true, "Ann"); }));
    std::vector<std::unique_ptr<FakePeer>> fakes;
    std::vector<uint8_t> name(128, 0);
    name[0] = 'p';
    // Nineteen get a place one after the other; the twentieth is refused.
    for (int i = 0; i < 20; ++i) {
        auto fake = std::make_unique<FakePeer>();
        ASSERT_TRUE(fake->Connect("127.0.0.2", "127.0.0.1", port));
        fake->WriteFrame(1, 1, 0, name);
        if (i < 19) {
            std::vector<uint8_t> frame;
            NetPacketView v;
            bool replied = false;
            while (!replied && fake->ReadFrame(frame, 3000)) {
                ParseNetPacket(frame.data(), frame.size(), v);
                replied = v.channel == 1 && v.type == 2;
            }
            ASSERT_TRUE(replied) << i;
        }
        fakes.push_back(std::move(fake));
    }
    EXPECT_TRUE(fakes[19]->SeesClose(3000));
    EXPECT_EQ(host.Do([&] { return host.session.NetPeerCount(); }), 20);
    platform::SetLoopbackOnly(false);
}
