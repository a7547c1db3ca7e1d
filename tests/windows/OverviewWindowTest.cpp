#include "DemoBattleFixture.h"

#include "gui/GuiPanel.h"
#include "gui/VScrollBar.h"
#include "windows/main/PanelKeys.h"
#include "windows/main/Win37Window.h"
#include "world/MapView.h"

#include <algorithm>

namespace {

constexpr uint32_t kF7 = 118;
constexpr uint32_t kEscape = 27;
constexpr int kStrengthColumn = 2;
// "野外".
const std::string kInTheField = "\xb3\xa5\xa5\x7e";

class OverviewWindow : public DemoBattleFixture {
protected:
    Win37Window* Open() {
        ClickControl(MenuButton(0x102));
        return MainPanel()->overview;
    }
    static Win37Window* Overview() { return MainPanel()->overview; }
    static LinkList* Table() {
        Win37Window* w = Overview();
        return w->officerView ? w->officerControls : w->cityControls;
    }
    static int Columns() {
        return Overview()->officerView ? Win37Window::kOfficerColumns : Win37Window::kCityColumns;
    }
    static std::string Cell(int row, int column) {
        return LabelText(Table(), 0x200 + row * Columns() + column);
    }
    // Column c of the ten shown rows, up to the first empty row.
    static std::vector<std::string> ColumnTexts(int column) {
        std::vector<std::string> out;
        for (int r = 0; r < Win37Window::kRows && !Cell(r, 0).empty(); ++r)
            out.push_back(Cell(r, column));
        return out;
    }
    static std::vector<int> ColumnNumbers(int column) {
        std::vector<int> out;
        for (const std::string& s : ColumnTexts(column))
            out.push_back(std::stoi(s));
        return out;
    }
    static void ShowTab(int page) { ClickControl(Overview()->Control(0x101 + page)); }
    static void ClickHeader(int column) { ClickControl(Control(Table(), 0x100 + column)); }
    static int RowOf(const std::string& name) {
        const std::vector<std::string> names = ColumnTexts(0);
        const auto at = std::find(names.begin(), names.end(), name);
        return at == names.end() ? -1 : int(at - names.begin());
    }
    static bool MapAreaEnabled() {
        const MapView* v = TheGameController->gameScreen;
        return v && v->panel && v->panel->enabled == 1;
    }
};

} // namespace

