#include "records/InfoText.h"

#include "Program/GameController.h"
#include "Program/HelpTexts.h"
#include "Program/Startup.h"
#include "engine/PixelFormat.h"
#include "engine/SurfaceText.h"
#include "gui/ControlTestSupport.h"
#include "gui/MouseCursor.h"
#include "world/MapView.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Block = std::array<uint8_t, 196>;

void Put(Block& b, uint32_t offset, int32_t v) {
    std::memcpy(b.data() + offset, &v, 4);
}

// An item block: name, "類別", "價值", the equip flags from "全員可裝備" on, and bonus columns.
Block Item(const char* name, int32_t category, int32_t price, std::vector<int> equip,
           std::vector<std::pair<uint32_t, int32_t>> bonuses) {
    Block b{};
    std::memcpy(b.data(), name, std::strlen(name));
    Put(b, 28, category);
    Put(b, 32, price);
    for (int flag : equip)
        Put(b, 40 + 4 * uint32_t(flag), 1);
    for (auto [column, v] : bonuses)
        Put(b, column, v);
    return b;
}

std::vector<std::string> Lines(int16_t kind, const void* subject) {
    InfoText t;
    t.kind = kind;
    t.currentObject = subject;
    char lines[InfoText::kMaxLines][InfoText::kLineBytes];
    std::vector<std::string> out;
    const int n = t.ComposeLines(lines);
    for (int i = 0; i < n; ++i)
        out.emplace_back(lines[i]);
    return out;
}

TEST(InfoTextTest, LinesOfItemsSkillsClassesAndBuildings) {
    const Block sword = Item("Sword", 1, 15, {1, 3}, {{112, 5}, {96, 3}, {184, -2}});
    const Block ring = Item("Ring", 5, 40, {0}, {{80, 2}});
    const Block herb = Item("Herb", 6, 10, {0}, {{180, 30}});
    const Block cloak = Item("Cloak", 2, 20, {0}, {});
    const Block nobody = Item("Stone", 3, 20, {}, {{116, 1}});
    Block unterminated = Item("", 1, 0, {}, {});
    std::memset(unterminated.data(), 'A', 20);
    Put(unterminated, 20, 0x4242); // the next column follows without a terminator
    Block skill{};
    std::memcpy(skill.data(), "Fire", 4);
    Put(skill, 24, 12);
    std::memcpy(skill.data() + 168, "Burns", 5);
    const int32_t market = 3, unknown = 23, negative = -1;
    struct Case {
        const char* what;
        int16_t kind;
        const void* subject;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"a weapon with its classes, bonuses and selling price",
         InfoText::kItemSelling,
         &sword,
         {"Sword", "\xbc\x43\xa4\x7d", "\xa7\xf0\xc0\xbb\xa4\x4f +5", "\xb1\xd3\xb1\xb6 +3",
          "\xa7\xde\xa4\x4f +-2",
          "\xbd\xe6\xbb\xf9"
          "7"}},
        {"a treasure has no equip line but its bonuses",
         InfoText::kItem,
         &ring,
         {"Ring", "\xaa\x5a\xa4\x4f +2"}},
        {"a category-6 item shows only its name and price",
         InfoText::kItemBuying,
         &herb,
         {"Herb", "\xb6\x52\xbb\xf9"
                  "10"}},
        {"everyone may wear it", InfoText::kMapItem, &cloak, {"Cloak", "\xa5\xfe\xad\xfb"}},
        {"no class flag, no equip line", InfoText::kItem, &nobody, {"Stone", "\xa8\xbe\xbf\x6d\xa4\x4f +1"}},
        {"a name without terminator stops at its field",
         InfoText::kItem,
         &unterminated,
         {std::string(20, 'A')}},
        {"a skill", InfoText::kSkill, &skill, {"Fire", "\xae\xf8\xaf\xd3\xa7\xde\xa4\x4f 12", "Burns"}},
        {"a troop class", InfoText::kTroopClass, &sword, {"Sword"}},
        {"a building", InfoText::kBuilding, &market, {"\xb0\xd3\xb7\x7c"}},
        {"a building kind without a name", InfoText::kBuilding, &unknown, {}},
        {"a negative building kind", InfoText::kBuilding, &negative, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Lines(c.kind, c.subject), c.lines);
    }
}

class HelpTextSplit : public testing::Test {
protected:
    void SetUp() override {
        // Help 0 is no help at all: the texts start at 1.
        const std::string file = std::string("none\n") + "0123456789ABCDEF\n" + "0123456789ABCDEFG\n" +
                                 "0123456789012345678901234567890123456789\n" +
                                 "01234567890123\xa4\x40\xa4\x41" + "xyz\n" + "\n";
        GameHelpTexts().Parse(std::span(reinterpret_cast<const uint8_t*>(file.data()), file.size()));
        TheInfoText = InfoText();
    }
    void TearDown() override {
        GameHelpTexts().Clear();
        TheInfoText = InfoText();
    }
};

