#pragma once

#include "gui/RootObject.h"

#include <cstdint>

// The game's own mouse cursor: it turns mouse messages into input records and draws itself.
class MouseCursor : public RootObject {
public:
    MouseCursor() = default;
    ~MouseCursor() override = default;
    void SetShape(int shape) { this->shape = shape; }
    void Update() {}
    void Hook() {}
    int32_t shape = 0;
};

// Non-null once the GUI root has made the cursor.
extern MouseCursor* TheMouseCursor;
