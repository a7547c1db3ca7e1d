#pragma once

#include <cstdint>
#include <string>

// Where the lobby link binds and sends. The defaults are the game's; KARDOL_LAN_GROUP,
// KARDOL_LAN_PORT, KARDOL_LAN_REPLY_PORT, KARDOL_LOBBY_PORT, KARDOL_BIND_ADDRESS and
// KARDOL_LAN_INTERFACE move them (tests point the group at a 127.0.0.x station).
struct LobbyEndpoints {
    uint32_t groupAddress = 0xE9010101u; // 233.1.1.1
    uint16_t groupPort = 9999;
    uint16_t replyPort = 9998;
    uint16_t lobbyPort = 12496;
    // Local address every socket binds to (0 = any).
    uint32_t bindAddress = 0;
    // Interface of the group's outgoing datagrams (0 = the system's choice among the interfaces).
    uint32_t interfaceAddress = 0;

    static LobbyEndpoints FromEnvironment();
};
