#include "windows/city/Win22Window.h"

#include "Program/GameController.h"
#include "Program/ScreenControls.h"
#include "engine/LinkList.h"
#include "gui/GuiPanel.h"
#include "gui/MouseCursor.h"
#include "gui/ToggleButton.h"
#include "gui/VScrollBar.h"
#include "net/CityValueCommand.h"
#include "net/SubCommands.h"
#include "records/City.h"
#include "records/InfoText.h"
#include "records/ItemRecord.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "windows/city/Win98Window.h"
#include "windows/main/FieldText.h"
#include "windows/unit/UnitDrag.h"
#include "windows/unit/Win99Window.h"
#include "world/BattleMap.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int kClose = 0x100, kSort = 0x101, kSlot = 0x400, kMerchantBag = 0x420;
constexpr int32_t kFoodBag = 323;
constexpr uint32_t kHeldCityItem = 0x1000, kHeldMerchantFood = 0x2000, kHeldCityFood = 0x3000,
                   kKindMask = 0xF000;

int RoundUp(int n, int step) {
    return (n + step - 1) / step * step;
}

int32_t Price(int32_t item) {
    return ItemColumn(item, ItemLayout::kPrice);
}

} // namespace

void SortCarriedList(Troop* troop) {
    if (troop && troop->carried) SortItemList(*troop->carried);
}

Win22Window::Win22Window(Widget* parentWidget, Window* ownerWindow, int windowMode)
    : CityWindow(parentWidget, windowMode == 2 ? "Win22_1.gui" : "Win22.gui"), owner(ownerWindow),
      mode(uint8_t(windowMode)) {
    OpenView();
    SubCastle* sc = TheGameController ? TheGameController->selectedSubCastle : nullptr;
    if (sc && TheBattleMap && sc->cityId >= 0 && sc->cityId < BattleMap::kCities)
        city = TheBattleMap->cities[sc->cityId];
    merchant = sc ? sc->keeper : nullptr;
    Show();
}

int Win22Window::Close(int result) {
    CloseView(result);
    return 1;
}

void Win22Window::PressClose() {
    if (view) Press(kClose);
}

void Win22Window::Show() {
    if (mode != 2) {
        for (int k = 0; k < 4; ++k)
            SetSlotIcon(Find(kMerchantBag + k), ItemIconNumber(kFoodBag + k % 2));
        ShowAmounts();
    }
    ShowGold();
    ShowTroopItems(0);
    ShowCityItems(0);
}

int32_t Win22Window::Store() const {
    return merchant ? merchant->OfficerValue(OfficerLayout::kMp) : 0;
}

void Win22Window::ShowGold() {
    if (!view || !city) return;
    texts[0] = std::to_string(city->Int(CityLayout::kGold));
    ShowFieldText(texts[0].c_str(), &fonts[0], controls, 0, 0, 14);
}

void Win22Window::ShowAmounts() {
    if (!view || !city || mode == 2) return;
    texts[1] = std::to_string(city->Int(CityLayout::kFood));
    ShowFieldText(texts[1].c_str(), &fonts[1], controls, 1, 0, 14);
    if (!merchant) return;
    texts[2] = std::to_string(Store());
    ShowFieldText(texts[2].c_str(), &fonts[2], controls, 2, 0, 14);
}

void Win22Window::ShowTroopItems(int position) {
    ShowHalf(merchant ? merchant->carried : nullptr, position, 0);
}

void Win22Window::ShowCityItems(int position) {
    ShowHalf(city ? &city->ItemStock() : nullptr, position, 1);
}

void Win22Window::ShowHalf(LinkList* list, int position, int side) {
    if (!view || !list) return;
    auto* bar = dynamic_cast<VScrollBar*>(Find(0x300 + side));
    const int count = list->GetCount();
    if (position < 1) {
        const int last = RoundUp(std::max(0, count - 16), 4);
        if (position == -1) position = last;
        if (position == -2) position = std::min(last, bar ? int(bar->position) : 0);
        position = std::max(position, 0);
    }
    if (bar) {
        bar->SetRange(RoundUp(count, 4), 16, 4);
        bar->position = int16_t(position);
        bar->UpdateLayout();
    }
    int id = kSlot + 4 * side;
    for (int i = 0; i < 16; ++i) {
        const int index = position + i;
        SetSlotIcon(Find(id), index < count ? ItemIconNumber(int32_t(list->GetAt(index))) : 0);
        id += i % 4 == 3 ? 5 : 1;
    }
}

int Win22Window::IndexOf(int n) const {
    const int side = (n % 8) / 4;
    auto* bar = dynamic_cast<VScrollBar*>(Find(0x300 + side));
    LinkList* list =
        side == 0 ? (merchant ? merchant->carried : nullptr) : (city ? &city->ItemStock() : nullptr);
    const int index = (bar ? bar->position : 0) + (n / 8) * 4 + n % 4;
    return list && index < list->GetCount() ? index : -1;
}

