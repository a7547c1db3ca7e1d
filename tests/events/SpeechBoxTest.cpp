#include "events/SpeechBox.h"

#include "Program/GameParameters.h"
#include "Program/ScreenSettings.h"
#include "Program/Startup.h"
#include "engine/SurfaceText.h"
#include "events/EventStep.h"
#include "gui/ControlTestSupport.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr uint16_t kBack = 0x1082;
constexpr uint16_t kWhite = 0xFFFF; // palette 240
constexpr uint16_t kGreen = 0x07E0; // palette 68, "%2"
constexpr uint16_t kRed = 0xF800;   // palette 208, "%1"
constexpr int kWidth = 520;
constexpr int kHeight = 140;
const std::string kGuo = "\xb0\xea"; // 國

std::string Glyphs(int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += kGuo;
    return s;
}

// Counts the notifications and the frame of the first.
class Listener : public Window {
public:
    void OnNotify(Window* source, int code) override {
        if (code == 1) ++notes;
        last = source;
    }
    int notes = 0;
    Window* last = nullptr;
};

class SpeechBoxTest : public ControlDisplayFixture {
protected:
    void SetUp() override {
        ControlDisplayFixture::SetUp();
        std::memcpy(savedPalette, Palette16, sizeof savedPalette);
        Palette16[240] = kWhite;
        Palette16[68] = kGreen;
        Palette16[208] = kRed;
        savedFont = TheBig5Font;
        TheBig5Font = &font;
        guifixture::LayoutWriter w;
        w.Block(0, 1).Solid(140, 330, 140 + kWidth, 330 + kHeight, kBack).End();
        ASSERT_TRUE(w.Write("Win25.gui"));
        layout = std::make_unique<GuiLayout>("Win25.gui");
        savedTemplate = GeneralTemplateTable[7];
        std::memcpy(person + OfficerLayout::kName, "\xb1\x69\xa4\x54", 4); // 張三
        GeneralTemplateTable[7] = person;
        savedCount = GeneralTemplateCount;
        GeneralTemplateCount = std::max(GeneralTemplateCount, 8);
    }
    void TearDown() override {
        if (box) box->Close(0);
        GeneralTemplateTable[7] = savedTemplate;
        GeneralTemplateCount = savedCount;
        TheBig5Font = savedFont;
        std::memcpy(Palette16, savedPalette, sizeof savedPalette);
        ControlDisplayFixture::TearDown();
    }

    SpeechBox* Open(const std::optional<std::string>& text, int32_t speaker = 0, int32_t delay = 1) {
        step.SetInt(EventStepLayout::kGeneral, speaker);
        box = new SpeechBox(TheRootWidget, &owner, &step,
                            text ? std::optional<std::string_view>(*text) : std::nullopt, layout.get());
        box->typingDelay = delay;
        return box;
    }
    void Frames(int n) {
        for (int i = 0; i < n; ++i)
            box->TypeSpeechText();
    }
    // Pixels of one colour inside a rectangle of the box's panel.
    int Count(uint16_t colour, int left, int top, int width, int height) const {
        int n = 0;
        for (int y = top; y < top + height; ++y)
            for (int x = left; x < left + width; ++x)
                n += box->panel->surface->PixelAt(x, y) == colour;
        return n;
    }
    // The glyph cell of a column and row.
    int Cell(uint16_t colour, int column, int row) const {
        return Count(colour, 32 + 24 * column, 49 + 26 * row, 24, 26);
    }

    Big5BitmapFont font;
    uint16_t savedPalette[256];
    Big5BitmapFont* savedFont = nullptr;
    uint8_t* savedTemplate = nullptr;
    int32_t savedCount = 0;
    uint8_t person[OfficerLayout::kSize] = {};
    testsupport::TempFolder folder;
    std::unique_ptr<GuiLayout> layout;
    EventStep step;
    Listener owner;
    SpeechBox* box = nullptr;
};

} // namespace

TEST_F(SpeechBoxTest, TypesOneGlyphEveryDelayPlusOneFramesAtItsCell) {
    Open(Glyphs(3), 0, 2);
    ASSERT_NE(box->panel->surface, nullptr);
    EXPECT_EQ(box->panel->rect.left, 140);
    EXPECT_EQ(box->panel->rect.top, 330);
    Frames(2);
    EXPECT_EQ(Cell(kWhite, 0, 0), 0) << "waits the delay first";
    Frames(1);
    EXPECT_GT(Cell(kWhite, 0, 0), 10);
    EXPECT_EQ(Cell(kWhite, 1, 0), 0);
    Frames(3);
    EXPECT_GT(Cell(kWhite, 1, 0), 10);
    EXPECT_EQ(box->done, 0);
    Frames(6);
    EXPECT_GT(Cell(kWhite, 2, 0), 10);
    EXPECT_EQ(Count(kWhite, 32 + 72, 0, kWidth - 32 - 72, kHeight), 0) << "nothing beyond the third glyph";
    Frames(3);
    EXPECT_EQ(box->done, 1) << "the zero byte ends the text";
}

TEST_F(SpeechBoxTest, ColourEscapesLineBreaksAndSingleBytesTypeAsWritten) {
    // "%2" green, "%%" white again, "%1" red; the break after a full line makes no empty line; a
    // single-byte character takes a step and draws nothing.
    Open("%2" + kGuo + "%%" + kGuo + "\n" + "%1" + Glyphs(15) + "\n" + "a" + kGuo, 0, 0);
    Frames(200);
    EXPECT_GT(Cell(kGreen, 0, 0), 10);
    EXPECT_EQ(Cell(kWhite, 0, 0), 0);
    EXPECT_GT(Cell(kWhite, 1, 0), 10);
    for (int c = 0; c < 15; ++c)
        EXPECT_GT(Cell(kRed, c, 1), 10) << c;
    EXPECT_GT(Cell(kRed, 0, 2), 10) << "the break after the 15th glyph is swallowed";
    EXPECT_EQ(Cell(kRed, 1, 2), 0) << "the single byte drew nothing";
    EXPECT_EQ(box->done, 1);
}

