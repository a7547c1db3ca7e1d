#include "windows/city/Win14Window.h"

#include "Program/GameController.h"
#include "Program/ScreenControls.h"
#include "engine/LinkList.h"
#include "gui/GuiLayout.h"
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
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "windows/city/Win23Window.h"
#include "windows/city/Win98Window.h"
#include "windows/main/FieldText.h"
#include "windows/unit/UnitDrag.h"
#include "windows/unit/Win05Window.h"
#include "windows/unit/Win07Window.h"
#include "windows/unit/Win29Window.h"
#include "windows/unit/Win99Window.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int kSort = 0x100, kClose = 0x101, kArcher = 0x104, kDeal = 0x105, kSortSoldiers = 0x106;
constexpr int kItemBar = 0x300, kSoldierBar = 0x301;
constexpr int kItemSlot = 0x400, kSoldierSlot = 0x410, kBagSlot = 0x430;
constexpr uint32_t kHeldSoldier = 0x1000;
constexpr int32_t kFirstQueueId = 415, kFirstSoldierIcon = 261;
constexpr int32_t kGoldBag = 321, kBigGoldBag = 322, kFoodBag = 323, kBigFoodBag = 324;
// Soldiers per city scale 1..4, and archer posts.
constexpr int32_t kCapacity[4] = {32, 40, 48, 64};
constexpr int32_t kArcherPosts[4] = {6, 8, 10, 12};

int RoundUp(int n, int step) {
    return (n + step - 1) / step * step;
}

// Scrolls a list: below 1 the range is worked out again (-1 the last start, -2 the current
// position kept within it). Returns the first index shown.
int Scroll(Widget* barWidget, int count, int visible, int step, int position) {
    auto* bar = dynamic_cast<VScrollBar*>(barWidget);
    if (position < 1) {
        const int last = RoundUp(std::max(0, count - visible), step);
        if (position == -1) position = last;
        if (position == -2) position = std::min(last, bar ? int(bar->position) : 0);
        position = std::max(position, 0);
    }
    if (bar) {
        bar->SetRange(RoundUp(count, step), visible, step);
        bar->position = int16_t(position);
        bar->UpdateLayout();
    }
    return position;
}

int32_t BagValue(int32_t item) {
    switch (item) {
    case kGoldBag:
        return 100;
    case kBigGoldBag:
        return 1000;
    case kFoodBag:
        return 1000;
    case kBigFoodBag:
        return 10000;
    default:
        return 0;
    }
}

uint32_t BagMask(int32_t item) {
    return item <= kBigGoldBag ? kCityGold : kCityFood;
}

int32_t ItemIcon(int32_t item) {
    const int32_t picture = ItemIconNumber(item);
    return picture >= 1 ? picture : 0;
}

} // namespace

int32_t CitySoldierCapacity(const City& city) {
    return kCapacity[std::clamp(city.Scale(), 1, 4) - 1];
}

Win14Window::Win14Window(Widget* parentWidget, Window* ownerWindow, int x, int y, int windowMode)
    : CityWindow(parentWidget, windowMode == 3 ? "Win14.gui" : "Win14_1.gui"), owner(ownerWindow),
      mode(uint8_t(windowMode)), city(SelectedCity()) {
    int dx = 0, dy = 0;
    if ((x || y) && layout && layout->FirstImage()) {
        dx = x - layout->FirstImage()->left;
        dy = y - layout->FirstImage()->top;
    }
    OpenView(dx, dy, mode != 3);
}

int Win14Window::Close(int result) {
    CloseView(result);
    return 1;
}

void Win14Window::PressClose() {
    if (view) Press(kClose);
}

void Win14Window::Show() {
    ShowGold();
    ShowFood();
    ScrollTroopList(0, mode == 2);
    ScrollItemList(0);
    if (mode == 3)
        for (int id : {kSort, kClose, kArcher, kDeal, kSortSoldiers})
            DisableButton(Find(id));
    if (mode != 1) DisableButton(Find(kArcher));
}

