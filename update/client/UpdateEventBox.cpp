#include "update/client/UpdateEventBox.h"

void UpdateEventBox::Clear() {
    for (int i = 0; i < kSlots; ++i)
        used[i] = 0;
}

int UpdateEventBox::Post(uint32_t key, uint32_t message, uint32_t value) {
    for (int i = 0; i < kSlots; ++i) {
        if (used[i]) continue;
        used[i] = 1;
        keys[i] = key;
        messages[i] = message;
        values[i] = value;
        return 1;
    }
    return 0;
}

int UpdateEventBox::Take(uint32_t key, uint32_t* message, uint32_t* value) {
    for (int i = 0; i < kSlots; ++i) {
        if (!used[i] || keys[i] != key) continue;
        used[i] = 0;
        if (message) *message = messages[i];
        if (value) *value = values[i];
        return 1;
    }
    return 0;
}
