#pragma once

#include "gui/RootObject.h"

#include <cstdint>

// The stage editor's working state.
class StageEditor : public RootObject {
public:
    StageEditor() = default;
    ~StageEditor() override = default;
    int32_t viewWord = 0;
    // The half-size view of the map.
    bool halfSizeView = false;
};

extern StageEditor* TheStageEditor;
