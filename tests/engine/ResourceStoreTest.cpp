#include "engine/ResourceStore.h"
#include "DrawingFixture.h"
#include "Program/Palettes.h"
#include "engine/EffectAnimationCache.h"
#include "engine/LinkList.h"
#include "engine/NumberFont.h"
#include "engine/NumberTable.h"
#include "engine/PixelFormat.h"
#include "engine/ResourceStoreFormats.h"
#include "engine/StoreImage.h"
#include "fuzz/seeds/builders/StoreFixtures.h"
#include "gui/ScratchSurface.h"
#include "support/TempFolder.h"
#include "world/Zu_SkillEffect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

// Start-up's order: display, palettes, then the store; the hooks point at a settings record.
class StoreWorld {
public:
    explicit StoreWorld(int layout) : display(layout) {
        LoadPalettes(layout == 555);
        StorePictureColours = GamePalettes().pictureTable.data();
        TheStoreHooks = {};
        TheStoreHooks.screenWidth = &width;
        TheStoreHooks.screenHeight = &height;
        TheStoreHooks.terrainGraphicsOff = &terrainOff;
    }
    ~StoreWorld() {
        TheStoreHooks = {};
        StorePictureColours = nullptr;
    }
    TestDisplay display;
    int32_t width = 1024, height = 768, terrainOff = 0;
};

uint16_t To555(uint16_t p) {
    return ConvertPixel565To555(p);
}

} // namespace

class StoreLayouts : public ::testing::TestWithParam<int> {};

