#pragma once

#include "Program/FrontEndScreens.h"

// One line of large text over the battle ("Win25.gui"): the victory, defeat and observer banners.
class Win25Window : public ScreenWindow {
public:
    Win25Window(Widget* parent, Window* owner, const char* text, int32_t closable);
    ~Win25Window() override;
    void OnControlClick(Widget* control, Point* point) override;
    // Closes the panel; the banner's holder deletes the window.
    int Close(int result) override;

    int32_t closable = 0;
};

// The current banner, or null; whoever shows a new one closes the old one first.
extern Win25Window* TheBanner;
// 0 no count; 1 once the observer banner shows, counted up to 4 by the stage step.
extern int32_t BannerTicks;

// Closes the current banner, if any; the window is deleted after the current frame.
void CloseBanner();
// Closes the current banner and shows the text in a new one on the root widget over the game
// screen.
Win25Window* ShowBanner(const char* text, int32_t closable);

// The banner texts: "我軍獲勝！", "我軍戰敗！", "您已戰敗，進入觀戰模式".
extern const char VictoryBannerText[];
extern const char DefeatBannerText[];
extern const char ObserverBannerText[];

// A window without layout or behaviour; the controller keeps one as its default window and the
// game code calls its empty hooks at fixed moments.
class BlankScreen : public Window {
public:
    explicit BlankScreen(Widget*) {}
    // Closing deletes nothing: the holder deletes it.
    int Close(int) override { return 1; }

    void NoOpStageHook() {}
    void NoOpLoadHook() {}
    void NoOpScreenHookA() {}
    void NoOpScreenHookB(int32_t) {}
    void NoOpScreenHookC() {}
    void NoOpGroupHook(int32_t) {}
    void NoOpFrameHook() {}
    void NoOpControllerHook() {}

    // Cleared by the front-end drawing.
    uint8_t drawByte = 0;
};

// Called by the network thread with each received packet; does nothing.
void NoOpPacketHook(const void* packet, uint8_t channel);
