#include "gui/InputQueue.h"
#include "gui/GuiMessage.h"
#include "gui/Widget.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint32_t> Drain(GuiMessageQueue& q) {
    std::vector<uint32_t> contexts;
    while (GuiMessage* m = q.Take()) {
        contexts.push_back(m->context);
        delete m;
    }
    return contexts;
}

TEST(GuiMessageQueue, TakesTheOldestFirstAndCopiesWhatItIsGiven) {
    GuiMessageQueue q;
    EXPECT_EQ(q.IsEmpty(), 1);
    EXPECT_EQ(q.Take(), nullptr);

    Point p(7, 9);
    Rect r(1, 2, 3, 4);
    GuiMessage mine(1, nullptr, nullptr, 2, &p, &r, 1);
    q.PostCopy(mine);
    mine.context = 99;
    mine.point.x = 0;
    q.Post(2, nullptr, nullptr, 3, nullptr, nullptr, 0);
    q.Post(3, nullptr, nullptr, 1, &p, nullptr, 0);
    EXPECT_EQ(q.IsEmpty(), 0);

    GuiMessage* first = q.Take();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->context, 1u) << "the queue keeps its own copy";
    EXPECT_EQ(first->point.x, 7);
    EXPECT_EQ(first->rect.right, 3);
    EXPECT_EQ(first->param, 1u);
    delete first;
    GuiMessage* second = q.Take();
    EXPECT_EQ(second->point.x, 0) << "no point given: zero";
    EXPECT_EQ(second->rect.bottom, 0);
    delete second;
    EXPECT_EQ(Drain(q), (std::vector<uint32_t>{3}));
}

TEST(GuiMessageQueue, RemovingMessagesKeepsTheOrderOfTheOthers) {
    GuiMessageQueue q;
    Widget a(new Rect(0, 0, 1, 1), nullptr, nullptr, 0);
    Widget b(new Rect(0, 0, 1, 1), nullptr, nullptr, 0);
    int senderStorage = 0;
    auto* sender = reinterpret_cast<RootObject*>(&senderStorage);
    struct Posted {
        uint32_t context;
        RootObject* source;
        Widget* target;
    };
    const Posted posted[] = {{1, sender, &a}, {2, nullptr, &a},     {3, sender, &b},
                             {4, sender, &a}, {5, sender, nullptr}, {6, nullptr, &b}};
    for (const Posted& m : posted)
        q.Post(m.context, m.target, m.source, 1, nullptr, nullptr, 0);

    q.RemoveMatching(sender, &a);
    q.PostCopy(GuiMessage(7, nullptr, nullptr, 1, nullptr, nullptr, 0));
    EXPECT_EQ(Drain(q), (std::vector<uint32_t>{2, 3, 5, 6, 7})) << "source and target must both match";

    for (const Posted& m : posted)
        q.Post(m.context, m.target, m.source, 1, nullptr, nullptr, 0);
    q.RemoveForTarget(&b);
    EXPECT_EQ(Drain(q), (std::vector<uint32_t>{1, 2, 4, 5}));
}

TEST(GuiMessageQueue, DeletingTheQueueFreesWhatIsStillQueued) {
    auto* q = new GuiMessageQueue;
    q->Post(1, nullptr, nullptr, 1, nullptr, nullptr, 0);
    q->Post(2, nullptr, nullptr, 1, nullptr, nullptr, 0);
    delete q; // the leak checker sees any message left behind
}

TEST(ObjectStack, PushesAtTheEndAndPopsEitherEnd) {
    ObjectStack s;
    EXPECT_EQ(s.Pop(), 0u);
    s.Push(10);
    s.Add(20);
    s.Push(30);
    EXPECT_EQ(s.Contains(20), 1);
    EXPECT_EQ(s.PopNewest(), 30u);
    EXPECT_EQ(s.CurrentValue(), 10u);
    EXPECT_EQ(s.Pop(), 20u);
    EXPECT_EQ(s.IsEmpty(), 1);
    s.Push(1);
    s.RemoveAll();
    EXPECT_EQ(s.IsEmpty(), 1);
}

} // namespace
