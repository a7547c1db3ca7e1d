#include "ControlTestSupport.h"

#include "engine/LinkList.h"
#include "gui/Button.h"
#include "gui/FontRecord.h"
#include "gui/TextButton.h"
#include "gui/TextLabel.h"
#include "gui/ToggleButton.h"

#include <string>

namespace {

constexpr uint16_t kBack = 0x0842;
constexpr uint16_t kColours[4] = {0x07E0, 0x001F, 0xFFE0, 0x8410};

// One mouse operation on a control and what follows from it.
struct Step {
    const char* op; // "move", "down", "up", "rdown", "rup"
    int x, y;
    std::vector<Heard> heard;
    int drawn; // picture shown at the control's corner afterwards: 0..3, or -1 the background
    bool captured;
};

class ButtonFixture : public ControlDisplayFixture {
protected:
    void SetUp() override {
        ControlDisplayFixture::SetUp();
        window = new ControlLogWindow(&log);
        panel = Panel(window, 200, 100, kBack);
        for (int i = 0; i < 4; ++i)
            table[i] = Picture(40, 20, kColours[i]);
    }
    void TearDown() override {
        Drop(panel);
        delete window;
        ControlDisplayFixture::TearDown();
    }

    static void Do(Control* c, const Step& s) {
        Point p(s.x, s.y);
        const std::string op = s.op;
        if (op == "move") c->OnMouseMove(&p);
        if (op == "down") c->OnLeftButtonDown(&p);
        if (op == "up") c->OnLeftButtonUp(&p);
        if (op == "rdown") c->OnRightButtonDown(&p);
        if (op == "rup") c->OnRightButtonUp(&p);
    }
    int Shown(const Widget* c) const {
        const uint16_t p = panel->surface->PixelAt(c->rect.left + 1, c->rect.top + 1);
        for (int i = 0; i < 4; ++i)
            if (p == kColours[i]) return i;
        return p == kBack ? -1 : -2;
    }
    void Run(Control* c, const std::vector<Step>& steps) {
        int i = 0;
        for (const Step& s : steps) {
            SCOPED_TRACE(std::to_string(i++) + " " + s.op);
            log.clear();
            Do(c, s);
            EXPECT_EQ(log, s.heard);
            EXPECT_EQ(Shown(c), s.drawn);
            EXPECT_EQ(TheMouseCursor->captured == c, s.captured);
        }
    }

    std::vector<Heard> log;
    ControlLogWindow* window = nullptr;
    GuiPanel* panel = nullptr;
    GuiImage* table[4] = {};
};

} // namespace

TEST_F(ButtonFixture, PushButtonPressClickHoverAndCancel) {
    auto* b = new Button(table, 0, new Rect(10, 10, 50, 30), panel, window, 1);
    b->ShowNormal();
    Run(b, {
               {"move", 20, 20, {At("Hover", b, 20, 20)}, 2, true},
               {"move", 25, 20, {At("Hover", b, 25, 20)}, 2, true},
               {"down", 25, 20, {At("Press", b, 25, 20)}, 1, true},
               {"down", 25, 20, {}, 1, true},
               {"up", 25, 20, {At("Click", b, 25, 20)}, 0, false},
               // Leaving a pressed button cancels the press: no click follows.
               {"move", 20, 20, {At("Hover", b, 20, 20)}, 2, true},
               {"down", 20, 20, {At("Press", b, 20, 20)}, 1, true},
               {"move", 90, 20, {{"Hover", b}}, 0, false},
               {"up", 90, 20, {}, 0, false},
               {"rdown", 20, 20, {At("RightPress", b, 20, 20)}, 0, false},
               {"rup", 20, 20, {At("RightClick", b, 20, 20)}, 0, false},
           });
}

TEST_F(ButtonFixture, RadioAndCheckButtonsFollowTheirModes) {
    auto* radio = new Button(table, 0, new Rect(10, 10, 50, 30), panel, window, 1);
    radio->SetState(Button::Radio, 0);
    Run(radio, {
                   {"move", 20, 20, {At("Hover", radio, 20, 20)}, 2, true},
                   {"down", 20, 20, {}, 2, true},
                   {"up", 20, 20, {At("Click", radio, 20, 20)}, 1, false},
                   {"rdown", 20, 20, {}, 1, false},
                   {"rup", 20, 20, {}, 1, false},
               });
    EXPECT_EQ(radio->enabled, 0);
    // A selected member clicked again says nothing.
    Run(radio, {{"down", 20, 20, {}, 1, false}, {"up", 20, 20, {}, 1, false}});
    auto* check = new Button(table, 0, new Rect(60, 10, 100, 30), panel, window, 1);
    check->SetState(Button::Check, 0);
    Run(check, {
                   {"move", 70, 20, {}, 0, false},
                   {"down", 70, 20, {}, 0, false},
                   {"up", 70, 20, {At("Click", check, 70, 20)}, 1, false},
                   {"down", 70, 20, {}, 1, false},
                   {"up", 70, 20, {{"Click", check}}, 0, false},
               });
}

