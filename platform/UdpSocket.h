#pragma once

#include "platform/NetAddress.h"
#include "platform/WinSockErrors.h"

#include <cstddef>
#include <cstdint>

// Datagram sockets over POSIX with the Windows Sockets error numbers the lobby reports.
namespace platform {

constexpr int kMsgDontRoute = 4;

class UdpSocket {
public:
    UdpSocket() = default;
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    bool Open();
    bool IsOpen() const { return fd_ >= 0; }
    void Close();
    // Port 0 takes a free port; the bound one is then LocalPort().
    bool Bind(uint32_t address, uint16_t port);
    bool SetNonBlocking(bool on);
    // Multicast sends go out of this interface and come back to this machine's own members.
    bool SetMulticastInterface(uint32_t interfaceAddress);
    // Group membership; nothing to do for a group that is a unicast address (test set-ups).
    bool JoinGroup(uint32_t group, uint32_t interfaceAddress);
    bool LeaveGroup(uint32_t group, uint32_t interfaceAddress);
    // Bytes sent, or -1 with lastError set.
    int SendTo(const void* data, size_t size, const SocketAddress& to, int flags);
    // One datagram: its size (0 for an empty one), or -1 with lastError set (WSAEWOULDBLOCK when
    // none waits on a non-blocking socket). A datagram larger than capacity is cut.
    int ReceiveFrom(void* buffer, size_t capacity, SocketAddress* from);
    uint16_t LocalPort() const;

    int lastError = 0;

private:
    bool Fail();
    int fd_ = -1;
};

} // namespace platform
