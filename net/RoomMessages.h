#pragma once

#include <cstddef>
#include <cstdint>

// Entry points of the TCP room into the lobby's session control; safe to call from the room's
// receive thread (the session control applies them on the main thread in its next step).
// A room message (channel 0x20) of the given type from the peer with that id.
void NetRoomDispatch(uint32_t fromPeer, uint8_t type, const uint8_t* payload, size_t size);
// A peer-control notice of the room: types 1 and 6 (the peers changed), 16 (the peer left the
// host), 17 (the host closed the room).
void NetLobbyNotify(uint8_t type, uint32_t peerId);
// An event of the room for the session control (a message code and its value).
void NetPostSessionEvent(uint32_t message, uint32_t value);
