#pragma once

#include <string>

// What the demo's armies shoot: the archers' missile kind and the weapon animation
// "ani/Weapon.anm" with its image sets "ani/Weapon.act" (twelve directions of an arrow, two
// frames each). Written into the current folder; false with `error` naming the file that could
// not be written.
constexpr int kDemoArrowKind = 2;
bool WriteDemoWeapons(std::string& error);
