#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/GameRules.h"
#include "Program/SoundEffects.h"
#include "engine/LinkList.h"
#include "net/StateCommands.h"
#include "net/TroopFateCommands.h"
#include "net/TroopValueCommand.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/StatusTexts.h"
#include "records/SubCastle.h"
#include "troops/CastleGate.h"
#include "troops/SoldierTypeColumns.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"
#include "troops/TroopWorld.h"
#include "windows/main/Win01Window.h"
#include "windows/main/Win11Window.h"
#include "windows/main/Win37Window.h"
#include "windows/unit/Win05Window.h"
#include "world/BattleMap.h"
#include "world/Coordinates.h"
#include "world/Zu_SkillEffect.h"

#include <algorithm>
#include <cstring>

namespace {
using L = OfficerLayout;
constexpr uint32_t kRetreatStory = 376; // "敘述撤退"

GameController* Controller() {
    return TheGameController;
}

bool PlayerProtected(const Troop& t) {
    return Controller() && Controller()->playerProtection && t.owner == PlayerKingdom() && t.owner != 0;
}

bool InViewInclusive(const Troop& t) {
    const GameController* c = Controller();
    if (!c) return false;
    return t.cellX >= c->viewLeft && t.cellX <= c->viewRight && t.cellY >= c->viewTop / 2 &&
           t.cellY <= c->viewBottom / 2;
}

bool InView(const Troop& t) {
    const GameController* c = Controller();
    if (!c) return false;
    return t.cellX >= c->viewLeft && t.cellX < c->viewRight && t.cellY >= c->viewTop / 2 &&
           t.cellY < c->viewBottom / 2;
}

void PlayDeathSound(const Troop& t) {
    const int32_t sound = SoldierTypeValue(t.currentType, SoldierColumn::kDeathSound);
    if (sound > 0 && InViewInclusive(t)) PlaySoundEffect(sound);
}

bool ComputerRun(int32_t side) {
    return BattleMap::ValidSide(side) && TheBattleMap && TheBattleMap->sideActive[side] != 0;
}

bool SinglePlay() {
    return !GameNetworked();
}

int32_t GameKind() {
    return Controller() ? Controller()->gameKind : 0;
}

void LowerOutgoingCount(const Troop& t) {
    City* city = t.HomeCity();
    if (city && city->Int(CityLayout::kKind) == 7 && t.outgoingMark != 0 && city->spawnedOut > 0)
        --city->spawnedOut;
}

void RemoveFromList(LinkList* list, const Troop* t) {
    if (!list) return;
    while (list->RemoveValue(reinterpret_cast<uintptr_t>(t))) {
    }
}
} // namespace

int Troop::CanAttack(int power, int side, Troop* attacker) {
    return TakeHit(static_cast<int16_t>(power), side, attacker);
}

void Troop::ConsiderTarget(Troop* attacker, int) {
    ReceiveAttack(attacker);
}

uint32_t Troop::Scope() const {
    if (garrison == 0) return 0;
    return garrison == 2 ? 2u : 1u;
}

void Troop::ReceiveAttack(Troop* attacker) {
    // Blows are decided on the host; their results reach the clients as commands.
    if (!DecidesHere()) return;
    if (!attacker || outOfPlay || PlayerProtected(*this) || IsGone()) return;
    const int32_t kind = OfficerKind();
    if (kind == 13 || kind == 5) return;
    Kingdom* attackerKingdom = TroopKingdom(attacker->owner);
    if (kind == 17 && attackerKingdom && attackerKingdom->NationKind() < 3) {
        if (City* city = HomeCity()) {
            city->attackedToday = 1;
            city->lastAttackerX = attacker->cellX;
            city->lastAttackerY = attacker->cellY;
            if (city->underAttack == 0) {
                city->underAttack = 1;
                if (city->ownerSide != PlayerKingdom()) {
                    city->raidTrigger = 1;
                } else {
                    ShowStatusText(UnderAttackText(*city).c_str());
                    PlaySoundEffect(10);
                }
            }
            city->underAttackTimer = 1;
        }
    }
    int32_t attack = attacker->OfficerValue(L::kAttack);
    const int32_t type = attacker->currentType;
    if ((kind == 17 || kind == 14) && type >= 108 && type <= 110) attack *= GameParams().catapultBonus;
    if (attacker->rangeEnd > 2 && IsCellWall(attacker->cellX, 2 * attacker->cellY)) attack = attack * 3 / 2;
    const int16_t damage = TakeHit(static_cast<int16_t>(attack), attacker->owner, attacker);
    attacker->AddUnitCounters(damage, 0);
    if (owner != 0 && attackerKingdom) attackerKingdom->damageDealt += damage;
}

