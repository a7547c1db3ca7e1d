#pragma once

#include "gui/RootObject.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Collection interface shared by the list and the object stack. The defaults store nothing.
class ListNodeBase : public RootObject {
public:
    ListNodeBase() = default;
    ~ListNodeBase() override = default;

    virtual int Add(uintptr_t value) { return value != 0 ? 1 : 0; }
    virtual int Contains(uintptr_t value) { return value != 0 ? 1 : 0; }
    virtual uintptr_t CurrentValue() { return 0; }
    virtual void RemoveAll() {}
    virtual int IsEmpty() { return 1; }
};

// Adds the cursor walk; nothing but LinkList derives from it.
class LinkListBase : public ListNodeBase {
public:
    LinkListBase() = default;
    ~LinkListBase() override = default;

    virtual uintptr_t First() { return 0; }
    virtual uintptr_t Next() { return 0; }
    virtual uintptr_t Last() { return 0; }
    virtual uintptr_t Prev() { return 0; }
    virtual uintptr_t Current() { return 0; }
};

// Deleting a node never touches what its value points to.
class LinkNode : public RootObject {
public:
    LinkNode(uintptr_t value, LinkNode* prev, LinkNode* next) : value(value), next(next), prev(prev) {}
    ~LinkNode() override = default;
    LinkNode(const LinkNode&) = delete;
    LinkNode& operator=(const LinkNode&) = delete;

    uintptr_t value;
    LinkNode* next;
    LinkNode* prev;
};

// Doubly linked list of pointer-sized values between two sentinels, with one built-in cursor that
// every walk, search, insertion and removal moves. It owns its nodes, never the values' objects.
// The cursor rests on an element or on the head sentinel (the "head position"), never on the tail.
class LinkList : public LinkListBase {
public:
    LinkList();
    ~LinkList() override;
    LinkList(const LinkList&) = delete;
    LinkList& operator=(const LinkList&) = delete;

    int Add(uintptr_t value) override;
    int Contains(uintptr_t value) override;
    uintptr_t CurrentValue() override;
    void RemoveAll() override;
    int IsEmpty() override;
    uintptr_t First() override;
    uintptr_t Next() override;
    uintptr_t Last() override;
    uintptr_t Prev() override;
    uintptr_t Current() override;

    int GetCount() const { return count; }
    uintptr_t Find(uintptr_t value);
    uintptr_t GetAt(int index);
    int RemoveCurrent();
    int RemoveValue(uintptr_t value);
    int ContainsPtr(uintptr_t value);

    // Walks the list as objects of T (widgets, in practice) and matches their signed 16-bit `id`.
    template <class T>
    uintptr_t FindById(int key) {
        const int16_t wanted = static_cast<int16_t>(key);
        for (uintptr_t v = First(); v != 0; v = Next()) {
            if (static_cast<int16_t>(reinterpret_cast<const T*>(v)->id) == wanted) return v;
        }
        return 0;
    }
    template <class T>
    uintptr_t FindByKey(int key) {
        return FindById<T>(key);
    }

private:
    void Unlink(LinkNode* node);

    LinkNode* head;
    LinkNode* tail;
    LinkNode* cursor;
    int32_t count = 0;
};

// The values of a list copied out, for walks that change the list or walk it again inside; the
// list's cursor is left where it was.
template <class T>
std::vector<T*> ListValues(LinkList& list) {
    std::vector<T*> out;
    out.reserve(static_cast<size_t>(list.GetCount()));
    const uintptr_t cursor = list.Current();
    for (uintptr_t v = list.First(); v != 0; v = list.Next())
        out.push_back(reinterpret_cast<T*>(v));
    if (cursor) list.Find(cursor);
    return out;
}
