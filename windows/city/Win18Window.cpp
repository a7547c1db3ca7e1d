#include "windows/city/Win18Window.h"

#include "Program/ScreenControls.h"
#include "gui/GuiPanel.h"
#include "net/CityValueCommand.h"
#include "records/City.h"
#include "records/CityRecordSenders.h"
#include "records/InfoText.h"
#include "troops/TroopWorld.h"
#include "windows/city/CityPrices.h"
#include "windows/city/Win13Window.h"
#include "windows/city/Win98Window.h"

#include <algorithm>

namespace {

using namespace cityprice;

constexpr int kFirst = 0x500, kScale = 0x503, kCommit = 0x507, kLines = 0x508, kSpecial = 0x50B,
              kClose = 0x101;
// Buttons 0..6 and the kinds they choose (3 raises the scale).
constexpr int kFixedKinds[7] = {0, 2, 4, -1, 1, 3, 5};
constexpr int kFixedImages[7] = {0, 1, 2, -1, 6, 7, 8};

} // namespace

Win18Window* OpenBuildingWindow() {
    return TheWin98 && TheWin98->command ? TheWin98->command->building : nullptr;
}

Win18Window::Win18Window(Widget* parentWidget, Win13Window* panel)
    : CityWindow(parentWidget, "Win18.gui"), owner(panel) {
    OpenView();
    RefreshButtons();
}

int Win18Window::Close(int result) {
    CloseView(result);
    return 1;
}

void Win18Window::PressClose() {
    if (view && Find(kClose)) Press(kClose);
}

void Win18Window::RefreshButtons() {
    City* city = SelectedCity();
    if (!view || !city) return;
    const int32_t scale = city->Scale(), gold = Gold(*city);
    for (int n = 0; n < 7; ++n) {
        if (n == 3) continue;
        Widget* b = Find(kFirst + n);
        SetHostImage(b, kFixedImages[n]);
        EnableIf(b, gold >= BuildingCost(kFixedKinds[n]));
    }
    Widget* raise = Find(kScale);
    SetHostImage(raise, 3 + std::clamp(scale - 1, 0, 2));
    bool barracks = false;
    for (int i = 0; i < 3 && scale >= 1; ++i)
        if (city->buildings[std::clamp(6 + 3 * i + scale - 1, 0, 25)] > 1000) barracks = true;
    const bool canRaise = scale < 4 && barracks && city->statusFlags == 0 &&
                          gold >= BuildingCost(22 + scale) && Population(*city) >= ScalePopulation(scale);
    EnableIf(raise, canRaise);
    if (canRaise) ShowButtonNormal(raise);
    SetHostImage(Find(kCommit), 9);
    EnableIf(Find(kCommit), city->pendingStatus != 0 && city->statusFlags == 0);
    for (int i = 0; i < 3; ++i) {
        int g = 0;
        while (g < 3 && city->buildings[6 + 3 * i + g] != 0)
            ++g;
        const bool none = g == 3;
        if (none) g = 2;
        const int kind = 6 + 3 * i + g;
        offered[i] = uint8_t(kind);
        Widget* b = Find(kLines + i);
        SetHostImage(b, 10 + 3 * i + g);
        EnableIf(b, !none && g < scale && gold >= BuildingCost(kind));
    }
    const int s = SpecialLine(*city);
    int g = 0;
    while (g < 2 && city->buildings[15 + g + 2 * s] != 0)
        ++g;
    const bool none = g == 2;
    if (none) g = 0;
    const int kind = 15 + g + 2 * s;
    offered[3] = uint8_t(kind);
    Widget* b = Find(kSpecial);
    SetHostImage(b, 19 + g + 2 * s);
    EnableIf(b, !none && 2 * g + 1 < scale && gold >= BuildingCost(kind));
}

void Win18Window::OnControlClick(Widget* control, Point*) {
    if (!control || !view || control->parent != static_cast<Widget*>(view)) return;
    if (control->id == kClose) {
        if (owner) owner->OnNotify(this, 0);
        return;
    }
    City* city = SelectedCity();
    const int n = control->id - kFirst;
    if (!city || n < 0 || n > 11) return;
    if (n == 3) {
        const int32_t scale = city->Scale();
        NetCmdAddCityValue(city, -BuildingCost(22 + scale), kCityGold);
        if (DecidesHere()) city->ApplyUpgrade();
        if (GameNetworked())
            if (auto send = CurrentCityRecordSenders().upgrade) send(*city);
        RefreshButtons();
        RefreshCityFields(city, 0x80);
        return;
    }
    if (n == 7) {
        city->CommitStatusFlags();
        RefreshButtons();
        return;
    }
    chosenKind = uint8_t(n < 7 ? kFixedKinds[n] : offered[n - 8]);
    // The gold is taken when the building is placed.
    if (owner) owner->OnNotify(this, 1);
}

void Win18Window::OnControlRightClick(Widget*, Point*) {
    chosenKind = 0xFF;
    if (owner) owner->OnNotify(this, 0);
}

void Win18Window::OnControlHover(Widget* control, Point* point) {
    City* city = SelectedCity();
    if (!control || !point || !city) return;
    const int n = control->id - kFirst;
    if (n < 0 || n > 11) return;
    int entry;
    if (n == 3)
        entry = city->Scale() == 1 ? 12 : city->Scale() + 52;
    else if (n < 8)
        entry = n + 9;
    else
        entry = offered[n - 8] + 12;
    ShowTooltip(10, int16_t(entry), this);
}
