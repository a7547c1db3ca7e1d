#include "net/room/NetSession.h"
#include "net/room/NetSide.h"
#include "net/room/NetTexts.h"

#include "engine/ByteReader.h"
#include "platform/Time.h"

#include <cstring>
#include <string>

using namespace platform;

namespace {

std::string LeaveLine(const char* name) {
    return std::string(nettext::kPublic) + nettext::kNameOpen + (name ? name : "") + nettext::kLeft;
}

int32_t Since(uint32_t then) {
    return static_cast<int32_t>(timeGetTime() - then);
}

} // namespace

void NetSession::DeliverPendingChat() {
    std::vector<std::string> lines;
    {
        Lock lock(*this);
        lines.swap(pendingChat);
    }
    if (!side.MainPanelExists()) return;
    for (const std::string& line : lines)
        side.AddChatLine(line.c_str(), nettext::kSystemColour);
}

void NetSession::DropPeer(uint32_t id) {
    Lock lock(*this);
    NetPeer* peer = NetFindPeer(id);
    if (!peer) return;
    pendingChat.push_back(LeaveLine(peer->name));
    NetRemovePeer(id);
    NetRemoveSlot(id);
    NetAnnounceLeave(id);
}

void NetSession::NetHostStart(const char* name) {
    Lock lock(*this);
    sockaddr_in address;
    address.sin_family = AF_INET;
    address.sin_port = htons(config.port);
    address.sin_addr.s_addr = inet_addr(config.hostAddress.c_str());
    ownId = NetAddPeer(name, address, linkSocket);
    hostId = ownId;
    side.SetOwnSlotIndex(NetTakeSlot(ownId, name, true));
}

bool NetSession::NetJoin(const char* name) {
    ownId = 0;
    {
        Lock lock(*this);
        ownPeer = nullptr;
    }
    NetSendJoin(name);
    const uint32_t start = timeGetTime();
    uint32_t lastSent = start;
    for (;;) {
        {
            Lock lock(*this);
            if (ownId != 0) return true;
            if (Since(lastSent) > 5000) {
                NetSendJoin(name);
                lastSent = timeGetTime();
            }
            if (Since(start) > 10000 || linkSocket == 0 || linkBroken) return false;
        }
        Sleep(2);
    }
}

void NetSession::NetLeave() {
    bool waiting = false;
    {
        Lock lock(*this);
        if (!hostFlag && linkSocket != 0 && !linkBroken) {
            acknowledged = 0;
            NetSendLeave(ownId, linkSocket);
            waiting = true;
        }
    }
    uint32_t lastSent = timeGetTime();
    int repeats = 0;
    while (waiting) {
        {
            Lock lock(*this);
            if (acknowledged || linkBroken) break;
            if (Since(lastSent) > 5000) {
                if (++repeats > 4) break;
                NetSendLeave(ownId, linkSocket);
                lastSent = timeGetTime();
            }
        }
        Sleep(2);
    }
    Lock lock(*this);
    hostQueue.Clear();
    NetFreeAll();
}

