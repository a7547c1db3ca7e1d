#include "ControlTestSupport.h"

#include "engine/LinkList.h"
#include "gui/Button.h"
#include "gui/ScreenBackdrop.h"
#include "gui/TextLabel.h"
#include "gui/ToggleButton.h"
#include "records/StageEditor.h"

namespace {

class PanelFixture : public ControlDisplayFixture {
protected:
    void SetUp() override {
        ControlDisplayFixture::SetUp();
        window = new ControlLogWindow(&log);
        back = GetBackSurface();
        ASSERT_NE(back, nullptr);
    }
    void TearDown() override {
        for (GuiPanel* p : panels)
            Drop(p);
        delete window;
        ControlDisplayFixture::TearDown();
    }
    // A panel whose background pixel (x, y) is Pattern(x, y); zero where `hole` says so.
    GuiPanel* PatternPanel(int left, int top, int width, int height, bool (*hole)(int, int) = nullptr) {
        GuiImage* image = Picture(width, height, 1, left, top);
        platform::DDSURFACEDESC2 d;
        EXPECT_EQ(image->surface->Lock(nullptr, &d, platform::DDLOCK_WAIT), platform::DD_OK);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch)[x] =
                    (hole && hole(x, y)) ? 0 : Pattern(x, y);
        image->surface->Unlock(nullptr);
        auto* panel = new GuiPanel(image, new Rect(left, top, left + width, top + height), TheRootWidget,
                                   window, 1, 1, 0);
        panels.push_back(panel);
        return panel;
    }
    static uint16_t Pattern(int x, int y) { return uint16_t(1 + x + 1000 * (y % 8)); }
    void Route(uint16_t kind, int x, int y) {
        GuiMessage m = Mouse(kind, x, y);
        TheRootWidget->HandleMessage(&m);
    }

    std::vector<Heard> log;
    ControlLogWindow* window = nullptr;
    platform::Surface* back = nullptr;
    std::vector<GuiPanel*> panels;
};

} // namespace

TEST_F(PanelFixture, SurfaceStartsAsTheBackgroundAndHitTestReadsItsPixels) {
    GuiPanel* panel = PatternPanel(100, 50, 60, 40, [](int x, int) { return x < 10; });
    ASSERT_NE(panel->surface, nullptr);
    EXPECT_EQ(panel->surface->PixelAt(20, 3), Pattern(20, 3));
    EXPECT_EQ(panel->pitch, panel->surface->pitch() / 2);
    EXPECT_EQ(panel->id, 0);
    EXPECT_EQ(panel->titleDrag(), -1);
    struct Case {
        int x, y;
        uint16_t expected;
    };
    const Case cases[] = {
        {120, 53, Pattern(20, 3)},
        {105, 60, 0},
        // Outside the picture (the rectangle may be larger than it) a panel is transparent.
        {99, 60, 0},
        {160, 60, 0},
        {130, 90, 0},
        {130, 49, 0},
    };
    for (const Case& c : cases) {
        Point p(c.x, c.y);
        EXPECT_EQ(panel->HitTest(&p), c.expected) << c.x << "," << c.y;
    }
    panel->rect.right = 300;
    Point far(250, 60);
    EXPECT_EQ(panel->HitTest(&far), 0);
    EXPECT_EQ(panel->lockCount, 0);

    // Without a picture a panel takes points only while a battle view or the editor's view is up.
    auto* bare = new GuiPanel(nullptr, new Rect(0, 0, 10, 10), TheRootWidget, window, 1, 1, 0);
    panels.push_back(bare);
    Point p(5, 5);
    EXPECT_EQ(bare->HitTest(&p), 0);
    StageEditor editor;
    editor.viewWord = 1;
    TheStageEditor = &editor;
    EXPECT_EQ(bare->HitTest(&p), 1);
    TheStageEditor = nullptr;
    // A plain container made in code takes every point of its rectangle.
    auto* container = new GuiPanel(new Rect(0, 0, 10, 10), TheRootWidget, window, 1, 1, 0);
    panels.push_back(container);
    EXPECT_EQ(container->HitTest(&p), 1);
}

