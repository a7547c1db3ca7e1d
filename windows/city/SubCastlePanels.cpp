#include "windows/city/SubCastlePanels.h"

#include "Program/GameController.h"
#include "Program/ScreenControls.h"
#include "engine/LinkList.h"
#include "gui/GuiPanel.h"
#include "gui/MouseCursor.h"
#include "records/City.h"
#include "records/CityWorks.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "windows/city/CitySelection.h"
#include "windows/city/Win22Window.h"
#include "windows/city/Win98Window.h"
#include "windows/main/FieldText.h"
#include "windows/main/SidePanelLock.h"
#include "windows/unit/Win05Window.h"
#include "world/BattleMap.h"
#include "world/MapView.h"

namespace {

constexpr int kPostOrders[4] = {0x103, 0x104, 0x107, 0x108};
constexpr int kMarketOrders[3] = {0x103, 0x106, 0x107};
constexpr int32_t kOrderPrice = 100;
const char* const kSpecialNames[8] = {"水兵",   "兩棲水兵", "藤甲兵", "刺藤甲兵",
                                      "蠻牛兵", "蠻象兵",   "山賊",   "馬賊"};

void CommandMode(int mode) {
    if (TheGameController && TheGameController->gameScreen)
        TheGameController->gameScreen->SetCommandMode(0, int16_t(mode));
}

int RowOf(LinkList* list, Troop* troop) {
    if (!list || !troop) return 0;
    for (int i = 0; i < list->GetCount(); ++i)
        if (list->GetAt(i) == reinterpret_cast<uintptr_t>(troop)) return i;
    return 0;
}

} // namespace

CityPagePanel::CityPagePanel(Widget* parentWidget, Win98Window* owner, const char* layoutFile)
    : CityWindow(parentWidget, layoutFile), host(owner) {}

void CityPagePanel::ShowName() {
    if (!city) return;
    name = std::string(city->Text(CityLayout::kName, 20));
    ShowFieldTextColored(name.c_str(), &nameFont, controls, 0, 2, 24, 1, 154, 176, 210);
}

void CityPagePanel::ListTroops(LinkList* list, Troop* troop, int mode) {
    if (Win05Window* units = UnitPanel()) units->ShowUnits(list, RowOf(list, troop), 0, mode, 0);
}

void CityPagePanel::Close() {
    if (Win05Window* units = UnitPanel()) units->ClosePanel();
    CloseView(1);
}

