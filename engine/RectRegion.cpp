#include "engine/RectRegion.h"

namespace {
constexpr size_t kGrowSlots = 8;
}

void RectRegion::Store(const Rect& rect) {
    while (static_cast<size_t>(firstFree) < slots.size() && slots[firstFree])
        ++firstFree;
    if (static_cast<size_t>(firstFree) == slots.size()) slots.resize(slots.size() + kGrowSlots);
    slots[firstFree] = std::make_unique<Rect>(rect);
    ++firstFree;
}

void RectRegion::Subtract(const Rect& rect) {
    Rect cut(rect.left, rect.top, rect.right, rect.bottom);
    const size_t existing = slots.size();
    for (size_t i = 0; i < existing; ++i) {
        if (!slots[i]) continue;
        Rect stored = *slots[i];
        Rect other = cut;
        Rect inter;
        if (!stored.Intersect(other, inter)) continue;
        slots[i].reset();
        if (static_cast<int>(i) < firstFree) firstFree = static_cast<int>(i);
        // The strips left around the cut: above, below, left of it and right of it.
        if (stored.top != inter.top) Store(Rect(stored.left, stored.top, stored.right, inter.top - 1));
        if (stored.bottom != inter.bottom)
            Store(Rect(stored.left, inter.bottom + 1, stored.right, stored.bottom));
        if (stored.left != inter.left) Store(Rect(stored.left, inter.top, inter.left - 1, inter.bottom));
        if (stored.right != inter.right) Store(Rect(inter.right + 1, inter.top, stored.right, inter.bottom));
    }
}

void RectRegion::Add(const Rect& rect) {
    Rect r(rect.left, rect.top, rect.right, rect.bottom);
    Subtract(r);
    Store(r);
}

void RectRegion::AddRegion(const RectRegion& other) {
    if (&other == this) return;
    for (const auto& s : other.slots) {
        if (s) Add(*s);
    }
}

void RectRegion::Copy(const RectRegion& other) {
    if (&other == this) return;
    Clear();
    for (const auto& s : other.slots) {
        if (s) Store(*s);
    }
}

void RectRegion::Offset(int32_t dx, int32_t dy) {
    for (auto& s : slots) {
        if (s) s->Offset(dx, dy);
    }
}

void RectRegion::Clear() {
    slots.clear();
    firstFree = 0;
}

int RectRegion::Clip(const Rect& rect, RectRegion& out) const {
    int any = 0;
    for (const auto& s : slots) {
        if (!s) continue;
        Rect stored = *s;
        Rect other(rect.left, rect.top, rect.right, rect.bottom);
        Rect inter;
        if (!stored.Intersect(other, inter)) continue;
        out.Add(inter);
        any = 1;
    }
    return any;
}

int RectRegion::GetCount() const {
    int n = 0;
    for (const auto& s : slots)
        n += s ? 1 : 0;
    return n;
}

const Rect* RectRegion::GetAt(int slot) const {
    if (slot < 0 || static_cast<size_t>(slot) >= slots.size()) return nullptr;
    return slots[slot].get();
}