void Win14Window::ShowGold() {
    if (!view || !city) return;
    texts[0] = std::to_string(city->Int(CityLayout::kGold));
    ShowFieldText(texts[0].c_str(), &fonts[0], controls, 0, 0, 14);
    SetSlotIcon(Find(kBagSlot), ItemIcon(kGoldBag), true);
    SetSlotIcon(Find(kBagSlot + 1), ItemIcon(kBigGoldBag), true);
}

void Win14Window::ShowFood() {
    if (!view || !city || mode != 3) return;
    texts[1] = std::to_string(city->Int(CityLayout::kFood));
    ShowFieldText(texts[1].c_str(), &fonts[1], controls, 1, 0, 14);
    SetSlotIcon(Find(kBagSlot + 2), ItemIcon(kFoodBag), true);
    SetSlotIcon(Find(kBagSlot + 3), ItemIcon(kBigFoodBag), true);
}

void Win14Window::ScrollTroopList(int position, bool viewOnly) {
    if (!view || !city) return;
    const int first = Scroll(Find(kSoldierBar), city->reserve.GetCount(), 32, 8, position);
    int slot = 0;
    for (int i = first; i < city->reserve.GetCount() && slot < 32; ++i, ++slot) {
        const auto* t = reinterpret_cast<const Troop*>(city->reserve.GetAt(i));
        const int32_t person = t ? t->OfficerValue(OfficerLayout::kPersonNumber) : 0;
        SetSlotIcon(Find(kSoldierSlot + slot), person - kFirstQueueId + kFirstSoldierIcon, !viewOnly);
    }
    for (; slot < 32; ++slot)
        SetSlotIcon(Find(kSoldierSlot + slot), 0, !viewOnly);
    ArcherButton();
}

void Win14Window::ScrollItemList(int position) {
    if (!view || !city) return;
    LinkList& stock = city->ItemStock();
    const int first = Scroll(Find(kItemBar), stock.GetCount(), 16, 4, position);
    int slot = 0;
    for (int i = first; i < stock.GetCount() && slot < 16; ++i, ++slot)
        SetSlotIcon(Find(kItemSlot + slot), ItemIcon(int32_t(stock.GetAt(i))), true);
    for (; slot < 16; ++slot)
        SetSlotIcon(Find(kItemSlot + slot), 0, true);
}

void Win14Window::SwapStockItem(int32_t removedItem, int32_t index, int32_t addedItem) {
    if (!city) return;
    if (index >= 0 && BagValue(removedItem)) {
        NetCmdAddCityValue(city, -BagValue(removedItem), BagMask(removedItem));
        return;
    }
    if (addedItem >= 1 && BagValue(addedItem)) {
        NetCmdAddCityValue(city, BagValue(addedItem), BagMask(addedItem));
        return;
    }
    NetCmdListRemove(city, index, addedItem > 0 ? uint32_t(addedItem) : 0);
}

void Win14Window::RemoveSoldier(Troop* troop) {
    if (!city || !city->reserve.RemoveValue(reinterpret_cast<uintptr_t>(troop))) return;
    ScrollTroopList(-2, mode == 2);
}

void Win14Window::ArcherButton() {
    Widget* b = Find(kArcher);
    if (!b || !city) return;
    if (mode != 1) {
        DisableButton(b);
        return;
    }
    bool archer = false;
    for (int i = 0; i < city->reserve.GetCount(); ++i) {
        const auto* t = reinterpret_cast<const Troop*>(city->reserve.GetAt(i));
        const int32_t id = t ? t->OfficerValue(OfficerLayout::kPersonNumber) : 0;
        if (id >= 421 && id <= 423) archer = true;
    }
    const int32_t kind = TheGameController ? TheGameController->gameKind : 0;
    if (archer && kind == 0) {
        city->SetInt(CityLayout::kScale, 1);
        DisableButton(b);
        return;
    }
    EnableIf(b, archer && city->counters[0] < kArcherPosts[std::clamp(city->Scale(), 1, 4) - 1]);
}