TEST_F(ButtonFixture, AReleaseWhileTheCursorCarriesAnObjectIsADropOnly) {
    for (int mode : {0, 1, 2}) {
        auto* b = new Button(table, 0, new Rect(10 + 50 * mode, 10, 50 + 50 * mode, 30), panel, window, 1);
        b->SetState(mode, 0);
        TheMouseCursor->SetDragPayload(7, 1);
        log.clear();
        Point p(b->rect.left + 5, 15);
        b->OnLeftButtonUp(&p);
        EXPECT_EQ(log, (std::vector<Heard>{At("Release", b, p.x, 15)})) << mode;
        TheMouseCursor->SetDragPayload(0, 0);
    }
}

TEST_F(ButtonFixture, SelectingARadioMemberResetsItsGroup) {
    Button* members[3];
    for (int i = 0; i < 3; ++i) {
        members[i] = new Button(table, 0, new Rect(10 + 45 * i, 10, 50 + 45 * i, 30), panel, window, 1);
        members[i]->groupWord = 0x107;
        members[i]->SetState(Button::Radio, i == 0);
    }
    members[0]->enabled = 0;
    // A button of another group keeps its pressed look.
    auto* other = new Button(table, 0, new Rect(10, 50, 50, 70), panel, window, 1);
    other->groupWord = 0x108;
    other->SetState(Button::Radio, 1);
    other->enabled = 0;

    Point p(60, 20);
    members[1]->OnLeftButtonDown(&p);
    members[1]->OnLeftButtonUp(&p);
    EXPECT_EQ(Shown(members[0]), 0);
    EXPECT_EQ(members[0]->enabled, 1);
    EXPECT_EQ(members[0]->current, members[0]->normalIndex);
    EXPECT_EQ(Shown(members[1]), 1);
    EXPECT_EQ(members[1]->enabled, 0);
    EXPECT_EQ(Shown(members[2]), 0);
    EXPECT_EQ(Shown(other), 1);
    EXPECT_EQ(other->enabled, 0);
}

TEST_F(ButtonFixture, HotAreasDrawNothingButReportAndDisableDropsTheCapture) {
    auto* hot = new Button(nullptr, 0, new Rect(10, 10, 50, 30), panel, window, 1);
    Run(hot, {
                 {"move", 20, 20, {At("Hover", hot, 20, 20)}, -1, true},
                 {"down", 20, 20, {At("Press", hot, 20, 20)}, -1, true},
                 {"up", 20, 20, {At("Click", hot, 20, 20)}, -1, false},
             });
    auto* b = new Button(table, 0, new Rect(60, 10, 100, 30), panel, window, 1);
    b->ShowNormal();
    Point p(70, 20);
    b->OnMouseMove(&p);
    ASSERT_EQ(TheMouseCursor->captured, b);
    b->Disable();
    EXPECT_EQ(TheMouseCursor->captured, nullptr);
    EXPECT_EQ(b->hover, 0);
    EXPECT_EQ(Shown(b), 3);
    // Enable draws the normal picture and leaves the current index alone.
    b->ShowPressed();
    b->Enable();
    EXPECT_EQ(Shown(b), 0);
    EXPECT_EQ(b->current, b->pressedIndex);
    // The layout word of the normal picture becomes the id until the layout sets its own.
    table[0]->value = 0x55;
    auto* withWord = new Button(table, 0, new Rect(10, 50, 50, 70), panel, window, 1);
    EXPECT_EQ(withWord->id, 0x55);
    withWord->ShowPressed();
    ASSERT_EQ(Shown(withWord), 1);
    withWord->EraseToBackground();
    EXPECT_EQ(Shown(withWord), -1);
}

TEST_F(ButtonFixture, TextButtonStatesAndCaption) {
    auto* t = new TextButton(table, 0, new Rect(10, 10, 50, 30), panel, window, 1);
    ASSERT_NE(t->surface, nullptr);
    t->ShowNormal();
    Run(t, {
               {"move", 20, 20, {At("Hover", t, 20, 20)}, 2, true},
               {"move", 25, 20, {}, 2, true},
               {"down", 25, 20, {At("Press", t, 25, 20)}, 1, true},
               {"rdown", 25, 20, {}, 1, true},
               {"up", 25, 20, {At("Click", t, 25, 20)}, 0, false},
               {"move", 20, 20, {At("Hover", t, 20, 20)}, 2, true},
               {"move", 90, 20, {{"Hover", t}}, 0, false},
           });
}

