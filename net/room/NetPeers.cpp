#include "net/room/NetSession.h"
#include "net/room/NetSide.h"

#include "engine/ByteReader.h"

#include <algorithm>
#include <cstring>

using namespace platform;

uint32_t NetSession::NetAddPeer(const char* name, const sockaddr_in& address, SOCKET socket) {
    Lock lock(*this);
    const char* ip = inet_ntoa(address.sin_addr);
    for (NetPeer& p : peers)
        if (std::strcmp(p.ip, ip) == 0 && p.address.sin_port == address.sin_port) return p.id;
    NetPeer peer;
    CopyText(peer.name, sizeof peer.name, name);
    peer.id = nextJoinNumber;
    peer.address = address;
    CopyText(peer.ip, sizeof peer.ip, ip);
    peer.socket = socket;
    peers.push_back(std::move(peer));
    if (++nextJoinNumber == 0) nextJoinNumber = 1;
    return peers.back().id;
}

int8_t NetSession::NetTakeSlot(uint32_t id, const char* name, bool reset) {
    Lock lock(*this);
    const int32_t index = std::clamp<int32_t>(NetPeerCount() - 1, 0, playerslot::kCount - 1);
    if (reset) {
        for (size_t i = 0; i < playerslot::kCount; ++i)
            playerslot::Clear(side.Slot(i), static_cast<uint8_t>(i));
    } else {
        playerslot::Clear(side.Slot(static_cast<size_t>(index)), static_cast<uint8_t>(index));
    }
    playerslot::Fill(side.Slot(static_cast<size_t>(index)), id, name);
    return static_cast<int8_t>(index);
}

void NetSession::NetRemoveSlot(uint32_t id) {
    Lock lock(*this);
    const size_t range = std::min<size_t>(static_cast<size_t>(NetPeerCount()) + 1, playerslot::kCount);
    size_t found = range;
    for (size_t i = 0; i < range; ++i) {
        if (playerslot::Id(side.Slot(i)) == id) {
            found = i;
            break;
        }
    }
    if (found == range) return;
    for (size_t i = found; i + 1 < range; ++i) {
        uint8_t* to = side.Slot(i);
        std::memcpy(to, side.Slot(i + 1), playerslot::kSize);
        to[132] = static_cast<uint8_t>(i);
        if (playerslot::Id(to) == ownId && ownId != 0) side.SetOwnSlotIndex(static_cast<int8_t>(i));
    }
    // The last place of the range is free now, not a second copy of its player.
    playerslot::Clear(side.Slot(range - 1), static_cast<uint8_t>(range - 1));
}

void NetSession::NetRemovePeer(uint32_t id) {
    Lock lock(*this);
    for (auto it = peers.begin(); it != peers.end(); ++it) {
        if (it->id != id) continue;
        if (ownPeer == &*it) ownPeer = nullptr;
        peers.erase(it);
        return;
    }
}

void NetSession::NetFreeAll() {
    Lock lock(*this);
    peers.clear();
    ownPeer = nullptr;
    receiveQueue.clear();
}

void NetSession::NetStorePeer(const NetPeer& record) {
    Lock lock(*this);
    NetPeer* peer = NetFindPeer(record.id);
    if (!peer) {
        peers.emplace_back();
        peer = &peers.back();
        peer->id = record.id;
    }
    peer->address = record.address;
    std::memcpy(peer->name, record.name, sizeof peer->name);
    std::memcpy(peer->ip, record.ip, sizeof peer->ip);
    peer->frameTime = record.frameTime;
    if (record.id == ownId) ownPeer = peer;
}

NetPeer* NetSession::NetFindPeer(uint32_t id) {
    for (NetPeer& p : peers)
        if (p.id == id) return &p;
    return nullptr;
}

NetPeer* NetSession::NetFindPeerBySocket(SOCKET socket) {
    for (NetPeer& p : peers)
        if (p.socket == socket && p.attached) return &p;
    return nullptr;
}

NetPeer* NetSession::NetFindPeerByAddress(const char* ipText) {
    for (NetPeer& p : peers)
        if (ipText && std::strcmp(p.ip, ipText) == 0) return &p;
    return nullptr;
}

const char* NetSession::NetPeerName(uint32_t id) {
    NetPeer* p = NetFindPeer(id);
    return p ? p->name : nullptr;
}

int32_t NetSession::NetPeerCount() const {
    return static_cast<int32_t>(peers.size());
}

void NetSession::NetBroadcast(uint8_t mode, uint8_t type, const uint8_t* data, size_t size) {
    Lock lock(*this);
    for (NetPeer& p : peers) {
        if (p.id == ownId) continue;
        if (!p.queue.Queue(p.sendSequence, mode, type, data, size)) p.overflowed = true;
    }
}

void NetSession::NetSendToHost(uint8_t mode, uint8_t type, const uint8_t* data, size_t size) {
    Lock lock(*this);
    hostQueue.Queue(hostQueueSequence, mode, type, data, size);
}

void NetSession::QueueToPeer(uint32_t id, uint8_t mode, uint8_t type, const uint8_t* data, size_t size) {
    Lock lock(*this);
    for (NetPeer& p : peers)
        if (p.id == id && !p.queue.Queue(p.sendSequence, mode, type, data, size)) p.overflowed = true;
}

bool NetSession::NetFlushQueue(NetQueue& queue, SOCKET socket) {
    Lock lock(*this);
    for (NetQueueEntry& e : queue.entries()) {
        if (e.state >= 0) continue;
        if (!link.Send(socket, e.data.data(), e.data.size(), NetHeaderTail{e.sequence, e.mode, e.type}))
            break;
        // Only game commands wait for an acknowledgement; the rest is done once it went out.
        e.state = hostFlag && e.mode == 2 ? 0 : 1;
    }
    return !queue.empty();
}

void NetSession::SendDirect(SOCKET socket, uint8_t type, uint32_t value) {
    Lock lock(*this);
    ByteWriter w;
    w.u32(value);
    link.Send(socket, w.buffer().data(), w.size(), NetHeaderTail{0, netpacket::kChannelPeer, type});
}

void NetSession::NetSendJoin(const char* name) {
    Lock lock(*this);
    char field[128];
    CopyText(field, sizeof field, name);
    link.Send(linkSocket, reinterpret_cast<const uint8_t*>(field), sizeof field,
              NetHeaderTail{0, netpacket::kChannelPeer, 1});
}

void NetSession::NetSendJoinReply(uint32_t id, uint8_t slot, SOCKET socket) {
    Lock lock(*this);
    ByteWriter w;
    w.u32(id);
    w.u8(slot);
    w.zeros(3);
    link.Send(socket, w.buffer().data(), w.size(), NetHeaderTail{0, netpacket::kChannelPeer, 2});
}

void NetSession::NetSendLeave(uint32_t id, SOCKET socket) {
    SendDirect(socket, 6, id);
}

void NetSession::NetAnnounceLeave(uint32_t id) {
    Lock lock(*this);
    for (NetPeer& p : peers)
        if (p.id != ownId && p.attached) SendDirect(p.socket, 6, id);
}

void NetSession::NetSendReattach(uint32_t id, SOCKET socket) {
    SendDirect(socket, 10, id);
}

void NetSession::NetSendAck(uint32_t sequence, SOCKET socket) {
    SendDirect(socket, 8, sequence);
}

void NetSession::NetSendResendRequest(uint32_t sequence, SOCKET socket) {
    SendDirect(socket, 12, sequence);
}