TEST_F(PanelFixture, APressOnATransparentPixelGoesToThePanelBehind) {
    GuiPanel* behind = PatternPanel(100, 100, 100, 100);
    GuiPanel* front = PatternPanel(150, 100, 100, 100, [](int x, int) { return x < 20; });
    ASSERT_EQ(TheRootWidget->children->First(), reinterpret_cast<uintptr_t>(front));
    Route(GuiMessage::kLeftDown, 160, 150);
    EXPECT_EQ(log, (std::vector<Heard>{At("Press", behind, 60, 50)}));
    log.clear();
    Route(GuiMessage::kLeftDown, 175, 150);
    EXPECT_EQ(log, (std::vector<Heard>{At("Press", front, 25, 50)}));
}

TEST_F(PanelFixture, ADraggablePanelMovesByItsTopStrip) {
    GuiPanel* panel = PatternPanel(100, 100, 200, 100);
    auto press = [&](int x, int y) {
        GuiMessage m = Mouse(GuiMessage::kLeftDown, x, y);
        panel->OnMouse(&m);
    };
    // Not draggable: the whole panel is body.
    press(10, 10);
    EXPECT_EQ(log, (std::vector<Heard>{At("Press", panel, 10, 10)}));
    EXPECT_EQ(panel->dragging, 0);
    log.clear();

    panel->titleDrag() = 0;
    // The strip below the handle and above the body takes nothing.
    press(10, 32);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(panel->dragging, 0);
    press(10, 40);
    EXPECT_EQ(log, (std::vector<Heard>{At("Press", panel, 10, 40)}));
    log.clear();

    press(10, 29);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(panel->dragging, 1);
    EXPECT_EQ(panel->dragArmed, 1);
    EXPECT_EQ(TheMouseCursor->panelDrag, 1);
    EXPECT_EQ(TheMouseCursor->captured, panel);
    GuiMessage move = Mouse(GuiMessage::kMouseMove, 25, 24);
    panel->OnMouse(&move);
    EXPECT_EQ(panel->rect.left, 115);
    EXPECT_EQ(panel->rect.top, 95);
    GuiMessage up = Mouse(GuiMessage::kLeftUp, 25, 24);
    panel->OnMouse(&up);
    EXPECT_EQ(panel->dragging, 0);
    EXPECT_EQ(TheMouseCursor->panelDrag, 0);
    EXPECT_EQ(TheMouseCursor->captured, nullptr);
    EXPECT_TRUE(log.empty());
}

TEST_F(PanelFixture, DrawingClipsToTheScreen) {
    struct Case {
        int left, top;
        int screenX, screenY, sourceX, sourceY; // one pixel that must show
        int lastX, lastY;                       // the last column and row drawn
    };
    const Case cases[] = {
        {-50, 20, 0, 20, 50, 0, 149, 119},
        {30, -40, 30, 0, 0, 40, 229, 59},
        {700, 550, 799, 599, 99, 49, 799, 599},
        {10, 10, 10, 10, 0, 0, 209, 109},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.left) + "," + std::to_string(c.top));
        GuiPanel* panel = PatternPanel(c.left, c.top, 200, 100);
        back->Blt(nullptr, Picture(800, 600, 0)->surface, nullptr, platform::DDBLT_WAIT);
        panel->Draw();
        EXPECT_EQ(back->PixelAt(c.screenX, c.screenY), Pattern(c.sourceX, c.sourceY));
        EXPECT_NE(back->PixelAt(c.lastX, c.lastY), 0);
        if (c.lastX < 799) {
            EXPECT_EQ(back->PixelAt(c.lastX + 1, c.lastY), 0);
        }
        if (c.lastY < 599) {
            EXPECT_EQ(back->PixelAt(c.lastX, c.lastY + 1), 0);
        }
        Drop(panel);
        panels.pop_back();
    }
}

TEST_F(PanelFixture, NestedPanelsAreComposedAndANegativeOneStopsTheFrame) {
    GuiPanel* outer = PatternPanel(0, 0, 200, 100);
    GuiImage* innerBack = Picture(20, 10, 0x7777);
    auto* inner = new GuiPanel(innerBack, new Rect(50, 50, 70, 60), outer, window, 1, 1, 0);
    outer->Draw();
    EXPECT_EQ(outer->surface->PixelAt(55, 55), 0x7777);
    EXPECT_EQ(back->PixelAt(55, 55), 0x7777);
    // A hidden nested panel is not composed.
    outer->RefreshChild(inner);
    EXPECT_EQ(outer->surface->PixelAt(55, 55), Pattern(55, 55));
    inner->visible = 0;
    outer->Draw();
    EXPECT_EQ(outer->surface->PixelAt(55, 55), Pattern(55, 55));
    inner->visible = 1;
    back->Blt(nullptr, Picture(800, 600, 0)->surface, nullptr, platform::DDBLT_WAIT);
    inner->rect.right = inner->rect.left - 1;
    outer->Draw();
    EXPECT_EQ(back->PixelAt(5, 5), 0);
    EXPECT_EQ(outer->surface->PixelAt(55, 55), Pattern(55, 55));
}

