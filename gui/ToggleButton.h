#pragma once

#include "gui/Control.h"

#include <cstdint>

struct GuiImage;

// A picture button that can be dragged away: pressed and moved, it hands its drag image to the
// mouse cursor and tells its window. Without pictures it erases itself to the panel background.
class ToggleButton : public Control {
public:
    // The group word its hover refreshes.
    static constexpr int16_t kToggleGroup = 0x400;

    // Pictures n..n+3 of the table (when given) are normal, hover, third and disabled.
    ToggleButton(GuiImage** table, int n, Rect* rect, Widget* parent, Window* listener, int addToParent);
    ~ToggleButton() override = default;

    void OnMouseMove(Point* p) override;
    void OnLeftButtonDown(Point* p) override;
    void OnRightButtonDown(Point* p) override;
    void OnLeftButtonUp(Point* p) override;

    void Enable();
    void EnableKeepHover();
    void Disable();
    void ShowNormal();
    void ShowHover();
    void ShowThird();
    void ShowDisabled();
    void ShowBaseImage();
    void SetUserValue(GuiImage* image) { dragImage = image; }
    GuiImage** GetImageTable() const { return table; }
    void DrawImage(int n);

    uint32_t hover = 0;
    uint32_t pressed = 0;
    int16_t current = 0;
    int16_t normalIndex = 0;
    int16_t thirdIndex = 0;
    int16_t hoverIndex = 0;
    int16_t disabledIndex = 0;
    GuiImage** table = nullptr;
    GuiImage* dragImage = nullptr;

private:
    // Redraws the panel's toggles of the toggle group.
    void RefreshGroup();
    // The end of a passage: normal picture, no hover or press, no capture.
    void Leave();
};
