#include "../engine/DrawingFixture.h"
#include "Program/Palettes.h"
#include "engine/EffectAnimationCache.h"
#include "engine/GameFileWriters.h"
#include "engine/LinkList.h"
#include "engine/ResourceStore.h"
#include "support/TempFolder.h"
#include "world/Zu_SkillEffect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

constexpr uint16_t kRed = 0xF800, kGreen = 0x07E0, kBlue = 0x001F, kGrey = 0x8410;

// A 4 x 2 frame of one colour: column 0 colour-keyed through a 0 pixel, column 3 half blended.
gamefiles::AniFrameSpec Frame(uint16_t colour) {
    gamefiles::AniFrameSpec f;
    f.w = 4;
    f.h = 2;
    f.pixels.assign(8, colour);
    f.mask.assign(8, 255);
    for (int r = 0; r < 2; ++r) {
        f.pixels[r * 4] = 0;
        f.mask[r * 4] = 0;
        f.mask[r * 4 + 3] = 128;
    }
    return f;
}

// Display, palettes and a store whose cache finds the animations written into the folder.
class SkillEffectFrames : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(display.ok);
        gamefiles::WriteBytes("Cursor02.ani", gamefiles::AniFile({Frame(kRed), Frame(kGreen), Frame(kBlue)}));
        gamefiles::WriteBytes("g_story_cursor.ani", gamefiles::AniFile({Frame(kRed), Frame(kGreen)}));
        gamefiles::WriteBytes("Cursor07.ani", gamefiles::AniFile({Frame(kBlue)}));
        LoadPalettes(false);
        store = std::make_unique<ResourceStore>();
        TheResourceStore = store.get();
    }
    void TearDown() override {
        TheResourceStore = nullptr;
        store.reset();
    }
    void Clear(uint16_t colour) {
        platform::Surface* back = GetBackSurface();
        platform::DDSURFACEDESC2 desc;
        ASSERT_TRUE(platform::SUCCEEDED(back->Lock(nullptr, &desc, platform::DDLOCK_WAIT)));
        for (int y = 0; y < 600; ++y) {
            auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch);
            std::fill(row, row + 800, colour);
        }
        back->Unlock(nullptr);
    }
    uint16_t At(int x, int y) { return GetBackSurface()->PixelAt(x, y); }

    testsupport::TempFolder folder;
    TestDisplay display{565};
    std::unique_ptr<ResourceStore> store;
};

TEST_F(SkillEffectFrames, ACursorShapePlaysItsFramesAndDrawsThemWithTheirMask) {
    Zu_SkillEffect shape(0, 2, 100, 50);
    EXPECT_EQ(shape.state, 1);
    EXPECT_EQ(shape.frameCount, 3);
    EXPECT_EQ(shape.firstFrame, 1);
    EXPECT_EQ(shape.lastFrame, 3);
    EXPECT_EQ(shape.frameWidth, 4);
    EXPECT_EQ(shape.frameHeight, 2);
    EXPECT_EQ(store->firstEffects->GetCount() + store->secondEffects->GetCount(), 0)
        << "the cursor owns its shapes";

    const uint16_t expected[] = {kRed, kGreen, kBlue, kRed};
    for (int step = 0; step < 4; ++step) {
        SCOPED_TRACE(step);
        Clear(kGrey);
        shape.UpdateAndDraw();
        EXPECT_EQ(At(100, 50), kGrey) << "a 0 pixel under mask 0 is transparent";
        EXPECT_EQ(At(101, 50), expected[step]);
        EXPECT_EQ(At(102, 51), expected[step]);
        EXPECT_EQ(At(103, 51), BlendPixel16(kGrey, expected[step], 128));
        EXPECT_EQ(At(104, 50), kGrey);
        EXPECT_EQ(At(101, 52), kGrey);
        shape.Advance();
    }
    EXPECT_EQ(shape.currentFrame, 2) << "the frames go round";
    EXPECT_EQ(shape.state, 2) << "a screen overlay other than the story cursor plays once";

    // Half over the right edge: the visible columns only, nothing wraps to the next row.
    Clear(kGrey);
    shape.x = 798;
    shape.y = 599;
    shape.UpdateAndDraw();
    EXPECT_EQ(At(799, 599), kGreen);
    EXPECT_EQ(At(0, 0), kGrey);
    shape.x = 800;
    shape.UpdateAndDraw();
    EXPECT_EQ(At(0, 0), kGrey);
}

TEST_F(SkillEffectFrames, ListedEffectsJoinTheirListLoopOrEndAndLeaveWhenDeleted) {
    auto* story = new Zu_SkillEffect(0, 29, 26, 116);
    ASSERT_EQ(store->firstEffects->GetCount(), 1);
    EXPECT_EQ(story->frameDelay, 2) << "the story cursor's row paces it every second tick";
    for (int i = 0; i < 8; ++i)
        store->StepFirstEffectList();
    EXPECT_EQ(store->firstEffects->GetCount(), 1) << "the story cursor loops";
    EXPECT_EQ(story->state, 1);
    delete story;
    EXPECT_EQ(store->firstEffects->GetCount(), 0);

    auto* order = new Zu_SkillEffect(3, 12, 200, 100);
    EXPECT_EQ(order->x, 175);
    EXPECT_EQ(order->y, 75);
    ASSERT_EQ(store->secondEffects->GetCount(), 1);
    EXPECT_NE(store->effectCache->Loaded(3, 12), nullptr);
    store->StepSecondEffectList();
    EXPECT_EQ(store->secondEffects->GetCount(), 0) << "a one-frame map mark ends and is retired";
    EXPECT_EQ(store->effectCache->Loaded(3, 12), nullptr) << "its animation was let go";

    Zu_SkillEffect unlisted(3, 9, 0, 0);
    EXPECT_EQ(store->firstEffects->GetCount() + store->secondEffects->GetCount(), 0);
}

TEST_F(SkillEffectFrames, AnEffectWithoutAnAnimationDrawsNothing) {
    Zu_SkillEffect missing(0, 5, 10, 10); // "Cursor27.ani" is not in the folder
    EXPECT_EQ(missing.frameCount, 0);
    EXPECT_EQ(missing.frame, nullptr);
    Clear(kGrey);
    missing.Advance();
    missing.UpdateAndDraw();
    EXPECT_EQ(At(10, 10), kGrey);
    EXPECT_EQ(missing.state, 2) << "nothing to play: it ends at its first step";
}

} // namespace
