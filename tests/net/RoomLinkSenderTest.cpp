// The room link names every room message and notice by the peer id of the connection it came on,
// whatever the bytes claim; a connection that never joined is heard by nobody.
#include "NetStation.h"
#include "net/room/RoomLink.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

namespace {

using namespace nettest;

struct Heard {
    std::mutex lock;
    std::vector<std::pair<uint32_t, uint8_t>> room;   // from, type
    std::vector<std::pair<uint8_t, uint32_t>> notice; // type, peer
    bool HasNotice(uint8_t type, uint32_t peer) {
        std::lock_guard g(lock);
        for (const auto& n : notice)
            if (n.first == type && n.second == peer) return true;
        return false;
    }
    bool NoticeOfType(uint8_t type) {
        std::lock_guard g(lock);
        for (const auto& n : notice)
            if (n.first == type) return true;
        return false;
    }
};

// The 128-byte join request of channel 1.
std::vector<uint8_t> JoinRequest(const char* name) {
    std::vector<uint8_t> p(128, 0);
    for (size_t i = 0; name[i] && i < 127; ++i)
        p[i] = uint8_t(name[i]);
    return p;
}

bool WaitFor(const std::function<bool()>& f) {
    for (int n = 0; n < 3000; ++n) {
        if (f()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return f();
}

class RoomLinkSenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        port = FreePort();
        host = std::make_unique<Station>("127.0.0.1", "127.0.0.1", port);
        host->side.inBattle = false;
        link = std::make_unique<RoomLink>(
            host->session,
            [this](uint32_t from, uint8_t type, const uint8_t*, size_t) {
                std::lock_guard g(heard.lock);
                heard.room.emplace_back(from, type);
            },
            [this](uint8_t type, uint32_t peer) {
                std::lock_guard g(heard.lock);
                heard.notice.emplace_back(type, peer);
            });
        ASSERT_TRUE(host->Do([&] { return link->Start(true, "127.0.0.1", "HOST"); }));
    }
    void TearDown() override {
        host->Do([&] { link.reset(); });
        host.reset();
    }
    // A hand-written client that joined: it is peer 2 in slot 1.
    void Join(FakePeer& peer, const char* own, const char* name) {
        ASSERT_TRUE(peer.Connect(own, "127.0.0.1", port));
        peer.WriteFrame(1, 1, 0, JoinRequest(name));
        std::vector<uint8_t> frame;
        ASSERT_TRUE(peer.ReadFrame(frame, 3000)); // the join answer
        ASSERT_EQ(frame[13], 2);
    }

    uint16_t port = 0;
    std::unique_ptr<Station> host;
    std::unique_ptr<RoomLink> link;
    Heard heard;
};

TEST_F(RoomLinkSenderTest, NoticesAndRoomMessagesCarryTheSendersOwnId) {
    FakePeer stranger;
    ASSERT_TRUE(stranger.Connect("127.0.0.3", "127.0.0.1", port));
    FakePeer guest;
    Join(guest, "127.0.0.2", "GUEST");
    ASSERT_TRUE(WaitFor([&] { return heard.HasNotice(1, 2); }));
    // The peer table put the guest into slot 1 under its id and name.
    EXPECT_EQ(playerslot::Id(host->side.slots[1]), 2u);
    EXPECT_STREQ(reinterpret_cast<const char*>(host->side.slots[1] + 4), "GUEST");
    EXPECT_EQ(playerslot::Index(host->side.slots[1]), 1);
    EXPECT_EQ(host->Do([&] { return link->PeerCount(); }), 2);

    // A connection that never joined speaks to nobody.
    stranger.WriteFrame(0x20, 24, 0, std::vector<uint8_t>(68, 0));
    stranger.WriteFrame(1, 16, 0, U32(2));
    // The guest claims to be the host in the payload: it is still peer 2; and it cannot close the room.
    guest.WriteFrame(0x20, 20, 0, std::vector<uint8_t>(16, 0));
    guest.WriteFrame(1, 16, 0, U32(1));
    guest.WriteFrame(1, 17, 0, U32(1));
    ASSERT_TRUE(WaitFor([&] { return heard.HasNotice(16, 2); }));
    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard g(heard.lock);
        return !heard.room.empty();
    }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::lock_guard g(heard.lock);
    ASSERT_EQ(heard.room.size(), 1u);
    EXPECT_EQ(heard.room[0], std::make_pair(2u, uint8_t(20)));
    for (const auto& n : heard.notice) {
        EXPECT_NE(n.first, 17) << "a client closed the host's room";
        if (n.first == 16) EXPECT_EQ(n.second, 2u);
    }
}

TEST_F(RoomLinkSenderTest, AGuestGoneWithoutGoodbyeFreesItsSlotAndChangesTheRoom) {
    FakePeer guest;
    Join(guest, "127.0.0.2", "GUEST");
    ASSERT_TRUE(WaitFor([&] { return playerslot::Id(host->side.slots[1]) == 2; }));
    host->Do([&] { return link->Flush(); });
    {
        std::lock_guard g(heard.lock);
        heard.notice.clear();
    }
    guest.Close();
    ASSERT_TRUE(WaitFor([&] {
        host->Do([&] { return link->Flush(); });
        return heard.NoticeOfType(6);
    }));
    EXPECT_EQ(playerslot::Id(host->side.slots[1]), 0u);
    EXPECT_EQ(host->Do([&] { return link->PeerCount(); }), 1);
}

TEST_F(RoomLinkSenderTest, ARoomMessageToTheGuestArrivesOnChannel0x20) {
    FakePeer guest;
    Join(guest, "127.0.0.2", "GUEST");
    const std::vector<uint8_t> word = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 21, 0, 0, 0};
    host->Do([&] { link->SendToPeer(2, 20, word.data(), word.size()); });
    std::vector<uint8_t> frame;
    bool found = false;
    for (int n = 0; n < 50 && !found && guest.ReadFrame(frame, 2000); ++n)
        found = frame[12] == 0x20 && frame[13] == 20 &&
                std::vector<uint8_t>(frame.begin() + 16, frame.end()) == word;
    EXPECT_TRUE(found);
}

} // namespace
