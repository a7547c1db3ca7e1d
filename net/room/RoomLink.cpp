#include "net/room/RoomLink.h"

#include "net/RoomMessages.h"
#include "net/room/NetSession.h"
#include "net/room/NetSide.h"

#include "engine/ByteReader.h"

using namespace platform;

namespace {

uint32_t FirstWord(const uint8_t* data, size_t size) {
    ByteReader r(data, size);
    return size >= 4 ? r.u32() : 0;
}

// A room message still waiting that a newer one of the same kind makes void: the latest room
// record, or the latest record of one player's slot.
bool Superseded(const NetQueueEntry& e, uint8_t type, size_t size, uint32_t latestKey) {
    if (e.mode != netpacket::kChannelRoom || e.type != type || e.state != -1) return false;
    if (size == playerslot::kSize) return FirstWord(e.data.data(), e.data.size()) == latestKey;
    return true;
}

} // namespace

RoomLink::RoomLink(NetSession& session, RoomSink room, NoticeSink notice)
    : session_(session), room_(std::move(room)), notice_(std::move(notice)) {
    if (!room_) room_ = NetRoomDispatch;
    if (!notice_) notice_ = NetLobbyNotify;
}

RoomLink::~RoomLink() {
    Close();
    session_.SetRoomHandlers(nullptr, nullptr);
}

bool RoomLink::Start(bool asHost, const std::string& hostAddress, const std::string& playerName) {
    if (session_.sessionActive) session_.CloseTcpSession();
    if (!asHost && hostAddress.empty()) return false;
    if (!hostAddress.empty()) session_.config.hostAddress = hostAddress;
    hostLostTold_ = false;
    {
        NetSession::Lock lock(session_);
        session_.eventBox.Clear();
    }
    session_.SetRoomHandlers(
        [this](const uint8_t*, size_t, uint8_t type, uint32_t, SOCKET socket) { OnPeerNotice(type, socket); },
        [this](const uint8_t* payload, size_t size, uint8_t type, uint32_t, SOCKET socket) {
            OnRoomMessage(payload, size, type, socket);
        });
    if (!session_.NetSessionStart(asHost, playerName.c_str())) {
        // Nothing of a room that could not be opened or joined stays open.
        session_.CloseTcpSession();
        return false;
    }
    session_.side.SetHostByte(asHost ? 1 : 0);
    seenPeers_ = PeerCount();
    SendQueued();
    return true;
}

void RoomLink::Close() {
    if (session_.sessionActive) session_.CloseTcpSession();
    seenPeers_ = 0;
}

bool RoomLink::IsHost() const {
    return session_.sessionActive && session_.hostFlag != 0;
}

uint32_t RoomLink::OwnPeerId() const {
    return session_.ownId;
}

int RoomLink::PeerCount() const {
    NetSession::Lock lock(session_);
    return session_.NetPeerCount();
}

int RoomLink::OwnSlotIndex() const {
    return session_.side.OwnSlotIndex();
}

void RoomLink::SendToHost(uint8_t type, const uint8_t* payload, size_t size) {
    if (!session_.sessionActive || session_.hostFlag || size > netpacket::kMaxPayload) return;
    session_.NetSendToHost(netpacket::kChannelRoom, type, payload, size);
    SendQueued();
}

void RoomLink::SendToPeer(uint32_t peerId, uint8_t type, const uint8_t* payload, size_t size) {
    if (!session_.sessionActive || size > netpacket::kMaxPayload) return;
    {
        NetSession::Lock lock(session_);
        if (session_.hostFlag) {
            if (peerId != session_.ownId)
                session_.QueueToPeer(peerId, netpacket::kChannelRoom, type, payload, size);
        } else if (peerId == session_.hostId) {
            // A client's only connection is the one to the host.
            session_.NetSendToHost(netpacket::kChannelRoom, type, payload, size);
        }
    }
    SendQueued();
}

