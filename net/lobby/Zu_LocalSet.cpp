#include "net/Zu_LocalSet.h"

#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/Startup.h"
#include "engine/Archive.h"
#include "engine/Tools.h"
#include "gui/GuiPanel.h"
#include "gui/RootWidget.h"
#include "gui/ScreenBackdrop.h"
#include "net/MultiCast.h"
#include "net/RoomSessionLink.h"
#include "net/lobby/LobbyTexts.h"
#include "net/lobby/LobbyWindows.h"
#include "net/lobby/SlotFields.h"
#include "platform/CRand.h"
#include "platform/Files.h"
#include "platform/NetAddress.h"
#include "platform/Registry.h"
#include "platform/ScriptMarks.h"
#include "platform/Surface.h"
#include "platform/Time.h"
#include "world/BattleMap.h"
#include "world/RandomMapGenerator.h"
#include "world/VirtualKingdoms.h"

#include <cstdlib>
#include <cstring>

Zu_LocalSet* TheLocalSet = nullptr;

namespace {
constexpr const char* kSource = "Zu_LocalControl";

// "Software\Kardol"
constexpr const char kVersionKey[] = "Software\\Kardol";

// The lobby server's host text kept in the game's data archive (entry 3, item 3).
std::string ArchiveLobbyHost() {
    Zu_Archive archive;
    if (!archive.Open("Zu_DataS.Rom", 0, 0, 0, -1, nullptr)) return {};
    std::optional<Zu_Archive::Buffer> entry = archive.ReadEntry(3, 1);
    archive.Close();
    if (!entry || entry->empty()) return {};
    const uint8_t* item = Zu_Tools::GetBlobItem(entry->data(), entry->size(), 3);
    if (!item) return {};
    const uint8_t* end = entry->data() + entry->size();
    std::string host;
    while (item < end && *item && host.size() < 127)
        host.push_back(char(*item++));
    return host;
}

std::string ReadVersionText() {
    platform::HKEY key = nullptr;
    if (platform::RegOpenKeyExA(platform::HKEY_CLASSES_ROOT, kVersionKey, 0, platform::KEY_READ, &key) !=
        platform::ERROR_SUCCESS)
        return {};
    char text[260] = {};
    uint32_t size = sizeof text - 1;
    uint32_t type = 0;
    platform::RegQueryValueExA(key, "GameVersion", nullptr, &type, reinterpret_cast<uint8_t*>(text), &size);
    platform::RegCloseKey(key);
    text[sizeof text - 1] = 0;
    return text;
}
} // namespace

int32_t OptionOneValue(uint32_t option) {
    static const int32_t table[4] = {3, 9, 15, 21};
    return option < 4 ? table[option] : -1;
}

int32_t OptionThreeValue(uint32_t option) {
    static const int32_t table[4] = {7, 9, 11, 13};
    return option < 4 ? table[option] : -1;
}

Zu_LocalSet::Zu_LocalSet(GameController* owner) : controller(owner ? owner : TheGameController) {
    room.SetKind(lobby::KindRoom);
    clock.Reset(480.0f, 0);
    if (controller) {
        NetMutexHold::Scope hold(netHold);
        for (PlayerSlot& s : controller->players)
            s = PlayerSlot{};
    }
    ownName = platform::GetComputerName();
    if (ownName.size() > 31) ownName.resize(31);
    MakeLobbyPicture();
    if (const char* host = std::getenv("KARDOL_LOBBY_HOST"); host && *host) lobbyHost = host;
    if (lobbyHost.empty()) lobbyHost = ArchiveLobbyHost();
    version = Zu_Tools::ParseNumber("2.00t", 1, 10);
    if (NetworkLaunchFlag == 1) {
        lobbyHost = CommandWord1;
        login.SetPlayerId(CommandWord2);
        state = 120;
    } else if (NetworkLaunchFlag == 2) {
        onlineFlag = 1;
        lobbyServerFlag = 1;
        state = 0;
    }
    {
        // The room's receive thread reaches the session control through this pointer.
        std::lock_guard<std::mutex> lock(LocalSetPointerMutex());
        if (!TheLocalSet) TheLocalSet = this;
    }
    if (controller) {
        controller->lobbyLink.clock = &clock;
        controller->lobbyLink.pingAnswered = [this](uint32_t selector, uint32_t id, uint8_t step) {
            for (ListEntry& e : selector == 0 ? players : rooms)
                if (e.id == id) {
                    e.record.SetAnswerFlag(0);
                    e.record.SetRoundTrip(step);
                }
        };
    }
}

