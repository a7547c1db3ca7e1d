#pragma once

#include "net/RoomSessionLink.h"
#include "platform/Sockets.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class NetSession;

// The lobby's room over the TCP game room: room messages travel on channel 0x20 through the
// session's send queues, the peer table fills and clears the player slots, and what arrives is
// handed to the session control named by the two sinks (the program's by default).
class RoomLink : public RoomSessionLink {
public:
    using RoomSink =
        std::function<void(uint32_t fromPeer, uint8_t type, const uint8_t* payload, size_t size)>;
    using NoticeSink = std::function<void(uint8_t type, uint32_t peerId)>;

    explicit RoomLink(NetSession& session, RoomSink room = nullptr, NoticeSink notice = nullptr);
    ~RoomLink() override;
    RoomLink(const RoomLink&) = delete;
    RoomLink& operator=(const RoomLink&) = delete;

    bool Start(bool asHost, const std::string& hostAddress, const std::string& playerName) override;
    void Close() override;
    bool IsHost() const override;
    uint32_t OwnPeerId() const override;
    int PeerCount() const override;
    int OwnSlotIndex() const override;
    void SendToHost(uint8_t type, const uint8_t* payload, size_t size) override;
    void SendToPeer(uint32_t peerId, uint8_t type, const uint8_t* payload, size_t size) override;
    void Broadcast(uint8_t type, const uint8_t* payload, size_t size, uint32_t latestKey) override;
    void RemovePeer(uint32_t peerId) override;
    bool Flush() override;

private:
    // The peer id of the station at the other end of the socket, 0 when it is none of the room.
    uint32_t SenderId(platform::SOCKET socket);
    void OnRoomMessage(const uint8_t* payload, size_t size, uint8_t type, platform::SOCKET socket);
    void OnPeerNotice(uint8_t type, platform::SOCKET socket);
    // Writes every queue's waiting messages to its connection (any thread).
    bool SendQueued();

    NetSession& session_;
    RoomSink room_;
    NoticeSink notice_;
    // Peers seen at the last flush: a player gone without a goodbye changes the room too.
    int seenPeers_ = 0;
    bool hostLostTold_ = false;
};

// The program's room link over the program's session, made once.
RoomLink& ProgramRoomLink();
