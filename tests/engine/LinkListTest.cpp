#include "engine/LinkList.h"

#include <gtest/gtest.h>

#include <string>

#include <functional>
#include <vector>

namespace {

using Values = std::vector<uintptr_t>;

void Fill(LinkList& list, const Values& values) {
    for (uintptr_t v : values) {
        list.Last();
        list.Add(v);
    }
}

// Reads the list without the cursor: Contains-style walk through GetAt moves it, so this is
// called only after the cursor has been checked.
Values Contents(LinkList& list) {
    Values out;
    for (int i = 0; i < list.GetCount(); ++i)
        out.push_back(list.GetAt(i));
    return out;
}

struct CursorCase {
    const char* name;
    Values initial;
    std::function<uintptr_t(LinkList&)> act;
    uintptr_t result;
    uintptr_t currentAfter; // 0 = head position
    Values contents;
};

const std::vector<CursorCase> kCursorCases = {
    {"FirstOnEmpty", {}, [](LinkList& l) { return l.First(); }, 0, 0, {}},
    {"LastOnEmpty", {}, [](LinkList& l) { return l.Last(); }, 0, 0, {}},
    {"NextAtLastStays",
     {1, 2, 3},
     [](LinkList& l) {
         l.Last();
         return l.Next();
     },
     0,
     3,
     {1, 2, 3}},
    {"NextFromHeadGivesFirst",
     {1, 2},
     [](LinkList& l) {
         l.First();
         l.Prev();
         return l.Next();
     },
     1,
     1,
     {1, 2}},
    {"PrevFromFirstGoesToHead",
     {1, 2},
     [](LinkList& l) {
         l.First();
         return l.Prev();
     },
     0,
     0,
     {1, 2}},
    {"PrevFromLast",
     {1, 2, 3},
     [](LinkList& l) {
         l.Last();
         return l.Prev();
     },
     2,
     2,
     {1, 2, 3}},
    {"AddAfterFirstInsertsSecond",
     {1, 2, 3},
     [](LinkList& l) {
         l.First();
         return l.Add(9);
     },
     1,
     9,
     {1, 9, 2, 3}},
    {"AddOnNewListAcceptsZero", {}, [](LinkList& l) { return l.Add(0); }, 1, 0, {0}},
    {"RunOfAddsKeepsOrder",
     {},
     [](LinkList& l) {
         l.Add(1);
         l.Add(2);
         return l.Add(3);
     },
     1,
     3,
     {1, 2, 3}},
    {"FindMovesToFound",
     {1, 2, 3},
     [](LinkList& l) {
         l.First();
         return l.Find(2);
     },
     2,
     2,
     {1, 2, 3}},
    {"FindAbsentStays",
     {1, 2, 3},
     [](LinkList& l) {
         l.Last();
         return l.Find(7);
     },
     0,
     3,
     {1, 2, 3}},
    {"FindZeroGoesToHead",
     {1, 2},
     [](LinkList& l) {
         l.Last();
         return l.Find(0);
     },
     0,
     0,
     {1, 2}},
    {"GetAtMoves", {1, 2, 3}, [](LinkList& l) { return l.GetAt(1); }, 2, 2, {1, 2, 3}},
    {"GetAtPastEndStays",
     {1, 2, 3},
     [](LinkList& l) {
         l.First();
         return l.GetAt(3);
     },
     0,
     1,
     {1, 2, 3}},
    {"GetAtMinusOneGoesToHead",
     {1, 2},
     [](LinkList& l) {
         l.Last();
         return l.GetAt(-1);
     },
     0,
     0,
     {1, 2}},
    {"RemoveCurrentOnHeadDoesNothing",
     {1, 2},
     [](LinkList& l) {
         l.GetAt(-1);
         return uintptr_t(l.RemoveCurrent());
     },
     0,
     0,
     {1, 2}},
    {"RemoveCurrentGoesToPredecessor",
     {1, 2, 3},
     [](LinkList& l) {
         l.Find(3);
         return uintptr_t(l.RemoveCurrent());
     },
     1,
     2,
     {1, 2}},
    {"RemoveCurrentOfFirstGoesToHead",
     {1, 2},
     [](LinkList& l) {
         l.First();
         return uintptr_t(l.RemoveCurrent());
     },
     1,
     0,
     {2}},
    {"RemoveValueGoesToPredecessor",
     {1, 2, 3},
     [](LinkList& l) {
         l.First();
         return uintptr_t(l.RemoveValue(3));
     },
     1,
     2,
     {1, 2}},
    {"RemoveValueOfFirstGoesToNewFirst",
     {1, 2, 3},
     [](LinkList& l) {
         l.Last();
         return uintptr_t(l.RemoveValue(1));
     },
     1,
     2,
     {2, 3}},
    {"RemoveValueAbsentEndsOnLast",
     {1, 2, 3},
     [](LinkList& l) {
         l.First();
         return uintptr_t(l.RemoveValue(7));
     },
     0,
     3,
     {1, 2, 3}},
    {"RemoveValueOnEmpty", {}, [](LinkList& l) { return uintptr_t(l.RemoveValue(5)); }, 0, 0, {}},
    {"RemoveValueZeroOnEmptyKeepsSentinels",
     {},
     [](LinkList& l) { return uintptr_t(l.RemoveValue(0)); },
     0,
     0,
     {}},
    {"RemoveValueLastOne", {4}, [](LinkList& l) { return uintptr_t(l.RemoveValue(4)); }, 1, 0, {}},
    // The cursor resting on the head position no longer hides a value that is in the list.
    {"RemoveValueAfterPrevOffFront",
     {1, 2, 3},
     [](LinkList& l) {
         l.First();
         l.Prev();
         return uintptr_t(l.RemoveValue(2));
     },
     1,
     1,
     {1, 3}},
    {"RemoveValueAfterRemoveCurrentOfFirst",
     {1, 2, 3},
     [](LinkList& l) {
         l.First();
         l.RemoveCurrent();
         return uintptr_t(l.RemoveValue(3));
     },
     1,
     2,
     {2}},
    {"RemoveValueAfterGetAtMinusOne",
     {1, 2, 3},
     [](LinkList& l) {
         l.GetAt(-1);
         return uintptr_t(l.RemoveValue(1));
     },
     1,
     2,
     {2, 3}},
    {"RemoveValueAfterFindZero",
     {1, 2, 3},
     [](LinkList& l) {
         l.Find(0);
         return uintptr_t(l.RemoveValue(3));
     },
     1,
     2,
     {1, 2}},
    {"StoredZeroEndsRemoveValue",
     {1, 0, 2},
     [](LinkList& l) { return uintptr_t(l.RemoveValue(2)); },
     0,
     0,
     {1, 0, 2}},
    {"ContainsLooksPastZeroWithoutMoving",
     {1, 0, 2},
     [](LinkList& l) {
         l.First();
         return uintptr_t(l.Contains(2));
     },
     1,
     1,
     {1, 0, 2}},
    {"ContainsPtrStopsAtZero",
     {1, 0, 2},
     [](LinkList& l) { return uintptr_t(l.ContainsPtr(2)); },
     0,
     0,
     {1, 0, 2}},
    {"ContainsPtrAbsentEndsOnLast",
     {1, 2},
     [](LinkList& l) { return uintptr_t(l.ContainsPtr(5)); },
     0,
     2,
     {1, 2}},
    {"ContainsPtrFoundMoves",
     {1, 2, 3},
     [](LinkList& l) { return uintptr_t(l.ContainsPtr(2)); },
     1,
     2,
     {1, 2, 3}},
    {"RemoveAllGoesToHead",
     {1, 2},
     [](LinkList& l) {
         l.Last();
         l.RemoveAll();
         return uintptr_t(l.IsEmpty());
     },
     1,
     0,
     {}},
};

void PrintTo(const CursorCase& c, std::ostream* os) {
    *os << c.name;
}

class LinkListCursor : public testing::TestWithParam<CursorCase> {};

TEST_P(LinkListCursor, FollowsTheCursorRules) {
    const CursorCase& c = GetParam();
    LinkList list;
    Fill(list, c.initial);
    EXPECT_EQ(c.act(list), c.result);
    EXPECT_EQ(list.Current(), c.currentAfter);
    EXPECT_EQ(list.CurrentValue(), c.currentAfter);
    EXPECT_EQ(list.GetCount(), static_cast<int>(c.contents.size()));
    EXPECT_EQ(Contents(list), c.contents);
    EXPECT_EQ(list.IsEmpty(), c.contents.empty() ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, LinkListCursor, testing::ValuesIn(kCursorCases),
                         [](const testing::TestParamInfo<CursorCase>& info) { return info.param.name; });

struct FakeControl {
    int16_t id;
};

TEST(LinkList, FindByIdMatchesSignedShortIdsAndMovesTheCursor) {
    FakeControl a{0x100}, b{-2}, c{0x200};
    LinkList list;
    Fill(list, {uintptr_t(&a), uintptr_t(&b), uintptr_t(&c)});

    EXPECT_EQ(list.FindById<FakeControl>(0xFFFE), uintptr_t(&b)); // same signed 16-bit number as -2
    EXPECT_EQ(list.Current(), uintptr_t(&b));
    EXPECT_EQ(list.FindByKey<FakeControl>(0x100), uintptr_t(&a));
    list.First();
    EXPECT_EQ(list.FindById<FakeControl>(0x300), 0u);
    EXPECT_EQ(list.Current(), uintptr_t(&c));
}

TEST(LinkList, NestedSearchesMoveTheOuterWalk) {
    FakeControl a{1}, b{2}, c{3};
    LinkList list;
    Fill(list, {uintptr_t(&a), uintptr_t(&b), uintptr_t(&c)});

    // A failed inner search leaves the cursor on the last element: the outer walk ends early.
    int visited = 0;
    for (uintptr_t v = list.First(); v != 0; v = list.Next()) {
        ++visited;
        list.FindById<FakeControl>(99);
    }
    EXPECT_EQ(visited, 1);

    // A successful one continues after the found element.
    std::vector<uintptr_t> seen;
    for (uintptr_t v = list.First(); v != 0; v = list.Next()) {
        seen.push_back(v);
        if (v == uintptr_t(&a)) list.FindById<FakeControl>(2);
    }
    EXPECT_EQ(seen, (Values{uintptr_t(&a), uintptr_t(&c)}));

    // Contains, IsEmpty, Current and GetCount leave a walk alone.
    seen.clear();
    for (uintptr_t v = list.First(); v != 0; v = list.Next()) {
        seen.push_back(v);
        list.Contains(uintptr_t(&a));
        list.IsEmpty();
        list.GetCount();
    }
    EXPECT_EQ(seen.size(), 3u);
}

TEST(LinkList, RemovalsInsideAWalk) {
    // RemoveCurrent: the walk goes on with the element after the removed one, also at the front.
    LinkList list;
    Fill(list, {2, 1, 4, 3, 6, 5});
    for (uintptr_t v = list.First(); v != 0; v = list.Next()) {
        if (v % 2 == 0) list.RemoveCurrent();
    }
    EXPECT_EQ(Contents(list), (Values{1, 3, 5}));

    // RemoveValue of the first element puts the cursor on the new first one; the next Next
    // skips it.
    LinkList other;
    Fill(other, {1, 2, 3});
    Values seen;
    for (uintptr_t v = other.First(); v != 0; v = other.Next()) {
        seen.push_back(v);
        if (v == 1) other.RemoveValue(1);
    }
    EXPECT_EQ(seen, (Values{1, 3}));
    EXPECT_EQ(Contents(other), (Values{2, 3}));
}

TEST(LinkList, CountNeverGoesBelowZero) {
    LinkList list;
    EXPECT_EQ(list.RemoveCurrent(), 0);
    EXPECT_EQ(list.RemoveValue(1), 0);
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
    list.Add(7);
    EXPECT_EQ(list.RemoveCurrent(), 1);
    EXPECT_EQ(list.RemoveCurrent(), 0);
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(LinkList, NeverDeletesTheObjectsItsValuesPointTo) {
    // The values point at heap objects that stay readable and are freed here once: a list that
    // freed them would show as a use after free or a double free under the sanitizer.
    auto* a = new std::string(40, 'a');
    auto* b = new std::string(40, 'b');
    auto* list = new LinkList;
    list->Add(uintptr_t(a));
    list->Add(uintptr_t(b));
    list->RemoveAll();
    list->Add(uintptr_t(a));
    ListNodeBase* asBase = list;
    delete asBase;
    EXPECT_EQ(*a, std::string(40, 'a'));
    EXPECT_EQ(*b, std::string(40, 'b'));
    delete a;
    delete b;
}

} // namespace
