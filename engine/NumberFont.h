#pragma once

#include "gui/RootObject.h"

// The bitmap digit font cut from the resource store's digit strips.
class NumberFont : public RootObject {
public:
    NumberFont() = default;
    ~NumberFont() override = default;
};

extern NumberFont* TheNumberFont;
