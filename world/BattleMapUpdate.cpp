#include "Program/GameController.h"
#include "Program/SceneMachine.h"
#include "Program/ScreenSettings.h"
#include "Program/StageCalendar.h"
#include "Program/StageSet.h"
#include "Program/Startup.h"
#include "engine/LinkList.h"
#include "engine/ResourceStore.h"
#include "events/EventManager.h"
#include "gui/MouseCursor.h"
#include "net/GameRecordChannel.h"
#include "net/NetHooks.h"
#include "net/TroopCommands.h"
#include "net/TroopValueCommand.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/SubCastle.h"
#include "world/BattleMap.h"
#include "world/MapView.h"

#include "events/EventManager.h"
#include "records/OfficerRecord.h"
#include "troops/CastleGate.h"
#include "troops/Troop.h"
#include "windows/main/Win37Window.h"
#include "world/Missile.h"
#include "world/Zu_SkillEffect.h"

#include <algorithm>
#include <vector>

namespace {

template <class T>
T* As(uintptr_t v) {
    return reinterpret_cast<T*>(v);
}

bool InList(LinkList& list, const void* p) {
    return list.Find(reinterpret_cast<uintptr_t>(p)) != 0;
}

void RemoveAll(LinkList* list, const void* p) {
    if (!list) return;
    while (list->RemoveValue(reinterpret_cast<uintptr_t>(p))) {
    }
}

bool AppliesCommands() {
    const GameController* c = TheGameController;
    return !c || !c->networked || c->isHost;
}

int32_t OfficerKind(const Troop* t) {
    return t->officer ? t->officer->Get(OfficerLayout::kAttribute) : 0;
}

constexpr int8_t kEntryOffsets[7][2] = {{0, 0}, {1, 0}, {0, 1}, {1, -1}, {-1, 1}, {2, -1}, {-1, 2}};

bool AtEntry(const Troop* t, int32_t ex, int32_t ey) {
    for (const auto& o : kEntryOffsets)
        if (t->cellX == ex + o[0] && t->cellY == ey + o[1]) return true;
    return false;
}

bool InRange(uint16_t v, uint16_t low, uint16_t high) {
    return v >= low && v <= high;
}

void ClearTerrainStatus(Troop* t) {
    t->officer->TerrainStatus() = 0;
    t->officer->TerrainStatusMirror() = 0;
    delete t->attachedEffects[0];
    t->attachedEffects[0] = nullptr;
}

void AttachTerrainEffect(Troop* t, int16_t id) {
    t->officer->TerrainStatus() = id;
    t->officer->TerrainStatusMirror() = id;
    delete t->attachedEffects[0];
    t->attachedEffects[0] = new Zu_SkillEffect(3, id, t->cellX * 40, t->cellY * 20);
}

void ForgetIn(Troop* holder, const Troop* gone) {
    if (holder->targetTroop == gone) holder->targetTroop = nullptr;
    if (holder->followTarget == gone) holder->followTarget = nullptr;
    if (holder->escortTarget == gone) holder->escortTarget = nullptr;
    if (holder->attackTarget == gone) holder->attackTarget = nullptr;
    if (holder->leader == gone) holder->leader = nullptr;
    RemoveAll(holder->followers, gone);
}

void RemoveAndDelete(BattleMap& map, Kingdom& k, Troop* t) {
    k.fieldUnits.RemoveValue(reinterpret_cast<uintptr_t>(t));
    map.ForgetTroop(t);
    delete t;
}

template <class SeenByPlayer>
void StepTroop(BattleMap& map, Kingdom& k, Troop* t, bool editor, SeenByPlayer seenByPlayer) {
    GameController* c = TheGameController;
    // References to what has gone or is going.
    if (t->targetObject && !t->targetIsSubCastle && t->entrySteps == 0 &&
        static_cast<City*>(t->targetObject)->dead)
        t->targetObject = nullptr;
    if ((t->flags & 0x200) && t->escortTarget && t->escortTarget->IsGone()) t->escortTarget = nullptr;
    if (t->attackTarget && t->attackTarget->IsGone() && !t->attackTarget->kept) t->attackTarget = nullptr;
    if (t->followTarget && t->followTarget->IsGone()) t->followTarget = nullptr;
    if (t->targetTroop) {
        if (t->targetTroop->IsGone())
            t->targetTroop = nullptr;
        else if (t->targetTroop->owner == t->owner && OfficerKind(t->targetTroop) == 17 && AppliesCommands())
            NetCmdHalt(t);
    }

    // A troop an event script withdrew stays in its lists but is off the map.
    if (t->outOfPlay) return;
    if (t->deadFlag == 0) {
        if (t->officer && t->officer->Get(OfficerLayout::kPersonNumber) == 441 &&
            t->officer->Get(OfficerLayout::kHp) == 0 && t->officer->Get(OfficerLayout::kTroopCapacity) == 0) {
            t->deadFlag = 1;
            t->kept = 0;
            t->selected = 0;
            if (c) RemoveAll(c->selection, t);
            map.RemoveObjectAt(t->cellX, t->cellY, reinterpret_cast<uintptr_t>(t));
            return;
        }
        if (t->officer && t->officer->Get(OfficerLayout::kAmbush) != 0 && (!editor || (c && c->running)))
            return;
        if (t->state != 13) {
            if (map.HasCells() && OfficerKind(t) == 1 && t->officer->StatusWord() != 1)
                map.ApplyTerrainEffect(t);
            t->Think();
        }
        if (!InList(k.fieldUnits, t)) return;
        t->Tick();
        if (t->kindWord == 999) {
            RemoveAll(map.dyingTroops, t);
            if (seenByPlayer(t)) t->UpdateSightInView();
            RemoveAndDelete(map, k, t);
            return;
        }
        if (t->moveKind == 6 && t->targetObject && t->leaderFlag) map.CheckCityEntry(t);
        return;
    }

    if (++t->deadFlag <= 4) return;
    t->deadFlag = 0;
    if (t->kept) {
        k.fieldUnits.RemoveValue(reinterpret_cast<uintptr_t>(t));
        return;
    }
    map.RemoveObjectAt(t->cellX, t->cellY, reinterpret_cast<uintptr_t>(t));
    if (t->officer && t->officer->StatusWord() == 0 && seenByPlayer(t)) t->UpdateSightInView();
    RemoveAndDelete(map, k, t);
}

} // namespace

