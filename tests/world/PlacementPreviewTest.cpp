#include "ItemFixture.h"
#include "WorldFixture.h"

#include "engine/AniFrame.h"
#include "engine/DisplayDevice.h"
#include "engine/DrawingFixture.h"
#include "engine/GameFileWriters.h"
#include "engine/PixelFormat.h"
#include "engine/Random.h"
#include "engine/ResourceStore.h"
#include "fuzz/seeds/builders/StoreFixtures.h"
#include "platform/CRand.h"
#include "platform/Surface.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace worldtest;

namespace {

struct Preview : testing::Test {
    TestDisplay display{565};
    World w;
    MapView& view = w.View();
    platform::Surface* surface = CreateOffscreenSurface(800, 560);
    ~Preview() override {
        if (surface) surface->Release();
    }
    int RowWidth(int y) const {
        int n = 0;
        for (int x = 0; x < 800; ++x)
            n += surface->PixelAt(x, y) != 0;
        return n;
    }
    int RowStart(int y) const {
        for (int x = 0; x < 800; ++x)
            if (surface->PixelAt(x, y) != 0) return x;
        return -1;
    }
};

TEST_F(Preview, ThePickedCellFollowsTheQuadrantAndTheParityOfThePickSize) {
    const struct {
        int pick, originX, originY, mouseX, mouseY;
        int x, y;
    } cases[] = {
        {2, 0, 0, 40, 10, 1, 0}, // bottom right, inside
        {2, 0, 0, 79, 0, 2, -2}, // top right corner
        {2, 0, 0, 0, 0, 0, -2},  // top left corner
        {2, 0, 0, 10, 29, 0, 2}, // bottom left corner
        {2, 3, 8, 40, 10, 5, 8}, // the view origin counts
        {1, 0, 0, 30, 15, 0, 1}, // odd pick size: no half-row shift
        {1, 0, 0, 39, 19, 1, 2}, // bottom right corner
    };
    for (const auto& c : cases) {
        view.SetViewOrigin(c.originX, c.originY);
        TheGameController->mouseX = c.mouseX;
        TheGameController->mouseY = c.mouseY;
        view.DrawFootprintTint(90, 0x001F, c.pick, 6, surface);
        EXPECT_EQ(std::make_pair(view.placementCellX, view.placementCellY), std::make_pair(c.x, c.y))
            << "pick " << c.pick << " mouse " << c.mouseX << "," << c.mouseY;
    }
}

TEST_F(Preview, TheTintIsADiamondWhoseMiddleRowsAreEquallyWide) {
    ASSERT_TRUE(surface);
    view.SetViewOrigin(0, 0);
    TheGameController->mouseX = 40;
    TheGameController->mouseY = 10;
    view.DrawFootprintTint(200, 0xFFFF, 1, 1, surface);
    EXPECT_EQ(std::make_pair(view.placementCellX, view.placementCellY), std::make_pair(1, 1));
    EXPECT_EQ(view.previewX, 40);
    EXPECT_EQ(view.previewY, -80);
    for (int i = 0; i < 20; ++i) {
        const int width = i <= 10 ? 2 + 4 * i : 42 - 4 * (i - 11);
        EXPECT_EQ(RowWidth(i), width) << "row " << i;
        EXPECT_EQ(RowStart(i), 40 + 19 - (width - 2) / 2) << "row " << i;
    }
    EXPECT_EQ(RowWidth(20), 0);
    // Mixed toward the colour by the amount, through the blend tables.
    EXPECT_EQ(surface->PixelAt(59, 0), BlendPixel16(0, 0xFFFF, 200));
    // A footprint larger than the pick moves left by 20 pixels a size: the box corner at x 360
    // (bottom-left quadrant) less 4 x 20.
    TheGameController->mouseX = 400;
    TheGameController->mouseY = 300;
    view.DrawFootprintTint(90, 0x001F, 2, 6, surface);
    EXPECT_EQ(view.previewX, 360 - 80);
}

TEST_F(Preview, TheConstructionImageIsCopiedOrReddenedAndClipped) {
    platform::Surface* back = GetBackSurface();
    ASSERT_TRUE(back);
    auto* image = new AniFrame;
    image->width = 4;
    image->height = 2;
    image->pixels = new uint16_t[8]{0x1234, 0, 0x1234, 0x1234, 0x1234, 0x1234, 0x1234, 0x1234};
    image->mask = new uint8_t[8]();
    view.constructImage = image;
    view.previewX = 798;
    view.previewY = 10;
    view.DrawConstructPreview(true);
    EXPECT_EQ(back->PixelAt(798, 10), 0x1234);
    EXPECT_EQ(back->PixelAt(799, 10), 0); // see-through
    EXPECT_EQ(back->PixelAt(799, 11), 0x1234);
    view.previewX = 100;
    view.DrawConstructPreview(false);
    EXPECT_EQ(back->PixelAt(100, 10), BlendPixel16(0x1234, PackRgb16(255, 0, 0), 90));
    // The image's rows above the top are cut off.
    view.previewY = -1;
    view.previewX = 200;
    view.DrawConstructPreview(true);
    EXPECT_EQ(back->PixelAt(200, 0), 0x1234);
    EXPECT_EQ(back->PixelAt(200, 1), 0);
    delete[] image->pixels;
    delete[] image->mask;
    image->pixels = nullptr;
    image->mask = nullptr;
    delete image;
    view.constructImage = nullptr;
}

TEST(ConstructAnimation, ThePlacementStartLoadsTheKindsFrameOfTheConstructionAnimation) {
    testsupport::TempFolder folder;
    std::vector<gamefiles::AniFrameSpec> frames;
    for (uint16_t n = 0; n < 3; ++n)
        frames.push_back({0, 0, 2, 1, {uint16_t(0x100 + n), uint16_t(0x100 + n)}, {255, 255}});
    storefix::WriteBytes(folder.path() / "construct.ani", gamefiles::AniFile(frames));
    World w;
    ResourceStore store;
    TheResourceStore = &store;
    MapView& view = w.View();
    for (int kind : {2, 1}) {
        view.buildingKind = kind;
        view.LoadConstructAnimation();
        ASSERT_TRUE(view.constructImage);
        EXPECT_EQ(view.constructImage->pixels[0], 0x100 + kind);
    }
    // A kind past the file's frames shows no image; the map view frees what it holds.
    view.buildingKind = 7;
    view.LoadConstructAnimation();
    EXPECT_EQ(view.constructImage, nullptr);
    view.buildingKind = 0;
    view.LoadConstructAnimation();
    TheResourceStore = nullptr;
}

TEST(Gift, GiftItemsAreThoseOfLevelOneToTen) {
    World w;
    {
        // Item levels 0, 1, 10, 11, 5: the candidates are items 2, 3 and 5.
        Items items{{{1, 0}, {1, 1}, {1, 10}, {1, 11}, {1, 5}}};
        platform::srand(1);
        // The runtime's first two values, 41 and 18467, both pick the third candidate.
        EXPECT_EQ(MapView::DrawGiftItem(), 5);
        EXPECT_EQ(MapView::DrawGiftItem(), 5);
        TheGameController->networked = 1;
        for (int i = 0; i < 20; ++i) {
            const int item = MapView::DrawGiftItem();
            EXPECT_TRUE(item == 2 || item == 3 || item == 5) << item;
        }
        TheGameController->networked = 0;
    }
    // No item to give: no gift, and no draw.
    Items none{{{1, 0}, {1, 12}}};
    platform::srand(1);
    EXPECT_EQ(MapView::DrawGiftItem(), 0);
    EXPECT_EQ(platform::rand(), 41);
}

} // namespace
