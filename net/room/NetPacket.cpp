#include "net/room/NetPacket.h"

#include "engine/ByteReader.h"

#include <cstring>

void WriteNetHeader(uint8_t* out, size_t payloadSize, const NetHeaderTail& tail) {
    const uint32_t total = static_cast<uint32_t>(payloadSize + netpacket::kHeaderSize);
    std::memset(out, 0, netpacket::kHeaderSize);
    out[0] = netpacket::kMagic;
    for (int i = 0; i < 4; ++i) {
        out[4 + i] = static_cast<uint8_t>(total >> (8 * i));
        out[8 + i] = static_cast<uint8_t>(tail.sequence >> (8 * i));
    }
    out[12] = tail.channel;
    out[13] = tail.type;
}

bool CheckNetHeader(const uint8_t* header, int32_t& total) {
    ByteReader r(header, netpacket::kHeaderSize);
    if (r.u8() != netpacket::kMagic) return false;
    r.skip(3);
    total = r.i32();
    return total >= static_cast<int32_t>(netpacket::kHeaderSize) &&
           total <= static_cast<int32_t>(netpacket::kBufferSize);
}

bool ParseNetPacket(const uint8_t* data, size_t size, NetPacketView& out) {
    int32_t total = 0;
    if (size < netpacket::kHeaderSize || !CheckNetHeader(data, total)) return false;
    if (static_cast<size_t>(total) != size) return false;
    ByteReader r(data, size);
    r.skip(8);
    out.total = total;
    out.sequence = r.u32();
    out.channel = r.u8();
    out.type = r.u8();
    out.payload = data + netpacket::kHeaderSize;
    out.payloadSize = size - netpacket::kHeaderSize;
    return true;
}
