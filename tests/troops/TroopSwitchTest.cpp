#include "TroopFightFixture.h"

#include "engine/LinkList.h"
#include "net/StateCommands.h"
#include "records/City.h"

#include <gtest/gtest.h>

#include <vector>

using trooptest::Field;
using L = OfficerLayout;

namespace {
struct Neighbour {
    int side, dx, dy, kind;
    bool hidden;
};
} // namespace

TEST(TroopSwitch, AHolderGoesOverOnlyToTheOneKingdomAroundIt) {
    struct Case {
        const char* name;
        int gameKind;
        std::vector<Neighbour> around;
        int asked, ownerAfter;
    };
    const Case cases[] = {
        {"enemies alone", 0, {{2, 1, 0, 2, false}, {2, 0, 3, 1, false}}, 2, 2},
        {"two kingdoms around", 0, {{2, 1, 0, 2, false}, {1, -2, 0, 2, false}}, -1, 1},
        {"its own troops alone", 0, {{1, 1, 0, 2, false}}, 1, 1},
        {"nobody", 0, {}, -1, 1},
        {"a kingdom at peace in a campaign", 0, {{3, 1, 0, 2, false}}, -1, 1},
        {"a kingdom at peace in another game", 1, {{3, 1, 0, 2, false}}, 3, 3},
        {"a hidden troop", 0, {{2, 1, 0, 2, true}}, -1, 1},
        {"an officer kind 4", 0, {{2, 1, 0, 4, false}}, -1, 1},
        {"beyond six rings", 0, {{2, 7, 0, 2, false}}, -1, 1},
    };
    for (const Case& c : cases) {
        Field f;
        Kingdom* k[4] = {nullptr, f.player, f.foe, f.third};
        TheGameController->gameKind = c.gameKind;
        Troop* holder = f.Add(f.player, 20, 20, 5);
        for (const Neighbour& n : c.around) {
            Troop* t = f.Add(k[n.side], 20 + n.dx, 20 + n.dy, n.kind);
            t->hidden = n.hidden ? 1 : 0;
        }
        EXPECT_EQ(holder->JoinNearbyKingdom(6), c.asked) << c.name;
        EXPECT_EQ(holder->owner, c.ownerAfter) << c.name;
        EXPECT_EQ(holder->officer->ownerSide, c.ownerAfter) << c.name;
    }
}

TEST(TroopSwitch, ASwitchedHolderLeavesTheSelectionAndFollowsItsNewKingdom) {
    Field f;
    Troop* holder = f.Add(f.player, 20, 20, 5);
    holder->hidden = 1;
    LinkList* list = TheGameController->groups[3];
    list->Add(uintptr_t(holder));
    TheGameController->selection->Add(uintptr_t(holder));
    holder->selected = 1;
    holder->hotKeyGroup = 3;
    holder->formationBonus = 2;
    TheBattleMap->sideActive[2] = 1; // computer-run, with no city: it waits
    holder->ApplySwitchKingdom(2);
    EXPECT_EQ(holder->owner, 2);
    EXPECT_EQ(holder->hidden, 0);
    EXPECT_EQ(holder->selected, 0);
    EXPECT_EQ(holder->hotKeyGroup, -1);
    EXPECT_EQ(holder->formationBonus, 0);
    EXPECT_EQ(list->GetCount(), 0);
    EXPECT_EQ(holder->order->orderState, 14);
    // It stays in the troop list it was in.
    EXPECT_TRUE(f.player->fieldUnits.Contains(uintptr_t(holder)));
    // A kingdom number from a peer that names nothing is ignored.
    holder->ApplySwitchKingdom(0);
    holder->ApplySwitchKingdom(77);
    holder->ApplySwitchKingdom(500);
    EXPECT_EQ(holder->owner, 2);
}

TEST(TroopSwitch, AServantTakesTheNewKingdomAsItsPolicy) {
    Field f;
    Troop* servant = f.Add(f.foe, 20, 20, 2);
    servant->flags |= 0x40;
    servant->officer->Set(L::kPolicy, 2);
    servant->order->orderState = 3;
    TheBattleMap->sideActive[3] = 0; // run by a player
    servant->ApplySwitchKingdom(3);
    EXPECT_EQ(servant->officer->Get(L::kPolicy), 3);
    EXPECT_EQ(servant->owner, 2);
    EXPECT_EQ(servant->order->orderState, 0);
    EXPECT_EQ(servant->state, 10);
    // A servant of a computer-run kingdom waits for its orders.
    servant->ApplySwitchKingdom(2);
    EXPECT_EQ(servant->officer->Get(L::kPolicy), 2);
    EXPECT_EQ(servant->order->orderState, 14);
}

TEST(TroopSwitch, ATurnedTroopChangesListsAndLeavesItsLeader) {
    Field f;
    Troop* leader = f.Add(f.foe, 20, 20, 1);
    Troop* t = f.Add(f.foe, 21, 20, 2);
    leader->followers->Add(uintptr_t(t));
    t->leader = leader;
    ApplySkillEffectCommand(t, 1, 4);
    EXPECT_EQ(t->owner, 1);
    EXPECT_TRUE(f.player->fieldUnits.Contains(uintptr_t(t)));
    EXPECT_FALSE(f.foe->fieldUnits.Contains(uintptr_t(t)));
    EXPECT_EQ(t->leader, nullptr);
    EXPECT_EQ(leader->followers->GetCount(), 0);
    EXPECT_EQ(t->order->orderState, 12);
    // Only soldier troops turn, and only to a kingdom that exists.
    ApplySkillEffectCommand(leader, 1, 4);
    EXPECT_EQ(leader->owner, 2);
    ApplySkillEffectCommand(t, 90, 4);
    EXPECT_EQ(t->owner, 1);
}
