#include "engine/LinkList.h"

LinkList::LinkList() {
    head = new LinkNode(0, nullptr, nullptr);
    tail = new LinkNode(0, nullptr, nullptr);
    head->prev = head;
    head->next = tail;
    tail->prev = head;
    tail->next = tail;
    cursor = head;
}

LinkList::~LinkList() {
    RemoveAll();
    delete head;
    delete tail;
}

int LinkList::Add(uintptr_t value) {
    LinkNode* node = new LinkNode(value, cursor, cursor->next);
    cursor->next->prev = node;
    cursor->next = node;
    cursor = node;
    ++count;
    return 1;
}

int LinkList::Contains(uintptr_t value) {
    for (LinkNode* n = head->next; n != nullptr && n != tail; n = n->next) {
        if (n->value == value) return 1;
    }
    return 0;
}

uintptr_t LinkList::CurrentValue() {
    return Current();
}

void LinkList::RemoveAll() {
    LinkNode* n = head->next;
    while (n != nullptr && n != tail) {
        LinkNode* following = n->next;
        delete n;
        n = following;
    }
    head->next = tail;
    tail->prev = head;
    cursor = head;
    count = 0;
}

int LinkList::IsEmpty() {
    return head->next == tail ? 1 : 0;
}

uintptr_t LinkList::First() {
    cursor = head->next == tail ? head : head->next;
    return cursor->value;
}

uintptr_t LinkList::Next() {
    if (cursor->next == tail) return 0;
    cursor = cursor->next;
    return cursor->value;
}

uintptr_t LinkList::Last() {
    cursor = tail->prev;
    return cursor->value;
}

uintptr_t LinkList::Prev() {
    if (cursor == head || cursor->prev == head) {
        cursor = head;
        return 0;
    }
    cursor = cursor->prev;
    return cursor->value;
}

uintptr_t LinkList::Current() {
    return cursor->value;
}

uintptr_t LinkList::Find(uintptr_t value) {
    for (LinkNode* n = head; n != tail; n = n->next) {
        if (n->value == value) {
            cursor = n;
            return n->value;
        }
    }
    return 0;
}

uintptr_t LinkList::GetAt(int index) {
    if (index == -1) {
        cursor = head;
        return 0;
    }
    if (index < -1) return 0;
    LinkNode* n = head->next;
    for (int i = 0; i < index && n != tail; ++i)
        n = n->next;
    if (n == tail) return 0;
    cursor = n;
    return n->value;
}

void LinkList::Unlink(LinkNode* node) {
    node->prev->next = node->next;
    node->next->prev = node->prev;
    delete node;
    if (count > 0) --count;
}

int LinkList::RemoveCurrent() {
    if (cursor == head) return 0;
    LinkNode* pred = cursor->prev;
    Unlink(cursor);
    cursor = pred;
    return 1;
}

// Always searches from the first element, wherever the cursor rests: a caller that removes a
// value and then deletes its object must never leave the list holding it.
int LinkList::RemoveValue(uintptr_t value) {
    First();
    if (cursor == head) return 0;
    while (cursor != tail) {
        if (cursor->value == value) {
            LinkNode* pred = cursor->prev;
            Unlink(cursor);
            cursor = pred;
            if (cursor == head) First();
            return 1;
        }
        if (Next() == 0) return 0;
    }
    return 0;
}

int LinkList::ContainsPtr(uintptr_t value) {
    for (uintptr_t v = First(); v != 0; v = Next()) {
        if (v == value) return 1;
    }
    return 0;
}
