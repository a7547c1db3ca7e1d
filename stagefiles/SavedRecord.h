#pragma once

#include "gui/RootObject.h"

#include <cstdint>

class ByteReader;
class ByteWriter;

// A city's building under construction: where it stands, what is built, how far the work is.
class SavedRecord : public RootObject {
public:
    SavedRecord(int32_t x = 0, int32_t y = 0, int32_t kind = 0) : x(x), y(y), kind(kind) {}
    ~SavedRecord() override = default;

    // u32 20, then the five fields.
    void Save(ByteWriter& out) const;
    // The length word and at most 20 bytes of body; missing bytes read as 0.
    bool Load(ByteReader& in);

    int32_t x = 0, y = 0;
    int32_t kind = 0;
    int32_t work = 0;
    int32_t shownStage = 0;
};