void NetSession::NetLobbyDispatch(const uint8_t* payload, size_t size, uint8_t type, uint32_t,
                                  SOCKET socket) {
    Lock lock(*this);
    ByteReader r(payload, size);
    const bool host = hostFlag != 0;
    switch (type) {
    case 1: {
        if (!host || size != 128) return;
        TcpClientRecord* record = link.FindClient(socket);
        if (!record) return;
        char name[128];
        std::memcpy(name, payload, sizeof name);
        name[sizeof name - 1] = 0;
        if (NetPeer* known = NetFindPeerBySocket(socket)) {
            // A repeated request: the same place again, nobody else's slot cleared.
            for (size_t i = 0; i < playerslot::kCount; ++i)
                if (playerslot::Id(side.Slot(i)) == known->id)
                    NetSendJoinReply(known->id, static_cast<uint8_t>(i), socket);
            return;
        }
        if (NetPeerCount() >= static_cast<int32_t>(playerslot::kCount)) {
            platform::shutdown(socket, SD_BOTH); // the room is full
            return;
        }
        const uint32_t id = NetAddPeer(name, record->address, socket);
        const int8_t slot = NetTakeSlot(id, name, false);
        NetSendJoinReply(id, static_cast<uint8_t>(slot), socket);
        for (const NetPeer& p : peers) {
            const std::vector<uint8_t> bytes = EncodeNetPeer(p);
            QueueToPeer(id, 1, 5, bytes.data(), bytes.size());
        }
        for (size_t i = 0; i < playerslot::kCount; ++i)
            QueueToPeer(id, 1, 4, side.Slot(i), playerslot::kSize);
        if (NetPeer* added = NetFindPeer(id)) {
            const std::vector<uint8_t> bytes = EncodeNetPeer(*added);
            NetBroadcast(1, 5, bytes.data(), bytes.size());
        }
        NetBroadcast(1, 4, side.Slot(static_cast<size_t>(slot)), playerslot::kSize);
        return;
    }
    case 2: {
        if (host || size != 8) return;
        const uint32_t id = r.u32();
        const uint8_t slot = r.u8();
        if (id == 0 || slot >= playerslot::kCount) return;
        ownId = id;
        side.SetOwnSlotIndex(static_cast<int8_t>(slot));
        return;
    }
    case 4: {
        if (size != playerslot::kSize) return;
        const uint8_t index = playerslot::Index(payload);
        if (index >= playerslot::kCount) return;
        if (host) {
            // A client speaks only for its own slot.
            NetPeer* sender = NetFindPeerBySocket(socket);
            if (!sender || sender->id == ownId || playerslot::Id(payload) != sender->id ||
                playerslot::Id(side.Slot(index)) != sender->id)
                return;
        }
        uint8_t* slot = side.Slot(index);
        std::memcpy(slot, payload, playerslot::kSize);
        slot[4 + 127] = 0; // the name ends inside its field
        if (host) NetBroadcast(1, 4, slot, playerslot::kSize);
        return;
    }
    case 5: {
        if (host) return;
        if (auto record = DecodeNetPeer(payload, size); record && record->id != 0) NetStorePeer(*record);
        return;
    }
    case 6: {
        if (size != 4) return;
        const uint32_t id = r.u32();
        if (!host) {
            if (id == ownId) {
                acknowledged = 1;
            } else if (NetPeer* peer = NetFindPeer(id)) {
                pendingChat.push_back(LeaveLine(peer->name));
                NetRemovePeer(id);
                NetRemoveSlot(id);
            }
            return;
        }
        // The host takes the leave of the connection it came on, whatever id it names.
        NetPeer* sender = NetFindPeerBySocket(socket);
        if (!sender || sender->id == ownId) return;
        const uint32_t leaver = sender->id;
        DropPeer(leaver);
        NetSendLeave(leaver, socket);
        return;
    }
    case 8: {
        if (size != 4) return;
        const uint32_t sequence = r.u32();
        if (!host) {
            hostQueue.AckUpTo(sequence);
        } else if (NetPeer* peer = NetFindPeerBySocket(socket)) {
            peer->queue.AckUpTo(sequence);
        }
        return;
    }
    case 10: {
        if (size != 4) return;
        const uint32_t id = r.u32();
        if (id == ownId) {
            acknowledged = 1;
            return;
        }
        if (!host) return;
        NetPeer* peer = NetFindPeer(id);
        TcpClientRecord* record = link.FindClient(socket);
        // Only a player left without a connection by the hand-over, from where it was before.
        if (!peer || !record || peer->attached ||
            std::strcmp(peer->ip, inet_ntoa(record->address.sin_addr)) != 0)
            return;
        peer->address = record->address;
        CopyText(peer->ip, sizeof peer->ip, inet_ntoa(record->address.sin_addr));
        peer->socket = socket;
        peer->attached = true;
        peer->lastHeard = 0;
        NetSendReattach(id, socket);
        return;
    }
    case 12: {
        if (!host || size != 4) return;
        const uint32_t sequence = r.u32();
        if (NetPeer* peer = NetFindPeerBySocket(socket)) peer->queue.MarkResend(sequence);
        return;
    }
    default:
        return;
    }
}

