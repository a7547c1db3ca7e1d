#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "net/CityValueCommand.h"
#include "net/CommandLookups.h"
#include "net/GameRecordChannel.h"
#include "net/StateCommands.h"
#include "net/TroopValueCommand.h"
#include "records/City.h"
#include "records/DeployedOrder.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "windows/city/CityPanelSwitch.h"
#include "world/BattleMap.h"
#include "world/MapView.h"

#include <vector>

namespace {
struct FormationRow {
    int16_t dx, dy;
    uint8_t facing;
};
// Row 0 is the leader's.
constexpr FormationRow kFormation[9] = {{1, 4, 4}, {0, 3, 8},  {-1, 2, 8}, {1, 2, 8}, {-1, 4, 8},
                                        {0, 1, 8}, {-2, 3, 8}, {2, 3, 8},  {0, 5, 8}};
constexpr int kFormationRows = 8;
constexpr int32_t kExitOffsets[7][2] = {{0, 0}, {1, 0}, {0, 1}, {1, -1}, {-1, 1}, {2, -1}, {-1, 2}};
// The first value of each kind's row of the city size table.
constexpr int32_t kPlaceSize[11] = {12, 7, 6, 6, 7, 7, 7, 7, 5, 6, 6};

std::vector<Troop*> Troops(LinkList& list) {
    std::vector<Troop*> out;
    for (uintptr_t v = list.First(); v != 0; v = list.Next())
        out.push_back(reinterpret_cast<Troop*>(v));
    return out;
}

Kingdom* KingdomOf(int32_t side) {
    return TheBattleMap ? TheBattleMap->FindKingdom(side) : nullptr;
}

void LeaveFieldList(Troop* t) {
    if (Kingdom* k = KingdomOf(t->owner)) k->fieldUnits.RemoveValue(reinterpret_cast<uintptr_t>(t));
}

// A troop is in its kingdom's field list once at most, or two owners would delete it.
void JoinFieldList(Kingdom* k, Troop* t) {
    if (!k) return;
    const auto v = reinterpret_cast<uintptr_t>(t);
    for (uintptr_t e = k->fieldUnits.First(); e != 0; e = k->fieldUnits.Next())
        if (e == v) return;
    k->fieldUnits.Add(v);
}

void LeaveCell(Troop* t) {
    if (TheBattleMap) TheBattleMap->RemoveObjectAt(t->cellX, t->cellY, reinterpret_cast<uintptr_t>(t));
}

// Hidden inside, the sub-castle holds the troop; it is off the map and out of the field list.
void HideInside(Troop* t) {
    t->hidden = 1;
    t->inCity = 1;
    LeaveCell(t);
    LeaveFieldList(t);
}

// Whether the player sees what the troop sees, counted for that side.
bool MarksSight(const Troop* t, int32_t side) {
    const int32_t player = PlayerKingdom();
    const int32_t policy = t->OfficerValue(OfficerLayout::kPolicy);
    return (policy == 0 && side == player) || policy == player ||
           (side != player && KingdomRelation(player, side) == 1);
}

bool InUnitGrid(int32_t x, int32_t y) {
    return TheBattleMap && x >= 0 && y >= 0 && x < TheBattleMap->unitGridWidth &&
           y < TheBattleMap->unitGridRows;
}

bool FreeForExit(int32_t x, int32_t y) {
    return InUnitGrid(x, y) && TheBattleMap->FirstObjectAt(x, y) == 0 &&
           TheBattleMap->GetCell(x, 2 * y)->obstacle < 1;
}

MapView* Screen() {
    return TheGameController ? TheGameController->gameScreen : nullptr;
}
} // namespace

void SubCastle::PlaceOnMap() {
    ComputeEntrance();
    const int32_t kind = Kind();
    const int32_t size = kind >= 0 && kind <= 10 ? kPlaceSize[kind] : kPlaceSize[5];
    if (TheBattleMap)
        TheBattleMap->MarkArea(Int(SubCastleLayout::kX), Int(SubCastleLayout::kY), size, 5,
                               static_cast<uint16_t>(cityId));
}