Zu_LocalSet::~Zu_LocalSet() {
    CloseWindows();
    UpdateStatus(1);
    ReleaseLobbyPicture();
    if (controller) {
        controller->lobbyLink.clock = nullptr;
        controller->lobbyLink.pingAnswered = nullptr;
    }
    std::lock_guard<std::mutex> lock(LocalSetPointerMutex());
    if (TheLocalSet == this) TheLocalSet = nullptr;
}

MultiCast& Zu_LocalSet::Link() {
    return controller->lobbyLink;
}

RoomSessionLink* Zu_LocalSet::Room() const {
    return roomLink ? roomLink : GetRoomSessionLink();
}

bool Zu_LocalSet::IsHost() const {
    return controller && controller->isHost;
}

int Zu_LocalSet::OwnIndex() const {
    RoomSessionLink* r = Room();
    const int n = r ? r->OwnSlotIndex() : 0;
    return n >= 0 && n < slotfields::kSlots ? n : 0;
}

PlayerSlot& Zu_LocalSet::OwnSlot() {
    return controller->players[OwnIndex()];
}

void Zu_LocalSet::Log(const char* text, int line, int32_t value) {
    Zu_Tools::WriteErrorLog(kSource, text, line, value, 0, 0, 1);
}

int32_t Zu_LocalSet::Tick(int) {
    return state == 102 ? Run() : kStay;
}

void Zu_LocalSet::MakeLobbyPicture() {
    if (lobbyPicture) return;
    Zu_Archive archive;
    if (!archive.Open("Zu_DataC.Rom", platform::OF_READ, platform::OF_SHARE_DENY_NONE, 0, -1, nullptr))
        return;
    lobbyPicture = Zu_Tools::LoadRomSurface(archive, 0);
    archive.Close();
}

void Zu_LocalSet::ReleaseLobbyPicture() {
    if (!lobbyPicture) return;
    ScreenBackdropFlag = 0;
    // The picture the store held before may have gone with its window meanwhile: the next
    // full-screen window brings its own.
    if (FullScreenPanelSurface == lobbyPicture) FullScreenPanelSurface = nullptr;
    lobbyPicture->Release();
    lobbyPicture = nullptr;
}

int32_t Zu_LocalSet::Run() {
    NetMutexHold::Scope hold(netHold);
    // The network screens are drawn over the lobby picture.
    if (lobbyPicture) {
        FullScreenPanelSurface = lobbyPicture;
        ScreenBackdropFlag = 1;
    }
    PumpMessages();
    while (Link().SendStep()) {
    }
    HandleRoomMessages();
    // The room's queues go out and its departures are noticed once a frame.
    if (RoomSessionLink* r = Room()) r->Flush();
    clock.Tick();
    firedMask = clock.fired;
    toggleMask = clock.toggle;
    UpdateStatus(0);
    if (controller->netErrorWord != 0) {
        Log("ErrorCode=", 364, controller->netErrorWord);
        controller->netErrorWord = 0;
    }
    if (win201) win201->Update();
    if (win207) win207->Update();
    if (win212) win212->Update();
    pendingResult = kStay;
    StepState();
    PostScriptMarks();
    if (pendingResult != kStay) return pendingResult;
    TakeEvents();
    return kStay;
}

void Zu_LocalSet::LoadData(int mode) {
    NetMutexHold::Scope hold(netHold);
    MakeLobbyPicture();
    if (mode == 1) {
        for (PlayerSlot& s : controller->players)
            slotfields::SetReady(s, 0);
        state = IsHost() ? 34 : 35;
        return;
    }
    room.SetStatus(lobby::kStatusLobby);
    room.SetStateCode(lobby::kRoomClosing);
    SendRoomRecord();
    state = 10;
}

void Zu_LocalSet::CloseWindows() {
    CloseRoomWindows();
    auto close = [](auto*& w) {
        if (w) w->Close(1);
        w = nullptr;
    };
    close(win74);
    close(win206);
    close(win207);
    close(win211);
    close(win213);
    close(win201);
    if (win212) {
        win212->Close(1);
        win212 = nullptr;
    }
}

void Zu_LocalSet::CloseAll() {
    CloseWindows();
    UpdateStatus(1);
    ReleaseLobbyPicture();
    state = 102;
}

bool Zu_LocalSet::MakeOwnAddress() {
    const uint32_t bound = Link().endpoints.bindAddress;
    if (bound) {
        ownAddress = bound;
        return true;
    }
    const auto found = platform::ResolveHost(ownName.c_str());
    if (!found) return false;
    ownAddress = *found;
    return true;
}

void Zu_LocalSet::OpenChatWindow() {
    if (!win212) win212 = new Win212Window(root ? root : TheRootWidget, this);
}

