#include "Program/GameController.h"

#include "Program/CodeLine.h"
#include "Program/MainWindow.h"
#include "Program/SaveLoadScreen.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "Program/Startup.h"
#include "Program/VictoryDefeat.h"
#include "engine/LinkList.h"
#include "engine/ResourceStore.h"
#include "events/SpeechBox.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiMessage.h"
#include "gui/InputQueue.h"
#include "gui/MouseCursor.h"
#include "gui/RootWidget.h"
#include "platform/MessageBox.h"
#include "platform/Window.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "windows/main/PanelKeys.h"
#include "world/BattleMap.h"
#include "world/CastleTemplate.h"
#include "world/MapView.h"
#include "world/RouteGraph.h"

#include <algorithm>

namespace {

void Route(uint32_t message, const GameController& c) {
    if (!TheMouseCursor || c.pauseScreen.load() != 0) return;
    TheMouseCursor->OnMouseMessage(message);
    if (!TheGuiMessageQueue) return;
    if (GuiMessage* taken = TheGuiMessageQueue->Take()) {
        if (TheRootWidget) TheRootWidget->HandleMessage(taken);
        delete taken;
    }
}

bool InBattle(const GameController& c) {
    return c.mode == 1;
}

bool EditorView() {
    return TheScreenSettings && TheScreenSettings->editorKeys;
}

// "請設定關卡資料"
constexpr char kSetStageData[] = "\xbd\xd0\xb3\x5d\xa9\x77\xc3\xf6\xa5\x64\xb8\xea\xae\xc6";
// The editor shell's command that opens the stage's settings.
constexpr platform::WPARAM kEditorStageCommand = 40004;

// A stage is loaded and has at least one kingdom.
bool StageHasData() {
    const Zu_StageSet* stage = TheBattleMap && TheBattleMap->scenario ? CurrentStageSet() : nullptr;
    return stage && stage->kingdoms && stage->kingdoms->GetCount() > 0;
}

} // namespace

// Mouse and keys of the game controller. A mouse message becomes one queued input record, which
// is taken at once and routed down the widget tree.
void GameController::OnMouse(uint32_t message) {
    DeferredDeleteScope scope;
    SpeechBox::OnClick(message);
    switch (message) {
    case platform::WM_MOUSEMOVE: {
        const int32_t x = mouseX, y = mouseY;
        Route(message, *this);
        if (!InBattle(*this) || !gameScreen || gameScreen->commandMode != 0) break;
        if (dragging) {
            dragEndX = std::min(x, 799);
            dragEndY = std::clamp(y, 0, 559);
        } else if (leftHeld) {
            dragEndX = std::min(x, 799);
            dragEndY = std::clamp(y, 0, 559);
            if (std::abs(dragEndX - dragStartX) > 9 || std::abs(dragEndY - dragStartY) > 9) dragging = 1;
        }
        break;
    }
    case platform::WM_LBUTTONUP: {
        pressFlag = 0;
        leftHeld = 0;
        if (!EditorView() && InBattle(*this) && dragging && gameScreen) gameScreen->BoxSelect();
        if (++clickCount == 1) clickTimer = 0;
        if (!dragging) Route(message, *this);
        dragging = 0;
        if (TheMouseCursor) TheMouseCursor->ClearImage();
        break;
    }
    default:
        Route(message, *this);
        break;
    }
}

void GameController::CentreViewOnTroop(const Troop* troop, bool rowMultipleOf4) {
    if (!troop || !gameScreen) return;
    const int32_t maxX = std::max(0, gameScreen->mapWidth - MapView::kViewColumns);
    const int32_t maxY = std::max(0, gameScreen->mapHeight - MapView::kViewRows);
    const int32_t x = std::clamp(troop->cellX - 10, 0, maxX);
    int32_t y = std::clamp(troop->cellY * 2 - 28, 0, maxY);
    if (rowMultipleOf4) y &= ~3;
    gameScreen->SetViewOrigin(x, y);
    gameScreen->Redraw();
}

