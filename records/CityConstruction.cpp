#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "platform/CRand.h"
#include "records/City.h"
#include "records/CityRecordSenders.h"
#include "stagefiles/SavedRecord.h"
#include "troops/TroopWorld.h"
#include "windows/city/Win98Window.h"
#include "world/BattleMap.h"
#include "world/FootprintPattern.h"
#include "world/Zu_SkillEffect.h"

namespace {
constexpr int32_t kBuildingKinds = 26;
constexpr int32_t kWorkPerDay = 10;
// Farm-table entries of the site pictures: the farm's four stages, then the common four.
constexpr int kFarmStagePictures = 2;
constexpr int kCommonStagePictures = 6;

template <class T>
T* At(uintptr_t v) {
    return reinterpret_cast<T*>(v);
}

bool CellVisible(int32_t x, int32_t y) {
    const MapCell* cell = TheBattleMap ? TheBattleMap->CellAt(x, y) : nullptr;
    return cell && cell->sightCount > 1;
}

bool HostOfNetworkGame() {
    return GameNetworked() && DecidesHere();
}

void SendProgress(const City& city, const SavedRecord& site) {
    if (!HostOfNetworkGame()) return;
    if (auto send = CurrentCityRecordSenders().constructionProgress) send(city, site);
}
} // namespace

int32_t City::BuildingCount(int32_t kind) const {
    return kind >= 0 && kind < kBuildingKinds ? buildings[kind] : 0;
}

SavedRecord* City::FindSiteAt(int32_t x, int32_t y) {
    for (uintptr_t v = sites.First(); v != 0; v = sites.Next()) {
        auto* site = At<SavedRecord>(v);
        if (site->x == x && site->y == y) return site;
    }
    return nullptr;
}

SavedRecord* City::PickConstructionSite(int32_t kind) {
    if (kind == -1) {
        const int count = sites.GetCount();
        if (count <= 0) return nullptr;
        return At<SavedRecord>(sites.GetAt(platform::rand() % count));
    }
    for (uintptr_t v = sites.First(); v != 0; v = sites.Next())
        if (At<SavedRecord>(v)->kind == kind) return At<SavedRecord>(v);
    return nullptr;
}

void City::TickConstruction() {
    const GameParameters& p = GameParams();
    for (uintptr_t v = sites.First(); v != 0; v = sites.Next()) {
        auto* site = At<SavedRecord>(v);
        if (site->kind < 0 || site->kind >= kBuildingKinds || site->work >= p.buildingCost[site->kind])
            continue;
        site->work += kWorkPerDay;
        if (!site->effect && CellVisible(site->x, site->y))
            site->effect = new Zu_SkillEffect(3, 21, site->x * 40 - 75, site->y * 10 + 30);
        ApplyConstructionProgress(site);
    }
}

void City::ApplyConstructionProgress(SavedRecord* site) {
    if (!site || site->kind < 0 || site->kind >= kBuildingKinds) return;
    const int32_t price = GameParams().buildingCost[site->kind];
    if (site->work < price) {
        const int32_t stage = site->work * 4 / price;
        if (stage > site->shownStage) {
            site->shownStage = stage;
            const int base = site->kind == 0 ? kFarmStagePictures : kCommonStagePictures;
            if (TheBattleMap && stage <= 3)
                TheBattleMap->StampPattern(site->x, site->y, PatternAt(Footprints().farm, base + stage));
            SendProgress(*this, *site);
        }
        return;
    }
    delete site->effect;
    site->effect = nullptr;
    site->work = price;
    if (TheBattleMap) {
        if (site->kind == 0) {
            TheBattleMap->StampConstructionPattern(site->x, site->y, 0);
        } else {
            TheBattleMap->ClearFootprint(3, site->x, site->y, 6);
            TheBattleMap->StampConstructionPattern(site->x, site->y, site->kind);
        }
    }
    ++buildings[site->kind];
    SumBuildings();
    RefreshCityFields(this, 0xFB);
    SendProgress(*this, *site);
}
