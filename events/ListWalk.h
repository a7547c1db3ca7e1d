#pragma once

#include "engine/LinkList.h"

#include <cstdint>

namespace events {

// Walks a list in order until the visitor answers true; the list's cursor is put back on the
// visited element after each visit, so a visitor may walk the same list again.
template <class T, class F>
bool WalkList(LinkList* list, F&& visit) {
    if (!list) return false;
    for (uintptr_t v = list->First(); v != 0; v = list->Next()) {
        const bool stop = visit(reinterpret_cast<T*>(v));
        list->Find(v);
        if (stop) return true;
    }
    return false;
}

} // namespace events
