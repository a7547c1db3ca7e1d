// Feeds arbitrary bytes to the record block reader of every record kind, record after record,
// and writes back what was read.
#include "engine/ByteReader.h"
#include "records/ItemRecord.h"
#include "records/OfficerRecord.h"
#include "records/SkillRecord.h"
#include "records/SoldierTypeRecord.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {
void ReadAll(DataSet& record, const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    for (int n = 0; n < 64 && record.Load(in); ++n) {
        ByteWriter out;
        record.Save(out);
        std::string text;
        record.WriteTextRow(text);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    OfficerRecord officer(100, -1);
    ItemRecord item(100);
    SkillRecord skill(100);
    SoldierTypeRecord soldier(100);
    ReadAll(officer, data, size);
    ReadAll(item, data, size);
    ReadAll(skill, data, size);
    ReadAll(soldier, data, size);
    return 0;
}
