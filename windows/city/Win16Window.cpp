#include "windows/city/Win16Window.h"

#include "Program/ScreenControls.h"
#include "gui/GuiPanel.h"
#include "net/CityValueCommand.h"
#include "records/City.h"
#include "records/InfoText.h"
#include "windows/city/CityPrices.h"
#include "windows/city/Win13Window.h"
#include "windows/city/Win98Window.h"

namespace {

using namespace cityprice;

constexpr int kFirst = 0x500, kClose = 0x101;

struct Slot {
    int32_t queueId, building, image;
};

// Button n's soldiers: column n % 4, row n / 4; the fourth column has two rows, of the city's
// special line.
bool SlotOf(const City& city, int n, Slot& out) {
    const int col = n % 4, row = n / 4;
    if (n < 0 || row > 2 || (col == 3 && row > 1)) return false;
    if (col < 3) {
        out = {415 + 3 * col + row, 6 + 3 * col + row, 27 + 3 * col + row};
    } else {
        const int s = SpecialLine(city);
        out = {424 + row + 2 * s, 15 + row + 2 * s, 36 + row + 2 * s};
    }
    return true;
}

} // namespace

Win16Window* OpenRecruitingWindow() {
    return TheWin98 && TheWin98->command ? TheWin98->command->recruiting : nullptr;
}

Win16Window::Win16Window(Widget* parentWidget, Win13Window* panel)
    : CityWindow(parentWidget, "Win16.gui"), owner(panel) {
    OpenView();
    RefreshButtons();
}

int Win16Window::Close(int result) {
    CloseView(result);
    return 1;
}

void Win16Window::PressClose() {
    if (view && Find(kClose)) Press(kClose);
}

void Win16Window::RefreshButtons() {
    City* city = SelectedCity();
    if (!view || !city) return;
    for (int n = 0; n < 12; ++n) {
        Slot slot{};
        if (!SlotOf(*city, n, slot)) continue;
        Widget* b = Find(kFirst + n);
        SetHostImage(b, slot.image);
        const int32_t type = slot.queueId - 330;
        EnableIf(b, city->buildings[slot.building] > 1000 && Gold(*city) >= SoldierCost(type, kGoldCost) &&
                        Population(*city) >= SoldierCost(type, kPeople) &&
                        Food(*city) >= SoldierCost(type, kFoodCost));
    }
}

void Win16Window::OnControlClick(Widget* control, Point*) {
    if (!control || !view || control->parent != static_cast<Widget*>(view)) return;
    if (control->id == kClose) {
        if (owner) owner->OnNotify(this, 0);
        return;
    }
    City* city = SelectedCity();
    Slot slot{};
    if (!city || !SlotOf(*city, control->id - kFirst, slot) || !control->enabled) return;
    const int32_t type = slot.queueId - 330;
    // The queue is this station's own; the payment travels.
    if (owner) owner->AppendQueueEntry(slot.queueId);
    NetCmdAddCityValue(city, -SoldierCost(type, kGoldCost), kCityGold);
    NetCmdAddCityValue(city, -SoldierCost(type, kFoodCost), kCityFood);
    NetCmdAddCityValue(city, -SoldierCost(type, kPeople), kCityPopulation);
    RefreshButtons();
}

void Win16Window::OnControlRightClick(Widget*, Point*) {
    if (owner) owner->OnNotify(this, 1);
}

void Win16Window::OnControlHover(Widget* control, Point* point) {
    City* city = SelectedCity();
    Slot slot{};
    if (!control || !point || !city || !SlotOf(*city, control->id - kFirst, slot)) return;
    ShowTooltip(10, int16_t(slot.queueId - 379), this);
}
