#pragma once

#include "platform/NetAddress.h"
#include "platform/WinSockErrors.h"

#include "platform/Messages.h"

#include <cstddef>
#include <cstdint>

// WinSock 1.1 as the game calls it, over POSIX sockets. Socket handles are our own numbers: never
// 0, never INVALID_SOCKET, and never handed out twice in a run, so a stale handle held by a peer
// table or a queued message can never name a newer connection. Results follow WinSock: -1 with the
// error in WSAGetLastError, 0 from recv for an orderly close.
namespace platform {

using SOCKET = uint32_t;
constexpr SOCKET INVALID_SOCKET = 0xFFFFFFFFu;
constexpr int SOCKET_ERROR = -1;

constexpr int AF_INET = 2;
constexpr int SOCK_STREAM = 1;
constexpr int SOCK_DGRAM = 2;
constexpr int IPPROTO_TCP = 6;
constexpr int IPPROTO_UDP = 17;
constexpr uint32_t INADDR_ANY = 0;
constexpr int MSG_DONTROUTE = 4;
constexpr int SD_BOTH = 2;

constexpr int SOL_SOCKET = 0xFFFF;
constexpr int SO_REUSEADDR = 4;
constexpr int IPPROTO_IP = 0;
constexpr int IP_MULTICAST_IF = 2;
constexpr int IP_MULTICAST_LOOP = 4;
constexpr int IP_ADD_MEMBERSHIP = 5;
constexpr int IP_DROP_MEMBERSHIP = 6;

constexpr long FIONREAD = 0x4004667F;
constexpr long FIONBIO = static_cast<long>(0x8004667Eu);

constexpr long FD_READ = 1;
constexpr long FD_WRITE = 2;
constexpr long FD_OOB = 4;
constexpr long FD_ACCEPT = 8;
constexpr long FD_CONNECT = 16;
constexpr long FD_CLOSE = 32;

// Addresses keep WinSock's layout: port and address in network byte order.
struct in_addr {
    uint32_t s_addr = 0;
};
struct sockaddr_in {
    int16_t sin_family = 0;
    uint16_t sin_port = 0;
    in_addr sin_addr;
    uint8_t sin_zero[8] = {};
};

struct ip_mreq {
    in_addr imr_multiaddr;
    in_addr imr_interface;
};

struct WSADATA {
    uint16_t wVersion = 0;
    uint16_t wHighVersion = 0;
    char szDescription[257] = {};
    char szSystemStatus[129] = {};
};

struct PROTOCOL_INFO {
    uint32_t dwServiceFlags = 0;
    int32_t iAddressFamily = 0;
    int32_t iMaxSockAddr = 0;
    int32_t iMinSockAddr = 0;
    int32_t iSocketType = 0;
    int32_t iProtocol = 0;
    uint32_t dwMessageSize = 0;
    const char* lpProtocol = nullptr;
};

uint16_t htons(uint16_t v);
uint16_t ntohs(uint16_t v);
uint32_t htonl(uint32_t v);
uint32_t ntohl(uint32_t v);
// Dotted IPv4 text to a network-order address; INADDR_NONE (0xFFFFFFFF) when it is not one.
uint32_t inet_addr(const char* text);
// The dotted text of an address (a buffer of the calling thread, valid until its next call).
const char* inet_ntoa(in_addr address);

int WSAStartup(uint16_t version, WSADATA* data);
int WSACleanup();
int WSAGetLastError();

// The protocol records: {AF_INET, SOCK_STREAM, TCP} and {AF_INET, SOCK_DGRAM, UDP}. Without a
// buffer large enough: -1, the needed size in *bufferLength and WSAENOBUFS.
int EnumProtocolsA(int32_t* protocols, void* buffer, uint32_t* bufferLength);

SOCKET socket(int family, int type, int protocol);
int bind(SOCKET s, const sockaddr_in* address, int length);
int listen(SOCKET s, int backlog);
// Accepted sockets start in the listener's blocking mode; a pending FD_ACCEPT is re-armed.
SOCKET accept(SOCKET s, sockaddr_in* address, int* length);
// Blocking connect, bounded by the connect limit (WSAETIMEDOUT past it).
int connect(SOCKET s, const sockaddr_in* address, int length);
int send(SOCKET s, const char* data, int length, int flags);
int recv(SOCKET s, char* data, int length, int flags);
int sendto(SOCKET s, const char* data, int length, int flags, const sockaddr_in* to, int toLength);
int recvfrom(SOCKET s, char* data, int length, int flags, sockaddr_in* from, int* fromLength);
int shutdown(SOCKET s, int how);
int closesocket(SOCKET s);
int ioctlsocket(SOCKET s, long command, uint32_t* argument);
int getsockname(SOCKET s, sockaddr_in* address, int* length);
// SO_REUSEADDR (an int), IP_MULTICAST_IF (an in_addr), IP_MULTICAST_LOOP (a byte or an int),
// IP_ADD_MEMBERSHIP and IP_DROP_MEMBERSHIP (an ip_mreq); others fail with WSAENOPROTOOPT.
int setsockopt(SOCKET s, int level, int name, const char* value, int length);

// Makes the socket non-blocking and posts `message` to the window with wParam = socket and
// lParam = MAKELONG(event, error) for the chosen events: FD_ACCEPT while a connection waits (once
// until the next accept), FD_CLOSE once when the other side closes or resets. No events: stop.
int WSAAsyncSelect(SOCKET s, HWND window, UINT message, long events);

// A wake-up that a thread waiting on sockets also waits for; auto-reset.
struct SocketWakeState;
using SOCKETWAKE = SocketWakeState*;
SOCKETWAKE CreateSocketWake();
void SignalSocketWake(SOCKETWAKE wake);
void CloseSocketWake(SOCKETWAKE wake);

// Waits until one of the sockets has bytes to read, its other side closed, the wake was signalled
// or the time passed. 1 socket ready, 2 woken, 0 time-out, -1 error.
int WaitForSockets(const SOCKET* sockets, size_t count, SOCKETWAKE wake, uint32_t milliseconds);
// Waits until the socket can take more bytes; false on time-out or error.
bool WaitWritable(SOCKET s, uint32_t milliseconds);

// The limit of a blocking connect, 10000 ms unless changed.
void SetConnectLimit(uint32_t milliseconds);
// The number of open sockets (tests check that a session closes all of its own).
size_t OpenSocketCount();

} // namespace platform