void Zu_LocalSet::OpenRoomWindows() {
    Widget* parent = root ? root : TheRootWidget;
    shownMap = -1;
    if (room.GameType() == 1) {
        if (!win208) win208 = new Win208Window(parent, this);
        if (!win210) win210 = new Win210Window(parent, this);
        ShowStatus(lobbytext::kChooseGeneral);
    } else {
        if (!win209) win209 = new Win209Window(parent, this);
        ShowStatus(lobbytext::kChooseFaction);
    }
    OpenChatWindow();
    RefreshRoomWindows();
}

void Zu_LocalSet::CloseRoomWindows() {
    auto close = [](auto*& w) {
        if (w) w->Close(1);
        w = nullptr;
    };
    close(win208);
    close(win209);
    close(win210);
    close(win213);
    close(win211);
}

void Zu_LocalSet::EnableRoomWindows(bool on) {
    if (win208) win208->SetEnabled(on);
    if (win209) win209->SetEnabled(on);
    if (win210) win210->SetEnabled(on);
}

int Zu_LocalSet::SlotCount() const {
    NetMutexHold::Scope hold(netHold);
    RoomSessionLink* r = Room();
    const int peers = r ? r->PeerCount() : 1;
    int count = 0, seen = 0;
    while (count < slotfields::kSlots && seen < peers) {
        if (slotfields::Id(controller->players[count])) ++seen;
        ++count;
    }
    return count < 1 ? 1 : count;
}

int Zu_LocalSet::IsChoiceTaken(int slot, uint32_t choice) const {
    if (choice == 0) return 0;
    NetMutexHold::Scope hold(netHold);
    const int n = SlotCount();
    for (int i = 0; i < n; ++i)
        if (i != slot && slotfields::Id(controller->players[i]) &&
            slotfields::Choice(controller->players[i]) == choice)
            return 1;
    return 0;
}

void Zu_LocalSet::ClearSlotChoices() {
    for (PlayerSlot& s : controller->players) {
        slotfields::SetChoice(s, 0);
        slotfields::SetAlliance(s, 0);
        slotfields::SetReady(s, 0);
    }
}

void Zu_LocalSet::LoadRoomMap() {
    const uint32_t map = room.MapIndex();
    shownMap = int32_t(map);
    // Random maps: map n has n + 2 cities, one faction each.
    if (room.GameType() != 1) room.SetMaxPlayers(map < RoomMapCount ? map + 2 : 2);
    if (win208) win208->LoadGeneralList();
    if (IsHost() && room.MaxPlayers() && int(room.PlayerCount()) > int(room.MaxPlayers())) {
        for (int s = int(room.MaxPlayers()); s < slotfields::kSlots; ++s)
            if (const uint32_t id = slotfields::Id(controller->players[s]); id && id != Room()->OwnPeerId())
                SendWordMessage(id, 20, kEventRemoved);
    }
    RefreshRoomWindows();
}

void Zu_LocalSet::RefreshRoomWindows() {
    if (!win208 && !win209) return;
    NetMutexHold::Scope hold(netHold);
    if (int32_t(room.MapIndex()) != shownMap) {
        ClearSlotChoices();
        LoadRoomMap();
        return;
    }
    if (win208) {
        win208->FillRows();
        win208->ShowSettings();
    }
    if (win209) {
        win209->FillRows();
        win209->ShowSettings();
    }
    if (win210) win210->Refresh();
}

void Zu_LocalSet::PostScriptMarks() {
    platform::SetScriptMark("net", int(state));
    platform::SetScriptMark("rooms", int(rooms.size()));
    int ready = 0;
    for (int s = 0; s < slotfields::kSlots; ++s)
        if (slotfields::Id(controller->players[s]) && slotfields::Ready(controller->players[s]) & 1) ++ready;
    platform::SetScriptMark("ready", ready);
}

bool Zu_LocalSet::StartRoom(RoomSessionLink& link, bool asHost) {
    NetMutexHold::Gap gap(netHold);
    return link.Start(asHost, hostAddress, ownName);
}

void Zu_LocalSet::CloseRoom() {
    RoomSessionLink* link = Room();
    if (!link) return;
    NetMutexHold::Gap gap(netHold);
    link->Close();
}

void Zu_LocalSet::SendRoomMessage(uint32_t peer, uint8_t type, const uint8_t* payload, size_t size) {
    RoomSessionLink* r = Room();
    if (!r) return;
    if (peer == 0)
        r->SendToHost(type, payload, size);
    else
        r->SendToPeer(peer, type, payload, size);
}

void Zu_LocalSet::SendWordMessage(uint32_t peer, uint8_t type, uint32_t word) {
    uint8_t payload[16] = {};
    lobby::PutU32(payload, 12, word);
    SendRoomMessage(peer, type, payload, sizeof payload);
}

