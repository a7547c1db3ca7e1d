#pragma once

#include <cstddef>
#include <cstdint>

// The system side of the socket layer: thin calls on file descriptors with addresses in network
// byte order. Failures return -1 and leave the WinSock number of the error in LastError().
namespace platform::posix {

int LastError();

int Socket(bool stream);
int Bind(int fd, uint32_t address, uint16_t port);
int Listen(int fd, int backlog);
int Accept(int fd, uint32_t* address, uint16_t* port);
int Connect(int fd, uint32_t address, uint16_t port, uint32_t limitMs);
long Send(int fd, const void* data, size_t length, bool dontRoute);
long Recv(int fd, void* data, size_t length);
long SendTo(int fd, const void* data, size_t length, bool dontRoute, uint32_t address, uint16_t port);
long RecvFrom(int fd, void* data, size_t length, uint32_t* address, uint16_t* port);
int Shutdown(int fd);
int Close(int fd);
int SetNonBlocking(int fd, bool on);
int ReadableBytes(int fd, uint32_t* count);
int LocalAddress(int fd, uint32_t* address, uint16_t* port);
int SetReuseAddress(int fd, bool on);
int SetMulticastInterface(int fd, uint32_t interfaceAddress);
int SetMulticastLoop(int fd, bool on);
int SetMembership(int fd, uint32_t group, uint32_t interfaceAddress, bool join);

struct PollItem {
    int fd = -1;
    bool wantRead = false;
    bool wantWrite = false;
    bool wantHangup = false;
    bool readable = false;
    bool writable = false;
    bool hangup = false;
};
// poll(2) over the items; the number of ready items, 0 on time-out (-1: wait for ever).
int Poll(PollItem* items, size_t count, int timeoutMs);

int MakeWakeFd();
void SignalWakeFd(int fd);
void DrainWakeFd(int fd);

} // namespace platform::posix
