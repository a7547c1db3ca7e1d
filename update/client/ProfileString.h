#pragma once

#include <cstddef>
#include <string>

// GetPrivateProfileStringA over an INI file in the current folder, its name found in any case.
// Sections and keys match in any case; an absent file, section or key gives the default. The
// answer is cut to capacity - 1 bytes, as the caller's buffer would cut it.
std::string GetPrivateProfileString(const char* section, const char* key, const char* defaultText,
                                    const char* fileName, size_t capacity);
