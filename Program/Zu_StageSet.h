#pragma once

#include "gui/RootObject.h"

#include <cstdint>

// The record of the current stage: its result (0 running, 1 victory, 2 failure, 4 lost,
// 5 won) and the end kind of a network game.
class Zu_StageSet : public RootObject {
public:
    Zu_StageSet() = default;
    ~Zu_StageSet() override = default;
    int32_t result = 0;
    int32_t endKind = 0;
};
