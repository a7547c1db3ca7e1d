#include "NetStation.h"

#include "net/room/NetTexts.h"
#include "platform/Sockets.h"

#include <gtest/gtest.h>

#include <future>
#include <pthread.h>
#include <time.h>

using namespace nettest;

namespace {

// What a station holds, read on its own thread under the mutex.
struct View {
    uint32_t ownId = 0;
    int8_t ownSlot = -1;
    bool host = false;
    bool monitoring = false;
    int peers = 0;
    std::vector<uint32_t> slotIds;
    std::vector<std::string> slotNames;
    std::vector<std::vector<uint8_t>> applied;
    int days = 0;
    size_t ordersQueued = 0; // test orders still waiting in the host's queues
    std::vector<std::pair<std::string, int>> chat;
};

View Look(Station& s) {
    return s.Do([&s] {
        NetSession::Lock lock(s.session);
        View v;
        v.ownId = s.session.ownId;
        v.ownSlot = s.side.ownSlot;
        v.host = s.session.hostFlag != 0;
        v.monitoring = s.session.monitoring != 0;
        v.peers = s.session.NetPeerCount();
        for (int i = 0; i < 20; ++i) {
            v.slotIds.push_back(playerslot::Id(s.side.slots[i]));
            v.slotNames.emplace_back(reinterpret_cast<const char*>(s.side.slots[i] + 4));
        }
        v.applied = s.side.applied;
        v.days = s.side.days;
        for (NetPeer& p : s.session.peers)
            for (const NetQueueEntry& e : p.queue.entries())
                v.ordersQueued += e.type == kOrder;
        v.chat = s.side.chat;
        return v;
    });
}

void Enter(Station& s, uint8_t code, const std::vector<uint8_t>& payload) {
    s.Do([&] {
        s.session.EnterGameCommand(code, payload.data(), payload.size(), [&] {
            std::vector<uint8_t> entry{code};
            entry.insert(entry.end(), payload.begin(), payload.end());
            s.side.applied.push_back(entry);
        });
    });
}

std::vector<uint8_t> Applied(uint8_t code, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> entry{code};
    entry.insert(entry.end(), payload.begin(), payload.end());
    return entry;
}

std::vector<uint8_t> TwoWords(uint32_t a, uint32_t b) {
    std::vector<uint8_t> p = U32(a);
    const std::vector<uint8_t> second = U32(b);
    p.insert(p.end(), second.begin(), second.end());
    return p;
}

std::vector<uint8_t> JoinPayload(const char* name) {
    std::vector<uint8_t> p(128, 0);
    std::copy(name, name + std::strlen(name), p.begin());
    return p;
}

// A host on 127.0.0.1 and two clients on 127.0.0.2 and .3, joined.
class Room : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetLoopbackOnly(true);
        platform::SetConnectLimit(3000);
        port = FreePort();
        host = std::make_unique<Station>("127.0.0.1", "127.0.0.1", port);
        bo = std::make_unique<Station>("127.0.0.2", "127.0.0.1", port);
        cy = std::make_unique<Station>("127.0.0.3", "127.0.0.1", port);
        ASSERT_TRUE(host->Do([&] { return host->session.NetSessionStart(true, "Ann"); }));
        ASSERT_TRUE(bo->Do([&] { return bo->session.NetSessionStart(false, "Bo"); }));
        ASSERT_TRUE(cy->Do([&] { return cy->session.NetSessionStart(false, "Cy"); }));
        ASSERT_TRUE(RunUntil(All(), [&] { return Joined(*bo) && Joined(*cy); }));
    }
    void TearDown() override {
        cy.reset();
        bo.reset();
        host.reset();
        platform::SetLoopbackOnly(false);
    }
    std::vector<Station*> All() { return {host.get(), bo.get(), cy.get()}; }
    bool Joined(Station& s) {
        const View v = Look(s);
        return v.peers == 3 && v.slotIds[2] == 3;
    }
    bool AllApplied(size_t n) {
        for (Station* s : All())
            if (Look(*s).applied.size() < n) return false;
        return true;
    }

    uint16_t port = 0;
    std::unique_ptr<Station> host, bo, cy;
};

} // namespace

