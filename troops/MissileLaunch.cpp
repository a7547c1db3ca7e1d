#include "troops/MissileLaunch.h"

#include "engine/LinkList.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"
#include "world/Missile.h"
#include "world/Zu_SkillEffect.h"

void LaunchMissile(Troop* shooter, int32_t kind, int32_t sx, int32_t sy, int32_t tx, int32_t ty, int8_t side,
                   uint16_t cityValue) {
    BattleMap* map = TheBattleMap;
    if (!map || !map->missiles) return;
    auto* m = new Missile(shooter, kind, sx, sy, tx, ty, uint8_t(side), cityValue);
    map->missiles->Add(reinterpret_cast<uintptr_t>(m));
}

void LaunchSkillEffect(Troop* caster, int32_t skill, int32_t tx, int32_t ty) {
    if (!caster) return;
    // The effect registers itself in its list, which owns it from then on; without the store's lists
    // there is nothing to play it.
    auto* e = new Zu_SkillEffect(2, int16_t(skill), caster->cellX * 40, caster->cellY * 20, tx * 40, ty * 20,
                                 caster);
    if (!e->list) delete e;
}
