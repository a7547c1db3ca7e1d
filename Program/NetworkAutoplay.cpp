#include "Program/NetworkAutoplay.h"

#include "Program/Autoplay.h"
#include "Program/GameController.h"
#include "Program/MainWindow.h"
#include "Program/StageSet.h"
#include "Program/WorldDigest.h"
#include "platform/Messages.h"
#include "records/City.h"
#include "records/OfficerRecord.h"
#include "world/BattleMap.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace {
bool reported = false;

} // namespace

bool NetworkAutoplayArmed() {
    const char* v = std::getenv("KARDOL_NET_AUTOPLAY");
    return v && std::strcmp(v, "1") == 0;
}

void NetworkAutoplayStarted(GameController& c) {
    if (!NetworkAutoplayArmed() || !c.networked || !TheBattleMap) return;
    reported = false;
    std::fill(std::begin(TheBattleMap->sideActive), std::end(TheBattleMap->sideActive), uint8_t(1));
    // What each station starts with: every city's owner, generals, units and strength.
    std::string cities;
    for (City* city : TheBattleMap->cities)
        if (city)
            cities += ' ' + std::to_string(city->id) + ':' + std::to_string(city->ownerSide) + ':' +
                      std::to_string(city->generals.GetCount()) + ':' +
                      std::to_string(city->units.GetCount()) + ':' + std::to_string(city->totalStrength);
    std::printf("battle start:%s\n", cities.c_str());
    std::fflush(stdout);
}

void NetworkAutoplayEnded(GameController& c) {
    if (!NetworkAutoplayArmed() || !c.networked || reported) return;
    reported = true;
    Zu_StageSet* stage = CurrentStageSet();
    std::string cities, generals;
    if (TheBattleMap)
        for (City* city : TheBattleMap->cities) {
            if (!city) continue;
            cities += ' ' + std::to_string(city->id) + ':' + std::to_string(city->ownerSide);
            for (uintptr_t v = city->generals.First(); v != 0; v = city->generals.Next())
                generals += ' ' + std::to_string(reinterpret_cast<OfficerRecord*>(v)->serial);
        }
    std::printf("stage result: %s\n", AutoplayResultName(stage ? stage->result : 0));
    std::printf("city owners:%s\n", cities.c_str());
    std::printf("city generals:%s\n", generals.c_str());
    std::printf("world digest: %016" PRIx64 "\n", WorldDigest());
    std::fflush(stdout);
    platform::PostMessage(AppWindow.window, platform::WM_CLOSE, 0, 0);
}