TEST_F(PanelFixture, RefreshControlResetsByTheControlsOwnKind) {
    GuiPanel* panel = PatternPanel(0, 0, 200, 100);
    GuiImage* table[4] = {Picture(20, 20, 0x1111), Picture(20, 20, 0x2222), Picture(20, 20, 0x3333),
                          Picture(20, 20, 0x4444)};
    auto* a = new Button(table, 0, new Rect(0, 0, 20, 20), panel, window, 1);
    auto* b = new Button(table, 0, new Rect(30, 0, 50, 20), panel, window, 1);
    auto* other = new Button(table, 0, new Rect(60, 0, 80, 20), panel, window, 1);
    // A toggle in a button group: it is reset as a toggle, never taken for a button.
    auto* toggle = new ToggleButton(nullptr, 0, new Rect(90, 0, 110, 20), panel, window, 1);
    auto* pictured = new ToggleButton(table, 0, new Rect(120, 0, 140, 20), panel, window, 1);
    a->groupWord = b->groupWord = toggle->groupWord = 0x107;
    other->groupWord = 0x108;
    pictured->groupWord = 0x400;
    for (Button* x : {a, b, other}) {
        x->ShowPressed();
        x->enabled = 0;
    }
    auto* painter = new Button(table, 0, new Rect(90, 0, 110, 20), panel, window, 1);
    painter->ShowPressed();
    painter->visible = 0;
    panel->RefreshControl(0x107);
    EXPECT_EQ(panel->surface->PixelAt(5, 5), 0x1111);
    EXPECT_EQ(panel->surface->PixelAt(35, 5), 0x1111);
    EXPECT_EQ(a->enabled, 1);
    EXPECT_EQ(panel->surface->PixelAt(65, 5), 0x2222);
    EXPECT_EQ(other->enabled, 0);
    EXPECT_EQ(panel->surface->PixelAt(95, 5), Pattern(95, 5));
    // 0x400 redraws the toggles of that group.
    pictured->ShowHover();
    pictured->current = pictured->normalIndex;
    panel->RefreshControl(0x400);
    EXPECT_EQ(panel->surface->PixelAt(125, 5), 0x1111);
    EXPECT_EQ(panel->surface->PixelAt(65, 5), 0x2222);
}

TEST_F(PanelFixture, TextsAreRefreshedEveryPeriodAndIdlePressesReachTheListener) {
    GuiPanel* panel = PatternPanel(0, 0, 200, 100);
    auto* label = new TextLabel(nullptr, 0, new Rect(0, 0, 10, 10), panel, window, 1, 0);
    label->id = 0x200;
    label->SetTextColor(7);
    panel->refreshPeriod = 5;
    panel->refreshCountdown = 5;
    int updates = 0;
    for (int frame = 1; frame <= 10; ++frame) {
        log.clear();
        panel->Draw();
        updates += int(log.size());
        EXPECT_EQ(log.size(), (frame % 5 == 0) ? 1u : 0u) << frame;
    }
    EXPECT_EQ(updates, 2);
    log.clear();
    panel->NotifyOutsidePress();
    EXPECT_EQ(log, (std::vector<Heard>{{"PanelIdle", window}}));
}

TEST_F(PanelFixture, AFullScreenPanelIsTheBackdropAndIsCopiedWithoutKey) {
    ScreenBackdropFlag = 1;
    GuiPanel* panel = PatternPanel(0, 0, 800, 600, [](int x, int y) { return x < 4 && y < 4; });
    EXPECT_EQ(FullScreenPanelSurface, panel->surface);
    EXPECT_EQ(ScreenBackdropFlag, 0);
    back->Blt(nullptr, Picture(800, 600, 0x5555)->surface, nullptr, platform::DDBLT_WAIT);
    panel->Draw();
    EXPECT_EQ(back->PixelAt(1, 1), 0);
    EXPECT_EQ(back->PixelAt(799, 599), Pattern(799, 599));
    Drop(panel);
    panels.clear();
    EXPECT_EQ(FullScreenPanelSurface, nullptr);
}
