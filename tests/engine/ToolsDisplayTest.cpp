#include "engine/ToolsDisplay.h"
#include "support/TempFolder.h"

#include "DrawingFixture.h"
#include "engine/Archive.h"
#include "engine/Tools.h"
#include "fuzz/seeds/builders/ArchiveFixtures.h"
#include "platform/GdiText.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const char* kSanGuo = "\xA4\x54\xB0\xEA"; // 三國

platform::HFONT mingFont(int size) {
    platform::LOGFONTA lf;
    lf.lfHeight = -size;
    std::strcpy(lf.lfFaceName, "\xB2\xD3\xA9\xFA\xC5\xE9"); // 細明體
    return platform::CreateFontIndirectA(&lf);
}

} // namespace

TEST(ToolsDisplayTest, TextOutRightEndsTheTextAtTheRightEdge) {
    auto* s = new platform::Surface(200, 30, 565, 420, platform::DDSCAPS_OFFSCREENPLAIN);
    platform::HFONT font = mingFont(16);
    std::string text = std::string("12") + kSanGuo; // 2 x 8 + 2 x 16 = 48 pixels
    Zu_Tools::TextOutRight(s, font, platform::RGB(255, 0, 0), 150, 5, text.c_str());
    int minX = 1000, maxX = -1;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 200; ++x) {
            uint16_t p = s->PixelAt(x, y);
            ASSERT_TRUE(p == 0 || p == 0xF800);
            if (p) minX = std::min(minX, x), maxX = std::max(maxX, x);
        }
    EXPECT_GE(minX, 150 - 48);
    EXPECT_LT(maxX, 150);
    EXPECT_GT(maxX, 150 - 16);

    // The context goes back: the surface locks again; no surface or no text draws nothing.
    platform::DDSURFACEDESC2 d;
    EXPECT_EQ(s->Lock(nullptr, &d, 0), platform::DD_OK);
    s->Unlock(nullptr);
    Zu_Tools::TextOutRight(nullptr, font, 0, 10, 10, "x");
    Zu_Tools::TextOutRight(s, font, 0, 10, 10, nullptr);
    platform::DeleteObject(font);
    s->Release();
}

TEST(ToolsDisplayTest, RomPictureBecomesAKeyedSurfaceInBothLayouts) {
    const std::vector<uint16_t> pixels = {0x07E0, 0x1234, 0xFFFF, 0x0001, 0x07E0, 0xF800};
    const archfix::Bytes picture = archfix::Picture(3, 2, pixels);
    archfix::Layout rom;
    rom.entries = {archfix::Stored(picture), archfix::Packed(picture), archfix::Empty(),
                   archfix::Stored(archfix::Bytes(picture.begin(), picture.begin() + 20))};
    for (int layout : {565, 555}) {
        TestDisplay display(layout);
        ASSERT_TRUE(display.ok);
        testsupport::TempFolder folder;
        archfix::WriteFile("Zu_DataC.Rom", archfix::Build(rom));
        Zu_Archive a;
        ASSERT_EQ(a.Open("zu_datac.rom", platform::OF_READ, platform::OF_SHARE_DENY_NONE, 0, -1, nullptr), 1);
        for (int index : {0, 1}) {
            platform::Surface* s = LoadRomSurface(a, index);
            ASSERT_TRUE(s) << index;
            EXPECT_EQ(s->width(), 3);
            EXPECT_EQ(s->height(), 2);
            EXPECT_GT(s->pitch(), 6);
            std::vector<uint16_t> want;
            for (uint16_t p : pixels)
                want.push_back(p == 0x07E0 ? 0 : layout == 555 ? ConvertPixel565To555(p) : p);
            EXPECT_EQ(SurfacePixels(s), want) << layout << " entry " << index;
            platform::DDCOLORKEY key{5, 5};
            s->GetColorKey(platform::DDCKEY_SRCBLT, &key);
            EXPECT_EQ(key.dwColorSpaceLowValue, 0u);
            s->Release();
        }
        EXPECT_EQ(LoadRomSurface(a, 2), nullptr); // empty entry
        EXPECT_EQ(LoadRomSurface(a, 3), nullptr); // no pixels
        EXPECT_EQ(LoadRomSurface(a, 9), nullptr); // no such entry
    }
}

// The outline scan draws into a scratch surface of its own: it reports where the text's pixels
// lie, grows with the text, and leaves nothing behind.
TEST(ToolsDisplayTest, ScanTextOutlineFindsTheDrawnRows) {
    TestDisplay display(565);
    ASSERT_TRUE(display.ok);
    platform::HFONT font = mingFont(16);
    const Zu_Tools::TextOutline one = Zu_Tools::ScanTextOutline(font, "1");
    EXPECT_GE(one.left, 0);
    EXPECT_LE(one.right, 8);
    EXPECT_GT(one.right, one.left);
    EXPECT_GE(one.top, 0);
    EXPECT_LE(one.bottom, 16);
    EXPECT_GT(one.bottom, one.top);
    const Zu_Tools::TextOutline wide = Zu_Tools::ScanTextOutline(font, (std::string("11") + kSanGuo).c_str());
    EXPECT_EQ(wide.left, one.left);
    EXPECT_GT(wide.right, 16);
    EXPECT_LE(wide.right, 48);
    EXPECT_EQ(Zu_Tools::ScanTextOutline(font, ""), Zu_Tools::TextOutline{});
    EXPECT_EQ(Zu_Tools::ScanTextOutline(font, nullptr), Zu_Tools::TextOutline{});
    platform::DeleteObject(font);
}
