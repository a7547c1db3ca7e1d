#pragma once

#include "engine/Rect.h"
#include "gui/Control.h"

#include <cstdint>

struct GuiImage;

// A vertical scroll bar: the track picture of a layout with a flat thumb whose height shows the
// visible share. Clicks above or below the thumb page; dragging the thumb moves in proportion.
// Every new position goes to the listener in the point's x.
class VScrollBar : public Control {
public:
    static constexpr uint16_t kThumbColour = 0x5CD4;

    VScrollBar(GuiImage* track, Rect* rect, Widget* parent, Window* listener, int addToParent, int extra,
               int total, int page, int step);
    ~VScrollBar() override;

    void OnMouseMove(Point* p) override;
    void OnLeftButtonDown(Point* p) override;
    void OnLeftButtonUp(Point* p) override;

    void SetRange(int total, int newPage, int newStep);
    // One step down or up the range, kept inside it; nothing at its end.
    void StepForward();
    void StepBack();
    // Only while the bar is not at its end: the position as given, unclamped.
    void SetPosition(int16_t newPosition);
    void UpdateLayout();
    void Draw();
    void Enable() { enabled = 1; }
    void Disable();

    uint32_t pressed = 0;
    int16_t maximum = 0;
    int16_t page = 0;
    int16_t position = 0;
    GuiImage* thumb = nullptr;
    GuiImage* track = nullptr;
    uint8_t thumbGrab = 0;
    int16_t trackWidth = 0;
    int16_t trackHeight = 0;
    int16_t thumbTop = 0;
    int16_t thumbHeight = 0;
    int16_t thumbBottom = 0;
    int16_t dragAnchor = 0;
    Rect parts[3];
    int16_t step = 0;

private:
    void FreeThumb();
};