void Zu_LocalSet::JoinRoom(int n) {
    if (n < 0 || size_t(n) >= rooms.size()) return;
    auto it = rooms.begin();
    std::advance(it, n);
    const lobby::RoomRecord& r = it->record;
    if (r.MaxPlayers() && r.PlayerCount() >= r.MaxPlayers()) return;
    if (r.Status() & 1) {
        ShowStatus(lobbytext::kGameInProgress);
        return;
    }
    hostAddress = platform::DottedAddress(r.Host().address);
    RoomSessionLink* link = Room();
    if (!link || !StartRoom(*link, false)) {
        ShowStatus(lobbytext::kConnectFailed);
        Log("NetInitialize fail", 1062);
        return;
    }
    controller->isHost = link->IsHost() ? 1 : 0;
    room = r;
    if (room.Approval() == 0) {
        if (win206) win206->Close(1);
        win206 = nullptr;
        state = 31;
        return;
    }
    SendWordMessage(0, 20, link->OwnPeerId());
    clock.StartCountdown(20);
    approvalAnswer = -1;
    ShowStatus(lobbytext::kWaitingForHost);
    state = 81;
}

void Zu_LocalSet::StepState() {
    Widget* parent = root ? root : TheRootWidget;
    const int32_t in = input;
    auto result = [this](int32_t r) { pendingResult = r; };
    switch (state) {
    case 70:
        if (!win74) win74 = new Win74Window(parent, this);
        input = -1;
        state = 71;
        break;
    case 71:
        if (in < 0) break;
        input = -1;
        if (in == 2) {
            if (win74) win74->Close(1);
            win74 = nullptr;
            result(kLeave);
            break;
        }
        if (in != 0 && in != 1) break;
        onlineFlag = in == 0 ? 1 : 0;
        lobbyServerFlag = 0;
        if (win74) win74->Close(1);
        win74 = nullptr;
        state = 0;
        break;
    case 0: {
        UpdateStatus(1);
        loggedIn = 0;
        if (onlineFlag) {
            Link().Close();
            Link().lobbyHost = lobbyHost;
            if (!(lobbyServerFlag ? Link().Create(1, 1) : Link().Create(0, 1))) {
                Log("MultiCasting Create Fail", 474);
                result(kLeave);
                break;
            }
        }
        state = 10;
        break;
    }
    case 10: {
        controller->networked = 1;
        room.SetStatus(lobby::kStatusLobby);
        UpdateStatus(1);
        if (!onlineFlag) Link().Close();
        if (win212) {
            win212->Close(1);
            win212 = nullptr;
        }
        if (win206) win206->Close(1);
        win206 = new Win206Window(parent, this);
        if (onlineFlag) OpenChatWindow();
        slotfields::SetName(controller->players[0], ownName);
        input = -1;
        if (lobbyServerFlag) {
            if (!Link().IsOpen()) Link().Create(1, 1);
            versionText = ReadVersionText();
            state = 12;
            break;
        }
        rooms.clear();
        players.clear();
        if (!onlineFlag) {
            if (!Link().Create(0, 0)) {
                Log("MultiCasting Create Fail", 474);
                result(kLeave);
                break;
            }
            const auto d = lobby::NameDatagram(lobby::KindAnnounce, ownName);
            Link().Send(d.data(), lobby::kSendOnce | lobby::kNoAck);
            state = 11;
        } else if (!loggedIn) {
            const auto d = lobby::NameDatagram(lobby::KindQuery, ownName);
            Link().Send(d.data(), 0);
            state = lobbyReplyCode != int32_t(lobby::kLoginAccepted) ? 110 : 11;
        } else {
            state = 11;
        }
        break;
    }
    case 11:
        if (win206) {
            win206->SetScrollRanges(int(rooms.size()), int(players.size()));
            win206->FillRows();
        }
        if ((firedMask & 0x3F) == 0x3F) {
            AgeRooms();
            AgePlayers();
            const auto d = lobby::NameDatagram(lobby::KindAnnounce, ownName);
            Link().Send(d.data(), lobby::kSendOnce | lobby::kNoAck);
        }
        if (in < 0) break;
        input = -1;
        if (in == 6) {
            if (!MakeOwnAddress()) {
                ShowStatus(lobbytext::kNoAddressForRoom);
                break;
            }
            const int first = int(ownAddress >> 24);
            Log(" IP address ", 982, first);
            if (!onlineFlag || (first != 192 && first != 10 && loggedIn)) {
                if (win206) win206->Close(1);
                win206 = nullptr;
                state = 20;
            } else {
                ShowStatus(loggedIn ? lobbytext::kVirtualAddressCannotHost : lobbytext::kNotConnected);
                Log("Can not Create New", 995, first);
            }
        } else if (in == 7) {
            room.SetStatus(lobby::kStatusLeaving);
            room.SetStateCode(lobby::kRoomClosing);
            SendRoomRecord();
            if (win206) win206->Close(1);
            win206 = nullptr;
            if (win212) {
                win212->Close(1);
                win212 = nullptr;
            }
            if (NetworkLaunchFlag) {
                clock.StartCountdown(20);
                state = 130;
            } else {
                state = 70;
            }
        } else if (in >= 256) {
            JoinRoom(in - 256);
        }
        break;
    case 12:
        if (win206 && (firedMask & 0x1F) == 0x1F) {
            win206->SetScrollRanges(int(rooms.size()), int(players.size()));
            win206->FillRows();
        }
        if ((firedMask & 0xFF) == 0xFF) PingStep();
        if (in == 7) {
            input = -1;
            result(kLeave);
        }
        break;
    case 20:
        if (!win207) win207 = new Win207Window(parent, this);
        input = -1;
        room.SetGameType(0);
        room.SetMaxPlayers(2);
        room.SetRoomOption(0);
        room.SetApproval(0);
        room.SetSeed(uint32_t(platform::rand() % 12387));
        state = 21;
        break;
    case 21:
        if (in < 0) break;
        input = -1;
        if (in == 0 || in == 1) {
            room.SetGameType(uint32_t(in));
        } else if (in >= 2 && in <= 5) {
            room.SetRoomOption(uint32_t(in - 2));
        } else if (in == 6 || in == 7) {
            room.SetApproval(uint32_t(in - 6));
        } else if (in == 8 || in == 9) {
            typedRoomName = win207 ? win207->FieldText(0) : std::string();
            if (win207) win207->Close(1);
            win207 = nullptr;
            state = in == 8 ? 30 : 10;
        }
        break;
    case 30: {
        if (!onlineFlag && !Link().Create(1, 0)) Log("MultiCasting Create Fail", 474);
        hostAddress = platform::DottedAddress(ownAddress);
        RoomSessionLink* link = Room();
        if (!link || !StartRoom(*link, true)) {
            // A room nobody can reach is not opened.
            ShowStatus(lobbytext::kConnectFailed);
            Log("NetInitialize fail", 1062);
            state = 10;
            break;
        }
        controller->isHost = link->IsHost() ? 1 : 0;
        room.SetName(typedRoomName.empty() ? ownName : typedRoomName);
        room.SetStateCode(lobby::kRoomOpen);
        room.SetPlayerCount(1);
        room.SetMapIndex(0);
        for (int n = 0; n < 4; ++n)
            room.SetOption(n, 0);
        room.SetHost({ownAddress, 0});
        room.SetStatus(lobby::kStatusOpen);
        ClearSlotChoices();
        SendRoomRecord();
        OpenRoomWindows();
        state = room.GameType() == 1 ? 32 : 33;
        break;
    }
    case 31:
    case 35: {
        OpenRoomWindows();
        room.SetStatus(lobby::kStatusOpen);
        SendRoomRecord();
        uint8_t payload[lobby::kRoomSize] = {};
        lobby::PutU32(payload, 12, Room() ? Room()->OwnPeerId() : 0);
        SendRoomMessage(0, 18, payload, sizeof payload);
        awaitedEvent = int32_t(kEventRoom);
        returnState = 61;
        clock.StartCountdown(state == 35 ? 30 : 15);
        state = 60;
        break;
    }
    case 32:
    case 33:
        if (in < 0) break;
        input = -1;
        RoomInput(in);
        break;
    case 34:
        room.SetStatus(lobby::kStatusOpen);
        SendRoomRecord();
        OpenRoomWindows();
        state = room.GameType() == 1 ? 32 : 33;
        break;
    case 50:
        if (Link().QueuedCount() == 0 || clock.CountdownExpired()) {
            UpdateStatus(1);
            state = 102;
            result(kStartGame);
        }
        break;
    case 60:
        if (clock.CountdownExpired()) {
            CloseRoomWindows();
            if (win212) {
                win212->Close(1);
                win212 = nullptr;
            }
            returnState = 0;
            awaitedEvent = -1;
            ShowStatus(lobbytext::kHostBusy);
            CloseRoom();
            clock.StartCountdown(3);
            state = 62;
        }
        break;
    case 61: {
        uint8_t payload[16] = {};
        lobby::PutU32(payload, 12, Room() ? Room()->OwnPeerId() : 0);
        SendRoomMessage(0, 19, payload, sizeof payload);
        returnState = room.GameType() == 1 ? 32 : 33;
        awaitedEvent = int32_t(kEventSlots);
        clock.StartCountdown(15);
        state = 60;
        break;
    }
    case 62:
        if (clock.CountdownExpired()) state = returnState;
        break;
    case 81:
        ShowStatus(lobbytext::kWaitingForHost);
        if (approvalAnswer < 0 && clock.CountdownExpired()) approvalAnswer = int32_t(kEventBusy);
        if (approvalAnswer == int32_t(kEventAccepted)) {
            if (win206) win206->Close(1);
            win206 = nullptr;
            state = 31;
        } else if (approvalAnswer == int32_t(kEventRejected) || approvalAnswer == int32_t(kEventBusy)) {
            const bool rejected = approvalAnswer == int32_t(kEventRejected);
            Log(rejected ? "Server Reject" : "Server Busy", rejected ? 1101 : 1111);
            ShowStatus(rejected ? lobbytext::kHostRefused : lobbytext::kHostBusy);
            CloseRoom();
            clock.StartCountdown(3);
            state = 82;
        }
        break;
    case 82:
        if (clock.CountdownExpired()) {
            if (win206) win206->SetEnabled(true);
            state = 11;
        }
        break;
    case 90: {
        std::string name;
        for (const PlayerSlot& s : controller->players)
            if (slotfields::Id(s) == waitingPeer) name = slotfields::Name(s);
        if (!win211) win211 = new Win211Window(parent, this, name);
        input = -1;
        EnableRoomWindows(false);
        clock.StartCountdown(18);
        state = 91;
        break;
    }
    case 91: {
        int32_t answer = in;
        if (answer != 200 && answer != 201) {
            if (!clock.CountdownExpired()) break;
            answer = 201;
        }
        input = -1;
        SendWordMessage(waitingPeer, 20, answer == 200 ? kEventAccepted : kEventRejected);
        if (win211) win211->Close(1);
        win211 = nullptr;
        EnableRoomWindows(true);
        state = returnState;
        break;
    }
    case 100:
        if (!win213) win213 = new Win213Window(parent, this);
        input = -1;
        EnableRoomWindows(false);
        state = 101;
        break;
    case 101:
        if (in < 0) break;
        input = -1;
        if (in == 300) {
            if (win213) win213->Close(1);
            win213 = nullptr;
            EnableRoomWindows(true);
            state = 33;
        } else if (in > 300) {
            const uint32_t choice = uint32_t(in - 316);
            if (choice < 1 || choice > 16 || choice > room.MaxPlayers()) break;
            if (IsChoiceTaken(OwnIndex(), choice)) {
                ShowStatus(lobbytext::kChoiceTaken);
                break;
            }
            slotfields::SetChoice(OwnSlot(), choice);
            SendOwnSlot();
            if (win213) win213->Close(1);
            win213 = nullptr;
            EnableRoomWindows(true);
            RefreshRoomWindows();
            state = 33;
        }
        break;
    case 110:
        if (win206) win206->SetEnabled(false);
        clock.StartCountdown(20);
        state = 112;
        break;
    case 111:
        if (NetworkLaunchFlag) {
            if (clock.CountdownExpired()) result(kLeave);
            break;
        }
        if (in < 0) break;
        input = -1;
        if (in == 0) {
            const std::string id = win201 ? win201->FieldText(0) : std::string();
            const std::string password = win201 ? win201->FieldText(1) : std::string();
            if (id.empty() || password.empty()) {
                ShowStatus(lobbytext::kEnterNameAndPassword);
                break;
            }
            login = lobby::LoginDatagram();
            login.SetPlayerId(id);
            login.SetPassword(password);
            ownName = login.PlayerId().substr(0, 31);
            Link().Send(login.bytes.data(), 0);
            lobbyReplyCode = -1;
            clock.StartCountdown(20);
            state = 114;
        } else {
            CloseWindows();
            state = 70;
        }
        break;
    case 112:
        ShowStatus(lobbytext::kConnecting);
        if (loggedIn) {
            if (NetworkLaunchFlag) {
                login = lobby::LoginDatagram();
                login.SetKind(lobby::KindLaunchLogin);
                login.SetPlayerId(CommandWord2);
                login.SetPassword(CommandWord3);
                Link().Send(login.bytes.data(), 0);
                clock.StartCountdown(20);
                state = 114;
            } else {
                if (!win201) win201 = new Win201Window(parent, this);
                input = -1;
                state = 111;
            }
        } else if (clock.CountdownExpired()) {
            ShowStatus(lobbytext::kNotConnected);
            clock.StartCountdown(2);
            state = 113;
        }
        break;
    case 113:
        if (clock.CountdownExpired()) {
            if (win206) win206->Close(1);
            win206 = nullptr;
            state = 70;
        }
        break;
    case 114: {
        const int32_t code = lobbyReplyCode;
        if (code == int32_t(lobby::kLoginAccepted)) {
            if (win201) win201->Close(1);
            win201 = nullptr;
            if (!NetworkLaunchFlag) NetworkLaunchFlag = 1;
            if (win206) win206->SetEnabled(true);
            state = 11;
        } else if (code == int32_t(lobby::kLoginWrongPassword) ||
                   code == int32_t(lobby::kLoginWrongVersion) || code == int32_t(lobby::kLoginInUse) ||
                   (code < 0 && clock.CountdownExpired())) {
            ShowStatus(code == int32_t(lobby::kLoginWrongPassword)  ? lobbytext::kWrongPassword
                       : code == int32_t(lobby::kLoginWrongVersion) ? lobbytext::kWrongVersion
                       : code == int32_t(lobby::kLoginInUse)        ? lobbytext::kAlreadyLoggedIn
                                                                    : lobbytext::kServerBusy);
            clock.StartCountdown(5);
            lobbyReplyCode = -1;
            if (code == int32_t(lobby::kLoginInUse)) {
                returnState = 111;
                state = 62;
            } else {
                state = 111;
            }
        }
        break;
    }
    case 120:
        onlineFlag = 1;
        lobbyServerFlag = 0;
        state = 0;
        break;
    case 130:
        if (Link().QueuedCount() == 0 || clock.CountdownExpired()) result(kLeaveLaunch);
        break;
    default:
        break;
    }
}

