// Feeds the city unit records (troop entry, deployments, admission, destruction and the capture
// entry) to the record channel over a fresh small battle. Byte 0 picks the station (bit 0 host),
// whether the city's units stand shown on its formation (bit 1) and its kind (the high nibble,
// 0..10); the rest is the record. Other record ids are not this target's business.
#include "StateFuzzWorld.h"

#include "net/GameRecordChannel.h"

#include <cstdlib>

namespace {
bool CityUnitRecord(uint32_t id) {
    switch (id) {
    case kRecordDeployUnit:
    case kRecordAdmitUnit:
    case kRecordCityDestroy:
    case kRecordDeployFollow:
    case kRecordCityEntry:
    case kRecordDeployWithOrder:
    case kRecordTroopEntry:
        return true;
    default:
        return false;
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) return 0;
    const std::span<const uint8_t> record(data + 1, size - 1);
    const uint32_t id = record[0] | record[1] << 8 | record[2] << 16 | uint32_t(record[3]) << 24;
    if (!CityUnitRecord(id)) return 0;
    StateFuzzWorld world(data[0] & 1);
    City* city = TheBattleMap->cities[0];
    city->SetInt(CityLayout::kKind, (data[0] >> 4) % 11);
    // The other side's troops may take it.
    city->emptyFlag = 1;
    if (data[0] & 2) city->ArrangeUnits(false);
    const CommandOutcome outcome = ReceiveGameRecord(record);
    if (outcome != CommandOutcome::Drop && !UnpackGameRecord(record)) std::abort();
    return 0;
}
