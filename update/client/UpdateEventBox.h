#pragma once

#include <cstdint>

// Ten slots of (key, message, value) that the session posts into and takes from by key.
class UpdateEventBox {
public:
    static constexpr int kSlots = 10;

    void Clear();
    // 0 when every slot is taken.
    int Post(uint32_t key, uint32_t message, uint32_t value);
    // Takes the first event with that key; 0 when there is none.
    int Take(uint32_t key, uint32_t* message, uint32_t* value);

    uint8_t used[kSlots] = {};
    uint32_t keys[kSlots] = {};
    uint32_t messages[kSlots] = {};
    uint32_t values[kSlots] = {};
};
