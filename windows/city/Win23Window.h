#pragma once

#include "gui/FontRecord.h"
#include "windows/city/CityWindow.h"

#include <cstdint>
#include <string>

class City;
class Win13Window;
class Win14Window;

// The transport window of the selected city: the player packs items, waiting soldiers, gold and
// food for a convoy, next to the city's own stock, then sends or cancels. Every change of the pack
// is a city event command, so all stations hold the same pack.
class Win23Window : public CityWindow {
public:
    Win23Window(Widget* parent, Win13Window* owner);
    ~Win23Window() override;

    void Open();
    int Close(int result) override;
    void ShowAll();
    void ShowGoldAmount();
    void ShowFoodAmount();
    void ShowTroopSlots();
    void ShowItemSlots();
    // Sends the event that takes a packed entry out (index >= 0) or puts an item in (itemId > 0);
    // bags change the packed gold or food instead. 1 when an event went out.
    int UpdatePackedItem(int32_t bag, int32_t index, int32_t itemId);
    // What the city event command changed, redrawn.
    void Refresh(uint32_t kind);

    void OnControlToggle(Widget* control, Point* point) override;
    void OnControlClick(Widget* control, Point* point) override;
    void OnControlHover(Widget* control, Point* point) override;

    Win14Window* stock = nullptr;
    City* city = nullptr;
    Win13Window* owner = nullptr;
    FontRecord fonts[2];
    std::string texts[2];

private:
    void Drop(int slot);
};

// The transport window of the open command panel, or null.
Win23Window* OpenTransportWindow();
