#include "ControlTestSupport.h"

#include "engine/PixelFormat.h"
#include "gui/FontRecord.h"
#include "gui/LabelPortraits.h"
#include "gui/TextLabel.h"
#include "platform/GdiText.h"

#include <climits>
#include <cstring>
#include <string>

namespace {

constexpr uint16_t kBack = 0x0842;

class LabelFixture : public ControlDisplayFixture {
protected:
    explicit LabelFixture(int layout = 565) : ControlDisplayFixture(layout) {}
    void SetUp() override {
        ControlDisplayFixture::SetUp();
        window = new ControlLogWindow(&log);
        panel = Panel(window, 200, 100, kBack);
    }
    void TearDown() override {
        Drop(panel);
        delete window;
        ControlDisplayFixture::TearDown();
    }
    TextLabel* Label(int left, int top, int right, int bottom) {
        return new TextLabel(nullptr, 0, new Rect(left, top, right, bottom), panel, window, 1, 0);
    }
    uint16_t At(int x, int y) const { return panel->surface->PixelAt(x, y); }
    // The box of the pixels of one value inside a rectangle of the panel: {left, top, right, bottom}
    // inclusive, or all -1 when none.
    std::vector<int> Box(uint16_t value, int l = 0, int t = 0, int r = 200, int b = 100) const {
        int minX = INT_MAX, minY = INT_MAX, maxX = -1, maxY = -1;
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x)
                if (At(x, y) == value) {
                    minX = std::min(minX, x), minY = std::min(minY, y);
                    maxX = std::max(maxX, x), maxY = std::max(maxY, y);
                }
        if (maxX < 0) return {-1, -1, -1, -1};
        return {minX, minY, maxX, maxY};
    }

    std::vector<Heard> log;
    ControlLogWindow* window = nullptr;
    GuiPanel* panel = nullptr;
};

class Label555Fixture : public LabelFixture {
protected:
    Label555Fixture() : LabelFixture(555) {}
};

} // namespace

TEST_F(LabelFixture, StartsDisabledWithTheDefaultFontAndLayoutWord) {
    GuiImage record;
    record.value = 0x77;
    auto* label = new TextLabel(&record, 0, new Rect(0, 0, 10, 10), panel, window, 1, 0);
    EXPECT_EQ(label->enabled, 0);
    EXPECT_EQ(label->id, 0x77);
    EXPECT_EQ(label->font.lfHeight, -16);
    EXPECT_EQ(label->font.lfWeight, 400);
    EXPECT_EQ(label->font.lfCharSet, 136);
    EXPECT_EQ(label->font.lfOutPrecision, 3);
    EXPECT_EQ(label->font.lfClipPrecision, 2);
    EXPECT_EQ(label->font.lfQuality, 1);
    EXPECT_EQ(label->font.lfPitchAndFamily, 0x31);
    EXPECT_STREQ(label->font.lfFaceName, "\xB2\xD3\xA9\xFA\xC5\xE9"); // 細明體
    struct Case {
        int size, face, height;
        const char* faceName;
    };
    const Case cases[] = {
        {10, 0, -10, "\xB2\xD3\xA9\xFA\xC5\xE9"}, {24, 1, -24, "\xBC\xD0\xB7\xA2\xC5\xE9"}, // 標楷體
        {11, 2, -16, "\xBC\xD0\xB7\xA2\xC5\xE9"}, {13, 3, -16, "\xB2\xD3\xA9\xFA\xC5\xE9"},
        {22, 0, -16, "\xB2\xD3\xA9\xFA\xC5\xE9"}, {0, 0, -16, "\xB2\xD3\xA9\xFA\xC5\xE9"},
        {18, 0, -18, "\xB2\xD3\xA9\xFA\xC5\xE9"},
    };
    for (const Case& c : cases) {
        FontRecord f;
        f.size = int8_t(c.size);
        f.face = uint8_t(c.face);
        label->SetFont(&f, 0);
        EXPECT_EQ(label->font.lfHeight, c.height) << c.size;
        EXPECT_STREQ(label->font.lfFaceName, c.faceName) << c.face;
        EXPECT_EQ(label->textRecord, &f);
    }
    label->SetFont(nullptr, 0);
    EXPECT_NE(label->textRecord, nullptr);
    label->textRecord = nullptr;
    // Mouse presses and releases go to the window.
    Point p(3, 4);
    log.clear();
    label->OnLeftButtonDown(&p);
    label->OnLeftButtonUp(&p);
    EXPECT_EQ(log, (std::vector<Heard>{::At("Press", label, 3, 4), ::At("Click", label, 3, 4)}));
}

