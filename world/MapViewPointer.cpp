#include "world/MapView.h"

#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "Program/SoundEffects.h"
#include "engine/LinkList.h"
#include "engine/Point.h"
#include "gui/MouseCursor.h"
#include "net/SubCommands.h"
#include "net/TroopCommands.h"
#include "platform/CRand.h"
#include "platform/Window.h"
#include "records/City.h"
#include "records/InfoText.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "records/SubCastle.h"
#include "troops/CastleGate.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "windows/unit/UnitDrag.h"
#include "windows/unit/Win05Window.h"
#include "world/BattleMap.h"
#include "world/MapObject.h"
#include "world/Zu_SkillEffect.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// Pixels a press may wander and still be a click.
constexpr int32_t kDragSlack = 2;
// The troop's slot for the markers of the city's commands.
constexpr int kEffectSlot = 2;

int32_t Allegiance(const Troop* t) {
    return t->officer ? t->officer->Get(OfficerLayout::kPolicy) : 0;
}

bool OwnUnit(const Troop* t, int32_t player) {
    return t->owner == player || Allegiance(t) == player;
}

int32_t UnitClass(const Troop* t) {
    const int32_t player = PlayerKingdom();
    if (OwnUnit(t, player)) return 1;
    if (t->owner == 0 || KingdomRelation(player, t->owner) == 3) return 2;
    return 5;
}

bool UnitsSelected(const GameController* c) {
    return c && c->selectionActive != 0;
}

void Shape(int n) {
    if (TheMouseCursor) TheMouseCursor->SetShapeChecked(n);
}

bool OwnGroundClass(int32_t k) {
    return k == 100 || k == 101 || k == 106 || k == 107 || k == 108;
}
bool ForeignGroundClass(int32_t k) {
    return (k >= 200 && k <= 203) || (k >= 206 && k <= 210);
}

// The strength the command modes 2 and 3 weigh against: less the commanding unit's value when
// the current sub-castle has one.
int32_t WeighedStrength(const Troop* t, const SubCastle* sc) {
    int32_t s = t->officer ? t->officer->Get(OfficerLayout::kStrength) : 0;
    if (sc && sc->leader && sc->leader->officer) s -= sc->leader->officer->Get(OfficerLayout::kStrength) / 20;
    return s;
}

bool Famous(const Troop* t) {
    return t->officer && t->officer->Get(OfficerLayout::kFamous) != 0;
}

// A ruler is not sent out while either of its kingdom's two state words is 0.
bool RulerHoldsOut(const Troop* t) {
    const Kingdom* k = TroopKingdom(t->owner);
    return k && t->officer && k->PersonNumber() == t->officer->Get(OfficerLayout::kPersonNumber) &&
           (k->setterWords[0] == 0 || k->setterWords[1] == 0);
}

} // namespace

int32_t MapView::HitTest(int32_t px, int32_t py) {
    GameController* c = TheGameController;
    hoveredObject = nullptr;
    hoverClass = 0;
    BattleMap* map = TheBattleMap;
    if (!map) return 0;
    const bool alternate = map->alternateMode != 0;
    if (!alternate && TheScreenSettings && TheScreenSettings->editorKeys) return 0;
    hitCellX = viewX + px / 40;
    hitCellY = viewY / 2 + py / 20;
    const int32_t mapX = viewX * 40 + px, mapY = viewY * 10 + py;
    const int32_t player = PlayerKingdom();
    const int32_t top = hitCellY + (alternate ? 3 : 5);
    Troop* found = nullptr;
    for (int pass = 0; pass < 2 && !found; ++pass) {
        for (int32_t x = hitCellX; x <= hitCellX + 1 && !found; ++x) {
            if (x < 0 || x >= map->unitGridWidth) continue;
            for (int32_t y = std::min(top, map->unitGridRows - 1); y >= std::max(0, hitCellY - 1) && !found;
                 --y) {
                if (!alternate) {
                    const MapCell* cell = map->CellAt(x, 2 * y);
                    if (!cell || cell->sightCount <= 1) continue;
                }
                for (uintptr_t v = map->FirstObjectAt(x, y); v != 0; v = map->NextObjectAt()) {
                    Troop* t = reinterpret_cast<Troop*>(v);
                    if (t->cellX != x || t->cellY != y) continue;
                    // What a unit is to the pointer goes by its officer's kind, not by what the
                    // troop is doing: a troop standing or fighting is picked as one walking.
                    const int32_t kind = t->OfficerKind();
                    if (alternate) {
                        if (kind == 17) {
                            found = t;
                            break;
                        }
                        if (t->state == 13 || kind == 38 || kind == 39) continue;
                        const bool wanted = pass == 0 ? t->owner != player : t->owner == player;
                        if (wanted && t->HitTest(mapX, mapY)) {
                            found = t;
                            break;
                        }
                        continue;
                    }
                    if (t->IsGone() || kind == 13 || kind == 17 || (kind > 5 && kind != 9 && kind != 14))
                        continue;
                    if (kind == 14) {
                        found = t;
                        break;
                    }
                    const bool own = t->owner == player;
                    // First pass: foreign units, and own units only with a secret allegiance.
                    const bool preferred = pass == 0 ? !own : own;
                    if ((preferred || Allegiance(t) != 0) && t->HitTest(mapX, mapY)) {
                        found = t;
                        break;
                    }
                }
            }
        }
    }
    if (found) {
        hoveredObject = found;
        if (c) c->currentTroop = found;
        if (alternate) {
            hitCellX = found->cellX;
            hitCellY = found->cellY;
            hoverClass = found->owner == player                                              ? 1
                         : (found->owner == 0 || KingdomRelation(player, found->owner) == 3) ? 2
                                                                                             : 5;
        } else {
            hoverClass = UnitClass(found);
        }
        return hoverClass;
    }
    hoverClass = ClassifyHover(px, py);
    if (c && (c->everythingSelectable || hoverClass < 200)) {
        if (c->cityUnderCursor) currentCity = c->cityUnderCursor;
        if (c->subCastleUnderCursor) currentSubCastle = c->subCastleUnderCursor;
    }
    return hoverClass;
}

