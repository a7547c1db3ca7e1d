#pragma once

#include <cstdint>

class Troop;

// Where a troop's shots go: the battle world installs the makers of its missiles and skill
// effects (and adds them to its lists). Without a maker nothing flies.
struct LaunchMakers {
    void (*missile)(Troop* shooter, int32_t kind, int32_t sx, int32_t sy, int32_t tx, int32_t ty, int8_t side,
                    uint16_t cityValue) = nullptr;
    void (*skillEffect)(Troop* caster, int32_t skill, int32_t tx, int32_t ty) = nullptr;
};
void SetLaunchMakers(const LaunchMakers& makers);

void LaunchMissile(Troop* shooter, int32_t kind, int32_t sx, int32_t sy, int32_t tx, int32_t ty, int8_t side,
                   uint16_t cityValue);
void LaunchSkillEffect(Troop* caster, int32_t skill, int32_t tx, int32_t ty);
