#include "gui/InputQueue.h"

#include "gui/GuiMessage.h"

GuiMessageQueue* TheGuiMessageQueue = nullptr;

int ObjectStack::Push(uintptr_t value) {
    items.Last();
    return items.Add(value);
}

int ObjectStack::Contains(uintptr_t value) {
    return items.Contains(value);
}

uintptr_t ObjectStack::Pop() {
    const uintptr_t value = items.First();
    if (value == 0) return 0;
    items.RemoveCurrent();
    return value;
}

uintptr_t ObjectStack::PopNewest() {
    const uintptr_t value = items.Last();
    if (value == 0) return 0;
    items.RemoveCurrent();
    return value;
}

void ObjectStack::RemoveAll() {
    items.RemoveAll();
}

int ObjectStack::IsEmpty() {
    return items.IsEmpty();
}

GuiMessageQueue::~GuiMessageQueue() {
    while (GuiMessage* message = Take())
        delete message;
}

void GuiMessageQueue::PostCopy(const GuiMessage& message) {
    stack.Push(reinterpret_cast<uintptr_t>(new GuiMessage(message)));
}

void GuiMessageQueue::Post(uint32_t context, Widget* target, RootObject* source, uint16_t kind,
                           const Point* point, const Rect* rect, uint32_t param) {
    stack.Push(
        reinterpret_cast<uintptr_t>(new GuiMessage(context, target, source, kind, point, rect, param)));
}

GuiMessage* GuiMessageQueue::Take() {
    return reinterpret_cast<GuiMessage*>(stack.Pop());
}

int GuiMessageQueue::IsEmpty() {
    return stack.IsEmpty();
}

namespace {

// Moves every message through a temporary stack, deleting those that match.
template <class Match>
void Purge(ObjectStack& stack, Match match) {
    ObjectStack kept;
    while (uintptr_t value = stack.Pop()) {
        auto* message = reinterpret_cast<GuiMessage*>(value);
        if (match(*message))
            delete message;
        else
            kept.Push(value);
    }
    while (uintptr_t value = kept.Pop())
        stack.Push(value);
}

} // namespace

void GuiMessageQueue::RemoveMatching(RootObject* source, Widget* target) {
    Purge(stack, [&](const GuiMessage& m) { return m.source == source && m.target == target; });
}

void GuiMessageQueue::RemoveForTarget(Widget* target) {
    if (!target) return;
    Purge(stack, [&](const GuiMessage& m) { return m.target == target; });
}
