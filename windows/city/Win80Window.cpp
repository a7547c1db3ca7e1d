#include "windows/city/Win80Window.h"

#include "windows/city/Win14Window.h"
#include "windows/city/Win22Window.h"

#include "Program/GameController.h"
#include "Program/ScreenControls.h"
#include "Program/StageSet.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiPanel.h"
#include "gui/Widget.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "windows/WindowHosts.h"
#include "windows/city/PlayerCamp.h"
#include "windows/main/FieldText.h"
#include "windows/main/YesNoWindow.h"
#include "windows/unit/Win05Window.h"
#include "windows/unit/Win80_1Window.h"
#include "world/BattleMap.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using L = OfficerLayout;

constexpr int kChoicePage = 0x100, kStock = 0x101, kItems = 0x102, kReady = 0x103, kEnterNow = 0x104;
constexpr int32_t kAllGenerals = 99;

int CountGenerals(City* city) {
    return city ? city->units.GetCount() : 0;
}

} // namespace

Win80Window* PreparationWindow() {
    return TheWin01Host ? dynamic_cast<Win80Window*>(TheWin01Host->preparation) : nullptr;
}

Win80Window::Win80Window(Widget* parent, GameController* owner)
    : ScreenWindow("Win80.gui", parent, nullptr), controller(owner) {
    AddToDrawList();
    if (TheWin01Host) TheWin01Host->preparation = this;
    city = owner ? owner->selectedCity : nullptr;
    if (Win05Window* unitPanel = UnitPanel(); unitPanel && city)
        unitPanel->ShowUnits(&city->units, 0, 0, 1, 0);
    BuildCandidates();
    const struct {
        int field;
        uint32_t offset, width;
        int8_t size;
        bool title;
    } texts_[] = {{0, 36, 20, 24, true},  {1, 56, 20, 24, true},   {2, 4, 32, 24, true},
                  {3, 76, 32, 16, false}, {5, 140, 20, 16, false}, {6, 108, 32, 16, false}};
    for (const auto& t : texts_) {
        campaignprofile::Text(t.offset, t.width, texts[t.field]);
        if (t.title)
            ShowFieldTextColored(texts[t.field], &fonts[t.field], controls, t.field, 2, t.size, 1, 255, 255,
                                 255);
        else
            ShowFieldText(texts[t.field], &fonts[t.field], controls, t.field, 2, t.size);
    }
    if (Widget* now = Control(kEnterNow)) {
        now->visible = 0;
        now->enabled = 0;
    }
    RefreshCount();
}

Win80Window::~Win80Window() {
    candidates.RemoveAll();
    delete choicePage;
}

void Win80Window::BuildCandidates() {
    Zu_StageSet* stage = TheBattleMap ? TheBattleMap->stageSet : nullptr;
    Kingdom* k = nullptr;
    if (stage && stage->kingdoms)
        for (Kingdom* each : ListValues<Kingdom>(*stage->kingdoms))
            if (each && each->PersonNumber() == stage->playerKingdom->PersonNumber()) {
                k = each;
                break;
            }
    if (!k) return;
    std::vector<Troop*> found;
    auto take = [&found](LinkList& list) {
        for (Troop* t : ListValues<Troop>(list))
            if (t && t->officer && t->OfficerValue(L::kAttribute) == 1 && t->OfficerValue(L::kFamous) == 0)
                found.push_back(t);
    };
    take(k->fieldUnits);
    for (City* c : ListValues<City>(k->cities))
        if (c) take(c->units);
    // Highest level first; among equal levels the smaller person number.
    std::stable_sort(found.begin(), found.end(), [](const Troop* a, const Troop* b) {
        const int32_t la = a->OfficerValue(L::kLevel), lb = b->OfficerValue(L::kLevel);
        if (la != lb) return la > lb;
        return a->OfficerValue(L::kPersonNumber) < b->OfficerValue(L::kPersonNumber);
    });
    for (Troop* t : found)
        candidates.Add(uintptr_t(t));
}

int32_t Win80Window::Quota() const {
    const int32_t generals = CountGenerals(city);
    const int32_t quota = campaignprofile::OfficerQuota();
    // A quota above what the camp holds could never be met.
    return quota == kAllGenerals ? generals : std::clamp(quota, 0, generals);
}

int Win80Window::RefreshCount() {
    const int32_t quota = Quota();
    int chosen = 0;
    if (city)
        for (Troop* t : ListValues<Troop>(city->units))
            if (t && t->OfficerValue(L::kMustAppear) != 0) ++chosen;
    std::snprintf(texts[7], sizeof texts[7], "%d/%d", chosen, quota);
    std::snprintf(texts[8], sizeof texts[8], "%d", CountGenerals(city));
    ShowFieldTextColored(texts[7], &fonts[7], controls, 7, 2, 22, 1, 255, 255, 0);
    ShowFieldTextColored(texts[8], &fonts[8], controls, 8, 2, 22, 1, 255, 255, 0);
    Widget* ready = Control(kReady);
    if (chosen < quota) {
        DisableButton(ready);
    } else {
        EnableButton(ready);
        ShowButtonNormal(ready);
    }
    return chosen;
}

int Win80Window::Close(int result) {
    if (!panel) return 0;
    if (Win05Window* unitPanel = UnitPanel()) unitPanel->ClosePanel();
    if (choicePage) {
        choicePage->Close();
        DeferDelete(choicePage);
        choicePage = nullptr;
    }
    if (question) {
        question->Close(1);
        question = nullptr;
    }
    for (Window** child : {&stockWindow, &itemWindow})
        if (*child) {
            (*child)->Close(1);
            DeferDelete(*child);
            *child = nullptr;
        }
    ClosePanel(result);
    DeferDelete(this);
    RemovePlayerCity();
    return 1;
}

void Win80Window::OnControlClick(Widget* control, Point*) {
    if (!control || !panel) return;
    switch (control->id) {
    case kChoicePage:
        if (!choicePage) {
            choicePage = new Win80_1Window(parentWidget, this);
            choicePage->ShowList(&candidates, 0);
        } else {
            choicePage->Close();
            DeferDelete(choicePage);
            choicePage = nullptr;
        }
        break;
    case kStock:
        // Each child disables this view until it reports back.
        if (stockWindow || itemWindow) break;
        {
            auto* stock = new Win14Window(parentWidget, this, 0, 0, 1);
            stock->Show();
            stockWindow = stock;
        }
        panel->enabled = 0;
        break;
    case kItems:
        if (stockWindow || itemWindow) break;
        itemWindow = new Win22Window(parentWidget, this, 2);
        panel->enabled = 0;
        break;
    case kReady:
        if (question) break;
        question = new YesNoWindow(parentWidget, this, kReadyQuestion);
        panel->enabled = 0;
        break;
    case kEnterNow:
        Close(1);
        if (controller) controller->requestedMode = 1;
        break;
    default:
        break;
    }
}

void Win80Window::OnControlRightClick(Widget*, Point*) {}

void Win80Window::OnNotify(Window* child, int answer) {
    if (!child) return;
    if (child == stockWindow || child == itemWindow) {
        child->Close(1);
        DeferDelete(child);
        (child == stockWindow ? stockWindow : itemWindow) = nullptr;
        if (panel) panel->enabled = 1;
        return;
    }
    if (child != question) return;
    question->Close(1);
    question = nullptr;
    if (panel) panel->enabled = 1;
    if (answer != 0) return;
    GameController* c = controller;
    Close(1);
    if (c) {
        c->requestedMode = 1;
        c->RefreshPanels();
    }
}
