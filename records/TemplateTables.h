#pragma once

#include "gui/RootObject.h"

// The template tables of the stage files; its operations also save the pass record.
class TemplateTables : public RootObject {
public:
    TemplateTables() = default;
    ~TemplateTables() override = default;
    void SavePassRecord() {}

    // The battle map's dead-officer list in the ".dead" file of a stage file set: 1 when written
    // or read, 0 without a stage or when the file cannot be made or opened.
    int SaveDeadFile(const char* name);
    int LoadDeadFile(const char* name);

    // The battle map's items in the ".itm" file: 1 when written or read, 0 without a stage or
    // when the file cannot be made or opened. Reading adds to the items already on the map.
    int SaveItemFile(const char* name);
    int LoadItemFile(const char* name);
    // The garrisons of the stage's cities and sub-castles in the ".soldier" file; nothing happens
    // without a stage or when the file cannot be made or opened.
    void WriteGarrisonFile(const char* name);
    void ReadGarrisonFile(const char* name);
};
