#include "update/client/UpdateTransport.h"
#include "platform/Time.h"
#include "update/client/UpdateDatagram.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

using namespace platform;
namespace ud = UpdateDatagram;

namespace {

// A peer socket on loopback that plays the server (or a stranger).
class Peer {
public:
    Peer() {
        socket_.Open();
        socket_.Bind(0x7F000001, 0);
        socket_.SetNonBlocking(true);
    }
    uint16_t Port() const { return socket_.LocalPort(); }
    void SendTo(const std::vector<uint8_t>& datagram, const SocketAddress& to) {
        socket_.SendTo(datagram.data(), datagram.size(), to, 0);
    }
    // The next datagram within a short wait.
    std::optional<std::vector<uint8_t>> Next(SocketAddress* from = nullptr) {
        if (!socket_.WaitReadable(200)) return std::nullopt;
        std::vector<uint8_t> buffer(2048);
        SocketAddress sender;
        const int n = socket_.ReceiveFrom(buffer.data(), buffer.size(), &sender);
        if (n < 0) return std::nullopt;
        if (from) *from = sender;
        buffer.resize(static_cast<size_t>(n));
        return buffer;
    }

private:
    UdpSocket socket_;
};

uint32_t SequenceOf(const std::vector<uint8_t>& d) {
    return ud::DecodeHeader(d.data(), d.size())->sequence;
}

class UpdateTransportTest : public ::testing::Test {
protected:
    UpdateTransportTest() : clock_(50000, 0) {
        setenv("KARDOL_UPDATE_PORT", std::to_string(server_.Port()).c_str(), 1);
        EXPECT_EQ(transport_.Open(0, 1, "127.0.0.1"), 1);
        // The client's socket gets its port with its first datagram, as the server learns it.
        uint8_t version[ud::kVersionText] = {'2', '.', '0', '2', 'T'};
        transport_.Send(ud::EncodeVersion(version), 0);
        transport_.ResendDue();
        const auto hello = server_.Next(&self_);
        EXPECT_TRUE(hello && ud::DecodeVersion(hello->data(), hello->size()) == "2.02T");
        if (hello) server_.SendTo(ud::EncodeAck(SequenceOf(*hello)), self_);
        Settle();
        EXPECT_TRUE(transport_.SendQueueEmpty());
    }
    ~UpdateTransportTest() override { unsetenv("KARDOL_UPDATE_PORT"); }

    // Lets the transport read what waits for it.
    void Settle() {
        transport_.MainSocket().WaitReadable(200);
        for (int i = 0; i < 20; ++i)
            transport_.Receive();
    }

    ManualClock clock_;
    Peer server_;
    Peer stranger_;
    UpdateTransport transport_;
    SocketAddress self_;
};

TEST_F(UpdateTransportTest, QueuedDatagramsGoOutAtOnceAndAgainEveryFiveSecondsUntilAcknowledged) {
    transport_.Send(ud::EncodeControl(ud::kClientEnd, 0), 0);
    EXPECT_EQ(transport_.ResendDue(), 1);
    EXPECT_EQ(transport_.ResendDue(), 0);
    SocketAddress from;
    const auto first = server_.Next(&from);
    ASSERT_TRUE(first);
    EXPECT_EQ(from, self_);
    const auto control = ud::DecodeControl(first->data(), first->size());
    ASSERT_TRUE(control);
    EXPECT_EQ(control->code, ud::kClientEnd);

    clock_.Advance(4999);
    EXPECT_EQ(transport_.ResendDue(), 0);
    clock_.Advance(1);
    EXPECT_EQ(transport_.ResendDue(), 1);
    const auto again = server_.Next();
    ASSERT_TRUE(again);
    EXPECT_EQ(SequenceOf(*again), SequenceOf(*first));

    // Only the destination's acknowledgement of that very sequence removes the entry.
    stranger_.SendTo(ud::EncodeAck(SequenceOf(*first)), self_);
    server_.SendTo(ud::EncodeAck(SequenceOf(*first) + 1), self_);
    Settle();
    EXPECT_EQ(transport_.SendQueueCount(), 1);
    server_.SendTo(ud::EncodeAck(SequenceOf(*first)), self_);
    Settle();
    EXPECT_TRUE(transport_.SendQueueEmpty());
}

TEST_F(UpdateTransportTest, SendOnceAndUnansweredDatagramsLeaveTheQueue) {
    transport_.Send(ud::EncodeControl(ud::kHaveFile, 7), ud::kSendOnce);
    EXPECT_EQ(transport_.ResendDue(), 1);
    EXPECT_TRUE(transport_.SendQueueEmpty());
    EXPECT_TRUE(server_.Next());

    transport_.Send(ud::EncodeControl(ud::kClientEnd, 0), 0);
    int sends = 0;
    for (int i = 0; i < 20; ++i) {
        sends += transport_.ResendDue();
        clock_.Advance(UpdateTransport::kResendMs);
    }
    EXPECT_EQ(sends, static_cast<int>(UpdateTransport::kMaxSends));
    EXPECT_TRUE(transport_.SendQueueEmpty());
}

TEST_F(UpdateTransportTest, ReceivedDatagramsAreCheckedKeptAndAcknowledged) {
    auto control = [](uint32_t seq, uint8_t flags) {
        auto d = ud::EncodeControl(ud::kAllSent, 0);
        d[4] = static_cast<uint8_t>(seq);
        d[8] = flags;
        return d;
    };
    struct Case {
        const char* label;
        std::vector<uint8_t> datagram;
        bool fromStranger;
        bool kept;
        bool acknowledged;
    };
    auto lying = control(3, 0);
    lying[2] = 21;
    auto noMarker = control(4, 0);
    noMarker[0] = 2;
    const Case cases[] = {
        {"plain", control(1, 0), false, true, true},
        {"do not acknowledge", control(2, ud::kNoAck), false, true, false},
        {"length word differs", lying, false, false, false},
        {"no marker", noMarker, false, false, false},
        {"shorter than a header", std::vector<uint8_t>(11, 1), false, false, false},
        {"empty", {}, false, false, false},
        {"from a stranger", control(5, 0), true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        (c.fromStranger ? stranger_ : server_).SendTo(c.datagram, self_);
        Settle();
        UpdateTransport::Received* got = transport_.TakeReceived();
        EXPECT_EQ(got != nullptr, c.kept);
        if (got) {
            EXPECT_EQ(got->datagram, c.datagram);
        }
        delete got;
        const auto ack = (c.fromStranger ? stranger_ : server_).Next();
        EXPECT_EQ(ack.has_value(), c.acknowledged);
        if (ack) {
            const auto header = ud::DecodeHeader(ack->data(), ack->size());
            ASSERT_TRUE(header);
            EXPECT_EQ(header->type, ud::Ack);
            EXPECT_EQ(header->length, 12);
            EXPECT_EQ(header->sequence, SequenceOf(c.datagram));
            EXPECT_EQ(header->flags, ud::kNoAck);
        }
    }
}

TEST_F(UpdateTransportTest, AServerThatCannotBeFoundMakesOpenFail) {
    UpdateTransport other;
    EXPECT_EQ(other.Open(0, 1, ""), 0);
    EXPECT_NE(other.lastError, 0u);
    EXPECT_FALSE(other.MainSocket().IsOpen());
}

} // namespace
