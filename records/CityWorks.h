#pragma once

#include "gui/RootObject.h"

#include <cstdint>

class City;
class Troop;
class Zu_SkillEffect;

// Byte offsets of the city block's columns that the city's works read.
namespace CityWorkColumns {
constexpr uint32_t kDevelopment = 48;      // "開發值"
constexpr uint32_t kCommerce = 52;         // "商業值"
constexpr uint32_t kMorale = 56;           // "民心值"
constexpr uint32_t kSpecialTroops = 128;   // "水1" .. "蠻2", eight counts
constexpr uint32_t kSpawnDays = 336;       // "條件天數"
constexpr uint32_t kSpawnEvent = 340;      // "條件事件id"
constexpr uint32_t kRespawnDays = 344;     // "幾天重生"
constexpr uint32_t kSpecialBarracks = 384; // "特兵"
} // namespace CityWorkColumns

// A soldier waiting in a city's training queue: the general template and the days trained.
class TrainingEntry : public RootObject {
public:
    explicit TrainingEntry(int32_t templateNumber) : templateNumber(templateNumber) {}
    ~TrainingEntry() override = default;

    int32_t templateNumber = 0;
    uint32_t days = 0;
};

// What a city's development choice came to.
struct DevelopmentChoice {
    enum Kind : uint8_t { None, Build, Train, Upgrade };
    Kind what = None;
    int32_t category = -1;
    int32_t buildingKind = -1;
};

// The general template of a city's towers for its size (453, 462, 463, and 489 when the table
// holds it).
int32_t TowerTemplateForSize(int32_t size);
// The tower's general takes the block of its size's template; the troop shoots as template 453's
// soldier type.
void TakeTowerTemplate(Troop& tower, int32_t size);
// The unit cell of a tower slot (0..5) of the city.
void TowerCellOf(const City& city, int32_t slot, int32_t& x, int32_t& y);
