#pragma once

#include "Program/FrontEndScreens.h"
#include "gui/FontRecord.h"

#include <cstdint>
#include <vector>

class City;
class GuiLayout;
class GuiPanel;
class Troop;

// The overview ("Win37.gui"): four tables of ten rows, the player's officers (page 0) and cities
// (page 1), every kingdom's officers (page 2) and cities (page 3). The officer table is "Win38.gui",
// the city table "Win39.gui", placed over the main view's label 0x200. A header sorts, the same
// header again turns the table round; a row of the player's own pages moves the map view to it.
class Win37Window : public ScreenWindow {
public:
    static constexpr int kRows = 10;
    static constexpr int kOfficerColumns = 15;
    static constexpr int kCityColumns = 14;
    static constexpr int kTextBytes = 24;

    Win37Window(Widget* parent, Window* owner);
    ~Win37Window() override;

    void OnControlPress(Widget* control, Point* point) override;
    void OnControlClick(Widget* control, Point* point) override;
    void OnControlHover(Widget* control, Point* point) override;
    int Close(int result) override;

    void ShowPage(int page, int position);
    void ShowRows(int position);
    // Esc: as a click on the close button; 0 once the window is closed.
    int HandleEscape();
    // The tables are built again from the world at the current page's position.
    void ClosePages();
    // A troop about to be deleted leaves every table at once.
    void DropTroop(const Troop* troop);

    // The rows of a page: officers on pages 0 and 2, cities on 1 and 3; built when first shown.
    struct PageRows {
        bool built = false;
        std::vector<Troop*> officers;
        std::vector<City*> cities;
        int position = 0;
    };
    PageRows pages[4];
    uint8_t page = 0;
    int officerSortColumn = 0;
    int citySortColumn = 0;
    int pickedOfficer = -1;
    int pickedCity = -1;
    GuiPanel* officerView = nullptr;
    LinkList* officerControls = nullptr;
    GuiPanel* cityView = nullptr;
    LinkList* cityControls = nullptr;
    FontRecord officerFonts[kRows * kOfficerColumns];
    FontRecord cityFonts[kRows * kCityColumns];

private:
    static bool OfficerPage(int p) { return p == 0 || p == 2; }
    int RowCount() const;
    void BuildRows(int p);
    void SortRows();
    void ReverseRows();
    void FillOfficerRow(int row, Troop* troop, bool picked);
    void FillCityRow(int row, City* city, bool picked);
    void ClearRow(int row);
    void PickRow(int row);
    void DropTableViews();
    GuiPanel* OpenTableView(GuiLayout* layout, LinkList*& controlsOut);

    GuiLayout* officerLayout = nullptr;
    GuiLayout* cityLayout = nullptr;
    char officerText[kRows * kOfficerColumns][kTextBytes] = {};
    char cityText[kRows * kCityColumns][kTextBytes] = {};
};

// What the running battle's overview hears of the world: a troop has fallen (the tables are built
// again without it), a troop is about to be deleted (it leaves them).
void OverviewTroopFell();
void OverviewTroopGone(const Troop* troop);
