#pragma once

#include "DemoPictures.h"

#include <cstdint>
#include <vector>

class BattleMap;

// The demo's castle: the pictures "kingdom.cel" carries for it and the map cells that show them.
namespace democastle {

// The courtyard's ground cell.
constexpr uint16_t kPavingGround = 300;
// Overlay sprites; entry 0 of the sprite table stays empty.
constexpr uint16_t kWallSprite = 1, kGateSprite = 2, kTowerSprite = 3, kKeepSprite = 4;
constexpr uint16_t kSpriteCount = 5;

// An overlay picture and the two words that place it: its top-left corner lies that far left of
// and above the bottom corner of its cell's diamond.
struct Sprite {
    int32_t word0 = 0, word1 = 0;
    DemoPicture picture{1, 1};
};

// The courtyard's flagstones: a ground cell's 400 pixels, its diamond rows packed.
std::vector<uint16_t> PavingCell();
// The sprite table, index = overlay id; entry 0 is empty (a 1 x 1 picture).
std::vector<Sprite> Sprites();

// Lays a castle of the city's size on the map as the diamond of cells whose top cell is (x, y),
// the way a city's area lies: paved courtyard, walls with corner towers and a gate on the
// lower-right side, the keep in the middle; its cells carry the owner's mark (side + 100).
// Walls stay passable: the demo's troops march on open country.
void LayCastle(BattleMap& map, int x, int y, int scale, int side);

} // namespace democastle
