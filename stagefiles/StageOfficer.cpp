#include "stagefiles/StageOfficer.h"

#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"

#include <algorithm>
#include <cstring>

namespace {

using S = StageOfficerLayout;
using L = OfficerLayout;

void Put32(uint8_t* b, uint32_t at, int32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(uint32_t(v) >> (8 * i));
}
void Put16(uint8_t* b, uint32_t at, int16_t v) {
    b[at] = uint8_t(uint16_t(v));
    b[at + 1] = uint8_t(uint16_t(v) >> 8);
}
int32_t Get32(const uint8_t* b, uint32_t at) {
    return int32_t(uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
                   uint32_t(b[at + 3]) << 24);
}
int16_t Get16(const uint8_t* b, uint32_t at) {
    return int16_t(uint16_t(b[at] | b[at + 1] << 8));
}

constexpr uint32_t kActivity[3] = {S::kActivity0, S::kActivity1, S::kActivity2};

} // namespace

int32_t ExperienceThreshold(int32_t level) {
    level = std::clamp(level, 1, 30);
    if (level == 1) return 0;
    // 200 x 3^k / 2^k, kept exact in integers and rounded half up.
    const int k = level - 2;
    uint64_t num = 200;
    for (int i = 0; i < k; ++i)
        num *= 3;
    const uint64_t den = uint64_t(1) << k;
    return int32_t((num * 2 + den) / (den * 2));
}

void SaveStageOfficer(StageWriter& out, const OfficerRecord& o) {
    uint8_t b[S::kSize] = {};
    for (int i = 0; i < 4; ++i)
        Put32(b, S::kStatusWord + 4 * uint32_t(i), o.workWords[i]);
    for (int i = 0; i < 3; ++i)
        Put32(b, kActivity[i], o.activity[i]);
    Put32(b, S::kSerial, int32_t(o.serial));
    Put32(b, S::kExperience, o.bonusExperience);
    for (int i = 0; i < 3; ++i)
        Put16(b, S::kCounters + 2 * uint32_t(i), o.workCounters[i]);
    Put32(b, S::kOwnerSide, o.ownerSide);
    out.SizedBlock(b, S::kSize);
    o.Save(out.raw());
}

bool LoadStageOfficer(StageReader& in, OfficerRecord& o) {
    // A longer state block from a later version keeps its first 56 bytes.
    uint8_t b[S::kSize];
    if (!in.SizedBlock(b, sizeof b)) return false;
    const bool fresh = in.fresh();
    for (int i = 0; i < 4; ++i)
        o.workWords[i] = Get32(b, S::kStatusWord + 4 * uint32_t(i));
    for (int i = 0; i < 3; ++i)
        o.activity[i] = Get32(b, kActivity[i]);
    if (!fresh) o.serial = uint32_t(Get32(b, S::kSerial));
    o.bonusExperience = Get32(b, S::kExperience);
    for (int i = 0; i < 3; ++i)
        o.workCounters[i] = Get16(b, S::kCounters + 2 * uint32_t(i));
    o.ownerSide = Get32(b, S::kOwnerSide);
    if (fresh) o.workWords[1] = o.workWords[2] = o.workWords[3] = 0;

    if (!o.Load(in.raw())) {
        in.Fail();
        return false;
    }

    // A template number that names no template leaves the stored values alone.
    const uint8_t* t = GeneralTemplate(o.Get(L::kPersonNumber));
    auto fromTemplate = [&](uint32_t offset) {
        if (t) o.Set(offset, Get32(t, offset));
    };
    for (uint32_t offset : {L::kClass, L::kPortrait, L::kSoldierType, L::kAttribute})
        fromTemplate(offset);
    for (uint32_t i = 0; i < 8; ++i) {
        const int32_t escort = o.Get(L::kEscorts + 4 * i);
        if (escort < 0 || escort >= GeneralTemplateCount) o.Set(L::kEscorts + 4 * i, 0);
    }
    const int32_t level = o.Get(L::kLevel);
    const int32_t command = o.Get(StageOfficerColumns::kCommand);
    const int32_t capacity = o.Get(L::kTroopCapacity);
    o.UpdateRank(0);
    // A restored officer leads as many as it led when the game was saved: the rank table is not
    // the only rule that sets it (a follower leads none).
    if (!fresh) {
        o.Set(L::kTroopCapacity, capacity);
        return true;
    }

    o.Set(L::kLord, 0);
    const int32_t experience = ExperienceThreshold(level);
    o.Set(L::kExperience, experience);
    o.bonusExperience = experience;
    if (o.Get(L::kAttribute) == 2) {
        fromTemplate(L::kLevel);
        for (uint32_t offset = L::kStrength; offset <= L::kMaxMp; offset += 4)
            fromTemplate(offset);
    } else {
        o.GrowStats(0);
    }
    o.activity[0] = o.activity[1] = o.activity[2] = 0;
    o.reference = -1;
    o.workCounters[0] = 0;
    o.Set(StageOfficerColumns::kCommand, command);
    if (t) std::memcpy(o.block + L::kName, t + L::kName, L::kNameBytes);
    return true;
}
