#include "Program/GameController.h"
#include "engine/Tools.h"
#include "net/MultiCast.h"
#include "net/RoomMessages.h"
#include "net/RoomSessionLink.h"
#include "net/Zu_LocalSet.h"
#include "net/lobby/LobbyTexts.h"
#include "net/lobby/LobbyWindows.h"
#include "net/lobby/SlotFields.h"
#include "platform/Time.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr const char* kSource = "Zu_LocalControl";
RoomSessionLink* InstalledRoomLink = nullptr;
// Room messages queued for the main thread beyond this many are dropped.
constexpr size_t kInboxCap = 256;
} // namespace

RoomSessionLink* GetRoomSessionLink() {
    return InstalledRoomLink;
}

void SetRoomSessionLink(RoomSessionLink* link) {
    InstalledRoomLink = link;
}

std::mutex& LocalSetPointerMutex() {
    static std::mutex m;
    return m;
}

void NetRoomDispatch(uint32_t fromPeer, uint8_t type, const uint8_t* payload, size_t size) {
    std::lock_guard<std::mutex> lock(LocalSetPointerMutex());
    if (TheLocalSet) TheLocalSet->DeliverRoomMessage(fromPeer, type, payload, size);
}

void NetLobbyNotify(uint8_t type, uint32_t peerId) {
    std::lock_guard<std::mutex> lock(LocalSetPointerMutex());
    if (TheLocalSet) TheLocalSet->TakeLobbyNotice(type, peerId);
}

void Zu_LocalSet::TakeLobbyNotice(uint8_t type, uint32_t peerId) {
    if (type == 1 || type == 6)
        PostEvent(kEventRoom, 0);
    else if (type == 16)
        PostEvent(kEventPeerLeft, peerId);
    else if (type == 17)
        PostEvent(kEventHostLeft, peerId);
}

void NetPostSessionEvent(uint32_t message, uint32_t value) {
    std::lock_guard<std::mutex> lock(LocalSetPointerMutex());
    if (TheLocalSet) TheLocalSet->PostEvent(message, value);
}

void Zu_LocalSet::PostEvent(uint32_t message, uint32_t value) {
    std::lock_guard<std::mutex> lock(inboxMutex);
    if (events.size() >= kEventCap) {
        Zu_Tools::WriteErrorLog(kSource, "Event lost", 1300, int32_t(message), 0, 0, 1);
        return;
    }
    events.push_back({message, value});
}

void Zu_LocalSet::DeliverRoomMessage(uint32_t fromPeer, uint8_t type, const uint8_t* payload, size_t size) {
    std::lock_guard<std::mutex> lock(inboxMutex);
    if (inbox.size() >= kInboxCap || (!payload && size)) return;
    inbox.push_back({fromPeer, type, std::vector<uint8_t>(payload, payload + size)});
}

void Zu_LocalSet::HandleRoomMessages() {
    for (;;) {
        InMessage m;
        {
            std::lock_guard<std::mutex> lock(inboxMutex);
            if (inbox.empty()) return;
            m = std::move(inbox.front());
            inbox.pop_front();
        }
        HandleRoomMessage(m);
    }
}

