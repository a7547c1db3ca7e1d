#include "gui/ColorSwapButton.h"

#include "engine/PixelFormat.h"
#include "gui/ControlDrawing.h"
#include "gui/Window.h"

ColorSwapButton::ColorSwapButton(uint8_t ca, uint8_t cb, uint8_t cc, uint8_t cd, Rect* r, Widget* p,
                                 Window* l, int addToParent)
    : Control(r, p, l, 0), a(ca), b(cb), c(cc), d(cd) {
    JoinParent(addToParent);
}

void ColorSwapButton::Swap(uint8_t from, uint8_t to) {
    RecolourParentArea(this, rect, Palette16[from], Palette16[to]);
}

void ColorSwapButton::Latch() {
    latched = 1;
    Swap(a, b);
}

void ColorSwapButton::Unlatch() {
    latched = 0;
    Swap(b, a);
}

void ColorSwapButton::OnMouseMove(Point* p) {
    if (!hover) {
        hover = 1;
        CaptureMouse(this);
        Swap(c, d);
        return;
    }
    if (p && rect.Contains(*p)) return;
    hover = 0;
    ReleaseMouse();
    Swap(d, c);
}

void ColorSwapButton::OnLeftButtonDown(Point* p) {
    pressed = 1;
    if (listener) listener->OnControlPress(this, p);
    if (!latched) Swap(a, b);
}

void ColorSwapButton::OnLeftButtonUp(Point* p) {
    pressed = 0;
    if (p && rect.Contains(*p) && listener) listener->OnControlClick(this, p);
}

void ColorSwapButton::OnRightButtonDown(Point* p) {
    if (listener) listener->OnControlRightPress(this, p);
}
