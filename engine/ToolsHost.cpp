#include "engine/Tools.h"

#include "platform/HostLookup.h"

#include <cstring>

int Zu_Tools::ResolveHost(const char* hostName, char* output, int32_t outputSize) {
    if (!output || outputSize <= 0) return 0;
    const std::string address = platform::LookUpHostAddress(hostName);
    if (address.empty() || static_cast<int32_t>(address.size()) >= outputSize) return 0;
    std::memcpy(output, address.c_str(), address.size() + 1);
    return 1;
}