void Zu_LocalSet::HandleRoomMessage(const InMessage& m) {
    const uint8_t* p = m.payload.data();
    const size_t n = m.payload.size();
    const bool host = IsHost();
    RoomSessionLink* link = Room();
    if (!link) return;
    // A client may speak only for its own slot: the sender's slot index.
    auto senderSlot = [&]() -> int {
        for (int i = 0; i < slotfields::kSlots; ++i)
            if (slotfields::Id(controller->players[i]) == m.fromPeer) return i;
        return -1;
    };
    switch (m.type) {
    case 16: {
        if (host || n != lobby::kRoomSize) return;
        lobby::RoomRecord r;
        std::memcpy(r.bytes.data(), p, n);
        r.bytes[12 + 31] = 0;
        if (r.PlayerCount() > 20 || r.MaxPlayers() > 20) return;
        room = r;
        PostEvent(r.StateCode() == lobby::kRoomStarted   ? kEventStart
                  : r.StateCode() == lobby::kRoomClosing ? kEventClose
                                                         : kEventRoom,
                  0);
        return;
    }
    case 17: {
        if (!host || n != slotfields::kSize) return;
        PlayerSlot s;
        std::memcpy(s.bytes, p, n);
        const int index = senderSlot();
        if (index < 0 || slotfields::Index(s) != index) return;
        if (slotfields::Choice(s) > 16 || slotfields::Alliance(s) > 7 || slotfields::Ready(s) > 1) return;
        slotfields::SetId(s, m.fromPeer);
        slotfields::SetName(s, slotfields::Name(controller->players[index]));
        if (IsChoiceTaken(index, slotfields::Choice(s))) {
            SendRoomMessage(m.fromPeer, 27, p, n);
            return;
        }
        controller->players[index] = s;
        link->Broadcast(26, s.bytes, sizeof s.bytes, m.fromPeer);
        PostEvent(kEventSlots, 0);
        return;
    }
    case 18:
        if (!host || n != lobby::kRoomSize) return;
        room.SetStateCode(lobby::kRoomOpen);
        room.SetPlayerCount(uint32_t(link->PeerCount()));
        link->SendToPeer(m.fromPeer, 16, room.bytes.data(), room.bytes.size());
        PostEvent(kEventRoom, 0);
        return;
    case 19:
        if (!host || n != 16) return;
        for (int i = 0; i < SlotCount(); ++i)
            if (const uint32_t id = slotfields::Id(controller->players[i]))
                link->Broadcast(26, controller->players[i].bytes, slotfields::kSize, id);
        PostEvent(kEventSlots, 0);
        return;
    case 20: {
        if (n != 16) return;
        const uint32_t word = lobby::GetU32(p, 12);
        if (host)
            PostEvent(kEventJoinRequest, m.fromPeer);
        else if (word == kEventAccepted || word == kEventRejected || word == kEventRemoved ||
                 word == kEventBusy)
            PostEvent(word, 0);
        return;
    }
    case 24: {
        lobby::ChatRecord c;
        if (!lobby::ChatRecord::Decode(p, n, &c)) return;
        if (host) {
            c.SetSlotId(m.fromPeer);
            link->Broadcast(24, c.bytes.data(), c.bytes.size(), 0);
        }
        if (win212) win212->AddChatRecord(c, 1);
        PostEvent(kEventChat, 0);
        return;
    }
    case 26: {
        if (host || n != slotfields::kSize) return;
        PlayerSlot s;
        std::memcpy(s.bytes, p, n);
        const uint8_t index = slotfields::Index(s);
        if (index >= slotfields::kSlots || slotfields::Choice(s) > 16 || slotfields::Alliance(s) > 7 ||
            slotfields::Ready(s) > 1)
            return;
        s.bytes[4 + 127] = 0;
        controller->players[index] = s;
        PostEvent(kEventSlots, 0);
        return;
    }
    case 27:
        if (host || n != slotfields::kSize) return;
        PostEvent(kEventChoiceTaken, 0);
        return;
    default:
        return;
    }
}

void Zu_LocalSet::TakeEvents() {
    for (;;) {
        Event e;
        {
            std::lock_guard<std::mutex> lock(inboxMutex);
            if (events.empty()) return;
            e = events.front();
            events.pop_front();
        }
        bool stop = false;
        HandleEvent(e, stop);
        if (awaitedEvent >= 0 && e.message == uint32_t(awaitedEvent)) {
            awaitedEvent = -1;
            state = returnState;
        }
        if (stop) return;
    }
}

