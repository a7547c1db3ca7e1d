#pragma once

#include "Program/GameController.h"
#include "Program/MainWindow.h"
#include "Program/SceneMachine.h"
#include "Program/ScreenSettings.h"
#include "Program/Startup.h"
#include "Program/Zu_StageSet.h"
#include "engine/DisplayDevice.h"
#include "engine/GameFileWriters.h"
#include "engine/LinkList.h"
#include "engine/PixelFormat.h"
#include "engine/ResourceStore.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiPanel.h"
#include "gui/GuiRoot.h"
#include "gui/RootWidget.h"
#include "gui/Widget.h"
#include "platform/Messages.h"
#include "platform/Present.h"
#include "support/TempFolder.h"
#include "world/BattleMap.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace screentest {

using gamefiles::LayoutBox;

// A layout of `buttons` picture buttons in rows of eight and `labels` text labels, on a 400 x 300
// background at (200, 150).
inline void WriteLayout(const std::string& name, int buttons, int labels) {
    const LayoutBox frame{200, 150, 600, 450};
    std::vector<LayoutBox> b, l;
    for (int n = 0; n < buttons; ++n)
        b.push_back({10 + (n % 8) * 46, 10 + (n / 8) * 26, 10 + (n % 8) * 46 + 40, 10 + (n / 8) * 26 + 20});
    for (int n = 0; n < labels; ++n)
        l.push_back({10 + (n % 4) * 95, 90 + (n / 4) * 18, 10 + (n % 4) * 95 + 90, 90 + (n / 4) * 18 + 17});
    const std::vector<uint16_t> background(size_t(frame.Width()) * frame.Height(), 0x2104);
    ASSERT_TRUE(gamefiles::WriteBytes(name, gamefiles::ScreenLayout(frame, background, b, l)));
}

// The working set of a front-end screen: a folder, an 800 x 600 display, the GUI root, the store,
// the settings, a battle map with a stage record and the controller.
class ScreenFixture : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::make_unique<testsupport::TempFolder>();
        platform::ResetPresenterForTest();
        platform::ResetMessageQueue();
        TheScreenSettings = new ScreenSettings;
        AppWindow.window = nullptr;
        ASSERT_EQ(SetupDisplay(), 1);
        BuildColourTables();
        TheGuiRoot = new GuiRoot;
        TheResourceStore = new ResourceStore;
        TheBattleMap = new BattleMap;
        stage = new Zu_StageSet;
        TheBattleMap->stageSet = stage;
        TheGameController = c = new GameController;
        ActiveFlag = 1;
        oldMode = GameModeFlag;
        GameModeFlag = 1;
        FirstMenuFlag = 0;
        FadeInFlag = 0;
    }
    void TearDown() override {
        FlushDeferredDeletes();
        SetFrontEndServices(nullptr);
        c->FreeResources();
        delete c;
        TheGameController = nullptr;
        FlushDeferredDeletes();
        delete stage;
        delete TheBattleMap;
        TheBattleMap = nullptr;
        delete TheResourceStore;
        TheResourceStore = nullptr;
        delete TheGuiRoot;
        TheGuiRoot = nullptr;
        ReleaseSurfaces();
        ReleaseDirectDraw();
        delete TheScreenSettings;
        TheScreenSettings = nullptr;
        GameModeFlag = oldMode;
        ActiveFlag = 0;
        platform::ResetMessageQueue();
        platform::ResetPresenterForTest();
        folder.reset();
    }

    // A left click at a screen point through the controller's mouse handler.
    void Click(int x, int y) {
        c->mouseX = x;
        c->mouseY = y;
        c->OnMouse(platform::WM_MOUSEMOVE);
        c->OnMouse(platform::WM_LBUTTONDOWN);
        c->OnMouse(platform::WM_LBUTTONUP);
    }
    // The screen point of picture button n of a WriteLayout layout.
    static int ButtonX(int n) { return 200 + 10 + (n % 8) * 46 + 20; }
    static int ButtonY(int n) { return 150 + 10 + (n / 8) * 26 + 10; }

    std::unique_ptr<testsupport::TempFolder> folder;
    GameController* c = nullptr;
    Zu_StageSet* stage = nullptr;
    int32_t oldMode = 1;
};

// A control of a window's list by id.
inline Widget* ControlById(LinkList* controls, int id) {
    return controls ? reinterpret_cast<Widget*>(controls->FindById<Widget>(id)) : nullptr;
}

} // namespace screentest
