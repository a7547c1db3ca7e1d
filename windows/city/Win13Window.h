#pragma once

#include "gui/FontRecord.h"
#include "windows/city/CityWindow.h"

#include <cstdint>
#include <string>

class City;
class Troop;
class Win14Window;
class Win16Window;
class Win18Window;
class Win98Window;

// The selected own city's command panel: its name and recruit queue, and the buttons that open
// the stock, building, recruiting and transport windows, step to the neighbouring cities and
// sub-castles, toggle the city's own planning and make it the side's focus city.
class Win13Window : public CityWindow {
public:
    Win13Window(Widget* parent, Win98Window* host);
    ~Win13Window() override;

    void Open(int openStock, Troop* troop);
    using Window::Close;
    void Close();
    void UpdateUnitButtons(int showList);
    void BuildListButtons();
    void AppendQueueEntry(int32_t queueId);
    int PressButton(int n);
    // Shows the city's toggle flag on 0x103 and the building and recruiting buttons.
    void ShowToggle();

    void OnControlRightPress(Widget* control, Point* point) override;
    void OnControlClick(Widget* control, Point* point) override;
    void OnNotify(Window* child, int code) override;

    Win98Window* host = nullptr;
    Win14Window* stock = nullptr;
    Win18Window* building = nullptr;
    Win16Window* recruiting = nullptr;
    Window* transport = nullptr;
    uint8_t chosenBuilding = 0;
    FontRecord nameFont;
    std::string name;
    std::string emptyText;
    FontRecord queueFont;
};

// Opens the city's transport window from the command panel.
Window* OpenCityTransport(Widget* parent, Win13Window* owner);
