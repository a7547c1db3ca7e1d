#include "engine/NumberTable.h"
#include "engine/NumberFont.h"
#include "engine/StoreImage.h"
#include "fuzz/seeds/builders/StoreFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

namespace {

std::vector<double> Parse(const std::string& text, int capacity = 16) {
    std::vector<double> table(capacity, -7.0);
    const int n = ParseNumberTable({reinterpret_cast<const uint8_t*>(text.data()), text.size()}, table.data(),
                                   capacity);
    table.resize(size_t(n));
    return table;
}

} // namespace

TEST(NumberTable, ParsesWordsUpToTheirBlankAndStopsWhereTheFileSays) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<double> expected;
        int capacity = 16;
    };
    const std::vector<Case> cases = {
        {"comment", "12.5 gravity\r\n", {12.5}},
        {"end stops whatever follows", "1 a\r\n2 b\r\nend\r\n3 c\r\n", {1, 2}},
        {"LF only", "1 a\n2 b\n3 c\n", {1, 2, 3}},
        {"no end, stops at end of file", "4 x\r\n5 y", {4, 5}},
        {"line without blank stops", "1 a\r\n2\r\n3 c\r\n", {1}},
        {"not a number is 0", "abc x\r\n7 y\r\n", {0, 7}},
        {"table end", "1 a\n2 b\n3 c\n4 d\n", {1, 2}, 2},
        {"long word bounded", std::string(200, '9') + " x\n8 y\n", {}, 16},
        {"tab is a blank", "6\tcomment\r\n", {6}},
    };
    for (const Case& c : cases) {
        const auto got = Parse(c.text, c.capacity);
        if (std::string(c.name) == "long word bounded") {
            ASSERT_EQ(got.size(), 2u) << c.name;
            EXPECT_GT(got[0], 1e60) << c.name;
            EXPECT_EQ(got[1], 8) << c.name;
            continue;
        }
        EXPECT_EQ(got, c.expected) << c.name;
    }
}

TEST(NumberTable, ReadsDecimalPointsInTheCLocaleWhateverTheProgramLocale) {
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    // A locale with a decimal comma, when the machine has one; the parse must not follow it.
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    const auto got = Parse("0.25 x\r\n");
    std::setlocale(LC_NUMERIC, before.c_str());
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], 0.25);
}

TEST(NumberTable, LoadsDataTxtOfTheWorkingFolderAndLeavesTheTableWhenMissing) {
    testsupport::TempFolder folder;
    NumberTableValues[5] = 0;
    NumberTableValues[89] = 0;
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += std::to_string(i * 2) + ".5 entry\r\n";
    text += "end\r\n";
    storefix::WriteBytes(folder.path() / "data.txt", storefix::Bytes(text.begin(), text.end()));
    NumberTable table;
    EXPECT_EQ(NumberTableValues[5], 10.5);
    EXPECT_EQ(NumberTableValues[89], 178.5);

    std::filesystem::remove(folder.path() / "data.txt");
    NumberTableValues[3] = 42;
    NumberTable missing;
    EXPECT_EQ(NumberTableValues[3], 42);
}

TEST(NumberFont, DigitCount) {
    const std::pair<int32_t, int> cases[] = {{0, 1}, {9, 1}, {99, 2}, {100, 3}, {-45, 2}, {2147483647, 10}};
    for (auto [value, digits] : cases)
        EXPECT_EQ(NumberFont::DigitCount(value), digits) << value;
}

