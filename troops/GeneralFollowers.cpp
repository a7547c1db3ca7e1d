#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "engine/LinkList.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "troops/SoldierTypeColumns.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"

#include <algorithm>

namespace {
using L = OfficerLayout;

constexpr int32_t kMaxFollowers = 8;
constexpr int32_t kFollowerLevelLimit = 8;
constexpr int32_t kBattleColumn = 6;
constexpr int32_t kNoFollowersClass = 5;
constexpr uint32_t kPlannerChoice = 400; // "企劃自訂"

// Followers by level: none below 2, one more a level up to the limit, 8 from there.
int32_t FollowerCount(int32_t level) {
    if (level < 2) return 0;
    if (level >= kFollowerLevelLimit) return kMaxFollowers;
    return level - 1;
}

// The follower template of the general for the class table's column, or 0 when there is none.
int32_t FollowerTemplate(const OfficerRecord& general, int32_t column) {
    const GameParameters& p = GameParams();
    const int32_t tmpl = general.Get(L::kPersonNumber);
    if (tmpl >= 406 && tmpl <= 408) return p.banditLeaderSoldierType[tmpl - 406];
    const int32_t cls = general.Get(L::kClass);
    if (cls < 1 || cls > 4 || column < 0 || column > 11) return 0;
    return p.stageGuardType[cls - 1][column];
}

int32_t Experience(const int32_t* table, int32_t level) {
    // The tables end at level 30; a higher level takes the last entry.
    return table[std::clamp(level, 1, 30) - 1];
}

bool OnMap(const Troop& t) {
    return t.garrison == 0;
}

// One follower of the general from the template; null when the template has no record.
Troop* MakeFollower(Troop& general, int32_t tmpl, bool setLeader) {
    if (!GeneralTemplate(tmpl)) return nullptr;
    auto* officer = new OfficerRecord(general.owner, tmpl);
    auto* f = new Troop(officer->Get(L::kSoldierType), 10, general.cellX, general.cellY, general.owner,
                        general.homeCity, 100, officer);
    f->groupId = TheBattleMap ? TheBattleMap->nextUnitId : 0;
    f->flagWord = 0;
    officer->Set(L::kAmbush, general.OfficerValue(L::kAmbush));
    officer->Set(L::kRebel, general.OfficerValue(L::kRebel));
    if (general.currentType != general.baseType) {
        const int32_t alternate = SoldierTypeValue(f->baseType, SoldierColumn::kSeaCounterpart);
        if (HasSoldierType(alternate)) {
            f->currentType = alternate;
            f->afloat = general.afloat;
            f->StartActionAnimation();
        }
    }
    if (setLeader) f->leader = &general;
    const bool ambusher = officer->Get(L::kAmbush) != 0;
    if (OnMap(general)) {
        const int32_t player = PlayerKingdom();
        if ((f->owner == player || KingdomRelation(f->owner, player) == 1) && !ambusher && TheGameController)
            f->UpdateSight();
    }
    if (!general.followers) general.followers = new LinkList;
    general.followers->Add(reinterpret_cast<uintptr_t>(f));
    if (OnMap(general)) {
        if (Kingdom* k = TroopKingdom(general.owner)) k->AddFieldUnit(f);
    } else if (TheBattleMap) {
        TheBattleMap->RemoveObjectAt(f->cellX, f->cellY, reinterpret_cast<uintptr_t>(f));
    }
    return f;
}

// Steps 3 to 6 for the class table's column: false when the general has no follower template.
bool MakeClassFollowers(Troop& general, int32_t column, bool setLeader) {
    const int32_t tmpl = FollowerTemplate(*general.officer, column);
    if (tmpl == 0) return false;
    const int32_t n = std::min(general.OfficerValue(L::kTroopCapacity), kMaxFollowers);
    for (int32_t i = 0; i < n; ++i)
        MakeFollower(general, tmpl, setLeader);
    return true;
}

// Step 7: the band's number, its formation and its first order.
void FinishBand(Troop& general) {
    general.flagWord = 1;
    if (TheBattleMap) general.groupId = TheBattleMap->nextUnitId++;
    if (OnMap(general)) {
        general.ArrangeFollowers();
        // Set-up runs alike on every station (the band is made on each), so its order is applied
        // here rather than sent.
        if (general.state == 0 && general.actionCode == 4 && general.order)
            general.ApplyMoveTo(general.goalX, general.goalY, general.order->secondX, general.order->secondY);
        else
            general.ApplyHalt();
    }
    if (!general.followers) return;
    std::vector<Troop*> band;
    for (uintptr_t v = general.followers->First(); v != 0; v = general.followers->Next())
        band.push_back(reinterpret_cast<Troop*>(v));
    for (Troop* f : band)
        if (f->OfficerValue(L::kAmbush) != 0) f->MarkRemoved();
}
} // namespace

void Troop::CreateFollowers() {
    const int32_t kind = OfficerKind();
    if (!officer || (kind != 1 && kind != 3)) return;
    officer->GrowStats(0);
    const int32_t level = officer->Get(L::kLevel);
    officer->Set(L::kTroopCapacity, officer->Get(L::kClass) == kNoFollowersClass ? 0 : FollowerCount(level));
    const int32_t exp = Experience(GameParams().unifiedLevelExp, level);
    officer->bonusExperience = exp;
    officer->Set(L::kExperience, exp);
    if (!MakeClassFollowers(*this, kBattleColumn, false)) return;
    FinishBand(*this);
}

void Troop::RaiseStageFollowers() {
    const int32_t kind = OfficerKind();
    const int32_t stage = TheGameController ? TheGameController->campaignStage : 0;
    if (!officer || (kind != 1 && kind != 3) || stage < 11 || stage > 46) return;
    const int32_t g = (stage - 11) % 12;
    const GameParameters& p = GameParams();
    if (officer->Get(L::kLevel) < 1) officer->Set(L::kLevel, 1);
    if (officer->Get(L::kLevel) == 1)
        officer->Set(L::kLevel, officer->Get(L::kFamous) != 0 ? p.namedOfficerLevel[g] : p.captainLevel[g]);
    officer->GrowStats(0);
    officer->Set(L::kTroopCapacity, 0);
    officer->UpdateRank(0);
    const int32_t exp = Experience(p.General_Level_up_Ref, officer->Get(L::kLevel));
    officer->bonusExperience = exp;
    officer->Set(L::kExperience, exp);

    if (kind != 1) return;
    if (owner == PlayerKingdom() && officer->Get(L::kControllable) == 1) return;
    if (officer->Get(kPlannerChoice) == 0) {
        if (!MakeClassFollowers(*this, g, true)) return;
    } else {
        for (int i = 0; i < kMaxFollowers; ++i)
            if (const int32_t tmpl = officer->Get(L::kEscorts + 4 * uint32_t(i)); tmpl != 0)
                MakeFollower(*this, tmpl, true);
    }
    FinishBand(*this);
}
