#include "net/LobbyEndpoints.h"

#include "platform/NetAddress.h"

#include <cstdlib>

namespace {
void ReadAddress(const char* name, uint32_t& value) {
    if (const char* v = std::getenv(name); v && *v) {
        const uint32_t a = platform::ParseDottedAddress(v);
        if (a != platform::kAddressNone) value = a;
    }
}
} // namespace

LobbyEndpoints LobbyEndpoints::FromEnvironment() {
    LobbyEndpoints e;
    ReadAddress("KARDOL_LAN_GROUP", e.groupAddress);
    e.groupPort = platform::ConfiguredPort("KARDOL_LAN_PORT", e.groupPort);
    e.replyPort = platform::ConfiguredPort("KARDOL_LAN_REPLY_PORT", e.replyPort);
    e.lobbyPort = platform::ConfiguredPort("KARDOL_LOBBY_PORT", e.lobbyPort);
    ReadAddress("KARDOL_BIND_ADDRESS", e.bindAddress);
    ReadAddress("KARDOL_LAN_INTERFACE", e.interfaceAddress);
    return e;
}
