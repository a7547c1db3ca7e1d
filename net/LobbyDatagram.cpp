#include "net/LobbyDatagram.h"

#include <cstring>

namespace lobby {

size_t KindSize(uint8_t kind) {
    switch (kind) {
    case KindAnnounce:
    case KindQuery:
        return kNameSize;
    case KindRoom:
    case KindPlayerStatus:
    case KindPlayer:
        return kRoomSize;
    case KindAck:
        return kHeaderSize;
    case KindPing:
        return kPingSize;
    case KindConnected:
    case KindChat:
        return kConnectedSize;
    case KindLaunchLogin:
    case KindLogin:
    case KindRecordUpload:
        return kLoginSize;
    default:
        return 0;
    }
}

uint32_t GetU32(const uint8_t* p, size_t o) {
    return uint32_t(p[o]) | uint32_t(p[o + 1]) << 8 | uint32_t(p[o + 2]) << 16 | uint32_t(p[o + 3]) << 24;
}
uint16_t GetU16(const uint8_t* p, size_t o) {
    return uint16_t(p[o] | p[o + 1] << 8);
}
void PutU32(uint8_t* p, size_t o, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[o + i] = uint8_t(v >> (8 * i));
}
void PutU16(uint8_t* p, size_t o, uint16_t v) {
    p[o] = uint8_t(v);
    p[o + 1] = uint8_t(v >> 8);
}

std::string GetText(const uint8_t* p, size_t o, size_t size) {
    size_t n = 0;
    while (n < size && p[o + n])
        ++n;
    // A field that fills its whole width is cut at its last byte, as if it ended there.
    if (n == size && size) --n;
    return std::string(reinterpret_cast<const char*>(p + o), n);
}

void PutText(uint8_t* p, size_t o, size_t size, const std::string& text) {
    std::memset(p + o, 0, size);
    size_t n = text.size() < size ? text.size() : size - 1;
    // Never leave half of a Big5 pair at the cut.
    if (n < text.size()) {
        size_t i = 0;
        while (i < n)
            i += (uint8_t(text[i]) >= 0x81 && i + 1 < text.size()) ? 2 : 1;
        if (i > n) n -= 1;
    }
    std::memcpy(p + o, text.data(), n);
}

platform::SocketAddress GetAddress(const uint8_t* p, size_t o) {
    platform::SocketAddress a;
    a.port = uint16_t(p[o + 2] << 8 | p[o + 3]);
    a.address = uint32_t(p[o + 4]) << 24 | uint32_t(p[o + 5]) << 16 | uint32_t(p[o + 6]) << 8 | p[o + 7];
    return a;
}

void PutAddress(uint8_t* p, size_t o, const platform::SocketAddress& a) {
    std::memset(p + o, 0, 16);
    PutU16(p, o, 2);
    p[o + 2] = uint8_t(a.port >> 8);
    p[o + 3] = uint8_t(a.port);
    for (int i = 0; i < 4; ++i)
        p[o + 4 + i] = uint8_t(a.address >> (24 - 8 * i));
}

void PutHeader(uint8_t* p, uint8_t kind, uint16_t length) {
    p[0] = kMarker;
    p[1] = kind;
    PutU16(p, 2, length);
}

bool DecodeHeader(const uint8_t* data, size_t size, Header* out) {
    if (!data || size < kHeaderSize || size > 0xFFFF) return false;
    Header h;
    h.marker = data[0];
    h.kind = data[1];
    h.length = GetU16(data, 2);
    h.sequence = GetU32(data, 4);
    h.flags = data[8];
    if (h.marker != kMarker || h.length != size) return false;
    const size_t want = KindSize(h.kind);
    if (want == 0 || want != size) return false;
    if (out) *out = h;
    return true;
}

RoomRecord::RoomRecord() {
    PutHeader(bytes.data(), KindRoom, kRoomSize);
}

bool RoomRecord::Decode(const uint8_t* data, size_t size, RoomRecord* out) {
    Header h;
    if (!DecodeHeader(data, size, &h)) return false;
    if (h.kind != KindRoom && h.kind != KindPlayerStatus && h.kind != KindPlayer) return false;
    RoomRecord r;
    std::memcpy(r.bytes.data(), data, kRoomSize);
    // Names end within their field; counts stay within the player slots.
    r.bytes[12 + 31] = 0;
    if (r.PlayerCount() > 20 || r.MaxPlayers() > 20) return false;
    if (out) *out = r;
    return true;
}

std::array<uint8_t, kNameSize> NameDatagram(uint8_t kind, const std::string& name) {
    std::array<uint8_t, kNameSize> d{};
    PutHeader(d.data(), kind, kNameSize);
    PutText(d.data(), 12, 32, name);
    return d;
}

LoginDatagram::LoginDatagram() {
    PutHeader(bytes.data(), KindLogin, kLoginSize);
}

bool LoginDatagram::Decode(const uint8_t* data, size_t size, LoginDatagram* out) {
    Header h;
    if (!DecodeHeader(data, size, &h)) return false;
    if (h.kind != KindLogin && h.kind != KindLaunchLogin && h.kind != KindRecordUpload) return false;
    LoginDatagram l;
    std::memcpy(l.bytes.data(), data, kLoginSize);
    l.bytes[68 + 35] = 0;
    l.bytes[104 + 35] = 0;
    if (out) *out = l;
    return true;
}

ChatRecord::ChatRecord() {
    PutHeader(bytes.data(), KindChat, kChatSize);
}

bool ChatRecord::Decode(const uint8_t* data, size_t size, ChatRecord* out) {
    // Room chat leaves the first bytes unset, so only the size binds it.
    if (!data || size < kChatSize) return false;
    ChatRecord c;
    std::memcpy(c.bytes.data(), data, kChatSize);
    c.bytes[16 + 15] = 0;
    c.bytes[32 + 35] = 0;
    if (out) *out = c;
    return true;
}

} // namespace lobby
