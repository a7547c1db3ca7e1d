#include "events/WorldQueries.h"

#include "world/BattleMap.h"

namespace events {

bool InActiveArea(int32_t x, int32_t y) {
    if (!TheBattleMap) return false;
    const CellBounds& b = TheBattleMap->validBounds;
    return x >= b.left && x < b.right && y >= b.top / 2 && y < b.bottom / 2;
}

Kingdom* KingdomOfSide(int32_t side) {
    if (!TheBattleMap || side < 0 || side >= BattleMap::kSides) return nullptr;
    return static_cast<Kingdom*>(TheBattleMap->kingdomTable[side]);
}

int32_t SideOfNation(int32_t nation) {
    for (int32_t side = 0; side < BattleMap::kSides; ++side) {
        const Kingdom* k = KingdomOfSide(side);
        if (k && k->nationIndex == nation) return side;
    }
    return 0;
}

Kingdom* KingdomOfNation(Zu_StageSet& stage, int32_t nation) {
    Kingdom* found = nullptr;
    WalkList<Kingdom>(stage.kingdoms, [&](Kingdom* k) {
        if (k->nationIndex == nation) found = k;
        return found != nullptr;
    });
    return found;
}

Kingdom* PlayerKingdom(Zu_StageSet& stage) {
    return stage.playerKingdom ? stage.playerKingdom : KingdomOfNation(stage, stage.playerSide);
}

bool OfficerInPlay(const OfficerRecord* officer) {
    return officer && officer->StatusWord() == 0;
}

int32_t OfficerField(const Troop* troop, uint32_t offset) {
    return troop && troop->officer ? troop->officer->Get(offset) : 0;
}

} // namespace events