int16_t Troop::TakeHit(int16_t attack, int32_t attackerKingdom, Troop* attacker) {
    if (outOfPlay || !officer || (flags & 0x40) || IsGone() || PlayerProtected(*this)) return 0;
    const int32_t kind = OfficerKind();
    if (kind == 13 || kind == 5) return 0;
    const int32_t hp = officer->Get(L::kHp);
    int32_t damage = attack - officer->Get(L::kDefence);
    const GameController* c = Controller();
    if (c && attackerKingdom == PlayerKingdom() && attackerKingdom != 0 && !c->networked &&
        c->difficulty != 1)
        damage = damage * GameParams().Game_Level_Weight[std::clamp<int>(c->difficulty, 0, 2)] / 100;
    damage = std::clamp(damage, 1, std::max(1, hp));
    if (hp <= 0) damage = 0;
    if (c && c->oneBlow && owner != PlayerKingdom()) damage = hp;
    const bool host = DecidesHere();
    const bool playerTroop = owner == PlayerKingdom() && owner != 0;

    if (kind == 1) {
        if (host) NetCmdAddTroopValue(this, -damage, 1);
        if (officer->Get(L::kHp) == 0) {
            if (host) OnDefeated(attackerKingdom, attacker);
        } else if (playerTroop && hitNotice == 0) {
            hitNotice = 1;
        }
        return static_cast<int16_t>(damage);
    }
    if (host) {
        if (kind == 17) {
            officer->Set(L::kHp, hp - damage);
            if (CastleGate* gate = CastleGate::HoldingPiece(this)) gate->OnPieceDamaged();
        } else {
            NetCmdAddTroopValue(this, -damage, 1);
        }
        if (officer->Get(L::kHp) == 0 && !IsGone()) {
            LowerOutgoingCount(*this);
            Kill(attackerKingdom);
            // In a campaign a kind-3 troop the player strikes down leaves its carried items for him.
            const int32_t player = PlayerKingdom();
            if (kind == 3 && c && c->gameKind == 0 &&
                (attackerKingdom == player || (attacker && attacker->owner == player)))
                PlaceCarriedItems();
        }
    }
    if (playerTroop && hitNotice == 0) hitNotice = 1;
    return kind == 17 ? 0 : static_cast<int16_t>(damage);
}

void Troop::AddUnitCounters(int32_t value, int32_t which) {
    if (!DecidesHere() || !officer || which < 0 || which > 2) return;
    const int32_t before = officer->Get(L::kLevel);
    officer->activity[which] += value;
    NetSendUnitCounters(this);
    officer->UpdateExperience(0, 0, 0, 0);
    if (selected) RefreshUnitPanel(this, 5);
    if (officer->Get(L::kLevel) != before && InView(*this)) {
        PlaySoundEffect(59);
        if (!attachedEffects[1]) attachedEffects[1] = new Zu_SkillEffect(3, 9, pixelX + 64, pixelY + 52);
    }
}

void Troop::Kill(int32_t killerKingdom) {
    if (OfficerKind() == 8) return;
    if (!DecidesHere()) return;
    NetSendCmd17(this, killerKingdom);
    ApplyKill(killerKingdom);
}

