#include "DrawingFixture.h"
#include "engine/Backgrounds.h"
#include "engine/BmpFile.h"
#include "engine/FlicPlayer.h"
#include "engine/Palette8.h"
#include "engine/PcxFile.h"
#include "engine/PixelFormat.h"
#include "engine/ResourceStore.h"
#include "fuzz/seeds/builders/StoreFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

using storefix::Bytes;

TEST(BmpFile, ReadsBottomUpAndTopDownRowsAndThePalette) {
    for (bool topDown : {false, true}) {
        BmpFile bmp(storefix::BmpFile8(5, 3, topDown));
        ASSERT_TRUE(bmp.ok()) << topDown;
        EXPECT_EQ(bmp.Width(), 5);
        EXPECT_EQ(bmp.Height(), 3);
        EXPECT_EQ(bmp.RowSize(), 8);
        EXPECT_EQ(bmp.BitsPerPixel(), 8);
        EXPECT_EQ(bmp.ColourCount(), 256);
        EXPECT_EQ(bmp.Row(0)[4], 4);
        EXPECT_EQ(bmp.Row(2)[1], 5); // (x + 2y)
        uint8_t rgb[768];
        bmp.Palette(rgb);
        EXPECT_EQ(rgb[3 * 10], 10);
        EXPECT_EQ(rgb[3 * 10 + 1], 245);
        EXPECT_EQ(rgb[3 * 10 + 2], 5);
    }
}

