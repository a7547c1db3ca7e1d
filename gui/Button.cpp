#include "gui/Button.h"

#include "gui/ControlDrawing.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "gui/Window.h"
#include "platform/Surface.h"

Button::Button(GuiImage** imageTable, int n, Rect* r, Widget* p, Window* l, int addToParent)
    : Control(r, p, l, 0), table(imageTable) {
    normalIndex = int16_t(n);
    pressedIndex = int16_t(n + 1);
    hoverIndex = int16_t(n + 2);
    disabledIndex = int16_t(n + 3);
    current = normalIndex;
    if (table && n >= 0 && n < GuiLayout::kSlots && table[n]) id = table[n]->value;
    JoinParent(addToParent);
}

void Button::DrawImage(int n) {
    BlitOntoParent(this, DrawableImage(table, n));
}

void Button::Release() {
    pressed = 0;
    hover = 0;
    ReleaseMouse();
}

bool Button::Inside(const Point* p) const {
    return p && rect.Contains(*p);
}

void Button::Enable() {
    enabled = 1;
    DrawImage(normalIndex);
}

void Button::Disable() {
    enabled = 0;
    if (visible) DrawImage(disabledIndex);
    if (HoldsCapture(this)) Release();
}

void Button::ShowPressed() {
    DrawImage(pressedIndex);
    current = pressedIndex;
}

void Button::ShowNormal() {
    DrawImage(normalIndex);
    current = normalIndex;
}

void Button::ShowHover() {
    DrawImage(hoverIndex);
}

void Button::ShowDisabled() {
    DrawImage(disabledIndex);
}

void Button::SetState(int newMode, int pressedValue) {
    mode = int16_t(newMode);
    if (pressedValue)
        ShowPressed();
    else
        ShowNormal();
}

void Button::EraseToBackground() {
    EraseToParentBackground(this);
}

void Button::OnLeftButtonDown(Point* p) {
    if (pressed) return;
    pressed = 1;
    if (mode != Push) return;
    ShowPressed();
    if (listener) listener->OnControlPress(this, p);
}

void Button::OnLeftButtonUp(Point* p) {
    // A release while the cursor carries something is a drop on this button, whatever its state.
    if (CursorCarriesObject()) {
        if (listener) listener->OnControlRelease(this, p);
        return;
    }
    if (!pressed) return;
    Release();
    switch (mode) {
    case Push:
        ShowNormal();
        if (listener) listener->OnControlClick(this, p);
        break;
    case Radio:
        // A selected member ignores the click; another one resets the group and takes its place.
        if (current != normalIndex) break;
        if (auto* panel = dynamic_cast<GuiPanel*>(parent)) panel->RefreshControl(groupWord);
        ShowHover();
        ShowPressed();
        if (listener) listener->OnControlClick(this, p);
        enabled = 0;
        break;
    case Check:
        if (current == normalIndex) {
            ShowPressed();
            if (listener) listener->OnControlClick(this, p);
        } else {
            ShowNormal();
            if (listener) listener->OnControlClick(this, nullptr);
        }
        break;
    default:
        break;
    }
}

void Button::OnRightButtonDown(Point* p) {
    if (mode != Push || pressed) return;
    pressed = 1;
    if (listener) listener->OnControlRightPress(this, p);
}

void Button::OnRightButtonUp(Point* p) {
    if (mode != Push || !pressed) return;
    Release();
    if (listener) listener->OnControlRightClick(this, p);
}

void Button::OnMouseMove(Point* p) {
    if (mode == Check) return;
    if (!hover) {
        hover = 1;
        CaptureMouse(this);
        ShowHover();
        if (listener) listener->OnControlHover(this, p);
        return;
    }
    if (Inside(p)) {
        if (mode == Push && listener) listener->OnControlHover(this, p);
        return;
    }
    if (mode == Radio && current == pressedIndex)
        ShowPressed();
    else
        ShowNormal();
    Release();
    if (listener) listener->OnControlHover(this, nullptr);
}
