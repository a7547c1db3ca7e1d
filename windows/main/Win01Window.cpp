#include "windows/main/Win01Window.h"

#include "Program/GameController.h"
#include "Program/SaveLoadScreen.h"
#include "Program/ScreenControls.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "engine/Rect.h"
#include "engine/ResourceStore.h"
#include "engine/Tools.h"
#include "events/EventManager.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "gui/TextButton.h"
#include "net/ChatCommand.h"
#include "net/room/NetSession.h"
#include "records/InfoText.h"
#include "troops/TroopWorld.h"
#include "windows/WindowHosts.h"
#include "windows/main/FieldText.h"
#include "windows/main/SidePanelLock.h"
#include "windows/main/Win26Window.h"
#include "windows/main/Win35Window.h"
#include "windows/main/Win37Window.h"
#include "windows/main/Win41Window.h"
#include "world/MapView.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace {

constexpr int kMenu = 0;
constexpr int kChat = 1;
constexpr int kPage = 2;
constexpr int kStatusLine = 0x600;
constexpr int kChannel = 0x500;

// "西元", "年", "月", "日".
constexpr char kEra[] = "\xa6\xe8\xa4\xb8";
constexpr char kYear[] = "\xa6\x7e";
constexpr char kMonth[] = "\xa4\xeb";
constexpr char kDay[] = "\xa4\xe9";
// "[盟] ", "[FROM] ", "[TO] ".
constexpr char kAlliancePrefix[] = "\x5b\xb7\xf9\x5d\x20";
constexpr char kFromPrefix[] = "[FROM] ";
constexpr char kToPrefix[] = "[TO] ";
// "密語格式錯誤", "無此玩家".
constexpr char kWhisperFormat[] = "\xb1\x4b\xbb\x79\xae\xe6\xa6\xa1\xbf\xf9\xbb\x7e";
constexpr char kNoSuchPlayer[] = "\xb5\x4c\xa6\xb9\xaa\xb1\xae\x61";

struct Rgb {
    uint8_t r, g, b;
};
// Public, alliance, whisper, the game's own lines.
constexpr Rgb kChatColours[4] = {{255, 255, 255}, {100, 255, 100}, {255, 255, 100}, {100, 100, 255}};

bool MapAreaEnabled() {
    const GameController* c = TheGameController;
    return c && c->gameScreen && c->gameScreen->panel && c->gameScreen->panel->enabled == 1;
}

// Appends text to a buffer of size bytes, never splitting a double-byte character.
void Append(char* out, size_t size, const char* text) {
    const size_t used = std::strlen(out);
    if (used + 1 >= size) return;
    CopyBig5Bounded(out + used, size - used, text);
}

} // namespace

bool GameIsNetworked() {
    return TheGameController && TheGameController->networked;
}

void ShowStatusText(const char* text) {
    if (Win01Window* panel = MainPanel()) panel->SetStatusText(text);
}

Win01Window::Win01Window(Widget* parentWidget, void* ownerObject) : owner(ownerObject), parent(parentWidget) {
    menuPanel = BuildPanel(kMenu, "Win02.gui");
    chatPanel = BuildPanel(kChat, "Win01.gui");
    chatRows = GameIsNetworked() ? 3 : 0;
    BuildChatPage();
    ShowDateLine();
    statusFont = FontRecord{255, 255, 254, 0, 16, lineText, 2};
    if (auto* line = dynamic_cast<TextButton*>(FindScreenControl(controls[kChat], kStatusLine)))
        line->SetCaption(&statusFont, 0);
    if (!GameIsNetworked())
        for (int id : {0x100, 0x101, kStatusLine, kChannel})
            if (Widget* w = FindScreenControl(controls[kChat], id)) {
                if (auto* t = dynamic_cast<TextButton*>(w))
                    t->Disable();
                else
                    DisableButton(w);
            }
    if (chatPanel) chatPanel->refreshPeriod = 10;
}

Win01Window::~Win01Window() {
    Close(1);
    // Controls made from the layouts may still wait for deletion: the layouts go after them.
    for (GuiLayout*& layout : layouts) {
        if (layout) DeferDelete(layout);
        layout = nullptr;
    }
}

