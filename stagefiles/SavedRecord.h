#pragma once

#include "gui/RootObject.h"

#include <cstdint>

class ByteReader;
class ByteWriter;
class StageReader;
class StageWriter;
class Zu_SkillEffect;

// A city's building under construction: where it stands, what is built, how far the work is.
class SavedRecord : public RootObject {
public:
    static constexpr uint32_t kBodySize = 20;

    SavedRecord(int32_t x = 0, int32_t y = 0, int32_t kind = 0) : x(x), y(y), kind(kind) {}
    ~SavedRecord() override;
    SavedRecord(const SavedRecord&) = delete;
    SavedRecord& operator=(const SavedRecord&) = delete;

    // u32 20, then cell x, cell y, kind, work done and shown stage.
    void Save(ByteWriter& out) const;
    void Save(StageWriter& out) const;
    // The length word and at most 20 bytes of body; missing bytes read as 0, a longer body is
    // skipped past. False when the file ends inside the record.
    bool Load(ByteReader& in);
    bool Load(StageReader& in);

    // The work done and the construction picture it shows (four pictures over the required
    // work); a kind that needs no work shows its first picture.
    void SetWork(int32_t done, int32_t required);

    int32_t x = 0, y = 0;
    int32_t kind = 0; // negative: no building
    int32_t work = 0;
    int32_t shownStage = 0;
    Zu_SkillEffect* effect = nullptr; // the dust shown while the site is worked on; not owned
};
