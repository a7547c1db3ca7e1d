#pragma once

#include "gui/RootObject.h"

#include <cstdint>

// An effect object on the map or the screen: skill effects, markers and the mouse cursor's 26
// shapes (category 0, ids 0..25, moved by the cursor itself). The resource store's effect lists
// step and retire them; their animation and drawing come with the map effects.
class Zu_SkillEffect : public RootObject {
public:
    Zu_SkillEffect() = default;
    Zu_SkillEffect(int16_t category, int16_t id, int32_t x, int32_t y)
        : category(category), id(id), x(x), y(y) {}
    ~Zu_SkillEffect() override = default;

    // One step of the frame timer.
    virtual void Advance() {}
    // One step, drawn onto the back surface.
    virtual void UpdateAndDraw() {}

    int16_t category = 0; // 2: shown by an AVI clip
    int16_t id = 0;
    int32_t x = 0;
    int32_t y = 0;
    int16_t endCounter = 0; // above 1: finished
    int32_t clipSlot = -1;  // the clip manager's slot, category 2
};
