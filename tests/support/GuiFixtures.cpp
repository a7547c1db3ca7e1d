#include "support/GuiFixtures.h"

#include <fstream>

namespace guifixture {

std::vector<uint8_t> SampleWindowLayout() {
    constexpr int W = 320, H = 240;
    // Background: a dark blue body, a lighter title strip, a frame, and a transparent corner.
    std::vector<uint16_t> back(size_t(W) * H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            uint16_t p = 0x10A8;
            if (y < 30) p = 0x3B3F;
            if (x < 2 || y < 2 || x >= W - 2 || y >= H - 2) p = 0xC618;
            if (x >= W - 12 && y >= H - 12 && (x - (W - 12)) + (y - (H - 12)) > 12) p = 0;
            back[size_t(y) * W + x] = p;
        }
    LayoutWriter w;
    w.Block(0, 1).ElementPixels(240, 180, 240 + W, 180 + H, W, H, 0, back);
    // Two picture buttons, 60 x 24: normal, pressed, hover, disabled.
    w.Block(1, 2);
    for (int n = 0; n < 2; ++n) {
        const int left = 20 + n * 70;
        for (uint16_t c : {uint16_t(0x07E0), uint16_t(0x03E0), uint16_t(0xFFE0), uint16_t(0x8410)})
            w.Solid(left, 190, left + 60, 214, c, 7);
    }
    // A hot area.
    w.Block(5, 1).Element(250, 40, 300, 60);
    // A text button, 100 x 24.
    w.Block(6, 1);
    for (uint16_t c : {uint16_t(0x8000), uint16_t(0x4000), uint16_t(0xF800), uint16_t(0x4208)})
        w.Solid(160, 190, 260, 214, c, 9);
    // A text label (draw mode 150) and a gauge (draw mode 100).
    w.Block(2, 2).Element(20, 40, 220, 100, 0, 0, 150).Element(20, 110, 220, 124, 0, 0, 100);
    // A scroll bar on a 16 x 100 track.
    w.Block(3, 1);
    w.Solid(290, 70, 306, 170, 0x52AA);
    // Two toggles.
    w.Block(4, 2).Element(20, 140, 60, 170).Element(70, 140, 110, 170);
    w.End();
    return w.Bytes();
}

} // namespace guifixture
