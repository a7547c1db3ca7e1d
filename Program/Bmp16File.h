#pragma once

#include <cstdint>

// Writes a 16-bit 5-5-5 BMP: pixels top row first in memory, rows bottom-up in the file, an odd
// width padded with a copy of the row's first pixel. The file is replaced only when it was
// written whole. False when nothing was written.
bool WriteBmp16(int32_t width, int32_t height, const char* fileName, const uint16_t* pixels);
