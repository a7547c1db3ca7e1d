// The main menu's network choice runs the session control, and every way out returns to the menu.
#include "LobbyLayouts.h"
#include "Program/ScreenTestSupport.h"
#include "net/MultiCast.h"
#include "net/Zu_LocalSet.h"
#include "net/lobby/LobbyWindows.h"
#include "platform/Time.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

class SessionSceneTest : public screentest::ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        lobbyfixture::WriteLobbyLayouts();
        clock = std::make_unique<platform::ManualClock>(1000000);
        NetworkLaunchFlag = 0;
        c->menuChoice = 1;
        c->scene = 0;
        Frame();
        ASSERT_EQ(uint8_t(c->scene), 200);
        ASSERT_NE(c->session, nullptr);
        c->session->lobbyHost = "";
    }
    void TearDown() override {
        c->lobbyLink.Close();
        clock.reset();
        ScreenFixture::TearDown();
    }
    void Frame() {
        clock->Advance(100);
        c->RunFrontEnd();
        FlushDeferredDeletes();
    }
    Win74Window* Choice() {
        for (int n = 0; n < 5 && !c->session->win74; ++n)
            Frame();
        return c->session->win74;
    }
    std::unique_ptr<platform::ManualClock> clock;
};

TEST_F(SessionSceneTest, LeavingFromTheConnectionChoiceReturnsToTheMainMenu) {
    Win74Window* w = Choice();
    ASSERT_NE(w, nullptr);
    w->OnControlClick(w->Control(0x102), nullptr);
    Frame();
    EXPECT_EQ(c->scene, 0);
    EXPECT_EQ(c->menuChoice, -1);
    EXPECT_EQ(c->session->win74, nullptr);
    EXPECT_EQ(c->session->state, 102);
}

TEST_F(SessionSceneTest, LobbyServerThatCannotBeReachedReturnsToTheMainMenuAndIsLogged) {
    Win74Window* w = Choice();
    ASSERT_NE(w, nullptr);
    w->OnControlClick(w->Control(0x100), nullptr);
    for (int n = 0; n < 3 && uint8_t(c->scene) == 200; ++n)
        Frame();
    EXPECT_EQ(c->scene, 0);
    EXPECT_EQ(c->menuChoice, -1);
    std::ifstream log("Error.lst");
    std::stringstream text;
    text << log.rdbuf();
    EXPECT_NE(text.str().find("Zu_LocalControl,MultiCasting Create Fail,474"), std::string::npos)
        << text.str();
}

} // namespace
