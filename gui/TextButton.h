#pragma once

#include "gui/Control.h"

#include <cstdint>

struct FontRecord;
struct GuiImage;
class TextLabel;

// A picture button with a text caption. It keeps a surface of its own where the picture and the
// caption are put together before they go onto the parent's surface.
class TextButton : public Control {
public:
    // Pictures n..n+3 of the table are normal, pressed, hover and disabled.
    TextButton(GuiImage** table, int n, Rect* rect, Widget* parent, Window* listener, int addToParent);
    ~TextButton() override;

    void OnMouseMove(Point* p) override;
    void OnLeftButtonDown(Point* p) override;
    void OnLeftButtonUp(Point* p) override;

    void Enable();
    void EnablePressed();
    void Disable();
    void ShowNormal();
    void ShowPressed();
    void ShowHover();
    void ShowDisabled();
    // Keeps the record and, when it has text, (re)places the caption on the button.
    void SetCaption(FontRecord* record, int16_t value);
    void DrawImage(int n);

    TextLabel* caption = nullptr;
    uint32_t spare = 0;
    int16_t hover = 0;
    int16_t pressed = 0;
    int16_t normalIndex = 0;
    int16_t pressedIndex = 0;
    int16_t hoverIndex = 0;
    int16_t disabledIndex = 0;
    FontRecord* captionFont = nullptr;
    GuiImage** table = nullptr;
    // The caption's rectangle inside the button; it has no surface.
    GuiImage* captionArea = nullptr;

private:
    void Release();
};