TEST(BmpFile, RejectsHeadersTheFileCannotHold) {
    const Bytes good = storefix::BmpFile8(5, 3);
    auto patched = [&](size_t at, std::vector<uint8_t> v) {
        Bytes b = good;
        std::copy(v.begin(), v.end(), b.begin() + ptrdiff_t(at));
        return b;
    };
    struct Case {
        const char* name;
        Bytes bytes;
        bool ok;
    };
    Bytes cut = good;
    cut.resize(cut.size() - 1);
    const Case cases[] = {
        {"good", good, true},
        {"not BM", patched(0, {'X'}), false},
        {"info size", patched(14, {41}), false},
        {"planes", patched(26, {2}), false},
        {"16 bits", patched(28, {16}), false},
        {"compressed", patched(30, {1}), false},
        {"zero width", patched(18, {0, 0, 0, 0}), false},
        {"huge height", patched(22, {0, 0, 0, 0x40}), false},
        {"image size too small", patched(34, {1, 0, 0, 0}), false},
        {"image size 0 is the rows", patched(34, {0, 0, 0, 0}), true},
        {"pixels cut short", cut, false},
        {"palette cut short", Bytes(good.begin(), good.begin() + 60), false},
        {"empty", {}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BmpFile(c.bytes).ok(), c.ok) << c.name;
}

TEST(PcxFile, DecodesRunsAndThePaletteWithItsKeyColours) {
    const Bytes file = storefix::PcxFile8(5, 3);
    const Bytes pic = DecodePcx(file);
    ASSERT_EQ(pic.size(), 4u + 15u);
    EXPECT_EQ(pic[0], 4);
    EXPECT_EQ(pic[2], 2);
    EXPECT_EQ(pic[4 + 2 * 5 + 4], (4 * 3 + 2) % 256);
    EXPECT_EQ(PcxColourTable[6 * 1 + 2], 1);
    EXPECT_EQ(PcxColourTable[6 * 1 + 3], 2);
    const uint16_t p = uint16_t(PcxColourTable[6 * 100] | PcxColourTable[6 * 100 + 1] << 8);
    EXPECT_EQ(p, uint16_t(((100 & 0xF8) << 8) | ((200 & 0xFC) << 3) | (300 % 256 >> 3)));
    EXPECT_EQ(PcxColourTable[6 * 255 + 2], 0);
    EXPECT_EQ(PcxKeyColours[1][0], 255);
    EXPECT_EQ(PcxKeyColours[1][1], uint8_t(510));

    Bytes bad = file;
    bad[0] = 9;
    EXPECT_TRUE(DecodePcx(bad).empty());
    bad = file;
    bad[66] = 2; // bytes per line below the width
    bad[67] = 0;
    EXPECT_TRUE(DecodePcx(bad).empty());
    bad = Bytes(file.begin(), file.begin() + 128 + 768 + 4); // rows not all there
    EXPECT_TRUE(DecodePcx(bad).empty());
    EXPECT_TRUE(DecodePcx({}).empty());
}

TEST(FlicPlayer, PlaysBothFramesAndSavesAndRestoresTheBuffer) {
    FlicPlayer flic;
    ASSERT_TRUE(flic.Open(storefix::FlicFile(4, 3)));
    EXPECT_EQ(flic.Width(), 4);
    EXPECT_EQ(flic.FrameCount(), 2);
    ASSERT_TRUE(flic.NextFrame());
    EXPECT_TRUE(flic.TakePaletteChanged());
    EXPECT_EQ(flic.Palette()[3 * 200], 200);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(flic.Frame()[i], 7) << i;
    flic.SaveFrame();
    ASSERT_TRUE(flic.NextFrame());
    EXPECT_EQ(flic.Frame()[4 + 1], 9);
    EXPECT_EQ(flic.Frame()[4 + 2], 7);
    EXPECT_EQ(flic.Frame()[0], 7);
    flic.RestoreFrame();
    EXPECT_EQ(flic.Frame()[5], 7);
    ASSERT_TRUE(flic.NextFrame()); // wraps to the first frame
    EXPECT_EQ(flic.CurrentFrame(), 1);

    Bytes cut = storefix::FlicFile(4, 3);
    cut.resize(cut.size() - 3);
    ASSERT_TRUE(flic.Open(cut));
    EXPECT_TRUE(flic.NextFrame());
    EXPECT_FALSE(flic.NextFrame());
    Bytes bad = storefix::FlicFile(4, 3);
    bad[4] = 0x34;
    EXPECT_FALSE(flic.Open(bad));
    EXPECT_FALSE(flic.NextFrame());
}

TEST(Palette8, CreatesRotatesAndFades) {
    uint8_t rgb[768];
    for (int i = 0; i < 768; ++i)
        rgb[i] = uint8_t(i);
    DirectDrawPalette8* p = CreatePalette8(rgb, false);
    EXPECT_EQ(p->entries[1].green, 4);
    EXPECT_EQ(p->entries[0].flags, 0);
    EXPECT_EQ(p->entries[1].flags, PC_NOCOLLAPSE);
    EXPECT_EQ(p->entries[255].flags, 0);
    DirectDrawPalette8* w = CreatePalette8(rgb, true);
    EXPECT_EQ(w->entries[255].red, 255);
    EXPECT_EQ(w->entries[1].red, 128);
    EXPECT_EQ(w->entries[10].red, 30);
    int waits = 0;
    static int* counter;
    counter = &waits;
    FadePaletteToBlack(p, rgb, 32, [] { ++*counter; });
    EXPECT_EQ(waits, 16);
    EXPECT_EQ(p->entries[100].red, 0);
    delete p;
    delete w;
    delete CreateBlackPalette8();
    RotatePaletteRange(rgb, 2, 3);
    EXPECT_EQ(rgb[6], 12); // entry 4 moved to 2
    EXPECT_EQ(rgb[9], 6);
    RotatePaletteRange(rgb, 250, 10); // past the table: nothing
}

TEST(Backgrounds, PathsForStagesFallBackToTheDefaults) {
    testsupport::TempFolder folder;
    static int stage = 7;
    TheBackgroundHooks.stageNumber = [] { return stage; };
    char path[64];
    BackgroundPath(8, path, sizeof path);
    EXPECT_STREQ(path, "BigMap00.bmp");
    storefix::WriteBytes(folder.path() / "bigmap07.bmp", {1});
    BackgroundPath(8, path, sizeof path);
    EXPECT_STREQ(path, "BigMap07.bmp");
    BackgroundPath(20, path, sizeof path);
    EXPECT_STREQ(path, "Story11.bmp");
    BackgroundPath(14, path, sizeof path);
    EXPECT_STREQ(path, "mainmenu.bmp");
    BackgroundPath(21, path, sizeof path);
    EXPECT_STREQ(path, "");
    TheBackgroundHooks = {};
}

TEST(Backgrounds, CopiesOnlyWhatThePictureCovers) {
    testsupport::TempFolder folder;
    storefix::WriteStoreFolder(folder.path());
    TestDisplay display(565);
    for (int i = 0; i < 256; ++i)
        Palette16[i] = uint16_t(0x1000 + i);
    static int recorded = -1, resets = 0;
    TheBackgroundHooks.recordNumber = [](int n) { recorded = n; };
    TheBackgroundHooks.resetBackground = [] { ++resets; };
    ResourceStore store;
    TheResourceStore = &store;
    store.CreateWorkSurfaces();
    // Fill the back surface so that the uncovered part shows.
    platform::Surface* back = GetBackSurface();
    platform::DDSURFACEDESC2 d;
    ASSERT_EQ(back->Lock(nullptr, &d, platform::DDLOCK_WAIT), platform::DD_OK);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch)[x] = 0x5555;
    back->Unlock(nullptr);
    EXPECT_EQ(LoadScreenBackground(0), 1); // "title.bmp", 5 x 3
    EXPECT_EQ(recorded, 0);
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(back->PixelAt(4, 2), 0x1000 + 8);
    EXPECT_EQ(back->PixelAt(5, 0), 0x5555);
    EXPECT_EQ(back->PixelAt(0, 3), 0x5555);
    EXPECT_EQ(GetPrimarySurface()->PixelAt(1, 1), 0x1000 + 3);
    EXPECT_EQ(GlobalPalette8[3 * 10], 10);
    EXPECT_EQ(LoadScreenBackground(2), 0); // missing
    EXPECT_EQ(LoadScreenBackground(-1), 0);
    TheBackgroundHooks = {};
    TheResourceStore = nullptr;
}
