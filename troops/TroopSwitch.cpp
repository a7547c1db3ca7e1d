#include "Program/GameController.h"
#include "engine/LinkList.h"
#include "net/StateCommands.h"
#include "net/TroopCommands.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/DiamondRing.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"
#include "troops/TroopSearch.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"

namespace {
constexpr int32_t kOccupantCap = 32;

// Kingdom numbers come from peers: only an existing kingdom 1..127 can be joined.
bool JoinableKingdom(int32_t k) {
    return k >= 1 && k < BattleMap::kSides && TroopKingdom(k) != nullptr;
}

bool ComputerRun(int32_t k) {
    return TheBattleMap && k >= 0 && k < BattleMap::kSides && TheBattleMap->sideActive[k] != 0;
}

// A player's troop that changes hands leaves the selection and its hot-key group.
void Deselect(Troop& t) {
    if (!TheGameController || t.owner != PlayerKingdom() || !t.selected) return;
    const int32_t group = t.hotKeyGroup;
    TheGameController->DeselectTroop(&t);
    if (group >= 0 && group < 10 && TheGameController->groupHeaders[group])
        TheGameController->groupHeaders[group]->b1 = 5;
    t.hotKeyGroup = -1;
    t.formationBonus = 0;
    // The unit panel and the group rows refresh themselves from the lists once their windows exist.
}
} // namespace

bool Troop::ScanKingdomAt(int32_t x, int32_t y, int32_t dx, int32_t dy, int8_t& found) const {
    Troop* here[kOccupantCap];
    const int32_t count = CollectOccupants(x + dx, y + dy, here, kOccupantCap);
    const int32_t gameKind = TheGameController ? TheGameController->gameKind : 0;
    for (int32_t i = 0; i < count; ++i) {
        const Troop* t = here[i];
        if (gameKind == 0 && t->owner != owner && KingdomRelation(owner, t->owner) != 3) continue;
        if (t == this || !TroopActive(t) || t->hidden || t->garrison != 0 || t->OfficerKind() >= 4 ||
            (t->flags & 0x40))
            continue;
        if (found < 0)
            found = t->owner;
        else if (found != t->owner)
            return true;
    }
    return false;
}

int8_t Troop::JoinNearbyKingdom(int32_t radius) {
    int8_t found = -1;
    for (int32_t r = 1; r <= radius; ++r) {
        bool mixed = false;
        WalkRing(r, [&](int32_t dx, int32_t dy) {
            mixed = ScanKingdomAt(cellX, cellY, dx, dy, found);
            return !mixed;
        });
        // Troops of two kingdoms around: the troop stays as it is.
        if (mixed) return -1;
    }
    if (found < 0) return -1;
    NetCmdSwitchTroopForce(this, found);
    return found;
}

void Troop::ApplySwitchKingdom(int32_t k) {
    if (!JoinableKingdom(k)) return;
    if (OfficerKind() == 5 && k != owner) {
        Deselect(*this);
        owner = static_cast<int8_t>(k);
        hidden = 0;
        if (officer) officer->ownerSide = k;
        if (!ComputerRun(k)) {
            if (order) order->orderState = 0;
            ApplyHalt();
        } else if (City* city = FindNearestCity(k, 0, true)) {
            ApplyFollow(city, city, static_cast<uint32_t>(city->id));
            if (order) order->orderState = 25;
        } else {
            if (order) order->orderState = 14;
            ApplyHalt();
        }
        return;
    }
    if ((flags & 0x40) && k != OfficerValue(OfficerLayout::kPolicy)) {
        if (officer) officer->Set(OfficerLayout::kPolicy, k);
        ApplyHalt();
        if (order) order->orderState = ComputerRun(k) ? 14 : 0;
        const int32_t player = PlayerKingdom();
        if (KingdomRelation(k, player) == 3 && KingdomRelation(owner, player) == 1) WithdrawSight();
        if (KingdomRelation(k, player) != 3) UpdateSight();
        Deselect(*this);
    }
}

void Troop::ConvertToKingdom(int32_t k) {
    if (OfficerKind() != 2 || !JoinableKingdom(k)) return;
    if (owner != 0)
        if (Kingdom* from = TroopKingdom(owner))
            from->fieldUnits.RemoveValue(reinterpret_cast<uintptr_t>(this));
    owner = static_cast<int8_t>(k);
    if (officer) officer->ownerSide = k;
    if (Kingdom* to = TroopKingdom(k)) to->fieldUnits.Add(reinterpret_cast<uintptr_t>(this));
    ApplyHalt();
    if (order) order->orderState = 12;
    if (KingdomRelation(k, PlayerKingdom()) == 3)
        WithdrawSight();
    else
        UpdateSight();
    if (leader) {
        if (leader->followers) leader->followers->RemoveValue(reinterpret_cast<uintptr_t>(this));
        leader = nullptr;
    }
}
