#include "Program/GameController.h"
#include "engine/LinkList.h"
#include "gui/MouseCursor.h"
#include "net/SubCommands.h"
#include "records/ItemRecord.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "troops/Troop.h"
#include "windows/city/Win14Window.h"
#include "windows/unit/UnitDrag.h"
#include "windows/unit/UnitRecords.h"
#include "windows/unit/Win05Window.h"
#include "windows/unit/Win07Window.h"
#include "windows/unit/Win29Window.h"
#include "windows/unit/Win34Window.h"
#include "windows/unit/Win99Window.h"

namespace {

using L = OfficerLayout;
using unitrec::OutOfPlay;

uint32_t SlotColumn(int slot) {
    return L::kWeapon + 4 * uint32_t(slot);
}

bool UnitSource(Window* w) {
    return dynamic_cast<Win07Window*>(w) || dynamic_cast<Win29Window*>(w) || dynamic_cast<Win34Window*>(w);
}

// Ends the drag: the cursor lets the picture and the payload go.
void EndDrag() {
    if (TheMouseCursor) TheMouseCursor->ClearImage();
}

// Takes the drag's source window; null when nothing is being dragged.
Window* TakeSource() {
    Window* source = UnitDragSource;
    UnitDragSource = nullptr;
    return source;
}

// An item goes into T's slot; from a unit page, what was there goes back into the source slot.
void PlaceItem(Troop* target, int slot, int32_t item, Troop* source, int sourceSlot) {
    const int32_t old = Win99Window::GetSlotItem(target, slot);
    NetCmdDropItem(target, uint32_t(slot), uint32_t(item));
    if (source && sourceSlot >= 0 && sourceSlot < 10)
        NetCmdDropItem(source, uint32_t(sourceSlot), uint32_t(old));
}

void MoveCarried(Troop* target, Troop* source, Troop* carried) {
    City* city = TheGameController ? TheGameController->selectedCity : nullptr;
    NetCmdCityTroopMove(city, carried->UnitId(), source, target, 0, 1);
}

// An escort item becomes a carried troop of the target; the item leaves its slot.
void EscortFromItem(Troop* target, Troop* source, int32_t item, int sourceSlot, int mode) {
    City* city = TheGameController ? TheGameController->selectedCity : nullptr;
    NetCmdCityTroopMove(city, target->UnitId(), nullptr, target, uint32_t(item + 154), mode == 1 ? 3 : 4);
    if (source && sourceSlot < 10) NetCmdDropItem(source, uint32_t(sourceSlot), 0);
}

// From the city's stock: an item goes into the slot and whatever was there back to the stock; a
// waiting soldier joins the troop.
void DropFromStock(Troop* target, Win14Window* stock, int slot, uintptr_t payload, uint32_t code) {
    if (code & kDragCarried) {
        if (slot < 10 || NextCarrySlot(target) == -1) return;
        NetCmdCityTroopMove(stock->city, reinterpret_cast<Troop*>(payload)->UnitId(), nullptr, target, 0, 0);
        return;
    }
    const int32_t item = int32_t(payload);
    if (slot >= 10 || (item >= 321 && item <= 324)) return;
    int fit = slot < 6 ? Win99Window::FitEquipSlot(target, item, slot) : 0;
    if (fit == 0) fit = Win99Window::FreeBeltSlot(target);
    if (fit == 0) return;
    const int32_t old = Win99Window::GetSlotItem(target, fit - 1);
    NetCmdDropItem(target, uint32_t(fit - 1), uint32_t(item));
    stock->SwapStockItem(item, int32_t(code & 0xFFF), old);
}

} // namespace

Window* UnitDragSource = nullptr;

int NextCarrySlot(Troop* troop) {
    if (!troop) return -1;
    if (!troop->followers) troop->followers = new LinkList;
    const int count = troop->followers->GetCount();
    return count < troop->OfficerValue(L::kTroopCapacity) ? count : -1;
}

int Win99Window::FitEquipSlot(Troop* t, int32_t item, int wanted) {
    if (!t || !t->officer || !ItemBlock(item)) return 0;
    const int32_t cls = t->OfficerValue(L::kClass);
    const bool classFlag =
        cls >= 1 && cls <= 5 && ItemColumn(item, unitrec::kItemEquipAll + 4 * uint32_t(cls)) != 0;
    if (ItemColumn(item, unitrec::kItemEquipAll) == 0 && !classFlag) return 0;
    switch (ItemColumn(item, ItemLayout::kCategory)) {
    case 1:
        return 1;
    case 2:
        return 2;
    case 3:
        return 5;
    case 4:
        return 4;
    case 5:
    case 6:
    case 11:
        if (wanted == 2 || wanted == 5) return wanted + 1;
        return GetSlotItem(t, 2) == 0 ? 3 : 6;
    default:
        return 0;
    }
}

