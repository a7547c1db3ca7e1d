#pragma once

#include "gui/RootObject.h"

// The one container of records, held by the battle map.
class ScenarioData : public RootObject {
public:
    ScenarioData() = default;
    ~ScenarioData() override = default;
    void Clear() {}
};
