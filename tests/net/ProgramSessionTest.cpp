#include "NetStation.h"

#include "Program/BattleStageFixture.h"
#include "Program/MainWindow.h"
#include "Program/SceneMachine.h"
#include "engine/ByteReader.h"
#include "net/NetHooks.h"
#include "net/room/NetSession.h"
#include "net/room/TcpLink.h"

#include <gtest/gtest.h>

using namespace nettest;

// The program's own session, reached the way the game reaches it: the main window's socket
// messages, the calendar's day command and the battle's world update.
TEST(ProgramSession, RunsThroughTheMainWindowAndTheBattleUpdate) {
    platform::SetLoopbackOnly(true);
    battletest::BattleStage world;
    world.Network(true, 3);
    TheScreenSettings->day = 1;
    platform::ResetMessageQueue();
    AppWindow.window = platform::AllocateWindowHandle();
    const uint16_t port = FreePort();
    NetSession& session = ProgramNetSession();
    session.config = NetConfig{port, "127.0.0.1", "127.0.0.1"};
    ASSERT_TRUE(session.NetSessionStart(true, "Ann"));
    auto pump = [] {
        platform::MSG msg;
        while (platform::PeekMessage(&msg, AppWindow.window, 0, 0, platform::PM_REMOVE)) {
            if (msg.message == 200) TcpLink::Accept(msg.hwnd, msg.message, msg.wParam, msg.lParam);
            if (msg.message == 201) TcpLink::OnSocketEvent(msg.hwnd, msg.message, msg.wParam, msg.lParam);
        }
    };
    FakePeer bo;
    ASSERT_TRUE(bo.Connect("127.0.0.2", "127.0.0.1", port));
    std::vector<uint8_t> join(128, 0);
    join[0] = 'B';
    NetPacketView v;
    std::vector<uint8_t> frame;
    bool joined = false;
    for (int i = 0; i < 200 && !joined; ++i) {
        pump();
        if (i == 0 || i == 100) bo.WriteFrame(1, 1, 0, join);
        joined = bo.ReadFrame(frame, 20) && ParseNetPacket(frame.data(), frame.size(), v) && v.type == 2;
    }
    ASSERT_TRUE(joined);
    EXPECT_EQ(ProgramNetSession().NetPeerCount(), 2);
    EXPECT_EQ(playerslot::Id(TheGameController->players[1].bytes), 2u);

    // The calendar's day: applied on the host at once, sent to the peer with the frame's network
    // upkeep (the world update runs it once a stage is current).
    NetCmdAdvanceDay();
    EXPECT_EQ(TheScreenSettings->day, 2);
    RunNetworkFrameHooks();
    bool sent = false;
    while (!sent && bo.ReadFrame(frame, 2000)) {
        ASSERT_TRUE(ParseNetPacket(frame.data(), frame.size(), v));
        sent = v.channel == 2 && v.type == 80;
    }
    ASSERT_TRUE(sent);
    EXPECT_EQ(v.sequence, 1u);
    EXPECT_EQ(TheGameController->isHost, 1);

    // The front end's network scene flushes the peers' queues while the session runs.
    EXPECT_EQ(NetQueueFlushFlag(), 1);
    const uint8_t note[16] = {7};
    {
        NetSession::Lock lock(session);
        session.QueueToPeer(2, netpacket::kChannelRoom, 24, note, sizeof note);
    }
    SetFrontEndServices(nullptr);
    TheGameController->scene = static_cast<int8_t>(200);
    TheGameController->RunFrontEnd();
    bool flushed = false;
    while (!flushed && bo.ReadFrame(frame, 2000)) {
        ASSERT_TRUE(ParseNetPacket(frame.data(), frame.size(), v));
        flushed = v.channel == netpacket::kChannelRoom && v.type == 24;
    }
    EXPECT_TRUE(flushed);

    CloseTcpSession();
    EXPECT_EQ(NetQueueFlushFlag(), 0);
    EXPECT_TRUE(bo.SeesClose(3000));
    EXPECT_EQ(session.sessionActive, 0);
    AppWindow.window = nullptr;
    platform::ResetMessageQueue();
    platform::SetLoopbackOnly(false);
}
