#include "NetStation.h"

#include "net/room/NetEventBox.h"
#include "net/room/NetPacket.h"
#include "net/room/NetQueue.h"
#include "net/room/PacketAssembler.h"

#include <gtest/gtest.h>

using namespace nettest;

namespace {

std::vector<uint8_t> Header(uint8_t magic, int32_t total) {
    std::vector<uint8_t> h(16, 0);
    h[0] = magic;
    for (int i = 0; i < 4; ++i)
        h[4 + i] = static_cast<uint8_t>(static_cast<uint32_t>(total) >> (8 * i));
    h[12] = 2;
    return h;
}

} // namespace

TEST(PacketAssembler, TakesOneFrameAtATimeAndRefusesBadHeaders) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        PacketAssembler::State state;
        size_t taken; // bytes the assembler took
    };
    const std::vector<uint8_t> a = Frame(2, 7, 9, {1, 2, 3});
    std::vector<uint8_t> two = a;
    const std::vector<uint8_t> b = Frame(1, 4, 0, {4});
    two.insert(two.end(), b.begin(), b.end());
    const std::vector<uint8_t> biggest = Frame(2, 1, 1, std::vector<uint8_t>(16384, 7));
    const Case cases[] = {
        {"one frame", a, PacketAssembler::State::Complete, a.size()},
        {"two frames: only the first", two, PacketAssembler::State::Complete, a.size()},
        {"header only", Frame(2, 64, 1, {}), PacketAssembler::State::Complete, 16},
        {"largest frame", biggest, PacketAssembler::State::Complete, biggest.size()},
        {"half a header", std::vector<uint8_t>(a.begin(), a.begin() + 9), PacketAssembler::State::Gathering,
         9},
        {"bad magic", Header(0xCD, 20), PacketAssembler::State::Broken, 16},
        {"length 15", Header(0xCC, 15), PacketAssembler::State::Broken, 16},
        {"length 16401", Header(0xCC, 16401), PacketAssembler::State::Broken, 16},
        {"negative length", Header(0xCC, -20), PacketAssembler::State::Broken, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PacketAssembler whole;
        EXPECT_EQ(whole.Feed(c.bytes.data(), c.bytes.size()), c.taken);
        EXPECT_EQ(whole.state(), c.state);
        // Byte by byte gives the same result.
        PacketAssembler split;
        for (uint8_t byte : c.bytes)
            split.Feed(&byte, 1);
        EXPECT_EQ(split.state(), c.state);
        if (c.state == PacketAssembler::State::Complete) {
            NetPacketView view;
            ASSERT_TRUE(ParseNetPacket(split.Frame(), split.FrameSize(), view));
            EXPECT_EQ(view.total, static_cast<int32_t>(c.taken));
            EXPECT_EQ(std::vector<uint8_t>(split.Frame(), split.Frame() + split.FrameSize()),
                      std::vector<uint8_t>(c.bytes.begin(), c.bytes.begin() + static_cast<long>(c.taken)));
        }
    }
    // The second frame of a stream follows once the first is taken.
    PacketAssembler stream;
    size_t used = stream.Feed(two.data(), two.size());
    stream.Next();
    used += stream.Feed(two.data() + used, two.size() - used);
    EXPECT_EQ(used, two.size());
    NetPacketView view;
    ASSERT_TRUE(ParseNetPacket(stream.Frame(), stream.FrameSize(), view));
    EXPECT_EQ(view.channel, 1);
    EXPECT_EQ(view.type, 4);
    EXPECT_EQ(view.payloadSize, 1u);
}

