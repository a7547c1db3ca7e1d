#include "Program/GameController.h"
#include "Program/GameRules.h"
#include "Program/SoundEffects.h"
#include "engine/Random.h"
#include "records/City.h"
#include "records/CityTroopLists.h"
#include "records/Kingdom.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"
#include "world/MapView.h"
#include "world/Zu_SkillEffect.h"

namespace {
// The first value of each kind's row of the city size table.
constexpr int32_t kDestroyRadius[11] = {12, 7, 6, 6, 7, 7, 7, 7, 5, 6, 6};
constexpr int kCitiesDestroyedTally = 9;
} // namespace

void City::ApplyDestroy(uint32_t seed, uint32_t multiplier, int32_t destroyerSide) {
    ReleaseGarrison();
    // Units shown around it go back inside: the ruin's list alone holds them from now on.
    RemoveUnitFromMap();
    // Every peer goes on with the same draws.
    RandomSeed = seed;
    RandomMultiplier = multiplier;
    BattleMap* map = TheBattleMap;
    if (destroyerSide != 0)
        if (Kingdom* k = citylists::KingdomOf(destroyerSide)) ++k->tally[kCitiesDestroyedTally];
    if (map) {
        map->unownedCities.Add(this);
        // A peer may have named the attacker owner already: the city leaves whoever holds it, or
        // a kingdom would delete it a second time.
        if (LinkList* kingdoms = StageKingdoms())
            for (uintptr_t v = kingdoms->First(); v != 0; v = kingdoms->Next())
                reinterpret_cast<Kingdom*>(v)->RemoveCity(this);
    }
    const int32_t x = CellX(), y = CellY();
    const MapCell* cell = map ? map->CellAt(x, y) : nullptr;
    const int32_t sight = cell ? cell->sightCount : 0;
    MapView* view = TheGameController ? TheGameController->gameScreen : nullptr;
    if (view && sight > 0) view->PlotObjectOnMinimap(this, 0);
    if (map && map->HasCells()) {
        const int32_t r = kDestroyRadius[Kind() >= 0 && Kind() <= 10 ? Kind() : 0];
        map->MarkArea(x, y, r, 100, 0xFFFF);
        map->MarkArea(x - 1, y, r, 0, 0);
        map->MarkArea(x, y - 2, r, 0, 0);
        // Missing: BattleMap::StampPattern with the ruin pattern (no footprint table names it).
    }
    if (TheGameController && TheGameController->selectedCity == this)
        TheGameController->selectedCity = nullptr;
    if (view && view->currentCity == this) view->currentCity = nullptr;
    for (Zu_SkillEffect*& e : effects) {
        delete e;
        e = nullptr;
    }
    dead = 1;
    if (view && x >= view->viewX && x < view->viewX + 20 && y >= view->viewY && y < view->viewY + 56)
        PlaySoundEffect(19);
    if (map && destroyerSide >= 0 && destroyerSide < BattleMap::kSides &&
        map->sideActive[destroyerSide] == 0 && map->HasCells())
        DropLoot(x, y / 2 + 2, TheGameController && TheGameController->gameKind == 0 ? 1 : 3);
    if (sight > 1) {
        auto* blast = new Zu_SkillEffect(3, 13, x * 40 - 125, y * 10 - 60);
        // Without an effect list nobody would retire it.
        if (!blast->list) delete blast;
    }
}
