#include "world/MapView.h"

#include "Program/GameController.h"
#include "Program/SoundEffects.h"
#include "gui/MouseCursor.h"
#include "records/City.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "windows/city/CityPanelSwitch.h"
#include "windows/main/SidePanelLock.h"
#include "windows/main/Win11Window.h"
#include "world/BattleMap.h"
#include "world/FootprintPattern.h"

#include <algorithm>

namespace {

constexpr int kHoverPatterns = 24;
constexpr int kHoldCalls = 7;

// The footprint pattern one of whose first width x 2 - 1 tiles is this overlay tile.
bool FindHoverPattern(uint16_t tile, int32_t& pattern, int32_t& entry) {
    for (int p = 0; p < kHoverPatterns; ++p) {
        const FootprintPattern* f = PatternAt(Footprints().building, p);
        if (!f) continue;
        const size_t count = std::min(f->cellTiles.size(), size_t(std::max(0, f->width * 2 - 1)));
        for (size_t e = 0; e < count; ++e)
            if (f->cellTiles[e] == tile) {
                pattern = p;
                entry = int32_t(e);
                return true;
            }
    }
    return false;
}

// Draw and erase pattern of a city by kind; 0 for a kind that is not selected.
int32_t CityPattern(const City& city, bool select) {
    int32_t draw = 0;
    switch (city.Kind()) {
    case 0:
        draw = city.Scale() * 2 - 1;
        break;
    case 1:
        draw = 15;
        break;
    case 4:
        draw = 13;
        break;
    case 5:
        draw = 25;
        break;
    case 6:
        draw = 27;
        break;
    default:
        return 0;
    }
    return select ? draw : draw - 1;
}

bool SelectableKind(int32_t kind) {
    return kind == 0 || kind == 1 || kind == 4 || kind == 5 || kind == 6;
}

// Footprints outside the building table (a level from a file, a generated city of level 0)
// stamp nothing.
void Stamp(int32_t x, int32_t y, int32_t pattern) {
    if (TheBattleMap && pattern >= 1 && pattern < FootprintTables::kBuilding)
        TheBattleMap->StampBuildingPattern(x, y, pattern);
}

int32_t TroopAttribute(const Troop* t) {
    return t->officer ? t->officer->Get(OfficerLayout::kAttribute) : 0;
}

// What selection and targeting share: a living troop on the side of the panel's mode that is not
// a structure, a beast or a follower.
bool PassesStateChecks(const Troop* t, int16_t panelMode) {
    if (t->IsGone() || TroopAttribute(t) == 2) return false;
    if ((t->garrison != 0) != (panelMode == 1)) return false;
    const int32_t a = TroopAttribute(t);
    if (a >= 12 || a == 7 || a == 8 || a == 9) return false;
    return t->leader == nullptr;
}

} // namespace

void MapView::HoldHoverPattern(const MapCell& cell) {
    if (hoverLocated) return;
    int32_t pattern = 0, entry = 0;
    if (hoverCandidate != 0) {
        if (++hoverCalls < kHoldCalls) return;
        if (!FindHoverPattern(cell.overlayTile, pattern, entry) || pattern + 1 != hoverCandidate) {
            hoverCandidate = 0;
            hoverCalls = 0;
            return;
        }
        hoverLocated = 1;
        locatedPattern = hoverCandidate;
        // The offset of entry e from the building code's anchor table comes with those tables.
        locatedX = viewX + previewX;
        locatedY = viewY + previewY;
        hoverCandidate = 0;
        hoverCalls = 0;
        return;
    }
    if (FindHoverPattern(cell.overlayTile, pattern, entry)) {
        hoverCandidate = pattern + 1;
        hoverCalls = 1;
    }
}

int32_t MapView::ClassifyHover(int32_t px, int32_t py) {
    GameController* c = TheGameController;
    if (c) {
        c->cityUnderCursor = nullptr;
        c->subCastleUnderCursor = nullptr;
    }
    if (!TheBattleMap) return 0;
    BattleMap& map = *TheBattleMap;
    int32_t x = 0, y = 0;
    PixelToCell(px, py, 20, x, y);
    const MapCell* cell = map.CellAt(x, y);
    if (!cell) return 0;
    if (cell->cityId == 0) {
        HoldHoverPattern(*cell);
        return 0;
    }
    City* city = map.CityById(cell->cityId);
    if (!city || cell->sightCount < 2) return 0;
    const int32_t player = PlayerKingdom();
    int32_t code = 0;
    bool isCity = true;
    switch (cell->zoneByte) {
    case 12:
    case 14:
    case 16:
    case 18:
        code = 100;
        break;
    case 24:
    case 36: {
        isCity = false;
        SubCastle* sc = city->FindSubCastleOfKind(cell->zoneByte == 24 ? 4 : 5);
        if (c) c->subCastleUnderCursor = sc;
        if (!sc) return 0;
        code = cell->zoneByte == 24 ? 104 : 105;
        if (c && !c->everythingSelectable && sc->ownerSide == player) currentCity = city;
        break;
    }
    case 26:
        code = 101;
        break;
    case 38:
        code = 106;
        break;
    case 50:
        code = 102;
        break;
    case 51:
        code = 110;
        break;
    case 52:
        code = 103;
        break;
    case 53:
    case 54:
    case 55:
        code = 109;
        break;
    case 56:
        code = 107;
        break;
    default:
        return 0;
    }
    if (isCity && c) c->cityUnderCursor = city;
    return city->ownerSide != player ? code + 100 : code;
}

