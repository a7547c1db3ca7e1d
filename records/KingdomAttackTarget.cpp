#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"

#include <cstdlib>
#include <vector>

namespace {
constexpr size_t kMostCandidates = 200;
constexpr int kNearest = 5;
constexpr int kAttackers = 3;

bool SideActive(int32_t side) {
    return TheBattleMap && side >= 0 && side < BattleMap::kSides && TheBattleMap->sideActive[side] != 0;
}

// Measured on the exit cells; the offset comes before the absolute value, so it is not symmetric.
int32_t Distance(const City& a, const City& b) {
    return std::abs(a.exitX - b.exitX - 2) + std::abs(a.exitY - b.exitY - 2);
}

int32_t Weight(const City& h) {
    switch (h.Kind()) {
    case 0: {
        if (!SideActive(h.ownerSide)) return 30;
        const Kingdom* owner = TheBattleMap->FindKingdom(h.ownerSide);
        return owner && owner->NationKind() == 2 ? 40 : 60;
    }
    case 1:
    case 7:
        return 50;
    case 2:
    case 3:
    case 10:
        return 70;
    case 6:
        return 60;
    default:
        return 0;
    }
}

bool AtWar(const Kingdom* from, int32_t side) {
    return from && side >= 0 && side <= Kingdom::kMaxNations && from->relations[side] == 3;
}
} // namespace

void Kingdom::PickTargetCity() {
    if (NationKind() == 2 || NationKind() == 3 || !SideActive(nationIndex) || !TheBattleMap) return;
    LinkList* stageKingdoms = StageKingdoms();
    const std::vector<Kingdom*> kingdoms =
        stageKingdoms ? ListValues<Kingdom>(*stageKingdoms) : std::vector<Kingdom*>{};
    const std::vector<City*> own = ListValues<City>(cities);

    struct Candidate {
        City* city = nullptr;
        int64_t score = 0;
    };
    std::vector<Candidate> candidates;
    size_t lastWalk = 0;
    for (City* c : own) {
        const Kingdom* ownerKingdom = TheBattleMap->FindKingdom(c->ownerSide);
        size_t k = 0;
        for (Kingdom* h : kingdoms) {
            if (h->nationIndex == c->ownerSide || !AtWar(ownerKingdom, h->nationIndex)) continue;
            for (City* city : ListValues<City>(h->cities)) {
                if (city->dead || city->ownerSide == c->ownerSide) continue;
                // Beyond the table's bound a hostile city is not weighed.
                if (k >= kMostCandidates) continue;
                const int32_t d = Distance(*c, *city);
                const int64_t s = d + int64_t{d} * Weight(*city) / 100;
                if (k >= candidates.size())
                    candidates.push_back({city, s});
                else
                    candidates[k].score += s;
                ++k;
            }
        }
        c->campaignTarget = -1;
        lastWalk = k;
    }

    City* target = nullptr;
    int64_t best = 0;
    for (size_t i = 0; i < lastWalk && i < candidates.size(); ++i) {
        if (!target || candidates[i].score < best) {
            target = candidates[i].city;
            best = candidates[i].score;
        }
    }
    targetCityId = -1;
    if (!target) return;
    targetCityId = target->id;

    City* nearest[kNearest] = {};
    int32_t distance[kNearest] = {};
    for (City* c : own) {
        if (c->dead) continue;
        const int32_t d = Distance(*c, *target);
        int place = 0;
        while (place < kNearest && nearest[place] && distance[place] <= d)
            ++place;
        if (place == kNearest) continue;
        for (int i = kNearest - 1; i > place; --i) {
            nearest[i] = nearest[i - 1];
            distance[i] = distance[i - 1];
        }
        nearest[place] = c;
        distance[place] = d;
    }
    for (int i = 0; i < kNearest; ++i)
        if (nearest[i]) nearest[i]->campaignTarget = i < kAttackers ? target->id : 0;
}

void City::ChooseStagingCity() {
    if (!TheBattleMap) return;
    Kingdom* k = TheBattleMap->FindKingdom(ownerSide);
    if (!k || k->targetCityId <= 0 || k->NationKind() == 2 || k->NationKind() == 3) return;
    if (!SideActive(k->nationIndex) || units.GetCount() <= settings[4] || k->fieldGeneralCount >= 24) return;
    City* target = TheBattleMap->CityById(k->targetCityId);
    if (!target || target->dead || campaignTarget >= 0) return;

    const int32_t own = Distance(*this, *target);
    City* staging = nullptr;
    int32_t nearest = 0;
    for (City* o : ListValues<City>(k->cities)) {
        if (o == this || o->dead || Distance(*o, *target) >= own) continue;
        const int32_t d = std::abs(o->exitX - exitX) + std::abs(o->exitY - exitY);
        if (!staging || d < nearest) {
            staging = o;
            nearest = d;
        }
    }
    if (!staging) {
        stagingFlag = 0;
        return;
    }
    stagingCity = staging;
    stagingFlag = 1;
}

void Kingdom::RecallTroopsTargeting(int cityId) {
    for (Troop* t : ListValues<Troop>(fieldUnits)) {
        if (t->OfficerValue(OfficerLayout::kClass) == 6 || t->state == 13 || t->hidden) continue;
        if (!t->order || t->order->orderState == 0 || t->order->targetCityId != cityId) continue;
        t->ReturnHome(0, false);
    }
}
