#pragma once

#include "gui/RootObject.h"

#include <cstdint>

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
    // The field troops, hot-key groups and selection in the ".spr" file. Writing: 1, or 0 without
    // a stage or when the file cannot be made. Reading: 1 when the file was read, 0 without a
    // stage or when it cannot be opened.
    int WriteSoldierFile(const char* name);
    int ReadSoldierFile(const char* name);

    // The soldier file last read: its tag (ended with a zero), its version word (2, 3 or 5 for
    // the known newer tags; other tags leave it) and 1 when it had a newer layout.
    char tag[13] = {};
    int32_t soldierVersion = 0;
    int32_t newerLayout = 0;
};
