#include "Program/Palettes.h"
#include "support/TempFolder.h"

#include "engine/PixelFormat.h"
#include "world/RandomMapTables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testsupport::TempFolder;

namespace {

// Entry i is (i, 255 - i, i / 2), except entry 0 (9, 9, 9) and entry 1 white.
std::string PaletteBytes(size_t size = 768) {
    std::string rgb(768, '\0');
    for (int i = 0; i < 256; ++i) {
        rgb[3 * i] = static_cast<char>(i);
        rgb[3 * i + 1] = static_cast<char>(255 - i);
        rgb[3 * i + 2] = static_cast<char>(i / 2);
    }
    rgb[0] = rgb[1] = rgb[2] = 9;
    rgb[3] = rgb[4] = rgb[5] = static_cast<char>(255);
    rgb.resize(size);
    return rgb;
}

uint16_t Expected(int i, bool is555) {
    uint8_t r = static_cast<uint8_t>(i), g = static_cast<uint8_t>(255 - i), b = static_cast<uint8_t>(i / 2);
    if (i == 0) r = g = b = 9;
    if (i == 1) r = g = b = 255;
    return is555 ? Rgb555(r, g, b) : Rgb565(r, g, b);
}

} // namespace

TEST(Palettes, PixelFormulas) {
    struct Case {
        uint8_t r, g, b;
        uint16_t p565, p555;
    };
    const Case cases[] = {
        {255, 255, 255, 0xFFFF, 0x7FFF},
        {0, 0, 0, 0, 0},
        {255, 0, 0, 0xF800, 0x7C00},
        {0, 255, 0, 0x07E0, 0x03E0},
        {0, 0, 255, 0x001F, 0x001F},
        {8, 4, 8, 0x0821, 0x0401},
        {7, 3, 7, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Rgb565(c.r, c.g, c.b), c.p565) << int(c.r) << "," << int(c.g) << "," << int(c.b);
        EXPECT_EQ(Rgb555(c.r, c.g, c.b), c.p555) << int(c.r) << "," << int(c.g) << "," << int(c.b);
    }
    // Converting a 5-6-5 colour gives the direct 5-5-5 colour.
    for (int v = 0; v < 256; ++v)
        for (int w : {0, 77, 255}) {
            const uint8_t a = static_cast<uint8_t>(v), c = static_cast<uint8_t>(w);
            for (auto [r, g, b] : {std::tuple{a, c, c}, std::tuple{c, a, c}, std::tuple{c, c, a}}) {
                const uint16_t p = Rgb565(r, g, b);
                EXPECT_EQ(static_cast<uint16_t>(((p >> 1) & 0x7FE0) | (p & 31)), Rgb555(r, g, b));
            }
        }
}

TEST(Palettes, ChainFillsTablesInBothLayouts) {
    TempFolder folder;
    for (const char* name :
         {"Kardol.pal", "OldPalette.pal", "morvek01.pal", "Morvek02.PAL", "000.pal", "005.pal"})
        TempFolder::Write(name, PaletteBytes());
    for (bool is555 : {false, true}) {
        SCOPED_TRACE(is555 ? "555" : "565");
        Palettes p;
        std::vector<std::string> log;
        EXPECT_EQ(p.Load(is555, [&](const std::string& m) { log.push_back(m); }), 6);
        EXPECT_TRUE(log.empty());
        for (int i = 1; i < 256; ++i) {
            ASSERT_EQ(p.mainTable[i], Expected(i, is555)) << i;
            ASSERT_EQ(p.pictureTable[i], Expected(i, is555)) << i;
            ASSERT_EQ(p.specialTable1[i], Expected(i, is555)) << i;
            ASSERT_EQ(p.specialTable2[i], Expected(i, is555)) << i;
            ASSERT_EQ(p.Numbered(5)[i], Expected(i, is555)) << i;
        }
        EXPECT_EQ(p.mainTable[1], is555 ? 0x7FFF : 0xFFFF);
        // Entry 0 is cleared except in the two special tables.
        EXPECT_EQ(p.mainTable[0], 0);
        EXPECT_EQ(p.pictureTable[0], 0);
        EXPECT_EQ(p.Numbered(0)[0], 0);
        EXPECT_EQ(p.specialTable1[0], Expected(0, is555));
        EXPECT_EQ(p.specialTable2[0], Expected(0, is555));
        for (int n = 0; n < Palettes::kNumbered; ++n)
            EXPECT_EQ(p.Numbered(n) != nullptr, n == 0 || n == 5) << n;
        EXPECT_EQ(p.Numbered(140), nullptr);
    }
}

