#pragma once

class BattleMap;

namespace demowalls {

// Lays short stretches of wall walk on the lines a city looks along for a free wall cell, so that
// its wall captain has somewhere to post: two walkable wall cells in each direction, the nearest
// that lie on the map.
void LayWallPosts(BattleMap& map, int cityX, int cityY);

} // namespace demowalls
