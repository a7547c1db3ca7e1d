#pragma once

#include "gui/RootObject.h"

#include <cstdint>

// An effect object on the map (skill effects, markers, the cursor shapes). What the resource
// store's effect lists step and retire; the effects themselves belong to the world.
class Zu_SkillEffect : public RootObject {
public:
    Zu_SkillEffect() = default;
    ~Zu_SkillEffect() override = default;

    // The frame timer.
    virtual void Advance() {}
    // One step, drawn onto the back surface.
    virtual void UpdateAndDraw() {}

    int16_t category = 0;   // 2: shown by an AVI clip
    int16_t endCounter = 0; // above 1: finished
    int32_t clipSlot = -1;  // the clip manager's slot, category 2
    int32_t x = 0;
    int32_t y = 0;
};