TEST_F(Room, JoinGivesTheSameIdsAndSlotsEverywhere) {
    const View h = Look(*host), b = Look(*bo), c = Look(*cy);
    EXPECT_EQ(h.ownId, 1u);
    EXPECT_EQ(b.ownId, 2u);
    EXPECT_EQ(c.ownId, 3u);
    EXPECT_EQ(h.ownSlot, 0);
    EXPECT_EQ(b.ownSlot, 1);
    EXPECT_EQ(c.ownSlot, 2);
    for (const View* v : {&h, &b, &c}) {
        EXPECT_EQ(v->peers, 3);
        EXPECT_EQ(std::vector<uint32_t>(v->slotIds.begin(), v->slotIds.begin() + 4),
                  (std::vector<uint32_t>{1, 2, 3, 0}));
        EXPECT_EQ(std::vector<std::string>(v->slotNames.begin(), v->slotNames.begin() + 3),
                  (std::vector<std::string>{"Ann", "Bo", "Cy"}));
    }
    const std::string peerOfCy = cy->Do([&] { return std::string(cy->session.NetPeerName(2)); });
    EXPECT_EQ(peerOfCy, "Bo");
}

TEST_F(Room, CommandsApplyOnTheHostAndArriveEverywhereInOneOrder) {
    const auto fromBo = OrderPayload(2, 10, 20), fromCy = OrderPayload(3, 11, 21),
               fromHost = OrderPayload(1, 12, 22);
    Enter(*bo, kOrder, fromBo);
    EXPECT_TRUE(Look(*bo).applied.empty()) << "a client waits for the host's copy";
    Enter(*cy, kOrder, fromCy);
    Enter(*host, kOrder, fromHost);
    EXPECT_EQ(Look(*host).applied, (std::vector<std::vector<uint8_t>>{Applied(kOrder, fromHost)}));
    ASSERT_TRUE(RunUntil(All(), [&] { return AllApplied(3); }));
    const View h = Look(*host);
    ASSERT_EQ(h.applied.size(), 3u);
    EXPECT_EQ(h.applied[0], Applied(kOrder, fromHost));
    EXPECT_EQ(Look(*bo).applied, h.applied);
    EXPECT_EQ(Look(*cy).applied, h.applied);
    // The clients acknowledge; the host's queues empty.
    EXPECT_TRUE(RunUntil(All(), [&] { return Look(*host).ordersQueued == 0; }));
    // A day passes on the host and follows on every client.
    host->Do([&] { host->session.NetCmdAdvanceDay(); });
    bo->Do([&] { bo->session.NetCmdAdvanceDay(); }); // a client never advances on its own
    EXPECT_TRUE(RunUntil(All(), [&] { return Look(*bo).days == 1 && Look(*cy).days == 1; }));
    EXPECT_EQ(Look(*host).days, 1);
}

TEST_F(Room, LeaveCompactsTheSlotsEverywhere) {
    bo->Do([&] { bo->session.CloseTcpSession(); });
    ASSERT_TRUE(
        RunUntil({host.get(), cy.get()}, [&] { return Look(*cy).peers == 2 && !Look(*cy).chat.empty(); }));
    for (Station* s : {host.get(), cy.get()}) {
        const View v = Look(*s);
        EXPECT_EQ(v.peers, 2);
        EXPECT_EQ(std::vector<uint32_t>(v.slotIds.begin(), v.slotIds.begin() + 3),
                  (std::vector<uint32_t>{1, 3, 0}));
    }
    EXPECT_EQ(Look(*cy).ownSlot, 1);
    const std::string line = std::string(nettext::kPublic) + "< Bo" + nettext::kLeft;
    EXPECT_EQ(Look(*cy).chat, (std::vector<std::pair<std::string, int>>{{line, 3}}));
}

TEST_F(Room, ALeaveSpeaksOnlyForItsOwnConnection) {
    FakePeer di;
    ASSERT_TRUE(di.Connect("127.0.0.4", "127.0.0.1", port));
    di.WriteFrame(1, 1, 0, JoinPayload("Di"));
    ASSERT_TRUE(RunUntil(All(), [&] { return Look(*cy).peers == 4; }));
    di.WriteFrame(1, 6, 0, U32(2)); // names Bo
    std::vector<uint8_t> frame;
    NetPacketView v;
    bool answered = false;
    while (!answered && di.ReadFrame(frame, 3000)) {
        ASSERT_TRUE(ParseNetPacket(frame.data(), frame.size(), v));
        answered = v.channel == 1 && v.type == 6;
    }
    ASSERT_TRUE(answered);
    EXPECT_EQ(v.payload[0], 4) << "the leave is Di's own";
    ASSERT_TRUE(RunUntil(All(), [&] { return Look(*cy).peers == 3; }));
    for (Station* s : All()) {
        const View view = Look(*s);
        EXPECT_EQ(view.peers, 3);
        EXPECT_EQ(std::vector<uint32_t>(view.slotIds.begin(), view.slotIds.begin() + 4),
                  (std::vector<uint32_t>{1, 2, 3, 0}));
    }
}

