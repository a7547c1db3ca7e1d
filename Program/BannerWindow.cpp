#include "Program/BannerWindow.h"

#include "Program/GameController.h"
#include "engine/Rect.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "gui/RootWidget.h"
#include "world/MapView.h"

Win25Window* TheBanner = nullptr;
int32_t BannerTicks = 0;

// "我軍獲勝！"
const char VictoryBannerText[] = "\xa7\xda\xad\x78\xc0\xf2\xb3\xd3\xa1\x49";
// "我軍戰敗！"
const char DefeatBannerText[] = "\xa7\xda\xad\x78\xbe\xd4\xb1\xd1\xa1\x49";
// "您已戰敗，進入觀戰模式"
const char ObserverBannerText[] =
    "\xb1\x7a\xa4\x77\xbe\xd4\xb1\xd1\xa1\x41\xb6\x69\xa4\x4a\xc6\x5b\xbe\xd4\xbc\xd2\xa6\xa1";

Win25Window::Win25Window(Widget* parent, Window* owner, const char* text, int32_t closable)
    : ScreenWindow("Win25.gui", parent, owner, 176, 226), closable(closable) {
    AddToDrawList();
    labels.SetText(Control(0x201), 255, 255, 255, 24, 1, text ? text : "", 2);
}

Win25Window::~Win25Window() {
    // A holder may delete a banner that a click has already handed over for deletion.
    CancelDeferredDelete(this);
}

int Win25Window::Close(int result) {
    ClosePanel(result);
    return 1;
}

void Win25Window::OnControlClick(Widget*, Point*) {
    if (!closable || BannerTicks <= 2) return;
    // Closed by its own click: nobody holds it any more.
    if (TheBanner == this) TheBanner = nullptr;
    Close(1);
    DeferDelete(this);
}

void CloseBanner() {
    Win25Window* banner = TheBanner;
    if (!banner) return;
    TheBanner = nullptr;
    banner->Close(1);
    DeferDelete(banner);
}

Win25Window* ShowBanner(const char* text, int32_t closable) {
    CloseBanner();
    Window* owner = TheGameController ? TheGameController->gameScreen : nullptr;
    TheBanner = new Win25Window(TheRootWidget, owner, text, closable);
    return TheBanner;
}

void NoOpPacketHook(const void*, uint8_t) {}
