#include "net/room/TcpLink.h"

#include "net/room/NetSession.h"
#include "net/room/NetSide.h"

#include <algorithm>
#include <cstring>

using namespace platform;

bool TcpLink::Send(SOCKET socket, const uint8_t* payload, size_t payloadLength, const NetHeaderTail& tail) {
    if (payloadLength > netpacket::kMaxPayload || socket == 0) return false;
    uint8_t* buffer = session_.packetBuffer;
    WriteNetHeader(buffer, payloadLength, tail);
    if (payloadLength) std::memcpy(buffer + netpacket::kHeaderSize, payload, payloadLength);
    const size_t total = payloadLength + netpacket::kHeaderSize;
    size_t sent = 0;
    while (sent < total) {
        const int n = platform::send(socket, reinterpret_cast<const char*>(buffer + sent),
                                     static_cast<int>(total - sent), 0);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && WSAGetLastError() == WSAEWOULDBLOCK && WaitWritable(socket, kSendLimitMs)) continue;
        // A stream with part of a frame in it cannot carry another one.
        if (sent > 0) platform::shutdown(socket, SD_BOTH);
        return false;
    }
    return true;
}

bool TcpLink::ReadPacket(SOCKET socket, PacketAssembler& inbox) {
    while (inbox.state() == PacketAssembler::State::Gathering) {
        const int n = platform::recv(socket, reinterpret_cast<char*>(inbox.WritePosition()),
                                     static_cast<int>(inbox.Wanted()), 0);
        if (n > 0) {
            inbox.Commit(static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && WSAGetLastError() == WSAEWOULDBLOCK) return true; // the rest comes later
        return false;
    }
    return inbox.state() == PacketAssembler::State::Complete;
}

void TcpLink::HandOn(const uint8_t* frame, size_t size, SOCKET socket) {
    NetPacketView view;
    if (!ParseNetPacket(frame, size, view)) return;
    switch (view.channel) {
    case netpacket::kChannelPeer:
        session_.NetLobbyDispatch(view.payload, view.payloadSize, view.type, view.sequence, socket);
        if (session_.lobbyNotify_)
            session_.lobbyNotify_(view.payload, view.payloadSize, view.type, view.sequence, socket);
        break;
    case netpacket::kChannelCommand:
        session_.EnqueueGameCommand(std::vector<uint8_t>(frame, frame + size), view.type, view.sequence,
                                    socket);
        break;
    case netpacket::kChannelRoom:
        if (session_.roomDispatch_)
            session_.roomDispatch_(view.payload, view.payloadSize, view.type, view.sequence, socket);
        break;
    default:
        break;
    }
}

void TcpLink::ReceiveAll(std::vector<SOCKET>& waitOn) {
    NetSession::Lock lock(session_);
    waitOn.clear();
    auto visit = [&](SOCKET socket, PacketAssembler& inbox, bool& broken) {
        if (broken || socket == 0) return;
        if (!ReadPacket(socket, inbox)) {
            // A bad header or a closed stream: this connection only is given up; its close
            // message does the rest.
            broken = true;
            platform::shutdown(socket, SD_BOTH);
            return;
        }
        if (inbox.state() == PacketAssembler::State::Complete) {
            HandOn(inbox.Frame(), inbox.FrameSize(), socket);
            inbox.Next();
        }
        waitOn.push_back(socket);
    };
    if (session_.hostFlag) {
        for (auto& record : clients_) {
            if (record->state != 5) continue;
            visit(record->socket, record->inbox, record->broken);
        }
    } else {
        visit(session_.linkSocket, session_.linkInbox, session_.linkBroken);
    }
}

void TcpLink::Accept(SOCKET socket) {
    NetSession::Lock lock(session_);
    if (socket == 0 || socket != session_.linkSocket || !session_.hostFlag) return;
    // Every connection waiting is taken at once (a bounded few per message), so a burst of them
    // costs the frame loop little.
    bool took = false;
    for (int i = 0; i < kAcceptsPerMessage; ++i) {
        TcpClientRecord* record = AddClient();
        int length = sizeof record->address;
        const SOCKET accepted = platform::accept(socket, &record->address, &length);
        if (accepted == INVALID_SOCKET) {
            RemoveClient(record);
            break;
        }
        record->socket = accepted;
        record->state = 5;
        if (WSAAsyncSelect(accepted, session_.side.SocketWindow(), 201, FD_CLOSE) != 0) {
            RemoveClient(record);
            continue;
        }
        took = true;
    }
    if (took) SignalSocketWake(session_.wake);
}

void TcpLink::OnSocketEvent(SOCKET socket, uint32_t event) {
    NetSession::Lock lock(session_);
    if (event != static_cast<uint32_t>(FD_CLOSE)) return;
    if (session_.hostFlag) {
        TcpClientRecord* record = FindClient(socket);
        if (!record) return;
        // A connection that ends without a goodbye is that player's leave.
        if (NetPeer* peer = session_.NetFindPeerBySocket(socket); peer && peer->id != session_.ownId) {
            session_.DropPeer(peer->id);
        }
        RemoveClient(record);
    } else if (socket == session_.linkSocket && socket != 0) {
        session_.linkBroken = true;
        // In the room the host is gone for good; in a battle the heartbeat watch decides.
        if (!session_.side.InBattle()) session_.eventBox.Post(1, 0x1002, 0);
    }
}

TcpClientRecord* TcpLink::AddClient() {
    clients_.push_back(std::make_unique<TcpClientRecord>());
    return clients_.back().get();
}

void TcpLink::RemoveClient(TcpClientRecord* record) {
    auto it =
        std::find_if(clients_.begin(), clients_.end(), [&](const auto& r) { return r.get() == record; });
    if (it == clients_.end()) return;
    if (record->state == 5) closesocket(record->socket);
    clients_.erase(it);
}

void TcpLink::FreeClients() {
    for (auto& record : clients_)
        if (record->state == 5) closesocket(record->socket);
    clients_.clear();
}

TcpClientRecord* TcpLink::FindClient(SOCKET socket) {
    for (auto& record : clients_)
        if (record->socket == socket) return record.get();
    return nullptr;
}

void TcpLink::Accept(HWND, UINT, WPARAM wParam, LPARAM) {
    if (TheNetSession) TheNetSession->link.Accept(static_cast<SOCKET>(wParam));
}

void TcpLink::OnSocketEvent(HWND, UINT, WPARAM wParam, LPARAM lParam) {
    if (TheNetSession)
        TheNetSession->link.OnSocketEvent(static_cast<SOCKET>(wParam),
                                          static_cast<uint32_t>(lParam) & 0xFFFF);
}
