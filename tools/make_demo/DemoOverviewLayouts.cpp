#include "DemoOverviewLayouts.h"

#include "DemoLayoutPlan.h"

using gamefiles::Bytes;
using namespace demolayout;

namespace {

constexpr int kTableWidth = 700;
constexpr int kHeaderHeight = 20;
constexpr int kRowHeight = 20;
constexpr int kTableHeight = kHeaderHeight + 10 * kRowHeight + 6;

// A table of ten rows: header buttons 0x100 + c over the columns, cells 0x200 + columns * r + c.
Bytes Table(const std::vector<std::pair<const char*, int>>& columns) {
    Plan p({0, 0, kTableWidth, kTableHeight}, "");
    int x = 2;
    for (const auto& [caption, width] : columns) {
        p.buttons.push_back({Box(x, 2, width - 2, kHeaderHeight - 2), caption});
        x += width;
    }
    for (int r = 0; r < 10; ++r) {
        x = 2;
        for (const auto& column : columns) {
            p.labels.push_back(Box(x, kHeaderHeight + 2 + kRowHeight * r, column.second - 2, kRowHeight - 2));
            x += column.second;
        }
    }
    return p.Build();
}

} // namespace

std::vector<std::pair<std::string, Bytes>> OverviewLayouts() {
    std::vector<std::pair<std::string, Bytes>> files;
    // The overview: close, four page tabs, the rows' scroll buttons, the place of the table and the
    // scroll bar beside it.
    {
        Plan p({20, 90, 780, 420}, "OVERVIEW");
        p.buttons = {{Box(676, 6, 76, 24), "CLOSE"},        {Box(10, 34, 140, 26), "MY OFFICERS"},
                     {Box(156, 34, 140, 26), "MY CITIES"},  {Box(302, 34, 140, 26), "ALL OFFICERS"},
                     {Box(448, 34, 140, 26), "ALL CITIES"}, {Box(722, 66, 28, 22), "UP"},
                     {Box(722, 300, 28, 22), "DN"}};
        p.labels = {Box(10, 70, kTableWidth, kTableHeight)};
        p.bars = {Box(724, 92, 24, 204)};
        files.emplace_back("Win37.gui", p.Build());
    }
    files.emplace_back("Win38.gui", Table({{"NAME", 80},
                                           {"LV", 30},
                                           {"STR", 40},
                                           {"INT", 40},
                                           {"PHY", 40},
                                           {"CHA", 40},
                                           {"AGI", 40},
                                           {"LOY", 40},
                                           {"ATK", 40},
                                           {"DEF", 40},
                                           {"HP", 70},
                                           {"MP", 60},
                                           {"TRP", 30},
                                           {"CLASS", 50},
                                           {"WHERE", 60}}));
    files.emplace_back("Win39.gui", Table({{"CITY", 90},
                                           {"SZ", 40},
                                           {"KINGDOM", 100},
                                           {"PEOPLE", 60},
                                           {"GOLD", 55},
                                           {"FOOD", 55},
                                           {"DEV", 45},
                                           {"TRADE", 45},
                                           {"MOOD", 45},
                                           {"ITM", 35},
                                           {"SOLD", 45},
                                           {"GEN", 35},
                                           {"K", 25},
                                           {"G", 25}}));
    // The diplomacy list: eight rows of nine columns with the row's alliance, peace, war and gift
    // buttons, the scroll bar beside them, close and apply below.
    {
        Plan p({20, 80, 780, 470}, "DIPLOMACY");
        const int columns[9][2] = {{10, 30},  {44, 110}, {158, 50}, {212, 40}, {256, 40},
                                   {300, 40}, {344, 50}, {398, 60}, {462, 40}};
        const char* headings[9] = {"", "RULER", "STR", "CITY", "FORT", "CAMP", "MOOD", "STANCE", "GRP"};
        for (int c = 0; c < 9; ++c)
            p.back.Text(columns[c][0] + 2, 40, headings[c], 1, kCaption);
        p.buttons = {{Box(240, 336, 120, 36), "CLOSE"},
                     {Box(400, 336, 120, 36), "APPLY"},
                     {Box(722, 30, 28, 22), "UP"}};
        const char* actions[4] = {"ALLY", "PEACE", "WAR", "GIFT"};
        for (int r = 0; r < 8; ++r) {
            const int y = 56 + 34 * r;
            for (int c = 0; c < 9; ++c)
                p.labels.push_back(Box(columns[c][0], y + 2, columns[c][1], 24));
            for (int k = 0; k < 4; ++k)
                p.buttons.push_back({Box(506 + 54 * k, y, 50, 28), actions[k]});
        }
        p.buttons.push_back({Box(722, 306, 28, 22), "DN"});
        p.bars = {Box(724, 56, 24, 246)};
        files.emplace_back("Win41.gui", p.Build());
    }
    return files;
}
