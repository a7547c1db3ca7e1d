#pragma once

#include "gui/RootObject.h"

#include <cstdint>

// The drawable element; controls and panels derive from it.
class Widget : public RootObject {
public:
    Widget() = default;
    ~Widget() override = default;
    uint8_t enabled = 1;
};