void GameController::OnKeyDown(uint32_t key) {
    if (!ActiveFlag) return;
    if (key == 0x78) { // F9
        if (!networked) OpenCodeLine();
        return;
    }
    if (key == 0x76 && developerKeys) developerDisplayByte = 1;
    if (!InBattle(*this) || TheCodeLine.open) return;
    if (GameModeFlag) HandlePanelKeyDown(key);
    const bool ctrl = (platform::GetKeyState(platform::VK_CONTROL) & 0x8000) != 0;
    const bool top = viewTop == 0, left = viewLeft == 0;
    const bool right = gameScreen && viewRight >= gameScreen->mapWidth;
    const bool bottom = gameScreen && viewBottom >= gameScreen->mapHeight;
    switch (key) {
    case platform::VK_PRIOR:
        if (top) {
            if (!right) scrollRequest = platform::VK_RIGHT;
        } else {
            scrollRequest = right ? platform::VK_UP : platform::VK_PRIOR;
        }
        break;
    case platform::VK_NEXT:
        if (!bottom)
            scrollRequest = right ? platform::VK_DOWN : platform::VK_NEXT;
        else if (!right)
            scrollRequest = platform::VK_RIGHT;
        break;
    case platform::VK_END:
        if (!bottom)
            scrollRequest = left ? platform::VK_DOWN : platform::VK_END;
        else if (!left)
            scrollRequest = platform::VK_LEFT;
        break;
    case platform::VK_HOME:
        if (top) {
            if (!left) scrollRequest = platform::VK_LEFT;
        } else {
            scrollRequest = left ? platform::VK_UP : platform::VK_HOME;
        }
        break;
    case platform::VK_LEFT:
        if (!left) scrollRequest = platform::VK_LEFT;
        break;
    case platform::VK_UP:
        if (!top) scrollRequest = platform::VK_UP;
        break;
    case platform::VK_RIGHT:
        if (!right) scrollRequest = platform::VK_RIGHT;
        break;
    case platform::VK_DOWN:
        if (!bottom) scrollRequest = platform::VK_DOWN;
        break;
    case 0x4C:
    case 0x6C:
    case 0x53:
    case 0x73:
        if (ctrl && !networked && !saveLoadScreen && TheRootWidget) {
            const int loadMode = key == 0x4C || key == 0x6C ? 1 : 0;
            saveLoadScreen = new SaveLoadScreen(TheRootWidget, nullptr, loadMode);
        }
        break;
    case platform::VK_ADD:
    case platform::VK_SUBTRACT:
        if (TheScreenSettings && TheBattleMap && TheBattleMap->scenario) {
            int32_t& speed = TheScreenSettings->gameSpeed;
            const int32_t top = GameModeFlag && !developerKeys ? 9 : 10;
            speed = key == platform::VK_ADD ? std::min(speed + 1, top) : std::max(speed - 1, 0);
        }
        break;
    case 0x76:
        developerDisplayBit ^= 1;
        break;
    default:
        if (key >= '0' && key <= '9') GroupKey(key == '0' ? 9 : int(key - '1'), ctrl);
        break;
    }

    const bool editorStageFlag = TheScreenSettings && TheScreenSettings->stageEditMode;
    if (developerKeys != 1 && !editorStageFlag) return;
    switch (key) {
    case 0x71: // F2
        if (!StageHasData())
            platform::MessageBoxA(AppWindow.window, kSetStageData, "VelmoraII", platform::MB_ICONEXCLAMATION);
        else
            platform::SendMessageA(AppWindow.window, platform::WM_COMMAND, kEditorStageCommand, 0);
        break;
    case 0x72: // F3
        // Missing: the copy of one 16-bit value from the resource store's records into the stage
        // editor's two record tables: neither the value nor the tables are settled.
        if (EditorView()) StopBattleMusic();
        break;
    case 0x73: // F4
        if (TheScreenSettings && TheScreenSettings->windowed && !speechBox) BuildAndWriteRouteCache();
        break;
    case 0x74: // F5
        developerToggles[3] ^= 1;
        break;
    case 0x75: // F6
        blitToggle ^= 1;
        break;
    case 0x76: // F7
        if (EditorView())
            ClearCastleTiles(editingMap);
        else if (!GameModeFlag && !editorStageFlag)
            ExportBigMap();
        break;
    case 0x77: // F8
        RevealMap();
        break;
    default:
        break;
    }
}
