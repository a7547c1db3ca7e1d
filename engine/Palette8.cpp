#include "engine/Palette8.h"

#include <cstring>

uint8_t GlobalPalette8[768];

namespace {

// The system's reserved colours: the first ten and the last ten entries.
constexpr uint8_t kStaticColours[20][3] = {
    {0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
    {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
    {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
    {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
};

bool staticCopied = false;
PaletteEntry8 staticEntries[20];

} // namespace

DirectDrawPalette8* CreatePalette8(const uint8_t rgb[768], bool windowed) {
    auto* p = new DirectDrawPalette8;
    for (int i = 0; i < 256; ++i) {
        p->entries[i] = {rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2],
                         uint8_t(i == 0 || i == 255 ? 0 : PC_NOCOLLAPSE)};
    }
    if (windowed) {
        if (!staticCopied) {
            for (int i = 0; i < 20; ++i)
                staticEntries[i] = {kStaticColours[i][0], kStaticColours[i][1], kStaticColours[i][2], 0};
            staticCopied = true;
        }
        for (int i = 0; i < 10; ++i) {
            p->entries[i] = staticEntries[i];
            p->entries[246 + i] = staticEntries[10 + i];
        }
    }
    return p;
}

DirectDrawPalette8* CreateBlackPalette8() {
    return new DirectDrawPalette8;
}

void RotatePaletteRange(uint8_t rgb[768], int first, int count) {
    if (first < 0 || count < 2 || first + count > 256) return;
    uint8_t last[3];
    std::memcpy(last, rgb + 3 * (first + count - 1), 3);
    std::memmove(rgb + 3 * (first + 1), rgb + 3 * first, size_t(3 * (count - 1)));
    std::memcpy(rgb + 3 * first, last, 3);
}

void FadePaletteToBlack(DirectDrawPalette8* palette, const uint8_t rgb[768], int steps,
                        void (*waitVerticalBlank)()) {
    if (!palette) return;
    if (steps == 32) steps = 16;
    if (steps < 1) steps = 1;
    for (int s = 1; s <= steps; ++s) {
        if (waitVerticalBlank) waitVerticalBlank();
        for (int i = 0; i < 256; ++i) {
            palette->entries[i].red = uint8_t(rgb[3 * i] * (steps - s) / steps);
            palette->entries[i].green = uint8_t(rgb[3 * i + 1] * (steps - s) / steps);
            palette->entries[i].blue = uint8_t(rgb[3 * i + 2] * (steps - s) / steps);
        }
    }
}