void RoomLink::Broadcast(uint8_t type, const uint8_t* payload, size_t size, uint32_t latestKey) {
    if (!session_.sessionActive || size > netpacket::kMaxPayload) return;
    {
        NetSession::Lock lock(session_);
        if (!session_.hostFlag) return;
        for (NetPeer& p : session_.peers) {
            if (p.id == session_.ownId) continue;
            bool replaced = false;
            if (latestKey != 0) {
                for (NetQueueEntry& e : p.queue.entries()) {
                    if (!Superseded(e, type, size, latestKey)) continue;
                    e.data.assign(payload, payload + size);
                    replaced = true;
                    break;
                }
            }
            if (!replaced && !p.queue.Queue(p.sendSequence, netpacket::kChannelRoom, type, payload, size))
                p.overflowed = true;
        }
    }
    SendQueued();
}

void RoomLink::RemovePeer(uint32_t peerId) {
    {
        NetSession::Lock lock(session_);
        if (!session_.hostFlag || peerId == session_.ownId) return;
        NetPeer* peer = session_.NetFindPeer(peerId);
        if (!peer) return;
        const SOCKET socket = peer->socket;
        const bool attached = peer->attached;
        session_.NetRemovePeer(peerId);
        session_.NetRemoveSlot(peerId);
        session_.NetAnnounceLeave(peerId);
        // The leaver hears it too, so that a goodbye of its own is answered.
        if (attached) session_.NetSendLeave(peerId, socket);
    }
    seenPeers_ = PeerCount();
}

bool RoomLink::Flush() {
    if (!session_.sessionActive) return true;
    const bool waiting = SendQueued();
    uint32_t message = 0, value = 0;
    while (session_.eventBox.Take(1, message, value)) {
        // The connection to the host ended while in the room.
        if (message == 0x1002 && !session_.hostFlag && !hostLostTold_) {
            hostLostTold_ = true;
            notice_(17, session_.hostId);
        }
    }
    const int peers = PeerCount();
    if (peers != seenPeers_) {
        // A player gone without a goodbye (or dropped by the host) changes the room as well.
        seenPeers_ = peers;
        notice_(6, 0);
    }
    return !waiting;
}

uint32_t RoomLink::SenderId(SOCKET socket) {
    NetSession::Lock lock(session_);
    if (session_.hostFlag) {
        const NetPeer* peer = session_.NetFindPeerBySocket(socket);
        return peer && peer->id != session_.ownId ? peer->id : 0;
    }
    return socket != 0 && socket == session_.linkSocket ? session_.hostId : 0;
}

void RoomLink::OnRoomMessage(const uint8_t* payload, size_t size, uint8_t type, SOCKET socket) {
    // Only a player of the room speaks in it, and always under its own id.
    const uint32_t from = SenderId(socket);
    if (from != 0) room_(from, type, payload, size);
}

void RoomLink::OnPeerNotice(uint8_t type, SOCKET socket) {
    const uint32_t from = SenderId(socket);
    switch (type) {
    case 1:
    case 6:
        notice_(type, from);
        break;
    case 16:
        // A player may only say that it leaves itself.
        if (session_.hostFlag && from != 0) notice_(16, from);
        break;
    case 17:
        // Only the host closes the room.
        if (!session_.hostFlag && from != 0) notice_(17, from);
        break;
    default:
        break;
    }
    // What the peer table queued for a newcomer goes out now, not at the battle's next frame.
    SendQueued();
}

bool RoomLink::SendQueued() {
    NetSession::Lock lock(session_);
    bool waiting = false;
    if (session_.hostFlag) {
        for (NetPeer& p : session_.peers) {
            if (p.id == session_.ownId || !p.attached) continue;
            session_.NetFlushQueue(p.queue, p.socket);
            p.queue.Purge();
            waiting |= !p.queue.empty();
        }
    } else {
        session_.NetFlushQueue(session_.hostQueue, session_.linkSocket);
        session_.hostQueue.Purge();
        waiting = !session_.hostQueue.empty();
    }
    return waiting;
}

RoomLink& ProgramRoomLink() {
    // Kept to the end of the run with the session it uses.
    static RoomLink* link = new RoomLink(ProgramNetSession());
    return *link;
}
