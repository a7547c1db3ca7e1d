#include "windows/city/Win98Window.h"

#include "Program/GameController.h"
#include "Program/ScreenControls.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "records/City.h"
#include "records/CityWorks.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "windows/WindowHosts.h"
#include "windows/city/CityWindow.h"
#include "windows/city/SubCastlePanels.h"
#include "windows/city/Win13Window.h"
#include "windows/city/Win14Window.h"
#include "windows/city/Win16Window.h"
#include "windows/city/Win18Window.h"
#include "windows/city/Win22Window.h"
#include "windows/city/Win23Window.h"
#include "windows/main/FieldText.h"
#include "windows/main/Win01Window.h"
#include "windows/unit/UnitPanels.h"

#include <string>

Win98Window* TheWin98 = nullptr;

namespace {

// The led troop's share of intelligence and charm in the status bar.
constexpr int32_t kFirstDivisor = 5, kSecondDivisor = 10, kThirdDivisor = 10;

// The main panel's first menu button shares the status bar's place.
void MainPanelButton(bool on) {
    Win01Window* main = MainPanel();
    if (!main || !main->menuPanel) return;
    if (on)
        main->EnableMenuButton0();
    else
        main->DisableMenuButton0();
}

} // namespace

City* SelectedCity() {
    return TheGameController ? TheGameController->selectedCity : nullptr;
}

void RefreshCityFields(City* city, int mask) {
    if (!TheWin98 || !city || city != SelectedCity()) return;
    if (TheWin98->statusBar) TheWin98->statusBar->RefreshCityFields(mask);
    if (Win18Window* building = OpenBuildingWindow()) building->RefreshButtons();
    if (Win16Window* recruiting = OpenRecruitingWindow()) recruiting->RefreshButtons();
}

void RefreshCityLists(City* city) {
    if (!TheWin98 || !city) return;
    if (Win13Window* panel = TheWin98->command) {
        if (Win14Window* stock = panel->stock; stock && stock->city == city) {
            stock->ScrollItemList(-2);
            stock->ScrollTroopList(-2, stock->mode == 2);
        }
        if (Win23Window* transport = OpenTransportWindow();
            transport && transport->stock && transport->city == city) {
            transport->stock->ScrollItemList(-2);
            transport->stock->ScrollTroopList(-2, false);
        }
    }
    if (Win21Window* market = TheWin98->marketPanel)
        if (Win22Window* trade = market->market; trade && trade->city == city) {
            trade->ShowTroopItems(-2);
            trade->ShowCityItems(-2);
            trade->ShowAmounts();
        }
}

Win98Window::Win98Window(Widget* parentWidget) : layout(new GuiLayout("Win98.gui")) {
    statusBar = new Win03Window(parentWidget, this);
    command = new Win13Window(parentWidget, this);
    postPanel = new Win20Window(parentWidget, this);
    marketPanel = new Win21Window(parentWidget, this);
    townPanel = new Win15Window(parentWidget, this);
    campPanel = new Win15_1Window(parentWidget, this);
}

Win98Window::~Win98Window() {
    delete statusBar;
    statusBar = nullptr;
    delete command;
    command = nullptr;
    delete postPanel;
    postPanel = nullptr;
    delete marketPanel;
    marketPanel = nullptr;
    delete townPanel;
    townPanel = nullptr;
    delete campPanel;
    campPanel = nullptr;
    DeferDelete(layout);
    layout = nullptr;
}

Win03Window::Win03Window(Widget* parentWidget, Win98Window* owner)
    : parent(parentWidget), host(owner), layout(new GuiLayout("Win03.gui")) {}

Win03Window::~Win03Window() {
    Hide(1);
    DeferDelete(layout);
}

void Win03Window::Show() {
    if (view) {
        SwitchPanel(view, true);
        view->visible = 1;
    } else {
        view = OpenLayoutPanel(layout, parent, this, controls);
    }
    RefreshCityFields(0xFB);
    MainPanelButton(false);
}

int Win03Window::Hide(int result) {
    if (view) {
        view->result = result;
        DropPanel(view);
        controls = nullptr;
        MainPanelButton(true);
    }
    return 1;
}

void Win03Window::RefreshCityFields(int mask) {
    City* city = SelectedCity();
    if (view && city) {
        Troop* led = city->currentUnit;
        const OfficerRecord* officer = led ? led->officer : nullptr;
        auto number = [&](int index, int32_t value) {
            texts[index] = std::to_string(value);
            ShowFieldText(texts[index].c_str(), &fonts[index], controls, index, 0, 12);
        };
        auto value = [&](uint32_t column) { return city->Int(column); };
        if (mask & 0x80) {
            const Kingdom* side = TroopKingdom(city->ownerSide);
            const uint16_t c = side ? side->colour : 0xFFFF;
            ShowFieldColor(100, uint8_t((c >> 8) & 0xF8), uint8_t((c >> 3) & 0xFC), uint8_t((c << 3) & 0xF8),
                           controls, 0, 0);
            texts[1] = std::string(city->Text(CityLayout::kName, 20));
            ShowFieldText(texts[1].c_str(), &fonts[1], controls, 1, 2, 12);
            number(2, city->Scale());
            number(3, city->units.GetCount());
        }
        if (mask & 0x40) number(4, value(CityLayout::kPopulation));
        if (mask & 0x01) number(5, value(CityLayout::kGold));
        if (mask & 0x02) number(6, value(CityLayout::kFood));
        if (mask & 0x08) {
            number(7, value(CityWorkColumns::kDevelopment));
            if (officer) number(8, officer->Get(OfficerLayout::kIntelligence) / kFirstDivisor);
        }
        if (mask & 0x10) {
            number(9, value(CityWorkColumns::kCommerce));
            if (officer)
                number(10, officer->Get(OfficerLayout::kIntelligence) / kSecondDivisor +
                               officer->Get(OfficerLayout::kCharm) / kThirdDivisor);
        }
        if (mask & 0x20) number(11, value(CityWorkColumns::kMorale));
        if (officer) number(12, officer->Get(OfficerLayout::kCharm) / kFirstDivisor);
    }
    if (!(mask & 3) || !host) return;
    if (Win13Window* panel = host->command)
        for (Win14Window* stock :
             {panel->stock, OpenTransportWindow() ? OpenTransportWindow()->stock : nullptr})
            if (stock) {
                if (mask & 1) stock->ShowGold();
                if (mask & 2) stock->ShowFood();
            }
    if (Win21Window* market = host->marketPanel)
        if (Win22Window* trade = market->market) {
            if (mask & 1) trade->ShowGold();
            if (mask & 2) trade->ShowAmounts();
        }
    if (mask & 1) {
        if (host->postPanel) host->postPanel->GoldTest();
        if (host->marketPanel) host->marketPanel->GoldTest();
    }
}