void Win14Window::PickUp(int slot) {
    if (!TheMouseCursor || !city) return;
    TheMouseCursor->SetDragPayload(0, 0);
    UnitDragSource = nullptr;
    if (slot < 0x10) {
        auto* bar = dynamic_cast<VScrollBar*>(Find(kItemBar));
        const int index = (bar ? bar->position : 0) + slot;
        if (index >= city->ItemStock().GetCount()) return;
        TheMouseCursor->SetDragPayload(city->ItemStock().GetAt(index), uint32_t(index));
    } else if (slot < 0x30) {
        auto* bar = dynamic_cast<VScrollBar*>(Find(kSoldierBar));
        const int index = (bar ? bar->position : 0) + slot - 0x10;
        if (index >= city->reserve.GetCount()) return;
        TheMouseCursor->SetDragPayload(city->reserve.GetAt(index), kHeldSoldier);
    } else if (slot < 0x34) {
        const int k = slot - 0x30;
        const int32_t gold = city->Int(CityLayout::kGold), food = city->Int(CityLayout::kFood);
        const bool enough = k == 0 ? gold > 99 : k == 1 ? gold > 999 : k == 2 ? food > 999 : food > 9999;
        if (!enough) return;
        TheMouseCursor->SetDragPayload(uintptr_t(kGoldBag + k), uint32_t(k));
    } else {
        return;
    }
    UnitDragSource = this;
}

void Win14Window::OnControlToggle(Widget* control, Point*) {
    if (!control || !view || control->parent != static_cast<Widget*>(view)) return;
    const int slot = control->id - kItemSlot;
    if (slot >= 0 && slot < 0x34) PickUp(slot);
}

void Win14Window::OnControlClick(Widget* control, Point*) {
    if (!control || !view || control->parent != static_cast<Widget*>(view) || !city) return;
    const int id = control->id;
    switch (id) {
    case kSort:
        SortItems();
        return;
    case kClose:
        if (owner) owner->OnNotify(this, 0);
        return;
    case 0x102:
    case 0x103:
        if (auto* bar = dynamic_cast<VScrollBar*>(Find(kItemBar)))
            ScrollItemList(
                std::clamp(bar->position + (id == 0x102 ? -4 : 4), 0, std::max<int>(bar->maximum, 0)));
        return;
    case 0x107:
    case 0x108:
        if (auto* bar = dynamic_cast<VScrollBar*>(Find(kSoldierBar)))
            ScrollTroopList(
                std::clamp(bar->position + (id == 0x107 ? -8 : 8), 0, std::max<int>(bar->maximum, 0)),
                mode == 2);
        return;
    case kArcher:
        city->TryCityAction();
        ArcherButton();
        return;
    case kDeal:
        if (DecidesHere()) city->AutoAssignTroops();
        if (GameNetworked()) NetCmdSub24(city);
        ScrollTroopList(0, mode == 2);
        RefreshUnitPanel(nullptr, 0);
        return;
    case kSortSoldiers:
        SortSoldiers();
        return;
    default:
        break;
    }
    const int slot = id - kItemSlot;
    if (slot < 0 || slot >= 0x34 || !TheMouseCursor) return;
    GameController* c = TheGameController;
    Win05Window* units = UnitPanel();
    Win07Window* page = units ? units->equipmentPage : nullptr;
    if (!UnitDragSource || TheMouseCursor->dragPayload == 0) {
        // A double click hands the slot to the troop of the open equipment page.
        if (!c || c->clickCount.load() < 2 || !page || !page->shown) return;
        PickUp(slot);
        if (TheMouseCursor->dragPayload == 0) return;
        const bool soldier = TheMouseCursor->dragValue & kHeldSoldier;
        Win99Window::DropOnSlot(page->shown, page->shown, soldier ? 10 : 0, units->mode);
        UnitDragSource = nullptr;
        TheMouseCursor->SetDragPayload(0, 0);
        return;
    }
    Window* from = UnitDragSource;
    UnitDragSource = nullptr;
    const uintptr_t payload = TheMouseCursor->dragPayload;
    const uint32_t code = uint32_t(TheMouseCursor->dragValue);
    TheMouseCursor->ClearImage();
    TheMouseCursor->SetDragPayload(0, 0);
    if (auto* transport = dynamic_cast<Win23Window*>(from)) {
        FromTransport(transport, slot, payload, code);
        return;
    }
    auto* equip = dynamic_cast<Win07Window*>(from);
    auto* corps = dynamic_cast<Win29Window*>(from);
    if (!equip && !corps) return;
    Troop* general = equip ? equip->shown : corps->GetSlotTroop(int((code >> 8) & 15));
    if (!(code & kHeldSoldier) && (slot < 0x10 || slot >= 0x30)) {
        SwapStockItem(0, -1, int32_t(payload));
        const int sourceSlot = int(code & 0xFF);
        if (equip)
            equip->ClearEquipSlot(sourceSlot);
        else
            corps->ClearEquipSlot(int((code >> 8) & 15), sourceSlot);
        return;
    }
    if ((code & kHeldSoldier) && slot >= 0x10 && slot < 0x30 && general &&
        city->reserve.GetCount() < CitySoldierCapacity(*city)) {
        auto* soldier = reinterpret_cast<Troop*>(payload);
        NetCmdCityTroopMove(city, soldier->UnitId(), general, nullptr, 0, 2);
    }
}

