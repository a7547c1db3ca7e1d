#include "ControlTestSupport.h"

#include "gui/VScrollBar.h"

namespace {

constexpr uint16_t kTrack = 0x52AA;

class ScrollBarFixture : public ControlDisplayFixture {
protected:
    void SetUp() override {
        ControlDisplayFixture::SetUp();
        window = new ControlLogWindow(&log);
        panel = Panel(window, 100, 200, 0x0842);
    }
    void TearDown() override {
        Drop(panel);
        delete window;
        ControlDisplayFixture::TearDown();
    }
    // A bar at (20, 40) on a track of the given size.
    VScrollBar* Bar(int trackHeight, int total, int page, int step = 1, int trackWidth = 16) {
        GuiImage* track = Picture(trackWidth, trackHeight, kTrack, 20, 40);
        return new VScrollBar(track, new Rect(20, 40, 20 + trackWidth, 40 + trackHeight), panel, window, 1, 1,
                              total, page, step);
    }
    // Presses at a y inside the bar (panel coordinates) and releases; the reported x.
    int PageClick(VScrollBar* bar, int y) {
        log.clear();
        Point p(25, y);
        bar->OnLeftButtonDown(&p);
        bar->OnLeftButtonUp(&p);
        EXPECT_EQ(log.size(), 1u);
        return log.empty() ? -1 : log[0].x;
    }

    std::vector<Heard> log;
    ControlLogWindow* window = nullptr;
    GuiPanel* panel = nullptr;
};

} // namespace

TEST_F(ScrollBarFixture, RangeGivesThumbAndMaximum) {
    struct Case {
        int trackHeight, total, page;
        bool thumb;
        int thumbHeight, maximum;
    };
    const Case cases[] = {
        {100, 30, 10, true, 33, 20},
        // The layout's default range: nothing to scroll.
        {100, 10, 10, false, 0, 0},
        {100, 5, 10, false, 0, 0},
        // Empty or negative totals and a track without travel give no thumb; a tiny thumb is one.
        {100, 0, -5, false, 0, 0},
        {100, -10, -20, false, 0, 0},
        {0, 30, 10, false, 0, 0},
        {10, 1000, 999, true, 9, 1},
    };
    for (const Case& c : cases) {
        VScrollBar* bar = Bar(c.trackHeight, c.total, c.page);
        EXPECT_EQ(bar->thumb != nullptr, c.thumb) << c.total << "/" << c.page;
        EXPECT_EQ(bar->maximum, c.maximum) << c.total << "/" << c.page;
        if (c.thumb) {
            EXPECT_EQ(bar->thumbHeight, c.thumbHeight);
            EXPECT_EQ(bar->thumb->width, 14);
        }
        // Page clicks and drags of a bar without a thumb stay at 0.
        if (!c.thumb && c.trackHeight > 0) {
            EXPECT_EQ(PageClick(bar, 40 + c.trackHeight - 2), 0);
            Point p(25, 45);
            bar->OnLeftButtonDown(&p);
            TheMouseCursor->y = 200;
            bar->OnMouseMove(&p);
            bar->OnLeftButtonUp(&p);
            EXPECT_EQ(bar->position, 0);
        }
        bar->Close(0);
        delete bar;
    }
}

