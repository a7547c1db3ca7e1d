#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "net/CityValueCommand.h"
#include "net/SubCommands.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "windows/main/Win01Window.h"
#include "world/BattleMap.h"

#include <vector>

namespace {
std::vector<SubCastle*> SubCastles(LinkList& list) {
    std::vector<SubCastle*> out;
    for (uintptr_t v = list.First(); v != 0; v = list.Next())
        out.push_back(reinterpret_cast<SubCastle*>(v));
    return out;
}

bool ComputerRun(int32_t side) {
    return BattleMap::ValidSide(side) && TheBattleMap && TheBattleMap->sideActive[side] != 0;
}

int32_t DayOfMonth() {
    return TheScreenSettings ? TheScreenSettings->day : -1;
}

int32_t GameKind() {
    return TheGameController ? TheGameController->gameKind : 0;
}

Kingdom* Owner(int32_t side) {
    return TheBattleMap ? TheBattleMap->FindKingdom(side) : nullptr;
}
} // namespace

bool City::InsideBattleField() const {
    if (!TheBattleMap) return false;
    const CellBounds& b = TheBattleMap->validBounds;
    return CellX() >= b.left && CellX() < b.right && CellY() >= b.top && CellY() < b.bottom;
}

void City::Update() {
    const int32_t kind = Kind();
    const bool computer = ComputerRun(ownerSide);
    if (kind == 0) {
        // On a network each station trains its own player's soldiers; the host trains the computer's.
        if (!GameNetworked() || (!computer && ownerSide == PlayerKingdom()) || (computer && DecidesHere()))
            TickTraining();
        // Every station works out what needs mending; only committing it is shared.
        pendingStatus = ComputeNeedFlags();
    }
    if (!DecidesHere() || !InsideBattleField()) return;
    const int32_t day = DayOfMonth();
    switch (kind) {
    case 0:
        TickConstruction();
        TickRepairs();
        SumBuildings();
        if (computer && id % 29 + 1 == day) TryCityAction();
        TickUnitRecovery();
        break;
    case 1:
    case 6:
        TickRepairs();
        TickUnitRecovery();
        break;
    case 7:
        // A camp only spawns.
        TickSpawnTimer();
        return;
    default:
        break;
    }
    CheckGuards();
    DeployWaitingUnits();

    if (cycleCounter != 0 && ++cycleCounter > 19) cycleCounter = 0;
    if (ownerSide == PlayerKingdom() && underAttackTimer != 0 && ++underAttackTimer > 9) {
        underAttack = 0;
        underAttackTimer = 0;
        ShowStatusText("");
    }
    attackedToday = 0;
    if (day % 5 == id % 5) ChooseStagingCity();
    if (kind != 0) return;

    CollectIncome();
    if (statusTimer != 0) {
        ++statusTimer;
        if (statusTimer == 22) settings[3] = 1;
        if (statusTimer == 25) {
            if (Kingdom* k = Owner(ownerSide))
                settings[3] = static_cast<uint8_t>(k->Int(KingdomLayout::kStartingStrength));
            statusTimer = 0;
        }
    }
    const int32_t gameKind = GameKind();
    for (SubCastle* sub : SubCastles(subCastles)) {
        sub->TickGarrison();
        if (sub->occupied == 0 && id % 30 + 1 == day && sub->Kind() == 4 &&
            (gameKind == 1 || gameKind == 3) && computer) {
            admissionDays = 0;
            if (sub->units.GetCount() > 0)
                RequestAdmitUnit(reinterpret_cast<Troop*>(sub->units.First()), sub);
        }
    }
}

void City::RunAi() {
    if (Kind() == 7) return;
    for (SubCastle* sub : SubCastles(subCastles))
        sub->Tick();
    if (markedMode > 2) DeployMarkedUnits();
    if (!DecidesHere()) return;
    if (!ComputerRun(ownerSide)) {
        raidGenerals = raidOthers = sortieCount = raidTrigger = 0;
    }
    if (raidTrigger != 0 && raidGenerals == 0 && raidOthers == 0) {
        const Kingdom* k = Owner(ownerSide);
        const int32_t mode = k ? k->Int(KingdomLayout::kDefenceMode) : 0;
        if (mode >= 1 && mode <= 3) {
            raidOthers = otherUnitCount / 2;
            raidGenerals = generalTroopCount / 2;
            raidTrigger = 0;
        }
    }
    if (cycleCounter < 5) {
        if (raidGenerals > 0 || raidOthers > 0) DeployRaiders();
    } else {
        raidGenerals = raidOthers = raidTrigger = 0;
    }
    const Kingdom* k = Owner(ownerSide);
    if (GameKind() != 0 && sortieCount > 0 && k && k->fieldGeneralCount < 24) DeploySortie();
}

void City::CountTick() {
    if (!DecidesHere()) return;
    ++monthlyCounter;
    ++admissionDays;
    Kingdom* k = Owner(ownerSide);
    if (!k) return;
    if (reserve.GetCount() > 0 && markedCity && k->mainCity && k->mainCity != this) {
        NetCmdCityEvent(this, 0, 0, 0, 0, 0, 15);
    }
    if (Kind() == 6) RecruitSpecialSoldiers();
    for (SubCastle* sub : SubCastles(subCastles))
        sub->GetGarrisonValue();
}

void City::Tick() {
    if (GameKind() == 0 || !DecidesHere() || Kind() != 0) return;
    // One gold is worth ten food; the two are split half and half by value.
    const int64_t total = int64_t{Int(CityLayout::kGold)} * 10 + Int(CityLayout::kFood);
    const int64_t gold = total / 20;
    SetInt(CityLayout::kGold, static_cast<int32_t>(gold));
    SetInt(CityLayout::kFood, static_cast<int32_t>(total - gold * 10));
    NetCmdAddCityValue(this, 0, kCityGold);
    NetCmdAddCityValue(this, 0, kCityFood);
    if (pendingStatus != 0) CommitStatusFlags();
    if (!currentUnit) {
        SortUnits(2);
        currentUnit = reinterpret_cast<Troop*>(units.First());
        NetSendSub21(this, 1, currentUnit);
    }
    ChooseDevelopment();
    AssignSoldiersToUnits();
}
