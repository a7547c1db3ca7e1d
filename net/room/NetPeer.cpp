#include "net/room/NetPeer.h"

#include "engine/ByteReader.h"

#include <cstring>

void WriteSockAddr(uint8_t* out, const platform::sockaddr_in& a) {
    const uint16_t family = static_cast<uint16_t>(a.sin_family);
    const uint16_t port = platform::ntohs(a.sin_port);
    const uint32_t address = platform::ntohl(a.sin_addr.s_addr);
    out[0] = static_cast<uint8_t>(family);
    out[1] = static_cast<uint8_t>(family >> 8);
    out[2] = static_cast<uint8_t>(port >> 8);
    out[3] = static_cast<uint8_t>(port);
    for (int i = 0; i < 4; ++i)
        out[4 + i] = static_cast<uint8_t>(address >> (24 - 8 * i));
    std::memset(out + 8, 0, 8);
}

platform::sockaddr_in ReadSockAddr(const uint8_t* in) {
    platform::sockaddr_in a;
    a.sin_family = static_cast<int16_t>(in[0] | (in[1] << 8));
    a.sin_port = platform::htons(static_cast<uint16_t>((in[2] << 8) | in[3]));
    const uint32_t address = (static_cast<uint32_t>(in[4]) << 24) | (static_cast<uint32_t>(in[5]) << 16) |
                             (static_cast<uint32_t>(in[6]) << 8) | in[7];
    a.sin_addr.s_addr = platform::htonl(address);
    return a;
}

void CopyText(char* field, size_t size, const char* text) {
    if (!size) return;
    std::memset(field, 0, size);
    if (text) std::strncpy(field, text, size - 1);
}

std::vector<uint8_t> EncodeNetPeer(const NetPeer& peer) {
    std::vector<uint8_t> out(NetPeer::kWireSize, 0);
    WriteSockAddr(out.data(), peer.address);
    std::memcpy(out.data() + 20, peer.name, sizeof peer.name);
    std::memcpy(out.data() + 148, peer.ip, sizeof peer.ip);
    ByteWriter w;
    w.u32(peer.id);
    std::memcpy(out.data() + 180, w.buffer().data(), 4);
    ByteWriter t;
    t.u32(peer.frameTime);
    std::memcpy(out.data() + 328, t.buffer().data(), 4);
    return out;
}

std::optional<NetPeer> DecodeNetPeer(const uint8_t* data, size_t size) {
    if (size != NetPeer::kWireSize) return std::nullopt;
    NetPeer peer;
    peer.address = ReadSockAddr(data);
    std::memcpy(peer.name, data + 20, sizeof peer.name);
    peer.name[sizeof peer.name - 1] = 0;
    std::memcpy(peer.ip, data + 148, sizeof peer.ip);
    peer.ip[sizeof peer.ip - 1] = 0;
    ByteReader r(data, size);
    r.seek(180);
    peer.id = r.u32();
    r.seek(328);
    peer.frameTime = r.u32();
    return peer;
}

namespace playerslot {

uint32_t Id(const uint8_t* slot) {
    ByteReader r(slot, kSize);
    return r.u32();
}

uint8_t Index(const uint8_t* slot) {
    return slot[132];
}

void Clear(uint8_t* slot, uint8_t index) {
    std::memset(slot, 0, kSize);
    slot[132] = index;
}

void Fill(uint8_t* slot, uint32_t id, const char* name) {
    for (int i = 0; i < 4; ++i)
        slot[i] = static_cast<uint8_t>(id >> (8 * i));
    CopyText(reinterpret_cast<char*>(slot + 4), 128, name);
}

} // namespace playerslot
