#include "net/MultiCast.h"

#include "engine/FrameClock.h"
#include "engine/Tools.h"
#include "net/LobbyDatagram.h"
#include "platform/Time.h"

#include <algorithm>

namespace {
constexpr const char* kSource = "Zu_MultiCasting";
// Recent sequence numbers kept per sender, and senders kept, to drop resent duplicates.
constexpr size_t kRecentPerSender = 64;
constexpr size_t kSendersKept = 64;
// Datagrams read per socket and call, so that a flood cannot hold the frame.
constexpr int kReadsPerCall = 256;
constexpr size_t kLargestDatagram = 65536;
} // namespace

MultiCast::MultiCast() : buffer(kLargestDatagram) {}

MultiCast::~MultiCast() {
    Close();
}

uint32_t MultiCast::Now() const {
    return clock ? clock->Elapsed() : platform::timeGetTime();
}

void MultiCast::ReportError(int code, int line) {
    lastError = code;
    Zu_Tools::WriteErrorLog(kSource, platform::WSAErrorName(code), line, int32_t(sendQueue.size()), 0, 0, 1);
}

bool MultiCast::IsGroup(const platform::SocketAddress& a) const {
    return a.address == endpoints.groupAddress || platform::IsMulticastAddress(a.address);
}

int MultiCast::Create(int newMode, int newRole) {
    Close();
    mode = uint8_t(newMode);
    role = uint8_t(newRole);
    return mode == 0 ? OpenSender() : OpenReceiver();
}

int MultiCast::OpenReceiver() {
    if (!main.Open()) return ReportError(main.lastError, 173), 0;
    const uint16_t port = role == 1 ? endpoints.lobbyPort : endpoints.groupPort;
    if (!main.Bind(endpoints.bindAddress, port)) {
        ReportError(main.lastError, 190);
        main.Close();
        return 0;
    }
    reply.Close();
    // Reads never wait: the frame goes on when nothing has come.
    main.SetNonBlocking(true);
    if (role != 1 && !main.JoinGroup(endpoints.groupAddress, endpoints.interfaceAddress)) {
        ReportError(main.lastError, 208);
        main.Close();
        return 0;
    }
    return 1;
}

int MultiCast::OpenSender() {
    if (role == 1) {
        if (!main.Open()) return ReportError(main.lastError, 224), 0;
        const auto address = platform::ResolveHost(lobbyHost.c_str());
        if (!address) {
            ReportError(platform::WSAEHOSTUNREACH, 239);
            main.Close();
            return 0;
        }
        if (endpoints.bindAddress && !main.Bind(endpoints.bindAddress, 0)) {
            ReportError(main.lastError, 260);
            main.Close();
            return 0;
        }
        main.SetNonBlocking(true);
        defaultDestination = {*address, endpoints.lobbyPort};
        return 1;
    }
    if (!main.Open()) return ReportError(main.lastError, 249), 0;
    if (!main.Bind(endpoints.bindAddress, 0)) {
        ReportError(main.lastError, 260);
        main.Close();
        return 0;
    }
    if (!main.SetMulticastInterface(endpoints.interfaceAddress)) {
        ReportError(main.lastError, 267);
        main.Close();
        return 0;
    }
    main.SetNonBlocking(true);
    defaultDestination = {endpoints.groupAddress, endpoints.groupPort};
    return OpenReplySocket();
}

int MultiCast::OpenReplySocket() {
    if (!reply.Open()) return ReportError(reply.lastError, 119), 0;
    if (!reply.Bind(endpoints.bindAddress, endpoints.replyPort)) {
        ReportError(reply.lastError, 128);
        reply.Close();
        main.Close();
        return 0;
    }
    reply.SetNonBlocking(true);
    return 1;
}

void MultiCast::OpenReplyTo(uint32_t address) {
    // One reply socket serves every answer: queued answers keep the socket they were sent on.
    if (!reply.IsOpen()) {
        if (!reply.Open()) {
            ReportError(reply.lastError, 150);
            return;
        }
        if (endpoints.bindAddress) reply.Bind(endpoints.bindAddress, 0);
        reply.SetNonBlocking(true);
    }
    replyAddress = {address, endpoints.replyPort};
}

