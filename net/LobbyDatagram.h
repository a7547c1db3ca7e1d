#pragma once

#include "platform/UdpSocket.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// The lobby's datagrams: a 12-byte header {marker 1, kind, u16 total length, u32 sequence, u8
// flags, 3 unset} and the fixed layouts of the kinds, little-endian, read and written by field.
namespace lobby {

constexpr uint8_t kMarker = 1;
constexpr size_t kHeaderSize = 12;

enum Kind : uint8_t {
    KindAnnounce = 1,
    KindRoom = 2,
    KindAck = 3,
    KindPing = 4,
    KindConnected = 5,
    KindPlayerStatus = 6,
    KindLaunchLogin = 7,
    KindRecordUpload = 10,
    KindPlayer = 11,
    KindQuery = 12,
    KindLogin = 23,
    KindChat = 24,
};

// Header flags.
constexpr uint8_t kSendOnce = 1;
constexpr uint8_t kNoAck = 2;

constexpr size_t kRoomSize = 164;
constexpr size_t kNameSize = 44;
constexpr size_t kPingSize = 20;
constexpr size_t kConnectedSize = 68;
constexpr size_t kLoginSize = 140;
constexpr size_t kChatSize = 68;

// The length a kind must have, 0 for a kind the lobby does not know.
size_t KindSize(uint8_t kind);

struct Header {
    uint8_t marker = 0;
    uint8_t kind = 0;
    uint16_t length = 0;
    uint32_t sequence = 0;
    uint8_t flags = 0;
};

// The header of a received datagram, when it is whole: at least 12 bytes, marker 1, a length word
// equal to the received size and a known kind of exactly its size.
bool DecodeHeader(const uint8_t* data, size_t size, Header* out);

uint32_t GetU32(const uint8_t* p, size_t offset);
uint16_t GetU16(const uint8_t* p, size_t offset);
void PutU32(uint8_t* p, size_t offset, uint32_t value);
void PutU16(uint8_t* p, size_t offset, uint16_t value);
// A text field of `size` bytes, ending at its first zero or at its end.
std::string GetText(const uint8_t* p, size_t offset, size_t size);
// Writes text into a field of `size` bytes, cut so that it ends within the field.
void PutText(uint8_t* p, size_t offset, size_t size, const std::string& text);
// A socket address as it travels: {u16 family 2, u16 port big-endian, u32 address big-endian, 8 zero}.
platform::SocketAddress GetAddress(const uint8_t* p, size_t offset);
void PutAddress(uint8_t* p, size_t offset, const platform::SocketAddress& a);

// Writes a header into the first 12 bytes (sequence and flags are the link's business).
void PutHeader(uint8_t* p, uint8_t kind, uint16_t length);

// The 164-byte room record of kinds 2, 6 and 11, kept whole so that its unnamed bytes travel on.
struct RoomRecord {
    std::array<uint8_t, kRoomSize> bytes{};

    RoomRecord();
    // A record from a datagram of kind 2, 6 or 11 of the right size; its name ends within its
    // field and its counts stay within the 20 player slots.
    static bool Decode(const uint8_t* data, size_t size, RoomRecord* out);

    std::string Name() const { return GetText(bytes.data(), 12, 32); }
    void SetName(const std::string& name) { PutText(bytes.data(), 12, 32, name); }
    uint8_t Kind() const { return bytes[1]; }
    void SetKind(uint8_t kind) { bytes[1] = kind; }
    uint32_t Word(size_t offset) const { return GetU32(bytes.data(), offset); }
    void SetWord(size_t offset, uint32_t v) { PutU32(bytes.data(), offset, v); }