TEST_F(HelpTextSplit, HelpTextsSplitAfterSixteenBytesOnACharacterBoundary) {
    struct Case {
        int16_t id;
        const char* line1;
        const char* line2;
        int32_t width, height;
    };
    const Case cases[] = {
        {1, "0123456789ABCDEF", "", 8 * 16 + 10, 26},
        {2, "0123456789ABCDEF", "G", 8 * 16 + 10, 42},
        {3, "0123456789012345", "6789012345678901", 8 * 16 + 10, 42},
        // The second character would be cut at byte 16: it starts the second line.
        {4, "01234567890123\xa4\x40", "\xa4\x41xyz", 8 * 16 + 10, 42},
        {5, "", "", 10, 26},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        ShowTooltip(0, c.id, nullptr);
        EXPECT_EQ(TheInfoText.helpId, c.id);
        EXPECT_STREQ(TheInfoText.help1, c.line1);
        EXPECT_STREQ(TheInfoText.help2, c.line2);
        EXPECT_EQ(TheInfoText.width, c.width);
        EXPECT_EQ(TheInfoText.height, c.height);
    }
    // A number with no text shows nothing at all.
    for (int16_t id : {int16_t(6), int16_t(77), int16_t(-3)}) {
        ShowTooltip(0, id, nullptr);
        EXPECT_EQ(TheInfoText.helpId, 0);
        EXPECT_EQ(TheInfoText.owner, nullptr);
    }
}

// A headless frame in one pixel layout with a grey back buffer.
class InfoTextFrameTest : public ControlDisplayFixture, public testing::WithParamInterface<int> {
protected:
    InfoTextFrameTest() : ControlDisplayFixture(GetParam()) {}
    void SetUp() override {
        ControlDisplayFixture::SetUp();
        std::memcpy(savedPalette, Palette16, sizeof savedPalette);
        grey = PackRgb16(128, 128, 128);
        Palette16[25] = PackRgb16(0, 0, 255);
        Palette16[240] = PackRgb16(255, 255, 255);
        savedFont = TheBig5Font;
        TheBig5Font = &font;
        TheGameController = new GameController;
        TheInfoText = InfoText();
        Fill(grey);
    }
    void TearDown() override {
        TheInfoText.ReleaseSurface();
        TheInfoText = InfoText();
        delete TheGameController;
        TheGameController = nullptr;
        TheBig5Font = savedFont;
        std::memcpy(Palette16, savedPalette, sizeof savedPalette);
        ControlDisplayFixture::TearDown();
    }
    static void Fill(uint16_t colour) {
        platform::Surface* back = GetBackSurface();
        platform::DDSURFACEDESC2 d;
        ASSERT_EQ(back->Lock(nullptr, &d, platform::DDLOCK_WAIT), platform::DD_OK);
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch)[x] = colour;
        back->Unlock(nullptr);
    }
    static uint16_t At(int x, int y) { return GetBackSurface()->PixelAt(x, y); }
    // Pixels of the rectangle in the text colour.
    static int TextPixels(int left, int top, int right, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                n += At(x, y) == Palette16[240];
        return n;
    }

    Window owner;
    Big5BitmapFont font;
    Big5BitmapFont* savedFont = nullptr;
    uint16_t savedPalette[256] = {};
    uint16_t grey = 0;
};

TEST_P(InfoTextFrameTest, AnItemBoxIsDrawnTranslucentAtItsOwnersCornerFromTheSeventhFrameToTheHundredth) {
    GuiPanel* panel = Panel(&owner, 200, 100, 0, 100, 100); // (100, 100) to (300, 200)
    const Block sword = Item("Sword", 1, 15, {1, 3}, {{112, 5}, {96, 3}});
    ComposeDescription(InfoText::kItemSelling, &sword, &owner, 0);
    // Five lines, the longest "攻擊力 +5" of nine bytes.
    EXPECT_EQ(TheInfoText.width, 8 * 9 + 10);
    EXPECT_EQ(TheInfoText.height, 16 * 5 + 10);
    const ClipRect box = TheInfoText.screen;
    EXPECT_EQ(box.left, 300 - 82);
    EXPECT_EQ(box.top, 200 - 90);
    EXPECT_EQ(box.right, 300);
    EXPECT_EQ(box.bottom, 200);

    for (int frame = 1; frame <= 6; ++frame)
        ComposeObjectInfo();
    EXPECT_EQ(At(box.left + 1, box.top + 1), grey) << "nothing shows before the seventh frame";
    ComposeObjectInfo();
    const uint16_t tinted = BlendPixel16(grey, Palette16[25], 100);
    EXPECT_NE(tinted, grey);
    EXPECT_EQ(At(box.left + 1, box.top + 1), tinted);
    EXPECT_EQ(At(box.right - 1, box.bottom - 1), tinted);
    EXPECT_EQ(At(box.left - 1, box.top + 1), grey);
    EXPECT_EQ(At(box.left + 1, box.bottom), grey);
    // Text in every one of the five line bands, none in the padding above them.
    for (int line = 0; line < 5; ++line)
        EXPECT_GT(TextPixels(box.left + 5, box.top + 5 + 16 * line, box.right, box.top + 5 + 16 * (line + 1)),
                  0)
            << line;
    EXPECT_EQ(TextPixels(box.left, box.top, box.right, box.top + 5), 0);

    // The same subject again keeps the count; the box goes after the hundredth frame.
    ComposeDescription(InfoText::kItemSelling, &sword, &owner, 0);
    for (int frame = 8; frame <= 100; ++frame)
        ComposeObjectInfo();
    EXPECT_EQ(TheInfoText.currentObject, &sword);
    ComposeObjectInfo();
    EXPECT_EQ(TheInfoText.currentObject, nullptr);
    Drop(panel);
}

