#include "windows/city/Win13Window.h"

#include "Program/GameController.h"
#include "Program/ScreenControls.h"
#include "engine/LinkList.h"
#include "engine/Rect.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiPanel.h"
#include "gui/MouseCursor.h"
#include "gui/ToggleButton.h"
#include "net/GameRecordChannel.h"
#include "net/SubCommands.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/SubCastle.h"
#include "troops/TroopWorld.h"
#include "windows/city/CitySelection.h"
#include "windows/city/Win14Window.h"
#include "windows/city/Win16Window.h"
#include "windows/city/Win18Window.h"
#include "windows/city/Win98Window.h"
#include "windows/main/FieldText.h"
#include "windows/main/SidePanelLock.h"
#include "windows/unit/Win05Window.h"
#include "windows/unit/Win99Window.h"
#include "world/MapView.h"

#include <algorithm>

namespace {

constexpr int kPage = 0x100, kPost = 0x101, kGate = 0x102, kToggle = 0x103, kOrder = 0x104,
              kTransport = 0x105, kFocus = 0x106, kStock = 0x107, kPrevious = 0x108, kNext = 0x109,
              kBuild = 0x10A, kRecruit = 0x10B;
constexpr int kQueueFirst = 0x400, kQueueStrip = 0x201;
// Soldier icons follow the item icons in the shared icon set.
constexpr int32_t kFirstQueueId = 415, kFirstSoldierIcon = 261;

template <class T>
void Drop(T*& window) {
    if (!window) return;
    window->Close(1);
    delete window;
    window = nullptr;
}

} // namespace

Win13Window::Win13Window(Widget* parentWidget, Win98Window* owner)
    : CityWindow(parentWidget, "Win13.gui"), host(owner) {}

Win13Window::~Win13Window() {
    Close();
}

void Win13Window::Open(int openStock, Troop* troop) {
    City* city = SelectedCity();
    if (Win05Window* units = UnitPanel()) units->ClosePanel();
    Close();
    if (!city) return;
    OpenView();
    if (host) host->commandPanel = view;
    name = std::string(city->Text(CityLayout::kName, 20));
    ShowFieldTextColored(name.c_str(), &nameFont, controls, 0, 2, 24, 1, 154, 176, 210);
    BuildListButtons();
    if (host && host->statusBar) host->statusBar->Show();
    int row = 0;
    if (troop)
        for (int i = 0; i < city->units.GetCount(); ++i)
            if (city->units.GetAt(i) == reinterpret_cast<uintptr_t>(troop)) row = i;
    if (Win05Window* units = UnitPanel()) units->ShowUnits(&city->units, row, 0, 1, 0);
    MarkPage(Find(kPage));
    if (!city->FindSubCastleOfKind(4)) DisableButton(Find(kPost));
    if (!city->FindSubCastleOfKind(5)) DisableButton(Find(kGate));
    ShowToggle();
    if (!city->currentUnit) {
        DisableButton(Find(kToggle));
        DisableButton(Find(kBuild));
        DisableButton(Find(kRecruit));
    }
    if (openStock) Press(kStock);
    if (const Kingdom* side = TroopKingdom(city->ownerSide); side && side->focusCity == city)
        MarkPage(Find(kFocus));
    TestCycleButtons(controls, city->Kind(), kPrevious);
}

void Win13Window::Close() {
    if (host && host->statusBar) host->statusBar->Hide(1);
    if (Win05Window* units = UnitPanel()) units->ClosePanel();
    if (!view) return;
    Drop(building);
    Drop(recruiting);
    Drop(stock);
    if (transport) {
        Drop(transport);
        UnlockSidePanels(0);
    }
    CloseView(1);
    if (host) host->commandPanel = nullptr;
}

void Win13Window::ShowToggle() {
    City* city = SelectedCity();
    if (!view || !city) return;
    SetButtonState(Find(kToggle), 2, city->toggleFlag, 0);
    EnableIf(Find(kBuild), city->toggleFlag == 0);
    EnableIf(Find(kRecruit), city->toggleFlag == 0);
    if (city->toggleFlag == 0) {
        ShowButtonNormal(Find(kBuild));
        ShowButtonNormal(Find(kRecruit));
    }
}

void Win13Window::UpdateUnitButtons(int showList) {
    City* city = SelectedCity();
    if (!view || !city) return;
    if (showList == 1) {
        if (Win05Window* units = UnitPanel()) units->ShowUnits(&city->units, 0, 0, 1, 0);
        return;
    }
    if (!city->currentUnit) {
        DisableButton(Find(kBuild));
        DisableButton(Find(kRecruit));
        // Losing the leader ends the city's own planning here only: nothing is sent.
        if (city->toggleFlag) city->ApplyToggleFlag(0);
        DisableButton(Find(kToggle));
        return;
    }
    for (int id : {kToggle, kBuild, kRecruit}) {
        EnableButton(Find(id));
        ShowButtonNormal(Find(id));
    }
}