void Win14Window::FromTransport(Win23Window* transport, int slot, uintptr_t payload, uint32_t code) {
    if (!(code & kHeldSoldier) && (slot < 0x10 || slot >= 0x30)) {
        SwapStockItem(0, -1, int32_t(payload));
        transport->UpdatePackedItem(int32_t(payload), int32_t(code & 0xFFF), 0);
        return;
    }
    if ((code & kHeldSoldier) && slot >= 0x10 && slot < 0x30 &&
        city->reserve.GetCount() < CitySoldierCapacity(*city))
        NetCmdCityEvent(city, reinterpret_cast<Troop*>(payload)->UnitId(), 0, 0, 0, 0, 1);
}

void Win14Window::SortItems() {
    SortItemList(city->ItemStock());
    ScrollItemList(0);
}

void Win14Window::SortSoldiers() {
    std::vector<uintptr_t> soldiers;
    for (uintptr_t v = city->reserve.First(); v != 0; v = city->reserve.Next())
        soldiers.push_back(v);
    std::stable_sort(soldiers.begin(), soldiers.end(), [](uintptr_t a, uintptr_t b) {
        return reinterpret_cast<Troop*>(a)->OfficerValue(OfficerLayout::kPersonNumber) <
               reinterpret_cast<Troop*>(b)->OfficerValue(OfficerLayout::kPersonNumber);
    });
    city->reserve.RemoveAll();
    for (uintptr_t v : soldiers)
        city->reserve.Add(v);
    ScrollTroopList(0, mode == 2);
}

void Win14Window::OnControlPress(Widget* control, Point*) {
    if (!control) return;
    if (auto* bar = dynamic_cast<VScrollBar*>(control)) {
        if (control->id == kItemBar) ScrollItemList(bar->position);
        if (control->id == kSoldierBar) ScrollTroopList(bar->position, mode == 2);
    }
}

void Win14Window::OnControlHover(Widget* control, Point* point) {
    if (!control || !point || !city) return;
    const int slot = control->id - kItemSlot;
    if (slot >= 0 && slot < 0x10) {
        auto* bar = dynamic_cast<VScrollBar*>(Find(kItemBar));
        const int index = (bar ? bar->position : 0) + slot;
        if (index < city->ItemStock().GetCount()) {
            const int32_t item = int32_t(city->ItemStock().GetAt(index));
            ComposeDescription(0, ItemTable[item], this, 0);
        }
    } else if (slot >= 0x10 && slot < 0x30) {
        auto* bar = dynamic_cast<VScrollBar*>(Find(kSoldierBar));
        const int index = (bar ? bar->position : 0) + slot - 0x10;
        if (index < city->reserve.GetCount())
            ComposeDescription(4, reinterpret_cast<void*>(city->reserve.GetAt(index)), this, 0);
    } else {
        OnControlPress(control, point);
    }
}