int CityPagePanel::PressButton(int n) {
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

SubCastlePanel::SubCastlePanel(Widget* parentWidget, Win98Window* owner, const char* layoutFile,
                               int32_t ownKind)
    : CityPagePanel(parentWidget, owner, layoutFile), kind(ownKind) {}

void SubCastlePanel::Open(Troop* troop) {
    OpenView();
    GameController* c = TheGameController;
    subCastle = c ? c->selectedSubCastle : nullptr;
    city = nullptr;
    if (subCastle && TheBattleMap && subCastle->cityId >= 0 && subCastle->cityId < BattleMap::kCities)
        city = TheBattleMap->cities[subCastle->cityId];
    if (c && city) c->selectedCity = city;
    if (!subCastle || !subCastle->leader)
        for (int i = 0; i < orderCount; ++i)
            DisableButton(Find(orders[i]));
    ShowName();
    MarkPage(Find(pageMark));
    if (!city || !city->FindSubCastleOfKind(otherKind)) DisableButton(Find(otherButton));
    if (host && host->statusBar) host->statusBar->Show();
    if (subCastle) ListTroops(&subCastle->units, troop, 2);
    TestCycleButtons(controls, kind, firstStep);
    GoldTest();
}

void SubCastlePanel::Close() {
    if (host && host->statusBar) host->statusBar->Hide(1);
    CityPagePanel::Close();
    GameController* c = TheGameController;
    MapView* screen = c ? c->gameScreen : nullptr;
    if (screen && screen->commandMode) {
        screen->commandMode = 0;
        if (TheMouseCursor) TheMouseCursor->SetShape(1);
    }
    EnableSidePanelButtons();
}

void SubCastlePanel::EnableButtons() {
    if (!view || !subCastle || !subCastle->leader) return;
    for (int i = 0; i < orderCount; ++i)
        EnableButton(Find(orders[i]));
    GoldTest();
}

void SubCastlePanel::GoldTest() {
    if (!view || !subCastle || !subCastle->leader || !city) return;
    EnableIf(Find(pricedButton), city->Int(CityLayout::kGold) >= kOrderPrice);
}

void SubCastlePanel::OnControlClick(Widget* control, Point*) {
    if (!OwnButton(control)) return;
    const int id = control->id;
    if (id == 0x100) {
        SelectCityObject(0, 0, false);
    } else if (id == otherButton) {
        SelectCityObject(0, otherKind, false);
    } else if (id == firstStep || id == firstStep + 1) {
        SelectCityObject(id == firstStep ? 1 : 2, kind, false);
        if (view) TestCycleButtons(controls, kind, firstStep);
    } else {
        Command(id);
    }
}

Win20Window::Win20Window(Widget* parentWidget, Win98Window* owner)
    : SubCastlePanel(parentWidget, owner, "Win20.gui", 5) {
    orders = kPostOrders;
    orderCount = 4;
    pricedButton = 0x108;
    pageMark = 0x102;
    otherButton = 0x101;
    otherKind = 4;
    firstStep = 0x105;
}

void Win20Window::Command(int id) {
    switch (id) {
    case 0x103:
        CommandMode(3);
        break;
    case 0x104:
        CommandMode(4);
        break;
    case 0x107:
        CommandMode(5);
        break;
    case 0x108:
        CommandMode(6);
        break;
    default:
        break;
    }
}

Win21Window::Win21Window(Widget* parentWidget, Win98Window* owner)
    : SubCastlePanel(parentWidget, owner, "Win21.gui", 4) {
    orders = kMarketOrders;
    orderCount = 3;
    pricedButton = 0x106;
    pageMark = 0x101;
    otherButton = 0x102;
    otherKind = 5;
    firstStep = 0x104;
}

Win21Window::~Win21Window() {
    if (market) {
        market->Close(1);
        delete market;
        market = nullptr;
    }
}

void Win21Window::Command(int id) {
    switch (id) {
    case 0x103:
        CommandMode(2);
        break;
    case 0x106:
        CommandMode(7);
        break;
    case 0x107:
        if (market) break;
        market = new Win22Window(parent, this, 1);
        LockSidePanels(0);
        break;
    default:
        break;
    }
}

void Win21Window::OnNotify(Window* child, int) {
    if (!child || child != market) return;
    market->Close(1);
    delete market;
    market = nullptr;
    UnlockSidePanels(0);
}

Win15Window::Win15Window(Widget* parentWidget, Win98Window* owner, const char* layoutFile)
    : CityPagePanel(parentWidget, owner, layoutFile) {}

void Win15Window::Open(Troop* troop) {
    OpenView();
    city = SelectedCity();
    if (!city) return;
    ShowName();
    ListTroops(&city->units, troop, 1);
    TestCycleButtons(controls, city->Kind(), 0x100);
}

void Win15Window::OnControlClick(Widget* control, Point*) {
    if (!OwnButton(control) || !city) return;
    if (control->id != 0x100 && control->id != 0x101) return;
    const int32_t kind = city->Kind();
    SelectCityObject(control->id == 0x100 ? 1 : 2, kind, false);
    if (view) TestCycleButtons(controls, kind, 0x100);
}

Win15_1Window::Win15_1Window(Widget* parentWidget, Win98Window* owner)
    : Win15Window(parentWidget, owner, "Win15_1.gui") {}

void Win15_1Window::Open(Troop* troop) {
    Win15Window::Open(troop);
    if (!city) return;
    const int32_t special = city->Int(CityWorkColumns::kSpecialBarracks) - 15;
    if (special < 0 || special > 7) return;
    const Troop* general = city->units.GetCount()
                               ? reinterpret_cast<const Troop*>(city->units.GetAt(city->units.GetCount() - 1))
                               : nullptr;
    texts[0] = general && general->officer ? std::string(general->officer->Name()) : "";
    texts[1] = std::to_string(city->Int(CityLayout::kGold));
    texts[2] = std::to_string(city->Int(CityLayout::kFood));
    texts[3] = std::string(kSpecialNames[special]) + " " +
               std::to_string(city->Int(CityWorkColumns::kSpecialTroops + 4 * uint32_t(special)));
    ShowFieldText(texts[0].c_str(), &fonts[0], controls, 1, 2, 14);
    ShowFieldText(texts[1].c_str(), &fonts[1], controls, 2, 0, 14);
    ShowFieldText(texts[2].c_str(), &fonts[2], controls, 3, 0, 14);
    ShowFieldText(texts[3].c_str(), &fonts[3], controls, 4, 0, 14);
}
