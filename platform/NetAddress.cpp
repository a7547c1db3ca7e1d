#include "platform/NetAddress.h"

#include "platform/HostLookup.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace platform {

namespace {
std::atomic<bool> loopbackOnly{false};
} // namespace

uint32_t ParseDottedAddress(const char* text) {
    if (!text) return kAddressNone;
    uint32_t parts[4] = {};
    int count = 0;
    const char* p = text;
    while (count < 4) {
        if (*p < '0' || *p > '9') return kAddressNone;
        uint32_t v = 0;
        while (*p >= '0' && *p <= '9') {
            v = v * 10 + static_cast<uint32_t>(*p++ - '0');
            if (v > 255) return kAddressNone;
        }
        parts[count++] = v;
        if (count < 4) {
            if (*p != '.') return kAddressNone;
            ++p;
        }
    }
    if (*p != '\0') return kAddressNone;
    return (parts[0] << 24) | (parts[1] << 16) | (parts[2] << 8) | parts[3];
}

std::string DottedAddress(uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", v >> 24, (v >> 16) & 255, (v >> 8) & 255, v & 255);
    return text;
}

bool IsMulticastAddress(uint32_t address) {
    return (address >> 28) == 0xE;
}

std::optional<uint32_t> ResolveHost(const char* text) {
    if (!text || !*text) return std::nullopt;
    if (const uint32_t dotted = ParseDottedAddress(text); dotted != kAddressNone) return dotted;
    const uint32_t found = ParseDottedAddress(LookUpHostAddress(text).c_str());
    if (found == kAddressNone) return std::nullopt;
    return found;
}

std::string GetComputerName() {
    if (const char* name = std::getenv("KARDOL_COMPUTER_NAME"); name && *name) return name;
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0) return "KARDOL";
    return host;
}

uint16_t ConfiguredPort(const char* variable, uint16_t defaultPort) {
    const char* text = variable ? std::getenv(variable) : nullptr;
    if (!text || !*text) return defaultPort;
    char* end = nullptr;
    const long port = std::strtol(text, &end, 10);
    if (*end != '\0' || port < 1 || port > 65535) return defaultPort;
    return static_cast<uint16_t>(port);
}

uint32_t MulticastInterface() {
    const uint32_t configured = ParseDottedAddress(std::getenv("KARDOL_MULTICAST_IF"));
    return configured != kAddressNone ? configured : 0x7F000001;
}

void SetLoopbackOnly(bool on) {
    loopbackOnly = on;
}

bool DestinationAllowed(uint32_t address) {
    const char* only = std::getenv("KARDOL_LOOPBACK_ONLY");
    const bool on = loopbackOnly || (only && std::strcmp(only, "1") == 0);
    return !on || (address >> 24) == 127;
}

} // namespace platform