TEST_F(LabelFixture, BarsFillByPercentageWithTheEmptyColourByKeyFlag) {
    struct Case {
        int percent;
        int colourKeyed;
        int filled; // of 50 pixels
        uint16_t empty;
    };
    const Case cases[] = {
        {0, 0, 0, 0x0000},
        {100, 1, 50, 0x0800},
        {37, 1, 18, 0x0800},
        {37, 0, 18, 0x0000},
        // Outside 0..100 the share is clamped.
        {250, 1, 50, 0x0800},
        {-40, 1, 0, 0x0800},
    };
    BarRecord bar;
    bar.r = 0xFF;
    bar.g = 0x80;
    bar.b = 0x10;
    const uint16_t colour = uint16_t((0xF8 << 8) | (0x80 << 3) | (0x10 >> 3));
    for (const Case& c : cases) {
        auto* label = Label(10, 10, 60, 14);
        label->barRecord = &bar;
        label->colourKeyed = int16_t(c.colourKeyed);
        label->SetTextColor(TextLabel::Bar);
        bar.percent = int16_t(c.percent);
        log.clear();
        label->DrawText();
        for (int y = 10; y < 14; ++y)
            for (int x = 10; x < 60; ++x)
                ASSERT_EQ(At(x, y), x - 10 < c.filled ? colour : c.empty)
                    << c.percent << " at " << x << "," << y;
        EXPECT_EQ(At(9, 10), kBack);
        EXPECT_EQ(At(60, 10), kBack);
        EXPECT_EQ(At(10, 14), kBack);
        EXPECT_EQ(log, (std::vector<Heard>{{"Update", nullptr}}));
        label->Close(0);
        delete label;
    }
    // A bar reaching past the panel's surface writes only what lies inside it.
    auto* wide = Label(-20, 95, 260, 130);
    wide->barRecord = &bar;
    bar.percent = 100;
    wide->DrawBar();
    EXPECT_EQ(At(0, 99), colour);
    EXPECT_EQ(At(199, 95), colour);
    EXPECT_EQ(At(199, 94), kBack);
}

TEST_F(LabelFixture, TextIsPlacedByStyleWithAShadow) {
    FontRecord f;
    f.r = 255;
    f.g = 255;
    f.b = 255;
    f.size = 16;
    const uint16_t white = 0xFFFF;
    const uint16_t shadow = platform::PackColour16(platform::RGB(12, 12, 12), false);
    struct Case {
        int style;
        const char* text;
        int x, y; // where the first character cell starts
    };
    // Label (20, 20)-(180, 90), w = 160; "ABCD" is 4 bytes of 8 pixels.
    const Case cases[] = {
        {1, "ABCD", 20 + (160 - 32) / 2, 20},
        {2, "ABCD", 20, 20},
        {3, "ABCD", 27, 32},
        {0, "ABCD", 20 + 160 - 32, 20},
        // Centring uses the length of the whole text, not of each line.
        {1, "AB\nCD", 20 + (160 - 40) / 2, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + std::string(" style ") + std::to_string(c.style));
        panel->RestoreBackground();
        auto* label = Label(20, 20, 180, 90);
        f.style = uint8_t(c.style);
        f.text = c.text;
        label->SetFont(&f, 0);
        label->SetTextColor(TextLabel::Text);
        label->DrawText();
        const std::vector<int> text = Box(white);
        ASSERT_NE(text[0], -1) << "no text drawn";
        EXPECT_GE(text[0], c.x);
        EXPECT_LT(text[0], c.x + 8);
        EXPECT_GE(text[1], c.y);
        EXPECT_LT(text[1], c.y + 16);
        // The shadow lies one pixel right and down of the text.
        const std::vector<int> dark = Box(shadow);
        EXPECT_EQ(dark[2], text[2] + 1);
        EXPECT_EQ(dark[3], text[3] + 1);
        label->Close(0);
        delete label;
    }
}

