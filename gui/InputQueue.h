#pragma once

#include "engine/LinkList.h"
#include "gui/RootObject.h"

#include <cstdint>

class GuiMessage;
class Point;
class Rect;
class Widget;

// A queue of values despite its name: Push appends at the end, Pop takes the oldest.
class ObjectStack : public ListNodeBase {
public:
    ObjectStack() = default;
    ~ObjectStack() override = default;

    int Push(uintptr_t value);
    int Contains(uintptr_t value) override;
    uintptr_t Pop();
    void RemoveAll() override;
    int IsEmpty() override;
    // Takes the newest value.
    uintptr_t PopNewest();

    // The interface slots of the collection base.
    int Add(uintptr_t value) override { return Push(value); }
    uintptr_t CurrentValue() override { return Pop(); }

    LinkList items;
};

// The first-in first-out queue of input records. Queued messages belong to the queue; a taken
// message belongs to the taker, which deletes it.
class GuiMessageQueue : public RootObject {
public:
    GuiMessageQueue() = default;
    ~GuiMessageQueue() override;
    GuiMessageQueue(const GuiMessageQueue&) = delete;
    GuiMessageQueue& operator=(const GuiMessageQueue&) = delete;

    // Queues a heap copy; the caller keeps its own message.
    void PostCopy(const GuiMessage& message);
    void Post(uint32_t context, Widget* target, RootObject* source, uint16_t kind, const Point* point,
              const Rect* rect, uint32_t param);
    // The oldest message or null; the caller deletes it.
    GuiMessage* Take();
    int IsEmpty();
    // Deletes every queued message from `source` to `target`; the others keep their order.
    void RemoveMatching(RootObject* source, Widget* target);
    // Deletes every queued message aimed at `target`, whoever sent it: a closed or deleted
    // widget must never receive one.
    void RemoveForTarget(Widget* target);

    ObjectStack stack;
};

// The one queue, made by the GUI root; null before.
extern GuiMessageQueue* TheGuiMessageQueue;
