#include "Program/GameParameters.h"
#include "net/CityValueCommand.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {
constexpr uint32_t kDevelopment = 48; // "開發值"
constexpr uint32_t kCommerce = 52;    // "商業值"
constexpr uint32_t kMorale = 56;      // "民心值"

// A plot's count starts at 1000; every finished building of the kind adds one.
int32_t Finished(int16_t count) {
    return count > 1000 ? count - 1000 : 0;
}

int32_t Divide(int32_t a, int32_t divisor) {
    return divisor != 0 ? a / divisor : 0;
}

float Rate(int64_t base, int32_t divisor) {
    return divisor != 0 ? static_cast<float>(base) / static_cast<float>(divisor) : 0.0f;
}

// Counts and effects come from stage and parameter files: a huge one saturates instead of wrapping.
int32_t Saturate(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// Finished buildings of a kind times its effect, raised by the percent its second kind adds.
int32_t Effect(int16_t count, int16_t raiseCount, const int32_t (&effect)[2]) {
    const int64_t base = Saturate(int64_t(Finished(count)) * effect[0]);
    const int64_t percent = Saturate(100 + int64_t(Finished(raiseCount)) * effect[1]);
    return Saturate(base * percent / 100);
}

// The whole part of rate + accumulator leaves the accumulator; the fraction stays for tomorrow.
int32_t TakeWhole(float rate, float& accumulator) {
    const float sum = rate + accumulator;
    const auto whole = static_cast<int32_t>(sum);
    accumulator = sum - static_cast<float>(whole);
    return whole;
}
} // namespace

void City::SumBuildings() {
    if (Kind() != 0) return;
    const GameParameters& p = GameParams();
    const int32_t development = Effect(buildings[0], buildings[1], p.farmEffect);
    const int32_t commerce = Effect(buildings[2], buildings[3], p.marketEffect);
    const int32_t morale = std::min(Effect(buildings[4], buildings[5], p.templeEffect), 100);

    // The rates take the values before the caps.
    int64_t foodBase = development;
    int64_t goldBase = commerce;
    int64_t moraleBase = morale;
    SetInt(kDevelopment, std::min(development, 200));
    SetInt(kCommerce, std::min(commerce, 200));
    SetInt(kMorale, morale);

    if (currentUnit && currentUnit->officer) {
        const int32_t intelligence = currentUnit->officer->Get(OfficerLayout::kIntelligence);
        const int32_t charm = currentUnit->officer->Get(OfficerLayout::kCharm);
        foodBase += Divide(intelligence, p.governorDevelopmentDivisor);
        goldBase +=
            Divide(charm, p.governorCommerceDivisor[1]) + Divide(intelligence, p.governorCommerceDivisor[0]);
        moraleBase += Divide(charm, p.governorMoraleBaseDivisor);
    }
    incomeRates[2] = Rate(foodBase, p.dailyGrainDivisor);
    incomeRates[1] = Rate(goldBase, p.dailyGoldDivisor);
    incomeRates[0] = Rate(moraleBase, p.dailyPopulationDivisor);
}

void City::CollectIncome() {
    if (Kind() != 0) return;
    Kingdom* kingdom = TheBattleMap ? TheBattleMap->FindKingdom(ownerSide) : nullptr;
    const int32_t gold = TakeWhole(incomeRates[1], accumulators[2]);
    if (gold != 0) {
        if (kingdom) kingdom->goldTotal += gold;
        NetCmdAddCityValue(this, gold, kCityGold);
    }
    const int32_t food = TakeWhole(incomeRates[2], accumulators[1]);
    if (food != 0) NetCmdAddCityValue(this, food, kCityFood);
    const int32_t cap = GameParams().siteRows[std::clamp(Scale(), 1, 4) - 1][5];
    if (Int(CityLayout::kPopulation) < cap) {
        const int32_t people = TakeWhole(incomeRates[0], accumulators[0]);
        if (people != 0) NetCmdAddCityValue(this, people, kCityPopulation);
    }
}
