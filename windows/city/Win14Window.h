#pragma once

#include "gui/FontRecord.h"
#include "windows/city/CityWindow.h"

#include <cstdint>
#include <string>

class City;
class Troop;
class Win23Window;

// What a city holds: its waiting soldiers, its item stock, its gold and (mode 3) its food as
// money bags. Items and soldiers are dragged between here and the unit pages; the city is the one
// selected when the window opened.
class Win14Window : public CityWindow {
public:
    // Mode 1 the command panel's, 2 view only, 3 inside the transport window (not drawn alone).
    Win14Window(Widget* parent, Window* owner, int x, int y, int mode);

    int Close(int result) override;
    void PressClose();
    void Show();
    void ShowGold();
    void ShowFood();
    void ScrollTroopList(int position, bool viewOnly);
    void ScrollItemList(int position);
    // A stock entry leaves (index >= 0) and an item joins (id > 0); bags go to and from the
    // city's gold and food instead.
    void SwapStockItem(int32_t removedItem, int32_t index, int32_t addedItem);
    void RemoveSoldier(Troop* troop);

    void OnControlPress(Widget* control, Point* point) override;
    void OnControlToggle(Widget* control, Point* point) override;
    void OnControlClick(Widget* control, Point* point) override;
    void OnControlHover(Widget* control, Point* point) override;

    Window* owner = nullptr;
    uint8_t mode = 1;
    City* city = nullptr;
    FontRecord fonts[3];
    std::string texts[3];

private:
    void PickUp(int slot);
    // A packed entry dragged back out of the transport window.
    void FromTransport(Win23Window* transport, int slot, uintptr_t payload, uint32_t code);
    void ArcherButton();
    void SortItems();
    void SortSoldiers();
};

// The soldier capacity of a city at its scale.
int32_t CitySoldierCapacity(const City& city);
