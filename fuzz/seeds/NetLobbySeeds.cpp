// Seeds of the lobby datagram and room message targets, each accepted by its reader.
#include "SeedCorpus.h"

#include "Program/GameController.h"
#include "net/LobbyDatagram.h"
#include "net/lobby/SlotFields.h"

#include <array>

namespace {

using Bytes = std::vector<uint8_t>;

template <size_t N>
Bytes Of(const std::array<uint8_t, N>& a) {
    return Bytes(a.begin(), a.end());
}

void LobbyDatagramSeeds(SeedCorpus& corpus) {
    lobby::RoomRecord room;
    room.SetName("HOSTPC");
    room.SetPlayerCount(2);
    room.SetMaxPlayers(4);
    room.SetMapIndex(3);
    room.SetSeed(1234);
    room.SetHost({0x7F000001, 12496});
    lobby::RoomRecord player = room;
    player.SetKind(lobby::KindPlayer);
    lobby::RoomRecord status = room;
    status.SetKind(lobby::KindPlayerStatus);
    lobby::LoginDatagram login;
    login.SetPlayerId("warlord");
    login.SetPassword("secret");
    lobby::ChatRecord chat;
    chat.SetName("warlord");
    chat.SetText("/HOSTPC hello");
    Bytes ack(12), connected(68), ping(20);
    lobby::PutHeader(ack.data(), lobby::KindAck, 12);
    lobby::PutHeader(connected.data(), lobby::KindConnected, 68);
    lobby::PutHeader(ping.data(), lobby::KindPing, 20);
    const std::pair<const char*, Bytes> seeds[] = {
        {"room", Of(room.bytes)},
        {"player", Of(player.bytes)},
        {"status", Of(status.bytes)},
        {"login", Of(login.bytes)},
        {"chat", Of(chat.bytes)},
        {"announce", Of(lobby::NameDatagram(lobby::KindAnnounce, "GUESTPC"))},
        {"query", Of(lobby::NameDatagram(lobby::KindQuery, "GUESTPC"))},
        {"ack", ack},
        {"connected", connected},
        {"ping", ping},
    };
    for (const auto& [name, bytes] : seeds) {
        lobby::Header h;
        corpus.Check(lobby::DecodeHeader(bytes.data(), bytes.size(), &h), "lobbydatagram", name,
                     "the header is refused");
        corpus.Write("lobbydatagram", name, bytes);
    }
    lobby::RoomRecord back;
    corpus.Check(lobby::RoomRecord::Decode(room.bytes.data(), room.bytes.size(), &back) &&
                     back.Name() == "HOSTPC" && back.Host().address == 0x7F000001u &&
                     back.Host().port == 12496,
                 "lobbydatagram", "room", "the room does not read back");
}

void RoomMessageSeeds(SeedCorpus& corpus) {
    auto message = [](uint8_t type, uint8_t peer, const Bytes& payload) {
        Bytes b = {type, peer};
        b.insert(b.end(), payload.begin(), payload.end());
        return b;
    };
    lobby::RoomRecord room;
    room.SetStateCode(lobby::kRoomStarted);
    room.SetMaxPlayers(4);
    room.SetPlayerCount(2);
    PlayerSlot slot;
    slotfields::SetId(slot, 2);
    slotfields::SetIndex(slot, 1);
    slotfields::SetChoice(slot, 3);
    const Bytes slotBytes(slot.bytes, slot.bytes + sizeof slot.bytes);
    Bytes word(16);
    lobby::PutU32(word.data(), 12, 21);
    lobby::ChatRecord chat;
    chat.SetText("hello");
    const std::pair<const char*, Bytes> seeds[] = {
        {"room", message(16, 1, Of(room.bytes))},   {"slot", message(17, 2, slotBytes)},
        {"rejoin", message(18, 2, Of(room.bytes))}, {"slots", message(19, 2, Bytes(16))},
        {"answer", message(20, 1, word)},           {"chat", message(24, 2, Of(chat.bytes))},
        {"stored", message(26, 1, slotBytes)},      {"taken", message(27, 1, slotBytes)},
    };
    for (const auto& [name, bytes] : seeds)
        corpus.Write("roommessage", name, bytes);
    lobby::ChatRecord back;
    corpus.Check(lobby::ChatRecord::Decode(chat.bytes.data(), chat.bytes.size(), &back) &&
                     back.Text() == "hello",
                 "roommessage", "chat", "the chat record does not read back");
}

} // namespace

void WriteLobbySeeds(SeedCorpus& corpus) {
    LobbyDatagramSeeds(corpus);
    RoomMessageSeeds(corpus);
}