TEST_F(ButtonFixture, CaptionPlacementAndReplacement) {
    struct Case {
        int size, style;
        const char* text;
        Rect area; // left, top, right, bottom inside the 40 x 20 picture
    };
    const Case cases[] = {
        // t = 12 * 2 / 2 = 12 < 40: centred; 20 < 24: vertically centred.
        {12, 1, "ab", Rect(14, 4, 26, 16)},
        // Style 2 starts at the left edge.
        {12, 2, "ab", Rect(0, 4, 12, 16)},
        // Wider than the picture: 3 pixels from each side.
        {12, 1, "abcdefghij", Rect(3, 4, 37, 16)},
        // Small text: 20 >= 2 * 8, so the caption starts 3 down.
        {8, 1, "ab", Rect(16, 3, 24, 11)},
    };
    for (const Case& c : cases) {
        auto* t = new TextButton(table, 0, new Rect(10, 10, 50, 30), panel, window, 1);
        FontRecord record;
        record.size = int8_t(c.size);
        record.style = uint8_t(c.style);
        record.text = c.text;
        record.r = 255;
        t->SetCaption(&record, 0);
        ASSERT_NE(t->caption, nullptr);
        const Rect& r = t->caption->rect;
        EXPECT_EQ((std::vector<int>{r.left, r.top, r.right, r.bottom}),
                  (std::vector<int>{c.area.left, c.area.top, c.area.right, c.area.bottom}))
            << c.text << " style " << c.style;
        EXPECT_EQ(t->caption->drawMode, 150);
        EXPECT_EQ(t->caption->parent, t);
        // A second caption replaces the first instead of piling up.
        t->SetCaption(&record, 0);
        EXPECT_EQ(t->children->GetCount(), 1);
        EXPECT_EQ(t->children->First(), reinterpret_cast<uintptr_t>(t->caption));
        // A record without text keeps the caption.
        FontRecord none;
        t->SetCaption(&none, 0);
        EXPECT_EQ(t->children->GetCount(), 1);
        EXPECT_EQ(t->captionFont, &none);
        // Deleting the button takes its caption with it.
        delete t;
    }
}

// The caption is a disabled child of the button: a press on its rectangle falls through to the
// button instead of ending at the caption.
TEST_F(ButtonFixture, APressOnTheCaptionReachesTheTextButton) {
    auto* t = new TextButton(table, 0, new Rect(10, 10, 50, 30), panel, window, 1);
    FontRecord record;
    record.size = 12;
    record.style = 1;
    record.text = "ab";
    t->SetCaption(&record, 0);
    ASSERT_NE(t->caption, nullptr);
    ASSERT_TRUE(t->caption->rect.Contains(Point(20, 12))); // (14, 4, 26, 16), shared coordinates
    Point p(20, 12);
    GuiMessage down(0, nullptr, TheMouseCursor, GuiMessage::kLeftDown, &p, nullptr, 0);
    log.clear();
    t->RouteMouse(&down);
    EXPECT_NE(std::find(log.begin(), log.end(), At("Press", t, 20, 12)), log.end());
    EXPECT_EQ(t->pressed, 1);
}

TEST_F(ButtonFixture, ToggleDragsAwayAndReportsReleaseEverywhere) {
    auto* g = new ToggleButton(table, 0, new Rect(10, 10, 50, 30), panel, window, 1);
    g->ShowNormal();
    Run(g, {
               {"move", 20, 20, {At("Hover", g, 20, 20)}, 1, true},
               {"move", 25, 20, {}, 1, true},
               {"down", 25, 20, {At("Press", g, 25, 20)}, 1, true},
               {"up", 25, 20, {At("Click", g, 25, 20)}, 1, true},
               {"rdown", 25, 20, {At("RightPress", g, 25, 20)}, 1, true},
               // A release outside still clicks, with the release point.
               {"up", 90, 20, {At("Click", g, 90, 20)}, 1, false},
           });
    // Pressed and moved: the cursor takes the drag image and the window the object.
    Run(g, {
               {"move", 20, 20, {At("Hover", g, 20, 20)}, 1, true},
               {"down", 20, 20, {At("Press", g, 20, 20)}, 1, true},
               {"move", 22, 20, {At("Toggle", g, 22, 20)}, 0, false},
           });
    EXPECT_EQ(TheMouseCursor->image, table[0]);
    EXPECT_EQ(g->pressed, 0u);
    TheMouseCursor->ClearImage();
    // Dragged out of the control: the toggle notification and then the leave.
    Run(g, {
               {"move", 20, 20, {At("Hover", g, 20, 20)}, 1, true},
               {"down", 20, 20, {At("Press", g, 20, 20)}, 1, true},
               {"move", 90, 20, {At("Toggle", g, 90, 20), {"Hover", g}}, 0, false},
           });
    TheMouseCursor->ClearImage();
}

TEST_F(ButtonFixture, ImagelessTogglesEraseThemselvesToThePanel) {
    auto* g = new ToggleButton(nullptr, 0, new Rect(10, 10, 50, 30), panel, window, 1);
    // Paint over the toggle's place; its draw puts the background back.
    auto* b = new Button(table, 0, new Rect(10, 10, 50, 30), panel, window, 1);
    b->ShowPressed();
    ASSERT_EQ(Shown(g), 1);
    g->ShowNormal();
    EXPECT_EQ(Shown(g), 1) << "without pictures ShowNormal draws nothing";
    g->ShowDisabled();
    EXPECT_EQ(Shown(g), -1);
    EXPECT_EQ(g->dragImage, nullptr);
    Point p(20, 20);
    g->OnLeftButtonDown(&p);
    g->OnMouseMove(&p);
    g->OnMouseMove(&p);
    EXPECT_EQ(TheMouseCursor->image, nullptr);
}
