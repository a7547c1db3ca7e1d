#include "engine/PositionNode.h"
#include "engine/Rect.h"
#include "engine/RectRegion.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <tuple>
#include <utility>

namespace {

std::tuple<int, int, int, int> Corners(const Rect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

TEST(Rect, SettersNormaliseAndSizeCountsBothCorners) {
    EXPECT_EQ(Corners(Rect(10, 20, 5, 8)), std::make_tuple(5, 8, 10, 20));
    EXPECT_EQ(Corners(Rect(Point(9, 1), Point(2, 7))), std::make_tuple(2, 1, 9, 7));

    Rect r(0, 0, 9, 9);
    EXPECT_EQ(r.Width(), 10);
    EXPECT_EQ(r.Height(), 10);
    EXPECT_EQ(Rect(3, 3, 3, 3).Width(), 1);

    Rect s(5, 5, 20, 20);
    s.SetSize(0, 0); // right becomes 4 before it is normalised
    EXPECT_EQ(Corners(s), std::make_tuple(4, 4, 5, 5));
    s.Set(1, 2, 1, 2);
    s.SetSize(Rect(0, 0, 9, 4));
    EXPECT_EQ(Corners(s), std::make_tuple(1, 2, 10, 6));

    Rect t;
    t.Set(Rect(8, 8, 1, 1));
    EXPECT_EQ(Corners(t), std::make_tuple(1, 1, 8, 8));
}

TEST(Rect, ContainsTreatsRightAndBottomAsOutside) {
    const Rect r(0, 0, 9, 9);
    struct {
        int x, y, inside;
    } cases[] = {{0, 0, 1}, {8, 8, 1}, {9, 0, 0}, {0, 9, 0}, {-1, 0, 0}, {4, -1, 0}, {9, 9, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(r.ContainsXY(c.x, c.y), c.inside) << c.x << "," << c.y;
        EXPECT_EQ(r.Contains(Point(c.x, c.y)), c.inside);
    }
}

TEST(Rect, IntersectCountsSharedEdgesAndNormalisesBothInputs) {
    struct {
        Rect a, b;
        int hit;
        std::tuple<int, int, int, int> result;
    } cases[] = {
        {Rect(0, 0, 9, 9), Rect(9, 9, 20, 20), 1, {9, 9, 9, 9}},
        {Rect(0, 0, 9, 9), Rect(10, 0, 20, 9), 0, {10, 0, 9, 9}},
        {Rect(0, 0, 9, 9), Rect(2, 3, 4, 5), 1, {2, 3, 4, 5}},
        {Rect(0, 0, 9, 9), Rect(0, 10, 9, 12), 0, {0, 10, 9, 9}},
    };
    for (auto& c : cases) {
        Rect out;
        EXPECT_EQ(c.a.Intersect(c.b, out), c.hit);
        EXPECT_EQ(Corners(out), c.result);
    }

    // Inputs broken by hand are normalised in place.
    Rect a(0, 0, 9, 9), b(0, 0, 1, 1), out;
    a.left = 9;
    a.right = 0;
    b.top = 5;
    b.bottom = 2;
    EXPECT_EQ(a.Intersect(b, out), 1);
    EXPECT_EQ(Corners(a), std::make_tuple(0, 0, 9, 9));
    EXPECT_EQ(Corners(b), std::make_tuple(0, 2, 1, 5));
    EXPECT_EQ(Corners(out), std::make_tuple(0, 2, 1, 5));
}

TEST(Rect, OffsetMovesCornersAndPointsAdd) {
    Rect r(1, 2, 3, 4);
    EXPECT_EQ(&r.Offset(10, 20), &r);
    EXPECT_EQ(Corners(r), std::make_tuple(11, 22, 13, 24));
    r.Offset(Point(-11, -22));
    EXPECT_EQ(Corners(r), std::make_tuple(0, 0, 2, 2));

    Point p(3, 4);
    p.Offset(Point(1, 1));
    p.Offset(-10, 0);
    EXPECT_EQ(p.x, -6);
    EXPECT_EQ(p.y, 5);
    p.Set(7, 8);
    Point copy = p;
    EXPECT_EQ(copy.x + copy.y, 15);

    std::unique_ptr<GeometryBase> owned = std::make_unique<Rect>(0, 0, 1, 1);
    owned.reset(); // deleted through the base
}

// Every pixel covered, counted once: the region's rectangles never overlap.
std::multiset<std::pair<int, int>> Pixels(const RectRegion& region) {
    std::multiset<std::pair<int, int>> out;
    for (int i = 0; i < region.GetSlotCount(); ++i) {
        const Rect* r = region.GetAt(i);
        if (!r) continue;
        for (int y = r->top; y <= r->bottom; ++y)
            for (int x = r->left; x <= r->right; ++x)
                out.insert({x, y});
    }
    return out;
}

std::multiset<std::pair<int, int>> Union(std::initializer_list<Rect> rects) {
    std::set<std::pair<int, int>> unique;
    for (const Rect& r : rects)
        for (int y = r.top; y <= r.bottom; ++y)
            for (int x = r.left; x <= r.right; ++x)
                unique.insert({x, y});
    return {unique.begin(), unique.end()};
}

TEST(RectRegion, AddCutsOverlapsIntoStripsWithoutDoubleCover) {
    RectRegion region;
    region.Add(Rect(0, 0, 9, 9));
    region.Add(Rect(4, 4, 14, 6)); // crosses the right edge
    region.Add(Rect(2, 2, 3, 3));  // inside the first
    EXPECT_EQ(Pixels(region), Union({Rect(0, 0, 9, 9), Rect(4, 4, 14, 6)}));

    // The middle cut of a rectangle leaves its four strips and the new rectangle.
    RectRegion cut;
    cut.Add(Rect(0, 0, 9, 9));
    cut.Add(Rect(3, 3, 5, 5));
    EXPECT_EQ(cut.GetCount(), 5);
    EXPECT_EQ(Pixels(cut), Union({Rect(0, 0, 9, 9)}));

    // Slots grow eight at a time and keep every rectangle.
    RectRegion many;
    for (int i = 0; i < 20; ++i)
        many.Add(Rect(i * 10, 0, i * 10 + 5, 5));
    EXPECT_EQ(many.GetCount(), 20);
    EXPECT_EQ(many.GetSlotCount(), 24);
    EXPECT_EQ(many.GetAt(24), nullptr);
    EXPECT_EQ(many.GetAt(-1), nullptr);
}

TEST(RectRegion, SubtractClipOffsetAndCopy) {
    RectRegion region;
    region.Add(Rect(0, 0, 9, 9));
    region.Subtract(Rect(0, 0, 9, 4));
    EXPECT_EQ(Pixels(region), Union({Rect(0, 5, 9, 9)}));

    RectRegion clipped;
    EXPECT_EQ(region.Clip(Rect(8, 8, 20, 20), clipped), 1);
    EXPECT_EQ(Pixels(clipped), Union({Rect(8, 8, 9, 9)}));
    RectRegion none;
    EXPECT_EQ(region.Clip(Rect(30, 30, 40, 40), none), 0);
    EXPECT_EQ(none.GetCount(), 0);

    RectRegion copy;
    copy.Copy(region);
    copy.Offset(100, 0);
    EXPECT_EQ(Pixels(copy), Union({Rect(100, 5, 109, 9)}));
    copy.AddRegion(region);
    EXPECT_EQ(Pixels(copy), Union({Rect(100, 5, 109, 9), Rect(0, 5, 9, 9)}));
}

TEST(PositionNode, WorldOriginFollowsTheParent) {
    PositionNode root(nullptr, Rect(100, 50, 899, 649));
    PositionNode child(&root, Rect(10, 20, 59, 39));
    EXPECT_EQ(child.GetWorldOrigin().x, 110);
    EXPECT_EQ(child.GetWorldOrigin().y, 70);
    EXPECT_EQ(Corners(child.GetLocalArea()), std::make_tuple(0, 0, 49, 19));

    // Invalidating a rectangle that misses the area changes nothing.
    const uint32_t before = root.GetUpdateCount();
    root.Invalidate(Rect(1000, 1000, 1010, 1010));
    EXPECT_EQ(root.GetUpdateCount(), before);
    root.Invalidate(Rect(120, 60, 130, 70));
    EXPECT_GT(root.GetUpdateCount(), before);

    // The child notices the parent's change before it is used.
    child.MakeCurrent();
    EXPECT_EQ(PositionNode::GetCurrent(), &child);
    EXPECT_EQ(child.GetWorldOrigin().x, 110);
    const uint32_t childCount = child.GetUpdateCount();
    child.Refresh();
    EXPECT_EQ(child.GetUpdateCount(), childCount);
}

} // namespace
