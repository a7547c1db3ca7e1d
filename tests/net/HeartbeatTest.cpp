#include "NetStation.h"

#include "net/room/NetTexts.h"

#include <gtest/gtest.h>

using namespace nettest;

namespace {

int Count(const TestSide& side, const std::string& line) {
    return static_cast<int>(std::count(side.chat.begin(), side.chat.end(), std::make_pair(line, 3)));
}

} // namespace

// A client's watch of the host, frame by frame, without a connection.
TEST(Heartbeat, ShowsTheUnreachableLineOnceAndTheReturnWhenHeartbeatsComeBack) {
    TestSide side;
    NetSession client(side);
    client.hostFlag = 0;
    client.monitoring = 1;
    const std::string unreachable = std::string(nettext::kPublic) + nettext::kHostUnreachable;
    const std::string back = std::string(nettext::kPublic) + nettext::kHostBack;
    auto frames = [&](int n) {
        for (int i = 0; i < n; ++i) {
            client.NetHeartbeatTick();
            client.NetCheckHost();
        }
    };
    frames(100);
    EXPECT_EQ(Count(side, unreachable), 0) << "checked only at the cycle's end";
    frames(1);
    EXPECT_EQ(Count(side, unreachable), 1);
    EXPECT_EQ(client.heartbeatBalance, -101);
    frames(101);
    EXPECT_EQ(Count(side, unreachable), 1) << "once";
    client.GameCommandDispatch(nullptr, 0, 64, 0);
    EXPECT_EQ(Count(side, back), 1);
    EXPECT_EQ(client.heartbeatBalance, 1);
    client.GameCommandDispatch(nullptr, 0, 64, 0);
    EXPECT_EQ(Count(side, back), 1);
    EXPECT_EQ(client.heartbeatBalance, 2);

    // At the end of a cycle a drift of 6 or more, or of -6 to -89, is forgiven.
    const struct {
        int32_t before, after;
    } drifts[] = {{6, 0}, {5, 5}, {-5, -5}, {-6, 0}, {-89, 0}, {-90, -90}};
    for (const auto& d : drifts) {
        client.frameCounter = 100;
        client.heartbeatBalance = d.before;
        client.unreachableShown = 1; // keeps the check quiet
        client.NetCheckHost();
        EXPECT_EQ(client.heartbeatBalance, d.after) << d.before;
        EXPECT_EQ(client.frameCounter, 0);
    }
}

// The host starts monitoring only once every station has reported its 200-frame time.
TEST(Heartbeat, HostMonitorsOnceEveryStationHasReported) {
    TestSide side;
    NetSession host(side);
    host.hostFlag = 1;
    platform::sockaddr_in a;
    a.sin_family = platform::AF_INET;
    for (uint16_t port = 1; port <= 3; ++port) {
        a.sin_port = port;
        host.NetAddPeer("p", a, 0x7FFF0000u + port);
    }
    host.ownId = 1;
    for (int i = 0; i < 200; ++i)
        host.NetCheckHost();
    EXPECT_EQ(host.frameCounter, -1);
    EXPECT_EQ(host.monitoring, 0);
    host.NetStartMonitoring(2, 4000);
    EXPECT_EQ(host.monitoring, 0);
    host.NetStartMonitoring(3, 5000);
    EXPECT_EQ(host.monitoring, 1);
    // The largest time goes out to both clients as code 65.
    for (uint32_t id : {2u, 3u}) {
        const NetQueue& q = host.NetFindPeer(id)->queue;
        ASSERT_EQ(q.size(), 1u);
        EXPECT_EQ(q.entries().front().type, 65);
        EXPECT_EQ(q.entries().front().data, (std::vector<uint8_t>{1, 0, 0, 0, 0x88, 0x13, 0, 0}));
    }
}
