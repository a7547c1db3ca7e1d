#pragma once

#include "gui/FontRecord.h"
#include "windows/city/CityWindow.h"

#include <cstdint>
#include <string>

class City;
class LinkList;
class Troop;

// The market: the city trades items and food with the merchant of its market sub-castle. Mode 2
// (the campaign preparation's) has no food trade.
class Win22Window : public CityWindow {
public:
    Win22Window(Widget* parent, Window* owner, int mode);

    int Close(int result) override;
    void PressClose();
    void Show();
    void ShowGold();
    void ShowAmounts();
    void ShowTroopItems(int position);
    void ShowCityItems(int position);

    void OnControlPress(Widget* control, Point* point) override;
    void OnControlToggle(Widget* control, Point* point) override;
    void OnControlClick(Widget* control, Point* point) override;
    void OnControlHover(Widget* control, Point* point) override;

    Window* owner = nullptr;
    uint8_t mode = 1;
    City* city = nullptr;
    Troop* merchant = nullptr;
    FontRecord fonts[3];
    std::string texts[3];

private:
    void ShowHalf(LinkList* list, int position, int side);
    // The list index of slot n's entry, or -1.
    int IndexOf(int n) const;
    void PickUp(int n);
    int32_t Store() const;
};

// Sorts a troop's carried items by class, then by id.
void SortCarriedList(Troop* troop);