void MapView::CentreOn(int32_t x, int32_t y) {
    SetViewOrigin(std::max(x, scrollMinX), std::max(y, scrollMinY) & ~1);
    Redraw();
}

void MapView::SelectBuilding(City* city) {
    if (!city || city->unitsShown) return;
    PlaySoundEffect(47);
    if (!SelectableKind(city->Kind())) return;
    DeselectAll();
    // The city asked for is the one opened, hovered or not.
    if (!currentCity) currentCity = city;
    Stamp(city->CellX(), city->CellY(), CityPattern(*city, true));
    GameController* c = TheGameController;
    if (c) {
        c->currentGroup = -1;
        RefreshGroupRows();
        c->timedFlag = 0;
    }
    if (c) c->selectedCity = city;
    city->ArrangeUnits(false);
    OpenCityPanel(city);
    buildingSelected = 1;
    const int32_t kind = city->Kind();
    const int32_t row = kind == 0 ? city->CellY() - 21 : (kind == 1 || kind == 6) ? city->CellY() - 30 : 0;
    CentreOn(city->CellX() - 10, row);
}

void MapView::DeselectBuilding(City* city) {
    if (!city || !city->unitsShown) return;
    PlaySoundEffect(48);
    Stamp(city->CellX(), city->CellY(), CityPattern(*city, false));
    if (GameController* c = TheGameController) c->cityPanelMode = 0;
    city->RemoveUnitFromMap();
    CloseCityPanel(city);
    buildingSelected = 0;
}

void MapView::SelectSubCastle(SubCastle* sc) {
    if (!sc || (sc->Kind() != 4 && sc->Kind() != 5) || sc->unitsShown) return;
    PlaySoundEffect(47);
    DeselectAll();
    const int32_t x = sc->Int(SubCastleLayout::kX), y = sc->Int(SubCastleLayout::kY);
    Stamp(x, y, sc->Kind() == 4 ? 13 : 25);
    GameController* c = TheGameController;
    if (c) c->currentGroup = -1;
    sc->RelocateUnit(false);
    if (c) {
        c->selectedSubCastle = sc;
        c->timedFlag = 0;
    }
    OpenSubCastlePanel(sc);
    buildingSelected = 1;
    CentreOn(x - 10, y - 30);
}

void MapView::DeselectSubCastle(SubCastle* sc) {
    if (!sc || !sc->unitsShown) return;
    PlaySoundEffect(48);
    Stamp(sc->Int(SubCastleLayout::kX), sc->Int(SubCastleLayout::kY), sc->Kind() == 4 ? 12 : 24);
    if (GameController* c = TheGameController) c->cityPanelMode = 0;
    CloseSubCastlePanel(sc);
    sc->RemoveUnitFromMap();
    buildingSelected = 0;
}

void MapView::SetCommandMode(int32_t, int16_t mode) {
    static constexpr int kShapes[8] = {1, 20, 21, 23, 24, 25, 22, 22};
    DeselectAll();
    commandMode = uint16_t(mode);
    if (TheMouseCursor && mode >= 1 && mode <= 7) TheMouseCursor->SetShapeChecked(kShapes[mode]);
    DisableSidePanelButtons();
}

bool MapView::IsSelectedLeader(const Troop* t) const {
    const GameController* c = TheGameController;
    return c && c->cityPanelMode == 1 && currentCity && currentCity->currentUnit == t;
}

bool MapView::CanSelectTroop(const Troop* t, bool excludeLeader) const {
    const GameController* c = TheGameController;
    if (!t || !c) return false;
    if (t->IsGone() || !t->officer || t->officer->Get(OfficerLayout::kControllable) == 0 ||
        TroopAttribute(t) == 2)
        return false;
    if (!PassesStateChecks(t, c->cityPanelMode)) return false;
    if (c->everythingSelectable) return true;
    const int32_t player = PlayerKingdom();
    const int32_t policy = t->officer->Get(OfficerLayout::kPolicy);
    if (policy == 0) {
        if (t->owner != player) return false;
    } else if (t->garrison == 0 ? policy != player : t->owner != player) {
        return false;
    }
    if (!(TheBattleMap && TheBattleMap->troopClassSwitch) && TroopAttribute(t) > 9) return false;
    return !(excludeLeader && IsSelectedLeader(t));
}

bool MapView::IsEnemyTarget(const Troop* t) const {
    const GameController* c = TheGameController;
    if (!t || !c || !PassesStateChecks(t, c->cityPanelMode)) return false;
    if (c->everythingSelectable) return true;
    if (t->drawingMode == 6) return false;
    return t->owner != PlayerKingdom();
}
