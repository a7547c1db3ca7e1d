#pragma once

#include <cstdint>
#include <string>

// Registry keys and values kept in a small per-user text file. Each key is a section
// "[ROOT\Sub\Key]", each value a line "name=type:data" with bytes below 0x20 and '%' escaped
// as %XX, so Big5 text and binary values survive byte for byte.
namespace platform {

struct RegKey;
using HKEY = RegKey*;

extern const HKEY HKEY_CLASSES_ROOT;
extern const HKEY HKEY_CURRENT_USER;
extern const HKEY HKEY_LOCAL_MACHINE;

constexpr long ERROR_SUCCESS = 0;
constexpr long ERROR_FILE_NOT_FOUND = 2;
constexpr long ERROR_ACCESS_DENIED = 5;
constexpr long ERROR_INVALID_HANDLE = 6;
constexpr long ERROR_MORE_DATA = 234;

constexpr uint32_t REG_NONE = 0;
constexpr uint32_t REG_SZ = 1;
constexpr uint32_t REG_BINARY = 3;
constexpr uint32_t REG_DWORD = 4;

constexpr uint32_t KEY_READ = 0x20019;
constexpr uint32_t KEY_WRITE = 0x20006;
constexpr uint32_t KEY_ALL_ACCESS = 0xF003F;

// The file in use: KARDOL_REGISTRY, else $XDG_CONFIG_HOME/kardol/registry.ini
// (~/.config when XDG_CONFIG_HOME is unset).
std::string RegistryFilePath();

long RegOpenKeyA(HKEY root, const char* subKey, HKEY* result);
long RegOpenKeyExA(HKEY root, const char* subKey, uint32_t options, uint32_t access, HKEY* result);
long RegCreateKeyA(HKEY root, const char* subKey, HKEY* result);
long RegCloseKey(HKEY key);
// size: in, the buffer size; out, the value size. A null data pointer asks for the size only.
long RegQueryValueExA(HKEY key, const char* name, uint32_t* reserved, uint32_t* type, uint8_t* data,
                      uint32_t* size);
long RegSetValueExA(HKEY key, const char* name, uint32_t reserved, uint32_t type, const uint8_t* data,
                    uint32_t size);
long RegDeleteValueA(HKEY key, const char* name);
long RegDeleteKeyA(HKEY root, const char* subKey);

} // namespace platform
