#include "platform/UdpSocket.h"

#include <climits>

namespace platform {

namespace {
sockaddr_in ToWinSock(const SocketAddress& a) {
    sockaddr_in s;
    s.sin_family = AF_INET;
    s.sin_port = htons(a.port);
    s.sin_addr.s_addr = htonl(a.address);
    return s;
}
} // namespace

UdpSocket::~UdpSocket() {
    Close();
}

bool UdpSocket::Fail() {
    lastError = WSAGetLastError();
    return false;
}

bool UdpSocket::Open() {
    Close();
    socket_ = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    return IsOpen() || Fail();
}

void UdpSocket::Close() {
    if (IsOpen()) closesocket(socket_);
    socket_ = INVALID_SOCKET;
}

bool UdpSocket::Bind(uint32_t address, uint16_t port) {
    const int on = 1;
    setsockopt(socket_, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on);
    const sockaddr_in s = ToWinSock({address, port});
    return bind(socket_, &s, sizeof s) == 0 || Fail();
}

bool UdpSocket::SetNonBlocking(bool on) {
    uint32_t value = on ? 1 : 0;
    return ioctlsocket(socket_, FIONBIO, &value) == 0 || Fail();
}

bool UdpSocket::SetMulticastInterface(uint32_t interfaceAddress) {
    in_addr a;
    a.s_addr = htonl(interfaceAddress);
    if (setsockopt(socket_, IPPROTO_IP, IP_MULTICAST_IF, reinterpret_cast<const char*>(&a), sizeof a) != 0)
        return Fail();
    const char loop = 1;
    return setsockopt(socket_, IPPROTO_IP, IP_MULTICAST_LOOP, &loop, sizeof loop) == 0 || Fail();
}

bool UdpSocket::Membership(uint32_t group, uint32_t interfaceAddress, int option) {
    if (!IsOpen()) return lastError = WSAENOTSOCK, false;
    if (!IsMulticastAddress(group)) return true;
    ip_mreq m;
    m.imr_multiaddr.s_addr = htonl(group);
    m.imr_interface.s_addr = htonl(interfaceAddress);
    return setsockopt(socket_, IPPROTO_IP, option, reinterpret_cast<const char*>(&m), sizeof m) == 0 ||
           Fail();
}

bool UdpSocket::JoinGroup(uint32_t group, uint32_t interfaceAddress) {
    return Membership(group, interfaceAddress, IP_ADD_MEMBERSHIP);
}

bool UdpSocket::LeaveGroup(uint32_t group, uint32_t interfaceAddress) {
    return Membership(group, interfaceAddress, IP_DROP_MEMBERSHIP);
}

int UdpSocket::SendTo(const void* data, size_t size, const SocketAddress& to, int flags) {
    if (size > INT_MAX) return lastError = WSAEMSGSIZE, -1;
    const sockaddr_in s = ToWinSock(to);
    const int n =
        sendto(socket_, static_cast<const char*>(data), static_cast<int>(size), flags, &s, sizeof s);
    if (n < 0) Fail();
    return n;
}

int UdpSocket::ReceiveFrom(void* buffer, size_t capacity, SocketAddress* from) {
    sockaddr_in s;
    int length = sizeof s;
    const int n = recvfrom(socket_, static_cast<char*>(buffer),
                           static_cast<int>(capacity < INT_MAX ? capacity : INT_MAX), 0, &s, &length);
    if (n < 0) return Fail(), -1;
    if (from) *from = SocketAddress{ntohl(s.sin_addr.s_addr), ntohs(s.sin_port)};
    return n;
}

bool UdpSocket::WaitReadable(uint32_t milliseconds) const {
    return IsOpen() && WaitForSockets(&socket_, 1, nullptr, milliseconds) == 1;
}

uint16_t UdpSocket::LocalPort() const {
    sockaddr_in s;
    int length = sizeof s;
    if (!IsOpen() || getsockname(socket_, &s, &length) != 0) return 0;
    return ntohs(s.sin_port);
}

} // namespace platform
