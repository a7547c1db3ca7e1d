#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The TCP game room as the lobby's session control uses it. The TCP session implements it and
// installs itself with SetRoomSessionLink; room messages travel on its channel 0x20. What comes in
// goes to the session control through NetRoomDispatch and NetLobbyNotify (RoomMessages.h), which
// may be called from the session's receive thread.
class RoomSessionLink {
public:
    virtual ~RoomSessionLink() = default;

    // Starts the room: a host listens, a client connects to hostAddress and joins under
    // playerName. False when the room cannot be opened or joined.
    virtual bool Start(bool asHost, const std::string& hostAddress, const std::string& playerName) = 0;
    // Closes every connection of the room.
    virtual void Close() = 0;
    virtual bool IsHost() const = 0;
    virtual uint32_t OwnPeerId() const = 0;
    // Stations in the room, this one included.
    virtual int PeerCount() const = 0;
    // Index of this station's player slot (0..19).
    virtual int OwnSlotIndex() const = 0;

    // Room messages (channel 0x20) of the given type. latestKey non-zero: a queued message of the
    // same type and key not yet sent is replaced (the latest room record, the latest slot record).
    virtual void SendToHost(uint8_t type, const uint8_t* payload, size_t size) = 0;
    virtual void SendToPeer(uint32_t peerId, uint8_t type, const uint8_t* payload, size_t size) = 0;
    virtual void Broadcast(uint8_t type, const uint8_t* payload, size_t size, uint32_t latestKey) = 0;

    // Host: the peer leaves the room (its slot is freed and the others are told).
    virtual void RemovePeer(uint32_t peerId) = 0;
    // Sends what is due; true when nothing waits to be sent or acknowledged.
    virtual bool Flush() = 0;
};

// The link in use, or null when the program has no TCP room.
RoomSessionLink* GetRoomSessionLink();
void SetRoomSessionLink(RoomSessionLink* link);
