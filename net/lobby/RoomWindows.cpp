#include "Program/GameController.h"
#include "gui/TextButton.h"
#include "gui/VScrollBar.h"
#include "net/RoomSessionLink.h"
#include "net/Zu_LocalSet.h"
#include "net/lobby/LobbyTexts.h"
#include "net/lobby/LobbyWindows.h"
#include "net/lobby/SlotFields.h"

#include <algorithm>

namespace {
constexpr int kListRows = 5;

void ShowEnabled(Widget* w, bool on) {
    if (auto* t = dynamic_cast<TextButton*>(w))
        on ? t->Enable() : t->Disable();
    else if (auto* v = dynamic_cast<VScrollBar*>(w))
        on ? v->Enable() : v->Disable();
    else
        on ? EnableButton(w) : DisableButton(w);
}

// A group of buttons with one shown pressed.
void ShowGroup(ScreenWindow& w, const int32_t* ids, int count, uint32_t chosen, bool locked) {
    for (int k = 0; k < count; ++k) {
        Widget* b = w.Control(ids[k]);
        (uint32_t(k) == chosen ? ShowButtonPressed : ShowButtonNormal)(b);
        if (locked && uint32_t(k) != chosen) DisableButton(b);
    }
}
} // namespace

RoomWindow::RoomWindow(const char* layoutFile, Widget* parent, Zu_LocalSet* owner, const int32_t* ids,
                       int count)
    : LobbyWindow(layoutFile, parent, owner), table(ids), tableSize(count) {}

void RoomWindow::ScrollList(int step) {
    listOffset = std::clamp(listOffset + step, 0, std::max(0, listCount - kListRows));
    if (session) session->RefreshRoomWindows();
}

void RoomWindow::OnControlClick(Widget* control, Point*) {
    if (!control) return;
    const int index = Zu_LocalSet2::IdToIndex(tableSize, table, control->id);
    if (index < 0) return;
    if (index == scrollUpIndex || index == scrollDownIndex) {
        ScrollList(index == scrollUpIndex ? -1 : 1);
        return;
    }
    Answer(index);
}

// --- campaign room -----------------------------------------------------------------------------

const int32_t Win208Window::Table[58] = {
    0x602, 0x603, 0x604, 0x605, 0x606, 0x607, 0x608, 0x609, 0x60a, 0x60b, 0x60c, 0x60d, 0x60e, 0x60f, 0x610,
    0x611, 0x612, 0x613, 0x614, 0x615, 0x616, 0x617, 0x618, 0x619, 0x61a, 0x61b, 0x61c, 0x61d, 0x61e, 0x61f,
    0x620, 0x621, -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    0x623, 0x624, 0x625, 0x627, 0x629,
    0x100, 0x105, 0x300, 0x101, 0x102, 0x103, 0x104, 0x626, 0x628, 0x107, 0x106, 0x108, 0x622};

Win208Window::Win208Window(Widget* parent, Zu_LocalSet* owner)
    : RoomWindow("Win208.gui", parent, owner, Table, 58) {
    scrollUpIndex = 45;
    scrollDownIndex = 46;
    listCount = 6;
    if (auto* bar = dynamic_cast<VScrollBar*>(Control(0x300))) bar->SetRange(6, 5, 1);
    AddToDrawList();
}

void Win208Window::LoadGeneralList() {
    // The generals come from the loaded stage; a room without one lists none.
    generals.clear();
}