void MapView::OnControlHover(Widget*, Point* point) {
    if (!point || !TheBattleMap || !TheBattleMap->HasCells()) return;
    GameController* c = TheGameController;
    if (!c) return;
    hoveredObject = nullptr;
    const int32_t px = point->x, py = point->y;
    // A move with the left button held opens the drag box; the release selects in it.
    if (c->leftHeld) {
        c->dragEndX = px;
        c->dragEndY = py;
        if (std::abs(px - c->dragStartX) > kDragSlack || std::abs(py - c->dragStartY) > kDragSlack)
            c->dragging = 1;
    }
    FindHoveredGate(px, py);
    CastleGate* gate = HoveredGate();
    if (commandMode != 0) {
        HitTest(px, py);
        static constexpr int kModeShapes[8] = {1, 20, 21, 23, 24, 25, 22, 22};
        if (commandMode <= 7) Shape(kModeShapes[commandMode]);
    } else if (!UnitsSelected(c) && !c->attachPending) {
        HitTest(px, py);
        Shape(c->moveOrderMode ? 6 : 1);
    } else if (c->moveOrderMode) {
        HitTest(px, py);
        Shape(6);
    } else if (gate) {
        // One of the gate's first four pieces stands for it: chosen at random in single play,
        // by the gate's strength in a network game so every station names the same one.
        const int32_t n = c->networked ? int32_t(uint32_t(gate->strengthTotal) % 4u) : platform::rand() % 4;
        const int32_t player = PlayerKingdom();
        Shape(gate->boundUnit != 0 ? 3 : KingdomRelation(player, gate->ownerSide) == 3 ? 2 : 4);
        HitTest(px, py);
        if (!hoveredObject) hoveredObject = gate->pieces[n];
    } else {
        const int32_t k = HitTest(px, py);
        if (c->moveOrderMode) {
            Shape(6);
        } else if (c->mapLock) {
            Shape(18);
        } else {
            const Troop* t = static_cast<const Troop*>(hoveredObject);
            const int32_t player = PlayerKingdom();
            int shape = 3;
            if (k == 1) {
                shape = 4;
            } else if (k == 2 && t) {
                shape = t->owner == 0 || KingdomRelation(player, t->owner) == 3 ? 2 : 4;
                if (t->flags & 4) shape = 4;
                if (t->OfficerKind() == 9) shape = 2;
            } else if (k == 5 && t) {
                shape = t->OfficerKind() == 9 ? 2 : 4;
            } else if (OwnGroundClass(k)) {
                shape = c->workMode ? 19 : 3;
            } else if (ForeignGroundClass(k)) {
                const City* city = c->cityUnderCursor;
                const int32_t side = city ? city->ownerSide : 0;
                shape = side == player ? 4 : KingdomRelation(player, side) == 3 ? 2 : 4;
            }
            Shape(shape);
        }
    }
    if (commandMode != 0) return;
    // Items lying on the map under the pointer.
    BattleMap& map = *TheBattleMap;
    const int32_t hx = std::min(viewX + px / 40, mapWidth - 2);
    const int32_t hy = std::clamp(viewY / 2 + py / 20 - 1, 0, std::max(0, mapHeight - 5));
    const int32_t mapX = viewX * 40 + px, mapY = viewY * 10 + py;
    for (int32_t y = hy + 4; y >= hy; --y)
        for (int32_t x = hx; x <= hx + 1; ++x)
            if (MapObject* o = map.GetCellObject(x, y); o && o->HitTest(mapX, mapY)) {
                TheInfoText.anchorX = o->cellX;
                TheInfoText.anchorY = o->cellY;
                ComposeDescription(InfoText::kMapItem, ItemBlock(o->itemId), this, 0);
                return;
            }
}

