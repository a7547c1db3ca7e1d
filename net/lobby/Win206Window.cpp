#include "gui/TextButton.h"
#include "gui/VScrollBar.h"
#include "net/Zu_LocalSet.h"
#include "net/lobby/LobbyTexts.h"
#include "net/lobby/LobbyWindows.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace {
constexpr int kRows = 12;

// The name of a room's map: a campaign battle or a random map of n cities.
std::string MapName(uint32_t gameType, uint32_t map) {
    if (gameType == 1) return map < 6 ? lobbytext::kBattleNames[map] : "";
    if (map >= RoomMapCount) return "";
    return std::string(lobbytext::kRandomMap) + std::to_string(map + 2) + lobbytext::kCityWord;
}
} // namespace

Win206Window::Win206Window(Widget* parent, Zu_LocalSet* owner) : LobbyWindow("Win206.gui", parent, owner) {
    AddToDrawList();
    SetScrollRanges(0, 0);
    FillRows();
}

void Win206Window::SetScrollRanges(int rooms, int players) {
    roomCount = rooms;
    playerCount = players;
    roomScroll = std::clamp(roomScroll, 0, std::max(0, rooms - kRows));
    playerScroll = std::clamp(playerScroll, 0, std::max(0, players - kRows));
    const int counts[2] = {rooms, players};
    const int positions[2] = {roomScroll, playerScroll};
    for (int k = 0; k < 2; ++k)
        if (auto* bar = dynamic_cast<VScrollBar*>(Control(0x300 + k))) {
            bar->SetRange(std::max(kRows, counts[k]), kRows, 1);
            bar->position = int16_t(positions[k]);
            bar->UpdateLayout();
        }
}

void Win206Window::FillRows() {
    if (!session) return;
    auto room = session->rooms.begin();
    std::advance(room, std::min<size_t>(size_t(roomScroll), session->rooms.size()));
    for (int row = 0; row < kRows; ++row) {
        const int base = 0x200 + 8 * row;
        auto* button = dynamic_cast<TextButton*>(Control(0x102 + row));
        if (room != session->rooms.end()) {
            const lobby::RoomRecord& r = room->record;
            const bool grey = r.Status() & 1;
            const uint8_t cr = grey ? 150 : 225, cg = grey ? 150 : 191, cb = grey ? 150 : 135;
            const uint32_t level = r.RoomOption(), mode = r.Approval();
            SetText(base + 0, cr, cg, cb, 2, MapName(r.GameType(), r.MapIndex()));
            SetText(base + 1, cr, cg, cb, 2,
                    std::to_string(r.PlayerCount()) + "/" + std::to_string(r.MaxPlayers()));
            SetText(base + 2, cr, cg, cb, 2, level < 4 ? lobbytext::kLevelNames[level] : "");
            SetText(base + 3, cr, cg, cb, 2, mode < 6 ? lobbytext::kRoomModeNames[mode] : "");
            SetText(base + 4, cr, cg, cb, 2, r.Name());
            SetText(base + 5, cr, cg, cb, 2, lobby::GetText(r.bytes.data(), 68, 30));
            SetText(0x600 + row, cr, cg, cb, 1, lobbytext::kContestNames[r.GameType() == 1 ? 1 : 0]);
            EnableButton(Control(0x102 + row));
            if (button) button->Enable();
            ++room;
        } else {
            for (int col = 0; col < 6; ++col)
                SetText(base + col, 225, 191, 135, 2, "");
            SetText(0x600 + row, 225, 191, 135, 1, "");
            DisableButton(Control(0x102 + row));
        }
    }
    auto player = session->players.begin();
    std::advance(player, std::min<size_t>(size_t(playerScroll), session->players.size()));
    for (int row = 0; row < kRows; ++row) {
        const int base = 0x200 + 8 * row;
        if (player == session->players.end()) {
            SetText(base + 6, 225, 191, 135, 2, "");
            SetText(base + 7, 225, 191, 135, 2, "");
            continue;
        }
        lobby::RoomRecord& p = player->record;
        // The level byte: 0..8, larger values count as 8.
        if (p.bytes[99] > 8) p.bytes[99] = 8;
        const uint32_t status = p.Status();
        const char* word = (status & 1)   ? lobbytext::kPlayerStateWords[2]
                           : (status & 2) ? lobbytext::kPlayerStateWords[1]
                                          : lobbytext::kPlayerStateWords[0];
        SetText(base + 6, 225, 191, 135, 2, p.Name());
        SetText(base + 7, 225, 191, 135, 2, std::to_string(9 - p.bytes[99]) + word);
        ++player;
    }
}

void Win206Window::OnControlClick(Widget* control, Point*) {
    if (!control) return;
    static const int32_t order[8] = {0x100, 0x300, 0x10e, 0x101, 0x301, 0x10f, 0x110, 0x111};
    const int id = control->id;
    if (id >= 0x102 && id <= 0x10d) {
        Answer(256 + roomScroll + id - 0x102);
        return;
    }
    const int index = Zu_LocalSet2::IdToIndex(8, order, id);
    if (index < 0) return;
    if (index == 0 || index == 2) roomScroll += index == 0 ? -1 : 1;
    if (index == 3 || index == 5) playerScroll += index == 3 ? -1 : 1;
    SetScrollRanges(roomCount, playerCount);
    FillRows();
    Answer(index);
}

void Win206Window::OnControlPress(Widget* control, Point*) {
    if (!control || (control->id & 0xFF00) != 0x300) return;
    if (auto* bar = dynamic_cast<VScrollBar*>(Control(0x300))) roomScroll = bar->position;
    if (auto* bar = dynamic_cast<VScrollBar*>(Control(0x301))) playerScroll = bar->position;
    FillRows();
}

void Win206Window::OnControlHover(Widget* control, Point* p) {
    OnControlPress(control, p);
}
