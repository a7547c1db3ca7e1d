#include "NetworkLayouts.h"

#include "DemoPictures.h"

namespace {

using gamefiles::Bytes;
using gamefiles::LayoutBox;

constexpr uint16_t Rgb(int r, int g, int b) {
    return uint16_t(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3));
}

struct ScreenPlan {
    LayoutBox frame;
    std::vector<LayoutBox> buttons, labels, bars, toggles, plain, textButtons;
    // Captions of the first picture buttons, on every face.
    std::vector<std::string> captions;
};

// The faces of picture button n, captioned when the plan names it.
std::vector<std::vector<uint16_t>> Faces(const ScreenPlan& s, size_t n, uint16_t colour) {
    const LayoutBox& b = s.buttons[n];
    std::vector<std::vector<uint16_t>> faces = gamefiles::ButtonFaces(b.Width(), b.Height(), colour);
    if (n >= s.captions.size() || s.captions[n].empty()) return faces;
    for (size_t f = 0; f < faces.size(); ++f) {
        DemoPicture p(b.Width(), b.Height());
        p.pixels = faces[f];
        const int shift = f == 1 ? 1 : 0;
        p.CentredText(shift, shift, p.width + shift, p.height + shift, s.captions[n], 1,
                      f == 3 ? Rgb565(60, 60, 60) : Rgb565(250, 230, 180));
        faces[f] = p.pixels;
    }
    return faces;
}

ScreenPlan Plan(const LayoutBox& frame) {
    ScreenPlan s;
    s.frame = frame;
    return s;
}

LayoutBox Box(int x, int y, int w, int h) {
    return {x, y, x + w, y + h};
}

Bytes Build(const ScreenPlan& s) {
    const int W = s.frame.Width(), H = s.frame.Height();
    std::vector<uint16_t> back(size_t(W) * H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            uint16_t p = Rgb(40, 32 + y * 40 / H, 60);
            if (x < 3 || y < 3 || x >= W - 3 || y >= H - 3) p = Rgb(200, 160, 80);
            back[size_t(y) * W + x] = p;
        }
    // Label places show as darker wells.
    for (const LayoutBox& l : s.labels)
        for (int y = l.top; y < l.bottom && y < H; ++y)
            for (int x = l.left; x < l.right && x < W; ++x)
                back[size_t(y) * W + x] = Rgb(20, 20, 28);
    // Buttons draw their pictures only when their state changes: the background shows them at rest.
    auto paste = [&](const std::vector<LayoutBox>& boxes, uint16_t colour) {
        for (const LayoutBox& b : boxes) {
            const std::vector<uint16_t> face = gamefiles::ButtonFaces(b.Width(), b.Height(), colour)[0];
            for (int y = 0; y < b.Height(); ++y)
                for (int x = 0; x < b.Width(); ++x)
                    if (b.top + y < H && b.left + x < W)
                        back[size_t(b.top + y) * W + b.left + x] = face[size_t(y) * b.Width() + x];
        }
    };
    for (size_t n = 0; n < s.buttons.size(); ++n) {
        const LayoutBox& b = s.buttons[n];
        const std::vector<uint16_t> face = Faces(s, n, Rgb(120, 70, 40))[0];
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < b.Width(); ++x)
                if (b.top + y < H && b.left + x < W)
                    back[size_t(b.top + y) * W + b.left + x] = face[size_t(y) * b.Width() + x];
    }
    paste(s.textButtons, Rgb(50, 50, 80));
    gamefiles::LayoutWriter w;
    w.Block(0, 1).ElementPixels(s.frame.left, s.frame.top, s.frame.right, s.frame.bottom, W, H, 0, back);
    auto faces = [&](const std::vector<LayoutBox>& boxes, uint16_t colour) {
        for (const LayoutBox& b : boxes)
            for (const std::vector<uint16_t>& p : gamefiles::ButtonFaces(b.Width(), b.Height(), colour))
                w.ElementPixels(b.left, b.top, b.right, b.bottom, b.Width(), b.Height(), 0, p);
    };
    if (!s.buttons.empty()) {
        w.Block(1, uint32_t(s.buttons.size()));
        for (size_t n = 0; n < s.buttons.size(); ++n) {
            const LayoutBox& b = s.buttons[n];
            for (const std::vector<uint16_t>& p : Faces(s, n, Rgb(120, 70, 40)))
                w.ElementPixels(b.left, b.top, b.right, b.bottom, b.Width(), b.Height(), 0, p);
        }
    }
    if (!s.textButtons.empty()) {
        w.Block(6, uint32_t(s.textButtons.size()));
        faces(s.textButtons, Rgb(50, 50, 80));
    }
    if (!s.labels.empty()) {
        w.Block(2, uint32_t(s.labels.size()));
        // Each label keeps the well under it, so that a new text first wipes the old one.
        for (const LayoutBox& l : s.labels) {
            std::vector<uint16_t> well(size_t(l.Width()) * l.Height());
            for (int y = 0; y < l.Height(); ++y)
                for (int x = 0; x < l.Width(); ++x)
                    if (l.top + y < H && l.left + x < W)
                        well[size_t(y) * l.Width() + x] = back[size_t(l.top + y) * W + l.left + x];
            w.ElementPixels(l.left, l.top, l.right, l.bottom, l.Width(), l.Height(), 150, well);
        }
    }
    if (!s.bars.empty()) {
        w.Block(3, uint32_t(s.bars.size()));
        for (const LayoutBox& b : s.bars)
            w.Solid(b.left, b.top, b.right, b.bottom, Rgb(80, 80, 90));
    }
    if (!s.toggles.empty()) {
        w.Block(4, uint32_t(s.toggles.size()));
        for (const LayoutBox& t : s.toggles)
            w.Element(t.left, t.top, t.right, t.bottom);
    }
    if (!s.plain.empty()) {
        w.Block(5, uint32_t(s.plain.size()));
        for (const LayoutBox& p : s.plain)
            w.Element(p.left, p.top, p.right, p.bottom);
    }
    w.End();
    return w.Bytes();
}

} // namespace