TEST_F(Room, APlayerGoneWithoutGoodbyeLeavesNoGhost) {
    bo->Do([&] {
        // As a crash would: the connection ends, nothing is said.
        bo->session.NetStopThread();
        platform::closesocket(bo->session.linkSocket);
        bo->session.linkSocket = 0;
    });
    ASSERT_TRUE(
        RunUntil({host.get(), cy.get()}, [&] { return Look(*cy).peers == 2 && !Look(*host).chat.empty(); }));
    for (Station* s : {host.get(), cy.get()}) {
        const View v = Look(*s);
        EXPECT_EQ(v.peers, 2);
        EXPECT_EQ(std::vector<uint32_t>(v.slotIds.begin(), v.slotIds.begin() + 3),
                  (std::vector<uint32_t>{1, 3, 0}));
    }
    const std::string line = std::string(nettext::kPublic) + "< Bo" + nettext::kLeft;
    EXPECT_EQ(Look(*host).chat, (std::vector<std::pair<std::string, int>>{{line, 3}}));
}

TEST_F(Room, LosingTheHostHandsOverToTheSmallestIdAndTheStreamGoesOn) {
    // The stations time their first 200 frames and the host starts monitoring.
    ASSERT_TRUE(RunUntil(All(), [&] { return Look(*bo).monitoring && Look(*cy).monitoring; }));
    host->Do([&] { host->session.CloseTcpSession(); });
    const std::vector<Station*> rest{bo.get(), cy.get()};
    ASSERT_TRUE(RunUntil(rest, [&] { return Look(*bo).host; }));
    // Cy re-attaches to Bo; the stream continues with fresh numbering.
    const auto order = OrderPayload(3, 1, 1);
    Enter(*cy, kOrder, order);
    ASSERT_TRUE(
        RunUntil(rest, [&] { return Look(*cy).applied.size() == 1 && Look(*bo).applied.size() == 1; }));
    EXPECT_EQ(Look(*cy).applied[0], Applied(kOrder, order));
    for (Station* s : rest) {
        const View v = Look(*s);
        EXPECT_EQ(v.peers, 2);
        EXPECT_EQ(std::vector<uint32_t>(v.slotIds.begin(), v.slotIds.begin() + 3),
                  (std::vector<uint32_t>{2, 3, 0}));
    }
    const View c = Look(*cy);
    EXPECT_FALSE(c.host);
    const std::string unreachable = std::string(nettext::kPublic) + nettext::kHostUnreachable;
    const std::string handedOver =
        std::string(nettext::kPublic) + nettext::kHostGone + "Bo" + nettext::kBecameHost;
    // Whether the unreachable line shows depends on where in its 101-frame cycle the host went.
    EXPECT_LE(std::count(c.chat.begin(), c.chat.end(), std::make_pair(unreachable, 3)), 1);
    EXPECT_EQ(std::count(c.chat.begin(), c.chat.end(), std::make_pair(handedOver, 3)), 1);
    // The new host's day reaches the remaining client.
    bo->Do([&] { bo->session.NetCmdAdvanceDay(); });
    EXPECT_TRUE(RunUntil(rest, [&] { return Look(*cy).days == 1; }));
}

TEST_F(Room, AnIdleSessionSleeps) {
    for (Station* s : All())
        s->Pause(true);
    auto cpu = [&] {
        double total = 0;
        for (Station* s : All()) {
            clockid_t id;
            pthread_getcpuclockid(s->session.thread.native_handle(), &id);
            timespec t{};
            clock_gettime(id, &t);
            total += t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
        }
        return total;
    };
    const double before = cpu();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const double used = cpu() - before;
    for (Station* s : All())
        s->Pause(false);
    EXPECT_LT(used, 25.0) << "the receive threads spent " << used << " ms of 1500";
}

