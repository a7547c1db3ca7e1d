#include "windows/main/Win26Window.h"

#include "Program/GameController.h"
#include "Program/MainWindow.h"
#include "Program/SaveLoadScreen.h"
#include "Program/ScreenSettings.h"
#include "Program/Startup.h"
#include "engine/LinkList.h"
#include "engine/ResourceStore.h"
#include "gui/GuiPanel.h"
#include "gui/RootWidget.h"
#include "platform/Messages.h"
#include "windows/main/Win01Window.h"
#include "windows/main/Win40Window.h"
#include "windows/main/YesNoWindow.h"

// "要關閉本遊戲程式, 回到作業系統嗎?"
const char QuitProgramText[] =
    "\xad\x6e\xc3\xf6\xb3\xac\xa5\xbb\xb9\x43\xc0\xb8\xb5\x7b\xa6\xa1\x2c\x20\xa6\x5e"
    "\xa8\xec\xa7\x40\xb7\x7e\xa8\x74\xb2\xce\xb6\xdc\x3f";
// "要中途離開遊戲, 回到主選單嗎?"
const char LeaveGameText[] =
    "\xad\x6e\xa4\xa4\xb3\x7e\xc2\xf7\xb6\x7d\xb9\x43\xc0\xb8\x2c\x20\xa6\x5e\xa8\xec"
    "\xa5\x44\xbf\xef\xb3\xe6\xb6\xdc\x3f";
// "要中途離開遊戲, 回到大廳嗎?"
const char LeaveNetworkGameText[] = "\xad\x6e\xa4\xa4\xb3\x7e\xc2\xf7\xb6\x7d\xb9\x43\xc0\xb8\x2c\x20\xa6\x5e"
                                    "\xa8\xec\xa4\x6a\xc6\x55\xb6\xdc\x3f";

namespace {

// The value the battle's end sequence starts from when the player leaves.
constexpr int32_t kLeaveSequence = 2131;

} // namespace

Win26Window::Win26Window(Widget* parent, Window* menuOwner) : ScreenWindow("Win26.gui", parent, menuOwner) {
    AddToDrawList();
    if (GameIsNetworked()) {
        DisableButton(Control(0x101));
        DisableButton(Control(0x102));
    }
}

void Win26Window::ShowPanel(bool shown) {
    if (!panel) return;
    panel->visible = shown ? 1 : 0;
    // The battle draws every panel of the store's list: a hidden menu leaves it.
    if (TheResourceStore && TheResourceStore->drawList) {
        TheResourceStore->drawList->RemoveValue(reinterpret_cast<uintptr_t>(panel));
        if (shown) TheResourceStore->drawList->Add(reinterpret_cast<uintptr_t>(panel));
    }
}

void Win26Window::CloseMenu() {
    if (owner) owner->OnNotify(this, 1);
}

void Win26Window::OnControlClick(Widget* control, Point*) {
    if (!control || !panel || control->parent != panel || (control->id & 0xFF00) != 0x100) return;
    GameController* c = TheGameController;
    switch (control->id & 0xFF) {
    case 0:
    case 5:
        CloseMenu();
        break;
    case 1:
    case 2:
        if (!c) break;
        c->saveLoadScreen = new SaveLoadScreen(
            TheRootWidget, this, (control->id & 0xFF) == 1 ? SaveLoadScreen::kSave : SaveLoadScreen::kLoad);
        ShowPanel(false);
        break;
    case 3:
        soundSettings = new Win40Window(parentWidget, this);
        ShowPanel(false);
        break;
    case 4:
        quitMode = kLeaveGame;
        question =
            new YesNoWindow(parentWidget, this, GameIsNetworked() ? LeaveNetworkGameText : LeaveGameText);
        ShowPanel(false);
        break;
    case 6:
        quitMode = kQuitProgram;
        question = new YesNoWindow(parentWidget, this, QuitProgramText);
        ShowPanel(false);
        break;
    default:
        break;
    }
}

void Win26Window::OnControlRightClick(Widget*, Point*) {
    CloseMenu();
}

void Win26Window::OnNotify(Window* source, int result) {
    if (!source) return;
    GameController* c = TheGameController;
    if (c && source == c->saveLoadScreen) {
        c->saveLoadScreen = nullptr;
        source->Close(1);
        ShowPanel(true);
        if (result != 0) CloseMenu();
        return;
    }
    if (source == soundSettings) {
        soundSettings = nullptr;
        source->Close(1);
        ShowPanel(true);
        CloseMenu();
        return;
    }
    if (source != question) return;
    question = nullptr;
    source->Close(1);
    ShowPanel(true);
    if (result != 0) {
        CloseMenu();
        return;
    }
    if (quitMode == kLeaveGame) {
        if (TheScreenSettings) {
            TheScreenSettings->endCountdown = kLeaveSequence;
            TheScreenSettings->battleEnded = 1;
        }
        if (c) c->leaveGame = 1;
    } else if (quitMode == kQuitProgram) {
        StartupState = 5;
        platform::PostMessage(AppWindow.window, platform::WM_CLOSE, 0, 0);
    }
}

int Win26Window::HandleEscape() {
    if (!panel || (TheGameController && TheGameController->saveLoadScreen)) return 0;
    if (question)
        OnNotify(question, 1);
    else if (soundSettings)
        OnNotify(soundSettings, 1);
    else
        OnControlClick(Control(0x105), nullptr);
    return 1;
}

int Win26Window::Close(int result) {
    if (question) {
        Window* q = question;
        question = nullptr;
        q->Close(1);
    }
    if (soundSettings) {
        Window* s = soundSettings;
        soundSettings = nullptr;
        s->Close(1);
    }
    GameController* c = TheGameController;
    if (c && c->saveLoadScreen && c->saveLoadScreen->owner == this) {
        Window* screen = c->saveLoadScreen;
        c->saveLoadScreen = nullptr;
        screen->Close(1);
    }
    return ScreenWindow::Close(result);
}