void Zu_LocalSet::HandleEvent(const Event& e, bool& stop) {
    const bool inRoom = state == 32 || state == 33 || state == 101;
    switch (e.message) {
    case kEventRoom:
        if (Room()) playerCount = Room()->PeerCount();
        room.SetPlayerCount(uint32_t(std::max(playerCount, 1)));
        SendRoomRecord();
        RefreshRoomWindows();
        break;
    case kEventJoinRequest:
        if (inRoom && IsHost()) {
            waitingPeer = e.value;
            returnState = state;
            state = 90;
        } else {
            SendWordMessage(e.value, 20, kEventBusy);
        }
        break;
    case kEventAccepted:
    case kEventRejected:
    case kEventBusy:
        approvalAnswer = int32_t(e.message);
        break;
    case kEventRemoved:
    case kEventHostLeft:
        if (inRoom) PostEvent(kEventClose, 0);
        break;
    case kEventChat:
        if (win212) win212->DrawLog();
        break;
    case kEventSlots:
        RefreshRoomWindows();
        break;
    case kEventChoiceTaken:
        slotfields::SetChoice(OwnSlot(), 0);
        slotfields::SetReady(OwnSlot(), 0);
        ShowStatus(lobbytext::kChoiceTaken);
        RefreshRoomWindows();
        break;
    case kEventPeerLeft:
        if (IsHost() && Room()) {
            Room()->RemovePeer(e.value);
            PostEvent(kEventRoom, 0);
        }
        break;
    case kEventStart:
        if (inRoom) StartGame();
        break;
    case kEventClose:
        PostEvent(kEventClosed, 0);
        ShowStatus("Waiting Close");
        stop = true;
        break;
    case kEventClosed: {
        RoomSessionLink* link = Room();
        clock.StartCountdown(10);
        {
            // The acknowledgements come in through the receive thread.
            NetMutexHold::Gap gap(netHold);
            // Bounded by passes too, so that a stopped clock cannot hold the frame.
            for (int pass = 0; pass < 2000 && !clock.CountdownExpired(); ++pass) {
                PumpMessages();
                while (Link().SendStep()) {
                }
                const bool flushed = !link || link->Flush();
                if (Link().QueuedCount() == 0 && flushed) break;
                platform::Sleep(5);
            }
        }
        CloseRoomWindows();
        CloseRoom();
        ClearSlotChoices();
        controller->isHost = 0;
        state = 10;
        break;
    }
    default:
        break;
    }
}

void Zu_LocalSet::SendRoomRecord() {
    if (!onlineFlag || !Link().IsOpen()) return;
    lobby::RoomRecord status = room;
    status.SetKind(lobby::KindPlayerStatus);
    status.SetName(login.PlayerId().empty() ? ownName : login.PlayerId());
    if (room.StateCode() == lobby::kRoomClosing) status.SetStatus(0);
    Link().Send(status.bytes.data(), 0);
    if (IsHost() && (state == 32 || state == 33 || state == 30 || state == 34 || state == 101 ||
                     state == 90 || state == 91 || state == 100)) {
        lobby::RoomRecord r = room;
        r.SetKind(lobby::KindRoom);
        Link().Send(r.bytes.data(), 0);
    }
}

void Zu_LocalSet::BroadcastRoom() {
    SendRoomRecord();
    if (IsHost()) {
        if (RoomSessionLink* link = Room()) {
            room.SetPlayerCount(uint32_t(std::max(link->PeerCount(), 1)));
            link->Broadcast(16, room.bytes.data(), room.bytes.size(), 1);
        }
        PostEvent(room.StateCode() == lobby::kRoomStarted   ? kEventStart
                  : room.StateCode() == lobby::kRoomClosing ? kEventClose
                                                            : kEventRoom,
                  0);
    } else if (room.StateCode() == lobby::kRoomClosing) {
        PostEvent(kEventClose, 0);
    }
}

void Zu_LocalSet::SendOwnSlot() {
    RoomSessionLink* link = Room();
    if (!link) return;
    PlayerSlot& own = OwnSlot();
    slotfields::SetIndex(own, uint8_t(OwnIndex()));
    if (IsHost()) {
        link->Broadcast(26, own.bytes, slotfields::kSize, link->OwnPeerId());
        PostEvent(kEventSlots, 0);
    } else {
        link->SendToHost(17, own.bytes, slotfields::kSize);
    }
}

void Zu_LocalSet::SendLobbyChat(const lobby::ChatRecord& record) {
    if (!lobbyServerFlag) Link().Send(record.bytes.data(), 0);
    PostEvent(kEventChat, 0);
}

void Zu_LocalSet::SendRoomChat(const lobby::ChatRecord& record) {
    RoomSessionLink* link = Room();
    if (!link) return;
    if (IsHost()) {
        link->Broadcast(24, record.bytes.data(), record.bytes.size(), 0);
        PostEvent(kEventChat, 0);
    } else {
        link->SendToHost(24, record.bytes.data(), record.bytes.size());
    }
}

void Zu_LocalSet::AgeList(std::list<ListEntry>& list) {
    for (auto it = list.begin(); it != list.end();) {
        if (++it->tag >= 11)
            it = list.erase(it);
        else
            ++it;
    }
}

void Zu_LocalSet::AgeRooms() {
    AgeList(rooms);
}

void Zu_LocalSet::AgePlayers() {
    AgeList(players);
}

