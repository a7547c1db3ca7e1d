#pragma once

#include <cstdint>

// 8-bit display palettes, kept as plain entry tables: the display itself is always 16-bit here, so
// these only hold the colours the 8-bit picture code works with.

constexpr uint8_t PC_NOCOLLAPSE = 0x04;

struct PaletteEntry8 {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t flags = 0;
};

struct DirectDrawPalette8 {
    PaletteEntry8 entries[256];
};

// The program's 8-bit palette table (256 RGB triples); the background loader copies picture
// palettes into it.
extern uint8_t GlobalPalette8[768];

// A palette of the colour table; every entry but the first and the last is marked PC_NOCOLLAPSE.
// In window mode the system's 20 static colours take entries 0..9 and 246..255 (copied once).
DirectDrawPalette8* CreatePalette8(const uint8_t rgb[768], bool windowed);
DirectDrawPalette8* CreateBlackPalette8();
// Rotates entries first..first+count-1 of the table by one (the last moves to the first).
void RotatePaletteRange(uint8_t rgb[768], int first, int count);
// Fades the palette from the table to black in `steps` steps (32 requested become 16), calling
// waitVerticalBlank (when given) before each step.
void FadePaletteToBlack(DirectDrawPalette8* palette, const uint8_t rgb[768], int steps,
                        void (*waitVerticalBlank)() = nullptr);
