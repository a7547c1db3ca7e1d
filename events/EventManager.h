#pragma once

#include "gui/RootObject.h"

// The event manager of a stage.
class EventManager : public RootObject {
public:
    EventManager() = default;
    ~EventManager() override = default;
    // Closes the event runner window if one exists.
    void StepRunner() {}
};