int Win99Window::FreeBeltSlot(Troop* t) {
    for (int slot = 6; slot < 10; ++slot)
        if (t && t->officer && GetSlotItem(t, slot) == 0) return slot + 1;
    return 0;
}

int32_t Win99Window::GetSlotItem(Troop* t, int slot) {
    if (!t || !t->officer || slot < 0 || slot > 9) return 0;
    return t->officer->Get(SlotColumn(slot));
}

Troop* Win99Window::GetSlotTroop(Troop* t, int slot) {
    if (!t || slot < 10 || !t->followers) return nullptr;
    int i = 0;
    for (uintptr_t v = t->followers->First(); v != 0; v = t->followers->Next(), ++i)
        if (CarryCell(i) == slot - 10) return reinterpret_cast<Troop*>(v);
    return nullptr;
}

void Win99Window::BeginDrag(Window* window, Troop* troop, int slot, int row) {
    if (!TheMouseCursor || !troop) return;
    if (slot < 10) {
        const int32_t item = GetSlotItem(troop, slot);
        if (item == 0) return;
        TheMouseCursor->SetDragPayload(uintptr_t(uint32_t(item)), uint32_t((row & 15) << 8 | slot));
    } else {
        Troop* carried = GetSlotTroop(troop, slot);
        if (!carried) return;
        TheMouseCursor->SetDragPayload(reinterpret_cast<uintptr_t>(carried),
                                       uint32_t(kDragCarried | (row & 15) << 8 | (slot - 10)));
    }
    UnitDragSource = window;
}

void Win99Window::DropOnSlot(Troop* target, Troop* source, int slot, int mode) {
    if (OutOfPlay(target) || OutOfPlay(source) || !TheMouseCursor || TheMouseCursor->dragPayload == 0) return;
    Window* from = TakeSource();
    const uintptr_t payload = TheMouseCursor->dragPayload;
    const uint32_t code = uint32_t(TheMouseCursor->dragValue);
    EndDrag();
    if (auto* stock = dynamic_cast<Win14Window*>(from)) {
        DropFromStock(target, stock, slot, payload, code);
        return;
    }
    if (!UnitSource(from)) return;
    const int sourceSlot = int(code & 0xFF);
    const bool carried = code & kDragCarried;
    if (!carried && slot >= 0 && slot < 10) {
        const int32_t item = int32_t(payload);
        if (item == 321 || item == 322) return;
        int fit = slot < 6 ? FitEquipSlot(target, item, slot) : 0;
        if (fit == 0) fit = FreeBeltSlot(target);
        if (fit == 0) return;
        const int into = fit - 1;
        if (target == source && into >= 6 && sourceSlot >= 6) return;
        PlaceItem(target, into, item, source, sourceSlot);
        return;
    }
    if (slot < 10) return;
    const bool corps = dynamic_cast<Win29Window*>(from) != nullptr;
    if (carried) {
        if (mode == 0 || dynamic_cast<Win07Window*>(from) || (corps && target == source)) return;
        if (NextCarrySlot(target) == -1) return;
        MoveCarried(target, source, reinterpret_cast<Troop*>(payload));
        return;
    }
    const int32_t item = int32_t(payload);
    if (ItemColumn(item, ItemLayout::kCategory) != 9 || NextCarrySlot(target) == -1) return;
    if (corps && target != source && mode == 0) return;
    EscortFromItem(target, source, item, sourceSlot, mode);
}

void Win99Window::DropOnTroop(Troop* target, Troop* source, int mode) {
    if (OutOfPlay(target) || !TheMouseCursor || TheMouseCursor->dragPayload == 0) return;
    Window* from = TakeSource();
    const uintptr_t payload = TheMouseCursor->dragPayload;
    const uint32_t code = uint32_t(TheMouseCursor->dragValue);
    EndDrag();
    const bool corps = dynamic_cast<Win29Window*>(from) != nullptr;
    if (!UnitSource(from) || dynamic_cast<Win07Window*>(from) || (corps && target == source)) return;
    if (source && OutOfPlay(source)) return;
    if (code & kDragCarried) {
        if (mode == 0 || NextCarrySlot(target) == -1 || !source) return;
        MoveCarried(target, source, reinterpret_cast<Troop*>(payload));
        return;
    }
    const int32_t item = int32_t(payload);
    if (item == 321 || item == 322) return;
    int fit = FitEquipSlot(target, item, -1);
    if (fit == 0) fit = FreeBeltSlot(target);
    if (fit == 0) return;
    PlaceItem(target, fit - 1, item, source, int(code & 0xFF));
}
