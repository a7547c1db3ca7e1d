#include "DemoCityPanels.h"

#include "DemoPanelLayout.h"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace demopanel;

// Captions of the host's pictures: the building window's buttons (0..26) and the recruiting
// window's soldiers (27..43).
const char* const kPictures[44] = {
    "FARM",  "MARKET", "TEMPLE", "SCALE1", "SCALE2", "SCALE3", "GRAIN", "GUILD", "ALTAR", "FLAGS",  "INF1",
    "INF2",  "INF3",   "CAV1",   "CAV2",   "CAV3",   "ARC1",   "ARC2",  "ARC3",  "SEA1",  "SEA2",   "VINE1",
    "VINE2", "OX1",    "OX2",    "BAND1",  "BAND2",  "SPEAR",  "PIKE",  "GUARD", "HORSE", "LANCE",  "KNIGHT",
    "BOW",   "XBOW",   "SNIPE",  "SAIL",   "MARINE", "VINE",   "THORN", "OX",    "ELEPH", "BANDIT", "RIDER"};

Bytes Host() {
    UnitLayout u;
    u.frame = {0, 0, 40, 40};
    for (int k = 0; k < 44; ++k)
        u.buttons.push_back({Box(0, 0, 40, 40), kPictures[k]});
    return u.Write();
}

// Buttons 0x100 + n in a grid of `columns` from (x, y).
void ButtonGrid(UnitLayout& u, const std::vector<std::string>& captions, int x, int y, int columns, int w,
                int h) {
    for (size_t n = 0; n < captions.size(); ++n)
        u.buttons.push_back(
            {Box(x + int(n % size_t(columns)) * (w + 4), y + int(n / size_t(columns)) * (h + 4), w, h),
             captions[n]});
}

Bytes StatusBar() {
    UnitLayout u;
    u.frame = {0, 0, 800, 26};
    u.labels.push_back({Box(4, 6, 14, 14), kBar});
    u.labels.push_back({Box(22, 4, 120, 18), kText});
    for (int i = 2; i < 13; ++i)
        u.labels.push_back({Box(146 + 59 * (i - 2), 4, 56, 18), kText});
    return u.Write();
}

Bytes CommandPanel() {
    UnitLayout u;
    u.frame = {500, 330, 800, 560};
    ButtonGrid(
        u,
        {"CITY", "MARKET", "POST", "SELF", "ORDER", "CONVOY", "FOCUS", "STOCK", "<", ">", "BUILD", "RECRUIT"},
        8, 60, 4, 68, 24);
    u.labels.push_back({Box(8, 6, 284, 30), kText});
    u.labels.push_back({Box(8, 180, 284, 26), kText});
    return u.Write();
}

Bytes BuildingWindow() {
    UnitLayout u;
    u.frame = {250, 140, 550, 330};
    u.title = "BUILD";
    ButtonGrid(u, {"?", "CLOSE"}, 150, 4, 2, 68, 18);
    for (int n = 0; n < 12; ++n)
        u.plain.push_back(Box(10 + (n % 6) * 47, 40 + (n / 6) * 60, 40, 40));
    return u.Write();
}

Bytes RecruitingWindow() {
    UnitLayout u;
    u.frame = {250, 140, 550, 330};
    u.title = "RECRUIT";
    ButtonGrid(u, {"?", "CLOSE"}, 150, 4, 2, 68, 18);
    for (int n = 0; n < 11; ++n)
        u.plain.push_back(Box(20 + (n % 4) * 60, 34 + (n / 4) * 48, 40, 40));
    return u.Write();
}

Bytes StockWindow(int top) {
    UnitLayout u;
    u.frame = {200, top, 600, top + 250};
    u.title = "TROOPS AND STOCK";
    ButtonGrid(u, {"SORT", "CLOSE", "^", "v", "POST", "DEAL", "SORT", "^", "v"}, 4, 20, 9, 40, 18);
    u.labels.push_back({Box(8, 226, 90, 18), kText});
    u.labels.push_back({Box(200, 226, 90, 18), kText});
    u.bars = {Box(140, 44, 10, 134), Box(386, 44, 10, 134)};
    for (int i = 0; i < 16; ++i)
        u.toggles.push_back(Box(6 + (i % 4) * 33, 44 + (i / 4) * 34, 32, 32));
    for (int i = 0; i < 32; ++i)
        u.toggles.push_back(Box(156 + (i % 8) * 28, 44 + (i / 8) * 34, 27, 32));
    for (int i = 0; i < 4; ++i)
        u.toggles.push_back(Box(100 + i * 36, 182, 32, 32));
    return u.Write();
}