bool NetSession::NetHostTick() {
    bool hadEntries = false;
    {
        Lock lock(*this);
        if (hostFlag) side.SetHostByte(1);
        if (hostFlag) {
            for (NetPeer& p : peers) {
                if (p.id == ownId || !p.attached) continue;
                hadEntries |= NetFlushQueue(p.queue, p.socket);
                p.queue.Purge();
            }
            // A peer whose queue ran full cannot be caught up any more.
            for (NetPeer& p : peers) {
                if (p.overflowed) {
                    DropPeer(p.id);
                    break;
                }
            }
            if (monitoring) {
                const uint32_t now = timeGetTime();
                for (NetPeer& p : peers) {
                    if (p.id == ownId) continue;
                    if (p.lastHeard == 0) p.lastHeard = now;
                    if (static_cast<int32_t>(now - p.lastHeard) > 30000) {
                        DropPeer(p.id);
                        break;
                    }
                }
            }
        } else {
            hadEntries = NetFlushQueue(hostQueue, linkSocket);
            hostQueue.Purge();
        }
    }
    DeliverPendingChat();
    return hadEntries;
}

bool NetSession::NetElectHost(std::string& newHostName) {
    bool becameHost = false;
    {
        Lock lock(*this);
        const uint32_t oldHost = hostId;
        NetPeer* old = NetFindPeer(oldHost);
        if (!old) {
            hostFlag = 1;
            hostId = ownId;
            NetRestartLink(true);
            becameHost = true;
        } else {
            NetPeer* candidate = nullptr;
            for (NetPeer& p : peers) {
                if (p.id == oldHost || p.id >= 99999) continue;
                if (!candidate || p.id < candidate->id) candidate = &p;
            }
            if (!candidate) candidate = NetFindPeer(ownId);
            const uint32_t newHost = candidate ? candidate->id : ownId.load();
            if (candidate) {
                config.hostAddress = candidate->ip;
                newHostName = candidate->name;
            }
            hostId = newHost;
            if (newHost == ownId) {
                hostFlag = 1;
                NetRestartLink(true);
                becameHost = true;
            } else {
                NetRestartLink(false);
            }
            NetRemovePeer(oldHost);
            NetRemoveSlot(oldHost);
        }
        // What was on its way under the old numbering is void: the new host numbers from 1.
        receiveQueue.clear();
        lastProcessed = 0;
        if (becameHost) {
            hostQueue.Clear();
            for (NetPeer& p : peers) {
                if (p.id == ownId) continue;
                p.attached = false;
                p.lastHeard = 0;
                p.queue.Clear();
                p.sendSequence = 1;
            }
            return true;
        }
        acknowledged = 0;
        NetSendReattach(ownId, linkSocket);
    }
    uint32_t lastSent = timeGetTime();
    uint32_t lastConnect = lastSent;
    int repeats = 0;
    for (;;) {
        {
            Lock lock(*this);
            if (acknowledged) break;
            // The new host may still be on its way to listening: connect again shortly.
            if (linkSocket == 0 && Since(lastConnect) > 500) {
                lastConnect = timeGetTime();
                if (NetRestartLink(false)) NetSendReattach(ownId, linkSocket);
            }
            if (Since(lastSent) > 5000) {
                if (++repeats > 4) break;
                NetSendReattach(ownId, linkSocket);
                lastSent = timeGetTime();
            }
        }
        Sleep(2);
    }
    return false;
}
