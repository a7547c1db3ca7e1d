// A connection to the host that never joins and floods it with well-framed game commands.
#include "NetStation.h"

#include "platform/Sockets.h"

#include <gtest/gtest.h>

#include <memory>

using namespace nettest;

namespace {

struct HostView {
    size_t queued = 0;    // commands waiting in the host's receive queue
    uint32_t dropped = 0; // commands the host would not take
    size_t applied = 0;   // test orders the host applied
    int peers = 0;
};

HostView LookAtHost(Station& s) {
    return s.Do([&s] {
        NetSession::Lock lock(s.session);
        HostView v;
        v.queued = s.session.receiveQueue.size();
        v.dropped = s.session.droppedCommands.load();
        v.applied = s.side.applied.size();
        v.peers = s.session.NetPeerCount();
        return v;
    });
}

// Thousands of commands from a connection that has not joined are never queued on the host, and a
// joined station's command is applied all the same.
TEST(UnjoinedConnection, CannotFillTheHostsQueue) {
    platform::SetLoopbackOnly(true);
    platform::SetConnectLimit(3000);
    const uint16_t port = FreePort();
    {
        Station host("127.0.0.1", "127.0.0.1", port);
        Station bo("127.0.0.2", "127.0.0.1", port);
        ASSERT_TRUE(host.Do([&] { return host.session.NetSessionStart(true, "Ann"); }));
        ASSERT_TRUE(bo.Do([&] { return bo.session.NetSessionStart(false, "Bo"); }));
        ASSERT_TRUE(RunUntil({&host, &bo}, [&] { return LookAtHost(host).peers == 2; }));

        FakePeer intruder;
        ASSERT_TRUE(intruder.Connect("127.0.0.4", "127.0.0.1", port));
        constexpr uint32_t kFlood = 3000;
        for (uint32_t n = 1; n <= kFlood; ++n)
            intruder.WriteFrame(netpacket::kChannelCommand, kOrder, n, OrderPayload(4, int(n % 40), 7));
        size_t most = 0;
        ASSERT_TRUE(RunUntil(
            {&host, &bo},
            [&] {
                const HostView v = LookAtHost(host);
                most = std::max(most, v.queued);
                return v.dropped >= kFlood;
            },
            20000));
        // The joined station's own traffic may stand in the queue for a moment; the flood never does.
        EXPECT_LE(most, 1u);
        EXPECT_EQ(LookAtHost(host).applied, 0u);

        const auto order = OrderPayload(2, 10, 20);
        bo.Do([&] {
            bo.session.EnterGameCommand(kOrder, order.data(), order.size(),
                                        [&] { bo.side.applied.push_back({kOrder}); });
        });
        EXPECT_TRUE(RunUntil({&host, &bo}, [&] { return LookAtHost(host).applied == 1; }));
    }
    platform::SetLoopbackOnly(false);
}

} // namespace
