#include "platform/Sockets.h"

#include "platform/SocketsPosix.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

namespace {

thread_local int lastError = 0;
std::atomic<uint32_t> connectLimit{10000};
std::atomic<int> startups{0};

int Fail(int error) {
    lastError = error;
    return SOCKET_ERROR;
}

int FailFromSystem() {
    return Fail(posix::LastError());
}

struct Handle {
    int fd = -1;
    bool stream = true;
};

// Socket handles to descriptors. Numbers only grow, so a handle is never reused.
class HandleTable {
public:
    SOCKET Add(int fd, bool stream) {
        std::lock_guard guard(lock_);
        const SOCKET s = next_++;
        handles_[s] = Handle{fd, stream};
        return s;
    }
    bool Find(SOCKET s, Handle& out) {
        std::lock_guard guard(lock_);
        auto it = handles_.find(s);
        if (it == handles_.end()) return false;
        out = it->second;
        return true;
    }
    bool Remove(SOCKET s, Handle& out) {
        std::lock_guard guard(lock_);
        auto it = handles_.find(s);
        if (it == handles_.end()) return false;
        out = it->second;
        handles_.erase(it);
        return true;
    }
    size_t Count() {
        std::lock_guard guard(lock_);
        return handles_.size();
    }

private:
    std::mutex lock_;
    std::map<SOCKET, Handle> handles_;
    SOCKET next_ = 0x100;
};

HandleTable& Handles() {
    static HandleTable table;
    return table;
}

// The helper thread behind WSAAsyncSelect: it sleeps in poll() and posts the chosen events to
// their windows.
class AsyncSelector {
public:
    ~AsyncSelector() {
        {
            std::lock_guard guard(lock_);
            stopping_ = true;
        }
        if (wakeFd_ >= 0) posix::SignalWakeFd(wakeFd_);
        if (thread_.joinable()) thread_.join();
        if (wakeFd_ >= 0) posix::Close(wakeFd_);
    }

    void Register(SOCKET s, int fd, HWND window, UINT message, long events) {
        std::unique_lock guard(lock_);
        if (events == 0) {
            registrations_.erase(s);
        } else {
            registrations_[s] = Registration{fd, window, message, events, true, false};
        }
        Start();
        WakeAndWait(guard);
    }

    void Rearm(SOCKET s) {
        std::lock_guard guard(lock_);
        auto it = registrations_.find(s);
        if (it == registrations_.end()) return;
        it->second.acceptArmed = true;
        posix::SignalWakeFd(wakeFd_);
    }

    // After this returns the thread no longer polls the socket's descriptor, so it may be closed.
    void Forget(SOCKET s) {
        std::unique_lock guard(lock_);
        if (!registrations_.erase(s)) return;
        WakeAndWait(guard);
    }

private:
    struct Registration {
        int fd;
        HWND window;
        UINT message;
        long events;
        bool acceptArmed;
        bool finished;
    };

    void Start() {
        if (thread_.joinable()) return;
        wakeFd_ = posix::MakeWakeFd();
        thread_ = std::thread([this] { Run(); });
    }

    void WakeAndWait(std::unique_lock<std::mutex>& guard) {
        const uint64_t seen = generation_;
        posix::SignalWakeFd(wakeFd_);
        changed_.wait(guard, [&] { return generation_ > seen || stopping_; });
    }

    void Run() {
        std::vector<posix::PollItem> items;
        std::vector<SOCKET> owners;
        for (;;) {
            {
                std::lock_guard guard(lock_);
                if (stopping_) return;
                items.assign(1, posix::PollItem{wakeFd_, true});
                owners.assign(1, INVALID_SOCKET);
                for (auto& [s, r] : registrations_) {
                    if (r.finished) continue;
                    posix::PollItem item;
                    item.fd = r.fd;
                    item.wantRead = (r.events & FD_ACCEPT) && r.acceptArmed;
                    item.wantHangup = (r.events & FD_CLOSE) != 0;
                    if (!item.wantRead && !item.wantHangup) continue;
                    items.push_back(item);
                    owners.push_back(s);
                }
                ++generation_;
            }
            changed_.notify_all();
            if (posix::Poll(items.data(), items.size(), -1) < 0) continue;
            if (items[0].readable) posix::DrainWakeFd(wakeFd_);
            std::lock_guard guard(lock_);
            for (size_t i = 1; i < items.size(); ++i) {
                auto it = registrations_.find(owners[i]);
                if (it == registrations_.end()) continue;
                Registration& r = it->second;
                if (items[i].hangup && (r.events & FD_CLOSE)) {
                    r.finished = true;
                    PostMessage(r.window, r.message, owners[i], FD_CLOSE);
                } else if (items[i].readable && (r.events & FD_ACCEPT)) {
                    r.acceptArmed = false;
                    PostMessage(r.window, r.message, owners[i], FD_ACCEPT);
                } else if (items[i].hangup) {
                    r.finished = true; // a broken listener: nothing more to report
                }
            }
        }
    }

