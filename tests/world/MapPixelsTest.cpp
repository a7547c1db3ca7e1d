#include "../engine/DrawingFixture.h"
#include "troops/TroopFixture.h"

#include "Program/Palettes.h"
#include "engine/GameFileWriters.h"
#include "engine/ResourceStore.h"
#include "engine/ResourceStoreFormats.h"
#include "world/MapView.h"
#include "world/RandomMapTables.h"
#include "world/Zu_SkillEffect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint16_t kGrey = 0x4208;

// A battle on a headless display of the given layout (565 or 555), the view at the origin.
struct MapPixels : testing::TestWithParam<int> {
    TestDisplay display{GetParam()};
    trooptest::Battle b;
    MapView* view = new MapView;

    MapPixels() {
        LoadPalettes(false);
        b.store = std::make_unique<ResourceStore>();
        TheResourceStore = b.store.get();
        TheGameController->gameScreen = view;
        view->mapWidth = trooptest::kMapWidth;
        view->mapHeight = trooptest::kMapRows;
        for (int y = 0; y < trooptest::kMapRows; ++y)
            for (int x = 0; x < trooptest::kMapWidth; ++x)
                TheBattleMap->CellAt(x, y)->sightCount = 2;
        Clear();
    }
    ~MapPixels() override {
        TheGameController->gameScreen = nullptr;
        delete view;
    }
    void Clear() {
        platform::Surface* back = GetBackSurface();
        platform::DDSURFACEDESC2 desc;
        ASSERT_TRUE(platform::SUCCEEDED(back->Lock(nullptr, &desc, platform::DDLOCK_WAIT)));
        for (int y = 0; y < 600; ++y) {
            auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch);
            std::fill(row, row + 800, kGrey);
        }
        back->Unlock(nullptr);
    }
    uint16_t At(int x, int y) { return GetBackSurface()->PixelAt(x, y); }
    bool f555() const { return GetParam() == 555; }
};

TEST_P(MapPixels, AMapEffectCopiesKeysAndBlendsByItsMask) {
    gamefiles::AniFrameSpec f;
    f.w = 3;
    f.h = 1;
    f.pixels = {0xF800, 0, 0xF800};
    f.mask = {255, 0, 128};
    gamefiles::WriteBytes("fire.ani", gamefiles::AniFile({f}));
    view->SetViewOrigin(2, 4);
    Zu_SkillEffect fire(3, 0, 2 * 40 + 10, 4 * 10 + 20);
    ASSERT_NE(fire.frame, nullptr);
    fire.UpdateAndDraw();
    const uint16_t red = f555() ? 0x7C00 : 0xF800;
    EXPECT_EQ(At(10, 20), red);
    EXPECT_EQ(At(11, 20), kGrey) << "a 0 pixel under mask 0 lets the map show";
    // Half of red over grey in the red component.
    const int shift = f555() ? 10 : 11;
    EXPECT_EQ(At(12, 20) >> shift, (31 * 128 + ((kGrey >> shift) & 31) * 128) / 256);
    EXPECT_EQ(At(13, 20), kGrey);
}

