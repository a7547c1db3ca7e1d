#pragma once

#include "gui/FontRecord.h"
#include "gui/Window.h"

#include <cstdint>
#include <string>

class City;
class GuiLayout;
class GuiPanel;
class LinkList;
class Widget;
class Win13Window;
class Win15Window;
class Win15_1Window;
class Win20Window;
class Win21Window;
class Win98Window;

// The selected city's status bar: its side, name, scale, troops and the values of its economy.
class Win03Window : public Window {
public:
    Win03Window(Widget* parent, Win98Window* host);
    ~Win03Window() override;
    Win03Window(const Win03Window&) = delete;
    Win03Window& operator=(const Win03Window&) = delete;

    void Show();
    int Hide(int result);
    // Prints the fields of the values named by the mask (1 gold, 2 food, 8 development, 0x10
    // commerce, 0x20 morale, 0x40 population, 0x80 side, name, scale and troops) and tells the
    // open stock windows of the gold and food.
    void RefreshCityFields(int mask);
    bool Shown() const { return view != nullptr; }

    Widget* parent = nullptr;
    Win98Window* host = nullptr;
    GuiLayout* layout = nullptr;
    GuiPanel* view = nullptr;
    LinkList* controls = nullptr;
    FontRecord fonts[13];
    std::string texts[13];
};

// The city panel host: owns every panel of the selected city. It draws nothing itself.
class Win98Window : public Window {
public:
    explicit Win98Window(Widget* parent = nullptr);
    ~Win98Window() override;
    Win98Window(const Win98Window&) = delete;
    Win98Window& operator=(const Win98Window&) = delete;

    Win03Window* statusBar = nullptr;
    Win13Window* command = nullptr;
    Win20Window* postPanel = nullptr;   // a sub-castle of kind 5
    Win21Window* marketPanel = nullptr; // a sub-castle of kind 4
    Win15Window* townPanel = nullptr;
    Win15_1Window* campPanel = nullptr;
    // The images of the priced buttons of the building and recruiting windows.
    GuiLayout* layout = nullptr;
    // The city command panel while it is shown; null until the city panels open one.
    GuiPanel* commandPanel = nullptr;
};

extern Win98Window* TheWin98;

// The city the game screen has selected, or null.
City* SelectedCity();
// A city's values changed: the status bar and the priced windows show them when it is the
// selected city.
void RefreshCityFields(City* city, int mask);
// The open stock and market windows of the city show its lists again, keeping their places.
void RefreshCityLists(City* city);