TEST_F(ScrollBarFixture, PageClicksMoveByAPageWithinTheRange) {
    VScrollBar* bar = Bar(100, 30, 10);
    // The thumb is drawn at the top of the track, two pixels of track showing at its right.
    EXPECT_EQ(panel->surface->PixelAt(20, 41), VScrollBar::kThumbColour);
    EXPECT_EQ(panel->surface->PixelAt(33, 41), VScrollBar::kThumbColour);
    EXPECT_EQ(panel->surface->PixelAt(34, 41), kTrack);
    EXPECT_EQ(panel->surface->PixelAt(20, 40 + 34), kTrack);
    // Below the thumb: 0 -> 10 -> 20, and no further.
    EXPECT_EQ(PageClick(bar, 40 + 90), 10);
    EXPECT_EQ(bar->thumbTop, 33);
    EXPECT_EQ(PageClick(bar, 40 + 95), 20);
    EXPECT_EQ(bar->thumbTop, 67);
    EXPECT_EQ(panel->surface->PixelAt(20, 40 + 70), VScrollBar::kThumbColour);
    EXPECT_EQ(panel->surface->PixelAt(20, 40 + 10), kTrack);
    // A window sets 15; the next page down gives the maximum 20, not 25.
    bar->position = 15;
    bar->UpdateLayout();
    EXPECT_EQ(PageClick(bar, 40 + 95), 20);
    // Above the thumb: 20 -> 10 -> 0 -> 0.
    EXPECT_EQ(PageClick(bar, 40 + 2), 10);
    EXPECT_EQ(PageClick(bar, 40 + 2), 0);
    EXPECT_EQ(PageClick(bar, 40 + 90), 10);
    EXPECT_EQ(PageClick(bar, 40 + 2), 0);
    // No release notification, and the capture is given up.
    EXPECT_EQ(TheMouseCursor->captured, nullptr);
}

TEST_F(ScrollBarFixture, DraggingTheThumbAddsUpSmallMovements) {
    // Travel 100 - 33 = 67 pixels for 20 positions: one unit per 3.35 pixels.
    VScrollBar* bar = Bar(100, 30, 10);
    TheMouseCursor->y = 50;
    Point p(25, 50);
    log.clear();
    bar->OnLeftButtonDown(&p);
    EXPECT_TRUE(log.empty()) << "a press on the thumb is not reported";
    EXPECT_EQ(TheMouseCursor->captured, bar);
    struct Move {
        int y, position;
    };
    // 52: 20 * 2 / 67 = 0, the anchor stays at 50; 54: 80 / 67 = 1; 57: 60 / 67 = 0, the anchor stays
    // at 54; 60: 120 / 67 = 1; far down and far up stop at the ends.
    const Move moves[] = {{52, 0}, {54, 1}, {57, 1}, {60, 2}, {200, 20}, {40, 0}};
    for (const Move& m : moves) {
        log.clear();
        TheMouseCursor->y = int16_t(m.y);
        Point q(25, 0);
        bar->OnMouseMove(&q);
        EXPECT_EQ(bar->position, m.position) << m.y;
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0], At("Hover", bar, m.position, m.y));
    }
    bar->OnLeftButtonUp(&p);
    // After the release moves do nothing.
    log.clear();
    TheMouseCursor->y = 120;
    bar->OnMouseMove(&p);
    EXPECT_TRUE(log.empty());
    // Pressing below the thumb and moving does not drag.
    Point below(25, 40 + 90);
    bar->OnLeftButtonDown(&below);
    log.clear();
    TheMouseCursor->y = 180;
    bar->OnMouseMove(&below);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(bar->position, 10);
    bar->OnLeftButtonUp(&below);
}

TEST_F(ScrollBarFixture, StepAndDisable) {
    VScrollBar* bar = Bar(100, 30, 10, 3);
    TheMouseCursor->y = 50;
    Point p(25, 50);
    bar->OnLeftButtonDown(&p);
    TheMouseCursor->y = 54;
    bar->OnMouseMove(&p);
    EXPECT_EQ(bar->position, 3);
    bar->Disable();
    EXPECT_EQ(bar->pressed, 0u);
    EXPECT_EQ(TheMouseCursor->captured, nullptr);
    bar->Enable();
    EXPECT_EQ(bar->enabled, 1);
    // A new range starts again at the top.
    bar->SetRange(200, 50, 1);
    EXPECT_EQ(bar->position, 0);
    EXPECT_EQ(bar->maximum, 150);
    EXPECT_EQ(bar->thumbHeight, 25);
}