    std::mutex lock_;
    std::condition_variable changed_;
    std::map<SOCKET, Registration> registrations_;
    std::thread thread_;
    int wakeFd_ = -1;
    uint64_t generation_ = 0;
    bool stopping_ = false;
};

AsyncSelector& Selector() {
    static AsyncSelector selector;
    return selector;
}

const PROTOCOL_INFO kProtocols[] = {
    {0, AF_INET, 16, 16, SOCK_STREAM, IPPROTO_TCP, 0, "TCP/IP"},
    {0, AF_INET, 16, 16, SOCK_DGRAM, IPPROTO_UDP, 65467, "UDP/IP"},
};

} // namespace

uint16_t htons(uint16_t v) {
    return static_cast<uint16_t>((v >> 8) | (v << 8));
}
uint16_t ntohs(uint16_t v) {
    return htons(v);
}
uint32_t htonl(uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}
uint32_t ntohl(uint32_t v) {
    return htonl(v);
}

uint32_t inet_addr(const char* text) {
    const uint32_t address = ParseDottedAddress(text);
    return address == kAddressNone ? address : htonl(address);
}

const char* inet_ntoa(in_addr address) {
    thread_local char text[16];
    std::snprintf(text, sizeof text, "%s", DottedAddress(ntohl(address.s_addr)).c_str());
    return text;
}

int WSAStartup(uint16_t version, WSADATA* data) {
    if ((version & 0xFF) < 1) return WSAVERNOTSUPPORTED;
    if (data) {
        *data = WSADATA{};
        data->wVersion = 0x0101;
        data->wHighVersion = 0x0101;
        std::strcpy(data->szDescription, "POSIX sockets");
        std::strcpy(data->szSystemStatus, "Running");
    }
    ++startups;
    return 0;
}

int WSACleanup() {
    if (startups.load() <= 0) return Fail(WSANOTINITIALISED);
    --startups;
    return 0;
}

int WSAGetLastError() {
    return lastError;
}

int EnumProtocolsA(int32_t*, void* buffer, uint32_t* bufferLength) {
    const uint32_t needed = sizeof kProtocols;
    if (!bufferLength) return Fail(WSAEFAULT);
    if (!buffer || *bufferLength < needed) {
        *bufferLength = needed;
        return Fail(WSAENOBUFS);
    }
    std::memcpy(buffer, kProtocols, needed);
    return static_cast<int>(sizeof kProtocols / sizeof kProtocols[0]);
}

SOCKET socket(int family, int type, int protocol) {
    if (family != AF_INET) return Fail(WSAEAFNOSUPPORT), INVALID_SOCKET;
    const bool stream = type == SOCK_STREAM;
    if (!stream && type != SOCK_DGRAM) return Fail(WSAESOCKTNOSUPPORT), INVALID_SOCKET;
    if (protocol != 0 && protocol != (stream ? IPPROTO_TCP : IPPROTO_UDP))
        return Fail(WSAEPROTONOSUPPORT), INVALID_SOCKET;
    const int fd = posix::Socket(stream);
    if (fd < 0) return FailFromSystem(), INVALID_SOCKET;
    return Handles().Add(fd, stream);
}

int bind(SOCKET s, const sockaddr_in* address, int length) {
    Handle h;
    if (!Handles().Find(s, h)) return Fail(WSAENOTSOCK);
    if (!address || length < static_cast<int>(sizeof(sockaddr_in))) return Fail(WSAEFAULT);
    return posix::Bind(h.fd, address->sin_addr.s_addr, address->sin_port) == 0 ? 0 : FailFromSystem();
}

int listen(SOCKET s, int backlog) {
    Handle h;
    if (!Handles().Find(s, h)) return Fail(WSAENOTSOCK);
    return posix::Listen(h.fd, backlog) == 0 ? 0 : FailFromSystem();
}