TEST_P(StoreLayouts, LoadsTheSyntheticFolderThroughTheFullConstructorOrder) {
    testsupport::TempFolder folder;
    storefix::WriteStoreFolder(folder.path());
    const bool is555 = GetParam() == 555;
    StoreWorld world(GetParam());
    ASSERT_TRUE(world.display.ok);
    auto px = [&](uint16_t p565) { return is555 ? To555(p565) : p565; };

    auto store = std::make_unique<ResourceStore>();
    EXPECT_EQ(store->screenWidth, 1024);
    EXPECT_EQ(store->screenHeight, 768);
    EXPECT_EQ(store->white, is555 ? 0x7FFF : 0xFFFF);
    EXPECT_EQ(store->darkest, is555 ? 0x0401 : 0x0801);

    // Image sets through the picture palette; index 0 is transparent.
    ASSERT_TRUE(store->windowImages[0]);
    EXPECT_EQ(store->windowImages[0]->width, 2);
    EXPECT_EQ(store->windowImages[0]->pixels,
              (std::vector<uint16_t>{0, storefix::PaletteColour(1, is555), storefix::PaletteColour(2, is555),
                                     storefix::PaletteColour(3, is555)}));
    ASSERT_TRUE(store->windowImages[329]);
    EXPECT_EQ(store->windowImages[329]->pixels[1], 0);
    EXPECT_EQ(store->windowImages[329]->pixels[2], storefix::PaletteColour(7, is555));
    EXPECT_EQ(store->windowImages[330], nullptr); // offset past the end
    ASSERT_TRUE(store->graphicsImages[10]);
    EXPECT_EQ(store->graphicsImages[10]->width, 48);
    EXPECT_EQ(store->graphicsImages[80]->pixels[0], storefix::PaletteColour(200, is555));

    // Help texts: comments skipped, blank lines and long lines kept (a long line fills two slots).
    ASSERT_TRUE(store->helpTexts[0] && store->helpTexts[3]);
    EXPECT_STREQ(store->helpTexts[0], "\n");
    EXPECT_STREQ(store->helpTexts[1], "first text\n");
    EXPECT_EQ(std::strlen(store->helpTexts[2]), 126u);
    EXPECT_STREQ(store->helpTexts[3], "xxxx\n");
    EXPECT_EQ(store->helpTexts[4], nullptr);

    // Weapon animation.
    EXPECT_EQ(store->weaponFrameCount, 3);
    ASSERT_TRUE(store->weaponFrames[0]);
    EXPECT_EQ(store->weaponFrames[0]->width, 2);
    EXPECT_EQ(store->weaponFrames[0]->xOffset, -1);
    EXPECT_EQ(store->weaponFrames[0]->yOffset, 2);
    EXPECT_EQ(store->weaponFrames[0]->storage, 0);
    EXPECT_EQ(store->weaponFrames[0]->pixels[1], 5);
    EXPECT_EQ(store->weaponFrames[1], nullptr);
    EXPECT_EQ(store->weaponFrames[2]->pixels[2], 8);
    EXPECT_EQ(store->weaponActionCount, 2);
    EXPECT_EQ(store->weaponActions[0].stepCount, 2);
    EXPECT_EQ(store->weaponActions[0].steps[1].value, 3);
    EXPECT_EQ(store->weaponActions[0].steps[1].frame, 0x0102);
    EXPECT_EQ(store->weaponActions[1].stepCount, 0);

    // Head frame, blend masks, surfaces, lists and the cache.
    ASSERT_TRUE(store->headFrame);
    EXPECT_EQ(store->headFrame->pixels[1], px(0xF800));
    ASSERT_TRUE(MythMasks);
    EXPECT_EQ(MythMasks[999], 999 % 33);
    EXPECT_EQ(MythMasks[1000], 0);
    EXPECT_EQ(MythMasks[kMythRecords * kMythRecordSize - 1], 0);
    EXPECT_TRUE(store->textSurface && store->barSurface && store->barLabelSurface);
    EXPECT_TRUE(StoreSurface200x250 && StoreSurface40x460 && TheScratchSurface && TheScratchSurface->surface);
    EXPECT_EQ(store->workSurface, nullptr);
    store->CreateWorkSurfaces();
    EXPECT_TRUE(store->workSurface && store->wideWorkSurface);
    EXPECT_TRUE(store->drawList && store->firstEffects && store->secondEffects);
    ASSERT_TRUE(store->effectCache);
    EXPECT_EQ(store->effectCache->Loaded(0, 0)->frameCount, 1);
    EXPECT_EQ(store->effectCache->Loaded(0, 0)->frames->frame->pixels[2], 0x001F);

    // Terrain graphics.
    EXPECT_EQ(store->LoadKingdomCells(), 1);
    EXPECT_EQ(store->groundCount, 2);
    ASSERT_TRUE(store->groundCells[0]);
    EXPECT_EQ(store->groundCells[0][0], px(0x1234));
    EXPECT_EQ(store->groundCells[0][399], px(0x1234 + 399));
    EXPECT_EQ(store->groundCells[1], nullptr); // all zero
    EXPECT_EQ(store->layerCells[0], nullptr);
    EXPECT_EQ(store->layerCells[1][7], px(0xF800));
    EXPECT_EQ(store->spriteCount, 3);
    ASSERT_TRUE(store->sprites[0] && store->sprites[2]);
    EXPECT_EQ(store->sprites[0]->width, 3u);
    EXPECT_EQ(store->sprites[0]->pixelField, 0u);
    EXPECT_EQ(store->sprites[1], nullptr);
    EXPECT_EQ(store->spriteSurfaceIndex[2], 1);
    EXPECT_EQ(store->spriteSurfaces[0]->PixelAt(2, 1), px(uint16_t(0x0841 * 6)));
    EXPECT_EQ(store->spriteSurfaces[1]->PixelAt(0, 0), px(0xFFFF));
    EXPECT_EQ(store->LoadKingdomCells(), 1); // already loaded

    // Portraits are read on every call and belong to the caller.
    PortraitImage* p = store->LoadPortrait(0, 1);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->pixels[3], px(0x2104));
    FreePortraitImage(p);
    p = store->LoadPortrait(0, 0);
    EXPECT_EQ(p->pixels[1], px(0x07E0));
    FreePortraitImage(p);
    EXPECT_EQ(store->LoadPortrait(1, 0), nullptr); // "head_m.pic" missing
    EXPECT_EQ(store->LoadPortrait(0, 3), nullptr);
    EXPECT_EQ(store->LoadPortrait(0, -1), nullptr);

    // Unit animations.
    SpriteFrame** frames = nullptr;
    SpriteAction* actions = nullptr;
    store->LoadUnitAnimation(0, &frames, &actions);
    ASSERT_TRUE(frames && actions);
    EXPECT_EQ(frames, store->unitFrames[1]);
    EXPECT_EQ(UnitFrameCounts[1], 2);
    EXPECT_EQ(UnitActionCounts[1], 1);
    EXPECT_EQ(frames[1]->pixels[3], 4);
    EXPECT_EQ(actions[0].steps[0].value, 7);
    SpriteFrame** again = nullptr;
    store->LoadUnitAnimation(1, &again, nullptr);
    EXPECT_EQ(again, frames);
    for (int kind : {122, 123, 137, -1, 7}) {
        store->LoadUnitAnimation(kind, &frames, &actions);
        EXPECT_EQ(frames, nullptr) << kind;
        EXPECT_EQ(actions, nullptr) << kind;
    }
    store->LoadUnitAnimation(5, &frames, &actions);
    EXPECT_TRUE(frames);
    EXPECT_EQ(actions, nullptr);

    // .ani frames on demand.
    AniFrame* f = store->LoadAniFrame("Head.ani", 1);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->pixels[0], px(0xFFFF));
    FreeAniFrame(f);
    EXPECT_EQ(store->LoadAniFrame("Head.ani", 2), nullptr);
    EXPECT_EQ(store->LoadAniFrame("missing.ani", 0), nullptr);

    // The number font and the number table read what the store and the folder hold.
    TheResourceStore = store.get();
    {
        NumberFont font;
        EXPECT_EQ(font.glyphWidth[0], 2);
        EXPECT_EQ(font.glyphHeight[1], 4);
        EXPECT_EQ(font.glyphWidth[2], 2);
        ASSERT_TRUE(font.normal[2][16]);
    }
    NumberTable table;
    EXPECT_EQ(NumberTableValues[1], 2.5);
    EXPECT_EQ(NumberTableValues[2], -3);

    store->FreeAll();
    EXPECT_EQ(store->windowImages[0], nullptr);
    EXPECT_EQ(store->effectCache, nullptr);
    EXPECT_EQ(MythMasks, nullptr);
    EXPECT_EQ(store->groundCells, nullptr);
    store.reset(); // LeakSanitizer checks what is left at exit
    EXPECT_EQ(TheResourceStore, nullptr);
    EXPECT_EQ(StoreSurface40x460, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Layouts, StoreLayouts, ::testing::Values(565, 555));

