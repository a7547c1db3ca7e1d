#include "update/client/UpdateTransport.h"

#include "platform/Time.h"
#include "update/client/UpdateDatagram.h"

using namespace platform;

UpdateTransport::~UpdateTransport() {
    Close();
}

UpdateTransport& UpdateTransport::Instance() {
    static UpdateTransport transport;
    return transport;
}

bool UpdateTransport::Fail(int code) {
    Close();
    SetError(static_cast<uint32_t>(code));
    return false;
}

int UpdateTransport::Open(uint8_t newMode, uint8_t newRole, const char* server) {
    Close();
    mode = newMode;
    role = newRole;
    const uint16_t serverPort = ConfiguredPort("KARDOL_UPDATE_PORT", kServerPort);
    const uint16_t groupPort = ConfiguredPort("KARDOL_UPDATE_GROUP_PORT", kGroupPort);
    const uint16_t replyPort = ConfiguredPort("KARDOL_UPDATE_REPLY_PORT", kReplyPort);
    UdpSocket& main = mainSocket;
    if (!main.Open()) return Fail(main.lastError);

    if (mode != 0) {
        if (!main.Bind(0, role == 1 ? serverPort : groupPort)) return Fail(main.lastError);
        replySocket.Close();
        if (role == 1) {
            if (!main.SetNonBlocking(true)) return Fail(main.lastError);
        } else if (!main.JoinGroup(kGroup, MulticastInterface())) {
            return Fail(main.lastError);
        }
        // The listening side reads without waiting either way: a pass never blocks.
        if (!main.SetNonBlocking(true)) return Fail(main.lastError);
        return 1;
    }

    if (role == 1) {
        const auto address = ResolveHost(server);
        if (!address) return Fail(WSAHOST_NOT_FOUND);
        target = SocketAddress{*address, serverPort};
        if (!main.SetNonBlocking(true)) return Fail(main.lastError);
        return 1;
    }
    if (!main.Bind(0, 0)) return Fail(main.lastError);
    if (!main.SetMulticastInterface(MulticastInterface())) return Fail(main.lastError);
    if (!main.SetNonBlocking(true)) return Fail(main.lastError);
    target = SocketAddress{kGroup, groupPort};
    if (!replySocket.Open()) return Fail(replySocket.lastError);
    if (!replySocket.Bind(0, replyPort)) return Fail(replySocket.lastError);
    if (!replySocket.SetNonBlocking(true)) return Fail(replySocket.lastError);
    return 1;
}

void UpdateTransport::ClearLists() {
    while (sendQueue.First()) {
        delete reinterpret_cast<SendEntry*>(sendQueue.CurrentValue());
        sendQueue.RemoveCurrent();
    }
    while (receiveList.First()) {
        delete reinterpret_cast<Received*>(receiveList.CurrentValue());
        receiveList.RemoveCurrent();
    }
}

void UpdateTransport::Close() {
    if (role == 0 && mainSocket.IsOpen()) mainSocket.LeaveGroup(kGroup, MulticastInterface());
    mainSocket.Close();
    replySocket.Close();
    ClearLists();
    lastError = 0;
}

void UpdateTransport::Queue(const std::vector<uint8_t>& datagram, uint8_t flags, UdpSocket* socket,
                            const SocketAddress& destination) {
    if (datagram.size() < UpdateDatagram::kHeaderSize || datagram.size() > 0xFFFF) return;
    auto* entry = new SendEntry;
    entry->socket = socket;
    entry->destination = destination;
    entry->datagram = datagram;
    entry->flags = flags;
    // Sequence, then flags; the length word is the copy's size.
    const uint32_t seq = sequence++;
    for (int i = 0; i < 4; ++i)
        entry->datagram[4 + i] = static_cast<uint8_t>(seq >> (8 * i));
    entry->datagram[8] = flags;
    entry->datagram[2] = static_cast<uint8_t>(datagram.size());
    entry->datagram[3] = static_cast<uint8_t>(datagram.size() >> 8);
    entry->lastSend = timeGetTime() - kResendMs;
    sendQueue.Last();
    sendQueue.Add(reinterpret_cast<uintptr_t>(entry));
}