SOCKET accept(SOCKET s, sockaddr_in* address, int* length) {
    Handle h;
    if (!Handles().Find(s, h)) return Fail(WSAENOTSOCK), INVALID_SOCKET;
    uint32_t addr = 0;
    uint16_t port = 0;
    const int fd = posix::Accept(h.fd, &addr, &port);
    Selector().Rearm(s);
    if (fd < 0) return FailFromSystem(), INVALID_SOCKET;
    if (address) {
        *address = sockaddr_in{};
        address->sin_family = AF_INET;
        address->sin_port = port;
        address->sin_addr.s_addr = addr;
    }
    if (length) *length = sizeof(sockaddr_in);
    return Handles().Add(fd, true);
}

int connect(SOCKET s, const sockaddr_in* address, int length) {
    Handle h;
    if (!Handles().Find(s, h)) return Fail(WSAENOTSOCK);
    if (!address || length < static_cast<int>(sizeof(sockaddr_in))) return Fail(WSAEFAULT);
    if (!DestinationAllowed(ntohl(address->sin_addr.s_addr))) return Fail(WSAEACCES);
    return posix::Connect(h.fd, address->sin_addr.s_addr, address->sin_port, connectLimit) == 0
               ? 0
               : FailFromSystem();
}

int send(SOCKET s, const char* data, int length, int flags) {
    Handle h;
    if (!Handles().Find(s, h)) return Fail(WSAENOTSOCK);
    if (length < 0) return Fail(WSAEINVAL);
    const long n = posix::Send(h.fd, data, static_cast<size_t>(length), (flags & MSG_DONTROUTE) != 0);
    return n < 0 ? FailFromSystem() : static_cast<int>(n);
}

int recv(SOCKET s, char* data, int length, int) {
    Handle h;
    if (!Handles().Find(s, h)) return Fail(WSAENOTSOCK);
    if (length < 0) return Fail(WSAEINVAL);
    const long n = posix::Recv(h.fd, data, static_cast<size_t>(length));
    return n < 0 ? FailFromSystem() : static_cast<int>(n);
}

int sendto(SOCKET s, const char* data, int length, int flags, const sockaddr_in* to, int toLength) {
    Handle h;
    if (!Handles().Find(s, h)) return Fail(WSAENOTSOCK);
    if (!to || toLength < static_cast<int>(sizeof(sockaddr_in)) || length < 0) return Fail(WSAEFAULT);
    if (!DestinationAllowed(ntohl(to->sin_addr.s_addr))) return Fail(WSAEACCES);
    const long n = posix::SendTo(h.fd, data, static_cast<size_t>(length), (flags & MSG_DONTROUTE) != 0,
                                 to->sin_addr.s_addr, to->sin_port);
    return n < 0 ? FailFromSystem() : static_cast<int>(n);
}

int recvfrom(SOCKET s, char* data, int length, int, sockaddr_in* from, int* fromLength) {
    Handle h;
    if (!Handles().Find(s, h)) return Fail(WSAENOTSOCK);
    if (length < 0) return Fail(WSAEINVAL);
    uint32_t addr = 0;
    uint16_t port = 0;
    const long n = posix::RecvFrom(h.fd, data, static_cast<size_t>(length), &addr, &port);
    if (n < 0) return FailFromSystem();
    if (from) {
        *from = sockaddr_in{};
        from->sin_family = AF_INET;
        from->sin_port = port;
        from->sin_addr.s_addr = addr;
    }
    if (fromLength) *fromLength = sizeof(sockaddr_in);
    return static_cast<int>(n);
}

int shutdown(SOCKET s, int) {
    Handle h;
    if (!Handles().Find(s, h)) return Fail(WSAENOTSOCK);
    return posix::Shutdown(h.fd) == 0 ? 0 : FailFromSystem();
}

int closesocket(SOCKET s) {
    Selector().Forget(s);
    Handle h;
    if (!Handles().Remove(s, h)) return Fail(WSAENOTSOCK);
    return posix::Close(h.fd) == 0 ? 0 : FailFromSystem();
}

int ioctlsocket(SOCKET s, long command, uint32_t* argument) {
    Handle h;
    if (!Handles().Find(s, h)) return Fail(WSAENOTSOCK);
    if (!argument) return Fail(WSAEFAULT);
    if (command == FIONREAD) return posix::ReadableBytes(h.fd, argument) == 0 ? 0 : FailFromSystem();
    if (command == FIONBIO) return posix::SetNonBlocking(h.fd, *argument != 0) == 0 ? 0 : FailFromSystem();
    return Fail(WSAEINVAL);
}