void Zu_LocalSet::PingStep() {
    std::list<ListEntry>* lists[2] = {&players, &rooms};
    for (uint32_t selector = 0; selector < 2; ++selector) {
        std::list<ListEntry>& list = *lists[selector];
        for (uint32_t id : Link().TakeUnansweredPings(selector))
            for (ListEntry& e : list)
                if (e.id == id) e.record.SetPingPending(1);
        for (auto it = list.begin(); it != list.end();) {
            lobby::RoomRecord& r = it->record;
            r.SetMissedPings(r.PingPending() ? uint8_t(r.MissedPings() + 1) : 0);
            if (r.MissedPings() >= 1) {
                it = list.erase(it);
                continue;
            }
            r.SetPingPending(0);
            Link().SendPing(selector, it->id, selector == 0 ? r.Owner() : r.Host());
            ++it;
        }
    }
}

void Zu_LocalSet::ServeAnnouncement(const platform::SocketAddress& sender, const uint8_t* data) {
    MultiCast& link = Link();
    if (lobbyServerFlag) {
        uint8_t connected[lobby::kConnectedSize] = {};
        lobby::PutHeader(connected, lobby::KindConnected, lobby::kConnectedSize);
        link.SendTo(connected, sender, 0);
        for (const ListEntry& e : rooms) {
            lobby::RoomRecord r = e.record;
            r.SetKind(lobby::KindRoom);
            link.SendTo(r.bytes.data(), sender, 0);
        }
        for (const ListEntry& e : players) {
            lobby::RoomRecord r = e.record;
            r.SetKind(lobby::KindPlayer);
            link.SendTo(r.bytes.data(), sender, 0);
        }
        const std::string name = lobby::GetText(data, 12, 32);
        const bool known = std::any_of(players.begin(), players.end(),
                                       [&](const ListEntry& e) { return e.record.Name() == name; });
        if (!known && players.size() < kListCap) {
            ListEntry e;
            e.record.SetKind(lobby::KindPlayer);
            e.record.SetName(name);
            e.record.SetOwner(sender);
            e.id = nextEntryId++;
            players.push_back(e);
        }
        return;
    }
    // A room host on the local network answers with its room.
    if (!IsHost() ||
        !(state == 32 || state == 33 || state == 90 || state == 91 || state == 100 || state == 101))
        return;
    link.OpenReplyTo(sender.address);
    lobby::RoomRecord r = room;
    r.SetKind(lobby::KindRoom);
    link.SendTo(r.bytes.data(), link.replyAddress, 0);
}

