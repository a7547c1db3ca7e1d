#include "world/SavedRecord.h"

#include "engine/ByteReader.h"

void SavedRecord::Save(ByteWriter& out) const {
    out.u32(20);
    out.i32(x);
    out.i32(y);
    out.i32(kind);
    out.i32(work);
    out.i32(shownStage);
}

bool SavedRecord::Load(ByteReader& in) {
    const uint32_t length = in.u32();
    if (!in.ok() || !in.has(length)) return false;
    uint8_t body[20] = {};
    const uint32_t keep = length < 20 ? length : 20;
    in.bytes(body, keep);
    in.skip(length - keep);
    ByteReader r(body, 20);
    x = r.i32();
    y = r.i32();
    kind = r.i32();
    work = r.i32();
    shownStage = r.i32();
    return true;
}
