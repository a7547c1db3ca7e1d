#include "net/room/NetSession.h"

#include "net/room/NetSide.h"
#include "platform/HostLookup.h"
#include "platform/Time.h"

#include <cstring>

using namespace platform;

NetSession* TheNetSession = nullptr;

NetSession::Lock::Lock(const NetSession& session) : mutex_(session.mutex) {
    while (mutex_ && WaitForSingleObject(mutex_, 2000) != WAIT_OBJECT_0) {
    }
}

NetSession::Lock::~Lock() {
    if (mutex_) ReleaseMutex(mutex_);
}

NetSession::NetSession(NetSide& side, NetConfig config) : side(side), config(std::move(config)) {
    mutex = CreateMutexA(nullptr, 0, "NetMutex");
    InstallGameCommandFamilies(commands);
}

NetSession::~NetSession() {
    if (sessionActive) CloseTcpSession();
    NetStopThread();
    link.FreeClients();
    NetSocketStop();
    if (TheNetSession == this) TheNetSession = nullptr;
    if (mutex) CloseHandle(mutex);
}

void NetSession::SetRoomHandlers(PacketHandler lobbyNotify, PacketHandler roomDispatch) {
    Lock lock(*this);
    lobbyNotify_ = std::move(lobbyNotify);
    roomDispatch_ = std::move(roomDispatch);
}

bool NetSession::NetSessionStart(bool asHost, const char* playerName) {
    sessionActive = 1;
    hostFlag = asHost ? 1 : 0;
    linkSocket = 0;
    linkBroken = false;
    linkInbox = PacketAssembler();
    link.FreeClients();
    NetSessionInit();
    const bool linked = NetSocketStart(asHost);
    NetStartThread();
    if (asHost) {
        NetHostStart(playerName);
        // A host that cannot listen has no room to offer.
        return linked;
    }
    return linked && NetJoin(playerName);
}

bool NetSession::NetSocketStart(bool asHost) {
    protocols.clear();
    WSADATA data;
    if (WSAStartup(0x0101, &data) != 0) return false;
    uint32_t size = 0;
    if (EnumProtocolsA(nullptr, nullptr, &size) != -1 || size == 0) return false;
    protocols.resize(size / sizeof(PROTOCOL_INFO));
    const int count = EnumProtocolsA(nullptr, protocols.data(), &size);
    if (count == -1) return false;
    protocols.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const PROTOCOL_INFO& p = protocols[static_cast<size_t>(i)];
        if (p.iAddressFamily != AF_INET || p.iProtocol != IPPROTO_TCP) continue;
        socketType = p.iSocketType;
        if (asHost ? TcpListen(p) : TcpConnect(p)) {
            protocolIndex = i;
            return true;
        }
    }
    return false;
}

bool NetSession::NetRestartLink(bool asHost) {
    if (linkSocket) closesocket(linkSocket);
    linkSocket = 0;
    linkBroken = false;
    linkInbox = PacketAssembler();
    if (protocolIndex < 0 || static_cast<size_t>(protocolIndex) >= protocols.size()) return false;
    const bool ok = asHost ? TcpListen(protocols[static_cast<size_t>(protocolIndex)])
                           : TcpConnect(protocols[static_cast<size_t>(protocolIndex)]);
    SignalSocketWake(wake);
    return ok;
}

namespace {

uint32_t OwnAddress(const std::string& text) {
    if (text.empty()) return INADDR_ANY;
    const uint32_t a = inet_addr(text.c_str());
    return a == 0xFFFFFFFFu ? INADDR_ANY : a;
}

} // namespace

