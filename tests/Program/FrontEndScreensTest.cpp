#include "Program/FrontEndScreens.h"

#include "Program/SaveLoadScreen.h"
#include "ScreenTestSupport.h"

namespace {

using screentest::ControlById;
using screentest::ScreenFixture;
using screentest::WriteLayout;

class FrontEndScreensTest : public ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        WriteLayout("mainmenu.gui", 5, 0);
        WriteLayout("Single.gui", 4, 0);
        WriteLayout("Win28.gui", 18, 64);
    }
};

TEST_F(FrontEndScreensTest, MainMenuButtonsWriteTheirChoiceAndCreditsSwallowTheNextClick) {
    gamefiles::AniFrameSpec credit{
        0, 0, 4, 2, std::vector<uint16_t>(8, 0xFFFF), std::vector<uint8_t>(8, 255)};
    ASSERT_TRUE(gamefiles::WriteBytes("CREDIT.ani", gamefiles::AniFile({credit})));
    struct Case {
        int button;
        int32_t gameMode;
        int32_t choice;
        bool credits;
    };
    const Case cases[] = {
        {0, 1, 0, false}, {1, 1, 1, false}, {4, 1, 4, false}, {3, 1, -2, true}, {3, 0, 3, false}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.button);
        GameModeFlag = k.gameMode;
        c->networked = 1;
        auto* menu = new MainMenuScreen(TheRootWidget, nullptr);
        EXPECT_EQ(c->networked, 0);
        c->menuChoice = -2;
        menu->OnControlClick(ControlById(menu->controls, 0x100 + k.button), nullptr);
        EXPECT_EQ(c->menuChoice, k.choice);
        EXPECT_EQ(CreditsFrame != nullptr, k.credits);
        if (k.credits) {
            // The credits go on the next click; the button under it does nothing.
            menu->OnControlClick(ControlById(menu->controls, 0x100), nullptr);
            EXPECT_EQ(CreditsFrame, nullptr);
            EXPECT_EQ(c->menuChoice, -2);
        }
        // Ids outside the menu's five buttons do nothing.
        Widget stray(new Rect(0, 0, 1, 1), nullptr, nullptr, 0);
        stray.id = 0x105;
        c->menuChoice = -2;
        menu->OnControlClick(&stray, nullptr);
        EXPECT_EQ(c->menuChoice, -2);
        menu->Close(1);
        FlushDeferredDeletes();
    }
}

TEST_F(FrontEndScreensTest, LoadButtonOpensTheLoadScreenOverAHiddenMenuAndCancelShowsItAgain) {
    auto* menu = new MainMenuScreen(TheRootWidget, nullptr);
    c->mainMenu = menu;
    c->menuChoice = -2;
    menu->OnControlClick(ControlById(menu->controls, 0x102), nullptr);
    ASSERT_NE(c->saveLoadScreen, nullptr);
    EXPECT_EQ(c->saveLoadScreen->mode, SaveLoadScreen::kLoad);
    EXPECT_EQ(menu->panel->visible, 0);
    EXPECT_EQ(c->menuChoice, -2);
    // Cancel on the load screen.
    SaveLoadScreen* load = c->saveLoadScreen;
    load->OnControlClick(ControlById(load->controls, SaveLoadScreen::kCancel), nullptr);
    EXPECT_EQ(c->saveLoadScreen, nullptr);
    EXPECT_EQ(menu->panel->visible, 1);
    EXPECT_EQ(c->menuChoice, -2);
    EXPECT_EQ(c->requestedMode, 0);
    FlushDeferredDeletes();
    // A report from another window does nothing.
    Window other;
    menu->OnNotify(&other, 1);
    EXPECT_EQ(c->requestedMode, 0);
    menu->Close(1);
    c->mainMenu = nullptr;
}

TEST_F(FrontEndScreensTest, SinglePlayButtonsWriteTheChoiceAndTheFourthDoesNothing) {
    auto* single = new SingleScreen(TheRootWidget);
    for (int n = 0; n < 4; ++n) {
        c->singleChoice = -1;
        single->OnControlClick(ControlById(single->controls, 0x100 + n), nullptr);
        EXPECT_EQ(c->singleChoice, n < 3 ? n : -1) << n;
    }
    single->Close(1);
}

// The scene machine opens the screens; clicks walk from the main menu to single play and back.
TEST_F(FrontEndScreensTest, ClicksWalkFromTheMainMenuToSinglePlayAndBack) {
    InstallFrontEndScreens();
    const uint64_t presents = platform::PresentCount();
    c->Frame(platform::WM_USER);
    ASSERT_NE(c->mainMenu, nullptr);
    EXPECT_EQ(c->menuChoice, -2);
    // The first menu fades in over ten presents.
    EXPECT_EQ(platform::PresentCount() - presents, 10u);
    Click(ButtonX(0), ButtonY(0));
    EXPECT_EQ(c->menuChoice, 0);
    c->Frame(platform::WM_USER);
    EXPECT_EQ(c->scene, 1);
    EXPECT_EQ(c->mainMenu, nullptr);
    ASSERT_NE(c->singleMenu, nullptr);
    Click(ButtonX(2), ButtonY(2));
    EXPECT_EQ(c->singleChoice, 2);
    c->Frame(platform::WM_USER);
    EXPECT_EQ(c->scene, 0);
    EXPECT_EQ(c->menuChoice, -1);
    c->Frame(platform::WM_USER);
    ASSERT_NE(c->mainMenu, nullptr);
    EXPECT_EQ(c->menuChoice, -2);
    // Only the menu's panel is in the draw list now.
    EXPECT_EQ(TheResourceStore->drawList->GetCount(), 1);
    c->mainMenu->Close(1);
    c->mainMenu = nullptr;
}

} // namespace
