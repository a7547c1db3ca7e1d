#include "ItemFixture.h"
#include "WorldFixture.h"

#include "engine/DisplayDevice.h"
#include "engine/DrawingFixture.h"
#include "engine/LinkList.h"
#include "engine/Point.h"
#include "gui/GuiLayout.h"
#include "platform/Surface.h"
#include "records/InfoText.h"
#include "records/RecordTables.h"
#include "support/TempFolder.h"
#include "windows/WindowHosts.h"
#include "world/MapObject.h"
#include "world/MapView.h"

#include <gtest/gtest.h>

#include <memory>

using namespace worldtest;

namespace {

// The icon host with a "Win97.gui" set of two icons: image 0 of 30 x 20, image 1 of 10 x 10.
struct IconHost {
    testsupport::TempFolder folder;
    std::unique_ptr<GuiLayout> layout = std::make_unique<GuiLayout>("Win97.gui");
    // Its elements are read through the host from here on.
    GuiLayout* icons() const { return host.iconLayout; }
    Win99Window host;
    IconHost() {
        layout->elements[0] = Icon(30, 20, 0x1234);
        layout->elements[1] = Icon(10, 10, 0x4321);
        // The host owns its sets: the one it loaded gives way to this one.
        delete host.iconLayout;
        host.iconLayout = layout.release();
        TheWin99 = &host;
    }
    ~IconHost() { TheWin99 = nullptr; }
    static GuiImage* Icon(int w, int h, uint16_t colour) {
        auto* image = new GuiImage;
        image->width = int16_t(w);
        image->height = int16_t(h);
        image->surface = CreateOffscreenSurface(w, h);
        if (!image->surface) return image;
        platform::DDSURFACEDESC2 desc;
        image->surface->Lock(nullptr, &desc, platform::DDLOCK_WAIT);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                static_cast<uint16_t*>(desc.lpSurface)[y * desc.lPitch / 2 + x] =
                    x == 1 && y == 1 ? 0 : colour;
        image->surface->Unlock(nullptr);
        return image;
    }
};

struct MapObjects : testing::Test {
    TestDisplay display{565};
    World world;
    BattleMap& map = world.Map(20, 40);
    // Item 1: icon 1; item 2: no icon; item 3: an icon number past the set; item 4: icon 2.
    Items items{{{1, 1}, {0, 1}, {2001, 1}, {2, 1}}};
    MapObjects() {
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 20; ++x)
                map.CellAt(x, y)->sightCount = 2;
    }
};

TEST_F(MapObjects, IdsThatNameNoItemBecomeItemOneAndTheObjectTakesItsCell) {
    IconHost icons;
    const struct { int32_t id, kept; } cases[] = {{3, 3}, {4, 4}, {5, 1}, {900, 1}, {0, 1}, {-7, 1}};
    for (const auto& c : cases) {
        MapObject o(c.id, 1, 1, 6, 3);
        EXPECT_EQ(o.itemId, c.kept) << c.id;
        EXPECT_EQ(map.GetCellObject(6, 3), &o);
        EXPECT_EQ(o.pixelLeft, 6 * 40 - 20);
        EXPECT_EQ(o.pixelTop, 3 * 20 - 20);
    }
    // Gone, it leaves no reference in the grid.
    EXPECT_EQ(map.GetCellObject(6, 3), nullptr);
    // A cell off the grid registers nothing.
    MapObject off(1, 1, 1, 400, 3);
    EXPECT_EQ(map.GetCellObject(400, 3), nullptr);
}

TEST_F(MapObjects, IconsComeFromTheHostsSetByIconNumber) {
    {
        // Before the game windows exist no icon is taken, nothing is drawn and nothing is hit.
        MapObject o(1, 1, 1, 5, 4);
        EXPECT_EQ(o.icon, nullptr);
        EXPECT_EQ(o.HitTest(200, 80), 0);
    }
    IconHost icons;
    MapObject first(1, 1, 1, 5, 4), none(2, 1, 1, 6, 4), past(3, 1, 1, 7, 4), second(4, 1, 1, 8, 4);
    EXPECT_EQ(first.icon, icons.icons()->elements[0]);
    EXPECT_EQ(none.icon, nullptr);
    EXPECT_EQ(past.icon, nullptr);
    EXPECT_EQ(second.icon, icons.icons()->elements[1]);
    // Registered all the same.
    EXPECT_EQ(map.GetCellObject(6, 4), &none);
}