City* BattleMap::CityById(int32_t id) const {
    if (id < 1 || id > kCities) return nullptr;
    return cities[id - 1];
}

void BattleMap::EnterCityById(City* city) {
    if (!city || city->id < 1 || city->id > kCities) return;
    cities[city->id - 1] = city;
    cityCount = std::max(cityCount, city->id);
}

void BattleMap::ForgetTroop(Troop* troop) {
    if (!troop) return;
    OverviewTroopGone(troop);
    RemoveObjectEverywhere(reinterpret_cast<uintptr_t>(troop));
    RemoveAll(dyingTroops, troop);
    if (missiles)
        for (uintptr_t v = missiles->First(); v != 0; v = missiles->Next())
            As<Missile>(v)->ForgetShooter(troop);
    if (stageSet && stageSet->kingdoms) {
        LinkList& kingdoms = *stageSet->kingdoms;
        const uintptr_t cursor = kingdoms.Current();
        for (Kingdom* k : ListValues<Kingdom>(kingdoms)) {
            RemoveAll(&k->fieldUnits, troop);
            for (Troop* t : ListValues<Troop>(k->fieldUnits))
                ForgetIn(t, troop);
            for (City* city : ListValues<City>(k->cities)) {
                RemoveAll(&city->units, troop);
                RemoveAll(&city->reserve, troop);
                for (Troop* t : ListValues<Troop>(city->units))
                    ForgetIn(t, troop);
                if (city->currentUnit == troop) city->currentUnit = nullptr;
                for (Troop*& slot : city->garrison)
                    if (slot == troop) slot = nullptr;
                for (Troop*& slot : city->towers)
                    if (slot == troop) slot = nullptr;
                for (SubCastle* sc : ListValues<SubCastle>(city->subCastles)) {
                    if (sc->leader == troop) sc->leader = nullptr;
                    if (sc->keeper == troop) sc->keeper = nullptr;
                    RemoveAll(&sc->secondUnits, troop);
                    RemoveAll(&sc->units, troop);
                }
            }
        }
        if (cursor) kingdoms.Find(cursor);
    }
    if (TheResourceStore)
        for (LinkList* effects : {TheResourceStore->firstEffects, TheResourceStore->secondEffects})
            if (effects)
                for (uintptr_t v = effects->First(); v != 0; v = effects->Next())
                    if (auto* e = reinterpret_cast<Zu_SkillEffect*>(v); e->owner == troop) e->owner = nullptr;
    if (GameController* c = TheGameController) {
        if (c->eventManager) c->eventManager->ReleaseObject(troop);
        troop->selected = 0;
        RemoveAll(c->selection, troop);
        RemoveAll(c->focusList, troop);
        for (LinkList* group : c->groups)
            RemoveAll(group, troop);
        if (c->groupTargetA == troop) c->groupTargetA = nullptr;
        if (c->groupTargetB == troop) c->groupTargetB = nullptr;
        if (c->currentTroop == troop) c->currentTroop = nullptr;
        if (c->gameScreen && c->gameScreen->hoveredObject == troop) c->gameScreen->hoveredObject = nullptr;
    }
}

