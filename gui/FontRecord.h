#pragma once

#include <cstdint>

// A window's text description that labels and text-button captions point at; the window keeps it
// alive while they use it.
struct FontRecord {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    // 1 or 2: the regular script face; anything else the Ming face.
    uint8_t face = 0;
    // Pixels: 10, 12, 14, 16, 18, 20 or 24; other values give 16.
    int8_t size = 16;
    // NUL-terminated Big5, lines separated by "\n"; null for none.
    const char* text = nullptr;
    // 1 centred, 2 left, 3 inset by 7 right and 12 down, anything else right-aligned.
    uint8_t style = 0;
};
