#include "DemoUnitPanels.h"

#include "DemoPanelLayout.h"
#include "DemoPictures.h"
#include "engine/GameFileWriters.h"

#include <filesystem>
#include <string>
#include <vector>

namespace {

using gamefiles::Bytes;
using gamefiles::LayoutBox;
using namespace demopanel;

// The selected-unit panel: three page buttons, six rows (select button, portrait, row place) with
// scroll buttons and bar.
Bytes UnitPanel(const std::string& title) {
    UnitLayout u;
    u.frame = {0, 330, 300, 560};
    u.title = title;
    u.buttons = {{Box(6, 16, 80, 18), "CORPS"},
                 {Box(90, 16, 80, 18), "SKILLS"},
                 {Box(174, 16, 80, 18), "BELT"},
                 {Box(280, 16, 16, 18), "U"}};
    for (int r = 0; r < 6; ++r) {
        u.buttons.push_back({Box(40, 38 + 32 * r, 20, 30), ">"});
        u.buttons.push_back({Box(280, 44 + 32 * r, 0, 0), ""});
    }
    u.buttons.push_back({Box(280, 210, 16, 18), "D"});
    for (int r = 0; r < 6; ++r) {
        u.labels.push_back({Box(6, 38 + 32 * r, 30, 30), kPicture});
        u.labels.push_back({Box(64, 38 + 32 * r, 210, 30), kText});
    }
    u.bars = {Box(282, 38, 12, 168)};
    return u.Write();
}

// One row of the panel: name, strength and skill-point bars, eight carried-troop marks.
Bytes UnitRow() {
    UnitLayout u;
    u.frame = {0, 0, 210, 30};
    u.labels = {{Box(2, 1, 120, 14), kText}, {Box(2, 17, 120, 5), kBar}, {Box(2, 24, 120, 4), kBar}};
    for (int m = 0; m < 8; ++m)
        u.labels.push_back({Box(128 + 10 * m, 18, 8, 8), kBar});
    return u.Write();
}

// The information block of a page: side bar, name, class, portrait, level, experience, strength,
// skill points, attack, defence, then (full) the six values.
void InfoBlock(UnitLayout& u, int x, int y, bool full) {
    u.labels.push_back({Box(x, y, 140, 4), kBar});
    u.labels.push_back({Box(x + 44, y + 6, 96, 20), kText});
    u.labels.push_back({Box(x + 44, y + 26, 96, 20), kText});
    u.labels.push_back({Box(x, y + 6, 40, 40), kPicture});
    u.labels.push_back({Box(x + 144, y + 6, 30, 20), kText});
    u.labels.push_back({Box(x, y + 50, 170, 14), kBarText});
    u.labels.push_back({Box(x, y + 66, 170, 14), kBarText});
    u.labels.push_back({Box(x, y + 82, 170, 14), kBarText});
    u.labels.push_back({Box(x, y + 98, 80, 14), kText});
    u.labels.push_back({Box(x + 90, y + 98, 80, 14), kText});
    if (!full) return;
    for (int n = 0; n < 6; ++n)
        u.labels.push_back({Box(x + (n % 3) * 58, y + 114 + (n / 3) * 16, 54, 14), kText});
}

// The equipment page: information, ten item slots, carried-troop grid, eight skills, order caption.
Bytes EquipmentPage() {
    UnitLayout u;
    u.frame = {300, 150, 700, 560};
    u.title = "EQUIPMENT";
    u.buttons = {{Box(300, 4, 0, 0), ""}, {Box(340, 4, 54, 18), "CLOSE"}};
    InfoBlock(u, 8, 24, true);
    u.labels.push_back({Box(200, 40, 92, 78), kText}); // carried-troop grid frame
    for (int n = 0; n < 10; ++n)
        u.toggles.push_back(Box(8 + (n % 5) * 40, 190 + (n / 5) * 40, 34, 34));
    for (int s = 0; s < 8; ++s)
        u.plain.push_back(Box(8 + s * 30, 280, 26, 26));
    u.texts = {Box(230, 190, 160, 80)};
    return u.Write();
}

Bytes InfoPage() {
    UnitLayout u;
    u.frame = {300, 300, 500, 480};
    u.title = "INFO";
    u.buttons = {{Box(100, 4, 0, 0), ""}, {Box(140, 4, 54, 18), "CLOSE"}};
    InfoBlock(u, 8, 24, true);
    return u.Write();
}

// The order-mode page: eight formations, three spacings, three emphases, three retreats, OK, cancel.
Bytes OrderPage() {
    UnitLayout u;
    u.frame = {300, 150, 620, 400};
    u.title = "ORDER";
    const char* formations[8] = {"LINE", "WEDGE", "CRESCENT", "SQUARE", "CROSS", "GEESE", "PEAKS", "CIRCLE"};
    for (int f = 0; f < 8; ++f)
        u.buttons.push_back({Box(8 + (f % 4) * 76, 20 + (f / 4) * 24, 72, 20), formations[f]});
    const char* rest[9] = {"CLOSE", "MID", "WIDE", "ATTACK", "DEFEND", "HOLD", "LIGHT", "HEAVY", "FIGHT"};
    for (int n = 0; n < 9; ++n)
        u.buttons.push_back({Box(8 + (n % 3) * 100, 80 + (n / 3) * 26, 96, 22), rest[n]});
    u.buttons.push_back({{Box(60, 200, 80, 22)}, "OK"});
    u.buttons.push_back({{Box(180, 200, 80, 22)}, "CANCEL"});
    return u.Write();
}

// The corps page: title, six row places, next group, two view tabs, page back and forward, close.
Bytes CorpsPage() {
    UnitLayout u;
    u.frame = {0, 0, 800, 560};
    u.title = "CORPS";
    u.buttons = {{Box(120, 4, 70, 18), "GROUP"},  {Box(200, 4, 70, 18), "VALUES"},
                 {Box(280, 4, 70, 18), "SKILLS"}, {Box(360, 4, 50, 18), "BACK"},
                 {Box(420, 4, 50, 18), "NEXT"},   {Box(730, 4, 60, 18), "CLOSE"}};
    u.labels.push_back({Box(480, 4, 240, 18), kText});
    for (int r = 0; r < 6; ++r)
        u.labels.push_back({Box(6 + (r % 3) * 264, 28 + (r / 3) * 264, 260, 260), kText});
    return u.Write();
}

Bytes CorpsRow(int view) {
    UnitLayout u;
    u.frame = {0, 0, 260, 260};
    u.buttons = {{Box(240, 2, 0, 0), ""}};
    InfoBlock(u, 4, 4, view == 0);
    if (view == 0) {
        for (int n = 0; n < 10; ++n)
            u.toggles.push_back(Box(4 + (n % 5) * 40, 166 + (n / 5) * 40, 34, 34));
    } else {
        u.labels.push_back({Box(160, 120, 92, 78), kText});
        for (int s = 0; s < 8; ++s)
            u.plain.push_back(Box(4 + s * 30, 206, 26, 26));
        u.texts = {Box(4, 120, 150, 80)};
    }
    return u.Write();
}

// A side page of six rows (skills or belt) and its row.
Bytes SidePage(const std::string& title) {
    UnitLayout u;
    u.frame = {300, 330, 560, 560};
    u.title = title;
    for (int r = 0; r < 6; ++r)
        u.labels.push_back({Box(6, 16 + 35 * r, 250, 32), kText});
    return u.Write();
}

Bytes SkillRow() {
    UnitLayout u;
    u.frame = {0, 0, 250, 32};
    for (int s = 0; s < 8; ++s)
        u.plain.push_back(Box(2 + 30 * s, 3, 26, 26));
    return u.Write();
}

Bytes BeltRow() {
    UnitLayout u;
    u.frame = {0, 0, 250, 32};
    for (int n = 0; n < 4; ++n)
        u.toggles.push_back(Box(2 + 36 * n, 0, 32, 32));
    return u.Write();
}

// An icon: a framed tile in the colour with its number.
std::vector<uint16_t> IconFace(int size, uint16_t colour, int number, int face) {
    DemoPicture p(size, size);
    const uint16_t fill = face == 3 ? Rgb565(80, 80, 80) : colour;
    p.Fill(1, 1, size - 1, size - 1, fill);
    p.Frame(0, 0, size, size, 1, face == 2 ? Rgb565(255, 255, 255) : kGold);
    p.CentredText(0, 0, size, size, std::to_string(number), 1, Rgb565(20, 20, 20));
    return p.pixels;
}

// An icon set: icon k is the four pictures from element 4 (k - 1) + 1. Item icons on the map take
// element n - 1 for icon number n: the demo's item icons (30 and up) have their map picture there.
Bytes IconSet(int icons, int size, int firstMapIcon, int mapIcons) {
    gamefiles::LayoutWriter w;
    auto colourOf = [](int k) {
        return Rgb565(60 + (k * 53) % 180, 60 + (k * 97) % 180, 60 + (k * 31) % 180);
    };
    auto mapIconAt = [&](int element) {
        const int n = element + 1;
        return n >= firstMapIcon && n < firstMapIcon + mapIcons ? n : 0;
    };
    auto element = [&](int e, int k, int face) {
        const int n = mapIconAt(e);
        w.ElementPixels(0, 0, size, size, size, size, 0,
                        n ? IconFace(size, colourOf(n), n, 0) : IconFace(size, colourOf(k), k, face));
    };
    w.Block(0, 1);
    element(0, 0, 0);
    w.Block(1, uint32_t(icons));
    for (int k = 1; k <= icons; ++k)
        for (int face = 0; face < 4; ++face)
            element(4 * (k - 1) + 1 + face, k, face);
    w.End();
    return w.Bytes();
}

} // namespace

bool WriteDemoUnitPanels(const std::string& folder, std::string& error) {
    const std::pair<const char*, Bytes> files[] = {
        {"Win05.gui", UnitPanel("CITY TROOPS")},
        {"Win05_1.gui", UnitPanel("TROOPS")},
        {"Win12.gui", UnitRow()},
        {"Win07.gui", EquipmentPage()},
        {"Win10.gui", InfoPage()},
        {"Win30.gui", OrderPage()},
        {"Win29.gui", CorpsPage()},
        {"Win08.gui", CorpsRow(0)},
        {"Win09.gui", CorpsRow(1)},
        {"Win32.gui", SidePage("SKILLS")},
        {"Win31.gui", SkillRow()},
        {"Win34.gui", SidePage("BELT")},
        {"Win33.gui", BeltRow()},
        {"Win97.gui", IconSet(kDemoIconCount, 32, kDemoFirstItemIcon, 10)},
        {"Win99.gui", IconSet(120, 26, 0, 0)},
    };
    for (const auto& [name, bytes] : files)
        if (!gamefiles::WriteBytes((std::filesystem::path(folder) / name).string(), bytes)) {
            error = name;
            return false;
        }
    return true;
}
