#pragma once

#include "gui/RootObject.h"

#include <cstdint>

// An effect object on the map or the screen: a category, an id and a position. The mouse
// cursor keeps 26 of them (category 0, ids 0..25) as its shapes and moves them itself. Their
// animation and drawing come with the map effects.
class Zu_SkillEffect : public RootObject {
public:
    Zu_SkillEffect(int16_t category, int16_t id, int32_t x, int32_t y)
        : category(category), id(id), x(x), y(y) {}
    ~Zu_SkillEffect() override = default;

    // One step of the frame timer.
    virtual void Advance() {}
    // Steps and draws onto the back surface.
    virtual void UpdateAndDraw() {}

    int16_t category;
    int16_t id;
    int32_t x;
    int32_t y;
    int16_t endCounter = 0;
    int32_t clipSlot = 0;
};
