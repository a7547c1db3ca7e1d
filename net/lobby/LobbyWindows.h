#pragma once

#include "Program/FrontEndScreens.h"
#include "gui/TextLabel.h"
#include "net/LobbyDatagram.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class Zu_LocalSet;

// The base of the network screens: a layout window that leaves the player's choice in the
// session control's answer word and never closes itself; the session control closes it.
class LobbyWindow : public ScreenWindow {
public:
    LobbyWindow(const char* layoutFile, Widget* parent, Zu_LocalSet* session, int originX = -1,
                int originY = -1);

    void SetEnabled(bool on);
    void Answer(int code);
    // Text of a label (TextLabel 0x200+n) or caption of a text button (TextButton 0x600+n).
    void SetText(int id, uint8_t r, uint8_t g, uint8_t b, uint8_t style, const std::string& text,
                 int8_t size = 16);
    // A colour bar on a label; hidden labels are cleared.
    void SetBar(int id, uint8_t r, uint8_t g, uint8_t b, bool shown);
    // A right press on a button would close the window under its owner: the owner decides.
    void OnControlRightPress(Widget*, Point*) override {}

    Zu_LocalSet* session = nullptr;

private:
    std::unordered_map<int, std::unique_ptr<LabelText>> captions;
    std::unordered_map<int, std::unique_ptr<BarRecord>> bars;
};

// The index of id in an array of count ids, -1 when it is not there.
struct Zu_LocalSet2 {
    static int IdToIndex(int count, const int32_t* ids, int32_t id);
};

// The status line of the network screens ("Win01_1.gui", 300 pixels above its place).
class LobbyStatusPanel : public ScreenWindow {
public:
    LobbyStatusPanel();
    void Show(const char* text);
    void Hide();
    bool shown = false;
};

// Connection kind: 0 the lobby server, 1 the local network, 2 leave.
class Win74Window : public LobbyWindow {
public:
    Win74Window(Widget* parent, Zu_LocalSet* session);
    void OnControlClick(Widget* control, Point*) override;
};

// Settings of a new room.
class Win207Window : public LobbyWindow {
public:
    Win207Window(Widget* parent, Zu_LocalSet* session);
    ~Win207Window() override;
    void OnControlClick(Widget* control, Point*) override;
    // One frame: the edited field with its blinking cursor.
    void Update();
    // What field n holds, without the cursor.
    std::string FieldText(int n) const;
    char fields[2][36] = {};
    int editing = -1;
    int frame = 0;
};

// The host's question about a player who asks to join.
class Win211Window : public LobbyWindow {
public:
    Win211Window(Widget* parent, Zu_LocalSet* session, const std::string& name);
    void SetCaption(int i, const std::string& text);
    void OnControlClick(Widget* control, Point*) override;
};

// Faction choice: 317 + n takes faction n + 1, 300 closes.
class Win213Window : public LobbyWindow {
public:
    Win213Window(Widget* parent, Zu_LocalSet* session);
    void OnControlClick(Widget* control, Point*) override;
    void OnControlRightPress(Widget*, Point*) override { Answer(300); }
};

// The faction colours (RGB565) and the colour's 8-bit components.
extern const uint16_t FactionColours[16];
void FactionColour(int n, uint8_t* r, uint8_t* g, uint8_t* b);

// The room list and the lobby's player list.
class Win206Window : public LobbyWindow {
public:
    Win206Window(Widget* parent, Zu_LocalSet* session);
    void FillRows();
    void SetScrollRanges(int roomCount, int playerCount);
    void OnControlClick(Widget* control, Point*) override;
    void OnControlPress(Widget* control, Point*) override;
    void OnControlHover(Widget* control, Point*) override;
    int roomScroll = 0;
    int playerScroll = 0;
    int roomCount = 0;
    int playerCount = 0;
};

// Login: user name and password (8 bytes each); 0 logs in, anything else goes back.
class Win201Window : public LobbyWindow {
public:
    Win201Window(Widget* parent, Zu_LocalSet* session);
    ~Win201Window() override;
    void OnControlClick(Widget* control, Point*) override;
    // One frame: the edited field's cursor and the masked password.
    void Update();
    std::string FieldText(int n) const;
    void Edit(int n);
    char fields[2][36] = {};
    int editing = -1;
    int frame = 0;
};

// A general of a campaign room's list: its name, side and picture (none without a stage).
struct RoomGeneral {
    std::string name;
    uint32_t side = 0;
};

// The shared work of the two room windows.
class RoomWindow : public LobbyWindow {
public:
    RoomWindow(const char* layoutFile, Widget* parent, Zu_LocalSet* session, const int32_t* table,
               int tableSize);
    void OnControlClick(Widget* control, Point*) override;
    void ScrollList(int step);
    int listOffset = 0;
    int listCount = 0;
    int scrollUpIndex = 0;
    int scrollDownIndex = 0;
    const int32_t* table = nullptr;
    int tableSize = 0;
};

// The room of a campaign battle: generals, option 1 and 2.
class Win208Window : public RoomWindow {
public:
    static const int32_t Table[58];
    Win208Window(Widget* parent, Zu_LocalSet* session);
    void FillRows();
    void ShowSettings();
    void UpdateButtons();
    void LoadGeneralList();
    std::vector<RoomGeneral> generals;
};

// The room of a random map: factions and alliances, option 3 and 4.
class Win209Window : public RoomWindow {
public:
    static const int32_t Table[96];
    Win209Window(Widget* parent, Zu_LocalSet* session);
    void FillRows();
    void ShowSettings();
    void UpdateButtons();
};

// The two-column picker of a campaign room.
class Win210Window : public LobbyWindow {
public:
    Win210Window(Widget* parent, Zu_LocalSet* session);
    void Refresh();
    void OnControlClick(Widget* control, Point*) override;
    void OnControlPress(Widget* control, Point*) override;
    void OnControlHover(Widget* control, Point*) override;
    int scroll[2] = {};
};

// The chat of the lobby and the room: a ring of 20 lines and the input field.
class Win212Window : public LobbyWindow {
public:
    struct Entry {
        uint32_t kind = 0;
        lobby::ChatRecord record;
    };
    Win212Window(Widget* parent, Zu_LocalSet* session);
    ~Win212Window() override;
    // source 0 own line, 1 room, 2 lobby.
    void AddChatRecord(const lobby::ChatRecord& record, int source);
    void DrawLog();
    void Update();
    void Send();
    void OnControlClick(Widget* control, Point*) override;
    std::array<Entry, 20> ring{};
    uint32_t total = 0;
    uint32_t filled = 0;
    int32_t scroll = 0;
    int8_t rows = 4;
    char field[36] = {};
    bool editing = false;
    std::vector<std::string> history;
    // Place in the history while stepping through it with the arrows (history size: none).
    size_t historyCursor = 0;
    int frame = 0;
};