std::vector<std::pair<std::string, Bytes>> NetworkLayouts() {
    std::vector<std::pair<std::string, Bytes>> files;
    {
        ScreenPlan s = Plan({200, 200, 600, 400});
        for (int n = 0; n < 3; ++n)
            s.buttons.push_back(Box(40 + n * 110, 120, 100, 40));
        s.captions = {"LOBBY SERVER", "LOCAL NETWORK", "BACK"};
        files.emplace_back("Win74.gui", Build(s));
    }
    {
        ScreenPlan s = Plan({220, 200, 580, 400});
        s.labels = {Box(140, 40, 180, 22), Box(140, 80, 180, 22)};
        s.buttons = {Box(60, 140, 100, 36), Box(200, 140, 100, 36)};
        s.toggles = {Box(10, 10, 20, 20)};
        files.emplace_back("Win201.gui", Build(s));
    }
    {
        // Room list: up, second up, 12 row buttons, down, second down, new room, leave.
        ScreenPlan s = Plan({0, 0, 800, 600});
        s.buttons.push_back(Box(540, 40, 20, 20));
        s.buttons.push_back(Box(770, 40, 20, 20));
        // Rows end above the chat window of the lobby server's lobby (bottom left).
        for (int row = 0; row < 12; ++row)
            s.buttons.push_back(Box(10, 70 + row * 29, 16, 26));
        s.buttons.push_back(Box(540, 420, 20, 20));
        s.buttons.push_back(Box(770, 420, 20, 20));
        s.buttons.push_back(Box(440, 545, 160, 40));
        s.buttons.push_back(Box(620, 545, 160, 40));
        s.captions.resize(s.buttons.size());
        s.captions[16] = "NEW ROOM";
        s.captions[17] = "LEAVE";
        for (int row = 0; row < 12; ++row) {
            const int y = 70 + row * 29 - 3;
            const int cols[8][2] = {{100, 110}, {212, 40}, {254, 40},  {296, 40},
                                    {338, 100}, {440, 96}, {570, 110}, {682, 84}};
            for (const auto& c : cols)
                s.labels.push_back(Box(c[0], y + 6, c[1], 20));
        }
        s.bars = {Box(540, 66, 20, 350), Box(770, 66, 20, 350)};
        for (int row = 0; row < 12; ++row)
            s.textButtons.push_back(Box(30, 70 + row * 29, 66, 26));
        files.emplace_back("Win206.gui", Build(s));
    }
    {
        ScreenPlan s = Plan({200, 150, 600, 450});
        for (int n = 0; n < 8; ++n)
            s.buttons.push_back(Box(20 + (n % 4) * 92, 90 + (n / 4) * 50, 84, 36));
        s.buttons.push_back(Box(60, 240, 120, 40));
        s.buttons.push_back(Box(220, 240, 120, 40));
        s.labels = {Box(20, 20, 360, 22), Box(20, 50, 360, 22)};
        s.captions.resize(s.buttons.size());
        s.captions[8] = "CREATE";
        s.captions[9] = "BACK";
        files.emplace_back("Win207.gui", Build(s));
    }
    // The rooms keep the bottom left free for the chat window ("Win212.gui") and, in a campaign
    // room, the bottom right for the picker ("Win210.gui").
    {
        // Campaign room: scroll up, option 1 (four), scroll down, start, ready, leave.
        ScreenPlan s = Plan({0, 0, 800, 600});
        s.buttons.push_back(Box(760, 30, 20, 20));
        for (int k = 0; k < 4; ++k)
            s.buttons.push_back(Box(20 + k * 56, 380, 52, 34));
        s.buttons.push_back(Box(760, 252, 20, 20));
        for (int k = 0; k < 3; ++k)
            s.buttons.push_back(Box(260 + k * 54, 380, 52, 34));
        s.captions = {"", "1", "2", "3", "4", "", "START", "READY", "LEAVE"};
        s.bars.push_back(Box(760, 54, 20, 194));
        // Text buttons 0x600..0x629: the sides' leaders, two per slot, the battle's name, the
        // battle list rows with the two victory lines among them (0x626, 0x628).
        s.textButtons = {Box(50, 12, 160, 24), Box(215, 12, 160, 24)};
        for (int slot = 0; slot < 16; ++slot)
            for (int col = 0; col < 2; ++col)
                s.textButtons.push_back(Box(50 + col * 165, 50 + slot * 20, 160, 18));
        s.textButtons.push_back(Box(440, 12, 300, 30));
        const int rows[7] = {0, 1, 2, -1, 3, -2, 4};
        for (int r : rows)
            s.textButtons.push_back(r >= 0 ? Box(440, 54 + r * 40, 300, 34)
                                           : Box(440, 262 - 30 * (r + 1), 300, 26));
        s.labels = {Box(50, 38, 160, 5), Box(215, 38, 160, 5)};
        for (int slot = 0; slot < 16; ++slot)
            s.labels.push_back(Box(20, 50 + slot * 20, 24, 18));
        files.emplace_back("Win208.gui", Build(s));
    }
    {
        // Random map room: scroll up, options 3 and 4 (four each), scroll down, start, ready, leave.
        ScreenPlan s = Plan({0, 0, 800, 600});
        s.buttons.push_back(Box(760, 30, 20, 20));
        for (int k = 0; k < 8; ++k)
            s.buttons.push_back(Box(440 + (k % 4) * 86, 330 + (k / 4) * 46, 80, 40));
        s.buttons.push_back(Box(760, 282, 20, 20));
        for (int k = 0; k < 3; ++k)
            s.buttons.push_back(Box(440 + k * 114, 440, 108, 40));
        s.captions = {"", "1", "2", "3", "4", "1", "2", "3", "4", "", "START", "READY", "LEAVE"};
        s.bars.push_back(Box(760, 54, 20, 224));
        // Text buttons 0x600..0x635: name, faction and alliance of each slot, the map's name and
        // the map list rows.
        const int lefts[3] = {50, 215, 340};
        const int widths[3] = {160, 120, 60};
        for (int slot = 0; slot < 16; ++slot)
            for (int col = 0; col < 3; ++col)
                s.textButtons.push_back(Box(lefts[col], 50 + slot * 24, widths[col], 22));
        s.textButtons.push_back(Box(440, 12, 300, 30));
        for (int r = 0; r < 5; ++r)
            s.textButtons.push_back(Box(440, 54 + r * 46, 300, 40));
        for (int slot = 0; slot < 16; ++slot)
            s.labels.push_back(Box(20, 50 + slot * 24, 24, 22));
        files.emplace_back("Win209.gui", Build(s));
    }
    {
        ScreenPlan s = Plan({420, 330, 800, 600});
        s.buttons = {Box(150, 10, 20, 20), Box(340, 10, 20, 20), Box(150, 240, 20, 20),
                     Box(340, 240, 20, 20)};
        for (int row = 0; row < 6; ++row)
            for (int col = 0; col < 2; ++col) {
                s.labels.push_back(Box(10 + col * 190, 40 + row * 32, 28, 28));
            }
        for (int row = 0; row < 6; ++row)
            for (int col = 0; col < 2; ++col)
                s.labels.push_back(Box(42 + col * 190, 44 + row * 32, 120, 20));
        // Picture places 0x200+4r+c and label places 0x202+4r+c interleave in the layout's order.
        std::vector<LayoutBox> ordered;
        for (int row = 0; row < 6; ++row) {
            ordered.push_back(s.labels[row * 2]);
            ordered.push_back(s.labels[row * 2 + 1]);
            ordered.push_back(s.labels[12 + row * 2]);
            ordered.push_back(s.labels[12 + row * 2 + 1]);
        }
        s.labels = ordered;
        s.bars = {Box(170, 34, 14, 200), Box(360, 34, 14, 200)};
        for (int row = 0; row < 6; ++row)
            for (int col = 0; col < 2; ++col)
                s.toggles.push_back(Box(10 + col * 190, 40 + row * 32, 150, 28));
        files.emplace_back("Win210.gui", Build(s));
    }
    {
        ScreenPlan s = Plan({250, 220, 550, 370});
        s.buttons = {Box(30, 90, 100, 36), Box(170, 90, 100, 36)};
        s.textButtons = {Box(20, 20, 260, 40)};
        s.captions = {"ACCEPT", "REFUSE"};
        files.emplace_back("Win211.gui", Build(s));
    }
    {
        ScreenPlan s = Plan({0, 440, 420, 600});
        s.buttons = {Box(390, 10, 20, 20), Box(390, 100, 20, 20)};
        s.plain = {Box(390, 130, 20, 20)};
        for (int n = 0; n < 5; ++n)
            s.labels.push_back(Box(10, 10 + n * 22, 370, 20));
        s.textButtons = {Box(10, 124, 370, 26)};
        files.emplace_back("Win212.gui", Build(s));
    }
    {
        ScreenPlan s = Plan({250, 100, 550, 540});
        for (int n = 0; n < 16; ++n) {
            s.labels.push_back(Box(20, 16 + n * 26, 40, 20));
            s.textButtons.push_back(Box(70, 14 + n * 26, 200, 24));
        }
        files.emplace_back("Win213.gui", Build(s));
    }
    {
        ScreenPlan s = Plan({200, 520, 600, 556});
        s.labels = {Box(10, 8, 380, 20)};
        files.emplace_back("Win01_1.gui", Build(s));
    }
    return files;
}