TEST_P(MapPixels, OwnedOverlaysTakeTheirOwnersColours) {
    // A 4 x 1 picture: two marked pixels, one other, one transparent; anchored 2 left, 2 up.
    const uint16_t mark = 0x1111, other = 0x2AAA, owner = 0x3333;
    platform::Surface* surface = CreateOffscreenSurface(4, 1);
    ASSERT_NE(surface, nullptr);
    platform::DDCOLORKEY key;
    surface->SetColorKey(platform::DDCKEY_SRCBLT, &key);
    platform::DDSURFACEDESC2 desc;
    ASSERT_TRUE(platform::SUCCEEDED(surface->Lock(nullptr, &desc, platform::DDLOCK_WAIT)));
    auto* p = static_cast<uint16_t*>(desc.lpSurface);
    p[0] = mark;
    p[1] = other;
    p[2] = 0;
    p[3] = mark;
    surface->Unlock(nullptr);
    ResourceStore& store = *TheResourceStore;
    store.spriteCount = 500;
    store.sprites = new KingdomSprite*[500]();
    for (int tile : {7, 400}) {
        store.sprites[tile] = new KingdomSprite;
        store.sprites[tile]->word0 = 2;
        store.sprites[tile]->word1 = 2;
        store.sprites[tile]->width = 4;
        store.sprites[tile]->height = 1;
        store.spriteSurfaceIndex[tile] = 0;
    }
    store.spriteSurfaces[0] = surface;
    const auto keepMarks = NationColourTable[1], keepOwner = NationColourTable[5];
    NationColourTable[1][3] = mark;
    NationColourTable[5][3] = owner;

    // Tile 7 is recolourable, tile 400 is not; both stand on cells of owner mark 105.
    MapCell& a = *TheBattleMap->CellAt(5, 20);
    MapCell& c = *TheBattleMap->CellAt(5, 24);
    a.overlayTile = 7;
    a.ownerMark = 105;
    c.overlayTile = 400;
    c.ownerMark = 105;
    view->DrawObjects();
    // Row 20 anchors at (200, 210), row 24 at (200, 250).
    EXPECT_EQ(At(198, 208), owner);
    EXPECT_EQ(At(199, 208), other);
    EXPECT_EQ(At(200, 208), kGrey);
    EXPECT_EQ(At(201, 208), owner);
    EXPECT_EQ(At(198, 248), mark);
    EXPECT_EQ(At(200, 248), kGrey);
    // A never-seen cell shows none of it.
    Clear();
    a.sightCount = 0;
    view->DrawObjects();
    EXPECT_EQ(At(198, 208), kGrey);

    NationColourTable[1] = keepMarks;
    NationColourTable[5] = keepOwner;
    for (int tile : {7, 400})
        delete store.sprites[tile];
    delete[] store.sprites;
    store.sprites = nullptr;
    store.spriteCount = 0;
    store.spriteSurfaces[0] = nullptr;
    surface->Release();
}

struct TextCall {
    int x, y;
    std::string text;
    int colour;
    bool operator==(const TextCall&) const = default;
};
std::vector<TextCall>& Texts() {
    static std::vector<TextCall> texts;
    return texts;
}
void RecordText(int x, int y, const char* text, platform::Surface* surface, int colour) {
    if (surface == GetBackSurface()) Texts().push_back({x, y, text, colour});
}

// The notice stays while its buffer holds text; the name of a placed building floats over its
// cell, centred by its length, for 30 frames; a kind without a name shows nothing.
TEST_P(MapPixels, TheNoticeAndAPlacedBuildingsNameShowOverTheMap) {
    const auto keep = TheStoreHooks.drawSurfaceText;
    TheStoreHooks.drawSurfaceText = &RecordText;
    GameController& c = *TheGameController;
    view->viewX = 2;
    view->viewY = 4;
    struct Case {
        int32_t kind;
        std::string name; // Big5
    };
    for (const Case& k : {Case{2, "\xa5\xab\xb6\xb0"}, Case{23, ""}}) { // 市集
        SCOPED_TRACE(k.kind);
        std::memset(c.noticeText, 'n', sizeof c.noticeText); // filled to its end
        c.floatingKind = k.kind;
        c.floatingX = 10;
        c.floatingY = 30;
        c.floatingFrames = 0;
        const TextCall notice{100, 100, std::string(sizeof c.noticeText, 'n'), 240};
        const TextCall name{(10 - 2) * 40 - 4 * int(k.name.size()), (30 - 4) * 10, k.name, 240};
        for (int frame = 1; frame <= 31; ++frame) {
            Texts().clear();
            view->DrawObjects();
            std::vector<TextCall> expected{notice};
            if (frame <= 30 && !k.name.empty()) expected.push_back(name);
            ASSERT_EQ(Texts(), expected) << frame;
        }
        EXPECT_EQ(c.floatingKind, -1);
    }
    c.noticeText[0] = 0;
    Texts().clear();
    view->DrawObjects();
    EXPECT_TRUE(Texts().empty());
    TheStoreHooks.drawSurfaceText = keep;
}

INSTANTIATE_TEST_SUITE_P(Layouts, MapPixels, testing::Values(565, 555));

} // namespace