void BattleMap::Update() {
    ScreenSettings* s = TheScreenSettings;
    GameController* c = TheGameController;
    if (!stageSet || !stageSet->kingdoms) return;
    if (!(s && s->editorKeys) && !cells) return;

    // A network battle's commands, heartbeat and host watch run with the world update.
    if (c && c->networked && c->running) RunNetworkFrameHooks();

    const bool editor = s && s->stageEditMode;
    Kingdom* player = stageSet->playerKingdom;
    auto seenByPlayer = [&](const Troop* t) {
        if (!player) return false;
        return t->owner == player->nationIndex ||
               (t->owner >= 0 && t->owner <= BattleMap::kSides && player->relations[t->owner] == 1);
    };

    LinkList& kingdoms = *stageSet->kingdoms;
    for (Kingdom* k : ListValues<Kingdom>(kingdoms)) {
        if (!InList(kingdoms, k)) continue;
        if (GameModeFlag)
            for (RootObject* object : ListValues<RootObject>(k->gates))
                if (auto* gate = dynamic_cast<CastleGate*>(object);
                    gate && (gate->direction == 0 || gate->direction == 1))
                    gate->UpdateOpenState();
        // The troops of the pass; troops added on the way are taken in a further round, and a
        // troop that has left the list (entered a city, removed) is passed over.
        std::vector<Troop*> visited;
        std::vector<Troop*> pending = ListValues<Troop>(k->fieldUnits);
        while (!pending.empty()) {
            for (Troop* t : pending) {
                visited.push_back(t);
                if (!InList(k->fieldUnits, t)) continue;
                StepTroop(*this, *k, t, editor, seenByPlayer);
            }
            pending.clear();
            for (Troop* t : ListValues<Troop>(k->fieldUnits))
                if (std::find(visited.begin(), visited.end(), t) == visited.end()) pending.push_back(t);
        }
        kingdoms.Find(reinterpret_cast<uintptr_t>(k));
    }

    if (missiles) {
        for (Missile* m : ListValues<Missile>(*missiles)) {
            m->Step();
            if (m->landed > 1) {
                missiles->RemoveValue(reinterpret_cast<uintptr_t>(m));
                delete m;
            }
        }
    }
}

void BattleMap::Tick() {
    ScreenSettings* s = TheScreenSettings;
    GameController* c = TheGameController;
    if (!stageSet || !s || s->battleEnded || s->editorKeys) return;
    if (s->busyState.load() != 0) {
        if (TheMouseCursor) TheMouseCursor->SetShapeChecked(1);
        return;
    }
    if (!c || c->pauseScreen.load() != 0) return;
    if (c->eventManager && (!s->stageEditMode || c->triggerWord))
        GetFrontEndServices()->CheckTriggers(c->eventManager);
    StageCalendarStep();
}

void BattleMap::CheckCityEntry(Troop* t) {
    if (!AppliesCommands() || !t->targetObject) return;
    const int32_t kind = OfficerKind(t);
    if (!t->targetIsSubCastle) {
        City* city = static_cast<City*>(t->targetObject);
        if (city->dead) return;
        if (kind == 5 && city->Kind() != 0) {
            NetCmdHalt(t);
            return;
        }
        if (!AtEntry(t, city->CellX(), city->CellY())) return;
        bool mayEnter = false;
        switch (city->Kind()) {
        case 0:
        case 1:
        case 6: {
            const Kingdom* owner = FindKingdom(city->ownerSide);
            const GameController* c = TheGameController;
            const bool allied = c && c->networked && c->teamMode == 1 && owner && t->owner >= 0 &&
                                t->owner <= BattleMap::kSides && owner->relations[t->owner] == 1;
            if (city->ownerSide == t->owner || allied) {
                mayEnter = true;
            } else if (city->emptyFlag) {
                CaptureCity(t, city);
                mayEnter = true;
            }
            break;
        }
        case 2:
        case 3:
        case 7:
        case 8:
        case 9:
        case 10:
            mayEnter = city->ownerSide == t->owner;
            break;
        default:
            break;
        }
        if (mayEnter)
            city->RequestTroopEntry(t);
        else
            NetCmdHalt(t);
        return;
    }
    SubCastle* sc = static_cast<SubCastle*>(t->targetObject);
    if (kind == 5) {
        NetCmdHalt(t);
        return;
    }
    if (!AtEntry(t, sc->entranceX, sc->entranceY)) return;
    const bool own = sc->ownerSide == t->owner;
    if (t->officer && t->officer->StatusWord() != 0 && (sc->Kind() == 4 || (sc->Kind() == 5 && own))) {
        NetCmdHalt(t);
        return;
    }
    bool mayEnter;
    if (own && (sc->Kind() == 4 || sc->Kind() == 5))
        mayEnter = sc->occupied == 0 && sc->RequestTroopEntry(t);
    else
        mayEnter = sc->RequestTroopEntry(t);
    if (!mayEnter) NetCmdHalt(t);
}