void Zu_LocalSet::RoomInput(int code) {
    PlayerSlot& own = OwnSlot();
    const bool ready = slotfields::Ready(own) != 0;
    const bool campaign = state == 32;
    const bool host = IsHost();
    if (campaign && code >= 100 && code < 112) {
        if (ready || !win210) return;
        const int k = code - 100;
        const uint32_t side = k < 6 ? 1 : 2;
        const uint32_t choice = uint32_t(k < 6 ? k + 1 + win210->scroll[0] : k + 3 + win210->scroll[1]);
        if (IsChoiceTaken(OwnIndex(), choice)) {
            ShowStatus(lobbytext::kChoiceTaken);
            return;
        }
        slotfields::SetAlliance(own, side);
        slotfields::SetChoice(own, choice);
        SendOwnSlot();
        RefreshRoomWindows();
        return;
    }
    if (!campaign && code == 2 * OwnIndex() + 1) {
        if (ready) return;
        const uint32_t limit = room.MaxPlayers() > 1 ? std::min<uint32_t>(room.MaxPlayers() - 1, 7) : 1;
        const uint32_t next = slotfields::Alliance(own) + 1;
        slotfields::SetAlliance(own, next > limit ? 0 : next);
        SendOwnSlot();
        RefreshRoomWindows();
        return;
    }
    if (!campaign && code == OwnIndex() + 80) {
        if (!ready) state = 100;
        return;
    }
    auto settingsChanged = [this] {
        room.SetStateCode(lobby::kRoomOpen);
        BroadcastRoom();
    };
    if (host && !ready) {
        if (campaign && code >= 48 && code <= 51) {
            room.SetOption(0, uint32_t(code - 48));
            return settingsChanged();
        }
        if (campaign && (code == 52 || code == 53)) {
            room.SetOption(1, uint32_t(code - 52));
            return settingsChanged();
        }
        if (!campaign && code >= 68 && code <= 71) {
            room.SetOption(2, uint32_t(code - 68));
            return settingsChanged();
        }
        if (!campaign && code >= 72 && code <= 75) {
            room.SetOption(3, uint32_t(code - 72));
            return settingsChanged();
        }
        if (code >= 40 && code <= 44) {
            const int offset =
                campaign ? (win208 ? win208->listOffset : 0) : (win209 ? win209->listOffset : 0);
            const uint32_t map = uint32_t(offset + code - 40);
            const uint32_t count = campaign ? 6u : RoomMapCount;
            if (map >= count || map == room.MapIndex()) return;
            room.SetMapIndex(map);
            ClearSlotChoices();
            LoadRoomMap();
            room.SetStateCode(lobby::kRoomOpen);
            BroadcastRoom();
            SendOwnSlot();
            return;
        }
    }
    const int readyCode = campaign ? 54 : 76;
    const int startCode = campaign ? 55 : 77;
    const int leaveCode = campaign ? 56 : 78;
    if (code == readyCode) {
        if (slotfields::Choice(own) == 0) {
            ShowStatus(campaign ? lobbytext::kChooseGeneral : lobbytext::kChooseFaction);
            RefreshRoomWindows();
            return;
        }
        slotfields::SetReady(own, ready ? 0 : 1);
        SendOwnSlot();
        RefreshRoomWindows();
    } else if (code == startCode && host) {
        if (!ready) return ShowStatus(lobbytext::kTickReadyFirst);
        const int n = SlotCount();
        for (int i = 0; i < n; ++i)
            if (slotfields::Id(controller->players[i]) && !slotfields::Ready(controller->players[i]))
                return ShowStatus(lobbytext::kNotAllReady);
        if (onlineFlag) {
            bool mixed = slotfields::Alliance(controller->players[0]) == 0;
            for (int i = 1; i < n; ++i)
                if (slotfields::Id(controller->players[i]) &&
                    slotfields::Alliance(controller->players[i]) !=
                        slotfields::Alliance(controller->players[0]))
                    mixed = true;
            if (!mixed || (!campaign && n < 2)) return ShowStatus(lobbytext::kNotAllAllies);
        }
        room.SetStateCode(lobby::kRoomStarted);
        BroadcastRoom();
    } else if (code == leaveCode) {
        if (ready) return ShowStatus(lobbytext::kUntickReadyFirst);
        room.SetStateCode(lobby::kRoomClosing);
        BroadcastRoom();
    }
}