GuiPanel* Win01Window::BuildPanel(int slot, const char* layoutFile) {
    LayoutWindowParts parts = BuildLayoutPanel(layoutFile, parent, this);
    layouts[slot] = parts.layout;
    controls[slot] = parts.layout->CreateControls(parts.panel, this);
    if (TheResourceStore && TheResourceStore->drawList)
        TheResourceStore->drawList->Add(reinterpret_cast<uintptr_t>(parts.panel));
    return parts.panel;
}

void Win01Window::DropPanel(GuiPanel*& panel, int slot) {
    if (!panel) return;
    if (TheResourceStore && TheResourceStore->drawList)
        TheResourceStore->drawList->RemoveValue(reinterpret_cast<uintptr_t>(panel));
    panel->result = 1;
    panel->Close(0);
    DeferDelete(panel);
    panel = nullptr;
    controls[slot] = nullptr;
}

int Win01Window::Close(int) {
    if (gameMenu) {
        Win26Window* menu = gameMenu;
        gameMenu = nullptr;
        menu->Close(1);
    }
    if (chatSettings) {
        Win35Window* settings = chatSettings;
        chatSettings = nullptr;
        settings->Finish(1);
    }
    for (Window** child : {reinterpret_cast<Window**>(&overview), reinterpret_cast<Window**>(&listWindow)}) {
        if (!*child) continue;
        Window* w = *child;
        *child = nullptr;
        w->Close(1);
    }
    DetachInput();
    DropPanel(menuPanel, kMenu);
    DropPanel(chatPanel, kChat);
    RemoveChatPage();
    return 1;
}

void Win01Window::ShowDateLine() {
    const ScreenSettings* s = TheScreenSettings;
    std::snprintf(dateText, sizeof dateText, "%s%d%s%d%s%d%s", kEra, s ? s->year : 0, kYear, s ? s->month : 0,
                  kMonth, s ? s->day : 0, kDay);
    const Zu_StageSet* stage = CurrentStageSet();
    CopyBig5Bounded(missionText, sizeof missionText, stage ? std::string(stage->Name()).c_str() : "");
    ShowFieldText(dateText, &dateFont, controls[kMenu], 0, 2, 12);
    ShowFieldText(missionText, &missionFont, controls[kMenu], 1, 2, 12);
}

void Win01Window::SetStatusText(const char* text) {
    CopyBig5Bounded(lineText, sizeof lineText, text);
    RedrawStatusLine();
}

void Win01Window::RedrawStatusLine() {
    auto* line = dynamic_cast<TextButton*>(FindScreenControl(controls[kChat], kStatusLine));
    if (!line) return;
    if (line->enabled)
        line->ShowNormal();
    else
        line->ShowDisabled();
}

int Win01Window::PressMenuButton(int n) {
    if (!menuPanel) return 0;
    if (!MapAreaEnabled()) return 1;
    if (Widget* button = FindScreenControl(controls[kMenu], 0x100 + n); button && button->enabled)
        OnControlClick(button, nullptr);
    return 1;
}

void Win01Window::DisableMenuButton0() {
    DisableButton(FindScreenControl(controls[kMenu], 0x100));
}

void Win01Window::EnableMenuButton0() {
    EnableButton(FindScreenControl(controls[kMenu], 0x100));
}

void Win01Window::ToggleOverview() {
    if (overview)
        overview->HandleEscape();
    else
        PressMenuButton(2);
}

void Win01Window::ToggleListWindow() {
    if (listWindow)
        listWindow->HandleEscape();
    else
        PressMenuButton(3);
}

void Win01Window::AttachInput() {
    Zu_Tools::Global().AttachBuffer(lineText, kLineBytes, Zu_Tools::kInputOn);
}

void Win01Window::DetachInput() {
    if (Zu_Tools::Global().GetBuffer() == lineText) Zu_Tools::Global().AttachBuffer(nullptr, 0, 0);
}

void Win01Window::DropCursorMark() {
    const size_t n = std::strlen(lineText);
    if (n > 0 && lineText[n - 1] == '_') lineText[n - 1] = 0;
}