TEST_F(SpeechBoxTest, FortyFiveGlyphsFillAPageAndTheOwnerHearsAfterTheEndWait) {
    Open(Glyphs(45), 0, 0);
    Frames(45);
    EXPECT_GT(Cell(kWhite, 14, 2), 10);
    EXPECT_EQ(box->done, 1) << "the page is full and the next byte is the end";
    EXPECT_EQ(box->pageWait, 1);
    Frames(349);
    EXPECT_EQ(owner.notes, 0);
    Frames(1);
    EXPECT_EQ(owner.notes, 1);
    EXPECT_EQ(owner.last, box);
    Frames(2);
    EXPECT_EQ(owner.notes, 3) << "told again every frame until closed";
}

TEST_F(SpeechBoxTest, APageTurnsAfterItsWaitAndRedrawsTheNameInTheCurrentColour) {
    Open("%1" + Glyphs(46), 7, 0);
    // Name "張三" (4 bytes) is drawn at x = 32 + (138 - 48) / 2 = 77 in the colour at creation.
    EXPECT_GT(Count(kWhite, 77, 8, 48, 26), 10);
    EXPECT_EQ(Count(kWhite, 0, 0, 77, 40), 0);
    EXPECT_EQ(Count(kWhite, 77 + 48, 0, kWidth - 125, 40), 0);
    Frames(46); // the escape and 45 glyphs
    EXPECT_EQ(box->pageWait, 1);
    EXPECT_EQ(box->done, 0);
    Frames(349);
    EXPECT_EQ(box->pageWait, 0);
    EXPECT_EQ(Cell(kRed, 14, 2), 0) << "background restored";
    EXPECT_GT(Count(kRed, 77, 8, 48, 26), 10) << "name redrawn in the text's colour";
    Frames(1);
    EXPECT_GT(Cell(kRed, 0, 0), 10);
    EXPECT_EQ(Cell(kRed, 1, 0), 0);
}

TEST_F(SpeechBoxTest, ClicksTurnThePageShowTheRestAndEndADoneBox) {
    Open(Glyphs(50), 0, 30);
    Frames(31);
    EXPECT_GT(Cell(kWhite, 0, 0), 10);
    box->AdvanceSpeechText(); // the rest of the page at once
    EXPECT_GT(Cell(kWhite, 14, 2), 10);
    EXPECT_EQ(box->pageWait, 1);
    box->AdvanceSpeechText(); // turns the page and shows all of the next
    EXPECT_GT(Cell(kWhite, 4, 0), 10);
    EXPECT_EQ(Cell(kWhite, 5, 0), 0);
    EXPECT_EQ(Cell(kWhite, 0, 1), 0);
    EXPECT_EQ(box->done, 1);
    EXPECT_EQ(owner.notes, 0) << "the click that finished the text does not end it";
    box->AdvanceSpeechText();
    EXPECT_EQ(owner.notes, 1);
}

TEST_F(SpeechBoxTest, MissingTextAndHalfCharactersEndTheTextWithoutDrawing) {
    Open(std::nullopt, 7);
    EXPECT_EQ(box->done, 1);
    box->AdvanceSpeechText();
    EXPECT_EQ(owner.notes, 1);
    box->Close(0);
    box = nullptr;
    FlushDeferredDeletes();

    for (const std::string& tail : {std::string("\xb0"), std::string("%")}) {
        Open(kGuo + tail, 0, 0);
        Frames(5);
        EXPECT_EQ(box->done, 1);
        EXPECT_GT(Cell(kWhite, 0, 0), 10);
        EXPECT_EQ(Cell(kWhite, 1, 0), 0);
        box->Close(0);
        box = nullptr;
        FlushDeferredDeletes();
    }
}

TEST_F(SpeechBoxTest, TypingDelayFollowsTheMessageSpeedWithinTheTable) {
    ScreenSettings* saved = TheScreenSettings;
    ScreenSettings settings;
    TheScreenSettings = &settings;
    const int16_t* table = GameParams().Word_Speed;
    for (int32_t speed : {0, 3, 9}) {
        settings.speechSetting = speed;
        EXPECT_EQ(SpeechTypingDelay(), table[speed]) << speed;
    }
    for (int32_t speed : {-1, 10, 1000}) {
        settings.speechSetting = speed;
        EXPECT_EQ(SpeechTypingDelay(), table[5]) << speed;
    }
    TheScreenSettings = nullptr;
    EXPECT_EQ(SpeechTypingDelay(), table[5]);
    TheScreenSettings = saved;
}

TEST_F(SpeechBoxTest, ALongerTalkTextIsCutAtTheBoxsBound) {
    // Single bytes never fill a page: one click types the whole text, and typing stops at the cut.
    const std::string talk(SpeechBox::kMaxTextBytes + 5000, 'a');
    Open(talk + kGuo, 0, 0);
    box->AdvanceSpeechText();
    EXPECT_EQ(box->done, 1);
    EXPECT_EQ(box->textPosition, int32_t(SpeechBox::kMaxTextBytes));
    EXPECT_EQ(Count(kWhite, 0, 0, kWidth, kHeight), 0) << "the glyph past the cut is never drawn";
}
