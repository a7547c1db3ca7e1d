#include "platform/Datagram.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <unordered_map>

namespace platform {

namespace {

std::mutex tableMutex;
std::unordered_map<DatagramSocket, int> descriptors;
DatagramSocket nextHandle = 0x1000;
thread_local int lastError = 0;

bool Fail(int code) {
    lastError = code;
    return false;
}

int Descriptor(DatagramSocket socket) {
    std::lock_guard lock(tableMutex);
    auto it = descriptors.find(socket);
    return it == descriptors.end() ? -1 : it->second;
}

sockaddr_in ToNative(const DatagramAddress& a) {
    sockaddr_in s{};
    s.sin_family = AF_INET;
    s.sin_port = htons(a.port);
    s.sin_addr.s_addr = htonl(a.ip);
    return s;
}

bool Membership(DatagramSocket socket, uint32_t group, uint32_t interfaceIp, int option) {
    const int fd = Descriptor(socket);
    if (fd < 0) return Fail(WSAENOTSOCK);
    if (!IsMulticastAddress(group)) return true;
    ip_mreq request{};
    request.imr_multiaddr.s_addr = htonl(group);
    request.imr_interface.s_addr = htonl(interfaceIp);
    if (::setsockopt(fd, IPPROTO_IP, option, &request, sizeof request) != 0)
        return Fail(WinSockErrorOf(errno));
    return true;
}

} // namespace

void StoreSocketAddress(const DatagramAddress& address, uint8_t out[16]) {
    std::memset(out, 0, 16);
    out[0] = 2;
    out[2] = static_cast<uint8_t>(address.port >> 8);
    out[3] = static_cast<uint8_t>(address.port);
    for (int i = 0; i < 4; ++i)
        out[4 + i] = static_cast<uint8_t>(address.ip >> (24 - 8 * i));
}

DatagramAddress LoadSocketAddress(const uint8_t in[16]) {
    DatagramAddress a;
    a.port = static_cast<uint16_t>((in[2] << 8) | in[3]);
    a.ip = (static_cast<uint32_t>(in[4]) << 24) | (static_cast<uint32_t>(in[5]) << 16) |
           (static_cast<uint32_t>(in[6]) << 8) | in[7];
    return a;
}

int LastDatagramError() {
    return lastError;
}

DatagramSocket OpenDatagramSocket() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (fd < 0) {
        Fail(WinSockErrorOf(errno));
        return kNoDatagramSocket;
    }
    std::lock_guard lock(tableMutex);
    const DatagramSocket handle = nextHandle++;
    descriptors[handle] = fd;
    return handle;
}

void CloseDatagramSocket(DatagramSocket socket) {
    int fd = -1;
    {
        std::lock_guard lock(tableMutex);
        auto it = descriptors.find(socket);
        if (it == descriptors.end()) return;
        fd = it->second;
        descriptors.erase(it);
    }
    ::close(fd);
}

bool BindDatagramSocket(DatagramSocket socket, uint32_t ip, uint16_t port) {
    const int fd = Descriptor(socket);
    if (fd < 0) return Fail(WSAENOTSOCK);
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const sockaddr_in native = ToNative({ip, port});
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&native), sizeof native) != 0)
        return Fail(WinSockErrorOf(errno));
    return true;
}

uint16_t DatagramSocketPort(DatagramSocket socket) {
    const int fd = Descriptor(socket);
    if (fd < 0) return 0;
    sockaddr_in native{};
    socklen_t length = sizeof native;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&native), &length) != 0) return 0;
    return ntohs(native.sin_port);
}

bool SetDatagramNonBlocking(DatagramSocket socket, bool nonBlocking) {
    const int fd = Descriptor(socket);
    if (fd < 0) return Fail(WSAENOTSOCK);
    int value = nonBlocking ? 1 : 0;
    if (::ioctl(fd, FIONBIO, &value) != 0) return Fail(WinSockErrorOf(errno));
    return true;
}

bool JoinDatagramGroup(DatagramSocket socket, uint32_t group, uint32_t interfaceIp) {
    return Membership(socket, group, interfaceIp, IP_ADD_MEMBERSHIP);
}

bool LeaveDatagramGroup(DatagramSocket socket, uint32_t group, uint32_t interfaceIp) {
    return Membership(socket, group, interfaceIp, IP_DROP_MEMBERSHIP);
}

bool SetDatagramMulticastInterface(DatagramSocket socket, uint32_t interfaceIp) {
    const int fd = Descriptor(socket);
    if (fd < 0) return Fail(WSAENOTSOCK);
    in_addr address{};
    address.s_addr = htonl(interfaceIp);
    if (::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &address, sizeof address) != 0)
        return Fail(WinSockErrorOf(errno));
    return true;
}

int SendDatagram(DatagramSocket socket, const void* data, size_t size, const DatagramAddress& to, int flags) {
    const int fd = Descriptor(socket);
    if (fd < 0) return Fail(WSAENOTSOCK), -1;
    if (!DestinationAllowed(to.ip)) return Fail(WSAEACCES), -1;
    const sockaddr_in native = ToNative(to);
    const int native_flags = MSG_NOSIGNAL | ((flags & kDatagramDontRoute) ? MSG_DONTROUTE : 0);
    const ssize_t sent =
        ::sendto(fd, data, size, native_flags, reinterpret_cast<const sockaddr*>(&native), sizeof native);
    if (sent < 0) return Fail(WinSockErrorOf(errno)), -1;
    return static_cast<int>(sent);
}

int ReceiveDatagram(DatagramSocket socket, void* buffer, size_t capacity, DatagramAddress* from) {
    const int fd = Descriptor(socket);
    if (fd < 0) return Fail(WSAENOTSOCK), -1;
    sockaddr_in native{};
    socklen_t length = sizeof native;
    msghdr header{};
    iovec part{buffer, capacity};
    header.msg_name = &native;
    header.msg_namelen = length;
    header.msg_iov = &part;
    header.msg_iovlen = 1;
    const ssize_t got = ::recvmsg(fd, &header, 0);
    if (got < 0) return Fail(WinSockErrorOf(errno)), -1;
    if (from) *from = DatagramAddress{ntohl(native.sin_addr.s_addr), ntohs(native.sin_port)};
    if (header.msg_flags & MSG_TRUNC) lastError = WSAEMSGSIZE;
    return static_cast<int>(got);
}

bool WaitForDatagram(DatagramSocket socket, uint32_t milliseconds) {
    const int fd = Descriptor(socket);
    if (fd < 0) return Fail(WSAENOTSOCK);
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, static_cast<int>(milliseconds)) > 0 && (entry.revents & POLLIN);
}

} // namespace platform
