// The speech box as the player sees it: typed over the frame clock and drawn into the whole frame
// with the other windows and the speaker's portrait.
#include "events/EventStep.h"
#include "events/SpeechBox.h"
#include "gui/GuiLayout.h"
#include "platform/BmpWriter.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "tests/Program/ScreenTestSupport.h"

#include "engine/SurfaceText.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

constexpr uint16_t kScreen = 0x1111;
constexpr uint16_t kPlate = 0x1082;
constexpr uint16_t kFace = 0x07FF;
constexpr uint16_t kWhite = 0xFFFF;  // palette 240, "%%"
constexpr uint16_t kGreen = 0x07E0;  // palette 68, "%2"
constexpr uint16_t kRed = 0xF800;    // palette 208, "%1"
constexpr uint16_t kYellow = 0xFFE0; // palette 28, "%3"
constexpr int kLeft = 140, kTop = 330, kWidth = 520, kHeight = 140;
constexpr int32_t kSpeaker = 7;
const std::string kGuo = "\xb0\xea"; // 國

std::string Glyphs(int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += kGuo;
    return s;
}

class Listener : public Window {
public:
    void OnNotify(Window* source, int code) override {
        if (source && code == 1) ++notes;
    }
    int notes = 0;
};

class SpeechBoxFrameTest : public screentest::ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        std::memcpy(savedPalette, Palette16, sizeof savedPalette);
        Palette16[240] = kWhite;
        Palette16[68] = kGreen;
        Palette16[208] = kRed;
        Palette16[28] = kYellow;
        savedFont = TheBig5Font;
        TheBig5Font = &font;
        savedTemplate = GeneralTemplateTable[kSpeaker];
        savedCount = GeneralTemplateCount;
        std::memcpy(person + OfficerLayout::kName, "\xb1\x69\xa4\x54", 4); // 張三
        // The face he talks with; his list face (0) would show none.
        person[OfficerLayout::kSpeechPortrait] = 1;
        GeneralTemplateTable[kSpeaker] = person;
        GeneralTemplateCount = std::max(GeneralTemplateCount, kSpeaker + 1);

        // The screen behind, the box's plate and the portraits: frame 1 is the speaker's face.
        const gamefiles::LayoutBox screen{0, 0, 800, 600};
        ASSERT_TRUE(gamefiles::WriteBytes(
            "screen.gui",
            gamefiles::ScreenLayout(screen, std::vector<uint16_t>(800 * 600, kScreen), {}, {})));
        screenLayout = std::make_unique<GuiLayout>("screen.gui");
        screenPanel = new GuiPanel(screenLayout->elements[0], new Rect(0, 0, 800, 600), TheRootWidget,
                                   nullptr, 1, 1, 0);
        TheResourceStore->drawList->Add(reinterpret_cast<uintptr_t>(screenPanel));
        const gamefiles::LayoutBox plate{kLeft, kTop, kLeft + kWidth, kTop + kHeight};
        ASSERT_TRUE(gamefiles::WriteBytes(
            "Win25.gui",
            gamefiles::ScreenLayout(plate, std::vector<uint16_t>(size_t(kWidth) * kHeight, kPlate), {}, {})));
        boxLayout = std::make_unique<GuiLayout>("Win25.gui");
        ASSERT_TRUE(gamefiles::WriteBytes(
            "head_l.ani",
            gamefiles::AniFile(
                {{0, 0, 20, 30, std::vector<uint16_t>(600, kRed), std::vector<uint8_t>(600, 255)},
                 {0, 0, 20, 30, std::vector<uint16_t>(600, kFace), std::vector<uint8_t>(600, 255)}})));
    }
    void TearDown() override {
        if (box) box->Close(0);
        FlushDeferredDeletes();
        TheResourceStore->drawList->RemoveAll();
        screenPanel->Close(0);
        DeferDelete(screenPanel);
        FlushDeferredDeletes();
        GeneralTemplateTable[kSpeaker] = savedTemplate;
        GeneralTemplateCount = savedCount;
        TheBig5Font = savedFont;
        std::memcpy(Palette16, savedPalette, sizeof savedPalette);
        ScreenFixture::TearDown();
    }

    // One frame of the game: the controller types the open box once.
    void Frames(int n) {
        for (int i = 0; i < n; ++i)
            box->TypeSpeechText();
    }
    // Draws the frame and keeps it as a picture in the build folder.
    void Render(const char* name) {
        c->DrawFrontEnd();
        platform::Surface* back = GetBackSurface();
        std::vector<uint16_t> pixels;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                pixels.push_back(back->PixelAt(x, y));
        const auto path = std::filesystem::path(KARDOL_BINARY_DIR) / name;
        EXPECT_TRUE(platform::WriteBmp16(path.string(), pixels.data(), 800, 600, 565));
    }
    // Pixels of a colour in a screen rectangle of the drawn frame.
    int Count(uint16_t colour, int left, int top, int width, int height) const {
        platform::Surface* back = GetBackSurface();
        int n = 0;
        for (int y = top; y < top + height; ++y)
            for (int x = left; x < left + width; ++x)
                n += back->PixelAt(x, y) == colour;
        return n;
    }
    // The glyph cell of a column and row of the text, on the screen.
    int Cell(uint16_t colour, int column, int row) const {
        return Count(colour, kLeft + 32 + 24 * column, kTop + 49 + 26 * row, 24, 26);
    }
    // Which colour fills a glyph cell: 0 for an empty one.
    uint16_t CellColour(int column, int row) const {
        for (uint16_t colour : {kWhite, kGreen, kRed, kYellow})
            if (Cell(colour, column, row) > 10) return colour;
        return 0;
    }

    Big5BitmapFont font;
    uint16_t savedPalette[256];
    Big5BitmapFont* savedFont = nullptr;
    uint8_t* savedTemplate = nullptr;
    int32_t savedCount = 0;
    uint8_t person[OfficerLayout::kSize] = {};
    std::unique_ptr<GuiLayout> screenLayout;
    std::unique_ptr<GuiLayout> boxLayout;
    GuiPanel* screenPanel = nullptr;
    EventStep step;
    Listener owner;
    SpeechBox* box = nullptr;
};

} // namespace

