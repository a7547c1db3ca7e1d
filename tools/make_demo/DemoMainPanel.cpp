#include "DemoMainPanel.h"

#include "DemoLayoutPlan.h"

using gamefiles::Bytes;
using namespace demolayout;

std::vector<std::pair<std::string, Bytes>> MainPanelLayouts() {
    std::vector<std::pair<std::string, Bytes>> files;
    // The strip below the 560 rows of the map: the menu with the date and mission lines on the
    // left, the status line with the chat buttons beside it; the minimap owns the last 200 columns.
    {
        Plan p({0, 560, 360, 600}, "");
        p.buttons = {{Box(4, 3, 54, 16), "MENU"},
                     {Box(60, 3, 54, 16), "BRIEF"},
                     {Box(4, 21, 54, 16), "VIEW"},
                     {Box(60, 21, 54, 16), "LIST"}};
        p.labels = {Box(120, 3, 236, 16), Box(120, 21, 236, 16)};
        files.emplace_back("Win02.gui", p.Build());
    }
    {
        Plan p({360, 560, 600, 600}, "");
        p.buttons = {{Box(216, 3, 20, 16), "UP"}, {Box(216, 21, 20, 16), "DN"}};
        p.textButtons = {{Box(4, 3, 208, 16), ""}};
        p.plain = {{Box(4, 21, 20, 16), ""}};
        files.emplace_back("Win01.gui", p.Build());
    }
    // The hot-key groups, over the map's bottom left corner.
    {
        Plan p({0, 396, 110, 560}, "");
        for (int n = 0; n < 10; ++n)
            p.labels.push_back(Box(6, 5 + 15 * n, 98, 15));
        files.emplace_back("Win11.gui", p.Build());
    }
    // Chat pages of two to five rows above the strip.
    for (int rows = 2; rows <= 5; ++rows) {
        Plan p({200, 548 - 18 * rows, 600, 556}, "");
        for (int r = 0; r < rows; ++r)
            p.labels.push_back(Box(10, 4 + 18 * r, 380, 18));
        files.emplace_back("Win01_" + std::to_string(rows) + ".gui", p.Build());
    }
    {
        Plan p({180, 220, 620, 380}, "");
        for (int r = 0; r < 3; ++r)
            p.labels.push_back(Box(20, 14 + 28 * r, 400, 24));
        p.buttons = {{Box(90, 108, 110, 36), "YES"}, {Box(240, 108, 110, 36), "NO"}};
        files.emplace_back("YorN.gui", p.Build());
    }
    {
        Plan p({300, 130, 500, 450}, "GAME MENU");
        const char* captions[7] = {"RETURN", "SAVE", "LOAD", "SOUND", "LEAVE GAME", "BACK TO GAME", "QUIT"};
        for (int n = 0; n < 7; ++n)
            p.buttons.push_back({Box(20, 34 + 40 * n, 160, 34), captions[n]});
        files.emplace_back("Win26.gui", p.Build());
    }
    {
        Plan p({150, 150, 650, 450}, "SPEED AND VOLUME");
        const char* rows[3] = {"SPEED", "MUSIC", "MOVIE"};
        for (int r = 0; r < 3; ++r) {
            p.back.Text(14, 56 + 64 * r, rows[r], 2, kCaption);
            for (int v = 0; v < 10; ++v)
                p.buttons.push_back({Box(110 + 37 * v, 48 + 64 * r, 33, 30), std::to_string(v)});
        }
        p.buttons.push_back({Box(130, 248, 110, 36), "OK"});
        p.buttons.push_back({Box(260, 248, 110, 36), "CANCEL"});
        files.emplace_back("Win40.gui", p.Build());
    }
    {
        Plan p({360, 464, 600, 556}, "CHAT");
        p.buttons = {{Box(10, 26, 106, 28), "PUBLIC"},
                     {Box(124, 26, 106, 28), "ALLIANCE"},
                     {Box(10, 58, 220, 28), "ROWS"}};
        files.emplace_back("Win35.gui", p.Build());
    }
    {
        Plan p({360, 464, 600, 556}, "CHAT ROWS");
        for (int n = 0; n < 6; ++n)
            p.buttons.push_back({Box(10 + 37 * n, 40, 33, 34), std::to_string(5 - n)});
        files.emplace_back("Win36.gui", p.Build());
    }
    return files;
}
