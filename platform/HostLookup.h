#pragma once

#include <string>

namespace platform {

// The first IPv4 address of a host name in dotted form, or empty when the lookup fails (the
// gethostbyname of the game's socket library, started and stopped around the one call).
std::string LookUpHostAddress(const char* hostName);

} // namespace platform