TEST(ResourceStore, AnEmptyFolderLeavesEverythingEmpty) {
    testsupport::TempFolder folder;
    StoreWorld world(565);
    {
        ResourceStore store;
        for (StoreImage* image : store.windowImages)
            EXPECT_EQ(image, nullptr);
        EXPECT_EQ(store.helpTexts[0], nullptr);
        EXPECT_EQ(store.headFrame, nullptr);
        EXPECT_EQ(store.weaponFrameCount, 0);
        ASSERT_TRUE(MythMasks);
        EXPECT_EQ(MythMasks[0], 0);
        EXPECT_EQ(store.effectCache->Loaded(0, 0)->frameCount, 0);
        EXPECT_EQ(store.LoadKingdomCells(), 0);
        EXPECT_EQ(store.groundCells, nullptr);
        EXPECT_EQ(store.LoadPortrait(0, 0), nullptr);
        SpriteFrame** frames = reinterpret_cast<SpriteFrame**>(1);
        store.LoadUnitAnimation(3, &frames, nullptr);
        EXPECT_EQ(frames, nullptr);
        store.DrawMapMarkers();
        store.StepFirstEffectList();
        store.ClearEffectLists();
        TheResourceStore = &store;
        NumberFont font;
        EXPECT_EQ(font.normal[0][0], nullptr);
        TheResourceStore = nullptr;
    }
    // Without a display nothing is drawn or made, and nothing breaks.
    {
        ReleaseSurfaces();
        ReleaseDirectDraw();
        ResourceStore store;
        EXPECT_EQ(store.textSurface, nullptr);
        store.DrawAniFrameBlended(store.headFrame, 0, 0);
        store.TintArea(0xF800, nullptr, 10, 10);
        store.ShowBannerScreen(1);
    }
}

TEST(ResourceStore, TheTerrainSwitchLoadsNothing) {
    testsupport::TempFolder folder;
    storefix::WriteStoreFolder(folder.path());
    StoreWorld world(565);
    world.terrainOff = 1;
    ResourceStore store;
    EXPECT_EQ(store.LoadKingdomCells(), 0);
    EXPECT_EQ(store.groundCells, nullptr);
    EXPECT_EQ(store.sprites, nullptr);
}