TEST_F(SpeechBoxFrameTest, APageTypedInTheFrontEndShowsInTheFrameThenTurnsAndEnds) {
    // Line 1: two green glyphs, one white; line 2: fifteen red ones, the break after them
    // swallowed; line 3: two more red; the break after it fills the page. Page 2: one yellow glyph.
    const std::string text =
        "%2" + Glyphs(2) + "%%" + kGuo + "\n" + "%1" + Glyphs(15) + "\n" + Glyphs(2) + "\n" + "%3" + kGuo;
    step.SetInt(EventStepLayout::kGeneral, kSpeaker);
    c->mode = 0; // the front end types with the delay 5: a character every sixth frame
    box = new SpeechBox(TheRootWidget, &owner, &step, std::string_view(text), boxLayout.get());
    ASSERT_EQ(box->typingDelay, 5);
    ASSERT_NE(box->portrait, nullptr);

    // Twenty-five characters (escapes and breaks included) make the first page.
    Frames(25 * 6 - 1);
    EXPECT_EQ(box->pageWait, 0);
    Frames(1);
    EXPECT_EQ(box->pageWait, 1);
    Render("speech-box-page1.bmp");
    const uint16_t want[3][15] = {
        {kGreen, kGreen, kWhite},
        {kRed, kRed, kRed, kRed, kRed, kRed, kRed, kRed, kRed, kRed, kRed, kRed, kRed, kRed, kRed},
        {kRed, kRed},
    };
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 15; ++column)
            EXPECT_EQ(CellColour(column, row), want[row][column]) << column << "," << row;
    // The name sits centred over the text (x = 32 + (138 - 4 * 12) / 2 = 77) in the colour at
    // creation; the portrait hangs at (92, 244) of the screen, the screen shows around both.
    EXPECT_GT(Count(kWhite, kLeft + 77, kTop + 8, 48, 26), 10);
    EXPECT_EQ(Count(kWhite, kLeft, kTop, 77, 40), 0);
    EXPECT_EQ(Count(kFace, 92, 244, 20, 30), 600);
    EXPECT_EQ(Count(kScreen, 92, 244, 20, 30), 0);
    EXPECT_EQ(Count(kScreen, kLeft + 1, kTop + 1, kWidth - 2, kHeight - 2), 0);
    EXPECT_GT(Count(kScreen, 0, 0, 800, kTop), 0);

    // The page waits 350 frames, then the plate is clean and the name takes the current colour.
    Frames(348);
    EXPECT_EQ(box->pageWait, 349);
    Frames(1);
    EXPECT_EQ(box->pageWait, 0);
    // Two characters of page 2 ("%3" and the glyph), the second on its sixth frame.
    Frames(12);
    Render("speech-box-page2.bmp");
    EXPECT_EQ(CellColour(0, 0), kYellow);
    for (int row = 0; row < 3; ++row)
        for (int column = row == 0 ? 1 : 0; column < 15; ++column)
            EXPECT_EQ(CellColour(column, row), 0) << column << "," << row;
    EXPECT_GT(Count(kRed, kLeft + 77, kTop + 8, 48, 26), 10) << "the name redrawn in the text's colour";
    EXPECT_EQ(box->done, 0);

    // The end of the text comes on the next character; the owner hears 350 frames later.
    Frames(6);
    EXPECT_EQ(box->done, 1);
    Frames(349);
    EXPECT_EQ(owner.notes, 0);
    Frames(1);
    EXPECT_EQ(owner.notes, 1);

    // Closed by its owner, the box leaves the frame: plate, text and portrait.
    box->Close(0);
    box = nullptr;
    FlushDeferredDeletes();
    c->DrawFrontEnd();
    EXPECT_EQ(Count(kScreen, kLeft, kTop, kWidth, kHeight), kWidth * kHeight);
    EXPECT_EQ(Count(kScreen, 92, 244, 20, 30), 600);
}