void Zu_LocalSet::StartGame() {
    // Options outside their tables cannot start a game on this station.
    const int32_t one = OptionOneValue(room.Option(0));
    const int32_t three = OptionThreeValue(room.Option(2));
    if ((room.GameType() == 1 && one < 0) || (room.GameType() != 1 && three < 0) || room.Option(1) > 1 ||
        room.Option(3) > 3) {
        Log("Bad room options", 1200, int32_t(room.Option(0)));
        return;
    }
    room.SetStatus(lobby::kStatusStarted);
    SendRoomRecord();
    controller->netOptions[0] = room.GameType() == 1 ? one : int32_t(room.Option(0));
    controller->netOptions[1] = int32_t(room.Option(1));
    controller->netOptions[2] = room.GameType() == 1 ? int32_t(room.Option(2)) : three;
    controller->netOptions[3] = int32_t(room.Option(3));
    controller->syncRandom = room.Seed();
    controller->netGameType = int32_t(room.GameType());
    controller->campaignStage = uint8_t(room.MapIndex() + 100);
    controller->networked = 1;
    controller->gameKind = 2;
    // What the stage start reads of the room: a generated map or one of the fixed battles, their
    // officers' level and the starting resources.
    const bool generated = room.GameType() != 1 && room.MapIndex() < RoomMapCount;
    controller->randomMap = generated ? 1 : 0;
    controller->roomMapKind = room.GameType() == 1 ? 1 : 0;
    controller->startLevel = room.GameType() == 1 ? one : 0;
    controller->startResources = int32_t(room.Option(3));
    if (generated) GenerateRoomMap(three);
    CloseRoomWindows();
    clock.StartCountdown(10);
    state = 50;
}