TEST(ResourceStore, TurningTheTerrainSwitchOnFreesLoadedCellsAndOffLoadsThemAgain) {
    testsupport::TempFolder folder;
    storefix::CellSpec cell{true, std::vector<uint16_t>(400, 5)};
    storefix::WriteBytes(folder.path() / "kingdom.cel",
                         storefix::KingdomCel({cell}, {cell}, {{true, 1, 1, {0x1111}}}));
    StoreWorld world(565);
    ResourceStore store;
    ASSERT_EQ(store.LoadKingdomCells(), 1);
    ASSERT_TRUE(store.groundCells && store.spriteSurfaces[0]);
    world.terrainOff = 1;
    EXPECT_EQ(store.LoadKingdomCells(), 0);
    EXPECT_EQ(store.groundCells, nullptr);
    EXPECT_EQ(store.spriteSurfaces[0], nullptr); // released, not dropped
    world.terrainOff = 0;
    EXPECT_EQ(store.LoadKingdomCells(), 1);
    ASSERT_TRUE(store.groundCells && store.groundCells[0]);
    EXPECT_EQ(store.groundCells[0][0], 5);
    ASSERT_TRUE(store.sprites && store.sprites[0]);
}

TEST(ResourceStore, KingdomCelCountsAreHeldToTheFileAndTheTables) {
    testsupport::TempFolder folder;
    StoreWorld world(565);
    // 2001 present 1 x 1 sprites: the 2001st has no surface left and stays empty.
    std::vector<storefix::SpriteSpec> sprites(2001, {true, 1, 1, {0x1111}});
    storefix::WriteBytes(folder.path() / "kingdom.cel", storefix::KingdomCel({}, {}, sprites));
    {
        ResourceStore store;
        EXPECT_EQ(store.LoadKingdomCells(), 1);
        EXPECT_EQ(store.spriteCount, 2001);
        EXPECT_TRUE(store.sprites[1999]);
        EXPECT_EQ(store.sprites[2000], nullptr);
        EXPECT_EQ(store.spriteSurfaceIndex[1999], 1999);
        EXPECT_EQ(store.spriteSurfaces[1999]->PixelAt(0, 0), 0x1111);
    }
    // Counts far beyond the bytes, and a sprite of absurd size.
    storefix::CellSpec cell{true, std::vector<uint16_t>(400, 5)};
    auto bytes = storefix::KingdomCel({cell}, {}, {{true, 2, 2, {1, 2, 3, 4}}}, 100000);
    bytes[0] = 0xFF; // ground count 0x..FF
    bytes[2] = 0x7F;
    storefix::WriteBytes(folder.path() / "kingdom.cel", bytes);
    {
        ResourceStore store;
        EXPECT_EQ(store.LoadKingdomCells(), 1);
        EXPECT_LE(store.groundCount, int32_t(bytes.size() / 4));
        EXPECT_EQ(store.groundCells[0][0], 5);
        EXPECT_EQ(store.layerCount, 0); // the table after a cut-short one is not there
    }
    storefix::WriteBytes(folder.path() / "kingdom.cel",
                         storefix::KingdomCel({}, {}, {{true, 100000, 100000, {}}, {true, 1, 1, {7}}}));
    {
        ResourceStore store;
        EXPECT_EQ(store.LoadKingdomCells(), 1);
        EXPECT_EQ(store.sprites[0], nullptr);
        EXPECT_EQ(store.sprites[1], nullptr); // reading ended at the bad record
    }
}

TEST(ResourceStore, BadRecordsLeaveTheirSlotsEmpty) {
    testsupport::TempFolder folder;
    StoreWorld world(565);
    // windows.dat: an image whose size runs past the end; graphics.dat: a table cut short.
    auto windows =
        storefix::IndexedImageSet(331, {{2, 2, {1, 2, 3, 4}}, {200, 200, {1}}}, std::vector<int>(331, 1));
    storefix::WriteBytes(folder.path() / "windows.dat", windows);
    storefix::WriteBytes(folder.path() / "graphics.dat", storefix::Bytes{1, 2, 3});
    // Weapon: a count of 5000 with two frames present; an action with 200 steps.
    storefix::WriteBytes(folder.path() / "ani" / "Weapon.anm",
                         storefix::AnmFile({{1, 1, 0, 0, {1}}, {1, 1, 0, 0, {2}}}, 5000));
    storefix::ActSpec longAction;
    longAction.steps.assign(200, {1, 1});
    storefix::WriteBytes(folder.path() / "ani" / "Weapon.act", storefix::ActFile({{{{1, 1}}}, longAction}));
    storefix::WriteBytes(folder.path() / "Head.ani", storefix::AniFile({{0, 0, 9000, 2, {}, {}}}));
    storefix::WriteBytes(folder.path() / "head_s.pic", storefix::PicFile(0xFFFFFFF0u, {{1, 1, {1}}}));
    storefix::WriteBytes(folder.path() / "myth.m", storefix::Bytes(200000, 9));
    ResourceStore store;
    EXPECT_EQ(store.windowImages[5], nullptr);
    EXPECT_EQ(store.graphicsImages[0], nullptr);
    EXPECT_LE(store.weaponFrameCount, ResourceStore::kWeaponFrames);
    EXPECT_TRUE(store.weaponFrames[1]);
    EXPECT_EQ(store.weaponFrames[2], nullptr);
    EXPECT_EQ(store.weaponActionCount, 1);
    EXPECT_EQ(store.headFrame, nullptr);
    PortraitImage* p = store.LoadPortrait(0, 0);
    ASSERT_TRUE(p);
    FreePortraitImage(p);
    EXPECT_EQ(store.LoadPortrait(0, 1), nullptr);
    EXPECT_EQ(MythMasks[kMythRecords * kMythRecordSize - 1], 9); // the first 121600 bytes only
}