void Troop::ApplyKill(int32_t killerKingdom) {
    PlayDeathSound(*this);
    if (officer) officer->Set(L::kHp, 0);
    hitFlash = 0;
    state = 13;
    if (order && (order->orderState == 22 || order->orderState == 23))
        if (City* city = HomeCity(); city && city->actionWords[0] > 0) --city->actionWords[0];
    if (leader) {
        RemoveFromList(leader->followers, this);
        leader = nullptr;
    }
    Kingdom* own = TroopKingdom(owner);
    Kingdom* killer = TroopKingdom(killerKingdom);
    GameController* c = Controller();
    if (garrison == 0) {
        StartActionAnimation();
        if (officer) officer->StatusWord() = 2;
        const int32_t kind = OfficerKind();
        if (kind == 17) {
            if (CastleGate* gate = CastleGate::HoldingPiece(this)) gate->OnPieceDamaged();
            if (killer) ++killer->tally[7];
        } else if (kind == 14) {
            if (TheBattleMap) {
                if (MapCell* cell = TheBattleMap->CellAt(cellX, 2 * cellY); cell && structureWord == 0)
                    cell->obstacle = 0;
                const int32_t cells[3][2] = {
                    {cellX, 2 * cellY + 2}, {cellX, 2 * cellY + 1}, {cellX - 1, 2 * cellY + 1}};
                for (const auto& xy : cells)
                    if (MapCell* cell = TheBattleMap->CellAt(xy[0], xy[1])) {
                        cell->overlayTile = MapCell::kNoTile;
                        if (structureWord == 0) cell->obstacle = 0;
                    }
            }
            if (InView(*this)) PlaySoundEffect(21);
            if (killer) ++killer->tally[8];
            if (structureWord == 0) {
                outOfPlay = 1;
                visibleMark = 0;
            } else {
                if (own) RemoveFromList(&own->fieldUnits, this);
                if (TheBattleMap) TheBattleMap->RemoveObjectAt(cellX, cellY, uintptr_t(this));
                structureWord = 2;
            }
        } else {
            if (own) ++own->tally[6];
            if (killer) ++killer->tally[3];
            if (c) c->DeselectTroop(this);
            if (TheBattleMap) {
                // A fallen troop stays in its kingdom's list for its corpse; the fallen list holds it once.
                if (!TheBattleMap->dyingTroops) TheBattleMap->dyingTroops = new LinkList;
                if (!TheBattleMap->dyingTroops->Find(uintptr_t(this)))
                    TheBattleMap->dyingTroops->Add(uintptr_t(this));
                TheBattleMap->RemoveObjectAt(cellX, cellY, uintptr_t(this));
            }
        }
    } else {
        // A garrisoned troop leaves its city's lists; it stays once in its kingdom's list, whose
        // world step deletes it on its next turn, so it is neither lost nor deleted twice.
        if (City* city = HomeCity()) {
            RemoveFromList(&city->units, this);
            for (Troop*& slot : city->garrison)
                if (slot == this) slot = nullptr;
            for (Troop*& slot : city->towers)
                if (slot == this) slot = nullptr;
            if (city->currentUnit == this) city->currentUnit = nullptr;
            for (uintptr_t v = city->subCastles.First(); v != 0; v = city->subCastles.Next()) {
                auto* sc = reinterpret_cast<SubCastle*>(v);
                RemoveFromList(&sc->units, this);
                RemoveFromList(&sc->secondUnits, this);
            }
        }
        if (own) {
            RemoveFromList(&own->fieldUnits, this);
            own->fieldUnits.Add(uintptr_t(this));
        }
        if (c) c->DeselectTroop(this);
        kept = 0;
        kindWord = 999;
    }
    // The overview never lists a fallen troop.
    OverviewTroopFell();
}