void MapView::OnControlClick(Widget*, Point* point) {
    GameController* c = TheGameController;
    if (!point || !c) return;
    const int32_t px = point->x, py = point->y;
    if (c->dragging) {
        c->dragEndX = px;
        c->dragEndY = py;
        BoxSelect();
        c->dragging = 0;
        c->leftHeld = 0;
        return;
    }
    c->leftHeld = 0;
    if (commandMode != 0) {
        const int32_t k = HitTest(px, py);
        Troop* t = static_cast<Troop*>(hoveredObject);
        SubCastle* sc = currentSubCastle;
        const bool commanding = t && sc && sc->leader == t;
        const int32_t player = PlayerKingdom();
        auto marker = [&](int lesser) {
            const bool greater = !(WeighedStrength(t, sc) < 71 || t->owner == player) ||
                                 (lesser == 6 && (Famous(t) || RulerHoldsOut(t)));
            const int kind = greater ? lesser + 1 : lesser;
            PlaySoundEffect(greater ? 25 : 24);
            // The marker carries the unit: once played, the lesser kinds carry out the operation.
            // It sits in the unit's effect slot, which steps it and lets it go when it ends.
            delete t->attachedEffects[kEffectSlot];
            t->attachedEffects[kEffectSlot] =
                new Zu_SkillEffect(3, int16_t(kind), t->pixelX + 82, t->pixelY + 70, 0, 0, t);
        };
        auto operate = [&] {
            if (currentCity) NetCmdCheckAndSend(currentCity, commandMode, t);
        };
        if (t && k == 1) {
            if (commandMode == 1 && t->owner == player)
                operate();
            else if (commandMode >= 4 && commandMode <= 7 && !commanding)
                operate();
            else if (commandMode == 2 && !commanding && t->owner == player)
                marker(16);
            else if (commandMode == 3 && !commanding)
                marker(6);
        } else if (t && (k == 2 || k == 5)) {
            if (commandMode == 2)
                marker(16);
            else
                operate();
        }
        c->lastOrderX = c->lastOrderY = -1;
        return;
    }
    if (DropUnitItemOnMap()) return;
    if (placingBuilding) {
        ClickPlacement();
        return;
    }
    const int32_t k = HitTest(px, py);
    Troop* t = static_cast<Troop*>(hoveredObject);
    if (c->clickCount.load() > 1) {
        c->clickCount = 0;
        // The city pages open with the city panels.
        if (!c->selectedCity && k == 1 && t && t->owner == PlayerKingdom())
            if (Win05Window* panel = UnitPanel()) panel->ShowUnits(c->selection, 0, 0, 0, 0);
        c->lastOrderX = c->lastOrderY = -1;
        return;
    }
    if (c->moveOrderMode && UnitsSelected(c)) {
        Shape(1);
        c->moveOrderMode = 0;
        std::vector<Troop*> marked;
        if (LinkList* kingdoms = StageKingdoms())
            for (uintptr_t kv = kingdoms->First(); kv != 0; kv = kingdoms->Next()) {
                LinkList& units = reinterpret_cast<Kingdom*>(kv)->fieldUnits;
                for (uintptr_t v = units.First(); v != 0; v = units.Next())
                    if (reinterpret_cast<Troop*>(v)->selected) marked.push_back(reinterpret_cast<Troop*>(v));
            }
        for (Troop* u : marked)
            NetCmdMoveTo(u, hitCellX, hitCellY, -1, -1);
        return;
    }
    if (k == 1) {
        if (t && CanSelectTroop(t, false)) SelectUnit(t);
    } else if (k == 2 || k == 5) {
    } else if (OwnGroundClass(k) || ForeignGroundClass(k)) {
        const bool allowed =
            c->everythingSelectable || k == 100 || k == 101 || k == 106 ||
            (c->networked && c->teamMode && currentCity &&
             KingdomRelation(PlayerKingdom(), currentCity->ownerSide) == 1 &&
             (currentCity->Kind() == 0 || currentCity->Kind() == 1 || currentCity->Kind() == 6));
        if (allowed && currentCity && !(c->selectedCity == currentCity && currentCity->unitsShown)) {
            DeselectBuilding(c->selectedCity);
            DeselectSubCastle(c->selectedSubCastle);
            SelectBuilding(currentCity);
            c->selectedCity = currentCity;
        } else if (!allowed && c->selectedCity) {
            DeselectBuilding(c->selectedCity);
            DeselectSubCastle(c->selectedSubCastle);
            c->selectedCity = nullptr;
            c->selectedSubCastle = nullptr;
            currentCity = nullptr;
            currentSubCastle = nullptr;
        }
    } else if (k == 104 || k == 105 || ((k == 204 || k == 205) && c->everythingSelectable)) {
        if (currentSubCastle && !(c->selectedSubCastle == currentSubCastle && currentSubCastle->unitsShown)) {
            DeselectBuilding(c->selectedCity);
            DeselectSubCastle(c->selectedSubCastle);
            SelectSubCastle(currentSubCastle);
            c->selectedSubCastle = currentSubCastle;
        }
    } else if (c->selectedCity) {
        DeselectBuilding(c->selectedCity);
        DeselectSubCastle(c->selectedSubCastle);
        c->selectedCity = nullptr;
        c->selectedSubCastle = nullptr;
        currentCity = nullptr;
        currentSubCastle = nullptr;
    }
    if (c->mapLock) {
        c->mapLock = 0;
        Shape(1);
    }
}
