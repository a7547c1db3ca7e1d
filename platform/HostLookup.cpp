#include "platform/HostLookup.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

namespace platform {

std::string LookUpHostAddress(const char* hostName) {
    if (!hostName || !*hostName) return {};
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(hostName, nullptr, &hints, &found) != 0 || !found) return {};
    char text[INET_ADDRSTRLEN] = {};
    const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    const bool ok = inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) != nullptr;
    freeaddrinfo(found);
    return ok ? std::string(text) : std::string();
}

} // namespace platform