TEST(NetQueue, KeepsTheLatestPeerRecordAndAcknowledgesOnlyWhatWentOut) {
    NetQueue q;
    uint32_t counter = 1;
    std::vector<uint8_t> slotA(148, 0), slotA2(148, 0), empty1(148, 0), empty2(148, 0);
    slotA[0] = slotA2[0] = 5;
    slotA2[4] = 'x';
    empty2[132] = 7;
    q.Queue(counter, 1, 4, slotA.data(), slotA.size());
    q.Queue(counter, 2, 1, slotA.data(), 12);
    q.Queue(counter, 1, 4, slotA2.data(), slotA2.size()); // same player: replaces in place
    q.Queue(counter, 1, 4, empty1.data(), empty1.size());
    q.Queue(counter, 1, 4, empty2.data(), empty2.size()); // empty slots share peer id 0
    q.Queue(counter, 2, 1, slotA.data(), 12);
    ASSERT_EQ(q.size(), 4u);
    auto it = q.entries().begin();
    EXPECT_EQ(it->data, slotA2);
    EXPECT_EQ((++it)->sequence, 1u);
    EXPECT_EQ((++it)->data, empty2);
    EXPECT_EQ((++it)->sequence, 2u);
    EXPECT_EQ(counter, 3u);

    // Only sent entries are completed by an acknowledgement, whatever their number.
    for (auto& e : q.entries())
        if (e.mode == 2) e.state = 0;
    q.AckUpTo(1);
    q.Purge();
    ASSERT_EQ(q.size(), 3u);
    EXPECT_EQ(q.entries().front().state, -1); // the unsent slot record stays
    q.MarkResend(2);
    EXPECT_EQ(q.entries().back().state, -2);
    q.MarkResend(1); // already freed: nothing
    EXPECT_EQ(q.size(), 3u);
}

TEST(NetQueue, RefusesEntriesPastItsLimit) {
    NetQueue q;
    uint32_t counter = 1;
    const uint8_t payload[4] = {};
    for (size_t i = 0; i < NetQueue::kLimit; ++i)
        ASSERT_TRUE(q.Queue(counter, 2, 1, payload, 4));
    EXPECT_FALSE(q.Queue(counter, 2, 1, payload, 4));
    EXPECT_EQ(q.size(), NetQueue::kLimit);
}

TEST(NetEventBox, HandsEventsOutByKeyInOrderAndDropsWhenFull) {
    NetEventBox box;
    EXPECT_TRUE(box.Post(1, 20, 7));
    EXPECT_TRUE(box.Post(2, 21, 8));
    EXPECT_TRUE(box.Post(1, 22, 9));
    uint32_t id = 0, value = 0;
    EXPECT_FALSE(box.Take(3, id, value));
    ASSERT_TRUE(box.Take(1, id, value));
    EXPECT_EQ(id, 20u);
    EXPECT_EQ(value, 7u);
    ASSERT_TRUE(box.Take(1, id, value));
    EXPECT_EQ(id, 22u);
    EXPECT_FALSE(box.Take(1, id, value));
    for (size_t i = 1; i < NetEventBox::kSlots; ++i)
        EXPECT_TRUE(box.Post(5, static_cast<uint32_t>(i), 0));
    EXPECT_FALSE(box.Post(5, 999, 0));
    EXPECT_EQ(box.Dropped(), 1u);
    box.Clear();
    EXPECT_FALSE(box.Take(2, id, value));
}

TEST(NetPeerRecord, TravelsWithoutLocalFieldsAndCutsItsTexts) {
    NetPeer peer;
    peer.address.sin_family = platform::AF_INET;
    peer.address.sin_port = platform::htons(12496);
    peer.address.sin_addr.s_addr = platform::inet_addr("127.0.0.3");
    peer.socket = 0x1234;
    CopyText(peer.name, sizeof peer.name, "Cy");
    CopyText(peer.ip, sizeof peer.ip, "127.0.0.3");
    peer.id = 3;
    peer.frameTime = 4321;
    std::vector<uint8_t> bytes = EncodeNetPeer(peer);
    ASSERT_EQ(bytes.size(), 340u);
    EXPECT_EQ(bytes[0], 2);
    EXPECT_EQ(bytes[2], 12496 >> 8); // port in network order
    EXPECT_EQ(bytes[4], 127);
    EXPECT_EQ(bytes[16], 0); // the host's socket stays home
    EXPECT_EQ(bytes[180], 3);
    auto back = DecodeNetPeer(bytes.data(), bytes.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->address.sin_addr.s_addr, peer.address.sin_addr.s_addr);
    EXPECT_EQ(back->address.sin_port, peer.address.sin_port);
    EXPECT_STREQ(back->name, "Cy");
    EXPECT_EQ(back->frameTime, 4321u);

    std::fill(bytes.begin() + 20, bytes.begin() + 180, 'A'); // no terminators at all
    back = DecodeNetPeer(bytes.data(), bytes.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(std::strlen(back->name), 127u);
    EXPECT_EQ(std::strlen(back->ip), 31u);
    EXPECT_FALSE(DecodeNetPeer(bytes.data(), 339));
}