int getsockname(SOCKET s, sockaddr_in* address, int* length) {
    Handle h;
    if (!Handles().Find(s, h)) return Fail(WSAENOTSOCK);
    if (!address) return Fail(WSAEFAULT);
    uint32_t addr = 0;
    uint16_t port = 0;
    if (posix::LocalAddress(h.fd, &addr, &port) != 0) return FailFromSystem();
    *address = sockaddr_in{};
    address->sin_family = AF_INET;
    address->sin_port = port;
    address->sin_addr.s_addr = addr;
    if (length) *length = sizeof(sockaddr_in);
    return 0;
}

int setsockopt(SOCKET s, int level, int name, const char* value, int length) {
    Handle h;
    if (!Handles().Find(s, h)) return Fail(WSAENOTSOCK);
    if (!value || length < 1) return Fail(WSAEFAULT);
    const auto flag = [&] {
        int v = 0;
        std::memcpy(&v, value, length >= static_cast<int>(sizeof v) ? sizeof v : 1);
        return v != 0;
    };
    int result;
    if (level == SOL_SOCKET && name == SO_REUSEADDR) {
        result = posix::SetReuseAddress(h.fd, flag());
    } else if (level == IPPROTO_IP && name == IP_MULTICAST_IF) {
        if (length < static_cast<int>(sizeof(in_addr))) return Fail(WSAEFAULT);
        in_addr a;
        std::memcpy(&a, value, sizeof a);
        result = posix::SetMulticastInterface(h.fd, a.s_addr);
    } else if (level == IPPROTO_IP && name == IP_MULTICAST_LOOP) {
        result = posix::SetMulticastLoop(h.fd, flag());
    } else if (level == IPPROTO_IP && (name == IP_ADD_MEMBERSHIP || name == IP_DROP_MEMBERSHIP)) {
        if (length < static_cast<int>(sizeof(ip_mreq))) return Fail(WSAEFAULT);
        ip_mreq m;
        std::memcpy(&m, value, sizeof m);
        result = posix::SetMembership(h.fd, m.imr_multiaddr.s_addr, m.imr_interface.s_addr,
                                      name == IP_ADD_MEMBERSHIP);
    } else {
        return Fail(WSAENOPROTOOPT);
    }
    return result == 0 ? 0 : FailFromSystem();
}

int WSAAsyncSelect(SOCKET s, HWND window, UINT message, long events) {
    Handle h;
    if (!Handles().Find(s, h)) return Fail(WSAENOTSOCK);
    if (posix::SetNonBlocking(h.fd, true) != 0) return FailFromSystem();
    Selector().Register(s, h.fd, window, message, events);
    return 0;
}

struct SocketWakeState {
    int fd = -1;
};

SOCKETWAKE CreateSocketWake() {
    const int fd = posix::MakeWakeFd();
    if (fd < 0) return nullptr;
    return new SocketWakeState{fd};
}

void SignalSocketWake(SOCKETWAKE wake) {
    if (wake) posix::SignalWakeFd(wake->fd);
}

void CloseSocketWake(SOCKETWAKE wake) {
    if (!wake) return;
    posix::Close(wake->fd);
    delete wake;
}

int WaitForSockets(const SOCKET* sockets, size_t count, SOCKETWAKE wake, uint32_t milliseconds) {
    std::vector<posix::PollItem> items;
    items.reserve(count + 1);
    if (wake) items.push_back(posix::PollItem{wake->fd, true});
    for (size_t i = 0; i < count; ++i) {
        Handle h;
        if (!Handles().Find(sockets[i], h)) continue;
        posix::PollItem item;
        item.fd = h.fd;
        item.wantRead = true;
        item.wantHangup = true;
        items.push_back(item);
    }
    const int timeout = milliseconds == 0xFFFFFFFFu ? -1 : static_cast<int>(milliseconds);
    const int ready = posix::Poll(items.data(), items.size(), timeout);
    if (ready < 0) return FailFromSystem();
    if (ready == 0) return 0;
    const bool woken = wake && items[0].readable;
    if (woken) posix::DrainWakeFd(wake->fd);
    return ready > (woken ? 1 : 0) ? 1 : 2;
}

bool WaitWritable(SOCKET s, uint32_t milliseconds) {
    Handle h;
    if (!Handles().Find(s, h)) return false;
    posix::PollItem item;
    item.fd = h.fd;
    item.wantWrite = true;
    return posix::Poll(&item, 1, static_cast<int>(milliseconds)) > 0 && item.writable && !item.hangup;
}

void SetConnectLimit(uint32_t milliseconds) {
    connectLimit = milliseconds;
}

size_t OpenSocketCount() {
    return Handles().Count();
}

} // namespace platform
