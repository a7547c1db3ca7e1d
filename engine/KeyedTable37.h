#pragma once

#include <cstdint>

// A bounded table of the 37 entries added last, each under a key of its own.
class KeyedTable37 {
public:
    static constexpr int32_t Capacity = 37;

    struct Slot {
        uint8_t used = 0;
        int32_t c = 0;
        int32_t key = 0;
        int32_t a = 0;
        int32_t b = 0;
    };

    KeyedTable37() = default;

    // Adds unless the key is held by any slot (so key 0, the key of a free slot, is never added);
    // when the table is full the oldest entry drops out.
    void Add(int32_t a, int32_t b, int32_t c, int32_t key);

    int32_t count = 0;
    Slot slots[Capacity];

    // Redraws the table's view after an Add; the game controller sets it while its map view exists.
    static void (*RedrawHook)();
};