void SubCastle::SpawnGarrison() {
    for (uintptr_t v = generals.First(); v != 0; v = generals.Next()) {
        const auto* g = reinterpret_cast<OfficerRecord*>(v);
        // The number comes from a file: one that names no template gives a cleared general.
        const int32_t number = g->Get(OfficerLayout::kSoldierType);
        auto* general =
            new OfficerRecord(ownerSide, number > 0 && number < GeneralTemplateCount ? number : -1);
        auto* unit = new Troop(general->Get(OfficerLayout::kSoldierType), 10, 0, 0,
                               static_cast<int8_t>(ownerSide), static_cast<int16_t>(cityId), 100, general);
        unit->ledUnit = 1;
        // Inside the sub-castle, as a loaded save has it.
        unit->garrison = 2;
        const int32_t unitNumber = TheBattleMap ? TheBattleMap->nextUnitId : 0;
        for (int e = 0; e < 8; ++e) {
            const int32_t t = general->Get(OfficerLayout::kEscorts + 4 * e);
            if (t <= 0 || t >= GeneralTemplateCount) continue;
            auto* escortGeneral = new OfficerRecord(ownerSide, t);
            auto* escort =
                new Troop(escortGeneral->Get(OfficerLayout::kSoldierType), 10, 0, 0,
                          static_cast<int8_t>(ownerSide), static_cast<int16_t>(cityId), 100, escortGeneral);
            escort->unitNumber = unitNumber;
            escort->ledUnit = 0;
            escort->garrison = 2;
            if (!unit->followers) unit->followers = new LinkList;
            unit->followers->Add(reinterpret_cast<uintptr_t>(escort));
            escort->mainTroop = unit;
        }
        units.Add(reinterpret_cast<uintptr_t>(unit));
        unit->unitNumber = unitNumber;
        if (TheBattleMap) ++TheBattleMap->nextUnitId;
    }
    leader = nullptr;
    leaderWord = 0;
}

void SubCastle::RelocateUnit(bool removeFirst) {
    if (removeFirst) {
        RemoveUnitFromMap();
        unitsShown = 0;
    }
    if (unitsShown != 0) return;
    unitsShown = 1;
    const int32_t x = Int(SubCastleLayout::kX), y = Int(SubCastleLayout::kY) / 2;
    auto place = [&](Troop* t, const FormationRow& row) {
        t->PlaceAt(static_cast<int16_t>(x + row.dx), static_cast<int16_t>(y + row.dy));
        t->facing = row.facing;
        t->arranged = 2;
        t->hidden = 0; // standing on its formation cell it is seen
    };
    if (leader) {
        // Placing enters the field list, where the leader already is.
        LeaveFieldList(leader);
        place(leader, kFormation[0]);
    }
    int row = 1;
    for (Troop* t : Troops(units)) {
        if (row > kFormationRows) break;
        place(t, kFormation[row++]);
    }
}

void SubCastle::RemoveUnitFromMap() {
    if (!unitsShown) return;
    unitsShown = 0;
    auto takeOff = [](Troop* t) {
        LeaveCell(t);
        t->arranged = 2;
        t->hidden = 1;
    };
    // The leader is nobody else's: it stays in its kingdom's field list.
    if (leader) takeOff(leader);
    for (Troop* t : Troops(units)) {
        takeOff(t);
        LeaveFieldList(t);
    }
}

bool SubCastle::PlaceUnitOnFormation(Troop* unit) {
    if (!unitsShown || !unit) return false;
    const int32_t x = Int(SubCastleLayout::kX), y = Int(SubCastleLayout::kY) / 2;
    int row = 0;
    if (unit != leader) {
        const int32_t n = units.GetCount();
        if (n >= kFormationRows) return false;
        row = n + 1;
    }
    unit->SetCell(static_cast<int16_t>(x + kFormation[row].dx), static_cast<int16_t>(y + kFormation[row].dy),
                  2);
    unit->facing = kFormation[row].facing;
    unit->hidden = 0;
    RefreshSubCastlePanel(this, false);
    return true;
}

bool SubCastle::RequestTroopEntry(Troop* troop) {
    if (!troop) return false;
    if (!DecidesHere()) {
        SendTroopEntry(troop);
        return true;
    }
    const int applied = ApplyTroopEntry(troop);
    if (GameNetworked()) SendTroopEntry(troop);
    return applied != 0;
}

void SubCastle::SendTroopEntry(Troop* troop) {
    City* city = TheBattleMap && troop ? TheBattleMap->CityById(cityId) : nullptr;
    GameRecordChannel* channel = TheGameController ? TheGameController->recordChannel : nullptr;
    if (city && channel) channel->SendTroopEntry(city, static_cast<uint8_t>(Kind()), troop);
}

