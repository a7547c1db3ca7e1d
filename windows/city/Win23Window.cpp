#include "windows/city/Win23Window.h"

#include "Program/ScreenControls.h"
#include "engine/LinkList.h"
#include "gui/GuiPanel.h"
#include "gui/MouseCursor.h"
#include "net/CityValueCommand.h"
#include "net/SubCommands.h"
#include "records/City.h"
#include "records/InfoText.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "troops/Troop.h"
#include "windows/city/Win13Window.h"
#include "windows/city/Win14Window.h"
#include "windows/city/Win98Window.h"
#include "windows/main/FieldText.h"
#include "windows/unit/UnitDrag.h"
#include "windows/unit/Win99Window.h"

namespace {

constexpr int kPackItems = 0x100, kPackTroops = 0x101, kPackGold = 0x102, kPackFood = 0x103, kSend = 0x104,
              kCancel = 0x105, kStockArea = 0x200;
constexpr int kFirstSlot = 0x400, kTroopSlots = 10, kBagSlots = 42, kSlotEnd = 46;
constexpr int kMaxItems = 10, kMaxTroops = 32;
constexpr uint32_t kHeldSoldier = 0x1000;
constexpr int32_t kGoldBag = 321, kBigGoldBag = 322, kFoodBag = 323, kBigFoodBag = 324;
constexpr int32_t kFirstQueueId = 415, kFirstSoldierIcon = 261;

// City event kinds of the pack.
enum : uint8_t {
    kTroopIn = 0,
    kTroopOut = 1,
    kItemOut = 3,
    kItemIn = 5,
    kGold = 8,
    kFood = 9,
    kAllTroops = 10,
    kAllItems = 11,
    kCancelPack = 12,
    kLaunch = 13,
};

int32_t ItemIcon(int32_t item) {
    const int32_t picture = ItemIconNumber(item);
    return picture >= 1 ? picture : 0;
}

} // namespace

Win23Window* OpenTransportWindow() {
    Win13Window* panel = TheWin98 ? TheWin98->command : nullptr;
    return panel ? dynamic_cast<Win23Window*>(panel->transport) : nullptr;
}

Window* OpenCityTransport(Widget* parent, Win13Window* owner) {
    return new Win23Window(parent, owner);
}

Win23Window::Win23Window(Widget* parentWidget, Win13Window* panel)
    : CityWindow(parentWidget, "Win23.gui"), owner(panel) {
    Open();
}

Win23Window::~Win23Window() {
    Close(1);
}

void Win23Window::Open() {
    OpenView();
    if (!view) return;
    if (Widget* area = Find(kStockArea)) {
        stock = new Win14Window(view, this, area->rect.left, area->rect.top, 3);
        stock->Show();
    }
    city = SelectedCity();
    // The pack keeps what it holds: a convoy that could not leave still has its gold and food.
    ShowAll();
}

int Win23Window::Close(int result) {
    if (!view) return 1;
    if (stock) {
        stock->Close(1);
        delete stock;
        stock = nullptr;
    }
    CloseView(result);
    return 1;
}

void Win23Window::ShowAll() {
    ShowGoldAmount();
    ShowFoodAmount();
    ShowTroopSlots();
    ShowItemSlots();
}

void Win23Window::ShowGoldAmount() {
    if (!view || !city) return;
    texts[0] = std::to_string(city->packedGold);
    ShowFieldText(texts[0].c_str(), &fonts[0], controls, 1, 0, 14);
    SetSlotIcon(Find(kFirstSlot + kBagSlots), ItemIcon(kGoldBag), true);
    SetSlotIcon(Find(kFirstSlot + kBagSlots + 1), ItemIcon(kBigGoldBag), true);
}

void Win23Window::ShowFoodAmount() {
    if (!view || !city) return;
    texts[1] = std::to_string(city->packedFood);
    ShowFieldText(texts[1].c_str(), &fonts[1], controls, 2, 0, 14);
    SetSlotIcon(Find(kFirstSlot + kBagSlots + 2), ItemIcon(kFoodBag), true);
    SetSlotIcon(Find(kFirstSlot + kBagSlots + 3), ItemIcon(kBigFoodBag), true);
}