void UpdateTransport::Send(const std::vector<uint8_t>& datagram, uint8_t flags, UdpSocket* socket) {
    Queue(datagram, flags, socket ? socket : &mainSocket, target);
}

void UpdateTransport::SendTo(const std::vector<uint8_t>& datagram, const SocketAddress& address,
                             uint8_t flags) {
    Queue(datagram, flags, role == 1 ? &mainSocket : &replySocket, address);
}

void UpdateTransport::OnAck(uint32_t seq, const SocketAddress& from) {
    for (uintptr_t v = sendQueue.First(); v != 0; v = sendQueue.Next()) {
        auto* entry = reinterpret_cast<SendEntry*>(v);
        if (entry->datagram.size() < 8) continue;
        const uint32_t queued = static_cast<uint32_t>(entry->datagram[4]) | (entry->datagram[5] << 8) |
                                (entry->datagram[6] << 16) |
                                (static_cast<uint32_t>(entry->datagram[7]) << 24);
        // A unicast entry is answered only by its destination; the group's by anyone.
        const bool group = entry->destination.address == kGroup;
        if (queued == seq && (group || entry->destination == from)) {
            sendQueue.RemoveCurrent();
            delete entry;
            return;
        }
    }
}

int UpdateTransport::ResendDue() {
    const uint32_t now = timeGetTime();
    for (uintptr_t v = sendQueue.First(); v != 0; v = sendQueue.Next()) {
        auto* entry = reinterpret_cast<SendEntry*>(v);
        if (now - entry->lastSend < kResendMs) continue;
        if (entry->tries >= kMaxSends) {
            // Nobody answers it: give it up and look further.
            sendQueue.RemoveCurrent();
            delete entry;
            continue;
        }
        entry->lastSend = now;
        ++entry->tries;
        const int flags = role == 1 ? 0 : MSG_DONTROUTE;
        bool remove = (entry->flags & UpdateDatagram::kSendOnce) != 0;
        if (entry->socket->SendTo(entry->datagram.data(), entry->datagram.size(), entry->destination, flags) <
            0) {
            SetError(static_cast<uint32_t>(entry->socket->lastError));
            remove = true;
        }
        if (remove) {
            sendQueue.RemoveCurrent();
            delete entry;
        }
        return 1;
    }
    return 0;
}

int UpdateTransport::ReceiveFrom(UdpSocket& socket, int fromReplySocket) {
    SocketAddress sender;
    const int n = socket.ReceiveFrom(buffer_.data(), buffer_.size(), &sender);
    if (n < 0) {
        if (socket.lastError != WSAEWOULDBLOCK) SetError(static_cast<uint32_t>(socket.lastError));
        return 0;
    }
    TakeDatagram(socket, sender, buffer_.data(), static_cast<size_t>(n), fromReplySocket);
    return 1;
}

void UpdateTransport::TakeDatagram(UdpSocket& socket, const SocketAddress& sender, const uint8_t* bytes,
                                   size_t n, int fromReplySocket) {
    // The update server is the only sender the client listens to.
    if (mode == 0 && role == 1 && !(sender == target)) return;
    const auto header = UpdateDatagram::DecodeHeader(bytes, n);
    if (!header) return;
    if (header->type == UpdateDatagram::Ack) {
        OnAck(header->sequence, sender);
        return;
    }
    if (!(header->flags & UpdateDatagram::kNoAck)) {
        const auto ack = UpdateDatagram::EncodeAck(header->sequence);
        socket.SendTo(ack.data(), ack.size(), sender, role == 1 ? 0 : MSG_DONTROUTE);
    }
    auto* node = new Received;
    node->sender = sender;
    node->datagram.assign(bytes, bytes + n);
    node->fromReplySocket = fromReplySocket;
    receiveList.Last();
    receiveList.Add(reinterpret_cast<uintptr_t>(node));
}

int UpdateTransport::Receive() {
    if (replySocket.IsOpen()) ReceiveFrom(replySocket, 1);
    if (!mainSocket.IsOpen()) return 0;
    return ReceiveFrom(mainSocket, 0);
}

UpdateTransport::Received* UpdateTransport::TakeReceived() {
    const uintptr_t v = receiveList.First();
    if (!v) return nullptr;
    receiveList.RemoveCurrent();
    return reinterpret_cast<Received*>(v);
}
