#pragma once

#include "gui/RootObject.h"

// The template tables of the stage files; its operations also save the pass record.
class TemplateTables : public RootObject {
public:
    TemplateTables() = default;
    ~TemplateTables() override = default;
    void SavePassRecord() {}
};
