#pragma once

#include "gui/FontRecord.h"
#include "gui/Window.h"

#include <cstdint>

class GuiLayout;
class GuiPanel;
class LinkList;
class Point;
class Win26Window;
class Win35Window;
class Win37Window;
class Win41Window;

// The main panel below the map: the menu ("Win02.gui": game menu, briefing, overview, list
// window, the date and mission lines), the status line that doubles as the chat input
// ("Win01.gui", with the chat scroll and channel buttons), and in network play the chat log page
// ("Win01_1.gui".."Win01_5.gui").
class Win01Window : public Window {
public:
    static constexpr int kLineBytes = 36;
    static constexpr int kLogLines = 20;
    static constexpr int kLogBytes = 100;

    Win01Window(Widget* parent, void* owner);
    ~Win01Window() override;
    Win01Window(const Win01Window&) = delete;
    Win01Window& operator=(const Win01Window&) = delete;

    void OnControlClick(Widget* control, Point* point) override;
    void OnControlHover(Widget* control, Point* point) override;
    void OnUpdate(uint32_t, uint32_t) override;
    void OnNotify(Window* child, int result) override;
    int Close(int result) override;

    void ShowDateLine();
    void SetStatusText(const char* text);
    // 0 when the menu panel is gone, else 1 (the press itself needs the map area enabled).
    int PressMenuButton(int n);
    void DisableMenuButton0();
    void EnableMenuButton0();
    // The overview (menu button 0x102, F7) and the diplomacy list (0x103, F8): open it, or close
    // the open one as its close button does.
    void ToggleOverview();
    void ToggleListWindow();

    // The chat line.
    void BuildChatPage();
    void RemoveChatPage();
    void DrawChatLog();
    void AddChatLine(const char* text, int colour);
    // 0 for a line that is no whisper, else the target's peer id + 1; the text becomes the
    // message, or the notice sent back to the sender.
    int ParseWhisper(char* text);
    void SendChatLine();

    void* owner = nullptr;
    Widget* parent = nullptr;
    Win26Window* gameMenu = nullptr;
    Win35Window* chatSettings = nullptr;
    Win37Window* overview = nullptr;
    Win41Window* listWindow = nullptr;
    GuiPanel* menuPanel = nullptr;
    GuiPanel* chatPanel = nullptr;
    GuiPanel* chatPage = nullptr;
    int8_t chatChannel = 0;
    int8_t chatRows = 0;
    uint8_t inputActive = 0;
    int8_t blinkCounter = 0;
    char lineText[kLineBytes] = {};
    char chatLog[kLogLines][kLogBytes] = {};
    uint8_t chatColour[kLogLines] = {};
    char history[kLogLines][kLogBytes] = {};
    int8_t historyCount = 0;
    int8_t logCount = 0;
    int8_t historyCursor = 0;
    int8_t logScroll = 0;
    // "Win02.gui", "Win01.gui" and the chat page's layout.
    GuiLayout* layouts[3] = {};
    LinkList* controls[3] = {};
    FontRecord statusFont;
    FontRecord dateFont;
    FontRecord missionFont;
    FontRecord rowFonts[5];
    char dateText[48] = {};
    char missionText[24] = {};

private:
    GuiPanel* BuildPanel(int slot, const char* layoutFile);
    void DropPanel(GuiPanel*& panel, int slot);
    void RedrawStatusLine();
    void AttachInput();
    void DetachInput();
    void DropCursorMark();
    // OnUpdate comes from the labels' own drawing: the step redraws nothing while it runs.
    bool stepping_ = false;
};

// The main panel's windows ask these of the battle.
bool GameIsNetworked();
// The status line of the running battle's main panel shows the text; nothing without one.
void ShowStatusText(const char* text);