bool NetSession::TcpListen(const PROTOCOL_INFO& protocol) {
    linkAddress = sockaddr_in{};
    const SOCKET s = platform::socket(protocol.iAddressFamily, protocol.iSocketType, protocol.iProtocol);
    if (s == INVALID_SOCKET) return false;
    linkSocket = s;
    linkAddress.sin_family = AF_INET;
    linkAddress.sin_port = htons(config.port);
    linkAddress.sin_addr.s_addr = OwnAddress(config.ownAddress);
    if (platform::bind(s, &linkAddress, sizeof linkAddress) != 0 ||
        platform::listen(s, kListenBacklog) != 0 ||
        WSAAsyncSelect(s, side.SocketWindow(), 200, FD_ACCEPT) != 0) {
        closesocket(s);
        linkSocket = 0;
        return false;
    }
    return true;
}

bool NetSession::TcpConnect(const PROTOCOL_INFO& protocol) {
    linkAddress = sockaddr_in{};
    const SOCKET s = platform::socket(protocol.iAddressFamily, protocol.iSocketType, protocol.iProtocol);
    if (s == INVALID_SOCKET) return false;
    linkSocket = s;
    linkAddress.sin_family = AF_INET;
    linkAddress.sin_port = htons(config.port);
    const std::string resolved = LookUpHostAddress(config.hostAddress.c_str());
    linkAddress.sin_addr.s_addr = inet_addr(resolved.empty() ? config.hostAddress.c_str() : resolved.c_str());
    if (!config.ownAddress.empty()) {
        // The host tells stations apart by their source address.
        sockaddr_in own;
        own.sin_family = AF_INET;
        own.sin_addr.s_addr = OwnAddress(config.ownAddress);
        platform::bind(s, &own, sizeof own);
    }
    if (platform::connect(s, &linkAddress, sizeof linkAddress) != 0 ||
        WSAAsyncSelect(s, side.SocketWindow(), 201, FD_CLOSE) != 0) {
        // A failed connect keeps nothing open.
        closesocket(s);
        linkSocket = 0;
        return false;
    }
    return true;
}

void NetSession::NetStartThread() {
    if (thread.joinable()) return;
    stopEvent = CreateEventA(nullptr, 0, 0, nullptr);
    wake = CreateSocketWake();
    thread = std::thread([this] { ReceiveThread(); });
}

void NetSession::NetStopThread() {
    if (!thread.joinable()) return;
    SetEvent(stopEvent);
    SignalSocketWake(wake);
    thread.join();
    CloseHandle(stopEvent);
    stopEvent = nullptr;
    CloseSocketWake(wake);
    wake = nullptr;
}

void NetSession::ReceiveThread() {
    std::vector<SOCKET> waitOn;
    for (;;) {
        if (WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0) return;
        link.ReceiveAll(waitOn);
        // Sleep until a connection has bytes, a new one joins the list or the session stops.
        WaitForSockets(waitOn.data(), waitOn.size(), wake, 1000);
    }
}

void NetSession::NetSocketStop() {
    if (linkSocket) closesocket(linkSocket);
    linkSocket = 0;
    protocols.clear();
}

void NetSession::CloseTcpSession() {
    sessionActive = 0;
    NetLeave();
    NetStopThread();
    {
        Lock lock(*this);
        link.FreeClients();
        NetSocketStop();
    }
}

void NetSession::NetSessionInit() {
    Lock lock(*this);
    side.OnSessionInit();
    frameCounter = 0;
    timingStart = 0;
    measuredTime = 0;
    heartbeatBalance = 0;
    monitoring = 0;
    unreachableShown = 0;
    lastKeepAlive = 0;
    peers.clear();
    ownPeer = nullptr;
    receiveQueue.clear();
    hostQueue.Clear();
    ownId = 0;
    hostId = 1;
    nextJoinNumber = 1;
    hostQueueSequence = 1;
    lastProcessed = 0;
    pendingChat.clear();
    // Empty slots as the host keeps them: a joining station hears only the last empty one.
    for (size_t i = 0; i < playerslot::kCount; ++i)
        playerslot::Clear(side.Slot(i), static_cast<uint8_t>(i));
}