Bytes PagePanel(const std::vector<std::string>& captions, int labels) {
    UnitLayout u;
    u.frame = {500, 330, 800, 560};
    ButtonGrid(u, captions, 8, 60, 3, 90, 24);
    u.labels.push_back({Box(8, 6, 284, 30), kText});
    for (int i = 1; i < labels; ++i)
        u.labels.push_back({Box(8, 150 + 18 * (i - 1), 284, 16), kText});
    return u.Write();
}

Bytes MarketWindow(bool food) {
    UnitLayout u;
    u.frame = {150, 100, 650, 360};
    u.title = food ? "MARKET" : "MERCHANT";
    ButtonGrid(u, {"CLOSE", "SORT", "^", "^", "v", "v"}, 4, 20, 6, 50, 18);
    for (int i = 0; i < 3; ++i)
        u.labels.push_back({Box(10 + 160 * i, 236, 120, 18), kText});
    u.bars = {Box(140, 46, 10, 134), Box(480, 46, 10, 134)};
    for (int n = 0; n < 32; ++n) {
        const int col = n % 8, row = n / 8;
        u.toggles.push_back(Box(6 + col * 33 + (col >= 4 ? 210 : 0), 46 + row * 34, 32, 32));
    }
    for (int k = 0; k < 4; ++k)
        u.toggles.push_back(Box(6 + (k % 2) * 36 + (k >= 2 ? 340 : 0), 190, 32, 32));
    return u.Write();
}

// The pack on the left (ten item slots, 32 soldier slots, the four bags), the city's stock window
// on the right inside label 0x200.
Bytes TransportWindow() {
    UnitLayout u;
    u.frame = {0, 40, 640, 340};
    u.title = "CONVOY";
    ButtonGrid(u, {"ITEMS", "MEN", "GOLD", "FOOD", "SEND", "CANCEL"}, 4, 20, 6, 36, 18);
    u.labels.push_back({Box(236, 44, 400, 250), kText});
    u.labels.push_back({Box(8, 276, 90, 18), kText});
    u.labels.push_back({Box(110, 276, 90, 18), kText});
    for (int i = 0; i < 10; ++i)
        u.toggles.push_back(Box(6 + (i % 5) * 33, 44 + (i / 5) * 34, 32, 32));
    for (int i = 0; i < 32; ++i)
        u.toggles.push_back(Box(6 + (i % 8) * 28, 114 + (i / 8) * 34, 27, 32));
    for (int i = 0; i < 4; ++i)
        u.toggles.push_back(Box(180 + (i % 2) * 26, 44 + (i / 2) * 34, 24, 32));
    return u.Write();
}

} // namespace

bool WriteDemoCityPanels(const std::string& folder, std::string& error) {
    const std::pair<const char*, Bytes> files[] = {
        {"Win98.gui", Host()},
        {"Win03.gui", StatusBar()},
        {"Win13.gui", CommandPanel()},
        {"Win18.gui", BuildingWindow()},
        {"Win16.gui", RecruitingWindow()},
        {"Win14.gui", StockWindow(60)},
        {"Win14_1.gui", StockWindow(80)},
        {"Win20.gui", PagePanel({"CITY", "MARKET", "POST", "RAID", "WATCH", "<", ">", "SORTIE", "BUY"}, 1)},
        {"Win21.gui", PagePanel({"CITY", "MARKET", "POST", "TRADE", "<", ">", "BUY", "GOODS"}, 1)},
        {"Win15.gui", PagePanel({"<", ">"}, 1)},
        {"Win15_1.gui", PagePanel({"<", ">"}, 5)},
        {"Win22.gui", MarketWindow(true)},
        {"Win22_1.gui", MarketWindow(false)},
        {"Win23.gui", TransportWindow()},
    };
    for (const auto& [name, bytes] : files)
        if (!gamefiles::WriteBytes((std::filesystem::path(folder) / name).string(), bytes)) {
            error = name;
            return false;
        }
    return true;
}
