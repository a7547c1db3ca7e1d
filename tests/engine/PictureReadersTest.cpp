#include "engine/PictureReaders.h"
#include "fuzz/seeds/builders/PictureFixtures.h"
#include "support/TempFolder.h"

#include "DrawingFixture.h"

#include <gtest/gtest.h>

#include <tuple>

#include <filesystem>
#include <fstream>

using namespace picfix;

TEST(PictureReadersTest, BgrPicturesAreReadBottomUpWithRowPaddingInBothLayouts) {
    for (uint32_t w : {1u, 3u, 4u, 5u}) {
        Bytes file = bgrPicture(w, 3, gradient);
        EXPECT_EQ(file.size(), 8 + 3 * ((w * 3 + 3) / 4 * 4)); // width 1: one pad byte, width 4: none
        for (int layout : {565, 555}) {
            auto img = DecodeXmpPicture(file, layout);
            ASSERT_TRUE(img) << w;
            EXPECT_EQ(img->width, static_cast<int32_t>(w));
            EXPECT_EQ(img->height, 3);
            for (uint32_t y = 0; y < 3; ++y)
                for (uint32_t x = 0; x < w; ++x)
                    EXPECT_EQ(img->pixels[y * w + x],
                              layout == 565 ? pack565(gradient(x, y)) : pack555(gradient(x, y)));
        }
    }
}

TEST(PictureReadersTest, BadBgrPicturesGiveNull) {
    Bytes good = bgrPicture(5, 4, gradient);
    // Every cut that loses pixel bytes fails; only the last row's padding may be missing.
    for (size_t n = 0; n < good.size(); ++n) {
        Bytes cut(good.begin(), good.begin() + static_cast<ptrdiff_t>(n));
        bool enough = n >= good.size() - 1; // 5 * 3 = 15 bytes + 1 padding in the last row
        EXPECT_EQ(DecodeXmpPicture(cut, 565) != nullptr, enough) << n;
    }
    Bytes huge;
    le32(huge, 0x40000000);
    le32(huge, 0x40000000);
    huge.resize(64);
    EXPECT_FALSE(DecodeXmpPicture(huge, 565));
    Bytes empty;
    le32(empty, 0);
    le32(empty, 1000000);
    EXPECT_FALSE(DecodeXmpPicture(empty, 565));
}

TEST(PictureReadersTest, XmpAndRawPictureFilesThroughTheDisplay) {
    for (int layout : {565, 555}) {
        TestDisplay display(layout);
        ASSERT_TRUE(display.ok);
        testsupport::TempFolder folder;
        Bytes file = bgrPicture(3, 2, gradient);
        // A pixel of three zero bytes stays 0, the transparent value.
        file[8] = file[9] = file[10] = 0;
        testsupport::TempFolder::Write("Pic.xmp", file);
        testsupport::TempFolder::Write("pic.raw", file);

        auto img = ReadXmpPicture("pic");
        ASSERT_TRUE(img);
        EXPECT_EQ(img->pixels[3], 0); // bottom row, first pixel
        EXPECT_EQ(img->pixels[1], layout == 565 ? pack565(gradient(1, 0)) : pack555(gradient(1, 0)));
        EXPECT_FALSE(ReadXmpPicture("missing"));

        struct Image {
            int16_t width = 0, height = 0;
            platform::Surface* surface = nullptr;
        };
        Image* raw = ReadRawPicture<Image>("PIC.RAW");
        ASSERT_TRUE(raw);
        EXPECT_EQ(raw->width, 3);
        EXPECT_EQ(raw->height, 2);
        ASSERT_GT(raw->surface->pitch(), 6); // padded rows
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(raw->surface->PixelAt(x, y), img->pixels[y * 3 + x]);
        raw->surface->Release();
        delete raw;
        EXPECT_EQ(ReadRawPicture<Image>("pic"), nullptr); // the name is used exactly as given
    }
}