void Win13Window::BuildListButtons() {
    if (!view) return;
    for (int id = kQueueFirst;; ++id) {
        Widget* w = Find(id);
        if (!w) break;
        view->RemoveChild(w);
        DeferDelete(w);
    }
    Widget* strip = Find(kQueueStrip);
    ShowFieldText(emptyText.c_str(), &queueFont, controls, 1, 0, 12);
    City* city = SelectedCity();
    const int n = city ? city->trainingQueue.GetCount() : 0;
    if (!strip || n <= 0) return;
    const Rect r = strip->rect;
    const int span = r.right - r.left;
    int w = span / n, spare = 0;
    if (w < 20)
        spare = span - (n * w + 20 - w);
    else
        w = 20;
    GuiLayout* icons = TheWin99 ? TheWin99->GetIconLayout() : nullptr;
    int x = r.left;
    for (int i = 0; i < n; ++i) {
        int width = w;
        if (spare < 0) {
            --width;
            ++spare;
        } else if (spare > 0) {
            ++width;
            --spare;
        }
        const auto* entry = reinterpret_cast<const TrainingEntry*>(city->trainingQueue.GetAt(i));
        auto* button =
            new ToggleButton(nullptr, 0, new Rect(x, r.top - 2, x + width, r.top - 2 + 30), view, this, 1);
        button->id = int16_t(kQueueFirst + i);
        button->groupWord = 0x400;
        if (GuiImage** table = IconTable(icons, entry->templateNumber - kFirstQueueId + kFirstSoldierIcon)) {
            button->table = table;
            button->normalIndex = 0;
            button->thirdIndex = 1;
            button->hoverIndex = 2;
            button->disabledIndex = 3;
        }
        button->Enable();
        x += width;
    }
    view->RefreshControl(0x400);
}

void Win13Window::AppendQueueEntry(int32_t queueId) {
    City* city = SelectedCity();
    if (!city) return;
    city->trainingQueue.Last();
    city->trainingQueue.Add(reinterpret_cast<uintptr_t>(new TrainingEntry(queueId)));
    BuildListButtons();
}

int Win13Window::PressButton(int n) {
    if (!view) return 0;
    GameController* c = TheGameController;
    if (!c || !c->gameScreen || (c->gameScreen->panel && c->gameScreen->panel->enabled == 0)) return 1;
    if (TheMouseCursor && TheMouseCursor->captured) {
        if ((TheMouseCursor->captured->id & 0xFF00) == 0x100) ShowButtonNormal(TheMouseCursor->captured);
        TheMouseCursor->ReleaseCapture();
    }
    Widget* button = Find(0x100 + n);
    if (button && button->enabled) OnControlClick(button, nullptr);
    return 1;
}

void Win13Window::OnControlRightPress(Widget* control, Point*) {
    City* city = SelectedCity();
    if (!control || !city || !view || control->parent != static_cast<Widget*>(view)) return;
    const int i = control->id - kQueueFirst;
    if (i < 0 || i >= city->trainingQueue.GetCount()) return;
    // What was paid for the entry stays paid.
    auto* entry = reinterpret_cast<TrainingEntry*>(city->trainingQueue.GetAt(i));
    city->trainingQueue.RemoveCurrent();
    delete entry;
    BuildListButtons();
}

void Win13Window::OnControlClick(Widget* control, Point*) {
    if (!OwnButton(control)) return;
    City* city = SelectedCity();
    if (!city) return;
    switch (control->id) {
    case kPost:
        SelectCityObject(0, 4, false);
        break;
    case kGate:
        SelectCityObject(0, 5, false);
        break;
    case kToggle: {
        const uint8_t value = uint8_t(1 - city->toggleFlag);
        if (DecidesHere()) city->ApplyToggleFlag(value);
        if (GameNetworked())
            if (GameRecordChannel* channel = TheGameController ? TheGameController->recordChannel : nullptr)
                channel->SendCityToggleFlag(city, value);
        break;
    }
    case kOrder:
        if (TheGameController && TheGameController->gameScreen)
            TheGameController->gameScreen->SetCommandMode(0, 1);
        break;
    case kTransport:
        if (transport) break;
        transport = OpenCityTransport(parent, this);
        if (transport) LockSidePanels(0);
        break;
    case kFocus:
        NetCmdForceFocus(city);
        MarkPage(control);
        break;
    case kStock:
        if (stock) break;
        stock = new Win14Window(parent, this, 0, 0, 1);
        stock->Show();
        LockSidePanels(1);
        break;
    case kPrevious:
    case kNext:
        SelectCityObject(control->id == kPrevious ? 1 : 2, city->Kind(), false);
        if (view) TestCycleButtons(controls, city->Kind(), kPrevious);
        break;
    case kBuild:
        if (building) break;
        building = new Win18Window(parent, this);
        LockSidePanels(0);
        break;
    case kRecruit:
        if (recruiting) break;
        recruiting = new Win16Window(parent, this);
        LockSidePanels(0);
        break;
    default:
        break;
    }
}

void Win13Window::OnNotify(Window* child, int code) {
    GameController* c = TheGameController;
    if (child && child == building) {
        if (code == 1) {
            if (building->chosenKind != 0xFF) {
                chosenBuilding = building->chosenKind;
                if (c) c->BeginBuildingPlacement(chosenBuilding);
            }
            return;
        }
        Drop(building);
        UnlockSidePanels(0);
        MapView* screen = c ? c->gameScreen : nullptr;
        City* city = SelectedCity();
        if (screen) {
            screen->placingBuilding = 0;
            if (city) {
                screen->SetViewOrigin(std::max(city->CellX() - 10, screen->scrollMinX),
                                      std::max(city->CellY() - 21, screen->scrollMinY) & ~1);
                screen->Redraw();
            }
        }
        return;
    }
    if (child && child == recruiting) {
        Drop(recruiting);
        UnlockSidePanels(0);
    } else if (child && child == stock) {
        Drop(stock);
        UnlockSidePanels(1);
    } else if (child && child == transport) {
        transport->Close(1);
        delete transport;
        transport = nullptr;
        UnlockSidePanels(0);
    }
}
