#include "net/CityValueCommand.h"

#include "Program/GameParameters.h"
#include "engine/ByteReader.h"
#include "net/CommandLookups.h"
#include "net/PendingValues.h"
#include "net/TroopCommands.h"
#include "records/City.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "windows/city/Win98Window.h"
#include "world/BattleMap.h"

#include <algorithm>

namespace {
constexpr int32_t kMostGoldOrFood = 999999;
constexpr uint32_t kDevelopmentColumn = 48; // "開發值"
constexpr uint32_t kCommerceColumn = 52;    // "商業值"
constexpr uint32_t kMoraleColumn = 56;      // "民心值"
constexpr uint32_t kFamily = kCityValueCommand;

bool KnownMask(uint32_t mask) {
    switch (mask) {
    case kCityGold:
    case kCityFood:
    case kCityDevelopment:
    case kCityCommerce:
    case kCityMorale:
    case kCityPopulation:
    case kCityGarrisonStrength:
    case kCityGarrisonRebuild:
    case kCityTower:
        return true;
    default:
        return false;
    }
}

int32_t PopulationCap(const City& city) {
    const int32_t row = std::clamp(city.Scale(), 1, 4) - 1;
    return GameParams().siteRows[row][5];
}

// Sums of values from files and peers must not wrap.
int32_t Add(int32_t a, int32_t b) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{a} + b, INT32_MIN, INT32_MAX));
}

// The column a mask's new value is computed from; -1 for a mask that carries its value as it is.
int32_t BaseColumn(uint32_t mask) {
    switch (mask) {
    case kCityGold:
        return static_cast<int32_t>(CityLayout::kGold);
    case kCityFood:
        return static_cast<int32_t>(CityLayout::kFood);
    case kCityDevelopment:
        return static_cast<int32_t>(kDevelopmentColumn);
    case kCityCommerce:
        return static_cast<int32_t>(kCommerceColumn);
    case kCityMorale:
        return static_cast<int32_t>(kMoraleColumn);
    case kCityPopulation:
        return static_cast<int32_t>(CityLayout::kPopulation);
    default:
        return -1;
    }
}

int32_t NewValue(const City& city, int32_t base, int32_t delta, uint32_t mask) {
    switch (mask) {
    case kCityFood:
        return std::max(0, Add(base, delta));
    case kCityPopulation:
        return std::clamp(Add(base, delta), 0, std::max(0, PopulationCap(city)));
    default:
        return BaseColumn(mask) >= 0 ? Add(base, delta) : delta;
    }
}

// What a station holds once the value is applied.
int32_t Effective(int32_t value, uint32_t mask) {
    return mask == kCityGold || mask == kCityFood ? std::clamp(value, 0, kMostGoldOrFood) : value;
}

uint64_t Key(uint32_t cityId, uint32_t mask) {
    return PendingKey(kFamily, cityId, mask);
}

void SetGarrisonStrength(City* city, int32_t value) {
    for (Troop* t : city->garrison)
        if (t && t->officer) t->officer->Set(OfficerLayout::kHp, value);
}
} // namespace

void ApplyCityValue(City* city, int32_t value, uint32_t mask) {
    if (!city) return;
    switch (mask) {
    case kCityGold:
        city->SetInt(CityLayout::kGold, std::clamp(value, 0, kMostGoldOrFood));
        break;
    case kCityFood:
        city->SetInt(CityLayout::kFood, std::clamp(value, 0, kMostGoldOrFood));
        break;
    case kCityDevelopment:
        city->SetInt(kDevelopmentColumn, value);
        break;
    case kCityCommerce:
        city->SetInt(kCommerceColumn, value);
        break;
    case kCityMorale:
        city->SetInt(kMoraleColumn, value);
        break;
    case kCityPopulation:
        city->SetInt(CityLayout::kPopulation, value);
        break;
    case kCityGarrisonStrength:
        if (value < 0) {
            city->ReleaseGarrison();
        } else if (value == 0) {
            city->ReleaseGarrison();
            city->SpawnGenerals();
            SetGarrisonStrength(city, 0);
        } else {
            SetGarrisonStrength(city, value);
        }
        break;
    case kCityGarrisonRebuild:
        city->ReleaseGarrison();
        city->SpawnGenerals();
        break;
    case kCityTower:
        // The slot came from a peer: the city refuses one out of range.
        city->CreateTowerTroop(value);
        break;
    default:
        break;
    }
    RefreshCityFields(city, int(mask));
}

void NetCmdAddCityValue(City* city, int32_t delta, uint32_t mask) {
    if (!city || !KnownMask(mask) || CityIndexOf(city) < 0) return;
    const int32_t column = BaseColumn(mask);
    const bool client = !DecidesHere();
    const uint64_t key = Key(static_cast<uint32_t>(city->id), mask);
    int32_t base = 0;
    if (column >= 0) {
        const int32_t current = city->Int(static_cast<uint32_t>(column));
        base = client ? ClientPendingValues().Base(key, current) : current;
    }
    const int32_t value = NewValue(*city, base, delta, mask);
    if (!client) ApplyCityValue(city, value, mask);
    if (!GameNetworked()) return;
    GameCommandSender send = CurrentGameCommandSender();
    if (!send) return;
    if (client && column >= 0) ClientPendingValues().Sent(key, value, Effective(value, mask));
    ByteWriter out;
    // On the wire a city is its index in the map's table.
    out.u32(static_cast<uint32_t>(CityIndexOf(city)));
    out.u32(static_cast<uint32_t>(value));
    out.u32(mask);
    send(kCityValueCommand, out.buffer().data(), out.size());
}

bool ReceiveCityValueCommand(std::span<const uint8_t> payload) {
    if (payload.size() != kCityValueCommandSize) return false;
    ByteReader in(payload.data(), payload.size());
    const uint32_t index = in.u32();
    const auto value = static_cast<int32_t>(in.u32());
    const uint32_t mask = in.u32();
    if (!in.ok() || !KnownMask(mask) || !TheBattleMap) return false;
    City* city = CityAtIndex(index);
    if (!city) return false;
    if (!DecidesHere() && BaseColumn(mask) >= 0)
        ClientPendingValues().Echo(Key(static_cast<uint32_t>(city->id), mask), value);
    ApplyCityValue(city, value, mask);
    return true;
}
