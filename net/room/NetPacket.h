#pragma once

#include <cstddef>
#include <cstdint>

// The frame of every packet of the game room: a 16-byte header {u8 0xCC, 3 bytes, i32 total length
// with the header, u32 sequence, u8 channel, u8 type, 2 bytes} and the payload, little-endian.
namespace netpacket {

constexpr uint8_t kMagic = 0xCC;
constexpr size_t kHeaderSize = 16;
constexpr size_t kMaxPayload = 16384;
constexpr size_t kBufferSize = kHeaderSize + kMaxPayload; // 16,400

constexpr uint8_t kChannelPeer = 1;
constexpr uint8_t kChannelCommand = 2;
constexpr uint8_t kChannelRoom = 0x20;

} // namespace netpacket

// Bytes 8 to 15 of the header as the caller hands them to the send operation.
struct NetHeaderTail {
    uint32_t sequence = 0;
    uint8_t channel = 0;
    uint8_t type = 0;
};

// A decoded frame; the payload points into the bytes it was decoded from.
struct NetPacketView {
    int32_t total = 0;
    uint32_t sequence = 0;
    uint8_t channel = 0;
    uint8_t type = 0;
    const uint8_t* payload = nullptr;
    size_t payloadSize = 0;
};

// Writes the header for a payload of `payloadSize` bytes (at most kMaxPayload) into out[0..15].
void WriteNetHeader(uint8_t* out, size_t payloadSize, const NetHeaderTail& tail);
// Whether a complete header announces a frame this side can take: magic 0xCC and a total length
// of 16 to 16,400 bytes. The total is returned through `total`.
bool CheckNetHeader(const uint8_t* header, int32_t& total);
// Decodes one whole frame of exactly `size` bytes.
bool ParseNetPacket(const uint8_t* data, size_t size, NetPacketView& out);
