#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/StageSet.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "records/TemplateTables.h"
#include "troops/CastleGate.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"
#include "world/MapView.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

namespace {
constexpr int32_t kWallKind = 13;
constexpr int32_t kTowerKind = 14;
constexpr int32_t kPostTemplate = 453;
constexpr int32_t kPassingMark = 123;

struct Offset {
    int32_t dx, dy;
};
constexpr Offset kCastleGates[] = {{0, 4}, {-3, 6}, {0, 9}, {3, 6}};
constexpr Offset kFortGates[] = {{-2, 3}, {2, 3}, {0, 1}, {0, 5}};
constexpr Offset kPairGates[] = {{-1, 2}, {1, 2}};
constexpr Offset kCampGates[] = {{-2, 3}, {2, 3}};
constexpr int32_t kAreaSize[11] = {12, 7, 6, 6, 7, 7, 7, 7, 5, 6, 6};

std::span<const Offset> GateCells(int32_t kind) {
    switch (kind) {
    case 0:
        return kCastleGates;
    case 1:
        return kFortGates;
    case 2:
    case 3:
    case 7:
    case 10:
        return kPairGates;
    case 6:
        return kCampGates;
    default:
        return {};
    }
}

int32_t AreaSize(int32_t kind) {
    return kind >= 0 && kind <= 10 ? kAreaSize[kind] : 6;
}

int32_t OfficerKind(const Troop* t) {
    return t && t->officer ? t->officer->Get(OfficerLayout::kAttribute) : -1;
}

// The first object on the unit cell whose officer is of that kind.
Troop* FirstOfKind(int32_t x, int32_t y, int32_t kind) {
    if (!TheBattleMap) return nullptr;
    Troop* found = nullptr;
    for (uintptr_t v = TheBattleMap->FirstObjectAt(x, y); v != 0; v = TheBattleMap->NextObjectAt())
        if (OfficerKind(reinterpret_cast<Troop*>(v)) == kind) {
            found = reinterpret_cast<Troop*>(v);
            break;
        }
    TheBattleMap->occupancyCursor = nullptr;
    return found;
}

// The battle map's byte of whether the computer runs a side.
void SetComputerRun(int32_t side, uint8_t value) {
    if (BattleMap::ValidSide(side) && TheBattleMap) TheBattleMap->sideActive[side] = value;
}

// The kingdom of an id: the kingdom table's, else the stage's own list (extra kingdoms are only
// in the table).
Kingdom* SideKingdom(int32_t side) {
    if (!BattleMap::ValidSide(side) || !TheBattleMap) return nullptr;
    if (Kingdom* k = TheBattleMap->kingdomTable[side]) return k;
    return TheBattleMap->FindKingdom(side);
}

// The ids the relation tables run over: every id in the kingdom table or the stage's list.
int32_t SideCount(Zu_StageSet& stage) {
    int32_t count = TheBattleMap ? TheBattleMap->sideCount : 0;
    for (Kingdom* k : ListValues<Kingdom>(*stage.kingdoms))
        count = std::max(count, k->nationIndex);
    return std::clamp(count, 0, BattleMap::kSides);
}

void ClearFocus() {
    if (TheGameController) TheGameController->selectedCity = nullptr;
}

void BindCityGates(Kingdom& k, City& n) {
    for (CastleGate* g : ListValues<CastleGate>(k.gates)) {
        if (g->cellX != n.CellX() || g->cellY != n.CellY()) continue;
        const int32_t row = std::clamp(n.Scale(), 1, 4) - 1;
        const int32_t strength = GameParams().siteRows[row][1];
        g->strengthTotal = 0;
        for (Troop* piece : g->pieces) {
            if (!piece) continue;
            if (piece->officer) piece->officer->Set(OfficerLayout::kMaxHp, strength);
            piece->homeCity = static_cast<int16_t>(n.id);
            g->strengthTotal += strength;
        }
        n.gates.Add(reinterpret_cast<uintptr_t>(g));
    }
}

void PostCell(const City& n, int slot, int32_t& x, int32_t& y) {
    std::memcpy(&x, n.towerCells[slot], 4);
    std::memcpy(&y, n.towerCells[slot] + 4, 4);
    if (x == 0 && y == 0) {
        x = n.towerRecords[slot][1];
        y = n.towerRecords[slot][2];
    }
}

void BlockPostCells(int32_t x, int32_t y) {
    if (!TheBattleMap) return;
    for (auto [cx, cy] : {std::pair{x, 2 * y}, {x, 2 * y + 1}, {x - 1, 2 * y + 1}, {x, 2 * y + 2}})
        if (MapCell* cell = TheBattleMap->CellAt(cx, cy)) cell->obstacle = 255;
}

Troop* MakePostTroop(Kingdom& k, City& n, int32_t x, int32_t y) {
    auto* officer = new OfficerRecord(n.ownerSide, kPostTemplate);
    officer->Set(OfficerLayout::kHp, officer->Get(OfficerLayout::kMaxHp));
    auto* troop = new Troop(officer->Get(OfficerLayout::kSoldierType), 10, static_cast<int16_t>(x),
                            static_cast<int16_t>(y), static_cast<int8_t>(n.ownerSide),
                            static_cast<int16_t>(n.id), 0, officer);
    troop->ledUnit = 1;
    troop->towerMarker = 1;
    k.AddFieldUnit(troop);
    return troop;
}

void FillPosts(Kingdom& k, City& n) {
    const GameController* c = TheGameController;
    const bool build = c && c->gameKind == 3 && c->randomMap != 0;
    for (int i = 0; i < 6; ++i) {
        int32_t x = 0, y = 0;
        PostCell(n, i, x, y);
        Troop* filled = nullptr;
        if (n.Kind() == 0 && !n.towers[i] && (x != 0 || y != 0)) {
            if (build) {
                filled = MakePostTroop(k, n, x, y);
            } else if (Troop* t = TheBattleMap ? reinterpret_cast<Troop*>(TheBattleMap->FirstObjectAt(x, y))
                                               : nullptr) {
                TheBattleMap->occupancyCursor = nullptr;
                if (OfficerKind(t) == kTowerKind) {
                    filled = t;
                    BlockPostCells(x, y);
                }
            }
        }
        n.towers[i] = filled;
    }
}

void SetAnchors(City& n) {
    const int32_t x = n.CellX(), row = n.CellY();
    switch (n.Kind()) {
    case 0:
        n.exitX = x + 3;
        n.exitY = (row + 18) / 2;
        break;
    case 1:
    case 6:
        n.exitX = x + 2;
        n.exitY = (row + 10) / 2;
        break;
    default:
        n.exitX = x + 2;
        n.exitY = (row + 8) / 2;
        break;
    }
    for (SubCastle* sub : ListValues<SubCastle>(n.subCastles)) {
        sub->exitX = sub->Int(SubCastleLayout::kX) + 2;
        sub->exitY = (sub->Int(SubCastleLayout::kY) + 10) / 2;
    }
}

// The city's area carries its owner and its id again, whatever the cells held before.
void RetagArea(City& n, int32_t side, int32_t campaignStage) {
    if (!TheBattleMap || !TheBattleMap->HasCells()) return;
    MapCell* under = TheBattleMap->CellAt(n.CellX(), n.CellY() + 2);
    if (!under) return;
    const auto own = static_cast<uint8_t>(side + 100);
    if (campaignStage < 10 && under->ownerMark != own) under->ownerMark = own;
    n.ReassignCellOwner(under->ownerMark, kPassingMark);
    n.ReassignCellOwnerAndTag(kPassingMark, own, static_cast<uint8_t>(n.id));
}

bool InView(const City& n) {
    const MapView* v = TheGameController ? TheGameController->gameScreen : nullptr;
    return v && n.CellX() >= v->scrollMinX && n.CellX() < v->scrollMaxX && n.CellY() >= v->scrollMinY &&
           n.CellY() < v->scrollMaxY;
}

void ShowCity(City& n) {
    n.markedCity = 1;
    if (TheGameController && TheGameController->gameScreen)
        TheGameController->gameScreen->MarkObjectCell(&n, 0);
}

// A unit left mid-way in an action that cannot survive a restart goes, with every reference.
void DropUnfinished(Kingdom& k) {
    for (Troop* t : ListValues<Troop>(k.fieldUnits)) {
        if (t->actionCode < 115 || t->actionCode > 118) continue;
        k.fieldUnits.RemoveValue(reinterpret_cast<uintptr_t>(t));
        if (TheGameController) TheGameController->DeselectTroop(t);
        if (TheBattleMap) TheBattleMap->ForgetTroop(t);
        delete t;
    }
}
} // namespace