// Malformed payloads and codes a client may not send, each followed by a valid marker command: when
// the marker has arrived everywhere, the bad one had its turn and changed nothing.
TEST_F(Room, MalformedCommandsChangeNothingAndAreNotRelayed) {
    FakePeer fake;
    ASSERT_TRUE(fake.Connect("127.0.0.4", "127.0.0.1", port));
    fake.WriteFrame(1, 1, 0, JoinPayload("Di"));
    ASSERT_TRUE(RunUntil(All(), [&] {
        for (Station* s : All())
            if (Look(*s).peers != 4 || Look(*s).slotIds[3] != 4) return false;
        return true;
    }));
    const View baseline = Look(*bo);
    std::vector<uint8_t> foreignSlot(148, 0), badIndex(148, 0);
    foreignSlot[0] = 1; // the host's slot
    foreignSlot[4] = 'X';
    badIndex[0] = 4;
    badIndex[132] = 20;
    struct Case {
        const char* name;
        uint8_t channel, type;
        std::vector<uint8_t> payload;
    };
    const Case cases[] = {
        {"order one byte short", 2, kOrder, std::vector<uint8_t>(11, 1)},
        {"order one byte long", 2, kOrder, std::vector<uint8_t>(13, 1)},
        {"day from a client", 2, 80, {}},
        {"host-only code from a client", 2, kHostOnly, U32(7)},
        {"heartbeat from a client", 2, 64, {}},
        {"time report of 0 ms", 2, 65, TwoWords(1, 0)},
        {"code 0", 2, 0, {}},
        {"code 81", 2, 81, {}},
        {"code nobody handles", 2, 40, U32(1)},
        {"slot of another player", 1, 4, foreignSlot},
        {"slot index 20", 1, 4, badIndex},
        {"slot one byte short", 1, 4, std::vector<uint8_t>(147, 0)},
        {"peer record to the host", 1, 5, std::vector<uint8_t>(340, 1)},
        {"join reply to the host", 1, 2, TwoWords(1, 0)},
        {"resend of a number never sent", 1, 12, U32(77)},
        {"acknowledgement of a number never sent", 1, 8, U32(99)},
        {"re-attach as another player", 1, 10, U32(2)},
        {"unknown channel", 0x21, 1, OrderPayload(1, 2, 3)},
        {"room message nobody handles", 0x20, 17, std::vector<uint8_t>(148, 0)},
    };
    uint32_t sequence = 1;
    std::vector<std::vector<uint8_t>> markers;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fake.WriteFrame(c.channel, c.type, c.channel == 2 ? sequence++ : 0, c.payload);
        const auto marker = OrderPayload(4, static_cast<uint32_t>(markers.size()), 0);
        fake.WriteFrame(2, kOrder, sequence++, marker);
        markers.push_back(Applied(kOrder, marker));
        ASSERT_TRUE(RunUntil(All(), [&] { return AllApplied(markers.size()); }));
        for (Station* s : All()) {
            const View v = Look(*s);
            EXPECT_EQ(v.applied, markers);
            EXPECT_EQ(v.peers, 4);
            EXPECT_EQ(v.slotIds, baseline.slotIds);
            EXPECT_EQ(v.slotNames, baseline.slotNames);
            EXPECT_EQ(v.days, 0);
            EXPECT_TRUE(v.host == (s == host.get()));
        }
    }
}

// Broken streams close only their own connection; a stalled half header holds nobody up.
TEST_F(Room, BrokenStreamsCloseOnlyTheirConnection) {
    FakePeer stalled;
    ASSERT_TRUE(stalled.Connect("127.0.0.5", "127.0.0.1", port));
    stalled.Write(std::vector<uint8_t>{0xCC, 0, 0, 0, 40, 0, 0, 0, 1, 0});
    const std::vector<uint8_t> valid = Frame(1, 8, 0, U32(0));
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<uint8_t> badMagic = valid;
    badMagic[0] = 0xCD;
    std::vector<uint8_t> shortLength = valid, hugeLength = valid, negative = valid;
    shortLength[4] = 15;
    hugeLength[4] = 0x11;
    hugeLength[5] = 0x40; // 16401
    negative[7] = 0xFF;
    const Case cases[] = {{"bad magic", badMagic},
                          {"length 15", shortLength},
                          {"length 16401", hugeLength},
                          {"negative length", negative}};
    size_t expected = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePeer fake;
        ASSERT_TRUE(fake.Connect("127.0.0.4", "127.0.0.1", port));
        fake.Write(c.bytes);
        fake.Write(valid);
        bool closed = false;
        ASSERT_TRUE(RunUntil(All(), [&] { return closed || (closed = fake.SeesClose(5)); }));
        // The room still works.
        const auto order = OrderPayload(2, static_cast<uint32_t>(expected), 0);
        Enter(*bo, kOrder, order);
        ++expected;
        ASSERT_TRUE(RunUntil(All(), [&] { return AllApplied(expected); }));
        EXPECT_EQ(Look(*host).peers, 3);
    }
    // A join written one byte per frame is still understood.
    FakePeer slow;
    ASSERT_TRUE(slow.Connect("127.0.0.6", "127.0.0.1", port));
    for (uint8_t byte : Frame(1, 1, 0, JoinPayload("Ed"))) {
        slow.Write({byte});
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::vector<uint8_t> reply;
    ASSERT_TRUE(slow.ReadFrame(reply, 3000));
    NetPacketView view;
    ASSERT_TRUE(ParseNetPacket(reply.data(), reply.size(), view));
    EXPECT_EQ(view.type, 2);
    EXPECT_EQ(view.payload[0], 4); // the next join number
    EXPECT_EQ(view.payload[4], 3); // the next slot
}