TEST_F(MapObjects, TheHitTestUsesTheLastDrawnBoxRightAndBottomExclusive) {
    IconHost icons;
    MapObject o(1, 1, 1, 5, 4);
    // Not drawn yet: the box of the constructor.
    EXPECT_EQ(o.HitTest(180, 60), 1);
    o.Draw(0, 0);
    EXPECT_EQ(o.pixelLeft, 185);
    EXPECT_EQ(o.pixelTop, 70);
    const struct {
        int x, y, hit;
    } cases[] = {{185, 70, 1}, {214, 89, 1}, {215, 70, 0}, {185, 90, 0}, {184, 75, 0}, {200, 69, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(o.HitTest(c.x, c.y), c.hit) << c.x << "," << c.y;
    // An item in the fog is drawn but cannot be pointed at.
    for (uint8_t sight : {0, 1}) {
        map.CellAt(5, 8)->sightCount = sight;
        EXPECT_EQ(o.HitTest(200, 80), 0);
    }
    MapObject none(2, 1, 1, 6, 4);
    none.Draw(0, 0);
    EXPECT_EQ(none.HitTest(230, 70), 0);
}

// The pointer resting on an item lying on the map describes that item, placed at its cell; a point
// beside it describes nothing.
TEST_F(MapObjects, PointingAtAnItemDescribesItAtItsCell) {
    IconHost icons;
    TheInfoText.Clear();
    auto* view = new MapView;
    TheGameController->gameScreen = view;
    view->mapWidth = 20;
    view->mapHeight = 40;
    MapObject o(1, 1, 1, 5, 4); // its icon covers map pixels (180, 60) to (209, 79)
    Point beside(215, 70);
    view->OnControlHover(nullptr, &beside);
    EXPECT_EQ(TheInfoText.currentObject, nullptr);
    Point over(190, 70);
    view->OnControlHover(nullptr, &over);
    EXPECT_EQ(TheInfoText.currentObject, ItemBlock(1));
    EXPECT_EQ(TheInfoText.kind, InfoText::kMapItem);
    EXPECT_EQ(TheInfoText.owner, view);
    EXPECT_EQ(TheInfoText.anchorX, 5);
    EXPECT_EQ(TheInfoText.anchorY, 4);
    TheInfoText.Clear();
}

TEST_F(MapObjects, DrawingBlitsTheKeyedIconClippedToTheView) {
    ASSERT_TRUE(display.ok);
    IconHost icons;
    platform::Surface* back = GetBackSurface();
    MapObject o(1, 1, 1, 5, 4);
    o.Draw(0, 0);
    EXPECT_EQ(back->PixelAt(185, 70), 0x1234);
    EXPECT_EQ(back->PixelAt(214, 89), 0x1234);
    EXPECT_EQ(back->PixelAt(186, 71), 0); // the keyed pixel
    EXPECT_EQ(back->PixelAt(215, 70), 0);
    // A view origin right of the icon's left edge cuts its first columns.
    MapObject cut(4, 1, 1, 12, 10);
    cut.Draw(478, 195);
    EXPECT_EQ(back->PixelAt(0, 0), 0x4321);
    EXPECT_EQ(back->PixelAt(6, 0), 0x4321);
    EXPECT_EQ(back->PixelAt(7, 0), 0);
    // Wholly outside the view it draws nothing.
    MapObject far(4, 1, 1, 19, 39);
    far.Draw(0, 0);
}

TEST_F(MapObjects, AnObjectGoneDoesNotClearTheObjectThatTookItsCell) {
    auto* first = new MapObject(1, 1, 1, 6, 3);
    MapObject second(1, 1, 1, 6, 3);
    EXPECT_EQ(map.GetCellObject(6, 3), &second);
    delete first;
    EXPECT_EQ(map.GetCellObject(6, 3), &second);
    // Objects in the battle map's item list go with the map.
    map.mapItems->Add(reinterpret_cast<uintptr_t>(new MapObject(1, 1, 1, 2, 2)));
}

} // namespace
