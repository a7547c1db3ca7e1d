#include "ControlTestSupport.h"

#include "engine/PixelFormat.h"
#include "gui/ColorSwapButton.h"
#include "gui/DragSourceControl.h"
#include "gui/HScrollBar.h"
#include "gui/ImageButton.h"
#include "gui/StorePicture.h"

#include <algorithm>
#include <iterator>
#include <map>

namespace {

std::map<int, StoreImage> Pictures;

const StoreImage* FindPicture(int id) {
    auto it = Pictures.find(id);
    return it == Pictures.end() ? nullptr : &it->second;
}

StoreImage Solid(int w, int h, uint16_t colour) {
    return StoreImage{w, h, std::vector<uint16_t>(size_t(w) * h, colour)};
}

class VariantFixture : public ControlDisplayFixture {
protected:
    void SetUp() override {
        ControlDisplayFixture::SetUp();
        window = new ControlLogWindow(&log);
        panel = Panel(window, 200, 100, 0x0842);
        Pictures.clear();
        StorePicture = FindPicture;
    }
    void TearDown() override {
        StorePicture = nullptr;
        Drop(panel);
        delete window;
        ControlDisplayFixture::TearDown();
    }
    uint16_t At(int x, int y) const { return panel->surface->PixelAt(x, y); }

    std::vector<Heard> log;
    ControlLogWindow* window = nullptr;
    GuiPanel* panel = nullptr;
};

// A window that also hears the image button's entry.
class EnterLogWindow : public ControlLogWindow {
public:
    using ControlLogWindow::ControlLogWindow;
    void OnControlEnter(Widget* w) override { Record(log, "Enter", w, nullptr); }
};

} // namespace

TEST_F(VariantFixture, ImageButtonPicturesAndNotifications) {
    Pictures[3] = Solid(20, 10, 0x1111);
    Pictures[4] = Solid(20, 10, 0x2222);
    StoreImage big{200, 100, std::vector<uint16_t>(200 * 100)};
    for (int i = 0; i < 200 * 100; ++i)
        big.pixels[size_t(i)] = uint16_t(i + 1);
    Pictures[7] = big;
    EnterLogWindow listener(&log);

    auto* store = new ImageButton(3, 4, 1, new Rect(10, 10, 30, 20), panel, &listener, 1);
    EXPECT_EQ(store->ownsNormal, 0);
    EXPECT_EQ(store->drawPitch, panel->surface->pitch() / 2);
    store->Draw();
    EXPECT_EQ(At(10, 10), 0x1111);
    // The snapshot keeps what the parent showed under the button when it was made.
    auto* snap = new ImageButton(ImageButton::kSnapshot, 0, 99, new Rect(5, 5, 15, 15), panel, &listener, 1);
    EXPECT_EQ(snap->ownsNormal, 1);
    EXPECT_EQ(snap->drawPitch, 240);
    EXPECT_EQ(snap->normal.pixels[0], 0x0842);
    EXPECT_EQ(snap->normal.pixels[5 * 10 + 5], 0x1111);
    // Above 1000: the button's own area of a bigger picture.
    auto* area = new ImageButton(1007, 0, 1, new Rect(50, 20, 60, 30), panel, &listener, 1);
    EXPECT_EQ(area->normal.pixels[0], uint16_t(20 * 200 + 50 + 1));
    area->Draw();
    EXPECT_EQ(At(59, 29), uint16_t(29 * 200 + 59 + 1));

    log.clear();
    Point in(12, 12), out(90, 90);
    store->OnMouseMove(&in);
    store->OnLeftButtonDown(&in);
    EXPECT_EQ(At(10, 10), 0x2222);
    store->OnLeftButtonUp(&in);
    EXPECT_EQ(At(10, 10), 0x1111);
    store->OnMouseMove(&out);
    store->OnRightButtonDown(&in);
    store->OnRightButtonUp(&in);
    EXPECT_EQ(log, (std::vector<Heard>{{"Enter", store},
                                       ::At("Hover", store, 12, 12),
                                       ::At("Press", store, 12, 12),
                                       ::At("Click", store, 12, 12),
                                       ::At("RightPress", store, 12, 12),
                                       ::At("RightClick", store, 12, 12)}));
    EXPECT_EQ(TheMouseCursor->captured, nullptr);
    // A release without a press still clicks and drops the cursor's picture.
    GuiImage carried;
    TheMouseCursor->SetImage(&carried);
    log.clear();
    store->OnLeftButtonUp(&out);
    EXPECT_EQ(log, (std::vector<Heard>{::At("Click", store, 90, 90)}));
    EXPECT_EQ(TheMouseCursor->image, nullptr);
    store->DrawNormal(4);
    EXPECT_EQ(store->enabled, 0);
    EXPECT_EQ(At(10, 10), 0x2222);
    store->DrawEnabled();
    EXPECT_EQ(store->enabled, 1);
    EXPECT_EQ(At(10, 10), 0x1111);
    // A button partly outside its parent draws only the part inside.
    Pictures[9] = Solid(40, 40, 0x3333);
    auto* edge = new ImageButton(9, 0, 1, new Rect(180, 80, 220, 120), panel, &listener, 1);
    edge->Draw();
    EXPECT_EQ(At(199, 99), 0x3333);
    for (Widget* w : {static_cast<Widget*>(store), static_cast<Widget*>(snap), static_cast<Widget*>(area),
                      static_cast<Widget*>(edge)}) {
        w->Close(0);
        delete w;
    }
}

