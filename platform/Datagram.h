#pragma once

#include "platform/NetAddress.h"
#include "platform/WinSockErrors.h"

#include <cstddef>
#include <cstdint>

// UDP sockets for the update transport, in the manner of the game's socket library: handles that
// are never 0 or -1 and never come back within a run, WinSock error numbers, and addresses and
// ports that the configuration may move (tests run on loopback).
namespace platform {

using DatagramSocket = int32_t;
constexpr DatagramSocket kNoDatagramSocket = -1;

constexpr int kDatagramDontRoute = 4; // MSG_DONTROUTE

// An IPv4 address and port, both in host order.
struct DatagramAddress {
    uint32_t ip = 0;
    uint16_t port = 0;
    bool operator==(const DatagramAddress&) const = default;
};

// The 16-byte socket address as the game stores it: u16 family 2 (little-endian), u16 port and
// u32 address in network order, eight zero bytes.
void StoreSocketAddress(const DatagramAddress& address, uint8_t out[16]);
DatagramAddress LoadSocketAddress(const uint8_t in[16]);

// The error of the last failing call on this thread.
int LastDatagramError();

DatagramSocket OpenDatagramSocket();
void CloseDatagramSocket(DatagramSocket socket);
// ip 0 = any address, port 0 = any port. Reuses the address so a group port can be shared.
bool BindDatagramSocket(DatagramSocket socket, uint32_t ip, uint16_t port);
// The port the socket is bound to, 0 when none.
uint16_t DatagramSocketPort(DatagramSocket socket);
bool SetDatagramNonBlocking(DatagramSocket socket, bool nonBlocking);
// Group membership on the given interface; joining a group address that is not a multicast address
// (a loopback stand-in for the group) does nothing and succeeds.
bool JoinDatagramGroup(DatagramSocket socket, uint32_t group, uint32_t interfaceIp);
bool LeaveDatagramGroup(DatagramSocket socket, uint32_t group, uint32_t interfaceIp);
// Where multicast datagrams leave; always set explicitly, the default route leaves the machine.
bool SetDatagramMulticastInterface(DatagramSocket socket, uint32_t interfaceIp);

// Bytes sent, or -1. A destination the loopback guard refuses fails with WSAEACCES.
int SendDatagram(DatagramSocket socket, const void* data, size_t size, const DatagramAddress& to, int flags);
// One datagram: its length (0 for an empty one; a longer one is cut to `capacity` and reported
// WSAEMSGSIZE), or -1 with WSAEWOULDBLOCK when none waits on a non-blocking socket.
int ReceiveDatagram(DatagramSocket socket, void* buffer, size_t capacity, DatagramAddress* from);
// Waits up to `milliseconds` for a datagram to read; true when one waits.
bool WaitForDatagram(DatagramSocket socket, uint32_t milliseconds);

} // namespace platform