TEST_F(LabelFixture, LinesStepBySizePlusFourAndLongLinesAreCut) {
    FontRecord f;
    f.r = 255;
    f.g = 255;
    f.b = 255;
    f.size = 12;
    f.style = 3;
    f.text = "A\nB\nC";
    auto* label = Label(10, 0, 190, 100);
    label->SetFont(&f, 0);
    label->SetTextColor(TextLabel::Text);
    label->DrawText();
    // Lines at top + 12, + 16 and + 32: each band holds text, the gaps above them none.
    for (int i = 0; i < 3; ++i) {
        const int top = 12 + i * 16;
        EXPECT_NE(Box(0xFFFF, 0, top, 200, top + 12)[0], -1) << i;
        EXPECT_EQ(Box(0xFFFF, 0, top + 12, 200, top + 16)[0], -1) << i;
    }
    EXPECT_EQ(Box(0xFFFF, 0, 0, 200, 12)[0], -1);

    struct Cut {
        std::string line;
        int kept;
    };
    const std::string ascii(70, 'a');
    std::string pairs;
    for (int i = 0; i < 35; ++i)
        pairs += "\xA4\x40"; // 一
    const Cut cuts[] = {
        {ascii, 63},
        {std::string(62, 'a'), 62},
        // A pair that would end at byte 64 is left out whole.
        {"a" + pairs, 63},
        {pairs, 62},
        // A lead byte at the very end of a line counts as one byte.
        {std::string(10, 'a') + "\xA4", 11},
    };
    for (const Cut& c : cuts)
        EXPECT_EQ(TextLabel::LineLength(c.line.c_str(), int(c.line.size())), c.kept) << c.line.size();
    // Drawing a long line stays inside the label's line buffer.
    const std::string longText = ascii + "\n" + pairs;
    f.text = longText.c_str();
    label->DrawText();
}

TEST_F(LabelFixture, CaptionLabelsDrawTextWithoutClearingAndModesDrawWhatTheySay) {
    FontRecord f;
    f.r = 255;
    f.g = 255;
    f.b = 255;
    f.size = 16;
    f.style = 2;
    f.text = "AB";
    GuiImage captionArea; // no surface: the label is a caption
    auto* caption = new TextLabel(&captionArea, 0, new Rect(10, 10, 60, 30), panel, window, 1, 0);
    caption->SetFont(&f, 0);
    caption->SetTextColor(TextLabel::Text);
    // Paint something under it that a clear would remove.
    auto* mark = Label(0, 0, 200, 100);
    BarRecord bar{0, 0xFC, 0, 100};
    mark->barRecord = &bar;
    mark->DrawBar();
    const uint16_t green = 0x07E0;
    caption->DrawText();
    EXPECT_EQ(At(59, 29), green);
    EXPECT_NE(Box(0xFFFF)[0], -1);
    // Mode 100 of an ordinary label clears to the background first.
    auto* plain = Label(100, 50, 150, 60);
    plain->SetTextColor(200);
    plain->DrawText();
    EXPECT_EQ(At(120, 55), kBack);
    // An unknown mode draws nothing but still tells the window.
    plain->SetTextColor(7);
    log.clear();
    plain->DrawText();
    EXPECT_EQ(log, (std::vector<Heard>{{"Update", nullptr}}));
}

TEST_F(LabelFixture, PicturesAreCopiedClippedAndTinted) {
    std::vector<uint16_t> pixels = {0x0000, 0xFFFF, 0xF800, 0x07E0, 0x001F, 0x8410};
    LabelPicture picture{3, 2, pixels.data()};
    auto* label = Label(190, 95, 210, 110);
    label->SetBackgroundImage(&picture);
    ASSERT_NE(label->copy, nullptr);
    EXPECT_NE(label->copy->pixels, pixels.data());
    label->SetTextColor(TextLabel::Picture);
    label->DrawText();
    // Only the part inside the panel is written: columns 190..192 of rows 95, 96.
    EXPECT_EQ(At(190, 95), 0x0000);
    EXPECT_EQ(At(191, 95), 0xFFFF);
    EXPECT_EQ(At(192, 96), 0x8410);
    EXPECT_EQ(At(193, 95), kBack);

    auto grey = [](uint16_t p) {
        const int g =
            (((p >> 8) & 0xF8) * 9798 + ((p >> 3) & 0xFC) * 19235 + ((p << 3) & 0xF8) * 3735) / 32768;
        return std::pair<uint16_t, uint16_t>(uint16_t(((g << 8) & 0xF800) + 0x82),
                                             uint16_t(((g << 8) & 0xF800) + ((g << 3) & 0x7E0) + (g >> 3)));
    };
    label->RestoreBackground(1);
    EXPECT_EQ(label->copy->pixels[0], 0); // the colour key stays
    for (int i = 1; i < 6; ++i)
        EXPECT_EQ(label->copy->pixels[i], grey(pixels[i]).first) << i;
    EXPECT_EQ(label->copy->pixels[1], 0xF882); // white: grey level 248
    label->RestoreBackground(2);
    for (int i = 1; i < 6; ++i)
        EXPECT_EQ(label->copy->pixels[i], grey(pixels[i]).second) << i;
    label->RestoreBackground(0);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(label->copy->pixels[i], pixels[i]) << i;
    label->SetBackgroundImage(nullptr);
    EXPECT_EQ(label->copy, nullptr);
    EXPECT_EQ(label->source, nullptr);
}