void Troop::OnDefeated(int32_t killerKingdom, Troop* attacker) {
    if (officer) officer->workCounters[0] = 0;
    LowerOutgoingCount(*this);
    const int32_t player = PlayerKingdom();
    const bool famous = OfficerValue(L::kFamous) != 0;
    const bool controllable = OfficerValue(L::kControllable) != 0;
    auto captureOrDefeat = [&] {
        const int32_t tmpl = OfficerValue(L::kPersonNumber);
        if (!famous && tmpl != 406 && tmpl != 407 && tmpl != 408)
            Capture(killerKingdom, attacker);
        else
            NetCmdTroopDefeated(this, killerKingdom, attacker);
    };
    if (SinglePlay() && GameKind() == 0) {
        const bool routed = !(owner == player && controllable);
        if (routed && OfficerValue(kRetreatStory) < 2) {
            PlayDeathSound(*this);
            if (officer) ShowStatusText((std::string(officer->Name()) + RoutedText).c_str());
            if (TroopKingdom(owner)) {
                if (garrison == 0) {
                    if (Controller()) Controller()->DeselectTroop(this);
                    hitFlash = 1;
                    flashColour = 1;
                    outOfPlay = 1;
                    visibleMark = 0;
                    // The player's victory leaves the carried items and a reward roll behind.
                    const bool byPlayer = (killerKingdom == player && controllable) ||
                                          (attacker && attacker->owner == player &&
                                           attacker->OfficerValue(L::kControllable) != 0);
                    if (byPlayer) {
                        DropCarriedItems(0);
                        DropLoot(cellX, cellY, 2);
                    }
                    ReleaseFollowers();
                } else {
                    NetCmdTroopDefeated(this, killerKingdom, attacker);
                }
            }
        } else {
            Capture(killerKingdom, attacker);
        }
    } else if (SinglePlay() || !(Controller() && Controller()->netGameType == 1)) {
        captureOrDefeat();
    } else {
        NetCmdTroopDefeated(this, killerKingdom, attacker);
    }
    hotKeyGroup = -1;
    formationBonus = 0;
    selected = 0;
}

int32_t Troop::CaptureDropMode(Troop* attacker) const {
    if (garrison != 0) return 0;
    const int32_t player = PlayerKingdom();
    const bool controllable = OfficerValue(L::kControllable) != 0;
    const bool attackerControllable = attacker && attacker->OfficerValue(L::kControllable) != 0;
    if (SinglePlay()) {
        if (owner == player) return controllable ? 2 : 0;
        return attacker && attacker->owner == player && attackerControllable ? 1 : 0;
    }
    if (!ComputerRun(owner)) return controllable ? 2 : 0;
    return attacker && !ComputerRun(attacker->owner) && attackerControllable ? 1 : 0;
}

void Troop::Capture(int32_t captorKingdom, Troop* attacker) {
    if (!DecidesHere()) return;
    const int32_t dropMode = CaptureDropMode(attacker);
    ApplyCapture(captorKingdom, dropMode);
    NetSendCmd18(this, captorKingdom, dropMode);
}

