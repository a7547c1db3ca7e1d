#include "stagefiles/SavedRecord.h"

#include "engine/ByteReader.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"
#include "world/Zu_SkillEffect.h"

// The dust belongs to the store's effect list, which deletes it at the battle's end.
SavedRecord::~SavedRecord() = default;

void SavedRecord::Save(ByteWriter& out) const {
    out.u32(kBodySize);
    out.i32(x);
    out.i32(y);
    out.i32(kind);
    out.i32(work);
    out.i32(shownStage);
}

void SavedRecord::Save(StageWriter& out) const {
    Save(out.raw());
}

bool SavedRecord::Load(ByteReader& in) {
    const uint32_t length = in.u32();
    if (!in.ok() || !in.has(length)) return false;
    uint8_t body[kBodySize] = {};
    const uint32_t keep = length < kBodySize ? length : kBodySize;
    in.bytes(body, keep);
    in.skip(length - keep);
    ByteReader r(body, kBodySize);
    x = r.i32();
    y = r.i32();
    kind = r.i32();
    work = r.i32();
    shownStage = r.i32();
    return true;
}

bool SavedRecord::Load(StageReader& in) {
    if (Load(in.raw())) return true;
    in.Fail();
    return false;
}

void SavedRecord::SetWork(int32_t done, int32_t required) {
    work = done;
    shownStage = required > 0 ? int32_t(int64_t(done) * 4 / required) : 0;
}
