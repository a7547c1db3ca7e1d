#pragma once

#include "net/room/NetQueue.h"
#include "platform/Sockets.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// A player of the game room as every station knows it. The first 328 bytes of its 340-byte wire
// record travel as channel-1 type 5.
struct NetPeer {
    static constexpr size_t kWireSize = 340;

    platform::sockaddr_in address; // as the host sees the peer
    platform::SOCKET socket = 0;   // the peer's connection on the host
    char name[128] = {};           // NUL-terminated
    char ip[32] = {};              // dotted text
    uint32_t id = 0;               // join number; the host is 1
    uint32_t sendSequence = 1;     // host: next number of this peer's queue
    NetQueue queue;                // host: messages to the peer
    uint32_t frameTime = 0;        // ms of its first 200 frames; 0 = not reported
    uint32_t lastHeard = 0;        // host: time of its last keep-alive; 0 = not yet
    bool attached = true;          // host: its connection is known (false after a hand-over)
    bool overflowed = false;       // host: its queue ran full; it is dropped
};

// The wire record of a peer: local fields (socket, queue, next) go out as zero.
std::vector<uint8_t> EncodeNetPeer(const NetPeer& peer);
// The fields a station takes from a received record (exactly 340 bytes): address, name, IP text,
// id and frame time. Texts are cut at their field's last byte.
std::optional<NetPeer> DecodeNetPeer(const uint8_t* data, size_t size);

// A player slot of the room (148 bytes): {u32 id, name[128], u8 index, 3, u32 alliance, u32 choice,
// u32 ready}.
namespace playerslot {
constexpr size_t kSize = 148;
constexpr size_t kCount = 20;
uint32_t Id(const uint8_t* slot);
uint8_t Index(const uint8_t* slot);
void Clear(uint8_t* slot, uint8_t index);
void Fill(uint8_t* slot, uint32_t id, const char* name);
} // namespace playerslot

// Writes and reads the 16-byte sockaddr_in as it travels: {u16 family, u16 port and u32 address in
// network order, 8 zero bytes}.
void WriteSockAddr(uint8_t* out, const platform::sockaddr_in& address);
platform::sockaddr_in ReadSockAddr(const uint8_t* in);
// Copies text into a field of `size` bytes, always NUL-terminated.
void CopyText(char* field, size_t size, const char* text);
