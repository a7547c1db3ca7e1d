#include "Program/StartupHooks.h"
#include "support/TempFolder.h"

#include "Program/GameController.h"
#include "Program/GameRules.h"
#include "Program/LoadingScreen.h"
#include "Program/MainWindow.h"
#include "Program/Palettes.h"
#include "Program/ProgramRulesEnv.h"
#include "Program/ScreenSettings.h"
#include "Program/Startup.h"
#include "engine/Backgrounds.h"
#include "engine/DisplayDevice.h"
#include "engine/ModalLoopState.h"
#include "engine/ResourceStore.h"
#include "fuzz/seeds/builders/StoreFixtures.h"
#include "gui/GuiMessage.h"
#include "gui/GuiRoot.h"
#include "gui/InputQueue.h"
#include "gui/MouseCursor.h"
#include "platform/Messages.h"
#include "platform/Present.h"
#include "platform/Surface.h"

#include <gtest/gtest.h>

namespace {

constexpr uint16_t kPictureColour = 0x1234;
uint16_t BarColour(int y) {
    return static_cast<uint16_t>(0x0800 + y);
}

// "loading2.ani": frame 0 the full-screen picture, frame 1 the bar colours in column 273.
void WriteLoadingAni() {
    storefix::AniFrameSpec picture;
    picture.w = 800;
    picture.h = 600;
    picture.pixels.assign(800 * 600, kPictureColour);
    picture.mask.assign(800 * 600, 255);
    storefix::AniFrameSpec bar = picture;
    for (int y = 0; y < 600; ++y)
        bar.pixels[static_cast<size_t>(y) * 800 + kBarLeft] = BarColour(y);
    storefix::WriteBytes("loading2.ani", storefix::AniFile({picture, bar}));
}

// The mouse message the cursor queues for a move, or none.
bool CursorQueuesAMove() {
    TheMouseCursor->OnMouseMessage(platform::WM_MOUSEMOVE);
    GuiMessage* m = TheGuiMessageQueue->Take();
    delete m;
    return m != nullptr;
}

} // namespace

// Builds the objects in start-up's order, binds as start-up does, and follows each hook to the
// module behind it; the tear-down's unbinding leaves every hook null.
TEST(StartupHooks, StartUpConnectsTheModulesAndTearDownDisconnectsThem) {
    testsupport::TempFolder folder;
    WriteLoadingAni();
    GameModeFlag = 1;

    TheScreenSettings = new ScreenSettings;
    BindSettingsHooks(*TheScreenSettings);
    ASSERT_EQ(SetupDisplay(), 1);
    int clientW = 0, clientH = 0;
    platform::GetClientSize(&clientW, &clientH);
    EXPECT_EQ(clientW, 800);
    EXPECT_EQ(clientH, 600);

    TheResourceStore = new ResourceStore;
    BindStoreHooks(*TheResourceStore);
    TheGuiRoot = new GuiRoot;
    TheGameController = new GameController;
    BindControllerHooks(*TheGameController);

    // The store reads the settings, the clip manager, the text layer and the cursor.
    EXPECT_EQ(TheStoreHooks.screenWidth, &TheScreenSettings->screenWidth);
    EXPECT_EQ(TheStoreHooks.screenHeight, &TheScreenSettings->screenHeight);
    EXPECT_EQ(TheStoreHooks.terrainGraphicsOff, &TheScreenSettings->terrainGraphicsOff);
    ASSERT_NE(TheStoreHooks.pollClip, nullptr);
    EXPECT_EQ(TheStoreHooks.pollClip(0), 0) << "no clip plays";
    EXPECT_NE(TheStoreHooks.drawSurfaceText, nullptr);
    EXPECT_NE(TheStoreHooks.releaseCursorCapture, nullptr);
    EXPECT_NE(TheStoreHooks.drawMouseCursor, nullptr);
    ASSERT_NE(TheStoreHooks.rebuildMinimap, nullptr);
    TheStoreHooks.rebuildMinimap(); // no game screen yet: nothing to plot
    ASSERT_NE(TheStoreHooks.mapMarkerView, nullptr);
    TheResourceStore->controller = TheGameController;
    MapMarkerView view;
    EXPECT_FALSE(TheStoreHooks.mapMarkerView(*TheResourceStore, view)) << "game mode has no overlay";
    EXPECT_EQ(StorePictureColours, GamePalettes().pictureTable.data());

    // The cursor's hold words are the settings' and its modal query is the movie loop's.
    ActiveFlag = 1;
    EXPECT_TRUE(CursorQueuesAMove());
    TheScreenSettings->inputHold1 = 1;
    EXPECT_FALSE(CursorQueuesAMove());
    TheScreenSettings->inputHold1 = 0;
    TheScreenSettings->inputHold2 = 1;
    EXPECT_FALSE(CursorQueuesAMove());
    TheScreenSettings->inputHold2 = 0;
    ModalLoopState = 1;
    EXPECT_FALSE(CursorQueuesAMove());
    ModalLoopState = 0;
    EXPECT_TRUE(CursorQueuesAMove());

    // The rule helpers and the background loader read the controller.
    ASSERT_EQ(GetGameRulesEnv(), &TheProgramRulesEnv());
    TheGameController->gameKind = 3;
    TheGameController->networked = 1;
    TheGameController->campaignStage = 17;
    EXPECT_EQ(GetGameRulesEnv()->GameKind(), 3);
    EXPECT_TRUE(GetGameRulesEnv()->Networked());
    EXPECT_EQ(GetGameRulesEnv()->StageNumber(), 17);
    ASSERT_NE(TheBackgroundHooks.stageNumber, nullptr);
    EXPECT_EQ(TheBackgroundHooks.stageNumber(), 17);
    EXPECT_EQ(PlaceItemObject(5, 5, 1), 0) << "no battle map cells yet";

    // The loading screen draws the store's frames of "loading2.ani".
    StartLoadingScreen();
    EXPECT_EQ(GetPrimarySurface()->PixelAt(10, 10), kPictureColour);
    SetLoadingProgress(100);
    EXPECT_EQ(GetBackSurface()->PixelAt(kBarLeft + 252, kBarTop + 3), BarColour(kBarTop + 3));
    EXPECT_EQ(GetPrimarySurface()->PixelAt(kBarLeft, kBarTop + 20), BarColour(kBarTop + 20));
    StopLoadingScreen();

    UnbindProgramHooks();
    EXPECT_EQ(TheStoreHooks.screenWidth, nullptr);
    EXPECT_EQ(TheStoreHooks.pollClip, nullptr);
    EXPECT_EQ(TheStoreHooks.mapMarkerView, nullptr);
    EXPECT_EQ(StorePictureColours, nullptr);
    EXPECT_EQ(GetGameRulesEnv(), nullptr);
    EXPECT_EQ(TheBackgroundHooks.stageNumber, nullptr);
    TheScreenSettings->inputHold1 = 1;
    EXPECT_TRUE(CursorQueuesAMove()) << "unbound hold words read as 0";

    ActiveFlag = 0;
    TheGameController->FreeResources();
    delete TheGameController;
    TheGameController = nullptr;
    delete TheGuiRoot;
    TheGuiRoot = nullptr;
    delete TheResourceStore;
    TheResourceStore = nullptr;
    delete TheScreenSettings;
    TheScreenSettings = nullptr;
    ReleaseSurfaces();
    ReleaseDirectDraw();
}
