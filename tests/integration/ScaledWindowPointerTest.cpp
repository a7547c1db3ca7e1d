// The demo battle in a real window larger than the game's 800 x 600 screen, as a person plays it:
// the pointer's moves and presses arrive as the window's own events at window coordinates, and
// the platform layer brings them to the main window's procedure. What a person points at on the
// scaled picture is what the game picks.
#include "DemoBattlePlay.h"

#include "platform/Present.h"
#include "platform/Window.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

using namespace platform;

struct WindowSize {
    int width, height;
};

class ScaledWindowPointer : public DemoBattlePlay, public ::testing::WithParamInterface<WindowSize> {
protected:
    void SetUp() override {
        DemoBattlePlay::SetUp();
        if (HasFatalFailure()) return;
        ::setenv("KARDOL_HEADLESS", "0", 1);
        ResetPresenterForTest();
        WNDCLASSA wc;
        wc.lpfnWndProc = MainWndProc;
        wc.lpszClassName = "KardolScaledWindow";
        ASSERT_NE(RegisterClassA(&wc), 0);
        window = CreateWindowExA(0, wc.lpszClassName, "Kardol", 0, 0, 0, GetParam().width, GetParam().height,
                                 nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        sdl = static_cast<SDL_Window*>(SdlWindowOf(window));
        ASSERT_NE(sdl, nullptr) << "no window from the SDL video driver";
        ShowWindow(window, 1);
        int w = 0, h = 0;
        SDL_GetWindowSize(sdl, &w, &h);
        ASSERT_EQ(w, GetParam().width);
        ASSERT_EQ(h, GetParam().height);
        Frames(2); // the first frames set the picture's scale in the window
        routed = true;
    }
    void TearDown() override {
        DemoBattlePlay::TearDown();
        ResetPresenterForTest();
        ResetWindowsForTest();
        ResetMessageQueue();
        ::setenv("KARDOL_HEADLESS", "1", 1);
    }

    void Frame() override {
        DemoBattlePlay::Frame();
        if (routed) Deliver();
    }
    // The game point (x, y) as the window shows it: scaled, and centred where the window's shape
    // differs from the game's.
    void Pointer(UINT message, int x, int y) override {
        if (!routed) return DemoBattlePlay::Pointer(message, x, y);
        const double scale = std::min(GetParam().width / 800.0, GetParam().height / 600.0);
        const int left = (GetParam().width - int(800 * scale)) / 2;
        const int top = (GetParam().height - int(600 * scale)) / 2;
        const int wx = left + int((x + 0.5) * scale), wy = top + int((y + 0.5) * scale);
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = SDL_GetWindowID(sdl);
        e.motion.x = wx;
        e.motion.y = wy;
        SDL_PushEvent(&e);
        if (message != WM_MOUSEMOVE) {
            SDL_Event b{};
            const bool down = message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN;
            b.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
            b.button.windowID = e.motion.windowID;
            b.button.button =
                message == WM_LBUTTONDOWN || message == WM_LBUTTONUP ? SDL_BUTTON_LEFT : SDL_BUTTON_RIGHT;
            b.button.state = down ? SDL_PRESSED : SDL_RELEASED;
            b.button.clicks = 1;
            b.button.x = wx;
            b.button.y = wy;
            SDL_PushEvent(&b);
        }
        Deliver();
    }
    // The window's events, through the platform layer, to the main window's procedure.
    void Deliver() {
        PumpWindowEvents();
        MSG m;
        while (PeekMessage(&m, window, 0, 0, PM_REMOVE))
            DispatchMessage(&m);
    }

    // The troop's picture in the game screen.
    static bool Covers(const Troop* t, int x, int y) {
        const auto [cx, cy] = OnScreen(t);
        return std::abs(x - cx) * 2 < t->frameGeometry[2] && std::abs(y - cy) * 2 < t->frameGeometry[3];
    }
    // The side's generals drawn in the open part of the map view (clear of the panels), each with
    // no other troop's picture over the middle of his own.
    static std::vector<Troop*> PlainlyDrawn(int side) {
        std::vector<Troop*> all;
        for (int s = 0; s <= 8; ++s)
            for (Troop* t : Units(s, false))
                all.push_back(t);
        std::vector<Troop*> out;
        for (Troop* t : Generals(side)) {
            const auto [x, y] = OnScreen(t);
            if (x < 160 || x > 580 || y < 40 || y > 420 || t->IsGone()) continue;
            bool covered = false;
            for (Troop* o : all)
                covered = covered || (o != t && Covers(o, x, y));
            if (!covered) out.push_back(t);
        }
        return out;
    }

    HWND window = nullptr;
    SDL_Window* sdl = nullptr;
    bool routed = false;
};

// A click on each of the player's generals drawn on the scaled picture selects that general and
// no other, with the bands of both sides standing close; a box around a general selects him; a
// box over empty ground leaves nothing selected.
TEST_P(ScaledWindowPointer, ClickAndBoxPickTheTroopsDrawnUnderThePointer) {
    const int player = CurrentStageSet()->playerSide;
    const std::vector<Troop*> generals = Generals(player);
    ASSERT_FALSE(generals.empty());
    TheGameController->CentreViewOnTroop(generals.front(), false);
    Frames(2);
    const std::vector<Troop*> drawn = PlainlyDrawn(player);
    ASSERT_FALSE(drawn.empty());
    for (Troop* t : drawn) {
        const auto [x, y] = OnScreen(t);
        Click(x, y);
        EXPECT_EQ(Selected(), std::vector<Troop*>{t}) << "clicked at " << x << "," << y;
    }

    Troop* general = generals.front();
    BoxAround(general);
    EXPECT_EQ(Selected(), std::vector<Troop*>{general});

    // Ground with no troop within a box's reach of it.
    int gx = -1, gy = -1;
    for (int y = 80; y <= 360 && gx < 0; y += 20)
        for (int x = 200; x <= 560 && gx < 0; x += 20) {
            bool clear = true;
            for (int s = 0; s <= 8; ++s)
                for (Troop* t : Units(s, false)) {
                    const auto [tx, ty] = OnScreen(t);
                    clear = clear && (std::abs(tx - x) > 100 || std::abs(ty - y) > 120);
                }
            if (clear) gx = x, gy = y;
        }
    ASSERT_GE(gx, 0) << "no empty ground in view";
    Drag(gx - 20, gy - 20, gx + 20, gy + 20);
    EXPECT_TRUE(Selected().empty());
}

// A right click on the ground walks the selected general there over the following frames; a
// right click on an enemy sends him at that enemy.
TEST_P(ScaledWindowPointer, RightClickMovesToTheGroundAndAttacksTheEnemyPointedAt) {
    const int player = CurrentStageSet()->playerSide;
    const std::vector<Troop*> generals = Generals(player);
    ASSERT_FALSE(generals.empty());
    Troop* general = generals.front();
    TheGameController->CentreViewOnTroop(general, false);
    Frames(2);
    BoxAround(general);
    ASSERT_EQ(Selected(), std::vector<Troop*>{general});

    const auto [x, y] = OnScreen(general);
    const int startY = general->cellY;
    Click(x, y - 6 * 20, WM_RBUTTONDOWN, WM_RBUTTONUP);
    for (int step = 0; step < 30 && general->cellY > startY - 3; ++step)
        Frames(20);
    EXPECT_LE(general->cellY, startY - 3) << "the general did not walk up the map";

    Troop* foe = nullptr;
    for (int side = 1; side <= 8 && !foe; ++side)
        if (side != player)
            for (Troop* g : Generals(side))
                if (!foe && !g->IsGone()) foe = g;
    ASSERT_NE(foe, nullptr);
    TheGameController->CentreViewOnTroop(foe, false);
    Frames(2);
    const auto [fx, fy] = OnScreen(foe);
    ASSERT_TRUE(fx > 0 && fx < 640 && fy > 0 && fy < 520) << fx << "," << fy;
    Click(fx, fy, WM_RBUTTONDOWN, WM_RBUTTONUP);
    EXPECT_EQ(general->targetTroop, foe);
    const auto distance = [&] {
        return std::abs(general->cellX - foe->cellX) + std::abs(general->cellY - foe->cellY);
    };
    const int before = distance();
    Frames(200);
    EXPECT_LT(distance(), before);
}

INSTANTIATE_TEST_SUITE_P(Windows, ScaledWindowPointer,
                         ::testing::Values(WindowSize{1024, 768}, WindowSize{1600, 1200},
                                           WindowSize{1280, 768}),
                         [](const ::testing::TestParamInfo<WindowSize>& info) {
                             return std::to_string(info.param.width) + "x" +
                                    std::to_string(info.param.height);
                         });

} // namespace