TEST_F(OverviewWindow, ListsThePlayersAndEveryKingdomsOfficersAndCitiesAndItsKeysCloseIt) {
    ASSERT_NE(Open(), nullptr);
    EXPECT_FALSE(MapAreaEnabled()); // the side panels are locked while it is open
    // Page 0: red's own officers only, the field army "in the field".
    const std::vector<std::string> own = ColumnTexts(0);
    for (const char* name : {"Zhao Feng", "Lu Min"})
        EXPECT_NE(std::find(own.begin(), own.end(), name), own.end()) << name;
    for (const char* name : {"Ma Tai", "Yu Lan"})
        EXPECT_EQ(std::find(own.begin(), own.end(), name), own.end()) << name;
    EXPECT_EQ(Cell(RowOf("Zhao Feng"), 14), kInTheField);
    const Troop* zhao = TroopNamed("Zhao Feng");
    ASSERT_NE(zhao, nullptr);
    EXPECT_EQ(Cell(RowOf("Zhao Feng"), kStrengthColumn),
              std::to_string(zhao->officer->Get(OfficerLayout::kStrength)));
    const auto* bar = dynamic_cast<VScrollBar*>(Overview()->Control(0x300));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->page, 10);

    // Page 2: every kingdom's; the hill lord sits below the first page now that blue has scouts.
    ShowTab(2);
    const std::vector<std::string> all = ColumnTexts(0);
    for (const char* name : {"Zhao Feng", "Ma Tai", "Sun Ye"})
        EXPECT_NE(std::find(all.begin(), all.end(), name), all.end()) << name;
    EXPECT_GT(all.size(), own.size());
    // The window's step-forward button scrolls the table down to him.
    const auto* allBar = dynamic_cast<VScrollBar*>(Overview()->Control(0x300));
    ASSERT_NE(allBar, nullptr);
    const std::string firstShown = Cell(0, 0);
    for (int step = 0; step < 32 && RowOf("Yu Lan") < 0; ++step)
        ClickControl(Overview()->Control(0x106));
    EXPECT_GE(RowOf("Yu Lan"), 0);
    EXPECT_GT(allBar->position, 0);
    EXPECT_NE(Cell(0, 0), firstShown);

    // Page 1: red's cities with their owner and their gold; the rows below are empty.
    ShowTab(1);
    EXPECT_EQ(ColumnTexts(0), (std::vector<std::string>{"Red Keep", "Red Mill"}));
    EXPECT_EQ(Cell(0, 2), "Red Banner");
    EXPECT_EQ(Cell(1, 4), std::to_string(CityNamed("Red Mill")->Int(CityLayout::kGold)));
    EXPECT_EQ(Cell(2, 4), "");
    // Page 3: every kingdom's cities.
    ShowTab(3);
    EXPECT_EQ(ColumnTexts(0).size(), 4u);
    EXPECT_EQ(Cell(2, 2), "Blue River");

    // F7 closes it and frees the side panels; F7 opens it again and Esc closes it.
    HandlePanelKeyDown(kF7);
    FlushDeferredDeletes();
    EXPECT_EQ(Overview(), nullptr);
    EXPECT_TRUE(MapAreaEnabled());
    HandlePanelKeyDown(kF7);
    ASSERT_NE(Overview(), nullptr);
    EXPECT_EQ(Overview()->page, 0);
    HandlePanelKeyDown(kEscape);
    FlushDeferredDeletes();
    EXPECT_EQ(Overview(), nullptr);
}

TEST_F(OverviewWindow, AHeaderSortsStablyTheSameHeaderTurnsTheTableRoundAndBothOfficerPagesShareIt) {
    ASSERT_NE(Open(), nullptr);
    ShowTab(2);
    // At first by side, then by person number.
    std::vector<Troop*> start = Overview()->pages[2].officers;
    ASSERT_GE(start.size(), 6u);
    EXPECT_TRUE(std::is_sorted(start.begin(), start.end(),
                               [](const Troop* a, const Troop* b) { return a->owner < b->owner; }));
    // Strongest first; equal strengths keep the order they had.
    std::vector<Troop*> expected = start;
    std::stable_sort(expected.begin(), expected.end(), [](const Troop* a, const Troop* b) {
        return a->officer->Get(OfficerLayout::kStrength) > b->officer->Get(OfficerLayout::kStrength);
    });
    ClickHeader(kStrengthColumn);
    EXPECT_EQ(Overview()->pages[2].officers, expected);
    const std::vector<int> shown = ColumnNumbers(kStrengthColumn);
    EXPECT_TRUE(std::is_sorted(shown.rbegin(), shown.rend()));
    EXPECT_EQ(Cell(0, 0), std::string(expected[0]->officer->Name()));
    // Again: the same rows the other way round, ties included; a third time back.
    ClickHeader(kStrengthColumn);
    EXPECT_EQ(Overview()->pages[2].officers, std::vector<Troop*>(expected.rbegin(), expected.rend()));
    const std::vector<int> reversed = ColumnNumbers(kStrengthColumn);
    EXPECT_TRUE(std::is_sorted(reversed.begin(), reversed.end()));
    ClickHeader(kStrengthColumn);
    EXPECT_EQ(Overview()->pages[2].officers, expected);
    // The player's page follows the same column.
    ShowTab(0);
    const std::vector<int> own = ColumnNumbers(kStrengthColumn);
    ASSERT_GE(own.size(), 2u);
    EXPECT_TRUE(std::is_sorted(own.rbegin(), own.rend()));
    // City tables sort by their own column: most gold first.
    ShowTab(3);
    ClickHeader(4);
    const std::vector<int> gold = ColumnNumbers(4);
    EXPECT_TRUE(std::is_sorted(gold.rbegin(), gold.rend()));
    EXPECT_EQ(gold.size(), 4u);
}