void Zu_LocalSet::HandleLobbyDatagram(const platform::SocketAddress& sender, const uint8_t* data, size_t size,
                                      bool) {
    lobby::Header h;
    if (!lobby::DecodeHeader(data, size, &h)) return;
    MultiCast& link = Link();
    switch (h.kind) {
    case lobby::KindAnnounce:
        if (link.mode != 0) ServeAnnouncement(sender, data);
        break;
    case lobby::KindRoom: {
        if (link.mode != 0 && !lobbyServerFlag) break;
        lobby::RoomRecord r;
        if (!lobby::RoomRecord::Decode(data, size, &r)) break;
        if (lobbyServerFlag) {
            auto known = std::find_if(rooms.begin(), rooms.end(),
                                      [&](const ListEntry& e) { return e.record.Name() == r.Name(); });
            if (known != rooms.end()) {
                std::memcpy(known->record.bytes.data(), r.bytes.data(), 132);
                known->tag = 0;
                if (r.StateCode() == lobby::kRoomClosing) rooms.erase(known);
                break;
            }
            auto owner = std::find_if(players.begin(), players.end(), [&](const ListEntry& e) {
                return e.record.Name() == r.Name() && e.record.Owner().address == sender.address;
            });
            if (owner == players.end() || rooms.size() >= kListCap || r.StateCode() == lobby::kRoomClosing)
                break;
            r.SetHost(sender);
            r.SetOwner(owner->record.Owner());
            r.SetMissedPings(0);
            r.SetPingPending(0);
            Zu_Tools::WriteErrorLog(kSource, "New Room", 2330, int32_t(rooms.size()), 0, 0, 1);
            rooms.push_back({r, 0, nextEntryId++});
            for (const ListEntry& p : players)
                if (!(p.record.Status() & 3)) link.SendTo(r.bytes.data(), p.record.Owner(), 0);
            break;
        }
        // On the local network the room's host is whoever sent it.
        if (!onlineFlag) r.SetHost({sender.address, 0});
        auto same = std::find_if(rooms.begin(), rooms.end(), [&](const ListEntry& e) {
            return e.record.Name() == r.Name() || e.record.Host().address == r.Host().address;
        });
        if (same != rooms.end()) {
            same->record = r;
            same->tag = 0;
        } else if (rooms.size() < kListCap) {
            Zu_Tools::WriteErrorLog(kSource, "Add Room", 2354, int32_t(rooms.size()), 0, 0, 1);
            rooms.push_back({r, 0, nextEntryId++});
        }
        break;
    }
    case lobby::KindConnected:
        loggedIn = 1;
        Zu_Tools::WriteErrorLog(kSource, "Have Connect Server", 2225, 0, 0, 0, 1);
        browserLoginFlag = lobby::GetU32(data, 12) == 30 ? 1 : 0;
        break;
    case lobby::KindPlayerStatus: {
        if (!lobbyServerFlag) break;
        lobby::RoomRecord r;
        if (!lobby::RoomRecord::Decode(data, size, &r)) break;
        auto known = std::find_if(players.begin(), players.end(),
                                  [&](const ListEntry& e) { return e.record.Name() == r.Name(); });
        if (known != players.end()) {
            const uint8_t trip = known->record.RoundTrip();
            known->record = r;
            known->record.SetRoundTrip(trip);
            known->record.SetOwner(sender);
            known->tag = 0;
            if (r.Status() & 4) players.erase(known);
        } else if (!(r.Status() & 4) && players.size() < kListCap) {
            r.SetOwner(sender);
            players.push_back({r, 0, nextEntryId++});
        }
        Zu_Tools::WriteErrorLog(kSource, "Player Status", 2218, int32_t(players.size()), 0, 0, 1);
        break;
    }
    case lobby::KindLaunchLogin:
    case lobby::KindLogin: {
        lobby::LoginDatagram l;
        if (!lobby::LoginDatagram::Decode(data, size, &l)) break;
        if (link.mode == 0 && onlineFlag) lobbyReplyCode = int32_t(l.ReplyCode());
        break;
    }
    case lobby::KindPlayer: {
        if (link.mode != 0) break;
        lobby::RoomRecord r;
        if (!lobby::RoomRecord::Decode(data, size, &r)) break;
        auto known = std::find_if(players.begin(), players.end(),
                                  [&](const ListEntry& e) { return e.record.Name() == r.Name(); });
        if (known != players.end()) {
            known->record.SetRoundTrip(r.RoundTrip());
            known->record.SetStatus(r.Status());
            known->tag = 0;
        } else if (players.size() < kListCap) {
            players.push_back({r, 0, nextEntryId++});
        }
        break;
    }
    case lobby::KindQuery:
        if (link.mode != 0) {
            uint8_t connected[lobby::kConnectedSize] = {};
            lobby::PutHeader(connected, lobby::KindConnected, lobby::kConnectedSize);
            link.SendTo(connected, sender, 0);
        }
        break;
    case lobby::KindChat: {
        lobby::ChatRecord c;
        if (!lobby::ChatRecord::Decode(data, size, &c)) break;
        if (lobbyServerFlag) {
            for (const ListEntry& p : players)
                if (!(p.record.Status() & 3) && p.record.Owner().address != sender.address)
                    link.SendTo(c.bytes.data(), p.record.Owner(), 0);
        } else {
            if (win212) win212->AddChatRecord(c, 2);
            PostEvent(kEventChat, 0);
        }
        break;
    }
    default:
        break;
    }
}

void Zu_LocalSet::PumpMessages() {
    MultiCast& link = Link();
    if (!link.IsOpen()) return;
    link.Receive();
    while (!link.receiveList.empty()) {
        MultiCast::Received r = std::move(link.receiveList.front());
        link.receiveList.pop_front();
        HandleLobbyDatagram(r.sender, r.bytes.data(), r.bytes.size(), r.fromReplySocket != 0);
        // Acknowledged once more from the main socket, as the lobby's peers expect.
        lobby::Header h;
        if (lobby::DecodeHeader(r.bytes.data(), r.bytes.size(), &h) && !(h.flags & lobby::kNoAck))
            link.SendAck(false, r.sender, h.sequence);
    }
}
