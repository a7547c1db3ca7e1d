#include "world/RandomMapRun.h"

#include "Program/StageSet.h"
#include "engine/Random.h"
#include "records/City.h"
#include "records/Kingdom.h"

RandomMapRun::RandomMapRun(Zu_StageSet& stage, const RandomMapOptions& options,
                           const RandomMapSettings& settings)
    : stage(stage), options(options), settings(settings), state(options.seed), M(options.seed),
      fillerState(options.seed) {}

uint32_t RandomMapRun::Draw(int32_t n) {
    const uint32_t mul = M;
    const uint32_t r = SyncRandom(state, n, mul);
    if (trace) trace->push_back({n, mul, r});
    return r;
}

std::vector<Kingdom*> StageKingdoms(Zu_StageSet& stage) {
    std::vector<Kingdom*> out;
    if (!stage.kingdoms) return out;
    for (uintptr_t v = stage.kingdoms->First(); v != 0; v = stage.kingdoms->Next())
        out.push_back(reinterpret_cast<Kingdom*>(v));
    return out;
}

std::vector<City*> KingdomCities(Kingdom& kingdom) {
    std::vector<City*> out;
    for (uintptr_t v = kingdom.cities.First(); v != 0; v = kingdom.cities.Next())
        out.push_back(reinterpret_cast<City*>(v));
    return out;
}