void Win23Window::ShowTroopSlots() {
    if (!view || !city) return;
    for (int n = 0; n < kMaxTroops; ++n) {
        const auto* t = n < city->packedTroops.GetCount()
                            ? reinterpret_cast<const Troop*>(city->packedTroops.GetAt(n))
                            : nullptr;
        const int32_t icon =
            t ? t->OfficerValue(OfficerLayout::kPersonNumber) - kFirstQueueId + kFirstSoldierIcon : 0;
        SetSlotIcon(Find(kFirstSlot + kTroopSlots + n), icon, true);
    }
}

void Win23Window::ShowItemSlots() {
    if (!view || !city) return;
    for (int n = 0; n < kMaxItems; ++n) {
        const int32_t item = n < city->packedItems.GetCount() ? int32_t(city->packedItems.GetAt(n)) : 0;
        SetSlotIcon(Find(kFirstSlot + n), item ? ItemIcon(item) : 0, true);
    }
}

int Win23Window::UpdatePackedItem(int32_t bag, int32_t index, int32_t itemId) {
    if (!city) return 0;
    auto send = [&](uint32_t unit, int32_t i, uint32_t item, int32_t gold, int32_t food, uint8_t kind) {
        NetCmdCityEvent(city, unit, i, item, gold, food, kind);
        return 1;
    };
    if (index >= 0) {
        if (bag == kGoldBag || bag == kBigGoldBag)
            return send(0, 0, 0, city->packedGold - (bag == kGoldBag ? 100 : 1000), 0, kGold);
        if (bag == kFoodBag || bag == kBigFoodBag)
            return send(0, 0, 0, 0, city->packedFood - (bag == kFoodBag ? 1000 : 10000), kFood);
    }
    if (itemId == kGoldBag || itemId == kBigGoldBag)
        return send(0, 0, 0, city->packedGold + (itemId == kGoldBag ? 100 : 1000), 0, kGold);
    if (itemId == kFoodBag || itemId == kBigFoodBag)
        return send(0, 0, 0, 0, city->packedFood + (itemId == kFoodBag ? 1000 : 10000), kFood);
    if (index >= 0) send(0, index, 0, 0, 0, kItemOut);
    if (itemId != 0 && city->packedItems.GetCount() < kMaxItems)
        return send(0, 0, uint32_t(itemId), 0, 0, kItemIn);
    return 0;
}

void Win23Window::Refresh(uint32_t kind) {
    if (!view) return;
    switch (kind) {
    case kTroopIn:
    case kAllTroops:
    case kTroopOut:
        if (stock) stock->ScrollTroopList(kind == kTroopOut ? -1 : -2, false);
        ShowTroopSlots();
        break;
    case kItemOut:
    case kItemIn:
        ShowItemSlots();
        break;
    case kAllItems:
        if (stock) stock->ScrollItemList(-2);
        ShowItemSlots();
        break;
    case kGold:
        ShowGoldAmount();
        break;
    case kFood:
        ShowFoodAmount();
        break;
    case kCancelPack:
        if (stock) {
            stock->ScrollItemList(-1);
            stock->ScrollTroopList(-1, false);
        }
        ShowAll();
        break;
    default:
        break;
    }
}

