#pragma once

#include <cstdint>

class Troop;

// A shot of a troop: the missile joins the battle map's missile list, which steps it and deletes it
// once it has hit.
void LaunchMissile(Troop* shooter, int32_t kind, int32_t sx, int32_t sy, int32_t tx, int32_t ty, int8_t side,
                   uint16_t cityValue);
// A skill of a troop: a skill movie (category 2) from the caster's cell to the target cell; it joins
// the store's effect lists and strikes the caster's target when it has played.
void LaunchSkillEffect(Troop* caster, int32_t skill, int32_t tx, int32_t ty);
