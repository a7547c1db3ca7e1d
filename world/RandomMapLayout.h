#pragma once

class City;
struct RandomMapRun;

// Draws the generated stage's map into the run's grid: player castles on 4 x 3-block places,
// village and lair cities on single blocks, terrain pieces everywhere else, then the towers.
void LayoutVirtualMap(RandomMapRun& run);
// Records the first six tower tiles around a castle in the city's tower slots.
void InitGeneratedCityTowers(RandomMapRun& run, City& city);
