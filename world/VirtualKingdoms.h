#pragma once

#include <cstdint>
#include <string_view>

class Kingdom;
class Zu_StageSet;
struct RandomMapSettings;

// The limit of random persons that the population steps keep to.
extern int32_t RandomPersonCap;

// The kingdom of list position i: id and nation index i + 1, ruler RulerPool[i], the given kind
// (0 human, 1 computer, 2 villages, 3 lairs) and that kind's standing orders.
Kingdom* CreateVirtualKingdom(int32_t i, int32_t kind, std::string_view name, int32_t officersPerCity);

// Throws away the battle map's stage and makes the stage of a generated game: H human kingdoms,
// the computer kingdoms up to the size row's kingdom count, then the village group and the lair
// group. The new stage becomes the battle map's current one (when there is a battle map) and is
// returned.
Zu_StageSet* CreateNeutralGroups(int32_t sizeIndex, int32_t humans, std::string_view name,
                                 const RandomMapSettings& settings, int32_t officersPerCity);
