#include "troops/MissileLaunch.h"

namespace {
LaunchMakers makers;
}

void SetLaunchMakers(const LaunchMakers& m) {
    makers = m;
}

void LaunchMissile(Troop* shooter, int32_t kind, int32_t sx, int32_t sy, int32_t tx, int32_t ty, int8_t side,
                   uint16_t cityValue) {
    if (makers.missile) makers.missile(shooter, kind, sx, sy, tx, ty, side, cityValue);
}

void LaunchSkillEffect(Troop* caster, int32_t skill, int32_t tx, int32_t ty) {
    if (makers.skillEffect) makers.skillEffect(caster, skill, tx, ty);
}
