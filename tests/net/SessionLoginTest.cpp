// Logging in through a lobby server: each answer of the server leads to its state and message.
#include "LobbyLayouts.h"
#include "LobbyTestServer.h"
#include "Program/ScreenTestSupport.h"
#include "Program/Startup.h"
#include "net/MultiCast.h"
#include "net/Zu_LocalSet.h"
#include "net/lobby/LobbyTexts.h"
#include "net/lobby/LobbyWindows.h"
#include "platform/Time.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace {

class SessionLoginTest : public screentest::ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        lobbyfixture::WriteLobbyLayouts();
        clock = std::make_unique<platform::ManualClock>(5000000);
        NetworkLaunchFlag = 0;
        ASSERT_TRUE(server.Open());
        server.loginCodes = {{"good", 8}, {"badpw", 9}, {"inuse", 13}, {"oldver", 14}};
        LobbyEndpoints& e = c->lobbyLink.endpoints;
        e.lobbyPort = server.Port();
        e.bindAddress = 0x7F000002;
        session = new Zu_LocalSet(c);
        session->lobbyHost = "127.0.0.1";
        session->ownName = "PLAYERPC";
    }
    void TearDown() override {
        delete session;
        FlushDeferredDeletes();
        c->lobbyLink.Close();
        NetworkLaunchFlag = 0;
        clock.reset();
        ScreenFixture::TearDown();
    }
    void Frame(uint32_t ms = 100) {
        clock->Advance(ms);
        result = session->Run();
        server.Poll();
        FlushDeferredDeletes();
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    template <class Pred>
    bool RunUntil(Pred pred, int limit = 300) {
        for (int n = 0; n < limit; ++n) {
            if (pred()) return true;
            Frame();
        }
        return pred();
    }
    std::string Status() {
        if (!session->statusPanel) return {};
        const LabelText* t = session->statusPanel->labels.TextOf(session->statusPanel->Control(0x200));
        return t ? t->text : std::string();
    }
    // From the connection choice to the login window.
    void ReachLogin() {
        ASSERT_TRUE(RunUntil([&] { return session->win74 != nullptr; }));
        session->win74->OnControlClick(session->win74->Control(0x100), nullptr);
        ASSERT_TRUE(RunUntil([&] { return session->state == 111; }));
        ASSERT_NE(session->win201, nullptr);
        EXPECT_EQ(session->loggedIn, 1);
    }
    void LogIn(const char* id, const char* password) {
        std::strncpy(session->win201->fields[0], id, 8);
        std::strncpy(session->win201->fields[1], password, 8);
        session->win201->OnControlClick(session->win201->Control(0x100), nullptr);
    }

    std::unique_ptr<platform::ManualClock> clock;
    LobbyTestServer server;
    Zu_LocalSet* session = nullptr;
    int32_t result = 0;
};

TEST_F(SessionLoginTest, AcceptedLoginReachesTheRoomList) {
    ReachLogin();
    LogIn("good", "secret");
    ASSERT_TRUE(RunUntil([&] { return session->state == 11; }));
    EXPECT_EQ(session->win201, nullptr);
    ASSERT_NE(session->win206, nullptr);
    EXPECT_EQ(session->win206->panel->enabled, 1);
    // The server saw the id and the password where they belong.
    ASSERT_EQ(server.Count(lobby::KindLogin), 1);
    lobby::LoginDatagram sent;
    for (const auto& g : server.received)
        if (g.bytes[1] == lobby::KindLogin)
            lobby::LoginDatagram::Decode(g.bytes.data(), g.bytes.size(), &sent);
    EXPECT_EQ(sent.PlayerId(), "good");
    EXPECT_EQ(sent.Password(), "secret");
    EXPECT_EQ(session->ownName, "good");
    // A finished game's record goes up under the logged-in id.
    const int32_t words[12] = {3, 1, 4, 1, 5, 9, 2, 6, 5, 3, 5, 8};
    session->UploadRecord(words);
    ASSERT_TRUE(RunUntil([&] { return server.Count(lobby::KindRecordUpload) == 1; }, 20));
    for (const auto& g : server.received)
        if (g.bytes[1] == lobby::KindRecordUpload) {
            lobby::LoginDatagram up;
            ASSERT_TRUE(lobby::LoginDatagram::Decode(g.bytes.data(), g.bytes.size(), &up));
            EXPECT_EQ(up.PlayerId(), "good");
            for (int n = 0; n < 12; ++n)
                EXPECT_EQ(lobby::GetU32(up.bytes.data(), 16 + 4 * size_t(n)), uint32_t(words[n]));
        }
}