int SubCastle::ApplyTroopEntry(Troop* troop) {
    if (!troop) return 0;
    if (leader && troop->owner == ownerSide) return 0;
    // Inside, a running skill ends and timed statuses give back what they added.
    if (troop->statusBits & 0x40000) ApplySkillEffectCommand(troop, -1, 3);
    troop->ClearStatus(0, true);
    troop->RevealForPlayer(2);
    troop->homeCity = static_cast<int16_t>(cityId);
    if (troop->ledUnit) {
        // Inside, the sub-castle's own files carry the unit; the soldier file must not as well.
        troop->outgoingMark = 0;
        const bool becomesLeader = !leader && troop->owner == ownerSide;
        if (becomesLeader) {
            leader = troop;
        } else {
            units.Add(reinterpret_cast<uintptr_t>(troop));
        }
        if (!unitsShown || !PlaceUnitOnFormation(troop)) {
            if (becomesLeader) {
                // The leader stays in its kingdom's field list; only the unit list is held here.
                troop->hidden = 1;
                troop->inCity = 1;
                LeaveCell(troop);
            } else {
                HideInside(troop);
            }
        }
        RefreshSubCastlePanel(this, true);
    }
    if (Kind() == 5 && troop->officer && troop->officer->Get(OfficerLayout::kFamous) == 0) {
        if (Kingdom* own = KingdomOf(ownerSide)) ++own->receivedUnits;
        if (Kingdom* from = KingdomOf(troop->owner)) ++from->sentUnits;
    }
    std::vector<Troop*> company = troop->followers ? Troops(*troop->followers) : std::vector<Troop*>{};
    for (Troop* escort : company) {
        escort->homeCity = static_cast<int16_t>(cityId);
        escort->RevealForPlayer(2);
        HideInside(escort);
    }
    if (troop->leader && troop->leader != troop) {
        troop->leader->homeCity = static_cast<int16_t>(cityId);
        troop->leader->hidden = 1;
        troop->leader->inCity = 1;
    }
    return 1;
}

bool SubCastle::FindExitCell() {
    for (const auto& d : kExitOffsets) {
        const int32_t x = entranceX + d[0], y = entranceY + d[1];
        if (FreeForExit(x, y)) {
            exitX = x;
            exitY = y;
            return true;
        }
    }
    // The diagonal walk ends at the map's edge; the entrance serves then.
    exitX = entranceX;
    exitY = entranceY;
    for (int32_t x = entranceX, y = entranceY; InUnitGrid(x, y); ++x, ++y) {
        if (TheBattleMap->FirstObjectAt(x, y) != 0 || TheBattleMap->GetCell(x, 2 * y)->obstacle > 0) continue;
        if (InUnitGrid(x + 1, y + 1)) {
            exitX = x + 1;
            exitY = y + 1;
        }
        break;
    }
    return true;
}

void SubCastle::RemoveUnitOnExit(Troop* unit) {
    if (!unit) return;
    FindExitCell();
    const auto ex = static_cast<int16_t>(exitX), ey = static_cast<int16_t>(exitY);
    unit->SetCell(ex, ey, 0);
    unit->hidden = 0;
    unit->inCity = 0;
    if (unit == leader) {
        leader = nullptr;
        leaderWord = 0;
    } else {
        units.RemoveValue(reinterpret_cast<uintptr_t>(unit));
    }
    if (MarksSight(unit, unit->owner)) unit->UpdateSight();
    if (!unitsShown) JoinFieldList(KingdomOf(unit->owner), unit);
    if (unit->kindWord == 114) return;
    std::vector<Troop*> company = unit->followers ? Troops(*unit->followers) : std::vector<Troop*>{};
    if (unit->leader && unit->leader != unit) company.push_back(unit->leader);
    Kingdom* own = KingdomOf(ownerSide);
    for (Troop* t : company) {
        t->SetCell(ex, ey, 0);
        t->hidden = 0;
        t->inCity = 0;
        if (MarksSight(t, ownerSide)) t->UpdateSight();
        JoinFieldList(own, t);
    }
    unit->StepMove();
}

int SubCastle::RequestDeployUnit(Troop* unit) {
    if (!unit) return 0;
    if (!DecidesHere()) {
        SendDeployUnit(unit);
        return 1;
    }
    const int applied = ApplyDeployUnitWithOrder(unit, sortieOrder);
    if (GameNetworked()) SendDeployUnit(unit);
    return applied;
}

