#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/SoundEffects.h"
#include "net/CityValueCommand.h"
#include "net/GameRecordChannel.h"
#include "net/TroopValueCommand.h"
#include "platform/CRand.h"
#include "records/City.h"
#include "records/CityTroopLists.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/StatusTexts.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "windows/main/Win01Window.h"
#include "world/BattleMap.h"

#include <algorithm>

using namespace citylists;

namespace {
int32_t Hp(const Troop* t) {
    return t->OfficerValue(OfficerLayout::kHp);
}

bool Idle(const Troop* t) {
    return t->officer && t->officer->StatusWord() == 0;
}

bool DestructibleKind(int32_t kind) {
    return kind == 2 || kind == 3 || (kind >= 7 && kind <= 10);
}

Troop* FirstEscort(Troop* t) {
    return t->followers && t->followers->GetCount() > 0 ? reinterpret_cast<Troop*>(t->followers->First())
                                                        : nullptr;
}

// The blow on a unit or escort after the difficulty, at least 1 and at most what it has.
int32_t StrikeDamage(const Troop* troop, int32_t attack, int32_t side, const Troop* attacker) {
    int32_t damage = (attacker ? attacker->OfficerValue(OfficerLayout::kAttack) : attack) -
                     troop->OfficerValue(OfficerLayout::kDefence);
    const GameController* c = TheGameController;
    if (c && side == PlayerKingdom() && !GameNetworked() && c->difficulty != 1)
        damage = damage * GameParams().Game_Level_Weight[std::clamp<int>(c->difficulty, 0, 2)] / 100;
    return std::clamp(damage, 1, std::max(1, Hp(troop)));
}

bool OneBlow(const City& city) {
    return TheGameController && TheGameController->oneBlow && city.ownerSide != PlayerKingdom();
}
} // namespace

void City::OnAttacked(Troop* attacker) {
    if (!attacker || dead || emptyFlag) return;
    Troop* defender = nullptr;
    for (Troop* t : Snapshot(units))
        if (Idle(t)) {
            defender = t;
            break;
        }
    if (!defender)
        for (Troop* t : garrison)
            if (t && Idle(t)) {
                defender = t;
                break;
            }
    if (defender) {
        // The defender strikes back at the attacker.
        const int16_t dealt = static_cast<int16_t>(
            attacker->CanAttack(defender->OfficerValue(OfficerLayout::kAttack), ownerSide, defender));
        if (Kingdom* own = KingdomOf(ownerSide)) own->score += dealt;
        if (attacker->officer && attacker->officer->StatusWord() == 1) {
            Kingdom* own = KingdomOf(attacker->owner);
            if (own && own->nationIndex != ownerSide && own->NationKind() <= 1)
                attacker->officer->Set(OfficerLayout::kPolicy, ownerSide);
            return;
        }
    }
    attackedToday = 1;
    if (!underAttack) {
        underAttack = 1;
        const Kingdom* from = KingdomOf(attacker->owner);
        if (ownerSide == PlayerKingdom() && !(from && from->NationKind() == 3)) {
            ShowStatusText(UnderAttackText(*this).c_str());
            PlaySoundEffect(10);
        }
        underAttackTimer = 1;
    }
    lastAttackerX = attacker->cellX;
    lastAttackerY = attacker->cellY;
    ResolveAttack(attacker->OfficerValue(OfficerLayout::kAttack), attacker->owner, attacker);
}