TEST_F(SessionLoginTest, RefusedLoginsShowTheirMessageAndReturnToTheLoginWindow) {
    struct Case {
        const char* id;
        const char* message;
        int stateAfterAnswer;
        uint32_t waitMs;
    };
    const Case cases[] = {
        {"badpw", lobbytext::kWrongPassword, 111, 0},
        {"oldver", lobbytext::kWrongVersion, 111, 0},
        {"inuse", lobbytext::kAlreadyLoggedIn, 62, 0},
        {"nobody", lobbytext::kServerBusy, 111, 20000},
    };
    ReachLogin();
    for (const Case& k : cases) {
        SCOPED_TRACE(k.id);
        LogIn(k.id, "pw");
        Frame();
        ASSERT_EQ(session->state, 114);
        if (k.waitMs) {
            Frame(k.waitMs - 1000);
            EXPECT_EQ(session->state, 114);
            Frame(1000);
        }
        ASSERT_TRUE(RunUntil([&] { return session->state != 114; }, 50));
        EXPECT_EQ(session->state, k.stateAfterAnswer);
        EXPECT_EQ(Status(), k.message);
        if (session->state == 62) {
            Frame(5000);
            Frame();
            EXPECT_EQ(session->state, 111);
        }
        EXPECT_NE(session->win201, nullptr);
    }
}

TEST_F(SessionLoginTest, EmptyFieldsAreNotSentAndThePasswordShowsMasked) {
    ReachLogin();
    LogIn("good", "");
    Frame();
    EXPECT_EQ(session->state, 111);
    EXPECT_EQ(Status(), lobbytext::kEnterNameAndPassword);
    EXPECT_EQ(server.Count(lobby::KindLogin), 0);
    std::strcpy(session->win201->fields[1], "abc");
    Frame();
    const LabelText* shown = session->win201->labels.TextOf(session->win201->Control(0x201));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->text, "XXX");
}

TEST_F(SessionLoginTest, NoLobbyServerGoesBackToTheChoiceAfterItsWait) {
    server.socket.Close();
    ASSERT_TRUE(RunUntil([&] { return session->win74 != nullptr; }));
    session->win74->OnControlClick(session->win74->Control(0x100), nullptr);
    ASSERT_TRUE(RunUntil([&] { return session->state == 112; }));
    Frame(19000);
    EXPECT_EQ(session->state, 112);
    Frame(1500);
    EXPECT_EQ(session->state, 113);
    EXPECT_EQ(Status(), lobbytext::kNotConnected);
    Frame(2500);
    Frame();
    EXPECT_EQ(session->state, 71);
    EXPECT_EQ(session->win206, nullptr);
}

} // namespace

namespace {

TEST_F(SessionLoginTest, LauncherStartLogsInWithItsWordsAndLeavesWithResult3) {
    delete session;
    FlushDeferredDeletes();
    NetworkLaunchFlag = 1;
    std::strcpy(CommandWord1, "127.0.0.1");
    std::strcpy(CommandWord2, "good");
    std::strcpy(CommandWord3, "pw");
    session = new Zu_LocalSet(c);
    EXPECT_EQ(session->state, 120);
    EXPECT_EQ(session->lobbyHost, "127.0.0.1");
    ASSERT_TRUE(RunUntil([&] { return session->state == 11; }));
    EXPECT_EQ(server.Count(lobby::KindLaunchLogin), 1);
    EXPECT_EQ(server.Count(lobby::KindLogin), 0);
    EXPECT_EQ(session->win201, nullptr);
    session->win206->OnControlClick(session->win206->Control(0x111), nullptr);
    ASSERT_TRUE(RunUntil([&] { return result != 0; }));
    EXPECT_EQ(result, Zu_LocalSet::kLeaveLaunch);
    CommandWord1[0] = CommandWord2[0] = CommandWord3[0] = 0;
}

} // namespace

namespace {

TEST_F(SessionLoginTest, LobbyChatGoesToTheLobbyServerUnderTheIdAndComesBackIntoTheLog) {
    ReachLogin();
    LogIn("good", "secret");
    ASSERT_TRUE(RunUntil([&] { return session->state == 11; }));
    Win212Window* chat = session->win212;
    ASSERT_NE(chat, nullptr);
    std::strcpy(chat->field, "hello all");
    chat->Send();
    ASSERT_TRUE(RunUntil([&] { return server.Count(lobby::KindChat) == 1; }, 20));
    lobby::ChatRecord sent;
    for (const auto& g : server.received)
        if (g.bytes[1] == lobby::KindChat) lobby::ChatRecord::Decode(g.bytes.data(), g.bytes.size(), &sent);
    EXPECT_EQ(sent.Name(), "good");
    EXPECT_EQ(sent.Text(), "hello all");
    // A line of another player arrives through the server.
    lobby::ChatRecord line;
    line.SetName("TIGER");
    line.SetText("welcome");
    const platform::SocketAddress station = server.received.back().from;
    server.SendTo(station, {line.bytes.begin(), line.bytes.end()});
    ASSERT_TRUE(RunUntil([&] { return chat->total == 2; }, 20));
    EXPECT_EQ(chat->ring[1].record.Text(), "welcome");
    const LabelText* shown = chat->labels.TextOf(chat->Control(0x201));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->text, "TIGER:welcome");
}

} // namespace
