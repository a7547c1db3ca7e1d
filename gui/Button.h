#pragma once

#include "gui/Control.h"

#include <cstdint>

struct GuiImage;

// A push, radio or check button drawn from four pictures of a layout (normal, pressed, hover,
// disabled), or an invisible hot area without pictures. It draws onto its parent's surface.
class Button : public Control {
public:
    enum Mode : int16_t { Push = 0, Radio = 1, Check = 2 };

    // `table` may be null (a hot area); otherwise pictures n..n+3 of it are the button's.
    Button(GuiImage** table, int n, Rect* rect, Widget* parent, Window* listener, int addToParent);
    ~Button() override = default;

    void OnMouseMove(Point* p) override;
    void OnLeftButtonDown(Point* p) override;
    void OnRightButtonDown(Point* p) override;
    void OnLeftButtonUp(Point* p) override;
    void OnRightButtonUp(Point* p) override;

    void Enable();
    void EnableTwin() { Enable(); }
    void Disable();
    void ShowPressed();
    void ShowNormal();
    void ShowHover();
    void ShowDisabled();
    void SetState(int mode, int pressedValue);
    // Puts the panel's background back under the button.
    void EraseToBackground();
    void DrawImage(int n);

    int16_t pressed = 0;
    int16_t current = 0;
    int16_t mode = Push;
    int16_t hover = 0;
    int16_t normalIndex = 0;
    int16_t pressedIndex = 0;
    int16_t hoverIndex = 0;
    int16_t disabledIndex = 0;
    GuiImage** table = nullptr;

private:
    // Clears pressed and hover and gives up the mouse capture.
    void Release();
    bool Inside(const Point* p) const;
};