void City::ResolveAttack(int attack, int side, Troop* attacker) {
    SumGarrison();
    if (DecidesHere()) {
        Kingdom* own = KingdomOf(ownerSide);
        const bool computer = ownerSide >= 0 && ownerSide <= BattleMap::kSides && TheBattleMap &&
                              TheBattleMap->sideActive[ownerSide];
        if (computer && own && own->Int(KingdomLayout::kDefenceMode) == 1 && raidOthers == 0)
            raidTrigger = 10000;

        ++attackAlternation;
        bool struck = false;
        if (garrisonStrength == 0 || (attackAlternation & 1)) {
            for (Troop* unit : Snapshot(units)) {
                if (Troop* escort = FirstEscort(unit)) {
                    StrikeEscort(escort, attack, side, attacker);
                    struck = true;
                    continue;
                }
                if (struck) continue;
                if (unit->leader && unit->leader != unit) {
                    if (StrikeEscort(unit->leader, attack, side, attacker)) unit->leader = nullptr;
                    struck = true;
                    break;
                }
                if (Hp(unit) > 0) {
                    StrikeUnit(unit, attack, side, attacker);
                    struck = true;
                    break;
                }
            }
        }
        bool damaged = false;
        if (!(attackAlternation & 1) || !struck) {
            for (Troop* t : garrison) {
                if (!t || !t->officer || Hp(t) <= 0) continue;
                const int32_t raw = (attacker ? attacker->OfficerValue(OfficerLayout::kAttack) : attack) -
                                    t->OfficerValue(OfficerLayout::kDefence);
                const int32_t damage = std::max<int32_t>(1, static_cast<int16_t>(raw));
                if (attacker) attacker->AddUnitCounters(damage, 2);
                t->officer->Set(OfficerLayout::kHp, Hp(t) - damage);
                damaged = true;
                if (Hp(t) < 1) NetCmdAddCityValue(this, -1, kCityGarrisonStrength);
                break;
            }
        }
        if (damaged) {
            int32_t sum = 0, count = 0;
            for (Troop* t : garrison)
                if (t) {
                    sum += Hp(t);
                    ++count;
                }
            // A dismissed garrison has nobody left to share the strength.
            if (count > 0) NetCmdAddCityValue(this, sum / count, kCityGarrisonStrength);
        }
    }
    SumTroops();
    if (totalStrength == 0 && escortStrength == 0) emptyFlag = 1;
    if (emptyFlag && !dead && KingdomOf(ownerSide) && DestructibleKind(Kind())) {
        if (DecidesHere()) {
            const auto seed = static_cast<uint32_t>(platform::rand());
            const auto multiplier = static_cast<uint32_t>(platform::rand());
            ApplyDestroy(seed, multiplier, attacker ? attacker->owner : side);
            if (GameRecordChannel* channel = RecordChannel(); channel && GameNetworked())
                channel->SendCityDestroy(this, static_cast<uint32_t>(side), seed, multiplier);
        }
        ownerSide = side;
    }
}

bool City::StrikeEscort(Troop* troop, int32_t attack, int32_t side, Troop* attacker) {
    if (!troop || !troop->officer) return false;
    int32_t damage = StrikeDamage(troop, attack, side, attacker);
    if (OneBlow(*this)) damage = Hp(troop);
    if (attacker) attacker->AddUnitCounters(damage, 0);
    if (DecidesHere()) NetCmdAddTroopValue(troop, -damage, 1);
    if (Hp(troop) != 0) return false;
    troop->Kill(side);
    return true;
}

bool City::StrikeUnit(Troop* troop, int32_t attack, int32_t side, Troop* attacker) {
    if (!troop || !troop->officer) return false;
    int32_t damage = StrikeDamage(troop, attack, side, attacker);
    if (attacker) attacker->AddUnitCounters(damage, 0);
    if (OneBlow(*this)) damage = Hp(troop);
    if (DecidesHere()) NetCmdAddTroopValue(troop, -damage, 1);
    if (Hp(troop) != 0) return false;
    troop->OnDefeated(side, attacker);
    return true;
}

void City::SumTroops() {
    garrisonStrength = 0;
    for (Troop* t : garrison)
        if (t) garrisonStrength += Hp(t);
    totalStrength = garrisonStrength;
    unitCount = 0;
    escortStrength = 0;
    generalTroopCount = 0;
    generalStrength = 0;
    otherUnitCount = 0;
    for (Troop* unit : Snapshot(units)) {
        ++unitCount;
        escortStrength += Hp(unit);
        if (unit->followers)
            for (Troop* e : Snapshot(*unit->followers))
                escortStrength += Hp(e);
        if (unit->leader && unit->leader != unit) escortStrength += Hp(unit->leader);
        if (unit->OfficerKind() == 1) {
            ++generalTroopCount;
            if (Hp(unit) > 0) generalStrength += Hp(unit);
        } else {
            ++otherUnitCount;
        }
    }
    for (uintptr_t v = subCastles.First(); v != 0; v = subCastles.Next()) {
        auto* sub = reinterpret_cast<SubCastle*>(v);
        sub->SetInt(SubCastleLayout::kUnitCount, sub->units.GetCount());
    }
    if (totalStrength != 0 || escortStrength != 0) emptyFlag = 0;
}
