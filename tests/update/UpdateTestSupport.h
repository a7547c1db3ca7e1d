#pragma once

#include "platform/Registry.h"
#include "support/TempFolder.h"

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace updatetest {

// Points the registry at a file in the test's own folder for the test's life.
class ScopedRegistry {
public:
    explicit ScopedRegistry(const std::string& file) {
        if (const char* old = std::getenv("KARDOL_REGISTRY")) previous_ = old;
        setenv("KARDOL_REGISTRY", file.c_str(), 1);
    }
    ~ScopedRegistry() {
        if (previous_)
            setenv("KARDOL_REGISTRY", previous_->c_str(), 1);
        else
            unsetenv("KARDOL_REGISTRY");
    }
    ScopedRegistry(const ScopedRegistry&) = delete;
    ScopedRegistry& operator=(const ScopedRegistry&) = delete;

private:
    std::optional<std::string> previous_;
};

inline void SetText(platform::HKEY root, const char* key, const char* name, const std::string& text) {
    platform::HKEY k = nullptr;
    platform::RegCreateKeyA(root, key, &k);
    platform::RegSetValueExA(k, name, 0, platform::REG_SZ, reinterpret_cast<const uint8_t*>(text.data()),
                             static_cast<uint32_t>(text.size()));
    platform::RegCloseKey(k);
}

inline bool KeyExists(platform::HKEY root, const char* key) {
    platform::HKEY k = nullptr;
    if (platform::RegOpenKeyA(root, key, &k) != platform::ERROR_SUCCESS) return false;
    platform::RegCloseKey(k);
    return true;
}

// The value's bytes as stored, or none when it is absent.
inline std::optional<std::string> GetText(platform::HKEY root, const char* key, const char* name) {
    platform::HKEY k = nullptr;
    if (platform::RegOpenKeyA(root, key, &k) != platform::ERROR_SUCCESS) return std::nullopt;
    char buffer[600] = {};
    uint32_t size = sizeof buffer;
    uint32_t type = 0;
    const long r =
        platform::RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<uint8_t*>(buffer), &size);
    platform::RegCloseKey(k);
    if (r != platform::ERROR_SUCCESS) return std::nullopt;
    return std::string(buffer, strnlen(buffer, size));
}

} // namespace updatetest
