#include "TroopFixture.h"

#include "Program/GameParameters.h"
#include "engine/LinkList.h"
#include "net/TroopFateCommands.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/RecordTables.h"
#include "troops/TroopOrder.h"
#include "world/Coordinates.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>

using trooptest::Battle;
using L = OfficerLayout;

namespace {
constexpr uint32_t kRetreatStory = 376; // "敘述撤退"

struct Sent {
    uint8_t code;
    std::vector<uint8_t> payload;
};
std::vector<Sent> sent;
void Record(uint8_t code, const uint8_t* payload, size_t length) {
    sent.push_back({code, std::vector<uint8_t>(payload, payload + length)});
}

std::vector<uint8_t> Hex(const char* text) {
    std::vector<uint8_t> out;
    std::string digits;
    for (const char* p = text; *p; ++p)
        if (*p != ' ') digits += *p;
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        out.push_back(uint8_t(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return out;
}

// The player's kingdom 1 at war with kingdom 2; troops with set fighting values.
struct Fight {
    Battle b;
    Kingdom* player = b.AddKingdom(1, true);
    Kingdom* foe = b.AddKingdom(2);
    Fight() {
        Battle::War(player, foe);
        sent.clear();
    }
    Troop* Add(Kingdom* k, int x, int y, int kind = 2, int attack = 30, int defence = 10, int hp = 100) {
        Troop* t = b.AddTroop(k, x, y, 1, kind);
        t->officer->Set(L::kAttack, attack);
        t->officer->Set(L::kDefence, defence);
        t->officer->Set(L::kHp, hp);
        t->officer->Set(L::kMaxHp, hp);
        return t;
    }
};
} // namespace

TEST(TroopHits, DamageFollowsDefenceDifficultyCapsAndCheats) {
    struct Case {
        const char* name;
        int attack, defence, hp;
        bool byPlayer, onPlayer, networked;
        int difficulty;
        bool oneBlow, protection;
        int kind;
        int damage;
    };
    const Case cases[] = {
        {"plain", 30, 10, 100, false, false, false, 1, false, false, 2, 20},
        {"at least one", 5, 10, 100, false, false, false, 1, false, false, 2, 1},
        {"at most the strength left", 90, 10, 50, false, false, false, 1, false, false, 2, 50},
        {"hard, by the player", 30, 10, 100, true, false, false, 2, false, false, 2, 30},
        {"easy, by the player", 30, 10, 100, true, false, false, 0, false, false, 2, 14},
        {"hard, capped", 90, 10, 100, true, false, false, 2, false, false, 2, 100},
        {"hard, by the computer", 30, 10, 100, false, true, false, 2, false, false, 2, 20},
        {"hard, networked", 30, 10, 100, true, false, true, 2, false, false, 2, 20},
        {"one blow", 11, 10, 100, true, false, false, 1, true, false, 2, 100},
        {"one blow spares the player", 11, 10, 100, false, true, false, 1, true, false, 2, 1},
        {"protection", 30, 10, 100, false, true, false, 1, false, true, 2, 0},
        {"kind 5 is immune", 30, 10, 100, false, false, false, 1, false, false, 5, 0},
        {"kind 13 is immune", 30, 10, 100, false, false, false, 1, false, false, 13, 0},
        {"a general", 30, 10, 100, true, false, false, 1, false, false, 1, 20},
    };
    for (const Case& c : cases) {
        Fight f;
        TheGameController->networked = c.networked;
        TheGameController->isHost = 1;
        TheGameController->difficulty = uint8_t(c.difficulty);
        TheGameController->oneBlow = c.oneBlow;
        TheGameController->playerProtection = c.protection;
        Troop* victim = f.Add(c.onPlayer ? f.player : f.foe, 10, 10, c.kind, 0, c.defence, c.hp);
        const int side = c.byPlayer ? 1 : 2;
        EXPECT_EQ(victim->TakeHit(int16_t(c.attack), side, nullptr), c.damage) << c.name;
        EXPECT_EQ(victim->OfficerValue(L::kHp), c.hp - c.damage) << c.name;
    }
}

TEST(TroopHits, SiegeEnginesAndWallShootersHitHarderAndTheBlowIsTallied) {
    struct Case {
        const char* name;
        int victimKind, attackerType, rangeEnd;
        bool onWall;
        int damage;
    };
    const Case cases[] = {
        {"plain", 2, 1, 1, false, 20},
        {"siege on a structure", 14, 108, 1, false, 110},
        {"siege on a troop", 2, 109, 1, false, 20},
        {"shooter on a wall", 2, 1, 5, true, 35},
        {"shooter on the ground", 2, 1, 5, false, 20},
        {"short reach on a wall", 2, 1, 2, true, 20},
    };
    for (const Case& c : cases) {
        Fight f;
        f.b.Type(108);
        f.b.Type(109);
        Troop* attacker = f.Add(f.foe, 5, 5, 2, 30);
        attacker->currentType = c.attackerType;
        attacker->rangeEnd = int16_t(c.rangeEnd);
        if (c.onWall) TheBattleMap->CellAt(5, 10)->obstacle = 255;
        Troop* victim = f.Add(f.player, 10, 10, c.victimKind, 0, 10, 200);
        victim->ReceiveAttack(attacker);
        EXPECT_EQ(victim->OfficerValue(L::kHp), 200 - c.damage) << c.name;
        EXPECT_EQ(attacker->officer->activity[0], c.damage) << c.name;
        EXPECT_EQ(f.foe->damageDealt, c.damage) << c.name;
    }
}

TEST(TroopHits, AKilledTroopFallsOnceAndIsTalliedOnBothSides) {
    Fight f;
    Troop* leader = f.Add(f.foe, 8, 8, 1);
    Troop* victim = f.Add(f.foe, 10, 10, 2, 0, 0, 15);
    Troop* attacker = f.Add(f.player, 11, 10, 2, 40);
    victim->leader = leader;
    leader->followers->Add(uintptr_t(victim));
    victim->selected = 1;
    TheGameController->selection->Add(uintptr_t(victim));
    victim->ReceiveAttack(attacker);
    EXPECT_EQ(victim->state, 13);
    EXPECT_EQ(victim->officer->StatusWord(), 2);
    EXPECT_EQ(victim->OfficerValue(L::kHp), 0);
    EXPECT_EQ(f.foe->tally[6], 1);    // troops lost
    EXPECT_EQ(f.player->tally[3], 1); // troops destroyed
    EXPECT_EQ(victim->leader, nullptr);
    EXPECT_EQ(leader->followers->GetCount(), 0);
    EXPECT_EQ(TheGameController->selection->GetCount(), 0);
    EXPECT_FALSE(f.b.OnCell(victim, 10, 10));
    ASSERT_NE(TheBattleMap->dyingTroops, nullptr);
    EXPECT_EQ(TheBattleMap->dyingTroops->GetCount(), 1);
    // Further blows on the fallen and a repeated kill change nothing.
    victim->ReceiveAttack(attacker);
    EXPECT_FALSE(ReceiveKillCommand(PackKill({{victim->UnitId(), 2, 0, 0}, 1})));
    EXPECT_EQ(f.player->tally[3], 1);
    EXPECT_EQ(TheBattleMap->dyingTroops->GetCount(), 1);
    EXPECT_EQ(attacker->officer->activity[0], 15);
}

TEST(TroopHits, AKilledGarrisonLeavesItsCityAndStaysOnceForItsKingdomToDelete) {
    Fight f;
    City* city = f.b.AddCity(f.foe, 20, 20);
    Troop* inside = f.Add(f.foe, 20, 20, 2, 0, 0, 10);
    inside->homeCity = int16_t(city->id);
    inside->SetCell(20, 20, 1);
    city->garrison[1] = inside;
    city->units.Add(uintptr_t(inside));
    f.foe->fieldUnits.Add(uintptr_t(inside)); // listed twice by mistake
    inside->Kill(1);
    EXPECT_EQ(city->garrison[1], nullptr);
    EXPECT_EQ(city->units.GetCount(), 0);
    int listed = 0;
    for (uintptr_t v = f.foe->fieldUnits.First(); v != 0; v = f.foe->fieldUnits.Next())
        listed += v == uintptr_t(inside);
    EXPECT_EQ(listed, 1);
    EXPECT_EQ(inside->kindWord, 999);
    EXPECT_EQ(f.player->tally[3], 0); // a garrison kill is not a field kill
}

TEST(TroopHits, ARoutedArmyLeavesTheFieldAndAStubbornOneIsCaptured) {
    Fight f;
    Troop* general = f.Add(f.foe, 10, 10, 1, 0, 0, 10);
    Troop* near = f.Add(f.foe, 11, 10);
    Troop* dead = f.Add(f.foe, 12, 10);
    dead->state = 13;
    for (Troop* t : {near, dead}) {
        t->leader = general;
        general->followers->Add(uintptr_t(t));
    }
    Troop* attacker = f.Add(f.player, 9, 10, 2, 50);
    general->ReceiveAttack(attacker);
    EXPECT_EQ(general->outOfPlay, 1);
    EXPECT_EQ(general->hitFlash, 1);
    EXPECT_EQ(general->followers, nullptr);
    EXPECT_EQ(near->outOfPlay, 1);
    EXPECT_EQ(near->leader, nullptr);
    EXPECT_EQ(dead->outOfPlay, 0); // the fallen stay as they are
    EXPECT_EQ(general->hotKeyGroup, -1);

    // "敘述撤退" 2 and up: the general is taken instead.
    Troop* stubborn = f.Add(f.foe, 15, 15, 1, 0, 0, 10);
    stubborn->officer->Set(kRetreatStory, 2);
    stubborn->ReceiveAttack(attacker);
    EXPECT_EQ(stubborn->outOfPlay, 0);
    EXPECT_EQ(stubborn->flags & 0x46, 0x46u);
    EXPECT_EQ(stubborn->officer->StatusWord(), 1);
    EXPECT_EQ(stubborn->OfficerValue(L::kPolicy), 1);
}

TEST(TroopHits, TheDropModeOfACaptureFollowsWhoControlsWhom) {
    struct Case {
        const char* name;
        bool networked;
        bool victimPlayers; // single play: the player's; network: a human kingdom's
        bool victimControllable;
        bool attackerPlayers, attackerControllable;
        bool garrisoned;
        int mode;
    };
    const Case cases[] = {
        {"player's controllable", false, true, true, false, false, false, 2},
        {"player's other", false, true, false, false, true, false, 0},
        {"taken by a controllable player troop", false, false, false, true, true, false, 1},
        {"taken by another player troop", false, false, true, true, false, false, 0},
        {"taken by the computer", false, false, true, false, true, false, 0},
        {"garrisoned", false, true, true, false, false, true, 0},
        {"human's controllable", true, true, true, false, false, false, 2},
        {"taken by a human's controllable", true, false, false, true, true, false, 1},
        {"taken by the computer online", true, false, true, false, true, false, 0},
        {"human's garrison", true, true, true, false, false, true, 0},
    };
    for (const Case& c : cases) {
        Fight f;
        TheGameController->networked = c.networked;
        TheGameController->isHost = 1;
        TheBattleMap->sideActive[1] = 0;
        TheBattleMap->sideActive[2] = 1;
        Troop* victim = f.Add(c.victimPlayers ? f.player : f.foe, 10, 10);
        victim->officer->Set(L::kControllable, c.victimControllable);
        if (c.garrisoned) victim->garrison = 1;
        Troop* attacker = f.Add(c.attackerPlayers ? f.player : f.foe, 11, 10);
        attacker->officer->Set(L::kControllable, c.attackerControllable);
        EXPECT_EQ(victim->CaptureDropMode(attacker), c.mode) << c.name;
        // The host sends what it decided.
        SetGameCommandSender(Record);
        sent.clear();
        victim->Capture(2, attacker);
        if (c.networked) {
            ASSERT_EQ(sent.size(), 1u) << c.name;
            CapturePayload p;
            ASSERT_TRUE(UnpackCapture(sent[0].payload, p));
            EXPECT_EQ(p.dropMode, c.mode) << c.name;
            EXPECT_EQ(p.captor, 2);
        } else {
            EXPECT_TRUE(sent.empty()) << c.name;
        }
        SetGameCommandSender(nullptr);
    }
}

TEST(TroopHits, CapturingAGroupMemberEmptiesOrWeakensTheGroup) {
    Fight f;
    TheBattleMap->sideActive[2] = 1;
    GameController* c = TheGameController;
    Troop* alone = f.Add(f.player, 10, 10);
    alone->hotKeyGroup = 3;
    c->groups[3]->Add(uintptr_t(alone));
    c->groupHeaders[3]->inUse = 1;
    c->groupHeaders[3]->memberCount = 1;
    c->currentGroup = 3;
    alone->ApplyCapture(2, 0);
    EXPECT_EQ(c->groups[3]->GetCount(), 0);
    EXPECT_EQ(c->groupHeaders[3]->inUse, 0);
    EXPECT_EQ(c->currentGroup, -1);
    EXPECT_EQ(alone->hotKeyGroup, -1);
    EXPECT_EQ(alone->order->orderState, 14); // kingdom 2 is run by the computer
    EXPECT_EQ(alone->OfficerValue(L::kPolicy), 2);

    Troop* members[3];
    for (int i = 0; i < 3; ++i) {
        members[i] = f.Add(f.player, 12 + i, 10, 2, 40);
        members[i]->hotKeyGroup = 5;
        members[i]->formationBonus = 1;
        c->groups[5]->Add(uintptr_t(members[i]));
    }
    c->groupHeaders[5]->inUse = 1;
    c->groupHeaders[5]->memberCount = 3;
    members[0]->ApplyCapture(2, 0);
    EXPECT_EQ(c->groups[5]->GetCount(), 2);
    EXPECT_EQ(c->groupHeaders[5]->memberCount, 2u);
    EXPECT_EQ(c->groupHeaders[5]->b1, 5);
    EXPECT_EQ(members[1]->OfficerValue(L::kAttack), 38);
    EXPECT_EQ(members[2]->OfficerValue(L::kAttack), 38);
    EXPECT_EQ(members[0]->formationBonus, 0);
}

TEST(TroopHits, TheHostCountsAndSendsTheTalliesOfItsTroops) {
    Fight f;
    Troop* t = f.Add(f.player, 10, 10);
    TheGameController->networked = 1;
    TheGameController->isHost = 1;
    SetGameCommandSender(Record);
    t->officer->bonusExperience = 4;
    t->AddUnitCounters(12, 0);
    t->AddUnitCounters(3, 2);
    t->AddUnitCounters(9, 3); // no such counter
    EXPECT_EQ(t->officer->activity[0], 12);
    EXPECT_EQ(t->officer->activity[2], 3);
    ASSERT_EQ(sent.size(), 2u);
    UnitCountersPayload p;
    ASSERT_TRUE(UnpackUnitCounters(sent[1].payload, p));
    EXPECT_EQ(sent[1].code, kUnitCountersCommand);
    const int32_t values[4] = {4, 12, 0, 3};
    EXPECT_TRUE(std::equal(std::begin(values), std::end(values), std::begin(p.values)));
    EXPECT_EQ(p.troop.id, t->UnitId());
    // A client neither counts nor sends.
    TheGameController->isHost = 0;
    t->AddUnitCounters(5, 0);
    EXPECT_EQ(t->officer->activity[0], 12);
    EXPECT_EQ(sent.size(), 2u);
    SetGameCommandSender(nullptr);
}

TEST(TroopFateCommands, PayloadsPackByteExactAndRoundTrip) {
    const KillPayload kill{{0x11, 1, 3, 0}, 2};
    EXPECT_EQ(PackKill(kill), Hex("11000000 02000000 01000000 03000000 00000000"));
    const CapturePayload capture{{0x22, 2, 4, 1}, -5, 70000, 1, 2};
    EXPECT_EQ(PackCapture(capture),
              Hex("22000000 fbffffff 70110100 01000000 02000000 04000000 01000000 02000000"));
    const UnitCountersPayload counters{{0x33, 1, 0, 2}, {7, 8, 9, -1}};
    EXPECT_EQ(PackUnitCounters(counters),
              Hex("33000000 01000000 00000000 02000000 07000000 08000000 09000000 ffffffff"));
    KillPayload k;
    CapturePayload c;
    UnitCountersPayload u;
    ASSERT_TRUE(UnpackKill(PackKill(kill), k));
    ASSERT_TRUE(UnpackCapture(PackCapture(capture), c));
    ASSERT_TRUE(UnpackUnitCounters(PackUnitCounters(counters), u));
    EXPECT_EQ(k, kill);
    EXPECT_EQ(c, capture);
    EXPECT_EQ(u, counters);
    auto shorter = [](std::vector<uint8_t> v) {
        v.pop_back();
        return v;
    };
    EXPECT_FALSE(UnpackKill(shorter(PackKill(kill)), k));
    EXPECT_FALSE(UnpackCapture(shorter(PackCapture(capture)), c));
    EXPECT_FALSE(UnpackUnitCounters(shorter(PackUnitCounters(counters)), u));
}

TEST(TroopFateCommands, ACommandNamingNoTroopOrABadValueChangesNothing) {
    Fight f;
    Troop* t = f.Add(f.foe, 10, 10);
    const uint32_t id = t->UnitId();
    EXPECT_FALSE(ReceiveKillCommand(PackKill({{id + 100, 2, 0, 0}, 1})));
    EXPECT_FALSE(ReceiveKillCommand(PackKill({{id, 2, 0, 1}, 1})));                          // not in a city
    EXPECT_FALSE(ReceiveCaptureCommand(PackCapture({{id, 2, 0, 0}, 0, 0, 1, 3})));           // drop mode 3
    EXPECT_FALSE(ReceiveCaptureCommand(PackCapture({{id, 2, 0, 0}, 0, 0, 500, 0})));         // no kingdom 500
    EXPECT_FALSE(ReceiveCaptureCommand(PackCapture({{id, 2, 0, 0}, -2147483647, 0, 1, 0}))); // off the map
    EXPECT_FALSE(ReceiveCaptureCommand(PackCapture({{id, 2, 0, 0}, 0, 40 * 20000, 1, 0})));
    EXPECT_FALSE(ReceiveUnitCountersCommand(PackUnitCounters({{id + 1, 2, 0, 0}, {1, 2, 3, 4}})));
    EXPECT_EQ(t->state, 10);
    EXPECT_EQ(t->flags, 0u);
    EXPECT_EQ(t->officer->activity[0], 0);
    // The same commands with the right names apply.
    EXPECT_TRUE(ReceiveUnitCountersCommand(PackUnitCounters({{id, 2, 0, 0}, {1, 2, 3, 4}})));
    EXPECT_EQ(t->officer->activity[2], 4);
    EXPECT_TRUE(
        ReceiveCaptureCommand(PackCapture({{id, 2, 0, 0}, TileToWorldX(12), TileToWorldY(11), 1, 0})));
    EXPECT_EQ(t->cellX, 12);
    EXPECT_EQ(t->cellY, 11);
    EXPECT_EQ(t->officer->StatusWord(), 1);
    EXPECT_TRUE(ReceiveKillCommand(PackKill({{id, 2, 0, 0}, 1})));
    EXPECT_EQ(t->state, 13);
}

TEST(TroopFateCommands, HugeCountersFromAPeerKeepTheExperienceInRange) {
    Fight f;
    Troop* general = f.Add(f.foe, 10, 10, 1);
    const int32_t big = std::numeric_limits<int32_t>::max(), small = std::numeric_limits<int32_t>::min();
    EXPECT_TRUE(
        ReceiveUnitCountersCommand(PackUnitCounters({{general->UnitId(), 2, 0, 0}, {big, big, big, big}})));
    EXPECT_EQ(general->OfficerValue(L::kExperience), big);
    EXPECT_TRUE(ReceiveUnitCountersCommand(
        PackUnitCounters({{general->UnitId(), 2, 0, 0}, {small, small, small, small}})));
    EXPECT_EQ(general->OfficerValue(L::kExperience), small);
}

TEST(TroopHits, HiddenTroopsLeaveAndReturnWithTheirFollowers) {
    Fight f;
    Troop* general = f.Add(f.player, 10, 10, 1);
    Troop* follower = f.Add(f.player, 11, 10);
    general->followers->Add(uintptr_t(follower));
    general->MarkRemoved();
    for (Troop* t : {general, follower}) {
        EXPECT_EQ(t->flags & 0x16, 0x16u);
        EXPECT_FALSE(f.b.OnCell(t, t->cellX, t->cellY));
    }
    general->officer->Set(L::kAmbush, 1);
    general->ResetByKind();
    for (Troop* t : {general, follower}) {
        EXPECT_EQ(t->flags, 0u);
        EXPECT_TRUE(f.b.OnCell(t, t->cellX, t->cellY));
        EXPECT_EQ(t->sightMark.marked, 1); // the player's troops uncover the map again
    }
    EXPECT_EQ(general->OfficerValue(L::kAmbush), 0);
    struct Case {
        int kind;
        uint32_t before, after;
    };
    for (const Case& c : {Case{8, 0, 0x0C}, Case{18, 0, 0x0C}, Case{9, 0, 0x0A}, Case{5, 0x46, 0x46},
                          Case{2, 0x16, 0}, Case{13, 0x16, 0x16}}) {
        Troop* t = f.Add(f.foe, 20, 20, c.kind);
        t->flags = c.before;
        t->ResetByKind();
        EXPECT_EQ(t->flags, c.after) << c.kind;
        EXPECT_EQ(t->sightMark.marked, 0) << c.kind; // an enemy's sight is not the player's
    }
}

// Outside the campaign a famous officer, or one of the templates 406..408, is not taken: the
// defeat command removes him from the field. Others are captured as before.
TEST(TroopHits, AFamousGeneralBeatenOutsideTheCampaignIsDefeatedNotCaptured) {
    struct Case {
        int famous, person;
        bool defeated;
    } cases[] = {{1, 50, true}, {0, 406, true}, {0, 408, true}, {0, 405, false}, {0, 50, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "famous " << c.famous << " person " << c.person);
        Fight f;
        TheGameController->gameKind = 1;
        Troop* general = f.Add(f.foe, 10, 10, 1, 0, 0, 10);
        general->officer->Set(L::kFamous, c.famous);
        general->officer->Set(L::kPersonNumber, c.person);
        Troop* attacker = f.Add(f.player, 9, 10, 2, 50);
        general->ReceiveAttack(attacker);
        EXPECT_EQ(general->deadFlag != 0, c.defeated);
        EXPECT_EQ(general->officer->StatusWord() == 1, !c.defeated); // taken prisoner
        // A defeated general is no longer struck again and again for nothing.
        if (c.defeated) EXPECT_EQ(TheBattleMap->FirstObjectAt(10, 10), 0u);
        TheBattleMap->occupancyCursor = nullptr;
    }
}

// The difficulty's share of a blow on the player's enemies is the game's parameter, not a constant.
TEST(TroopHits, TheDifficultyShareComesFromTheGameParameters) {
    Fight f;
    TheGameController->difficulty = 2;
    GameParams().Game_Level_Weight[2] = 200;
    Troop* victim = f.Add(f.foe, 10, 10, 2, 0, 10, 100);
    EXPECT_EQ(victim->TakeHit(30, 1, nullptr), 40);
    GameParams().Game_Level_Weight[2] = 150;
    TheGameController->difficulty = 1;
}

// In a campaign a kind-3 troop the player strikes down leaves what it carried on the ground.
TEST(TroopHits, AFallenCarrierDropsItsItemsForThePlayerInACampaign) {
    struct Case {
        const char* name;
        int gameKind, kind;
        bool byPlayer;
        int dropped;
    } cases[] = {
        {"campaign, by the player", 0, 3, true, 2},
        {"by the computer", 0, 3, false, 0},
        {"not a campaign", 1, 3, true, 0},
        {"not a carrier", 0, 2, true, 0},
    };
    ItemCount = 300;
    for (const Case& c : cases) {
        Fight f;
        Kingdom* third = f.b.AddKingdom(3);
        Battle::War(third, f.foe);
        TheGameController->gameKind = c.gameKind;
        Troop* carrier = f.Add(f.foe, 10, 10, c.kind, 0, 0, 10);
        carrier->officer->Set(L::kCarried, 241);
        carrier->officer->Set(L::kCarried + 12, 17);
        Troop* attacker = f.Add(c.byPlayer ? f.player : third, 11, 10, 2, 50);
        carrier->ReceiveAttack(attacker);
        EXPECT_EQ(carrier->state, 13) << c.name;
        EXPECT_EQ(TheBattleMap->mapItems->GetCount(), c.dropped) << c.name;
        EXPECT_EQ(carrier->officer->Get(L::kCarried), c.dropped ? 0 : 241) << c.name;
    }
    ItemCount = 0;
}
