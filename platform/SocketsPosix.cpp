#include "platform/SocketsPosix.h"

#include "platform/WinSockErrors.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace platform::posix {

namespace {

thread_local int lastError = 0;

int Fail() {
    lastError = WinSockErrorOf(errno);
    return -1;
}

sockaddr_in Address(uint32_t address, uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = port;
    a.sin_addr.s_addr = address;
    return a;
}

} // namespace

int LastError() {
    return lastError;
}

int Socket(bool stream) {
    const int fd = ::socket(AF_INET, (stream ? SOCK_STREAM : SOCK_DGRAM) | SOCK_CLOEXEC, 0);
    if (fd < 0) return Fail();
    if (stream) {
        // A station elected host must be able to listen again at once.
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    }
    return fd;
}

int Bind(int fd, uint32_t address, uint16_t port) {
    const sockaddr_in a = Address(address, port);
    return ::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0 ? 0 : Fail();
}

int Listen(int fd, int backlog) {
    return ::listen(fd, backlog) == 0 ? 0 : Fail();
}

int Accept(int fd, uint32_t* address, uint16_t* port) {
    sockaddr_in a{};
    socklen_t len = sizeof a;
    const int s = ::accept4(fd, reinterpret_cast<sockaddr*>(&a), &len, SOCK_CLOEXEC);
    if (s < 0) return Fail();
    *address = a.sin_addr.s_addr;
    *port = a.sin_port;
    return s;
}

int Connect(int fd, uint32_t address, uint16_t port, uint32_t limitMs) {
    const int flags = ::fcntl(fd, F_GETFL);
    ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    const sockaddr_in a = Address(address, port);
    int result = ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a);
    if (result != 0 && errno == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        int ready;
        do {
            ready = ::poll(&p, 1, static_cast<int>(limitMs));
        } while (ready < 0 && errno == EINTR);
        if (ready == 0) {
            errno = ETIMEDOUT;
            result = -1;
        } else {
            int error = 0;
            socklen_t len = sizeof error;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len);
            errno = error;
            result = error == 0 ? 0 : -1;
        }
    }
    const int saved = errno;
    ::fcntl(fd, F_SETFL, flags);
    errno = saved;
    return result == 0 ? 0 : Fail();
}

long Send(int fd, const void* data, size_t length, bool dontRoute) {
    const long n = ::send(fd, data, length, MSG_NOSIGNAL | (dontRoute ? MSG_DONTROUTE : 0));
    return n >= 0 ? n : Fail();
}

long Recv(int fd, void* data, size_t length) {
    const long n = ::recv(fd, data, length, 0);
    return n >= 0 ? n : Fail();
}

long SendTo(int fd, const void* data, size_t length, bool dontRoute, uint32_t address, uint16_t port) {
    const sockaddr_in a = Address(address, port);
    const long n = ::sendto(fd, data, length, MSG_NOSIGNAL | (dontRoute ? MSG_DONTROUTE : 0),
                            reinterpret_cast<const sockaddr*>(&a), sizeof a);
    return n >= 0 ? n : Fail();
}

long RecvFrom(int fd, void* data, size_t length, uint32_t* address, uint16_t* port) {
    sockaddr_in a{};
    socklen_t len = sizeof a;
    const long n = ::recvfrom(fd, data, length, 0, reinterpret_cast<sockaddr*>(&a), &len);
    if (n < 0) return Fail();
    *address = a.sin_addr.s_addr;
    *port = a.sin_port;
    return n;
}

int Shutdown(int fd) {
    return ::shutdown(fd, SHUT_RDWR) == 0 ? 0 : Fail();
}

int Close(int fd) {
    return ::close(fd) == 0 ? 0 : Fail();
}

int SetNonBlocking(int fd, bool on) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0) return Fail();
    return ::fcntl(fd, F_SETFL, on ? flags | O_NONBLOCK : flags & ~O_NONBLOCK) == 0 ? 0 : Fail();
}

int ReadableBytes(int fd, uint32_t* count) {
    int n = 0;
    if (::ioctl(fd, FIONREAD, &n) != 0) return Fail();
    *count = static_cast<uint32_t>(n);
    return 0;
}

int LocalAddress(int fd, uint32_t* address, uint16_t* port) {
    sockaddr_in a{};
    socklen_t len = sizeof a;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) return Fail();
    *address = a.sin_addr.s_addr;
    *port = a.sin_port;
    return 0;
}

int SetReuseAddress(int fd, bool on) {
    const int value = on ? 1 : 0;
    return ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &value, sizeof value) == 0 ? 0 : Fail();
}

int SetMulticastInterface(int fd, uint32_t interfaceAddress) {
    in_addr a{};
    a.s_addr = interfaceAddress;
    return ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &a, sizeof a) == 0 ? 0 : Fail();
}

int SetMulticastLoop(int fd, bool on) {
    const unsigned char value = on ? 1 : 0;
    return ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_LOOP, &value, sizeof value) == 0 ? 0 : Fail();
}

int SetMembership(int fd, uint32_t group, uint32_t interfaceAddress, bool join) {
    ip_mreq m{};
    m.imr_multiaddr.s_addr = group;
    m.imr_interface.s_addr = interfaceAddress;
    return ::setsockopt(fd, IPPROTO_IP, join ? IP_ADD_MEMBERSHIP : IP_DROP_MEMBERSHIP, &m, sizeof m) == 0
               ? 0
               : Fail();
}

int Poll(PollItem* items, size_t count, int timeoutMs) {
    std::vector<pollfd> fds(count);
    for (size_t i = 0; i < count; ++i) {
        short events = 0;
        if (items[i].wantRead) events |= POLLIN;
        if (items[i].wantWrite) events |= POLLOUT;
        if (items[i].wantHangup) events |= POLLRDHUP;
        fds[i] = pollfd{items[i].fd, events, 0};
    }
    int ready;
    do {
        ready = ::poll(fds.data(), fds.size(), timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready < 0) return Fail();
    for (size_t i = 0; i < count; ++i) {
        const short r = fds[i].revents;
        items[i].readable = (r & POLLIN) != 0;
        items[i].writable = (r & POLLOUT) != 0;
        items[i].hangup = (r & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0;
    }
    return ready;
}

int MakeWakeFd() {
    const int fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return fd >= 0 ? fd : Fail();
}

void SignalWakeFd(int fd) {
    const uint64_t one = 1;
    [[maybe_unused]] const auto n = ::write(fd, &one, sizeof one);
}

void DrainWakeFd(int fd) {
    uint64_t value = 0;
    [[maybe_unused]] const auto n = ::read(fd, &value, sizeof value);
}

} // namespace platform::posix
