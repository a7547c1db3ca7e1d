#include "Program/GameController.h"
#include "engine/Tools.h"
#include "net/RoomSessionLink.h"
#include "net/Zu_LocalSet.h"
#include "net/lobby/LobbyTexts.h"
#include "net/lobby/LobbyWindows.h"
#include "net/lobby/SlotFields.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr size_t kHistory = 20;
// Longest name a whisper may address: the record's name field.
constexpr size_t kWhisperName = 15;

// "/name text": the name and the text after the first blank, when it is a whisper.
bool SplitWhisper(const std::string& text, std::string* name, std::string* rest) {
    if (text.empty() || text[0] != '/') return false;
    const size_t blank = text.find(' ');
    if (blank == std::string::npos || blank < 2 || blank - 1 > kWhisperName) return false;
    *name = text.substr(1, blank - 1);
    *rest = text.substr(blank + 1);
    return true;
}
} // namespace

Win212Window::Win212Window(Widget* parent, Zu_LocalSet* owner) : LobbyWindow("Win212.gui", parent, owner) {
    AddToDrawList();
    DrawLog();
}

Win212Window::~Win212Window() {
    if (Zu_Tools::Global().GetBuffer() == field) Zu_Tools::Global().AttachBuffer(nullptr, 0, 0);
}

void Win212Window::AddChatRecord(const lobby::ChatRecord& incoming, int source) {
    lobby::ChatRecord record = incoming;
    uint32_t kind = 0;
    const std::string ownName = session ? session->ownName : std::string();
    RoomSessionLink* link = session ? session->Room() : nullptr;
    std::string name, rest;
    if (source != 0) {
        if (source == 1 && link && record.SlotId() == link->OwnPeerId()) return;
        if (SplitWhisper(record.Text(), &name, &rest)) {
            // Whispers travel to everybody; each station keeps only its own.
            if (name != ownName) return;
            record.SetText(rest);
            kind = 1;
        }
    } else if (SplitWhisper(record.Text(), &name, &rest)) {
        record.SetName(name);
        record.SetText(rest);
        kind = 3;
    }
    ring[total % ring.size()] = {kind, record};
    ++total;
    if (filled < ring.size()) ++filled;
    if (int32_t(filled) > rows) scroll = int32_t(total) - rows;
    DrawLog();
}

void Win212Window::DrawLog() {
    for (int i = 0; i < 5; ++i) {
        const uint32_t at = uint32_t(scroll + i);
        std::string line;
        if (i < rows && at < total && total - at <= ring.size()) {
            const Entry& e = ring[at % ring.size()];
            const std::string name = e.record.Name(), text = e.record.Text();
            switch (e.kind) {
            case 1:
                line = "[FROM]" + name + ":" + text;
                break;
            case 3:
                line = "[TO]" + name + ":" + text;
                break;
            case 2:
                line = name + ":" + lobbytext::kFriendMark + text;
                break;
            default:
                line = name + ":" + text;
                break;
            }
        }
        SetText(0x200 + i, 255, 255, 255, 2, line);
    }
    std::string shown(field, strnlen(field, sizeof field));
    if (editing && (frame / 2) % 2 == 0) shown += "_";
    SetText(0x600, 255, 241, 166, 2, shown);
}

void Win212Window::Update() {
    ++frame;
    Zu_Tools& input = Zu_Tools::Global();
    const uint32_t flags = input.GetFlags();
    if (editing && (flags & (Zu_Tools::kUpPressed | Zu_Tools::kDownPressed))) {
        // The arrows step through the lines sent before.
        const bool up = flags & Zu_Tools::kUpPressed;
        input.ToggleFlags(flags & (Zu_Tools::kUpPressed | Zu_Tools::kDownPressed));
        if (up && historyCursor > 0) --historyCursor;
        if (!up && historyCursor < history.size()) ++historyCursor;
        std::memset(field, 0, sizeof field);
        if (historyCursor < history.size())
            std::memcpy(field, history[historyCursor].data(),
                        std::min(history[historyCursor].size(), sizeof field - 1));
        input.AttachBuffer(field, Zu_Tools::kFieldSize, Zu_Tools::kInputOn);
    } else if (editing && (flags & Zu_Tools::kEscapePressed)) {
        std::memset(field, 0, sizeof field);
        input.AttachBuffer(nullptr, 0, 0);
        editing = false;
    } else if (flags & Zu_Tools::kEnterPressed) {
        input.ToggleFlags(Zu_Tools::kEnterPressed);
        if (!editing) {
            editing = true;
            input.AttachBuffer(field, Zu_Tools::kFieldSize, Zu_Tools::kInputOn);
        } else {
            Send();
        }
    }
    DrawLog();
}

void Win212Window::Send() {
    const std::string text(field, strnlen(field, sizeof field));
    if (text.empty() || !session) return;
    lobby::ChatRecord record;
    record.SetText(text);
    const bool inLobby = session->state == 11;
    RoomSessionLink* link = session->Room();
    if (inLobby) {
        record.SetName(session->login.PlayerId().empty() ? session->ownName : session->login.PlayerId());
    } else {
        record.SetName(slotfields::Name(session->OwnSlot()));
        record.SetSlotId(link ? link->OwnPeerId() : 0);
    }
    AddChatRecord(record, 0);
    // The log keeps the shortened whisper; the others get the whole line with the own name.
    record.SetName(inLobby ? record.Name() : slotfields::Name(session->OwnSlot()));
    record.SetText(text);
    if (inLobby)
        session->SendLobbyChat(record);
    else
        session->SendRoomChat(record);
    history.push_back(text);
    if (history.size() > kHistory) history.erase(history.begin());
    historyCursor = history.size();
    std::memset(field, 0, sizeof field);
    Zu_Tools::Global().AttachBuffer(field, Zu_Tools::kFieldSize, Zu_Tools::kInputOn);
}

void Win212Window::OnControlClick(Widget* control, Point*) {
    if (!control) return;
    if (control->id == 0x100 && scroll > 0 && scroll > int32_t(total) - 20) --scroll;
    if (control->id == 0x101 && scroll < int32_t(total) - 1) ++scroll;
    if (control->id == 0x500) rows = rows ? 0 : 4;
    if (control->id >= 0x600 && control->id < 0x610 && !editing) {
        editing = true;
        Zu_Tools::Global().AttachBuffer(field, Zu_Tools::kFieldSize, Zu_Tools::kInputOn);
    }
    DrawLog();
}