TEST_P(InfoTextFrameTest, AHelpBoxStaysOnTheScreenAndGoesWhenItsOwnerLosesTheMouse) {
    GameHelpTexts().Parse(std::span(reinterpret_cast<const uint8_t*>("none\nBuild here\n"), 16));
    GuiPanel* corner = Panel(&owner, 30, 20, 0, 0, 0); // ends at (30, 20): the box starts at 0
    ShowTooltip(0, 1, &owner);
    EXPECT_EQ(TheInfoText.screen.left, 0);
    EXPECT_EQ(TheInfoText.screen.right, 90);
    EXPECT_EQ(TheInfoText.screen.top, 0);
    EXPECT_EQ(TheInfoText.screen.bottom, 26);

    // With the map view up, a box whose owner is not under the mouse goes.
    TheGameController->gameScreen = new MapView;
    TheMouseCursor->captured = corner;
    for (int frame = 1; frame <= 7; ++frame)
        ComposeObjectInfo();
    EXPECT_EQ(TheInfoText.helpId, 1);
    const uint16_t tinted = BlendPixel16(grey, Palette16[25], 100);
    EXPECT_EQ(At(1, 1), tinted);
    EXPECT_GT(TextPixels(5, 5, 85, 21), 0);

    Fill(grey);
    ShowTooltip(0, 1, &owner);
    TheMouseCursor->captured = nullptr;
    for (int frame = 1; frame <= 7; ++frame)
        ComposeObjectInfo();
    EXPECT_EQ(TheInfoText.owner, nullptr);
    EXPECT_EQ(At(1, 1), grey);
    delete TheGameController->gameScreen;
    TheGameController->gameScreen = nullptr;
    GameHelpTexts().Clear();
    Drop(corner);
}

TEST_P(InfoTextFrameTest, AnItemOnTheMapIsCentredOnItsCellAndCutToTheView) {
    auto* view = new MapView;
    TheGameController->gameScreen = view;
    view->viewX = 10; // the view starts at map pixel (400, 200)
    view->viewY = 20;
    const Block cloak = Item("Cloak", 2, 20, {0}, {});
    TheInfoText.anchorX = 11;
    TheInfoText.anchorY = 11;
    ComposeDescription(InfoText::kMapItem, &cloak, view, 0);
    ASSERT_EQ(TheInfoText.width, 50);
    ASSERT_EQ(TheInfoText.height, 42);
    for (int frame = 1; frame <= 7; ++frame)
        ComposeObjectInfo();
    // On the map (415, 199) to (465, 241): its top row lies above the view.
    const uint16_t tinted = BlendPixel16(grey, Palette16[25], 100);
    EXPECT_EQ(At(15, 0), tinted);
    EXPECT_EQ(At(64, 40), tinted);
    EXPECT_EQ(At(14, 0), grey);
    EXPECT_EQ(At(65, 40), grey);
    EXPECT_EQ(At(15, 41), grey);
    EXPECT_GT(TextPixels(15, 4, 65, 36), 0);
    TheGameController->gameScreen = nullptr;
    delete view;
}

TEST_P(InfoTextFrameTest, ABuildingKindWithoutANameShowsNoBox) {
    GuiPanel* panel = Panel(&owner, 200, 100, 0, 100, 100); // (100, 100) to (300, 200)
    const int32_t unknown = 23, market = 3;
    ComposeDescription(InfoText::kBuilding, &unknown, &owner, 0);
    EXPECT_EQ(TheInfoText.currentObject, nullptr);
    for (int frame = 1; frame <= 7; ++frame)
        ComposeObjectInfo();
    EXPECT_EQ(At(299, 199), grey);
    EXPECT_EQ(At(290, 190), grey);
    // A named kind at the same place does show.
    ComposeDescription(InfoText::kBuilding, &market, &owner, 0);
    for (int frame = 1; frame <= 7; ++frame)
        ComposeObjectInfo();
    EXPECT_EQ(At(299, 199), BlendPixel16(grey, Palette16[25], 100));
    Drop(panel);
}

INSTANTIATE_TEST_SUITE_P(Layouts, InfoTextFrameTest, testing::Values(565, 555));

} // namespace