    uint32_t StateCode() const { return Word(44); }
    void SetStateCode(uint32_t v) { SetWord(44, v); }
    uint32_t GameType() const { return Word(48); }
    void SetGameType(uint32_t v) { SetWord(48, v); }
    uint32_t PlayerCount() const { return Word(52); }
    void SetPlayerCount(uint32_t v) { SetWord(52, v); }
    uint32_t MaxPlayers() const { return Word(56); }
    void SetMaxPlayers(uint32_t v) { SetWord(56, v); }
    uint32_t RoomOption() const { return Word(60); }
    void SetRoomOption(uint32_t v) { SetWord(60, v); }
    uint32_t Approval() const { return Word(64); }
    void SetApproval(uint32_t v) { SetWord(64, v); }
    uint8_t AnswerFlag() const { return bytes[98]; }
    void SetAnswerFlag(uint8_t v) { bytes[98] = v; }
    uint8_t RoundTrip() const { return bytes[99]; }
    void SetRoundTrip(uint8_t v) { bytes[99] = v; }
    uint32_t MapIndex() const { return Word(100); }
    void SetMapIndex(uint32_t v) { SetWord(100, v); }
    uint32_t Option(int n) const { return Word(104 + 4 * size_t(n)); }
    void SetOption(int n, uint32_t v) { SetWord(104 + 4 * size_t(n), v); }
    uint8_t MissedPings() const { return bytes[120]; }
    void SetMissedPings(uint8_t v) { bytes[120] = v; }
    uint8_t PingPending() const { return bytes[121]; }
    void SetPingPending(uint8_t v) { bytes[121] = v; }
    uint32_t Seed() const { return Word(124); }
    void SetSeed(uint32_t v) { SetWord(124, v); }
    uint32_t Status() const { return Word(128); }
    void SetStatus(uint32_t v) { SetWord(128, v); }
    platform::SocketAddress Owner() const { return GetAddress(bytes.data(), 132); }
    void SetOwner(const platform::SocketAddress& a) { PutAddress(bytes.data(), 132, a); }
    platform::SocketAddress Host() const { return GetAddress(bytes.data(), 148); }
    void SetHost(const platform::SocketAddress& a) { PutAddress(bytes.data(), 148, a); }
};

// Room state codes and statuses.
constexpr uint32_t kRoomOpen = 0;
constexpr uint32_t kRoomStarted = 0x1001;
constexpr uint32_t kRoomClosing = 0x1002;
constexpr uint32_t kStatusLobby = 0;
constexpr uint32_t kStatusStarted = 1;
constexpr uint32_t kStatusOpen = 2;
constexpr uint32_t kStatusLeaving = 4;

// A 44-byte announcement or query with the sender's name.
std::array<uint8_t, kNameSize> NameDatagram(uint8_t kind, const std::string& name);

// The 140-byte login datagram: player id at 68 (36 bytes), password at 104 (36 bytes); a reply
// carries its code at 12.
struct LoginDatagram {
    std::array<uint8_t, kLoginSize> bytes{};
    LoginDatagram();
    static bool Decode(const uint8_t* data, size_t size, LoginDatagram* out);
    std::string PlayerId() const { return GetText(bytes.data(), 68, 36); }
    std::string Password() const { return GetText(bytes.data(), 104, 36); }
    void SetPlayerId(const std::string& id) { PutText(bytes.data(), 68, 36, id); }
    void SetPassword(const std::string& pw) { PutText(bytes.data(), 104, 36, pw); }
    uint32_t ReplyCode() const { return GetU32(bytes.data(), 12); }
    void SetKind(uint8_t kind) { bytes[1] = kind; }
};

// Login reply codes.
constexpr uint32_t kLoginAccepted = 8;
constexpr uint32_t kLoginWrongPassword = 9;
constexpr uint32_t kLoginInUse = 13;
constexpr uint32_t kLoginWrongVersion = 14;

// The 68-byte chat record of the lobby (datagram kind 24) and of a room (room message 24).
struct ChatRecord {
    std::array<uint8_t, kChatSize> bytes{};
    ChatRecord();
    static bool Decode(const uint8_t* data, size_t size, ChatRecord* out);
    uint32_t SlotId() const { return GetU32(bytes.data(), 12); }
    void SetSlotId(uint32_t id) { PutU32(bytes.data(), 12, id); }
    std::string Name() const { return GetText(bytes.data(), 16, 16); }
    void SetName(const std::string& n) { PutText(bytes.data(), 16, 16, n); }
    std::string Text() const { return GetText(bytes.data(), 32, 36); }
    void SetText(const std::string& t) { PutText(bytes.data(), 32, 36, t); }
};

} // namespace lobby