int SubCastle::SendDeployUnit(Troop* unit) {
    City* city = TheBattleMap && unit ? TheBattleMap->CityById(cityId) : nullptr;
    if (!city) return 0;
    GameRecordChannel* channel = TheGameController ? TheGameController->recordChannel : nullptr;
    if (!channel) return 1;
    uint32_t target = 0, target2 = 0;
    switch (sortieOrder) {
    case 1:
        target = unit->targetTroop ? unit->targetTroop->UnitId() : 0;
        break;
    case 2:
        // The sub-castle target's key: its kind in the high half, its city's index in the low.
        if (auto* aim = dynamic_cast<SubCastle*>(unit->targetObject)) {
            target2 = static_cast<uint32_t>(aim->Kind());
            target =
                (target2 & 0xFFFF) << 16 | (static_cast<uint32_t>(CityIndexOf(unit->targetCity)) & 0xFFFF);
        }
        break;
    case 3:
        target = static_cast<uint32_t>(CityIndexOf(unit->targetCity));
        break;
    default:
        break;
    }
    channel->SendDeployUnitWithOrder(static_cast<uint16_t>(sortieOrder), city, static_cast<uint8_t>(Kind()),
                                     unit->UnitId(), target, target2, static_cast<uint32_t>(unit->goalX),
                                     static_cast<uint32_t>(unit->goalY));
    return 1;
}

int SubCastle::ApplyDeployUnitWithOrder(Troop* unit, int32_t orderCode) {
    if (!unit) return 1;
    RemoveUnitOnExit(unit);
    StartDeployedOrder(unit, ownerSide, orderCode);
    return 1;
}

void SubCastle::Tick() {
    if (markedMode > 2) RunSorties();
}

void SubCastle::RunSorties() {
    MapView* screen = Screen();
    const bool heldBack = markedMode == 3 && sortieOrder == 2 && screen && screen->currentSubCastle == this;
    bool handled = false;
    if (leader && leader->pendingSortie && !leader->hidden) {
        if (heldBack)
            leader->pendingSortie = 0;
        else
            RequestDeployUnit(leader);
        handled = true;
    }
    for (Troop* t : Troops(units)) {
        if (!t->pendingSortie || t->hidden) continue;
        if (heldBack) {
            t->pendingSortie = 0;
        } else if (!handled && RequestDeployUnit(t) != 0) {
            t->pendingSortie = 0;
            handled = true;
            break;
        }
        handled = true;
    }
    if (!handled) markedMode = 0;
}

void SubCastle::TickGarrison() {
    if (Kind() != 5) return;
    const int32_t period = GameParams().In_Gail_Days_Ref;
    for (Troop* t : Troops(units)) {
        OfficerRecord* o = t->officer;
        if (!o) continue;
        ++o->workCounters[2];
        if (o->workCounters[2] < period) continue;
        o->workCounters[2] = 0;
        if (o->Get(OfficerLayout::kLoyalty) > 0) NetCmdAddTroopValue(t, -1, 4);
    }

    City* city = TheBattleMap ? TheBattleMap->CityById(cityId) : nullptr;
    const int32_t day = TheScreenSettings ? TheScreenSettings->day : -1;
    const bool active = TheBattleMap && ownerSide >= 0 && ownerSide < BattleMap::kSides &&
                        TheBattleMap->sideActive[ownerSide] != 0;
    if (!city || !active || ownerSide == PlayerKingdom() || day != cityId % 30 + 1 ||
        city->Int(CityLayout::kGold) <= 300)
        return;
    const int32_t gameKind = TheGameController ? TheGameController->gameKind : 0;
    auto isRuler = [](const Troop* t) {
        const Kingdom* k = KingdomOf(t->owner);
        return k && t->OfficerValue(OfficerLayout::kPersonNumber) == k->PersonNumber();
    };
    const std::vector<Troop*> list = Troops(units);
    if (list.empty()) return;
    Troop* candidate = list.front();
    if (gameKind != 3)
        for (size_t i = 1; i < list.size(); ++i)
            if (list[i]->OfficerValue(OfficerLayout::kLoyalty) <
                    candidate->OfficerValue(OfficerLayout::kLoyalty) &&
                !isRuler(list[i]))
                candidate = list[i];
    if (gameKind != 3 && isRuler(candidate)) return;
    const int32_t loyalty = candidate->OfficerValue(OfficerLayout::kLoyalty);
    // The treasury moves once, by the networked amount, so every station ends alike.
    if (loyalty > 70) NetCmdAddCityValue(city, (loyalty - 70) * 50, kCityGold);
    city->RequestAdmitUnit(candidate, this);
}

int32_t SubCastle::GetGarrisonValue() {
    const int32_t month = TheScreenSettings ? TheScreenSettings->month : 0;
    if (month % 6 == 0 && keeper) {
        if (Zu_StageSet* stage = CurrentStageSet()) stage->GiveRandomGear(keeper);
        return 0;
    }
    return month / 6;
}
