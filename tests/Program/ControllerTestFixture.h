#pragma once

// A battle on a 40 x 80 map in sight with the player's kingdom 1 and an enemy at war (2), a map
// view, a cursor and the controller in battle mode; commands sent are caught on their way out.

#include "troops/TroopFixture.h"

#include "Program/MainWindow.h"
#include "engine/LinkList.h"
#include "engine/Rect.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiPanel.h"
#include "gui/InputQueue.h"
#include "gui/MouseCursor.h"
#include "gui/RootWidget.h"
#include "net/TroopCommandCodec.h"
#include "platform/Messages.h"
#include "platform/Window.h"
#include "world/MapView.h"

#include <vector>

namespace controllertest {

inline std::vector<TroopCommand>* Sent = nullptr;
inline void Capture(uint8_t code, const uint8_t* payload, size_t length) {
    if (auto c = UnpackTroopCommand(code, {payload, length})) Sent->push_back(*c);
}

inline void Key(int vk, bool down) {
    platform::RawInputEvent e;
    e.kind = down ? platform::RawInputEvent::KeyDown : platform::RawInputEvent::KeyUp;
    e.virtualKey = vk;
    platform::HandleRawInput(nullptr, e);
}

struct ControllerBattle {
    trooptest::Battle b;
    Kingdom* player = b.AddKingdom(1, true);
    Kingdom* enemy = b.AddKingdom(2);
    RootWidget* root = TheRootWidget = new RootWidget(new Rect(0, 0, 800, 600));
    MapView* view = new MapView;
    MouseCursor* cursor = new MouseCursor;
    GuiMessageQueue* queue = TheGuiMessageQueue = new GuiMessageQueue;
    GameController* c = TheGameController;
    FrameRecord picture;
    Troop::FrameLink shown{nullptr, &picture};
    std::vector<TroopCommand> sent;
    int32_t keepActive = ActiveFlag;

    ControllerBattle() {
        trooptest::Battle::War(player, enemy);
        for (int y = 0; y < trooptest::kMapRows; ++y)
            for (int x = 0; x < trooptest::kMapWidth; ++x)
                TheBattleMap->CellAt(x, y)->sightCount = 2;
        c->gameScreen = view;
        view->mapWidth = trooptest::kMapWidth;
        view->mapHeight = trooptest::kMapRows;
        view->SetView(0, 0, trooptest::kMapWidth, trooptest::kMapRows);
        TheMouseCursor = cursor;
        ActiveFlag = 1;
        c->mode = 1;
        c->running = 1;
        Sent = &sent;
        SetGameCommandSender(&Capture);
    }
    ~ControllerBattle() {
        Key(platform::VK_CONTROL, false);
        platform::ResetWindowsForTest();
        SetGameCommandSender(nullptr);
        Sent = nullptr;
        ActiveFlag = keepActive;
        TheMouseCursor = nullptr;
        delete cursor;
        TheGuiMessageQueue = nullptr;
        delete queue;
        c->gameScreen = nullptr;
        delete view;
        FlushDeferredDeletes();
        delete root;
        TheRootWidget = nullptr;
    }
    ControllerBattle(const ControllerBattle&) = delete;
    ControllerBattle& operator=(const ControllerBattle&) = delete;

    // A selectable troop standing on (x, y), with a picture so the pointer can find it.
    Troop* Unit(Kingdom* k, int x, int y) {
        Troop* t = b.AddTroop(k, x, y, 1, 0, 0);
        t->officer->Set(OfficerLayout::kControllable, 1);
        t->frame = &picture;
        t->currentNode = &shown;
        return t;
    }
    void Mouse(uint32_t message, int x, int y) {
        c->mouseX = x;
        c->mouseY = y;
        c->OnMouse(message);
    }
    std::vector<Troop*> Selected() const {
        std::vector<Troop*> out;
        for (int i = 0; i < c->selection->GetCount(); ++i)
            out.push_back(reinterpret_cast<Troop*>(c->selection->GetAt(i)));
        return out;
    }
    std::vector<Troop*> Group(int n) const {
        std::vector<Troop*> out;
        for (int i = 0; i < c->groups[n]->GetCount(); ++i)
            out.push_back(reinterpret_cast<Troop*>(c->groups[n]->GetAt(i)));
        return out;
    }
};

} // namespace controllertest
