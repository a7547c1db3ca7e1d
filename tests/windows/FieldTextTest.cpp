#include "../gui/ControlTestSupport.h"

#include "engine/LinkList.h"
#include "gui/FontRecord.h"
#include "gui/TextLabel.h"
#include "windows/main/FieldText.h"

#include <gtest/gtest.h>

namespace {

constexpr uint16_t kBack = 0x0842;

// A panel with labels 0x200 and 0x201, found through the panel's child list as the windows find
// theirs.
class FieldText : public ControlDisplayFixture {
protected:
    void SetUp() override {
        ControlDisplayFixture::SetUp();
        window = new ControlLogWindow(&log);
        panel = Panel(window, 200, 100, kBack);
        for (int n = 0; n < 2; ++n) {
            auto* label =
                new TextLabel(nullptr, 0, new Rect(10, 10 + 30 * n, 150, 30 + 30 * n), panel, window, 1, 0);
            label->id = int16_t(0x200 + n);
            label->SetTextColor(TextLabel::Text);
            labels[n] = label;
        }
    }
    void TearDown() override {
        Drop(panel);
        delete window;
        ControlDisplayFixture::TearDown();
    }
    int Count(uint16_t value, int top, int bottom) const {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < 200; ++x)
                n += panel->surface->PixelAt(x, y) == value;
        return n;
    }

    std::vector<Heard> log;
    ControlLogWindow* window = nullptr;
    GuiPanel* panel = nullptr;
    TextLabel* labels[2] = {};
};

} // namespace

TEST_F(FieldText, TextFieldsFillTheRecordAndDrawTheirLabelOnly) {
    FontRecord white, coloured;
    ShowFieldText("AB", &white, panel->children, 1, 2, 12);
    EXPECT_EQ(labels[1]->textRecord, &white);
    EXPECT_EQ((std::vector<int>{white.r, white.g, white.b, white.face, white.size, white.style}),
              (std::vector<int>{255, 255, 255, 0, 12, 2}));
    EXPECT_STREQ(white.text, "AB");
    EXPECT_EQ(labels[1]->font.lfHeight, -12);
    EXPECT_GT(Count(0xFFFF, 40, 60), 0); // drawn in its own rectangle
    EXPECT_EQ(Count(0xFFFF, 0, 40), 0);  // and nowhere else
    EXPECT_EQ(labels[0]->textRecord, nullptr);

    ShowFieldTextColored("CD", &coloured, panel->children, 0, 2, 20, 1, 255, 0, 0);
    EXPECT_EQ((std::vector<int>{coloured.r, coloured.g, coloured.b, coloured.face, coloured.size}),
              (std::vector<int>{255, 0, 0, 1, 20}));
    EXPECT_GT(Count(0xF800, 0, 40), 0);
    EXPECT_STREQ(labels[0]->font.lfFaceName, "\xBC\xD0\xB7\xA2\xC5\xE9"); // 標楷體

    // A label the list does not hold: the record is filled, nothing is drawn, nothing breaks.
    FontRecord spare;
    ShowFieldText("EF", &spare, panel->children, 7, 2, 14);
    EXPECT_STREQ(spare.text, "EF");
}

TEST_F(FieldText, BarsFillByValueAndCarryTheirText) {
    const uint16_t green = 0x07E0;
    struct Case {
        int value, filled; // of the label's 140 columns
    };
    for (const Case& c : {Case{50, 70}, Case{100, 140}, Case{0, 0}, Case{130, 140}}) {
        ShowFieldColor(c.value, 0, 255, 0, panel->children, 0, 0x1234);
        EXPECT_EQ(labels[0]->drawMode, TextLabel::Bar);
        EXPECT_EQ(labels[0]->flagWord, 0x34);
        EXPECT_EQ(Count(green, 10, 30), c.filled * 20) << c.value;
    }
    FontRecord record;
    ShowFieldColorText(25, 0, 255, 0, "XY", &record, panel->children, 1, 2, 14);
    EXPECT_EQ(labels[1]->drawMode, TextLabel::BarText);
    EXPECT_EQ(labels[1]->textRecord, &record);
    EXPECT_EQ(record.r, 255);
    EXPECT_GT(Count(0xFFFF, 40, 60), 0);
    EXPECT_GT(Count(green, 40, 60), 0);
    EXPECT_LT(Count(green, 40, 60), 35 * 20);
    // Redrawing reuses the label's own bar: no record piles up.
    ColorRecord* first = labels[1]->barRecord;
    ShowFieldColorText(75, 0, 255, 0, "XY", &record, panel->children, 1, 2, 14);
    EXPECT_EQ(labels[1]->barRecord, first);
}