void Troop::ApplyCapture(int32_t captorKingdom, int32_t dropMode) {
    if (officer) officer->moreWords[0] = officer->moreWords[1] = 0;
    delete attachedEffects[0];
    attachedEffects[0] = nullptr;
    // Ending the transformed form (command 23, mode 3) undoes what it added.
    if (statusBits & 0x40000) {
        ClearStatus(0x40000, false);
        SetUnitType(-1);
    }
    ClearStatus(0, true);
    PlayDeathSound(*this);
    ReleaseFollowers();
    if (officer) officer->workCounters[0] = 0;
    if (garrison != 0) dropMode = 0;
    if (dropMode != 0) DropCarriedItems(dropMode == 1 ? 1 : 0);
    if (garrison == 0) {
        flags |= 0x46;
        if (officer) officer->StatusWord() = 1;
    }
    GameController* c = Controller();
    if (selected) {
        if (c) RemoveFromList(c->selection, this);
        selected = 0;
    }
    if (c && hotKeyGroup >= 0 && hotKeyGroup < 10 && c->groups[hotKeyGroup]) {
        const int g = hotKeyGroup;
        LinkList* group = c->groups[g];
        RemoveFromList(group, this);
        GameController::GroupHeader* header = c->groupHeaders[g];
        if (header && header->memberCount > 0) --header->memberCount;
        if (header && header->memberCount == 0) {
            header->inUse = 0;
            if (c->currentGroup == g) c->currentGroup = -1;
        } else if (SinglePlay() && formationBonus) {
            for (uintptr_t v = group->First(); v != 0; v = group->Next()) {
                auto* member = reinterpret_cast<Troop*>(v);
                if (member->officer) member->officer->Set(L::kAttack, member->officer->Get(L::kAttack) - 2);
            }
        }
        if (header) header->b1 = 5;
        hotKeyGroup = -1;
        formationBonus = 0;
        RefreshGroupRows();
    }
    const int32_t player = PlayerKingdom();
    if (garrison == 0) {
        if (owner == player || KingdomRelation(owner, player) == 1) WithdrawSight();
        if (officer) officer->Set(L::kPolicy, captorKingdom);
        if (captorKingdom == player && player != 0) UpdateSight();
    }
    if (order) order->orderState = ComputerRun(OfficerValue(L::kPolicy)) ? 14 : 0;
    ApplyHalt();
    StartActionAnimation();
}

void Troop::ReleaseFollowers() {
    GameController* c = Controller();
    auto release = [&](Troop* f) {
        f->leader = nullptr;
        if (f->garrison == 0 && !f->IsGone()) {
            f->outOfPlay = 1;
            f->visibleMark = 0;
            if (c) c->DeselectTroop(f);
        }
    };
    if (followers) {
        std::vector<Troop*> list;
        for (uintptr_t v = followers->First(); v != 0; v = followers->Next())
            list.push_back(reinterpret_cast<Troop*>(v));
        followers->RemoveAll();
        delete followers;
        followers = nullptr;
        for (Troop* f : list)
            if (f != this) release(f);
    }
    if (pairedTroop && pairedTroop != this) release(pairedTroop);
}

void Troop::MarkRemoved() {
    flags |= 0x16;
    if (TheBattleMap) TheBattleMap->RemoveObjectAt(cellX, cellY, uintptr_t(this));
    if (!followers) return;
    std::vector<Troop*> list;
    for (uintptr_t v = followers->First(); v != 0; v = followers->Next())
        list.push_back(reinterpret_cast<Troop*>(v));
    for (Troop* f : list)
        if (f != this) f->MarkRemoved();
}

void Troop::ResetByKind() {
    const int32_t kind = OfficerKind();
    if (kind == 13) return;
    if (kind == 8 || kind == 18)
        flags = 0x0C;
    else if (kind == 9)
        flags = 0x0A;
    else if (kind != 5)
        flags = 0;
    worldX = TileToWorldX(cellX);
    worldY = TileToWorldY(cellY);
    const int32_t base = SoldierTypeValue(baseType, SoldierColumn::kFootprint);
    footprint[0] = footprint[1] = static_cast<int16_t>(base / 2);
    footprint[2] = footprint[3] = static_cast<int16_t>(base);
    if (officer) {
        officer->Set(L::kAmbush, 0);
        officer->ownerSide = owner;
    }
    if (TheBattleMap) TheBattleMap->AddObjectAt(cellX, cellY, uintptr_t(this));
    const int32_t policy = OfficerValue(L::kPolicy);
    const int32_t commanding = policy != 0 ? policy : owner;
    if (KingdomRelation(commanding, PlayerKingdom()) == 1 && HasSoldierType(currentType)) UpdateSight();
    if (!followers) return;
    std::vector<Troop*> list;
    for (uintptr_t v = followers->First(); v != 0; v = followers->Next())
        list.push_back(reinterpret_cast<Troop*>(v));
    for (Troop* f : list)
        if (f != this) f->ResetByKind();
}
