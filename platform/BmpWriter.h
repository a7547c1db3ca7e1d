#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Writes width x height packed 16-bit pixels (layout 565 or 555) as a 24-bit bottom-up BMP,
// through a temporary file renamed into place. False when the file cannot be written.
bool WriteBmp16(const std::string& path, const uint16_t* pixels, int width, int height, int layout);

// The BMP bytes themselves.
std::vector<uint8_t> EncodeBmp16(const uint16_t* pixels, int width, int height, int layout);

} // namespace platform