TEST(PictureReadersTest, RawPictureGivesUpWhenTheSurfaceCannotBeMadeOrLocked) {
    Bytes file = bgrPicture(2, 2, gradient);
    int32_t w = 0, h = 0;
    EXPECT_EQ(DecodeRawPicture(
                  file, 565, [](int, int) { return static_cast<platform::Surface*>(nullptr); }, &w, &h),
              nullptr);
    // A busy surface is retried until the lock succeeds.
    platform::Surface* made = nullptr;
    platform::Surface* s = DecodeRawPicture(
        file, 565,
        [&](int width, int height) {
            made = new platform::Surface(width, height, 565, width * 2 + 6, platform::DDSCAPS_OFFSCREENPLAIN);
            made->SimulateBusy(3);
            return made;
        },
        &w, &h);
    ASSERT_EQ(s, made);
    EXPECT_EQ(s->PixelAt(1, 1), pack565(gradient(1, 1)));
    s->Release();
}

TEST(PictureReadersTest, PsdFirstLayerBecomesA565Picture) {
    auto img = DecodePsdPicture(simplePsd());
    ASSERT_TRUE(img);
    EXPECT_EQ(img->width, 3);
    EXPECT_EQ(img->height, 2);
    const Rgb want[6] = {{0xFF, 0x44, 0x08}, {0x80, 0x44, 0x10}, {0x00, 0x44, 0x10},
                         {0x10, 1, 0xF8},    {0x20, 2, 0xF8},    {0x30, 0xFC, 0xF8}};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(img->pixels[i], pack565(want[i])) << i;
    // A negative layer count is taken by its size.
    auto neg = DecodePsdPicture(simplePsd(-1));
    ASSERT_TRUE(neg);
    EXPECT_EQ(neg->pixels, img->pixels);
}

TEST(PictureReadersTest, PsdMaskChannelIsAppliedAndPackBitsRunsDecode) {
    // 130 wide, one row: -128 repeats the next byte 129 times, 0 gives one byte.
    Layer l{0, 0, 1, 130, {}};
    l.channels.push_back(packedChannel({{0x80, 0xF0, 0x00, 0x0F}})); // mask: 129 x F0, then 0F
    l.channels.push_back(packedChannel({{0x80, 0xFF, 0x00, 0xFF}}));
    l.channels.push_back(packedChannel({{0x80, 0x3C, 0x00, 0x3C}}));
    l.channels.push_back(rawChannel(Bytes(130, 0xAA)));
    auto img = DecodePsdPicture(psdFile(130, 1, {l}, 1));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->pixels[0], pack565({0xF0, 0x30, 0xA0}));
    EXPECT_EQ(img->pixels[128], pack565({0xF0, 0x30, 0xA0}));
    EXPECT_EQ(img->pixels[129], pack565({0x0F, 0x0C, 0x0A}));
}

TEST(PictureReadersTest, PsdLayerPlacedInsideAndPartlyOutsideThePicture) {
    // A 2 x 2 layer at (1, 1) of a 3 x 3 picture, and one hanging over the top-left corner.
    for (auto [top, left] : {std::pair{1, 1}, std::pair{-1, -1}}) {
        Layer l{top, left, top + 2, left + 2, {}};
        for (int c = 0; c < 3; ++c)
            l.channels.push_back(rawChannel({0x11, 0x22, 0x33, 0x44}));
        auto img = DecodePsdPicture(psdFile(3, 3, {l}, 1));
        ASSERT_TRUE(img);
        int drawn = 0;
        for (uint16_t p : img->pixels)
            drawn += p != 0;
        EXPECT_EQ(drawn, top == 1 ? 4 : 1);
        EXPECT_EQ(img->pixels[top == 1 ? 8 : 0], pack565({0x44, 0x44, 0x44}));
    }
}