namespace {

int deleted = 0;
class CountedEffect : public Zu_SkillEffect {
public:
    ~CountedEffect() override { ++deleted; }
    void UpdateAndDraw() override { state = 2; }
};

bool ViewForTest(const ResourceStore&, MapMarkerView& view) {
    view.right = 20;
    view.bottom = 60;
    view.objects = {{"x", 10, 1, 1, 2, 2}};
    return true;
}

std::vector<std::string> texts;
void TextForTest(int x, int y, const char* text, platform::Surface*, int colour) {
    texts.push_back(std::string(text) + "@" + std::to_string(x) + "," + std::to_string(y) + "#" +
                    std::to_string(colour));
}

} // namespace

TEST(ResourceStore, EffectListsMarkersAndFramesOnTheBackSurface) {
    testsupport::TempFolder folder;
    StoreWorld world(565);
    ResourceStore store;
    deleted = 0;
    store.firstEffects->Add(reinterpret_cast<uintptr_t>(new CountedEffect));
    store.secondEffects->Add(reinterpret_cast<uintptr_t>(new CountedEffect));
    store.secondEffects->Add(reinterpret_cast<uintptr_t>(new CountedEffect));
    store.StepFirstEffectList();
    EXPECT_EQ(deleted, 1);
    store.ClearEffectLists();
    EXPECT_EQ(deleted, 3);
    EXPECT_EQ(store.secondEffects->GetCount(), 0);
    store.firstEffects->Add(reinterpret_cast<uintptr_t>(new CountedEffect)); // freed by FreeAll

    TheStoreHooks.mapMarkerView = ViewForTest;
    TheStoreHooks.drawSurfaceText = TextForTest;
    texts.clear();
    store.DrawMapMarkers();
    EXPECT_EQ(GetBackSurface()->PixelAt(40, 10), 0xFFE0);
    EXPECT_EQ(texts, (std::vector<std::string>{"x@56,26#49"}));

    const auto bytes = storefix::AniFile({{0, 0, 1, 1, {0xF800}, {255}}});
    AniFrame* f = DecodeAniFrame(bytes, 0);
    store.DrawAniFrameBlended(f, 799, 599);
    EXPECT_EQ(GetBackSurface()->PixelAt(799, 599), 0xF800);
    store.DrawAniFrameBlended(f, 800, 600); // outside: nothing
    FreeAniFrame(f);
    StoreImage banner{2, 1, {0, 0x1234}};
    store.bannerImages[1] = &banner;
    store.ShowBannerScreen(2);
    EXPECT_EQ(GetBackSurface()->PixelAt(241, 220), 0x1234);
    EXPECT_EQ(GetBackSurface()->PixelAt(0, 300) >> 11, (0 * 156 + 31 * 100) / 256);
    // Kind 3 darkens: every component toward 0 at opacity 100.
    const uint16_t before = GetBackSurface()->PixelAt(600, 500);
    store.ShowBannerScreen(3);
    const int r = before >> 11, g = (before >> 5) & 63, b = before & 31;
    EXPECT_EQ(GetBackSurface()->PixelAt(600, 500),
              uint16_t((r * 156 / 256) << 11 | (g * 156 / 256) << 5 | (b * 156 / 256)));
    EXPECT_GT(r, 0);
}
