#pragma once

#include <cstdint>
#include <optional>
#include <string>

// IPv4 addresses in host byte order and the host services around them, shared by every socket
// kind: the game's room, the lobby and the update client.
namespace platform {

constexpr uint32_t kAddressNone = 0xFFFFFFFFu;

// An IPv4 endpoint in host byte order.
struct SocketAddress {
    uint32_t address = 0;
    uint16_t port = 0;
    bool operator==(const SocketAddress&) const = default;
};

// Four dotted decimal parts to an address, kAddressNone when the text is not exactly that.
uint32_t ParseDottedAddress(const char* text);
std::string DottedAddress(uint32_t address);
// True for 224.0.0.0/4.
bool IsMulticastAddress(uint32_t address);
// A dotted address, or the first IPv4 address of a host name; none when neither.
std::optional<uint32_t> ResolveHost(const char* text);

// The machine's name as the lobby shows it: KARDOL_COMPUTER_NAME when set, else the host name.
std::string GetComputerName();
// A port the configuration may move: the environment variable's number, else the default.
uint16_t ConfiguredPort(const char* variable, uint16_t defaultPort);
// The interface multicast goes out on: KARDOL_MULTICAST_IF, else loopback.
uint32_t MulticastInterface();

// Tests keep every socket on this machine: with SetLoopbackOnly(true) or KARDOL_LOOPBACK_ONLY=1 a
// destination outside 127.0.0.0/8 is refused (WSAEACCES).
void SetLoopbackOnly(bool on);
bool DestinationAllowed(uint32_t address);

} // namespace platform
