#pragma once

#include "gui/FontRecord.h"
#include "windows/city/CityWindow.h"

#include <cstdint>
#include <string>

class City;
class SubCastle;
class Troop;
class Win22Window;
class Win98Window;

// The panels that take the command panel's place for other selections: the two sub-castle panels
// (a garrison post of kind 5, a market of kind 4) and the two panels of own cities without a
// command panel. Each shows the city's name and lists troops in the unit panel.
class CityPagePanel : public CityWindow {
public:
    CityPagePanel(Widget* parent, Win98Window* host, const char* layoutFile);

    using Window::Close;
    void Close();
    int PressButton(int n);

    Win98Window* host = nullptr;
    City* city = nullptr;
    FontRecord nameFont;
    std::string name;

protected:
    void ShowName();
    // The troops in the unit panel, from the given troop's row.
    void ListTroops(class LinkList* list, Troop* troop, int mode);
};

class SubCastlePanel : public CityPagePanel {
public:
    SubCastlePanel(Widget* parent, Win98Window* host, const char* layoutFile, int32_t kind);

    void Open(Troop* troop);
    using Window::Close;
    void Close();
    void EnableButtons();
    // The priced order is usable while a general is stationed and the city has 100 gold.
    void GoldTest();
    void OnControlClick(Widget* control, Point* point) override;

    SubCastle* subCastle = nullptr;
    int32_t kind = 0;

protected:
    virtual void Command(int id) = 0;
    // The order buttons, the priced one, the page mark, the other sub-castle's button, the first
    // stepping button.
    const int* orders = nullptr;
    int orderCount = 0;
    int pricedButton = 0;
    int pageMark = 0;
    int otherButton = 0;
    int32_t otherKind = 0;
    int firstStep = 0;
};

// A garrison post (sub-castle of kind 5).
class Win20Window : public SubCastlePanel {
public:
    Win20Window(Widget* parent, Win98Window* host);

protected:
    void Command(int id) override;
};

// A market (sub-castle of kind 4): its orders and the merchant's market window.
class Win21Window : public SubCastlePanel {
public:
    Win21Window(Widget* parent, Win98Window* host);
    ~Win21Window() override;
    void OnNotify(Window* child, int code) override;

    Win22Window* market = nullptr;

protected:
    void Command(int id) override;
};

// An own city of kind 1.
class Win15Window : public CityPagePanel {
public:
    Win15Window(Widget* parent, Win98Window* host, const char* layoutFile = "Win15.gui");
    void Open(Troop* troop);
    void OnControlClick(Widget* control, Point* point) override;
};

// An own city of kind 6: also its general, gold, food and special soldiers.
class Win15_1Window : public Win15Window {
public:
    Win15_1Window(Widget* parent, Win98Window* host);
    void Open(Troop* troop);

    FontRecord fonts[4];
    std::string texts[4];
};