TEST_F(VariantFixture, ColorSwapButtonRecoloursItsArea) {
    uint16_t saved[256];
    std::copy(std::begin(Palette16), std::end(Palette16), saved);
    Palette16[1] = 0x0842; // the panel's colour
    Palette16[2] = 0x1111;
    Palette16[3] = 0x2222;
    Palette16[4] = 0x3333;
    auto* swap = new ColorSwapButton(2, 3, 1, 4, new Rect(10, 10, 30, 20), panel, window, 1);
    Point in(12, 12), out(90, 90);
    swap->OnMouseMove(&in);
    EXPECT_EQ(At(10, 10), 0x3333);
    EXPECT_EQ(At(30, 10), 0x0842);
    swap->OnMouseMove(&out);
    EXPECT_EQ(At(10, 10), 0x0842);
    swap->Swap(1, 2);
    swap->OnLeftButtonDown(&in);
    EXPECT_EQ(At(15, 15), 0x2222);
    swap->OnLeftButtonUp(&in);
    swap->Unlatch();
    EXPECT_EQ(At(15, 15), 0x1111);
    swap->Latch();
    EXPECT_EQ(At(15, 15), 0x2222);
    swap->OnLeftButtonDown(&in);
    EXPECT_EQ(At(15, 15), 0x2222);
    swap->OnLeftButtonUp(&out);
    swap->OnRightButtonDown(&in);
    EXPECT_EQ(log, (std::vector<Heard>{::At("Press", swap, 12, 12), ::At("Click", swap, 12, 12),
                                       ::At("Press", swap, 12, 12), ::At("RightPress", swap, 12, 12)}));
    std::copy(std::begin(saved), std::end(saved), Palette16);
}

TEST_F(VariantFixture, DragSourceHandsItsPayloadOver) {
    auto* source = new DragSourceControl(new Rect(10, 10, 30, 20), panel, window, 1);
    Point p(12, 12);
    source->OnMouseMove(&p);
    source->OnLeftButtonDown(&p);
    EXPECT_EQ(TheMouseCursor->captured, source);
    source->OnMouseMove(&p);
    source->OnLeftButtonUp(&p);
    int payload = 5;
    source->SetPayload(&payload);
    source->OnLeftButtonDown(&p);
    source->OnMouseMove(&p);
    EXPECT_EQ(source->pressed, 0);
    EXPECT_EQ(TheMouseCursor->captured, nullptr);
    source->OnRightButtonDown(&p);
    EXPECT_EQ(log, (std::vector<Heard>{::At("Hover", source, 12, 12), ::At("Press", source, 12, 12),
                                       ::At("Hover", source, 12, 12), ::At("Click", source, 12, 12),
                                       ::At("Press", source, 12, 12), ::At("Toggle", source, 12, 12),
                                       ::At("RightPress", source, 12, 12)}));
}

TEST_F(VariantFixture, HorizontalScrollBarArrowsTrackAndThumb) {
    Pictures[1] = Solid(19, 19, 0x1111);
    Pictures[2] = Solid(19, 19, 0x2222);
    Pictures[3] = Solid(5, 19, 0x3333);
    Pictures[4] = Solid(38, 19, 0x4444);
    // 10 + 176 pixels wide: travel 176 - 38 - 38 = 100 for positions 0..20.
    auto* bar = new HScrollBar(new Rect(10, 50, 186, 69), panel, window, 1, 30, 10, 1, 2, 3, 4);
    EXPECT_EQ(At(10, 50), 0x1111);
    EXPECT_EQ(At(29, 50), 0x4444);
    EXPECT_EQ(At(80, 60), 0x3333);
    EXPECT_EQ(At(185, 68), 0x2222);
    struct Press {
        int x, position;
    };
    // Right arrow +1, right track +page, left track -page, left arrow -1, limits kept.
    const Press presses[] = {{180, 1}, {150, 11}, {150, 20}, {180, 20}, {20, 19}, {40, 9}, {40, 0}, {15, 0}};
    for (const Press& c : presses) {
        log.clear();
        Point p(c.x, 55);
        bar->OnLeftButtonDown(&p);
        bar->OnLeftButtonUp(&p);
        EXPECT_EQ(bar->position, c.position) << c.x;
        EXPECT_EQ(log, (std::vector<Heard>{::At("Press", bar, c.position, 55)})) << c.x;
    }
    // Grab the thumb 5 pixels in and move it 50 pixels right: half the range.
    Point grab(10 + 19 + 5, 55);
    bar->OnLeftButtonDown(&grab);
    log.clear();
    Point move(10 + 19 + 5 + 50, 55);
    bar->OnMouseMove(&move);
    EXPECT_EQ(bar->position, 10);
    EXPECT_EQ(log, (std::vector<Heard>{::At("Hover", bar, 10, 55)}));
    Point far(400, 55);
    bar->OnMouseMove(&far);
    EXPECT_EQ(bar->position, 20);
    bar->OnLeftButtonUp(&far);
    // A bar too short for its parts or without a range never divides by zero.
    auto* tiny = new HScrollBar(new Rect(0, 80, 50, 99), panel, window, 1, 0, 0, 0, 0, 0, 0);
    Point t(25, 85);
    tiny->OnLeftButtonDown(&t);
    tiny->OnMouseMove(&t);
    tiny->OnLeftButtonUp(&t);
    EXPECT_EQ(tiny->position, 0);
}
