#pragma once

#include "engine/Rect.h"
#include "gui/Control.h"

#include <cstdint>

// A horizontal scroll bar drawn from store pictures: an arrow at each end, the track and a thumb.
// Arrows move by one, the track by a page, the thumb follows the mouse; the position goes to the
// listener in the point's x.
class HScrollBar : public Control {
public:
    static constexpr int kArrow = 19;
    static constexpr int kThumb = 38;
    enum Part { LeftArrow = 0, LeftTrack = 1, Thumb = 2, RightTrack = 3, RightArrow = 4 };

    // Store picture ids of the two arrows, the track and the thumb (0: none).
    HScrollBar(Rect* rect, Widget* parent, Window* listener, int addToParent, int total, int page,
               int leftArrowId, int rightArrowId, int trackId, int thumbId);
    ~HScrollBar() override = default;

    void OnMouseMove(Point* p) override;
    void OnLeftButtonDown(Point* p) override;
    void OnLeftButtonUp(Point* p) override;

    void SetRange(int newTotal, int newPage);
    void UpdateLayout();
    void Draw();
    int Maximum() const { return page < total ? total - page : 0; }

    int16_t total = 0;
    int16_t page = 0;
    int16_t position = 0;
    Rect parts[5];
    int32_t pressed = 0;
    int32_t thumbGrab = 0;
    int32_t grabOffset = 0;
    int32_t leftArrowId = 0;
    int32_t rightArrowId = 0;
    int32_t trackId = 0;
    int32_t thumbId = 0;

private:
    int Travel() const { return (rect.right - rect.left) - 2 * kArrow - kThumb; }
    void DrawStorePicture(int id, int x, int width);
};