TEST(Palettes, MissingFileEndsTheChain) {
    TempFolder folder;
    TempFolder::Write("Kardol.pal", PaletteBytes());
    TempFolder::Write("Morvek01.pal", PaletteBytes());
    TempFolder::Write("000.pal", PaletteBytes());
    Palettes p;
    EXPECT_EQ(p.Load(false), 1);
    EXPECT_EQ(p.mainTable[1], 0xFFFF);
    EXPECT_EQ(p.pictureTable[1], 0);
    EXPECT_EQ(p.specialTable1[1], 0);
    EXPECT_EQ(p.Numbered(0), nullptr);
    Palettes none;
    std::filesystem::remove("Kardol.pal");
    std::vector<std::string> log;
    EXPECT_EQ(none.Load(false, [&](const std::string& m) { log.push_back(m); }), 0);
    EXPECT_EQ(log, std::vector<std::string>{"Kardol.pal: no palette file"}) << "reported like a short one";
}

TEST(Palettes, ShortFileIsZeroFilledAndReported) {
    TempFolder folder;
    TempFolder::Write("Kardol.pal", PaletteBytes());
    TempFolder::Write("OldPalette.pal", PaletteBytes(100));
    Palettes p;
    std::vector<std::string> log;
    EXPECT_EQ(p.Load(false, [&](const std::string& m) { log.push_back(m); }), 2);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("OldPalette.pal"), std::string::npos);
    EXPECT_EQ(p.pictureTable[32], Expected(32, false));
    EXPECT_EQ(p.pictureTable[33], Rgb565(33, 0, 0)); // byte 99 is the last one there
    EXPECT_EQ(p.pictureTable[34], 0);                // not the previous file's colour
    EXPECT_EQ(p.pictureTable[255], 0);
}

TEST(Palettes, GlobalLoadFollowsTheDisplayLayout) {
    TempFolder folder;
    TempFolder::Write("Kardol.pal", PaletteBytes());
    const int32_t saved = PixelFormat;
    PixelFormat = 555;
    LoadPalettes();
    EXPECT_EQ(Palette16[1], 0x7FFF);
    EXPECT_EQ(Palette16[0], 0);
    PixelFormat = 565;
    LoadPalettes();
    EXPECT_EQ(Palette16[1], 0xFFFF);
    EXPECT_EQ(Palette16[200], Expected(200, false));
    PixelFormat = saved;
}

// "Morvek01.pal" holds the nations' shared colour table: row n is its entries 16n to
// 16n + 15 and entry 7 of a row is that nation's own colour; nations past 15 have no colours.
TEST(Palettes, LoadingFillsTheNationRampsFromMorvek01) {
    TempFolder folder;
    std::string ramps(768, '\0');
    for (int i = 0; i < 256; ++i) {
        ramps[3 * i] = static_cast<char>(i / 16 * 16);    // red names the row
        ramps[3 * i + 2] = static_cast<char>(i % 16 * 8); // blue the entry in it
    }
    for (const char* name : {"Kardol.pal", "OldPalette.pal", "Morvek02.pal"})
        TempFolder::Write(name, PaletteBytes());
    TempFolder::Write("Morvek01.pal", ramps);
    const int32_t saved = PixelFormat;
    const auto keep = NationColourTable;
    const ColourTable keepSpecial = GamePalettes().specialTable1;
    NationColourTable = {};
    for (int32_t format : {565, 555}) {
        SCOPED_TRACE(format);
        PixelFormat = format;
        LoadPalettes();
        for (int n = 0; n < 16; ++n)
            for (int e = 0; e < 16; ++e) {
                const uint8_t r = uint8_t(n * 16), b = uint8_t(e * 8);
                ASSERT_EQ(NationColourTable[n][e], format == 555 ? Rgb555(r, 0, b) : Rgb565(r, 0, b))
                    << n << "/" << e;
            }
        for (size_t n = 16; n < NationColourTable.size(); ++n)
            ASSERT_EQ(NationColourTable[n], ColourRow{}) << n;
        // The main table stays the drawing code's own.
        EXPECT_EQ(Palette16[1], format == 555 ? 0x7FFF : 0xFFFF);
    }
    EXPECT_EQ(NationColourTable[2][7], Rgb555(32, 0, 56));
    PixelFormat = saved;
    NationColourTable = keep;
    GamePalettes().specialTable1 = keepSpecial;
}