TEST(NumberFont, CutsStripsIntoGlyphsAndRecolours0x00FE) {
    StoreImage s0{32, 2, {}}, s1{48, 3, {}}, s2{34, 1, {}};
    for (StoreImage* s : {&s0, &s1, &s2}) {
        s->pixels.resize(size_t(s->width) * s->height);
        for (int y = 0; y < s->height; ++y)
            for (int x = 0; x < s->width; ++x)
                s->pixels[size_t(y) * s->width + x] = x % 2 ? 0x00FE : uint16_t(0x1000 + x + 100 * y);
    }
    const StoreImage* strips[3] = {&s0, &s1, &s2};
    NumberFont font(strips);
    EXPECT_EQ(font.glyphWidth[0], 2);
    EXPECT_EQ(font.glyphHeight[1], 3);
    EXPECT_EQ(font.glyphWidth[2], 2);
    EXPECT_EQ(font.firstColour, 0x00FE);
    EXPECT_EQ(font.secondColour, 0x00F1);
    ASSERT_TRUE(font.normal[0][15]);
    EXPECT_EQ(font.normal[0][16], nullptr);
    ASSERT_TRUE(font.normal[2][16]);
    // Glyph 3 of size 0 is columns 6 and 7 of the strip.
    EXPECT_EQ(font.normal[0][3]->pixels[0], 0x1006);
    EXPECT_EQ(font.normal[0][3]->pixels[1], 0x00FE);
    EXPECT_EQ(font.recoloured[0][3]->pixels[0], 0x1006);
    EXPECT_EQ(font.recoloured[0][3]->pixels[1], 0x007A);
    EXPECT_EQ(font.normal[0][3]->pixels[2], 0x1006 + 100);
}

TEST(NumberFont, MissingOrNarrowStripsLeaveTheFontEmpty) {
    StoreImage narrow{10, 2, std::vector<uint16_t>(20, 1)};
    const StoreImage* strips[3] = {nullptr, &narrow, nullptr};
    NumberFont font(strips);
    for (int s = 0; s < 3; ++s) {
        EXPECT_EQ(font.glyphWidth[s], 0);
        EXPECT_EQ(font.normal[s][0], nullptr);
    }
    // Drawing with an empty font touches nothing.
    std::vector<uint16_t> area(64, 5);
    font.DrawDigits({area.data(), 8, 8, 8}, 0, 0, 1, 12, true, false, true, true);
    EXPECT_EQ(area, std::vector<uint16_t>(64, 5));
    NumberFont fromNoStore; // no store made: no glyphs, no crash
    EXPECT_EQ(fromNoStore.normal[0][0], nullptr);
}

TEST(NumberFont, BlitMasked16SkipsZeroOnRequestAndCutsAtTheEdges) {
    uint16_t pixels[4] = {1, 0, 3, 4};
    GlyphImage image{2, 2, pixels, nullptr};
    std::vector<uint16_t> area(9, 7);
    GlyphTarget t{area.data(), 3, 3, 3};
    BlitMasked16(t, 2, 2, image, true); // only the top-left pixel lies inside
    EXPECT_EQ(area, (std::vector<uint16_t>{7, 7, 7, 7, 7, 7, 7, 7, 1}));
    BlitMasked16(t, -1, 0, image, false);
    EXPECT_EQ(area[0], 0);
    EXPECT_EQ(area[3], 4);
    BlitMasked16(t, 0, 0, image, true);
    EXPECT_EQ(area[1], 7); // kept: the source pixel is 0
    EXPECT_EQ(area[0], 1);
}

TEST(NumberFont, DrawDigitsFillsTheFieldAndAlignsTheGlyphs) {
    StoreImage strip{16, 1, {}};
    for (int i = 0; i < 16; ++i)
        strip.pixels.push_back(uint16_t(0x100 + i)); // glyph i is one pixel of 0x100 + i
    const StoreImage* strips[3] = {&strip, nullptr, nullptr};
    NumberFont font(strips);
    font.SetStyle(0x0055, 0, 0, 0, 3, 4);
    EXPECT_EQ(font.positionX, 3);
    std::vector<uint16_t> area(10, 0);
    GlyphTarget t{area.data(), 10, 10, 1};
    font.DrawDigits(t, 1, 0, 0, -42, true, false, false, true);
    // Eight positions from column 1: field colour, then "-42" and the suffix at the right.
    EXPECT_EQ(area, (std::vector<uint16_t>{0, 0x55, 0x55, 0x55, 0x55, 0x10B, 0x104, 0x102, 0x10C, 0}));
    font.DrawDigits(t, 0, 0, 0, 7, false, false, true, false);
    EXPECT_EQ(area[0], 0x10A);
    EXPECT_EQ(area[1], 0x107);
    EXPECT_EQ(area[2], 0x55);
    uint8_t a[3] = {1, 2, 3}, b[3] = {};
    CopyRow8(b, a, 3);
    EXPECT_EQ(b[2], 3);
}