int MultiCast::Close() {
    if (main.IsOpen() && mode != 0 && role != 1)
        main.LeaveGroup(endpoints.groupAddress, endpoints.interfaceAddress);
    main.Close();
    reply.Close();
    receiveList.clear();
    sendQueue.clear();
    senders.clear();
    lastError = 0;
    return 1;
}

int MultiCast::Queue(bool onReplySocket, const uint8_t* datagram, const platform::SocketAddress& to,
                     int flags, uint32_t pingList, uint32_t pingRecord) {
    const uint16_t length = lobby::GetU16(datagram, 2);
    if (length < lobby::kHeaderSize) return 0;
    Entry e;
    e.onReplySocket = onReplySocket;
    e.destination = to;
    e.datagram.assign(datagram, datagram + length);
    lobby::PutU32(e.datagram.data(), 4, sequence++);
    e.datagram[8] = uint8_t(flags);
    e.flags = uint8_t(flags);
    e.lastSend = Now() - kResendMs;
    e.pingList = pingList;
    e.pingRecord = pingRecord;
    sendQueue.push_back(std::move(e));
    return 1;
}

int MultiCast::Send(const uint8_t* datagram, int flags) {
    Queue(false, datagram, defaultDestination, flags);
    return 1;
}

int MultiCast::SendTo(const uint8_t* datagram, const platform::SocketAddress& to, int flags) {
    Queue(role != 1, datagram, to, flags);
    return 1;
}

int MultiCast::SendPing(uint32_t listSelector, uint32_t recordId, const platform::SocketAddress& to) {
    uint8_t ping[lobby::kPingSize] = {};
    lobby::PutHeader(ping, lobby::KindPing, lobby::kPingSize);
    lobby::PutU32(ping, 12, listSelector);
    // The wire word names the record by id, never by its place in memory.
    lobby::PutU32(ping, 16, recordId);
    return Queue(role != 1, ping, to, 0, listSelector, recordId);
}

void MultiCast::SendAck(bool onReplySocket, const platform::SocketAddress& to, uint32_t seq) {
    uint8_t ack[lobby::kHeaderSize] = {};
    lobby::PutHeader(ack, lobby::KindAck, lobby::kHeaderSize);
    lobby::PutU32(ack, 4, seq);
    ack[8] = lobby::kNoAck;
    platform::UdpSocket& s = onReplySocket && reply.IsOpen() ? reply : main;
    if (s.SendTo(ack, sizeof ack, to, role == 1 ? 0 : platform::MSG_DONTROUTE) < 0)
        ReportError(s.lastError, 367);
}

int MultiCast::SendStep() {
    if (sendQueue.empty()) return 0;
    const uint32_t now = Now();
    auto it = std::find_if(sendQueue.begin(), sendQueue.end(),
                           [now](const Entry& e) { return now - e.lastSend >= kResendMs; });
    if (it == sendQueue.end()) return 0;
    it->lastSend = now;
    ++it->sends;
    platform::UdpSocket& s = it->onReplySocket && reply.IsOpen() ? reply : main;
    bool drop = false;
    if (s.SendTo(it->datagram.data(), it->datagram.size(), it->destination,
                 role == 1 ? 0 : platform::MSG_DONTROUTE) < 0) {
        ReportError(s.lastError, 492);
        drop = it->datagram[1] != lobby::KindPing;
    }
    // A receiver that never answers does not keep the datagram for ever.
    if (it->sends >= kMaxSends && !(it->flags & lobby::kSendOnce)) {
        Zu_Tools::WriteErrorLog(kSource, "Resend limit", 492, int32_t(sendQueue.size()), it->datagram[1], 0,
                                1);
        drop = true;
    }
    if ((it->flags & lobby::kSendOnce) || drop) sendQueue.erase(it);
    return 1;
}