void Win208Window::FillRows() {
    if (!session || !session->controller) return;
    GameController* c = session->controller;
    const lobby::RoomRecord& room = session->room;
    if (RoomSessionLink* link = session->Room())
        session->room.SetPlayerCount(uint32_t(std::max(link->PeerCount(), 1)));
    for (int row = 0; row < kListRows; ++row) {
        const int entry = listOffset + row;
        const bool chosen = uint32_t(entry) == room.MapIndex();
        SetText(Table[40 + row], chosen ? 255 : 120, chosen ? 0 : 225, chosen ? 0 : 120, 1,
                entry < 6 ? lobbytext::kBattleNames[entry] : "");
    }
    SetText(0x600, 255, 241, 166, 1, generals.size() > 0 ? generals[0].name : "");
    SetText(0x601, 255, 241, 166, 1, generals.size() > 8 ? generals[8].name : "");
    SetText(0x622, 255, 241, 166, 1, room.MapIndex() < 6 ? lobbytext::kBattleNames[room.MapIndex()] : "");
    const uint32_t victory = room.Option(1) < 2 ? room.Option(1) : 0;
    SetText(0x626, 120, 225, 120, 1, lobbytext::kVictoryLines[2 * victory]);
    SetText(0x628, 120, 225, 120, 1, lobbytext::kVictoryLines[2 * victory + 1]);
    const int used = session->SlotCount();
    for (int s = 0; s < 16; ++s) {
        const PlayerSlot& slot = c->players[s];
        const bool taken = s < used && slotfields::Id(slot) != 0;
        const bool ready = slotfields::Ready(slot) != 0;
        const uint8_t r = ready ? 255 : 120, g = ready ? 100 : 225, b = ready ? 100 : 120;
        const uint32_t choice = slotfields::Choice(slot);
        SetText(Table[2 * s], r, g, b, 1, taken ? slotfields::Name(slot) : "");
        const bool named = taken && choice >= 1 && choice <= generals.size();
        SetText(Table[2 * s + 1], r, g, b, 1, named ? generals[choice - 1].name : "");
        const bool blue = slotfields::Alliance(slot) == 1;
        SetBar(0x202 + s, blue ? 10 : 255, 10, blue ? 255 : 10, taken && choice >= 1 && choice <= 16);
    }
}

void Win208Window::ShowSettings() {
    if (!session) return;
    static const int32_t optionOne[4] = {0x101, 0x102, 0x103, 0x104};
    const bool ready = slotfields::Ready(session->OwnSlot()) & 1;
    ShowGroup(*this, optionOne, 4, session->room.Option(0), false);
    (ready ? ShowButtonPressed : ShowButtonNormal)(Control(0x107));
    UpdateButtons();
}

void Win208Window::UpdateButtons() {
    if (!session) return;
    const bool ready = slotfields::Ready(session->OwnSlot()) & 1;
    for (int id : {0x100, 0x105, 0x300})
        ShowEnabled(Control(id), !ready);
    static const int32_t optionOne[4] = {0x101, 0x102, 0x103, 0x104};
    for (int k = 0; k < 4; ++k)
        if (!ready || uint32_t(k) == session->room.Option(0)) EnableButton(Control(optionOne[k]));
    // Enabling draws a button normal: the chosen one is shown pressed again.
    ShowGroup(*this, optionOne, 4, session->room.Option(0), ready);
    static const int32_t optionTwo[2] = {0x626, 0x628};
    for (int k = 0; k < 2; ++k)
        ShowEnabled(Control(optionTwo[k]), !ready || uint32_t(k) == session->room.Option(1));
}

// --- random map room ---------------------------------------------------------------------------

const int32_t Win209Window::Table[96] = {
    0x600, 0x602, 0x603, 0x605, 0x606, 0x608, 0x609, 0x60b, 0x60c, 0x60e, 0x60f, 0x611, 0x612, 0x614,
    0x615, 0x617, 0x618, 0x61a, 0x61b, 0x61d, 0x61e, 0x620, 0x621, 0x623, 0x624, 0x626, 0x627, 0x629,
    0x62a, 0x62c, 0x62d, 0x62f, -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    0x631, 0x632,
    0x633, 0x634, 0x635, 0x200, 0x201, 0x202, 0x203, 0x204, 0x205, 0x206, 0x207, 0x208, 0x209, 0x20a,
    0x20b, 0x20c, 0x20d, 0x20e, 0x20f, -1,    -1,    -1,    -1,    0x100, 0x109, 0x300, 0x101, 0x102,
    0x103, 0x104, 0x105, 0x106, 0x107, 0x108, 0x10b, 0x10a, 0x10c, 0x630, 0x601, 0x604, 0x607, 0x60a,
    0x60d, 0x610, 0x613, 0x616, 0x619, 0x61c, 0x61f, 0x622, 0x625, 0x628, 0x62b, 0x62e};