TEST_F(OverviewWindow, ARowOfThePlayersOwnPagesMovesTheViewAndIsMarkedYellow) {
    ASSERT_NE(Open(), nullptr);
    MapView* view = TheGameController->gameScreen;
    ASSERT_NE(view, nullptr);
    const Troop* zhao = TroopNamed("Zhao Feng");
    const int row = RowOf("Zhao Feng");
    ASSERT_GE(row, 0);
    view->SetViewOrigin(30, 60);
    ClickControl(Control(Table(), 0x200 + row * Win37Window::kOfficerColumns));
    const int x = std::clamp(zhao->cellX - 10, 0, view->mapWidth - MapView::kViewColumns);
    const int y = std::clamp(zhao->cellY * 2 - 28, 0, view->mapHeight - MapView::kViewRows) & ~3;
    EXPECT_EQ(view->viewX, x);
    EXPECT_EQ(view->viewY, y);
    auto* picked = dynamic_cast<TextLabel*>(Control(Table(), 0x200 + row * Win37Window::kOfficerColumns));
    ASSERT_NE(picked, nullptr);
    EXPECT_EQ(picked->textRecord->b, 0); // yellow
    EXPECT_EQ(picked->textRecord->g, 255);

    // Another row takes the mark; the first turns white again.
    const int other = RowOf("Lu Min");
    ASSERT_GE(other, 0);
    ClickControl(Control(Table(), 0x200 + other * Win37Window::kOfficerColumns));
    EXPECT_EQ(picked->textRecord->b, 255);

    // Every kingdom's page only shows.
    ShowTab(2);
    view->SetViewOrigin(30, 60);
    ClickControl(Control(Table(), 0x200 + RowOf("Ma Tai") * Win37Window::kOfficerColumns));
    EXPECT_EQ(view->viewX, 30);
    EXPECT_EQ(view->viewY, 60);

    // A city row moves the view to the city.
    ShowTab(1);
    const City* mill = CityNamed("Red Mill");
    ClickControl(Control(Table(), 0x200 + RowOf("Red Mill") * Win37Window::kCityColumns));
    EXPECT_EQ(view->viewX, std::max(mill->CellX() - 10, view->scrollMinX));
    EXPECT_EQ(view->viewY, std::max(mill->CellY() - 21, view->scrollMinY) & ~1);
}

TEST_F(OverviewWindow, AFallenOrDeletedTroopLeavesTheTables) {
    ASSERT_NE(Open(), nullptr);
    ShowTab(2);
    Troop* ma = TroopNamed("Ma Tai");
    ASSERT_NE(ma, nullptr);
    ASSERT_GE(RowOf("Ma Tai"), 0);
    const size_t before = Overview()->pages[2].officers.size();
    ma->Kill(1);
    EXPECT_EQ(RowOf("Ma Tai"), -1);
    EXPECT_EQ(Overview()->pages[2].officers.size(), before - 1);

    // A troop on its way out of the world leaves at once, even before it is counted dead.
    Troop* sun = TroopNamed("Sun Ye");
    ASSERT_GE(RowOf("Sun Ye"), 0);
    TheBattleMap->ForgetTroop(sun);
    EXPECT_EQ(RowOf("Sun Ye"), -1);
    const std::vector<Troop*>& rows = Overview()->pages[2].officers;
    EXPECT_EQ(std::find(rows.begin(), rows.end(), sun), rows.end());
    delete sun; // as every caller of ForgetTroop does once the troop is out of the world
}