void Win22Window::PickUp(int n) {
    if (!TheMouseCursor || !city) return;
    TheMouseCursor->SetDragPayload(0, 0);
    UnitDragSource = nullptr;
    const int32_t gold = city->Int(CityLayout::kGold), food = city->Int(CityLayout::kFood), store = Store();
    if (n < 0x20) {
        const int side = (n % 8) / 4, index = IndexOf(n);
        if (index < 0) return;
        const int32_t item =
            int32_t(side == 0 ? merchant->carried->GetAt(index) : city->ItemStock().GetAt(index));
        if (side == 0 && Price(item) > gold) return;
        TheMouseCursor->SetDragPayload(uintptr_t(item), uint32_t(side << 12 | index));
    } else if (n == 0x20 || n == 0x21) {
        if (n == 0x20 ? !(store > 999 && gold > 99) : !(store > 9999 && gold > 999)) return;
        TheMouseCursor->SetDragPayload(0, kHeldMerchantFood + uint32_t(n - 0x20));
    } else if (n == 0x22 || n == 0x23) {
        if (n == 0x22 ? food <= 999 : food <= 9999) return;
        TheMouseCursor->SetDragPayload(0, kHeldCityFood + uint32_t(n - 0x22));
    } else {
        return;
    }
    UnitDragSource = this;
}

void Win22Window::OnControlToggle(Widget* control, Point*) {
    if (!control || !view || control->parent != static_cast<Widget*>(view)) return;
    const int n = control->id - kSlot;
    if (n >= 0 && n < 0x24) PickUp(n);
}

void Win22Window::OnControlClick(Widget* control, Point*) {
    if (!control || !view || control->parent != static_cast<Widget*>(view) || !city) return;
    const int id = control->id;
    if (id == kClose) {
        if (owner) owner->OnNotify(this, 0);
        return;
    }
    if (id == kSort) {
        SortItemList(city->ItemStock());
        ShowCityItems(0);
        return;
    }
    if (id >= 0x102 && id <= 0x105) {
        const int side = (id - 0x102) % 2;
        if (auto* bar = dynamic_cast<VScrollBar*>(Find(0x300 + side))) {
            const int to =
                std::clamp(bar->position + (id < 0x104 ? -4 : 4), 0, std::max<int>(bar->maximum, 0));
            if (side == 0)
                ShowTroopItems(to);
            else
                ShowCityItems(to);
        }
        return;
    }
    int target = id - kSlot;
    if (target < 0 || target >= 0x24 || !TheMouseCursor) return;
    if (UnitDragSource != this) {
        GameController* c = TheGameController;
        // A double click trades the slot with the other side.
        if (UnitDragSource || !c || c->clickCount.load() < 2) return;
        PickUp(target);
        if (UnitDragSource != this) return;
        const uint32_t held = uint32_t(TheMouseCursor->dragValue) & kKindMask;
        if (held == 0 || held == kHeldCityItem)
            target = held == kHeldCityItem ? 0 : 4;
        else
            target = held == kHeldCityFood ? 0x20 : 0x22;
    }
    UnitDragSource = nullptr;
    const uint32_t code = uint32_t(TheMouseCursor->dragValue);
    const int32_t item = int32_t(TheMouseCursor->dragPayload);
    TheMouseCursor->ClearImage();
    TheMouseCursor->SetDragPayload(0, 0);
    const int index = int(code & 0xFF);
    const bool goods = target < 0x20 && target % 8 < 4, stockSlot = target < 0x20 && target % 8 >= 4;
    switch (code & kKindMask) {
    case kHeldCityItem:
        if (!goods || item <= 0) return;
        NetCmdAddCityValue(city, Price(item) / 2, kCityGold);
        NetCmdSpecialWindowList(city, -1, uint32_t(item), -1);
        NetCmdListRemove(city, index, 0);
        return;
    case 0:
        if (!stockSlot || item <= 0) return;
        NetCmdAddCityValue(city, -Price(item), kCityGold);
        NetCmdListRemove(city, -1, uint32_t(item));
        NetCmdSpecialWindowList(city, index, 0, -1);
        return;
    case kHeldCityFood: {
        if (target != 0x20 && target != 0x21) return;
        const int32_t a = (code & 1) ? 10000 : 1000;
        const int32_t store = KeeperGaugeBase(city);
        NetCmdAddCityValue(city, a / 20, kCityGold);
        NetCmdAddCityValue(city, -a, CityValueMask::kCityFood);
        NetCmdSpecialWindowList(city, -1, 0, store + a);
        return;
    }
    case kHeldMerchantFood: {
        if (target != 0x22 && target != 0x23) return;
        const int32_t a = (code & 1) ? 10000 : 1000;
        const int32_t store = KeeperGaugeBase(city);
        NetCmdAddCityValue(city, -(a / 10), kCityGold);
        NetCmdAddCityValue(city, a, CityValueMask::kCityFood);
        NetCmdSpecialWindowList(city, -1, 0, store - a);
        return;
    }
    default:
        return;
    }
}

void Win22Window::OnControlPress(Widget* control, Point*) {
    auto* bar = dynamic_cast<VScrollBar*>(control);
    if (!bar) return;
    if (control->id == 0x300) ShowTroopItems(bar->position);
    if (control->id == 0x301) ShowCityItems(bar->position);
}

void Win22Window::OnControlHover(Widget* control, Point* point) {
    if (!control || !point || !city) return;
    const int n = control->id - kSlot;
    if (n >= 0 && n < 0x20) {
        const int index = IndexOf(n);
        if (index < 0) return;
        if ((n % 8) < 4) {
            const int32_t item = int32_t(merchant->carried->GetAt(index));
            if (Price(item) <= city->Int(CityLayout::kGold)) ComposeDescription(1, ItemTable[item], this, 0);
        } else {
            ComposeDescription(2, ItemTable[int32_t(city->ItemStock().GetAt(index))], this, 0);
        }
    } else if (n >= 0x20 && n < 0x24) {
        ComposeDescription(n < 0x22 ? 1 : 2, ItemTable[kFoodBag + n % 2], this, 0);
    } else {
        OnControlPress(control, point);
    }
}