void Zu_LocalSet::GenerateRoomMap(int32_t officersPerCity) {
    // Every station builds the same stage from the same room: the generator has no other input.
    // It works on the program's world and shared random state.
    if (!TheBattleMap || controller != TheGameController) return;
    RandomMapOptions options;
    options.sizeIndex = int32_t(room.MapIndex());
    options.localKingdom = int32_t(slotfields::Choice(OwnSlot()));
    options.officersPerCity = officersPerCity;
    options.resourceLevel = int32_t(room.Option(3));
    options.seed = room.Seed();
    // The alliance values in faction order.
    const int used = SlotCount();
    for (int s = 0; s < used; ++s) {
        const PlayerSlot& slot = controller->players[s];
        const uint32_t choice = slotfields::Choice(slot);
        if (slotfields::Id(slot) && choice >= 1 && choice <= 16)
            options.teams[choice - 1] = int32_t(slotfields::Alliance(slot));
    }
    const RandomMapSettings settings = RandomMapSettings::From(GameParams());
    const int32_t humans = Room() ? Room()->PeerCount() : 1;
    Zu_StageSet* stage = CreateNeutralGroups(options.sizeIndex, humans, ownName, settings, officersPerCity);
    if (!stage || !GenerateVirtualStage(*stage, options, settings, TheBattleMap->scenario))
        Log("Virtual stage fail", 1210, options.sizeIndex);
}

void Zu_LocalSet::UploadRecord(const int32_t words[12]) {
    lobby::LoginDatagram record = login;
    record.SetKind(lobby::KindRecordUpload);
    for (int n = 0; n < 12; ++n)
        lobby::PutU32(record.bytes.data(), 16 + 4 * size_t(n), uint32_t(words[n]));
    Zu_Tools::WriteErrorLog(kSource, record.PlayerId().c_str(), 342, words[0], words[1], words[2], 1);
    if (Link().IsOpen()) Link().Send(record.bytes.data(), 0);
}

int NetPeerSlotCount() {
    return TheLocalSet ? TheLocalSet->SlotCount() : 1;
}
