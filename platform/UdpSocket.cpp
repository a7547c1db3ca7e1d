#include "platform/UdpSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {
sockaddr_in ToNative(uint32_t address, uint16_t port) {
    sockaddr_in s{};
    s.sin_family = AF_INET;
    s.sin_port = htons(port);
    s.sin_addr.s_addr = htonl(address);
    return s;
}
} // namespace

UdpSocket::~UdpSocket() {
    Close();
}

bool UdpSocket::Fail() {
    lastError = WinSockErrorOf(errno);
    return false;
}

bool UdpSocket::Open() {
    Close();
    fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (fd_ < 0) return Fail();
    return true;
}

void UdpSocket::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool UdpSocket::Bind(uint32_t address, uint16_t port) {
    if (fd_ < 0) return lastError = WSAEBADF, false;
    // Several stations of one machine share the group port, as on a LAN segment.
    const int one = 1;
    setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    const sockaddr_in s = ToNative(address, port);
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&s), sizeof s) != 0) return Fail();
    return true;
}

bool UdpSocket::SetNonBlocking(bool on) {
    if (fd_ < 0) return lastError = WSAEBADF, false;
    const int flags = fcntl(fd_, F_GETFL, 0);
    if (flags < 0 || fcntl(fd_, F_SETFL, on ? flags | O_NONBLOCK : flags & ~O_NONBLOCK) != 0) return Fail();
    return true;
}

bool UdpSocket::SetMulticastInterface(uint32_t interfaceAddress) {
    if (fd_ < 0) return lastError = WSAEBADF, false;
    in_addr a{};
    a.s_addr = htonl(interfaceAddress);
    if (setsockopt(fd_, IPPROTO_IP, IP_MULTICAST_IF, &a, sizeof a) != 0) return Fail();
    const unsigned char loop = 1;
    if (setsockopt(fd_, IPPROTO_IP, IP_MULTICAST_LOOP, &loop, sizeof loop) != 0) return Fail();
    return true;
}

bool UdpSocket::JoinGroup(uint32_t group, uint32_t interfaceAddress) {
    if (fd_ < 0) return lastError = WSAEBADF, false;
    if (!IsMulticastAddress(group)) return true;
    ip_mreq m{};
    m.imr_multiaddr.s_addr = htonl(group);
    m.imr_interface.s_addr = htonl(interfaceAddress);
    if (setsockopt(fd_, IPPROTO_IP, IP_ADD_MEMBERSHIP, &m, sizeof m) != 0) return Fail();
    return true;
}

bool UdpSocket::LeaveGroup(uint32_t group, uint32_t interfaceAddress) {
    if (fd_ < 0) return lastError = WSAEBADF, false;
    if (!IsMulticastAddress(group)) return true;
    ip_mreq m{};
    m.imr_multiaddr.s_addr = htonl(group);
    m.imr_interface.s_addr = htonl(interfaceAddress);
    if (setsockopt(fd_, IPPROTO_IP, IP_DROP_MEMBERSHIP, &m, sizeof m) != 0) return Fail();
    return true;
}

int UdpSocket::SendTo(const void* data, size_t size, const SocketAddress& to, int flags) {
    if (fd_ < 0) return lastError = WSAEBADF, -1;
    const sockaddr_in s = ToNative(to.address, to.port);
    const int native = (flags & kMsgDontRoute) ? MSG_DONTROUTE : 0;
    const ssize_t n =
        ::sendto(fd_, data, size, native | MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&s), sizeof s);
    if (n < 0) return Fail(), -1;
    return static_cast<int>(n);
}

int UdpSocket::ReceiveFrom(void* buffer, size_t capacity, SocketAddress* from) {
    if (fd_ < 0) return lastError = WSAEBADF, -1;
    sockaddr_in s{};
    socklen_t length = sizeof s;
    const ssize_t n = ::recvfrom(fd_, buffer, capacity, 0, reinterpret_cast<sockaddr*>(&s), &length);
    if (n < 0) return Fail(), -1;
    if (from) {
        from->address = ntohl(s.sin_addr.s_addr);
        from->port = ntohs(s.sin_port);
    }
    return static_cast<int>(n);
}

uint16_t UdpSocket::LocalPort() const {
    if (fd_ < 0) return 0;
    sockaddr_in s{};
    socklen_t length = sizeof s;
    if (getsockname(fd_, reinterpret_cast<sockaddr*>(&s), &length) != 0) return 0;
    return ntohs(s.sin_port);
}

} // namespace platform
