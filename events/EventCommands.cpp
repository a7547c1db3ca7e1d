#include "events/EventCommands.h"

#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "events/EventManager.h"
#include "events/EventRunner.h"
#include "events/EventStep.h"
#include "gui/MouseCursor.h"
#include "net/TroopCommands.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"
#include "world/FootprintPattern.h"
#include "world/MapCell.h"
#include "world/MapView.h"
#include "world/RouteGraph.h"

#include <algorithm>
#include <array>

using L = OfficerLayout;

namespace events {

namespace {

constexpr int kItemSlots = 10;
constexpr int32_t kNamedGeneral = 1;
constexpr int32_t kTeamOne = 1, kTeamTwo = 2;

EventManager* Manager() {
    return TheGameController ? TheGameController->eventManager : nullptr;
}

Troop* FindTroop(int32_t person) {
    EventManager* m = Manager();
    return m && person != 0 ? m->FindTroop(person) : nullptr;
}

MapView* View() {
    return TheGameController ? TheGameController->gameScreen : nullptr;
}

int32_t Person(const Troop* t) {
    return t && t->officer ? t->officer->Get(L::kPersonNumber) : 0;
}

bool Networked() {
    return TheGameController && TheGameController->networked;
}

std::vector<Kingdom*> Kingdoms() {
    Zu_StageSet* stage = CurrentStageSet();
    return stage && stage->kingdoms ? ListValues<Kingdom>(*stage->kingdoms) : std::vector<Kingdom*>{};
}

// Every troop of the stage: field units, city garrisons and sub-castle troops.
template <class F>
void ForEveryTroop(F&& visit) {
    for (Kingdom* k : Kingdoms()) {
        for (Troop* t : ListValues<Troop>(k->fieldUnits))
            visit(t);
        for (City* c : ListValues<City>(k->cities)) {
            for (Troop* t : ListValues<Troop>(c->units))
                visit(t);
            for (SubCastle* s : ListValues<SubCastle>(c->subCastles))
                for (Troop* t : ListValues<Troop>(s->units))
                    visit(t);
        }
    }
}

void RestoreFromCarryList(Troop* t) {
    if (!t || !t->officer || !TheBattleMap) return;
    if (OfficerRecord* saved = TheBattleMap->carryList.Find(Person(t)))
        RestoreCarriedOfficer(*t->officer, saved->block);
}

// Ending the stage from a script: single play only.
void EndStage(int32_t result) {
    if (Networked()) return;
    if (TheMouseCursor) TheMouseCursor->SetShape(1);
    if (Zu_StageSet* stage = CurrentStageSet()) stage->result = result;
    if (TheScreenSettings) TheScreenSettings->battleEnded = 1;
    if (TheGameController) TheGameController->running = 1;
}

int TeamWins(int32_t team) {
    Zu_StageSet* stage = CurrentStageSet();
    if (stage && Networked() && TheGameController->isHost) {
        stage->SendTeamWinner(team);
        stage->EndWithTeamWinner(team);
    }
    return 0;
}

void CmdRevealAmbush(const EventStep& step) {
    const int32_t mark = step.Int(EventStepLayout::kGeneral);
    const int32_t targetPerson = step.Int(EventStepLayout::kWhat);
    Zu_StageSet* stage = CurrentStageSet();
    for (Kingdom* k : Kingdoms())
        for (Troop* t : ListValues<Troop>(k->fieldUnits)) {
            if (!t->officer || t->officer->Get(L::kAmbush) != mark) continue;
            t->ResetByKind();
            if (t->OfficerKind() == kNamedGeneral && stage && k == stage->playerKingdom)
                RestoreFromCarryList(t);
            if (targetPerson != 0)
                if (Troop* target = FindTroop(targetPerson)) NetCmdTargetTroop(t, target);
        }
}

// A city inside [x0, x1) and [2 y0, 2 y1), the way the play area compares city positions.
bool InPlayArea(const CellBounds& b, int32_t x, int32_t y) {
    return x >= b.left && x < b.right && y >= 2 * b.top && y < 2 * b.bottom;
}

// A troop's unit cell inside the area, as the lookups test the active area.
bool TroopInArea(const CellBounds& b, const Troop* t) {
    return t->cellX >= b.left && t->cellX < b.right && t->cellY >= b.top / 2 && t->cellY < b.bottom / 2;
}

bool SoldierTypeKnown(int32_t type) {
    return SoldierTypeBlock(type) != nullptr;
}

void CmdSetPlayArea(const EventStep& step) {
    BattleMap* map = TheBattleMap;
    MapView* view = View();
    Zu_StageSet* stage = CurrentStageSet();
    if (!map || !stage) return;
    int32_t x0 = std::min(step.Param(1), map->width - 15);
    int32_t y0 = std::min(step.Param(2), map->rows - 56);
    int32_t x1 = std::min(step.Param(3), map->width);
    int32_t y1 = std::min(step.Param(4), map->rows);
    // A script's rectangle may come inverted or reach below 0.
    x0 = std::max(0, x0);
    y0 = std::max(0, y0);
    x1 = std::max(x0, x1);
    y1 = std::max(y0, y1);
    const CellBounds old = map->validBounds;
    if (view)
        view->SetView(x0, y0, x1, y1);
    else
        map->validBounds = {x0, y0, x1, y1};
    const CellBounds now = map->validBounds;

    for (Kingdom* k : Kingdoms()) {
        if (k->nationIndex != stage->playerSide) continue;
        for (City* c : ListValues<City>(k->cities)) {
            if (InPlayArea(old, c->CellX(), c->CellY()) || !InPlayArea(now, c->CellX(), c->CellY())) continue;
            for (Troop* t : ListValues<Troop>(c->units))
                if (t->OfficerKind() == kNamedGeneral) RestoreFromCarryList(t);
        }
        for (Troop* t : ListValues<Troop>(k->fieldUnits))
            if (t->OfficerKind() == kNamedGeneral && !TroopInArea(old, t) && TroopInArea(now, t))
                RestoreFromCarryList(t);
    }

    Kingdom* player = stage->playerKingdom;
    if (!player) return;
    for (City* c : ListValues<City>(player->cities)) {
        if (view && !view->currentCity && InPlayArea(now, c->CellX(), c->CellY())) view->currentCity = c;
        // The city's visible flag waits on the city's map behaviour.
        c->DrawMapMarker(1);
    }
    for (Troop* t : ListValues<Troop>(player->fieldUnits)) {
        const MapCell* cell = view ? view->GetCell(t->cellX, t->cellY) : map->GetCell(t->cellX, t->cellY);
        if (cell && cell->sightCount == 0 && !(t->flags & 0x10) && SoldierTypeKnown(t->currentType))
            t->UpdateSight();
    }
}

void CmdAdjustGeneral(const EventStep& step) {
    Troop* t = FindTroop(step.Int(EventStepLayout::kGeneral));
    if (!t || !t->officer) return;
    OfficerRecord& o = *t->officer;
    // Uncapped: a script may raise the values past their maximum.
    o.bonusExperience += step.Param(1);
    o.Set(L::kHp, o.Get(L::kHp) + step.Param(2));
    o.Set(L::kMp, o.Get(L::kMp) + step.Param(3));
    o.Set(L::kStrength, o.Get(L::kStrength) + step.Param(4));
    o.Set(L::kIntelligence, o.Get(L::kIntelligence) + step.Param(5));
    o.UpdateExperience(0, 0, 0, 0);
    t->state = 0;
    o.StatusWord() = 0;
    o.Set(L::kPolicy, 0);
    t->flags = 0;
    t->StartActionAnimation();
}

void CmdMoveCamera(EventRunner& runner, const EventStep& step) {
    runner.CloseSpeechBox();
    const int32_t x = std::max(0, step.Param(1) - 10);
    const int32_t y = std::max(0, (step.Param(2) & ~1) - 28);
    runner.FocusCamera(x, y);
}

void CmdCameraToGeneral(EventRunner& runner, EventStep& step) {
    const int32_t person = step.Int(EventStepLayout::kGeneral);
    if (Troop* t = FindTroop(person)) {
        step.SetParam(1, t->cellX);
        step.SetParam(2, t->cellY * 2);
        CmdMoveCamera(runner, step);
        return;
    }
    if (person == 0) return;
    for (Kingdom* k : Kingdoms())
        for (City* c : ListValues<City>(k->cities)) {
            bool found = false;
            for (Troop* t : ListValues<Troop>(c->units))
                found = found || Person(t) == person;
            for (SubCastle* s : ListValues<SubCastle>(c->subCastles))
                if (s->Kind() == 5)
                    for (Troop* t : ListValues<Troop>(s->units))
                        found = found || Person(t) == person;
            if (!found) continue;
            step.SetParam(1, c->CellX());
            step.SetParam(2, c->CellY());
            CmdMoveCamera(runner, step);
            return;
        }
}

void CmdStageTimer(const EventStep& step) {
    Zu_StageSet* stage = CurrentStageSet();
    if (!stage) return;
    int32_t target = 0;
    for (const int32_t v :
         {step.Int(EventStepLayout::kGeneral), step.Param(1), step.Int(EventStepLayout::kTarget)})
        if (v != 0) target = v;
    stage->timerTarget = target;
    stage->timerCounter = 0;
}

bool CarriesInBelt(const OfficerRecord& o, int32_t item) {
    for (int s = 0; s < 4; ++s)
        if (o.Get(L::kCarried + 4u * uint32_t(s)) == item) return true;
    return false;
}

void CmdGiveItems(const EventStep& step) {
    Troop* giver = FindTroop(step.Int(EventStepLayout::kGeneral));
    Troop* receiver = FindTroop(step.Int(EventStepLayout::kTarget));
    if (!receiver || !receiver->officer) return;
    for (int n = 1; n <= 4; ++n) {
        const int32_t item = step.Param(n);
        if (item == 0) continue;
        if (!giver || !giver->officer) {
            receiver->officer->AddItem(item);
            continue;
        }
        if (!CarriesInBelt(*giver->officer, item)) continue;
        if (receiver->officer->HasFreeItemSlot()) {
            receiver->officer->AddItem(item);
            giver->officer->RemoveItem(item);
        }
        // Dropping the item next to the giver waits on the map objects; until it can lie on
        // the map, the giver keeps it rather than lose it.
    }
}

void CmdSetRelation(const EventStep& step) {
    Zu_StageSet* stage = CurrentStageSet();
    Kingdom* player = PlayerKingdomObject();
    Kingdom* other = StageKingdom(step.Int(EventStepLayout::kGeneral));
    const int32_t relation = step.Int(EventStepLayout::kTarget);
    if (!stage || !player || !other || relation < 0 || relation > 3) return;
    const int32_t mine = player->nationIndex, theirs = other->nationIndex;
    if (mine < 0 || mine > Kingdom::kMaxNations || theirs < 0 || theirs > Kingdom::kMaxNations) return;
    player->relations[theirs] = relation;
    other->relations[mine] = relation;
    if (relation == 1)
        for (Troop* t : ListValues<Troop>(player->fieldUnits))
            t->UpdateSight();
}

void CmdDisableGeneral(const EventStep& step) {
    Troop* t = FindTroop(step.Int(EventStepLayout::kGeneral));
    Zu_StageSet* stage = CurrentStageSet();
    if (!t || !t->officer || !stage) return;
    t->officer->Set(L::kPolicy, stage->playerSide);
    t->officer->Set(L::kTroopCapacity, 0);
    t->officer->Set(L::kHp, 0);
    t->flags |= 0x46;
    t->officer->StatusWord() = 1;
}

void CmdStageTally(const EventStep& step) {
    Zu_StageSet* stage = CurrentStageSet();
    if (!stage) return;
    if (step.Param(1) != 0) stage->tallyTarget = step.Param(1);
    stage->tallyCounter = 0;
}

RouteNode* NodeAt(int32_t x, int32_t y) {
    for (RouteNode* n = RouteGraphHead(); n; n = n->next)
        if (n->x == x && n->y == y) return n;
    return nullptr;
}

bool Linked(const RouteNode* a, const RouteNode* b) {
    for (const RouteNode* l : a->links) {
        if (!l) return false;
        if (l == b) return true;
    }
    return false;
}

void CmdOpenDoor(const EventStep& step) {
    BattleMap* map = TheBattleMap;
    const FootprintPattern* pattern = PatternAt(Footprints().door, step.Int(EventStepLayout::kGeneral));
    if (!map || !pattern) return;
    const int32_t x = step.Param(1), y = step.Param(2);
    if (x < 0 || y < 0 || x >= map->width || y >= map->rows) return;
    map->StampPattern(x, y, pattern);
    const int32_t ax = step.Param(3), ay = step.Param(4) / 2;
    const int32_t bx = step.Param(5), by = step.Int(EventStepLayout::kWhat) / 2;
    RouteNode* a = NodeAt(ax, ay);
    RouteNode* b = NodeAt(bx, by);
    // A door opened again (a repeating event) does not link the same nodes twice.
    if (a && b && !Linked(a, b)) LinkRouteNodes(ax, ay, bx, by);
}

void ClearSlot(Troop* t, int slot) {
    const uint32_t column = L::kWeapon + 4u * uint32_t(slot);
    // A worn item (slots 0-5) takes its bonuses with it, as every other slot write does.
    if (slot < 6) t->ApplyItemBonus(t->officer->Get(column), -1);
    t->officer->Set(column, 0);
}

void CmdStripEquipment(const EventStep& step) {
    std::vector<int32_t> persons;
    for (int n = 1; n <= 5; ++n)
        if (step.Param(n) != 0) persons.push_back(step.Param(n));
    for (Kingdom* k : Kingdoms())
        for (Troop* t : ListValues<Troop>(k->fieldUnits)) {
            if (!t->officer || std::find(persons.begin(), persons.end(), Person(t)) == persons.end())
                continue;
            for (int s = 0; s < kItemSlots; ++s)
                ClearSlot(t, s);
        }
}

void CmdConfiscateItems(const EventStep& step) {
    std::vector<int32_t> items;
    for (int n = 1; n <= 5; ++n)
        if (step.Param(n) != 0) items.push_back(step.Param(n));
    ForEveryTroop([&](Troop* t) {
        if (!t->officer) return;
        for (int s = 0; s < kItemSlots; ++s) {
            const int32_t item = t->officer->Get(L::kWeapon + 4u * uint32_t(s));
            if (item != 0 && std::find(items.begin(), items.end(), item) != items.end()) ClearSlot(t, s);
        }
    });
}

} // namespace

std::vector<int32_t> StepIds(const EventStep& step) {
    std::vector<int32_t> ids;
    for (const uint32_t offset : {EventStepLayout::kGeneral, EventStepLayout::kTarget})
        if (step.Int(offset) != 0) ids.push_back(step.Int(offset));
    for (int n = 1; n <= 5; ++n)
        if (step.Param(n) != 0) ids.push_back(step.Param(n));
    if (step.Int(EventStepLayout::kWhat) != 0) ids.push_back(step.Int(EventStepLayout::kWhat));
    return ids;
}

Kingdom* StageKingdom(int32_t id) {
    for (Kingdom* k : Kingdoms())
        if (k->nationIndex == id) return k;
    return nullptr;
}

Kingdom* PlayerKingdomObject() {
    Zu_StageSet* stage = CurrentStageSet();
    return stage ? stage->playerKingdom : nullptr;
}

void Append(LinkList& list, void* value) {
    list.Last();
    list.Add(reinterpret_cast<uintptr_t>(value));
}

int RunCommand(EventRunner& runner, EventStep& step) {
    const int32_t general = step.Int(EventStepLayout::kGeneral);
    const int32_t target = step.Int(EventStepLayout::kTarget);
    switch (step.Int(EventStepLayout::kCode)) {
    case 1:
        CmdRevealAmbush(step);
        break;
    case 2:
        runner.OpenSpeechBox(&step);
        break;
    case 3:
        CmdSetPlayArea(step);
        break;
    case 4:
        EndStage(2);
        break;
    case 5:
        CmdTransferGeneral(general, target);
        break;
    case 6:
        CmdAdjustGeneral(step);
        break;
    case 7:
        EndStage(1);
        break;
    case 8:
        CmdMoveCamera(runner, step);
        break;
    case 9:
        CmdRemoveGenerals(step);
        break;
    case 10:
        CmdCameraToGeneral(runner, step);
        break;
    case 11:
        CmdStageTimer(step);
        break;
    case 12:
        if (Manager() && Manager()->IsEventEnded(target) == 0) runner.OpenSpeechBox(&step);
        break;
    case 13:
        CmdRemoveRebels(general);
        break;
    case 14:
        CmdTransferRebels(general, target);
        break;
    case 15:
        CmdClearAreaTroops(step);
        break;
    case 16:
        CmdAddGarrisonGeneral(general, target);
        break;
    case 17:
        CmdDestroyCities(step);
        break;
    case 18:
        CmdTransferCity(general, target);
        break;
    case 19:
        CmdGiveItems(step);
        break;
    case 20:
        CmdSetRelation(step);
        break;
    case 21:
        CmdDisableGeneral(step);
        break;
    case 23:
        CmdStageTally(step);
        break;
    case 24:
        CmdOpenDoor(step);
        break;
    case 25:
        EndStage(3);
        break;
    case 26:
        CmdAddAmbushGeneral(general);
        break;
    case 27:
        CmdKillGeneral(general);
        break;
    case 28:
        CmdStripEquipment(step);
        break;
    case 29:
        CmdConfiscateItems(step);
        break;
    case 47:
        return TeamWins(kTeamOne);
    case 48:
        return TeamWins(kTeamTwo);
    default:
        break; // no operation
    }
    return 1;
}

} // namespace events
