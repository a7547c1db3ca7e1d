#pragma once

#include "platform/NetAddress.h"
#include "platform/Sockets.h"

#include <cstddef>
#include <cstdint>

// A datagram socket of the WinSock layer with host-order addresses, owned by the object: the lobby
// and the update client send through it. Failures leave the WinSock number in lastError.
namespace platform {

class UdpSocket {
public:
    UdpSocket() = default;
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    bool Open();
    bool IsOpen() const { return socket_ != INVALID_SOCKET; }
    void Close();
    // Port 0 takes a free port; the bound one is then LocalPort(). The address is reused, so
    // several stations of one machine share a group port as on a LAN segment.
    bool Bind(uint32_t address, uint16_t port);
    bool SetNonBlocking(bool on);
    // Multicast sends go out of this interface and come back to this machine's own members.
    bool SetMulticastInterface(uint32_t interfaceAddress);
    // Group membership; nothing to do for a group that is a unicast address (test set-ups).
    bool JoinGroup(uint32_t group, uint32_t interfaceAddress);
    bool LeaveGroup(uint32_t group, uint32_t interfaceAddress);
    // Bytes sent, or -1 with lastError set. Flags as sendto's (MSG_DONTROUTE).
    int SendTo(const void* data, size_t size, const SocketAddress& to, int flags);
    // One datagram: its size (0 for an empty one), or -1 with lastError set (WSAEWOULDBLOCK when
    // none waits on a non-blocking socket). A datagram larger than capacity is cut.
    int ReceiveFrom(void* buffer, size_t capacity, SocketAddress* from);
    // Waits up to `milliseconds` for a datagram to read; true when one waits.
    bool WaitReadable(uint32_t milliseconds) const;
    uint16_t LocalPort() const;

    int lastError = 0;

private:
    bool Fail();
    bool Membership(uint32_t group, uint32_t interfaceAddress, int option);
    SOCKET socket_ = INVALID_SOCKET;
};

} // namespace platform
