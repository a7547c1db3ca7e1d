#include "engine/EffectAnimationCache.h"
#include "engine/AniFrame.h"
#include "engine/PixelFormat.h"
#include "fuzz/seeds/builders/StoreFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

const storefix::AniFrameSpec kFrame{0, 0, 2, 1, {0xF800, 0x0020}, {255, 0}};

} // namespace

TEST(EffectAnimationCache, LoadsTheCursorAnimationsAtConstruction) {
    testsupport::TempFolder folder;
    PixelFormat = 565;
    storefix::WriteBytes(folder.path() / "Cursor18.ani", storefix::AniFile({kFrame, kFrame}));
    storefix::WriteBytes(folder.path() / "cursor25.ani", storefix::AniFile({kFrame}));
    EffectAnimationCache cache;
    EffectAnimation* c0 = cache.Loaded(0, 0);
    ASSERT_TRUE(c0);
    EXPECT_EQ(c0->frameCount, 2);
    EXPECT_EQ(c0->refCount, 0);
    EXPECT_EQ(c0->value1, 1);
    ASSERT_TRUE(c0->frames && c0->frames->next);
    EXPECT_EQ(c0->frames->frame->pixels[0], 0xF800);
    EXPECT_EQ(c0->frames->next->next, nullptr);
    EXPECT_NE(cache.Loaded(0, 1), c0); // same file, own record
    EXPECT_EQ(cache.Loaded(0, 25)->frameCount, 1);
    EXPECT_EQ(cache.Loaded(0, 2)->frameCount, 0); // missing file: no frames
    EXPECT_EQ(cache.Loaded(0, 26), nullptr);      // beyond 25: not loaded yet
    EffectAnimation* story = cache.Acquire(0, 29);
    ASSERT_TRUE(story);
    EXPECT_EQ(story->value1, 2);
    EXPECT_EQ(story->value2, 2);
    EffectAnimation* empty = cache.Acquire(0, 27); // empty name
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->frameCount, 0);
}

TEST(EffectAnimationCache, CountsFollowAcquireAndRelease) {
    testsupport::TempFolder folder;
    storefix::WriteBytes(folder.path() / "AddHp.ani", storefix::AniFile({kFrame}));
    storefix::WriteBytes(folder.path() / "fire.ani", storefix::AniFile({kFrame}));
    EffectAnimationCache cache;
    EffectAnimation* a = cache.Acquire(3, 4);
    ASSERT_TRUE(a);
    EXPECT_EQ(cache.Acquire(3, 4), a);
    EXPECT_EQ(a->refCount, 2);
    EXPECT_EQ(a->frameCount, 1);
    // Index 14 names the same file but is its own record with its own count.
    EffectAnimation* b = cache.Acquire(3, 14);
    EXPECT_NE(b, a);
    EXPECT_EQ(b->refCount, 1);
    cache.Release(3, 4);
    EXPECT_EQ(cache.Loaded(3, 4), a);
    EXPECT_EQ(a->refCount, 1);
    cache.Release(3, 4);
    EXPECT_EQ(cache.Loaded(3, 4), nullptr);
    EXPECT_EQ(cache.Loaded(3, 14), b);
    // Loaded again on the next acquire.
    EffectAnimation* again = cache.Acquire(3, 4);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->refCount, 1);
    EXPECT_EQ(again->frameCount, 1);

    // Kinds 0 and 2 stay loaded.
    EffectAnimation* fire = cache.Acquire(2, 0);
    cache.Release(2, 0);
    cache.Release(2, 0);
    EXPECT_EQ(cache.Loaded(2, 0), fire);
    EXPECT_EQ(fire->refCount, 1);
    cache.Release(0, 0);
    EXPECT_TRUE(cache.Loaded(0, 0));
}

TEST(EffectAnimationCache, GuardsSlotsNeverLoadedCountsAtZeroAndIndexesOutOfRange) {
    testsupport::TempFolder folder;
    EffectAnimationCache cache;
    cache.Release(3, 5); // never loaded
    cache.Release(1, 9);
    cache.Release(3, 60);
    cache.Release(-1, 0);
    EXPECT_EQ(cache.Acquire(4, 0), nullptr);
    EXPECT_EQ(cache.Acquire(1, 10), nullptr);
    EXPECT_EQ(cache.Acquire(3, -1), nullptr);
    EXPECT_EQ(cache.Acquire(3, 60), nullptr);
    EffectAnimation* weather = cache.Acquire(1, 0); // missing file: a record without frames
    ASSERT_TRUE(weather);
    EXPECT_EQ(weather->frameCount, 0);
    weather->refCount = 0; // as if released elsewhere
    cache.Release(1, 0);
    EXPECT_EQ(cache.Loaded(1, 0), weather);
    EXPECT_EQ(weather->refCount, 0);
    EXPECT_EQ(EffectAnimationCache::Row(3, 25)->fileName, std::string("Snow.ani"));
    EXPECT_EQ(EffectAnimationCache::Row(3, 26)->fileName, std::string(""));
    EXPECT_EQ(EffectAnimationCache::Row(0, 5)->fileName, std::string("Cursor27.ani"));
    EXPECT_EQ(EffectAnimationCache::Row(0, 6)->fileName, std::string("Cursor06.ani"));
}

TEST(EffectAnimationCache, ReadsFramesWhileTheFileHoldsThem) {
    const EffectAnimationRow row{"x.ani", nullptr, 1, 1};
    auto bytes = storefix::AniFile({kFrame, kFrame, kFrame});
    bytes.resize(bytes.size() - 2); // the third frame is cut short
    EffectAnimation* a = DecodeEffectAnimation(bytes, row);
    EXPECT_EQ(a->frameCount, 2);
    FreeEffectAnimation(a);
    auto lying = storefix::AniFile({kFrame});
    lying[0] = 0xFF; // 255 frames claimed, one there
    lying[1] = 0xFF;
    a = DecodeEffectAnimation(lying, row);
    EXPECT_EQ(a->frameCount, 1);
    FreeEffectAnimation(a);
    a = DecodeEffectAnimation({}, row);
    EXPECT_EQ(a->frameCount, 0);
    FreeEffectAnimation(a);
}
