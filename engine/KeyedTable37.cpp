#include "engine/KeyedTable37.h"

void (*KeyedTable37::RedrawHook)() = nullptr;

void KeyedTable37::Add(int32_t a, int32_t b, int32_t c, int32_t key) {
    for (const Slot& slot : slots) {
        if (slot.key == key) return;
    }
    const Slot entry{1, c, key, a, b};
    if (count < Capacity) {
        slots[count] = entry;
        ++count;
    } else {
        for (int32_t i = 1; i < Capacity; ++i)
            slots[i - 1] = slots[i];
        slots[Capacity - 1] = entry;
    }
    if (RedrawHook) RedrawHook();
}
