#include "records/StageEditor.h"

#include "Program/GameController.h"
#include "engine/LinkList.h"
#include "platform/Window.h"
#include "records/EditorKeyTarget.h"
#include "records/Kingdom.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"

#include <algorithm>

StageEditor* TheStageEditor = nullptr;

namespace {

// Whether the page move in the key's direction would leave the map.
bool AtEdge(int key, int32_t x, int32_t y, int32_t w, int32_t h) {
    const int32_t lastX = w - StageEditor::kPageColumns, lastY = h - StageEditor::kPageRows;
    switch (key) {
    case 0x21: // Page Up: up and right
        return y == 0 && x >= lastX;
    case 0x22: // Page Down: down and right
        return !(x < lastX || y < lastY);
    case 0x23: // End: down and left
        return x == 0 && y >= lastY;
    case 0x24: // Home: up and left
        return x == 0 && y == 0;
    case 0x25:
        return x == 0;
    case 0x26:
        return y == 0;
    case 0x27:
        return x == lastX;
    case 0x28:
        return y == lastY;
    default:
        return true;
    }
}

void PageOf(int key, int32_t& dx, int32_t& dy) {
    static constexpr int32_t kColumns[8] = {1, 1, -1, -1, -1, 0, 1, 0};
    static constexpr int32_t kRows[8] = {-1, 1, 1, -1, 0, -1, 0, 1};
    dx = kColumns[key - 0x21] * StageEditor::kPageColumns;
    dy = kRows[key - 0x21] * StageEditor::kPageRows;
}

} // namespace

void StageEditor::OnKey() {
    GameController* c = TheGameController;
    if (!c) return;
    const int key = c->scrollRequest;
    // Without a tool view there is nothing to move; the key is still used up.
    if (!toolView || key < 0x21 || key > 0x28) {
        c->scrollRequest = 0;
        return;
    }
    EditorKeyTarget& v = *toolView;
    if (platform::GetKeyState(platform::VK_CONTROL) & 0x8000) {
        if (!AtEdge(key, v.viewColumn, v.viewRow, v.mapWidth, v.mapHeight)) {
            int32_t dx = 0, dy = 0;
            PageOf(key, dx, dy);
            v.viewColumn += dx;
            v.viewRow += dy;
        }
        v.viewColumn = std::clamp(v.viewColumn, 0, std::max(0, v.mapWidth - kPageColumns));
        v.viewRow = std::clamp(v.viewRow, 0, std::max(0, v.mapHeight - kPageRows));
    }
    v.redraw = 1;
    c->scrollRequest = 0;
    c->viewLeft = v.viewColumn;
    c->viewRight = v.viewColumn + kPageColumns;
    c->viewTop = v.viewRow;
    c->viewBottom = v.viewRow + kPageRows;
}

void SetAllTroopMarkers() {
    const GameController* c = TheGameController;
    LinkList* kingdoms = StageKingdoms();
    if (!c || !kingdoms) return;
    for (uintptr_t k = kingdoms->First(); k != 0; k = kingdoms->Next()) {
        LinkList& units = reinterpret_cast<Kingdom*>(k)->fieldUnits;
        for (uintptr_t t = units.First(); t != 0; t = units.Next())
            reinterpret_cast<Troop*>(t)->SetMarker(c->markerValue);
    }
}