void BattleMap::CaptureCity(Troop* troop, City* city) {
    if (AppliesCommands()) ApplyCityEntry(troop, city);
    if (TheGameController && TheGameController->networked) SendCityEntry(troop, city);
}

void BattleMap::SendCityEntry(Troop* troop, City* city) {
    // The receivers find the city by its index and the troop by its unit id.
    if (TheGameController && TheGameController->recordChannel)
        TheGameController->recordChannel->SendCityEntry(city, troop);
}

void BattleMap::ApplyCityEntry(Troop* troop, City* city) {
    if (Kingdom* k = FindKingdom(troop->owner)) k->TakeCity(troop, city);
    if (stageSet && stageSet->kingdoms) {
        LinkList& kingdoms = *stageSet->kingdoms;
        for (Kingdom* k : ListValues<Kingdom>(kingdoms))
            k->RecallTroopsTargeting(city->id);
    }
    city->emptyFlag = 0;
}

void BattleMap::ApplyTerrainEffect(Troop* t) {
    OfficerRecord* o = t->officer;
    if (!o) return;
    const MapCell* cell = CellAt(t->cellX, 2 * t->cellY);
    const uint16_t layer = cell ? cell->layerTile : MapCell::kNoTile;
    const bool immune =
        o->Get(OfficerLayout::kPersonNumber) == 435 || o->Get(OfficerLayout::kPersonNumber) == 436;
    const bool applies = AppliesCommands();

    if (InRange(layer, 0x37B0, 0x37D3) && o->Get(OfficerLayout::kHp) < o->Get(OfficerLayout::kMaxHp) &&
        !immune) {
        if (o->TerrainStatus() == 0) {
            AttachTerrainEffect(t, 4);
        } else if (++o->TerrainTicks() > 9) {
            o->TerrainTicks() = 0;
            if (applies) NetCmdAddTroopValue(t, 2, 1);
            o->Set(OfficerLayout::kPolicy, 0);
            // The value command already stops at the maximum: reaching it ends the healing.
            if (o->Get(OfficerLayout::kHp) >= o->Get(OfficerLayout::kMaxHp)) {
                o->Set(OfficerLayout::kHp, o->Get(OfficerLayout::kMaxHp));
                ClearTerrainStatus(t);
            }
        }
    } else if (o->TerrainStatus() == 4) {
        ClearTerrainStatus(t);
    }

    if (InRange(layer, 0x37F8, 0x381B) && o->Get(OfficerLayout::kHp) >= 1 && !immune) {
        if (o->TerrainStatus() == 0) {
            AttachTerrainEffect(t, 5);
        } else if (++o->TerrainTicks() > 9) {
            o->TerrainTicks() = 0;
            // Stamina and the kill are decided where commands are applied; a client would
            // overwrite hits taken meanwhile with a stale value.
            if (applies) {
                NetCmdAddTroopValue(t, -2, 1);
                if (o->Get(OfficerLayout::kHp) <= 0) {
                    t->CanAttack(100, 0, nullptr);
                    ClearTerrainStatus(t);
                }
            }
        }
    } else if (o->TerrainStatus() == 5) {
        ClearTerrainStatus(t);
    }
}

void BattleMap::PlaceUnits(int32_t mode) {
    if (!stageSet || !stageSet->kingdoms) return;
    for (Kingdom* k : ListValues<Kingdom>(*stageSet->kingdoms))
        for (Troop* t : ListValues<Troop>(k->fieldUnits)) {
            if (!t->officer || t->officer->Get(OfficerLayout::kAmbush) <= 0) continue;
            if (mode == 0)
                AddObjectAt(t->cellX, t->cellY, reinterpret_cast<uintptr_t>(t));
            else
                t->MarkRemoved();
        }
}

