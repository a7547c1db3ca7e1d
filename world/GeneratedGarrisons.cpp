#include "world/GeneratedGarrisons.h"

#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "troops/Troop.h"
#include "world/RandomMapRun.h"

#include <cstring>

namespace {

constexpr uint32_t kCopyCity = 108; // "複製城"

// A general of the kind's three-entry table.
int32_t FromTable(RandomMapRun& run, const int32_t (&table)[3]) {
    return table[run.Draw(3)];
}

} // namespace

void CreateGeneratedOfficers(RandomMapRun& run, Kingdom& kingdom, City& city, int32_t count) {
    const RandomMapSettings& s = run.settings;
    int32_t general = -1; // kinds that draw nothing repeat the previous pass's general
    for (int32_t pass = 0; pass < count; ++pass) {
        switch (city.Kind()) {
        case 0: {
            int32_t r = -1;
            for (int tries = 0; tries < 19; ++tries) {
                const auto d = int32_t(run.Draw(kOfficerPoolSize));
                run.M = run.M * 47u / 23u;
                if (!run.officerUsed[d]) {
                    r = d;
                    break;
                }
            }
            if (r < 0)
                for (int i = 0; i < kOfficerPoolSize && r < 0; ++i)
                    if (!run.officerUsed[i]) r = i;
            if (r < 0) return; // every pool general is taken
            run.officerUsed[r] = 1;
            general = OfficerPool[r];
            break;
        }
        case 2:
            general = FromTable(run, s.lairLeaders);
            break;
        case 3:
            general = FromTable(run, s.caveBeasts);
            break;
        case 6:
            general = 401 + int32_t(run.Draw(5));
            break;
        case 7:
            switch (city.Int(kCopyCity)) {
            case 45:
                general = FromTable(run, s.lairLeaders);
                break;
            case 61:
                general = FromTable(run, s.caveBeasts);
                break;
            case 77:
                general = FromTable(run, s.tombMonsters);
                break;
            default:
                break;
            }
            break;
        case 10:
            general = FromTable(run, s.tombMonsters);
            break;
        default:
            break;
        }
        run.M = run.M * 19u / 13u;
        // No general yet, or one without a template: nothing to copy, no officer.
        if (general < 0 || !GeneralTemplate(general)) continue;
        auto* officer = new OfficerRecord(kingdom.nationIndex, -1);
        officer->ownerSide = kingdom.nationIndex;
        std::memcpy(officer->block, GeneralTemplate(general), OfficerLayout::kSize);
        if (city.Kind() == 7) officer->Set(OfficerLayout::kActionAi, 1);
        city.generals.Add(reinterpret_cast<uintptr_t>(officer));
    }
}

void CreateGeneratedTroops(RandomMapRun& run, City& city, int32_t count) {
    const RandomMapSettings& s = run.settings;
    int t = -1;
    for (int i = 0; i < 4 && t < 0; ++i)
        if (s.officerOptions[i] == count) t = i;
    if (t < 0) return;
    static const int32_t kTemplates[3] = {415, 418, 421};
    for (int j = 0; j < 3; ++j) {
        if (!GeneralTemplate(kTemplates[j])) continue;
        for (int32_t n = 0; n < s.standby[t][j]; ++n) {
            auto* officer = new OfficerRecord(city.ownerSide, kTemplates[j]);
            officer->Set(OfficerLayout::kControllable, 0);
            // At cell (0, 0) the troop stays off the map; it waits inside the city.
            auto* troop = new Troop(officer->Get(OfficerLayout::kSoldierType), 10, 0, 0, city.ownerSide,
                                    city.id, 100, officer);
            troop->state = 10;
            troop->garrison = 1;
            city.units.Add(reinterpret_cast<uintptr_t>(troop));
        }
    }
}