int TemplateTables::BindStageKingdoms() {
    Zu_StageSet* stage = CurrentStageSet();
    if (!stage || !stage->kingdoms) return 0;
    ClearFocus();
    for (int s = 1; s <= BattleMap::kSides; ++s)
        SetComputerRun(s, 1);
    SetComputerRun(stage->playerSide, 0);

    stage->playerKingdom = nullptr;
    for (Kingdom* k : ListValues<Kingdom>(*stage->kingdoms))
        if (k->nationIndex == stage->playerSide) {
            stage->playerKingdom = k;
            stage->playerCities = &k->cities;
            stage->playerFirstCity = reinterpret_cast<City*>(k->cities.First());
            break;
        }
    Kingdom* player = stage->playerKingdom;

    for (Kingdom* k : ListValues<Kingdom>(*stage->kingdoms)) {
        const int32_t side = k->nationIndex;
        if (BattleMap::ValidSide(side)) {
            switch (k->NationKind()) {
            case 4:
            case 5:
                if (player) player->relations[side] = k->NationKind() == 4 ? 2 : 1;
                SetComputerRun(side, 0);
                break;
            case 6:
                for (int s = 1; s <= SideCount(*stage); ++s)
                    if (Kingdom* other = SideKingdom(s)) {
                        other->relations[side] = 2;
                        k->relations[s] = 2;
                    }
                SetComputerRun(side, 0);
                break;
            default:
                break;
            }
        }
        for (City* n : ListValues<City>(k->cities)) {
            if (n->leaderPersonNumber != 0)
                for (Troop* t : ListValues<Troop>(n->units))
                    if (t->officer &&
                        t->officer->Get(OfficerLayout::kPersonNumber) == n->leaderPersonNumber) {
                        n->currentUnit = t;
                        break;
                    }
            if (n->id == k->markedCityId) k->mainCity = n;
            const std::span<const Offset> gates = GateCells(n->Kind());
            for (size_t i = 0; i < gates.size(); ++i) {
                const int32_t x = n->CellX() + gates[i].dx, y = n->CellY() / 2 + gates[i].dy;
                if (x == 0 || y == 0) continue;
                if (Troop* t = FirstOfKind(x, y, kWallKind)) n->garrison[i] = t;
            }
            if (n->Kind() == 0)
                for (SubCastle* sub : ListValues<SubCastle>(n->subCastles))
                    sub->SetOwner(side, n->id);
            if (TheBattleMap) {
                TheBattleMap->MarkArea(n->CellX(), n->CellY(), AreaSize(n->Kind()), 4,
                                       static_cast<uint16_t>(side + 100));
                TheBattleMap->MarkArea(n->CellX(), n->CellY(), AreaSize(n->Kind()), 5,
                                       static_cast<uint16_t>(n->id));
            }
        }
        for (City* n : ListValues<City>(k->cities))
            BindCityGates(*k, *n);
    }
    return 1;
}