void Win01Window::OnControlClick(Widget* control, Point*) {
    if (!control) return;
    const int id = control->id;
    if (GameIsNetworked()) {
        if (inputActive) DropCursorMark();
        if (id == kStatusLine && control->parent == chatPanel) {
            AttachInput();
            inputActive = 1;
            blinkCounter = 0;
        } else {
            DetachInput();
            inputActive = 0;
        }
        RedrawStatusLine();
    }
    GameController* c = TheGameController;
    if (menuPanel && control->parent == menuPanel) {
        switch (id) {
        case 0x100:
            if (gameMenu) break;
            LockSidePanels(0);
            gameMenu = new Win26Window(parent, this);
            if (c && !c->networked) c->running = 0;
            break;
        case 0x101:
            if (c && c->eventManager) c->eventManager->StartRunner(101);
            break;
        case 0x102:
            if (overview) break;
            LockSidePanels(0);
            overview = new Win37Window(parent, this);
            break;
        case 0x103:
            if (listWindow) break;
            LockSidePanels(0);
            listWindow = new Win41Window(parent, this);
            break;
        default:
            break;
        }
        return;
    }
    if (chatPanel && control->parent == chatPanel) {
        switch (id) {
        case 0x100:
            if (logScroll > chatRows - 1) {
                --logScroll;
                DrawChatLog();
            }
            break;
        case 0x101:
            if (logScroll < logCount - 1) {
                ++logScroll;
                DrawChatLog();
            }
            break;
        case kChannel:
            if (chatSettings) break;
            LockSidePanels(0);
            chatSettings = new Win35Window(parent, this);
            break;
        default:
            break;
        }
    }
}

void Win01Window::OnControlHover(Widget* control, Point*) {
    if (!control || !menuPanel || control->parent != menuPanel) return;
    const int n = control->id - 0x100;
    if (n >= 0 && n <= 3) ShowTooltip(10, int16_t(n + 4), this);
}

void Win01Window::OnNotify(Window* child, int result) {
    if (!child) return;
    if (child == gameMenu) {
        gameMenu = nullptr;
        child->Close(1);
        UnlockSidePanels(0);
        if (TheGameController && !TheGameController->networked) TheGameController->running = 1;
        return;
    }
    if (child == overview || child == listWindow) {
        if (child == overview)
            overview = nullptr;
        else
            listWindow = nullptr;
        child->Close(1);
        UnlockSidePanels(0);
        return;
    }
    if (child == chatSettings) {
        if (result == 1) chatChannel = int8_t(chatSettings->channel);
        if (result == 2) {
            BuildChatPage();
            DrawChatLog();
        }
        Win35Window* settings = chatSettings;
        chatSettings = nullptr;
        settings->Finish(1);
        UnlockSidePanels(0);
    }
}

void Win01Window::BuildChatPage() {
    RemoveChatPage();
    if (chatRows < 1 || chatRows > 5) return;
    char name[16];
    std::snprintf(name, sizeof name, "Win01_%d.gui", int(chatRows));
    chatPage = BuildPanel(kPage, name);
}

void Win01Window::RemoveChatPage() {
    DropPanel(chatPage, kPage);
    if (layouts[kPage]) DeferDelete(layouts[kPage]);
    layouts[kPage] = nullptr;
}

void Win01Window::DrawChatLog() {
    if (!chatPage) return;
    for (int i = 0; i < chatRows && i < 5; ++i) {
        const int row = chatRows - 1 - i;
        const int line = logScroll - i;
        if (line < 0 || line >= logCount) {
            ShowFieldText("", &rowFonts[row], controls[kPage], row, 2, 16);
            continue;
        }
        const Rgb& colour = kChatColours[chatColour[line] & 3];
        ShowFieldTextColored(chatLog[line], &rowFonts[row], controls[kPage], row, 2, 16, 0, colour.r,
                             colour.g, colour.b);
    }
}

void Win01Window::AddChatLine(const char* text, int colour) {
    if (logCount >= kLogLines) {
        std::memmove(chatLog[0], chatLog[1], sizeof chatLog - sizeof chatLog[0]);
        std::memmove(chatColour, chatColour + 1, sizeof chatColour - 1);
        logCount = kLogLines - 1;
    }
    CopyBig5Bounded(chatLog[logCount], kLogBytes, text);
    chatColour[logCount] = uint8_t(colour < 0 || colour > 3 ? 3 : colour);
    ++logCount;
    logScroll = int8_t(logCount - 1);
    DrawChatLog();
}