Win209Window::Win209Window(Widget* parent, Zu_LocalSet* owner)
    : RoomWindow("Win209.gui", parent, owner, Table, 96) {
    scrollUpIndex = 65;
    scrollDownIndex = 66;
    listCount = int(RoomMapCount);
    if (auto* bar = dynamic_cast<VScrollBar*>(Control(0x300))) bar->SetRange(int(RoomMapCount), 5, 1);
    AddToDrawList();
}

void Win209Window::FillRows() {
    if (!session || !session->controller) return;
    GameController* c = session->controller;
    lobby::RoomRecord& room = session->room;
    if (RoomSessionLink* link = session->Room())
        room.SetPlayerCount(uint32_t(std::max(link->PeerCount(), 1)));
    auto mapName = [](uint32_t m) {
        return m < RoomMapCount
                   ? std::string(lobbytext::kRandomMap) + std::to_string(m + 2) + lobbytext::kCityWord
                   : std::string();
    };
    for (int row = 0; row < kListRows; ++row) {
        const uint32_t entry = uint32_t(listOffset + row);
        const bool chosen = entry == room.MapIndex();
        SetText(Table[40 + row], chosen ? 255 : 130, chosen ? 0 : 200, chosen ? 0 : 255, 1, mapName(entry));
    }
    SetText(0x630, 255, 241, 166, 1, mapName(room.MapIndex()));
    const uint32_t factions = room.MaxPlayers();
    const int used = session->SlotCount();
    for (int s = 0; s < 16; ++s) {
        PlayerSlot& slot = c->players[s];
        const bool taken = s < used && slotfields::Id(slot) != 0;
        const bool ready = slotfields::Ready(slot) != 0;
        if (taken) {
            SetText(Table[2 * s], 255, ready ? 100 : 241, ready ? 100 : 166, 1, slotfields::Name(slot));
            const uint32_t a = slotfields::Alliance(slot);
            SetText(Table[2 * s + 1], 255, 241, 166, 1, a == 0 || a > 7 ? "-" : std::to_string(a));
        } else {
            SetText(Table[2 * s], 130, 200, 255, 1, uint32_t(s) < factions ? lobbytext::kComputer : "");
            SetText(Table[2 * s + 1], 130, 200, 255, 1, "-");
            slotfields::SetAlliance(slot, 0);
        }
        const uint32_t choice = slotfields::Choice(slot);
        if (taken && choice >= 1 && choice <= factions && choice <= 16) {
            uint8_t r, g, b;
            FactionColour(int(choice - 1), &r, &g, &b);
            SetText(Table[80 + s], 130, 200, 255, 1, lobbytext::kFactionColourNames[choice - 1]);
            SetBar(0x200 + s, r, g, b, true);
        } else {
            SetText(Table[80 + s], 130, 200, 255, 1, "");
            SetBar(0x200 + s, 10, 10, 10, false);
            slotfields::SetChoice(slot, 0);
        }
    }
}

void Win209Window::ShowSettings() {
    if (!session) return;
    const bool ready = slotfields::Ready(session->OwnSlot()) & 1;
    (ready ? ShowButtonPressed : ShowButtonNormal)(Control(0x10b));
    UpdateButtons();
}

void Win209Window::UpdateButtons() {
    if (!session) return;
    const bool ready = slotfields::Ready(session->OwnSlot()) & 1;
    for (int id : {0x100, 0x109, 0x300})
        ShowEnabled(Control(id), !ready);
    static const int32_t optionThree[4] = {0x101, 0x102, 0x103, 0x104};
    static const int32_t optionFour[4] = {0x105, 0x106, 0x107, 0x108};
    for (int k = 0; k < 4; ++k) {
        if (!ready || uint32_t(k) == session->room.Option(2)) EnableButton(Control(optionThree[k]));
        if (!ready || uint32_t(k) == session->room.Option(3)) EnableButton(Control(optionFour[k]));
    }
    ShowGroup(*this, optionThree, 4, session->room.Option(2), ready);
    ShowGroup(*this, optionFour, 4, session->room.Option(3), ready);
}
