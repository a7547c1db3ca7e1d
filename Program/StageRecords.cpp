#include "Program/StageRecords.h"

#include "engine/ByteReader.h"
#include "platform/Files.h"

#include <algorithm>
#include <vector>

namespace {

// A file of at most `limit` bytes, read whole; false when it cannot be opened.
bool ReadWhole(const char* path, std::vector<uint8_t>& out, size_t limit) {
    platform::HFILE f = platform::_lopen(path, platform::OF_READ);
    if (f == platform::HFILE_ERROR) return false;
    out.assign(limit, 0);
    const uint32_t got = platform::_lread(f, out.data(), static_cast<uint32_t>(limit));
    platform::_lclose(f);
    out.resize(got == static_cast<uint32_t>(platform::HFILE_ERROR) ? 0 : got);
    return true;
}

bool WriteReplacing(const char* path, const std::vector<uint8_t>& bytes) {
    return platform::WriteFileAtomic(path, bytes.data(), bytes.size());
}

// A text field read from a file keeps at most its size less one byte, so it always ends.
void ReadText(ByteReader& r, char (&field)[20]) {
    r.bytes(field, sizeof field);
    field[sizeof field - 1] = 0;
}

} // namespace

bool ReadSlotLabelFile(const char* path, uint32_t& count, SlotLabelTable& labels) {
    std::vector<uint8_t> bytes;
    if (!ReadWhole(path, bytes, 4 + SlotLabelCount * SlotLabelSize)) {
        count = 0;
        for (SaveSlotLabel& l : labels)
            l.inUse = 0;
        return false;
    }
    // Bytes the file does not have read as zeros.
    bytes.resize(std::max<size_t>(bytes.size(), 4 + SlotLabelCount * SlotLabelSize), 0);
    ByteReader r(bytes.data(), bytes.size());
    count = r.u32();
    for (SaveSlotLabel& l : labels) {
        l.inUse = r.u8();
        l.spare = r.u8();
        l.number = r.u16();
        ReadText(r, l.text1);
        ReadText(r, l.text2);
        l.value1 = r.u32();
        l.value2 = r.u32();
        l.value3 = r.u32();
    }
    return true;
}

bool ReadStageRecordFile(const char* path, StageRecordTable& records) {
    std::vector<uint8_t> bytes;
    if (!ReadWhole(path, bytes, StageRecordCount * StageRecordSize)) {
        for (StageRecord& s : records)
            s.won = 0;
        return false;
    }
    bytes.resize(std::max<size_t>(bytes.size(), StageRecordCount * StageRecordSize), 0);
    ByteReader r(bytes.data(), bytes.size());
    for (StageRecord& s : records) {
        s.year = r.i32();
        s.month = r.i32();
        s.actOption = r.i32();
        s.won = r.i32();
        s.bestScore = r.i32();
    }
    return true;
}

bool WriteSlotLabelFile(const char* path, uint32_t count, const SlotLabelTable& labels) {
    ByteWriter w;
    w.u32(count);
    for (const SaveSlotLabel& l : labels) {
        w.u8(l.inUse);
        w.u8(l.spare);
        w.u16(l.number);
        w.bytes(l.text1, sizeof l.text1);
        w.bytes(l.text2, sizeof l.text2);
        w.u32(l.value1);
        w.u32(l.value2);
        w.u32(l.value3);
    }
    return WriteReplacing(path, w.buffer());
}

bool WriteStageRecordFile(const char* path, const StageRecordTable& records) {
    ByteWriter w;
    for (const StageRecord& s : records) {
        w.i32(s.year);
        w.i32(s.month);
        w.i32(s.actOption);
        w.i32(s.won);
        w.i32(s.bestScore);
    }
    return WriteReplacing(path, w.buffer());
}

bool SetStageRecord(StageRecordTable& records, int stageIndex, const StageRecord& record) {
    if (stageIndex < 0 || stageIndex >= StageRecordCount) return false;
    records[static_cast<size_t>(stageIndex)] = record;
    return true;
}