namespace {

// A follower or paired troop that a saved game's file brought in with its group.
bool CameWithItsLeader(const Troop& t, Kingdom& k) {
    Troop* leader = t.leader;
    if (!leader || leader == &t || !leader->leaderFlag) return false;
    const bool follower = leader->followers && leader->followers->Find(uintptr_t(&t));
    return (follower || leader->pairedTroop == &t) && k.fieldUnits.Find(uintptr_t(leader));
}

} // namespace

void BattleMap::RebuildStageTroops() {
    if (!stageSet || !stageSet->kingdoms) return;
    const std::vector<Kingdom*> kingdoms = ListValues<Kingdom>(*stageSet->kingdoms);
    const bool savedGame = TheGameController && TheGameController->loadingSavedGame;
    // A save stores each group whole unless the battle had started, when only the leaders are
    // stored: the groups that came whole keep their followers as they were, with a group id of
    // their own that draws no unit number, so the loaded world is the one that was saved.
    const bool wholeGroups = savedGame && !(TheScreenSettings && TheScreenSettings->battleStarted);
    for (Kingdom* k : kingdoms)
        for (Troop* t : ListValues<Troop>(k->fieldUnits))
            if (t->leaderFlag == 0 && !(wholeGroups && CameWithItsLeader(*t, *k)))
                RemoveAndDelete(*this, *k, t); // leaders' follower lists too
    if (wholeGroups) {
        for (Kingdom* k : kingdoms)
            for (Troop* t : ListValues<Troop>(k->fieldUnits))
                if (t->leaderFlag) {
                    t->groupId = -int32_t(t->UnitId());
                    if (t->followers)
                        for (Troop* f : ListValues<Troop>(*t->followers))
                            f->groupId = t->groupId;
                    if (t->pairedTroop) t->pairedTroop->groupId = t->groupId;
                }
        return;
    }
    if (!savedGame) return;
    for (Kingdom* k : kingdoms) {
        std::vector<Troop*> joined;
        for (Troop* unit : ListValues<Troop>(k->fieldUnits)) {
            if (!unit->officer) continue;
            for (int slot = 0; slot < 8; ++slot) {
                const int32_t person = unit->officer->Get(OfficerLayout::kEscorts + 4 * (slot));
                if (person <= 0) continue;
                // Followers stand to the right of their leader, kept on the grid.
                const int32_t x = std::clamp(unit->cellX + 1 + slot, 0, std::max(0, unitGridWidth - 1));
                auto* follower = new Troop(0, 10, x, unit->cellY, unit->owner, 0, 100,
                                           new OfficerRecord(k->nationIndex, person));
                follower->groupId = nextUnitId;
                follower->leaderFlag = 0;
                follower->leader = unit;
                if (!unit->followers) unit->followers = new LinkList;
                unit->followers->Add(reinterpret_cast<uintptr_t>(follower));
                joined.push_back(follower);
            }
            unit->StepMove();
            unit->ApplyHalt();
            unit->leaderFlag = 1;
            unit->groupId = nextUnitId++;
        }
        for (Troop* f : joined)
            k->fieldUnits.Add(reinterpret_cast<uintptr_t>(f));
    }
}

void BattleMap::RestorePlayerUnits() {
    if (!stageSet || !stageSet->kingdoms) return;
    Kingdom* player = FindKingdom(stageSet->playerSide);
    if (!player) return;
    GameController* c = TheGameController;
    const uint8_t mode = c ? c->mode : 0;
    if (c) c->mode = 1;
    for (Troop* t : ListValues<Troop>(player->fieldUnits)) {
        if (OfficerKind(t) != 1 || (t->currentType == t->savedUnitType && t->facing == t->savedFacing))
            continue;
        t->currentType = t->savedUnitType;
        t->facing = t->savedFacing;
        t->StartActionAnimation();
    }
    if (c) c->mode = mode;
}

void BattleMap::RefreshSight(Kingdom* kingdom, int32_t whole) {
    if (!kingdom) return;
    for (Troop* t : ListValues<Troop>(kingdom->fieldUnits)) {
        if (t->state == 13) continue;
        if (whole == 0)
            t->UpdateSightInView();
        else
            t->UpdateSight();
    }
    for (City* city : ListValues<City>(kingdom->cities))
        city->DrawMapMarker(whole);
}