int Win01Window::ParseWhisper(char* text) {
    if (!text || text[0] != '/') return 0;
    NetSession* session = TheNetSession;
    const uint32_t own = session ? session->ownId.load() : 0;
    const char* blank = std::strchr(text + 1, ' ');
    if (!blank) {
        CopyBig5Bounded(text, kLineBytes, kWhisperFormat);
        return int(own + 1);
    }
    const std::string name(static_cast<const char*>(text + 1), blank);
    const std::string message(blank + 1);
    if (session)
        for (const NetPeer& peer : session->peers)
            if (name == peer.name) {
                CopyBig5Bounded(text, kLineBytes, message.c_str());
                return int(peer.id + 1);
            }
    CopyBig5Bounded(text, kLineBytes, (kNoSuchPlayer + name).c_str());
    return int(own + 1);
}

void Win01Window::SendChatLine() {
    DetachInput();
    inputActive = 0;
    historyCursor = 0;
    if (!lineText[0]) return;
    DropCursorMark();
    NetSession* session = TheNetSession;
    char first[kLogBytes] = {};
    char second[kLogBytes] = {};
    int target = 0;
    bool alliance = false;
    {
        std::optional<NetSession::Lock> hold;
        if (session) hold.emplace(*session);
        target = ParseWhisper(lineText);
        alliance = chatChannel != 0 && target == 0;
        if (target != 0) {
            Append(first, sizeof first, kFromPrefix);
            Append(second, sizeof second, kToPrefix);
        } else if (alliance) {
            Append(first, sizeof first, kAlliancePrefix);
            Append(second, sizeof second, kAlliancePrefix);
        }
        const char* ownName = session ? session->NetPeerName(session->ownId.load()) : nullptr;
        Append(first, sizeof first, ownName ? ownName : "");
        const char* secondName =
            target != 0 ? (session ? session->NetPeerName(uint32_t(target - 1)) : nullptr) : ownName;
        Append(second, sizeof second, secondName ? secondName : "");
    }
    for (char* text : {first, second}) {
        Append(text, kLogBytes, ": ");
        Append(text, kLogBytes, lineText);
    }
    NetCmdChatText(first, uint32_t(PlayerKingdom()), alliance, uint32_t(target));
    const bool host = session && session->hostFlag.load() != 0;
    if (target != 0)
        AddChatLine(second, 2);
    else if (host)
        AddChatLine(second, alliance ? 1 : 0);
    if (historyCount >= kLogLines) {
        std::memmove(history[0], history[1], sizeof history - sizeof history[0]);
        historyCount = kLogLines - 1;
    }
    std::memcpy(history[historyCount], lineText, kLineBytes);
    ++historyCount;
    std::memset(lineText, 0, sizeof lineText);
    RedrawStatusLine();
}

void Win01Window::OnUpdate(uint32_t, uint32_t) {
    if (stepping_ || !GameIsNetworked() || !menuPanel) return;
    stepping_ = true;
    Zu_Tools& input = Zu_Tools::Global();
    if (!inputActive && (input.GetFlags() & Zu_Tools::kEnterPressed)) {
        AttachInput();
        inputActive = 1;
        blinkCounter = 0;
    } else if (inputActive) {
        const uint32_t flags = input.GetFlags();
        if (flags & Zu_Tools::kEnterPressed) {
            SendChatLine();
        } else if (flags & Zu_Tools::kEscapePressed) {
            std::memset(lineText, 0, sizeof lineText);
            DetachInput();
            inputActive = 0;
            historyCursor = 0;
        } else if (flags & Zu_Tools::kUpPressed) {
            if (historyCursor < historyCount) {
                std::memcpy(lineText, history[historyCount - historyCursor - 1], kLineBytes);
                lineText[kLineBytes - 1] = 0;
                if (historyCursor < historyCount - 1) ++historyCursor;
                AttachInput();
            } else {
                input.ToggleFlags(Zu_Tools::kUpPressed);
            }
        } else if (flags & Zu_Tools::kDownPressed) {
            if (historyCursor < 1) {
                input.ToggleFlags(Zu_Tools::kDownPressed);
            } else {
                std::memcpy(lineText, history[historyCount - historyCursor], kLineBytes);
                lineText[kLineBytes - 1] = 0;
                if (historyCursor > 1) --historyCursor;
                AttachInput();
            }
        } else if (++blinkCounter > 1) {
            blinkCounter = 0;
            const size_t n = std::strlen(lineText);
            if (n > 0 && lineText[n - 1] == '_')
                lineText[n - 1] = 0;
            else if (n + 1 < sizeof lineText) {
                lineText[n] = '_';
                lineText[n + 1] = 0;
            }
        }
        RedrawStatusLine();
    }
    stepping_ = false;
}
