#pragma once

#include "gui/Control.h"

#include <cstdint>

// A button without pictures that recolours its own area of the parent's surface: hovering swaps
// colour c for d, pressing (and latching) a for b. The four values are palette entries.
class ColorSwapButton : public Control {
public:
    ColorSwapButton(uint8_t a, uint8_t b, uint8_t c, uint8_t d, Rect* rect, Widget* parent, Window* listener,
                    int addToParent);
    ~ColorSwapButton() override = default;

    void OnMouseMove(Point* p) override;
    void OnLeftButtonDown(Point* p) override;
    void OnLeftButtonUp(Point* p) override;
    void OnRightButtonDown(Point* p) override;

    void Latch();
    void Unlatch();
    // Replaces every pixel of palette colour `from` in the button's area by colour `to`.
    void Swap(uint8_t from, uint8_t to);

    uint8_t a = 0;
    uint8_t b = 0;
    uint8_t c = 0;
    uint8_t d = 0;
    int32_t latched = 0;
    int32_t hover = 0;
    int32_t pressed = 0;
};