void TemplateTables::BindStageWorld() {
    Zu_StageSet* stage = CurrentStageSet();
    if (!stage || !stage->kingdoms) return;
    const GameController* c = TheGameController;
    const bool fresh = !c || c->freshStage == 1;
    const int32_t campaignStage = c ? c->campaignStage : 0;
    const int32_t playerSide = stage->playerSide;

    std::vector<City*> castles, camps;
    for (Kingdom* k : ListValues<Kingdom>(*stage->kingdoms)) {
        const int32_t side = k->nationIndex;
        for (City* n : ListValues<City>(k->cities)) {
            n->SumGarrison();
            if (n->Kind() == 0) castles.push_back(n);
            if (n->Kind() == 6) camps.push_back(n);
            FillPosts(*k, *n);
        }
        if (fresh && BattleMap::ValidSide(side))
            for (int s = 1; s <= SideCount(*stage); ++s) {
                const Kingdom* other = SideKingdom(s);
                const int32_t team = k->AllianceGroup();
                k->relations[s] =
                    s == side ? 1 : (team == 0 || !other || other->AllianceGroup() != team ? 3 : 1);
            }
        if (fresh && k->cities.GetCount() > 0) {
            k->mainCity = reinterpret_cast<City*>(k->cities.First());
            k->markedCityId = k->mainCity->id;
        }
        ClearFocus();
        for (City* n : ListValues<City>(k->cities)) {
            n->ownerSide = side;
            SetAnchors(*n);
            if (fresh) {
                n->CreateGenerals();
                n->markedCity = side == playerSide && InView(*n) ? 1 : 0;
                RetagArea(*n, side, campaignStage);
            }
            if (n->Kind() == 6) {
                if (n->targetCellX != 0 || n->targetCellY != 0)
                    for (City* castle : castles)
                        if (castle->CellX() == n->targetCellX && castle->CellY() == n->targetCellY) {
                            n->recruitCity = castle;
                            break;
                        }
                n->PickFirstSoldierType();
            }
            if (n->markedCity) ShowCity(*n);
        }
        if (fresh) {
            DropUnfinished(*k);
            const bool friendly =
                side == playerSide || (BattleMap::ValidSide(playerSide) && k->relations[playerSide] == 1);
            for (Troop* t : ListValues<Troop>(k->fieldUnits)) {
                const int32_t kind = OfficerKind(t);
                if (kind != kWallKind && kind != kTowerKind && !t->hidden && friendly) t->UpdateSight();
            }
        }
        castles.clear();
        camps.clear();
    }

    Kingdom* player = stage->playerKingdom;
    if (!player) return;
    for (Kingdom* k : ListValues<Kingdom>(*stage->kingdoms)) {
        if (!BattleMap::ValidSide(k->nationIndex) || player->relations[k->nationIndex] != 1) continue;
        for (City* n : ListValues<City>(k->cities))
            if (!n->markedCity) ShowCity(*n);
    }
}
