#include "net/LobbyEndpoints.h"

#include "platform/UdpSocket.h"

#include <cstdlib>

namespace {
void ReadAddress(const char* name, uint32_t& value) {
    if (const char* v = std::getenv(name); v && *v) {
        const uint32_t a = platform::ParseDottedAddress(v);
        if (a != platform::kAddressNone) value = a;
    }
}
void ReadPort(const char* name, uint16_t& value) {
    if (const char* v = std::getenv(name); v && *v) {
        const long p = std::strtol(v, nullptr, 10);
        if (p > 0 && p < 65536) value = uint16_t(p);
    }
}
} // namespace

LobbyEndpoints LobbyEndpoints::FromEnvironment() {
    LobbyEndpoints e;
    ReadAddress("KARDOL_LAN_GROUP", e.groupAddress);
    ReadPort("KARDOL_LAN_PORT", e.groupPort);
    ReadPort("KARDOL_LAN_REPLY_PORT", e.replyPort);
    ReadPort("KARDOL_LOBBY_PORT", e.lobbyPort);
    ReadAddress("KARDOL_BIND_ADDRESS", e.bindAddress);
    ReadAddress("KARDOL_LAN_INTERFACE", e.interfaceAddress);
    return e;
}
