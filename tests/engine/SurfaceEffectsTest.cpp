#include "engine/SurfaceEffects.h"
#include "engine/LinkList.h"
#include "world/Zu_SkillEffect.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::string> journal;

class FakeEffect : public Zu_SkillEffect {
public:
    FakeEffect(std::string name, int16_t category, int16_t endAfter, int32_t slot = -1)
        : name(std::move(name)), endAfter(endAfter) {
        this->category = category;
        clipSlot = slot;
    }
    ~FakeEffect() override { journal.push_back("delete " + name); }
    void Advance() override { journal.push_back("advance " + name); }
    void UpdateAndDraw() override {
        journal.push_back("draw " + name);
        if (++steps >= endAfter) state = 2;
    }
    std::string name;
    int16_t endAfter;
    int steps = 0;
};

bool clipPlaying[4] = {};
int PollClip(int32_t slot) {
    return slot >= 0 && slot < 4 && clipPlaying[slot] ? 1 : 0;
}

} // namespace

TEST(EffectLists, StepAdvancesDrawsAndRetiresFinishedEffectsInOrder) {
    journal.clear();
    LinkList list;
    list.Last();
    list.Add(reinterpret_cast<uintptr_t>(new FakeEffect("a", 0, 1)));
    list.Last();
    list.Add(reinterpret_cast<uintptr_t>(new FakeEffect("b", 1, 3)));
    list.Last();
    list.Add(reinterpret_cast<uintptr_t>(new FakeEffect("c", 0, 1)));
    StepEffectList(&list, PollClip);
    EXPECT_EQ(journal, (std::vector<std::string>{"advance a", "draw a", "delete a", "advance b", "draw b",
                                                 "advance c", "draw c", "delete c"}));
    EXPECT_EQ(list.GetCount(), 1);
    journal.clear();
    StepEffectList(&list, PollClip);
    StepEffectList(&list, PollClip);
    EXPECT_EQ(journal.back(), "delete b");
    EXPECT_EQ(list.GetCount(), 0);
    StepEffectList(nullptr, PollClip);
}

TEST(EffectLists, AClipEffectStaysWhileItsClipPlays) {
    journal.clear();
    LinkList list;
    list.Add(reinterpret_cast<uintptr_t>(new FakeEffect("clip", 2, 1, 2)));
    clipPlaying[2] = true;
    StepEffectList(&list, PollClip);
    StepEffectList(&list, PollClip);
    EXPECT_EQ(list.GetCount(), 1);
    clipPlaying[2] = false;
    StepEffectList(&list, PollClip);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(journal.back(), "delete clip");
}

TEST(EffectLists, DeleteEffectsEmptiesTheList) {
    journal.clear();
    LinkList list;
    list.Add(reinterpret_cast<uintptr_t>(new FakeEffect("x", 0, 100)));
    list.Add(reinterpret_cast<uintptr_t>(new FakeEffect("y", 2, 100)));
    DeleteEffects(&list);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(journal.size(), 2u);
    DeleteEffects(nullptr);
}

TEST(ClipRectPair, Cases) {
    struct Case {
        ClipRect a, b;
        int result;
        ClipRect a2, b2;
    };
    const Case cases[] = {
        // Only touching: untouched.
        {{0, 0, 10, 10}, {10, 0, 20, 10}, 0, {0, 0, 10, 10}, {10, 0, 20, 10}},
        {{10, 0, 20, 10}, {0, 0, 10, 10}, 0, {10, 0, 20, 10}, {0, 0, 10, 10}},
        {{0, 0, 10, 10}, {0, 10, 10, 20}, 0, {0, 0, 10, 10}, {0, 10, 10, 20}},
        // The inner one becomes {0, 0, its width, its height}.
        {{0, 0, 100, 100}, {10, 20, 30, 60}, 1, {10, 20, 30, 60}, {0, 0, 20, 40}},
        // Overlap, each relative to its own corner.
        {{0, 0, 10, 10}, {5, 5, 15, 15}, 1, {5, 5, 10, 10}, {0, 0, 5, 5}},
        {{-5, -5, 5, 5}, {0, 0, 10, 10}, 1, {5, 5, 10, 10}, {0, 0, 5, 5}},
        {{0, 0, 10, 10}, {20, 20, 30, 30}, 0, {0, 0, 10, 10}, {20, 20, 30, 30}},
    };
    for (const Case& c : cases) {
        ClipRect a = c.a, b = c.b;
        EXPECT_EQ(ClipRectPair(a, b), c.result);
        EXPECT_EQ(std::tie(a.left, a.top, a.right, a.bottom),
                  std::tie(c.a2.left, c.a2.top, c.a2.right, c.a2.bottom));
        EXPECT_EQ(std::tie(b.left, b.top, b.right, b.bottom),
                  std::tie(c.b2.left, c.b2.top, c.b2.right, c.b2.bottom));
    }
}

TEST(MapMarkers, OutlinesMarkedKindsInViewAndLabelsThem) {
    std::vector<uint16_t> area(800 * 600, 0);
    MapMarkerView view;
    view.left = 2;
    view.top = 4;
    view.right = 20;
    view.bottom = 60;
    view.originX = 2;
    view.originY = 4;
    view.objects = {
        {"gate", 10, 3, 5, 5, 8},     // inside
        {"tree", 11, 3, 5, 5, 8},     // kind not marked
        {"far", 16, 30, 70, 40, 80},  // no corner in view
        {"edge", 60, 0, 0, 4, 6},     // second corner in view; clipped to (2, 4)
        {"wide", 53, 10, 10, 30, 12}, // first corner in view; right clipped to 20 -> px2 = 720
    };
    const auto labels = DrawMapMarkerOutlines(view, area.data(), 1600, 800, 600);
    auto at = [&](int x, int y) { return area[size_t(y) * 800 + x]; };
    // gate: l=3, t=5, r=5, b=8 -> columns 40..120, rows 10..40.
    EXPECT_EQ(at(40, 10), 0xFFE0);
    EXPECT_EQ(at(119, 10), 0xFFE0);
    EXPECT_EQ(at(120, 10), 0xFFE0);
    EXPECT_EQ(at(100, 40), 0xFFE0);
    EXPECT_EQ(at(40, 39), 0xFFE0);
    EXPECT_EQ(at(120, 39), 0xFFE0);
    EXPECT_EQ(at(120, 40), 0);
    EXPECT_EQ(at(100, 30), 0);
    // edge: l=2, t=4 -> (0, 0) to (80, 20).
    EXPECT_EQ(at(0, 0), 0xFFE0);
    EXPECT_EQ(at(80, 19), 0xFFE0);
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_STREQ(labels[0].name, "gate");
    EXPECT_EQ(labels[0].x, 56);
    EXPECT_EQ(labels[0].y, 26);
    EXPECT_STREQ(labels[2].name, "wide");
    EXPECT_EQ(at(720, 70), 0xFFE0);
    // A smaller target is never written past its edges.
    std::vector<uint16_t> small(10 * 10, 0);
    DrawMapMarkerOutlines(view, small.data(), 20, 10, 10);
    EXPECT_EQ(small[0], 0xFFE0);
}
