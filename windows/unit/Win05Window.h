#pragma once

#include "gui/Window.h"
#include "windows/unit/TroopTexts.h"

#include <cstdint>

class GuiLayout;
class GuiPanel;
class LinkList;
class Troop;
class Widget;
class Win07Window;
class Win10Window;
class Win29Window;
class Win32Window;
class Win34Window;
class Win80Window;

// The selected-unit panel: up to six troop rows of a list (the map selection in mode 0, a city's
// troops in mode 1, a city order's troops in mode 2), with the buttons that open the unit pages.
class Win05Window : public Window {
public:
    Win05Window(Widget* parent, Window* host);
    ~Win05Window() override;
    Win05Window(const Win05Window&) = delete;
    Win05Window& operator=(const Win05Window&) = delete;

    // Rebuilds the panel for the list; focus (1-based list position, 0 none) opens the equipment
    // page on that troop, openCorps the corps page.
    void ShowUnits(LinkList* list, int focus, int first, int mode, int openCorps);
    // Refreshes one shown troop by mask (1 values, 2 carried troops and order, 4 skills, 8 items);
    // null shows the list again.
    void UpdateTroop(Troop* troop, int mask);
    void ClosePanel();
    bool Shown() const { return panel != nullptr; }
    // The troop of row n (0..5), or null.
    Troop* RowTroop(int n) const { return n >= 0 && n < 6 ? rows[n] : nullptr; }
    // The troop of the drag code's source row.
    Troop* DragRowTroop() const;

    void OnControlPress(Widget* control, Point* point) override;
    void OnControlClick(Widget* control, Point* point) override;
    void OnControlRightClick(Widget* control, Point* point) override;
    void OnControlHover(Widget* control, Point* point) override;
    void OnControlRelease(Widget* control, Point* point) override;
    void OnNotify(Window* child, int code) override;

    // The panel keys: the next row of the equipment page, a page button (0..2), the skills and
    // belt pages in turn. 0 when the panel (or the equipment page) is not shown.
    int NextRowKey();
    int PressButtonKey(int n);
    int SwitchSubPageKey();

    Win07Window* equipmentPage = nullptr;
    Win10Window* infoPage = nullptr;
    Win29Window* corpsPage = nullptr;
    Win32Window* skillsPage = nullptr;
    Win34Window* beltPage = nullptr;
    LinkList* list = nullptr;
    int8_t firstRow = 0;
    uint8_t mode = 0;
    uint8_t subPage = 0;
    Troop* rows[6] = {};
    Troop* equipTroop = nullptr;
    int8_t equipRow = 0;
    uint8_t corpsOpen = 0;
    GuiPanel* panel = nullptr;
    LinkList* controls = nullptr;
    Window* host = nullptr;
    Widget* parent = nullptr;
    GuiLayout* layout = nullptr;
    GuiLayout* layoutCity = nullptr;
    GuiLayout* layoutField = nullptr;
    GuiPanel* rowPanels[6] = {};
    GuiLayout* rowLayout = nullptr;
    LinkList* rowControls[6] = {};
    // One per row name, with the name it shows.
    FontRecord rowFonts[6];
    std::string rowNames[6];
    int8_t shownCount = 0;

private:
    void DrawRow(int r, Troop* troop);
    void ToggleChosen(int r, Win80Window* preparation);
    void ShowEquipment(Troop* troop, int row);
    void SubPagesOn(bool on);
    void CloseSubPage();
    Widget* Find(int id) const;
};

// Whether the panel is open.
bool UnitPanelShown();
// The host's panel, or null while the host does not exist.
Win05Window* UnitPanel();
// Refreshes the troop on the open panel by mask; nothing while no panel is open.
void RefreshUnitPanel(Troop* troop, int mask);