TEST_F(Label555Fixture, TintsReadAndWrite555Pixels) {
    std::vector<uint16_t> pixels = {0x7C00, 0x7FFF, 0x0000};
    LabelPicture picture{3, 1, pixels.data()};
    auto* label = Label(0, 0, 10, 10);
    label->SetBackgroundImage(&picture);
    // Pure red reads as R8 248: grey level 248 * 9798 / 32768 = 74; white stays white.
    label->RestoreBackground(2);
    EXPECT_EQ(label->copy->pixels[0], uint16_t(((74 << 7) & 0x7C00) + ((74 << 2) & 0x3E0) + (74 >> 3)));
    EXPECT_EQ(label->copy->pixels[1], 0x7FFF);
    label->RestoreBackground(1);
    EXPECT_EQ(label->copy->pixels[0], uint16_t(((74 << 7) & 0x7C00) + 0x42));
    EXPECT_EQ(label->copy->pixels[1], 0x7C42);
    EXPECT_EQ(label->copy->pixels[2], 0);
}

namespace {

int PortraitsLoaded = 0;
int PortraitsFreed = 0;
std::vector<uint16_t> PortraitPixels(4 * 3, 0x1234);

LabelPicture* FakePortrait(int size, int n) {
    if (n < 0) return nullptr;
    ++PortraitsLoaded;
    return new LabelPicture{size == 0 ? 2 : 4, 3, PortraitPixels.data()};
}

void FreeFakePortrait(LabelPicture* p) {
    ++PortraitsFreed;
    delete p;
}

} // namespace

TEST_F(LabelFixture, ALabelFreesThePortraitsItLoads) {
    // Without a resource store there are no portraits.
    auto* plain = Label(0, 0, 10, 10);
    plain->SetBackgroundPicture(0, 1);
    EXPECT_EQ(plain->copy, nullptr);
    auto* const storeLoad = LoadLabelPortrait;
    auto* const storeFree = FreeLabelPortrait;
    LoadLabelPortrait = FakePortrait;
    FreeLabelPortrait = FreeFakePortrait;
    PortraitsLoaded = PortraitsFreed = 0;
    auto* label = Label(0, 0, 10, 10);
    label->SetBackgroundPicture(1, 5);
    ASSERT_NE(label->copy, nullptr);
    EXPECT_EQ(label->copy->width, 4);
    label->SetBackgroundPicture(0, 6);
    EXPECT_EQ(PortraitsFreed, 1);
    EXPECT_EQ(label->copy->width, 2);
    // A missing portrait drops the copy.
    label->SetBackgroundPicture(0, -1);
    EXPECT_EQ(PortraitsFreed, 2);
    EXPECT_EQ(label->copy, nullptr);
    label->SetBackgroundPicture(0, 7);
    // A window's own picture replaces a loaded portrait; the window's is never freed.
    std::vector<uint16_t> own(4, 1);
    LabelPicture mine{2, 2, own.data()};
    label->SetBackgroundImage(&mine);
    EXPECT_EQ(PortraitsFreed, 3);
    label->SetBackgroundPicture(1, 8);
    label->Close(0);
    delete label;
    EXPECT_EQ(PortraitsLoaded, 4);
    EXPECT_EQ(PortraitsFreed, 4);
    LoadLabelPortrait = storeLoad;
    FreeLabelPortrait = storeFree;
}
