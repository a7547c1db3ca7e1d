#pragma once

class Kingdom;

// The demo's blue scout: a general outside the blue army, with no route points, so his route ends
// after a day's stay and he roams the middle of the map. A roam is a draw of the host's random
// generator, so the seed of a run decides where he goes and whom he meets.
namespace demoroutes {

// Makes the kingdom's last field troop the scout.
void MakeScout(Kingdom& kingdom);

} // namespace demoroutes