TEST(PictureReadersTest, PsdEmptyLayerOfHugeHeightReadsNothing) {
    Layer l{0, 0, 0x7FFFFFF0, 0, {}};
    for (int c = 0; c < 3; ++c)
        l.channels.push_back(rawChannel({}));
    auto img = DecodePsdPicture(psdFile(2, 2, {l}, 1));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->pixels, (std::vector<uint16_t>(4, 0)));
}

TEST(PictureReadersTest, BadPsdFilesGiveNull) {
    Bytes good = simplePsd();
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(DecodePsdPicture(Bytes(good.begin(), good.begin() + static_cast<ptrdiff_t>(n)))) << n;

    Layer twoChannels{0, 0, 1, 1, {rawChannel({1}), rawChannel({2})}};
    Layer inverted{2, 0, 1, 1, {rawChannel({1}), rawChannel({1}), rawChannel({1})}};
    Layer longLiteral{
        0, 0, 1, 4, {packedChannel({{0x05, 1, 2}}), rawChannel(Bytes(4, 1)), rawChannel(Bytes(4, 1))}};
    Layer repeatWithoutByte{
        0, 0, 1, 4, {packedChannel({{0xFD}}), rawChannel(Bytes(4, 1)), rawChannel(Bytes(4, 1))}};
    Layer countsPastEnd{0, 0, 300, 1, {}};
    countsPastEnd.channels.push_back({0, 1, 0x10});
    struct Case {
        const char* what;
        Bytes file;
    } cases[] = {
        {"no layers", psdFile(1, 1, {}, 0)},
        {"two channels", psdFile(1, 1, {twoChannels}, 1)},
        {"inverted rectangle", psdFile(1, 1, {inverted}, 1)},
        {"literal run past the row", psdFile(4, 1, {longLiteral}, 1)},
        {"repeat without its byte", psdFile(4, 1, {repeatWithoutByte}, 1)},
        {"row counts past the end", psdFile(1, 300, {countsPastEnd}, 1)},
        {"more layers than records", psdFile(3, 2, {}, 5)},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(DecodePsdPicture(c.file)) << c.what;

    Bytes huge = simplePsd();
    huge[14] = huge[18] = 0x7F; // height and width of 2^31 and more
    EXPECT_FALSE(DecodePsdPicture(huge));

    testsupport::TempFolder folder;
    testsupport::TempFolder::Write("doc.psd", good);
    auto img = ReadPsdPicture("doc");
    ASSERT_TRUE(img);
    EXPECT_EQ(img->width, 3);
    EXPECT_FALSE(ReadPsdPicture("nothing"));
}

TEST(PictureReadersTest, BigEndianFieldsAndSurfaceFromImage) {
    testsupport::TempFolder folder;
    testsupport::TempFolder::Write("be.bin", std::vector<uint8_t>{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE});
    platform::HFILE f = platform::_lopen("be.bin", platform::OF_READ);
    ASSERT_NE(f, platform::HFILE_ERROR);
    EXPECT_EQ(ReadBigEndian32(f), 0x12345678u);
    EXPECT_EQ(ReadBigEndian16(f), 0x9ABC);
    EXPECT_EQ(ReadBigEndian16(f), 0xDE00); // the missing byte reads as 0
    platform::_lclose(f);

    TestDisplay display(565);
    StoreImage image{3, 2, {1, 2, 3, 4, 5, 6}};
    platform::Surface* s = SurfaceFromImage(image);
    ASSERT_TRUE(s);
    EXPECT_GT(s->pitch(), 6);
    EXPECT_EQ(SurfacePixels(s), image.pixels);
    platform::DDCOLORKEY key{1, 1};
    EXPECT_EQ(s->GetColorKey(platform::DDCKEY_SRCBLT, &key), platform::DD_OK);
    EXPECT_EQ(key.dwColorSpaceLowValue, 0u);
    s->Release();
    StoreImage shortImage{3, 2, {1, 2}};
    EXPECT_EQ(SurfaceFromImage(shortImage), nullptr);
}
