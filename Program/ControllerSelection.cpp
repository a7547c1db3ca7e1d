#include "Program/GameController.h"

#include "Program/SoundEffects.h"
#include "engine/LinkList.h"
#include "gui/GuiMessage.h"
#include "net/TroopCommands.h"
#include "platform/CRand.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "windows/main/Win11Window.h"
#include "windows/unit/Win05Window.h"
#include "world/MapView.h"

#include <algorithm>

namespace {
bool RemoveEvery(LinkList* list, Troop* troop) {
    if (!list) return false;
    bool removed = false;
    while (list->RemoveValue(reinterpret_cast<uintptr_t>(troop)))
        removed = true;
    return removed;
}
// Every selected unit of the list is marked to leave for the cell; false when none is selected.
bool MarkSelectedUnits(LinkList& units, int32_t x, int32_t y) {
    bool any = false;
    for (Troop* t : ListValues<Troop>(units)) {
        if (!t->selected) continue;
        t->goalX = int16_t(x);
        t->goalY = int16_t(y);
        t->pendingSortie = 1;
        any = true;
    }
    return any;
}
} // namespace

void GameController::LeaveGroupTargets() {
    if (!gameScreen) return;
    gameScreen->DeselectBuilding(static_cast<City*>(groupTargetA));
    gameScreen->DeselectSubCastle(static_cast<SubCastle*>(groupTargetB));
}

void GameController::DeselectTroop(Troop* troop) {
    if (!troop) return;
    if (troop->selected) {
        troop->selected = 0;
        RemoveEvery(selection, troop);
        if (focusList) RemoveEvery(focusList, troop);
        if (currentTroop == troop) currentTroop = nullptr;
        if (selection && selection->GetCount() == 0) selectionActive = 0;
        if (Win05Window* panel = UnitPanel(); panel && panel->Shown()) {
            panel->UpdateTroop(nullptr, 0);
            if (selection && selection->GetCount() == 0 && groupCommandMode != 1) panel->ClosePanel();
        }
    } else {
        // A troop whose selected byte was cleared elsewhere must not stay behind in the list.
        RemoveEvery(selection, troop);
    }
    // Every group is searched: a stale group byte must not leave the troop behind in another one.
    for (int group = 0; group < 10; ++group) {
        LinkList* list = groups[group];
        if (!RemoveEvery(list, troop)) continue;
        GroupHeader* header = groupHeaders[group];
        if (header && header->memberCount > 0) --header->memberCount;
        if (list->GetCount() != 0) continue;
        if (header) *header = GroupHeader{};
        currentGroup = -1;
    }
    RefreshGroupRows();
    troop->hotKeyGroup = -1;
}

int GameController::MinimapPointToCell(const GuiMessage* point, int32_t cell[2]) const {
    if (!point || !gameScreen) return 0;
    const MapView& v = *gameScreen;
    // The map's cells sit where the minimap picture placed them.
    const int32_t left = minimapAreaX + 25 + v.minimapLeft, top = minimapAreaY + 27 + v.minimapTop;
    const int32_t width = v.minimapWidth, height = v.minimapHeight;
    const int32_t x = point->point.x, y = point->point.y;
    if (width <= 0 || height <= 0 || x < left || x >= left + width || y < top || y >= top + height) return 0;
    cell[0] = std::clamp((x - left) * v.mapWidth / width, 0, std::max(0, v.mapWidth - 1));
    cell[1] = std::clamp((y - top) * v.mapHeight / height, 0, std::max(0, v.mapHeight - 1));
    return 1;
}

void GameController::ClickSelect(const GuiMessage* point) {
    if (!gameScreen || gameScreen->placingBuilding || !gameScreen->clickReady) return;
    MapView& v = *gameScreen;
    if (groupCommandMode == 1) {
        LeaveGroupTargets();
        groupCommandMode = 0;
        groupTargetA = groupTargetB = nullptr;
        selectedCity = nullptr;
        v.hoveredObject = nullptr;
        if (selectionActive && selection && selection->GetCount() > 0 &&
            reinterpret_cast<Troop*>(selection->GetAt(0))->garrison != 0) {
            v.DeselectAll();
            currentGroup = -1;
        }
    }
    int32_t cell[2];
    if (!MinimapPointToCell(point, cell)) return;
    const int32_t y = std::max(0, std::min(cell[1] - 28, v.mapHeight - MapView::kViewRows)) & ~1;
    const int32_t x = std::max(0, std::min(cell[0] - 10, v.mapWidth - MapView::kViewColumns));
    v.SetViewOrigin(x, y);
    viewLeft = x;
    viewRight = x + MapView::kViewColumns;
    viewTop = y;
    viewBottom = y + MapView::kViewRows;
    v.OnClickSelect();
    v.Redraw();
}

void GameController::DragSelect(const GuiMessage* point) {
    if (!gameScreen || gameScreen->placingBuilding || !selectionActive) return;
    int32_t cell[2];
    if (!MinimapPointToCell(point, cell)) return;
    gameScreen->clickReady = 1;
    const int32_t x = cell[0], y = cell[1] / 2;
    if (selectionInCities == 0) {
        if (selection)
            for (int i = 0; i < selection->GetCount(); ++i)
                NetCmd02(reinterpret_cast<Troop*>(selection->GetAt(i)), x, y);
        return;
    }
    // The selected units waiting in the player's cities and sub-castles leave for the target.
    if (Kingdom* player = TroopKingdom(PlayerKingdom()))
        for (City* city : ListValues<City>(player->cities)) {
            if (city->markedMode != 0 && MarkSelectedUnits(city->units, x, y)) {
                city->markedMode = 3;
                city->deployOrder = 0;
            }
            for (SubCastle* sub : ListValues<SubCastle>(city->subCastles))
                if (sub->markedMode != 0 && MarkSelectedUnits(sub->units, x, y)) {
                    sub->markedMode = 3;
                    sub->sortieOrder = 0;
                }
        }
    if (groupCommandMode == 1) {
        LeaveGroupTargets();
        groupCommandMode = 0;
        groupTargetA = groupTargetB = nullptr;
        selectedCity = nullptr;
        gameScreen->hoveredObject = nullptr;
    }
    PlaySoundEffect(81 + platform::rand() % 8);
    selectionInCities = 0;
    cityOrderCounter = 0;
}

void GameController::BeginBuildingPlacement(int32_t kind) {
    if (!gameScreen) return;
    gameScreen->placingBuilding = 1;
    gameScreen->buildingKind = kind;
    gameScreen->LoadConstructAnimation();
    placementState = 0;
    gameScreen->clickReady = 1;
}

const uint8_t* GameController::FindTextBlockByKey(int32_t key) const {
    for (int i = 0; i < 300; ++i)
        if (textBlocks[i] && textBlockKeys[i] == key) return textBlocks[i];
    return nullptr;
}