void MultiCast::OnAck(const platform::SocketAddress& from, uint32_t seq) {
    auto it = std::find_if(sendQueue.begin(), sendQueue.end(), [&](const Entry& e) {
        if (lobby::GetU32(e.datagram.data(), 4) != seq) return false;
        // An answer to a datagram for one receiver must come from that receiver.
        return IsGroup(e.destination) || e.destination.address == from.address;
    });
    if (it == sendQueue.end()) return;
    if (it->datagram[1] == lobby::KindPing && pingAnswered) {
        const uint32_t step = std::min<uint32_t>((Now() - it->lastSend) >> 4, 8);
        pingAnswered(it->pingList, it->pingRecord, uint8_t(step));
    }
    sendQueue.erase(it);
}

bool MultiCast::SeenBefore(const platform::SocketAddress& from, uint32_t seq) {
    auto it =
        std::find_if(senders.begin(), senders.end(), [&](const SenderWindow& w) { return w.sender == from; });
    if (it == senders.end()) {
        if (senders.size() >= kSendersKept) senders.pop_back();
        senders.push_front({from, {}});
        it = senders.begin();
    } else if (it != senders.begin()) {
        senders.splice(senders.begin(), senders, it);
        it = senders.begin();
    }
    if (std::find(it->recent.begin(), it->recent.end(), seq) != it->recent.end()) return true;
    it->recent.push_back(seq);
    if (it->recent.size() > kRecentPerSender) it->recent.pop_front();
    return false;
}

int MultiCast::ReceiveOn(platform::UdpSocket& socket, bool isReply) {
    int fromMain = 0;
    for (int n = 0; n < kReadsPerCall && socket.IsOpen(); ++n) {
        platform::SocketAddress from;
        const int got = socket.ReceiveFrom(buffer.data(), buffer.size(), &from);
        if (got < 0) {
            if (socket.lastError != platform::WSAEWOULDBLOCK && socket.lastError != platform::WSAECONNRESET)
                ReportError(socket.lastError, isReply ? 531 : 563);
            break;
        }
        if (!isReply) fromMain = 1;
        TakeDatagram(from, buffer.data(), size_t(got), isReply);
    }
    return fromMain;
}

void MultiCast::TakeDatagram(const platform::SocketAddress& from, const uint8_t* bytes, size_t size,
                             bool isReply) {
    lobby::Header h;
    // Anything that is not a whole datagram of a known kind is dropped unanswered.
    if (!lobby::DecodeHeader(bytes, size, &h)) return;
    if (h.kind == lobby::KindAck) {
        OnAck(from, h.sequence);
        return;
    }
    if (!(h.flags & lobby::kNoAck)) SendAck(isReply, from, h.sequence);
    // A resend whose acknowledgement was lost is answered again but delivered once.
    if (!(h.flags & lobby::kSendOnce) && SeenBefore(from, h.sequence)) return;
    Received r;
    r.sender = from;
    r.bytes.assign(bytes, bytes + size);
    r.fromReplySocket = isReply ? 1 : 0;
    receiveList.push_back(std::move(r));
}

int MultiCast::Receive() {
    if (reply.IsOpen()) ReceiveOn(reply, true);
    if (!main.IsOpen()) return 0;
    return ReceiveOn(main, false);
}

void MultiCast::RemoveQueued(int marker, int kind) {
    if (marker == -1) {
        sendQueue.clear();
        return;
    }
    sendQueue.remove_if([&](const Entry& e) { return e.datagram[0] == marker && e.datagram[1] == kind; });
}

std::vector<uint32_t> MultiCast::TakeUnansweredPings(uint32_t listSelector) {
    std::vector<uint32_t> ids;
    sendQueue.remove_if([&](const Entry& e) {
        if (e.datagram[1] != lobby::KindPing || e.pingList != listSelector) return false;
        ids.push_back(e.pingRecord);
        return true;
    });
    return ids;
}