void Win23Window::OnControlToggle(Widget* control, Point*) {
    if (!control || !view || control->parent != static_cast<Widget*>(view) || !city || !TheMouseCursor)
        return;
    const int i = control->id - kFirstSlot;
    if (i < 0 || i >= kSlotEnd) return;
    TheMouseCursor->SetDragPayload(0, 0);
    UnitDragSource = nullptr;
    if (i < kTroopSlots) {
        if (i >= city->packedItems.GetCount()) return;
        TheMouseCursor->SetDragPayload(city->packedItems.GetAt(i), uint32_t(i));
    } else if (i < kBagSlots) {
        if (i - kTroopSlots >= city->packedTroops.GetCount()) return;
        TheMouseCursor->SetDragPayload(city->packedTroops.GetAt(i - kTroopSlots), kHeldSoldier);
    } else {
        const int k = i - kBagSlots;
        const bool enough = k == 0   ? city->packedGold > 99
                            : k == 1 ? city->packedGold > 999
                            : k == 2 ? city->packedFood > 999
                                     : city->packedFood > 9999;
        if (!enough) return;
        TheMouseCursor->SetDragPayload(uintptr_t(kGoldBag + k), uint32_t(k));
    }
    UnitDragSource = this;
}

void Win23Window::Drop(int i) {
    if (!TheMouseCursor) return;
    Window* from = UnitDragSource;
    UnitDragSource = nullptr;
    const uintptr_t payload = TheMouseCursor->dragPayload;
    const uint32_t code = uint32_t(TheMouseCursor->dragValue);
    if (!from || from != stock || payload == 0) return;
    TheMouseCursor->ClearImage();
    TheMouseCursor->SetDragPayload(0, 0);
    const bool soldier = code & kHeldSoldier;
    if (!soldier && (i < kTroopSlots || i >= kBagSlots)) {
        if (UpdatePackedItem(0, -1, int32_t(payload)) == 1)
            stock->SwapStockItem(int32_t(payload), int32_t(code & 0xFFF), 0);
        return;
    }
    if (soldier && i >= kTroopSlots && i < kBagSlots && city->packedTroops.GetCount() < kMaxTroops)
        NetCmdCityEvent(city, reinterpret_cast<Troop*>(payload)->UnitId(), 0, 0, 0, 0, kTroopIn);
}

void Win23Window::OnControlClick(Widget* control, Point*) {
    if (!control || !view || control->parent != static_cast<Widget*>(view) || !city) return;
    switch (control->id) {
    case kPackItems:
        NetCmdCityEvent(city, 0, 0, 0, 0, 0, kAllItems);
        return;
    case kPackTroops:
        NetCmdCityEvent(city, 0, 0, 0, 0, 0, kAllTroops);
        return;
    case kPackGold: {
        // The city's whole gold moves into the pack.
        const int32_t gold = city->Int(CityLayout::kGold);
        NetCmdCityEvent(city, 0, 0, 0, gold + city->packedGold, 0, kGold);
        NetCmdAddCityValue(city, -gold, kCityGold);
        return;
    }
    case kPackFood: {
        const int32_t food = city->Int(CityLayout::kFood);
        NetCmdCityEvent(city, 0, 0, 0, 0, food + city->packedFood, kFood);
        NetCmdAddCityValue(city, -food, kCityFood);
        return;
    }
    case kSend:
        NetCmdCityEvent(city, 0, 0, 0, 0, 0, kLaunch);
        if (owner) owner->OnNotify(this, 1);
        return;
    case kCancel:
        NetCmdCityEvent(city, 0, 0, 0, 0, 0, kCancelPack);
        if (owner) owner->OnNotify(this, 0);
        return;
    default:
        break;
    }
    const int i = control->id - kFirstSlot;
    if (i >= 0 && i < kSlotEnd) Drop(i);
}

void Win23Window::OnControlHover(Widget* control, Point* point) {
    if (!control || !point || !city) return;
    const int i = control->id - kFirstSlot;
    if (i >= 0 && i < kTroopSlots && i < city->packedItems.GetCount()) {
        const int32_t item = int32_t(city->packedItems.GetAt(i));
        ComposeDescription(0, const_cast<uint8_t*>(ItemBlock(item)), this, 0);
    } else if (i >= kTroopSlots && i < kBagSlots && i - kTroopSlots < city->packedTroops.GetCount()) {
        ComposeDescription(4, reinterpret_cast<void*>(city->packedTroops.GetAt(i - kTroopSlots)), this, 0);
    }
}
