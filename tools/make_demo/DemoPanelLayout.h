#pragma once

#include "DemoPictures.h"
#include "engine/GameFileWriters.h"

#include <string>
#include <utility>
#include <vector>

// A game window's layout as the demo draws it, shared by the unit and city panels.
namespace demopanel {

using gamefiles::Bytes;
using gamefiles::LayoutBox;

inline const uint16_t kFace = Rgb565(110, 70, 40);
inline const uint16_t kGold = Rgb565(230, 190, 90);
inline const uint16_t kInk = Rgb565(250, 230, 180);

inline LayoutBox Box(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
}

// A unit window's layout: background, picture buttons (0x100 + n, captioned), labels (0x200 + n),
// scroll bars (0x300 + n), toggles (0x400 + n), plain buttons (0x500 + n) and text buttons
// (0x600 + n), in the order the game reads them. Positions are the panel's own; the frame places
// the panel on the screen.
struct UnitLayout {
    LayoutBox frame;
    std::string title;
    std::vector<std::pair<LayoutBox, std::string>> buttons;
    std::vector<std::pair<LayoutBox, int>> labels; // box, draw mode
    std::vector<LayoutBox> bars, toggles, plain, texts;

    Bytes Write() const {
        DemoPicture back(frame.Width(), frame.Height());
        back.Gradient(Rgb565(36, 30, 58), Rgb565(58, 30, 24));
        back.Frame(0, 0, back.width, back.height, 2, kGold);
        if (!title.empty()) back.Text(6, 4, title, 1, kGold);
        // Slots and bars show as dark wells on the background.
        for (const LayoutBox& t : toggles)
            back.Fill(t.left, t.top, t.right, t.bottom, Rgb565(20, 16, 24));
        for (const LayoutBox& p : plain)
            back.Fill(p.left, p.top, p.right, p.bottom, Rgb565(20, 16, 24));
        for (const auto& [l, mode] : labels)
            if (mode == 100 || mode == 101) back.Fill(l.left, l.top, l.right, l.bottom, Rgb565(24, 24, 24));
        gamefiles::LayoutWriter w;
        w.Block(0, 1).ElementPixels(frame.left, frame.top, frame.right, frame.bottom, back.width, back.height,
                                    0, back.pixels);
        if (!buttons.empty()) {
            w.Block(1, uint32_t(buttons.size()));
            for (const auto& [box, caption] : buttons) {
                if (box.Width() <= 0 || box.Height() <= 0) {
                    for (int face = 0; face < 4; ++face)
                        w.Element(box.left, box.top, box.left, box.top, 0, 0);
                    continue;
                }
                int face = 0;
                for (const std::vector<uint16_t>& pixels :
                     gamefiles::ButtonFaces(box.Width(), box.Height(), kFace)) {
                    DemoPicture p(box.Width(), box.Height());
                    p.pixels = pixels;
                    p.CentredText(0, 0, p.width, p.height, caption, 1, face == 3 ? Rgb565(70, 70, 70) : kInk);
                    w.ElementPixels(box.left, box.top, box.right, box.bottom, p.width, p.height, 0, p.pixels);
                    ++face;
                }
            }
        }
        if (!labels.empty()) {
            w.Block(2, uint32_t(labels.size()));
            for (const auto& [l, mode] : labels)
                w.Element(l.left, l.top, l.right, l.bottom, 0, 0, mode);
        }
        if (!bars.empty()) {
            w.Block(3, uint32_t(bars.size()));
            for (const LayoutBox& b : bars)
                w.Solid(b.left, b.top, b.right, b.bottom, Rgb565(40, 40, 60));
        }
        if (!toggles.empty()) {
            w.Block(4, uint32_t(toggles.size()));
            for (const LayoutBox& t : toggles)
                w.Element(t.left, t.top, t.right, t.bottom);
        }
        if (!plain.empty()) {
            w.Block(5, uint32_t(plain.size()));
            for (const LayoutBox& p : plain)
                w.Element(p.left, p.top, p.right, p.bottom);
        }
        if (!texts.empty()) {
            w.Block(6, uint32_t(texts.size()));
            for (const LayoutBox& t : texts)
                for (const std::vector<uint16_t>& pixels :
                     gamefiles::ButtonFaces(t.Width(), t.Height(), kFace))
                    w.ElementPixels(t.left, t.top, t.right, t.bottom, t.Width(), t.Height(), 0, pixels);
        }
        w.End();
        return w.Bytes();
    }
};

constexpr int kText = 150, kBar = 100, kBarText = 101, kPicture = 200;

} // namespace demopanel
