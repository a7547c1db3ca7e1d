#include "DemoFolder.h"

#include "DemoMainPanel.h"
#include "DemoOverviewLayouts.h"
#include "DemoPictures.h"
#include "DemoRecordHeadings.h"
#include "NetworkLayouts.h"
#include "engine/GameFileWriters.h"

#include <filesystem>
#include <vector>

namespace {

using gamefiles::Bytes;
using gamefiles::LayoutBox;

struct DemoButton {
    LayoutBox box;
    std::string caption;
};

const uint16_t kButtonColour = Rgb565(120, 70, 40);
const uint16_t kCaption = Rgb565(250, 230, 180);
const uint16_t kGold = Rgb565(230, 190, 90);

// A layout: its background, picture buttons (0x100 + n) with captions on every face, and text
// labels (0x200 + n, draw mode 150). A button with an empty box keeps its number unused.
Bytes Layout(const LayoutBox& frame, const DemoPicture& backdrop, const std::vector<DemoButton>& buttons,
             const std::vector<LayoutBox>& labels) {
    // Buttons draw their pictures only when their state changes: the background shows them at rest.
    DemoPicture background = backdrop;
    std::vector<std::vector<DemoPicture>> faces;
    for (const DemoButton& b : buttons) {
        faces.emplace_back();
        if (b.box.Width() <= 0 || b.box.Height() <= 0) continue;
        int face = 0;
        for (const std::vector<uint16_t>& pixels :
             gamefiles::ButtonFaces(b.box.Width(), b.box.Height(), kButtonColour)) {
            DemoPicture p(b.box.Width(), b.box.Height());
            p.pixels = pixels;
            const int scale =
                b.box.Height() >= 30 && DemoPicture::TextWidth(b.caption, 2) < b.box.Width() - 8 ? 2 : 1;
            const int shift = face == 1 ? 1 : 0;
            p.CentredText(shift, shift, p.width + shift, p.height + shift, b.caption, scale,
                          face == 3 ? Rgb565(60, 60, 60) : kCaption);
            faces.back().push_back(p);
            ++face;
        }
        background.Paste(faces.back()[0], b.box.left, b.box.top);
    }
    gamefiles::LayoutWriter w;
    w.Block(0, 1).ElementPixels(frame.left, frame.top, frame.right, frame.bottom, background.width,
                                background.height, 0, background.pixels);
    if (!buttons.empty()) {
        w.Block(1, uint32_t(buttons.size()));
        for (size_t n = 0; n < buttons.size(); ++n) {
            const LayoutBox& box = buttons[n].box;
            // Records of no size are read as empty slots.
            if (faces[n].empty())
                for (int face = 0; face < 4; ++face)
                    w.Element(0, 0, 0, 0, -1, -1);
            for (const DemoPicture& p : faces[n])
                w.ElementPixels(box.left, box.top, box.right, box.bottom, p.width, p.height, 0, p.pixels);
        }
    }
    if (!labels.empty()) {
        w.Block(2, uint32_t(labels.size()));
        for (const LayoutBox& l : labels)
            w.Element(l.left, l.top, l.right, l.bottom, 0, 0, 150);
    }
    w.End();
    return w.Bytes();
}

// A screen-sized backdrop: a dusk gradient, a double border and a title.
DemoPicture Backdrop(int width, int height, const std::string& title) {
    DemoPicture p(width, height);
    p.Gradient(Rgb565(24, 28, 60), Rgb565(90, 40, 30));
    p.Frame(0, 0, width, height, 6, kGold);
    p.Frame(10, 10, width - 10, height - 10, 2, Rgb565(150, 110, 50));
    if (!title.empty()) p.CentredText(0, 20, width, 80, title, 4, kGold);
    return p;
}

LayoutBox Box(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
}

class Writer {
public:
    explicit Writer(std::filesystem::path folder) : folder_(std::move(folder)) {}
    bool Put(const std::string& name, const Bytes& bytes) {
        if (!ok_) return false;
        if (!gamefiles::WriteBytes((folder_ / name).string(), bytes)) {
            ok_ = false;
            failed_ = name;
        }
        return ok_;
    }
    bool PutText(const std::string& name, const std::string& text) {
        return Put(name, Bytes(text.begin(), text.end()));
    }
    bool ok() const { return ok_; }
    const std::string& failed() const { return failed_; }

private:
    std::filesystem::path folder_;
    bool ok_ = true;
    std::string failed_;
};

// "Zu_DataC.Rom": a packed-archive file whose one stored entry is the network screens' backdrop
// (a 16-byte header of the picture, u16 width, u16 height, the 5-6-5 pixels).
void LobbyArchive(Writer& out) {
    const DemoPicture back = Backdrop(800, 600, "NETWORK PLAY");
    Bytes picture;
    for (int i = 1; i <= 16; ++i)
        picture.push_back(uint8_t(i));
    for (int v : {back.width, back.height}) {
        picture.push_back(uint8_t(v));
        picture.push_back(uint8_t(v >> 8));
    }
    for (uint16_t p : back.pixels) {
        picture.push_back(uint8_t(p));
        picture.push_back(uint8_t(p >> 8));
    }
    // Header: entry count twice, version 10, 40-byte entries, the signature; then the one entry
    // {offset, size, flags 0 (stored), extra, name}.
    Bytes rom(16 + 40, 0);
    rom[0] = rom[2] = 1;
    rom[4] = 10;
    rom[5] = 40;
    const char signature[] = "ZuRom";
    for (size_t i = 0; i + 1 < sizeof signature; ++i)
        rom[6 + i] = uint8_t(signature[i]);
    auto put = [&rom](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            rom[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    put(16, uint32_t(rom.size()));
    put(20, uint32_t(picture.size()));
    put(28, 0x00020001);
    rom.insert(rom.end(), picture.begin(), picture.end());
    out.Put("Zu_DataC.Rom", rom);
}

// The nations' colour ramps: row n (entries 16n to 16n + 15) runs from dark to light in nation
// n's hue, entry 7 being the nation's own colour. Row 0 belongs to no nation and stays grey; the
// demo's kingdoms are nations 1 (red) and 2 (blue).
Bytes NationRamps() {
    constexpr int kHues[16][3] = {{160, 160, 160}, {230, 40, 30},  {40, 90, 235},  {40, 190, 60},
                                  {235, 210, 40},  {160, 60, 210}, {40, 200, 210}, {240, 130, 30},
                                  {235, 90, 170},  {140, 100, 60}, {20, 120, 110}, {120, 200, 40},
                                  {100, 40, 140},  {200, 60, 90},  {90, 140, 230}, {210, 200, 150}};
    uint8_t rgb[256][3];
    for (int n = 0; n < 16; ++n)
        for (int e = 0; e < 16; ++e)
            for (int k = 0; k < 3; ++k) {
                // From near black up to the hue at its own entry, then towards white.
                const int hue = kHues[n][k];
                const int v = e <= 7 ? hue * (e + 1) * (e + 1) / 64 : hue + (255 - hue) * (e - 7) / 12;
                rgb[16 * n + e][k] = uint8_t(v);
            }
    return gamefiles::PaletteFile(rgb);
}

void Palettes(Writer& out) {
    uint8_t rgb[256][3];
    // The main palette: a grey ramp, then hue bands; index 240 is the light text colour.
    for (int i = 0; i < 256; ++i) {
        const int band = i / 32, step = i % 32;
        const int v = step * 8;
        const int colours[8][3] = {{v, v, v},     {v, v / 2, 0}, {0, v, v / 2}, {v, 0, v / 2},
                                   {v / 2, v, 0}, {0, v / 2, v}, {v, v, v / 2}, {255, 240, v}};
        for (int k = 0; k < 3; ++k)
            rgb[i][k] = uint8_t(colours[band][k]);
    }
    rgb[240][0] = 250, rgb[240][1] = 240, rgb[240][2] = 200;
    rgb[48][0] = 255, rgb[48][1] = 220, rgb[48][2] = 60;
    const Bytes main = gamefiles::PaletteFile(rgb);
    for (const char* name : {"Kardol.pal", "OldPalette.pal", "Morvek02.pal", "000.pal"})
        out.Put(name, main);
    out.Put("Morvek01.pal", NationRamps());
}

void MenuScreens(Writer& out) {
    {
        DemoPicture back = Backdrop(800, 600, "KARDOL");
        back.CentredText(0, 90, 800, 130, "DEMO FOLDER", 2, Rgb565(200, 200, 220));
        const char* captions[5] = {"SINGLE PLAY", "NETWORK PLAY", "LOAD GAME", "CREDITS", "EXIT"};
        std::vector<DemoButton> buttons;
        for (int n = 0; n < 5; ++n)
            buttons.push_back({Box(290, 340 + n * 50, 220, 40), captions[n]});
        out.Put("mainmenu.gui", Layout({0, 0, 800, 600}, back, buttons, {}));
    }
    {
        DemoPicture back = Backdrop(800, 600, "SINGLE PLAY");
        const char* captions[4] = {"CAMPAIGN", "BATTLE", "BACK", "-"};
        std::vector<DemoButton> buttons;
        for (int n = 0; n < 4; ++n)
            buttons.push_back({Box(290, 200 + n * 60, 220, 44), captions[n]});
        out.Put("Single.gui", Layout({0, 0, 800, 600}, back, buttons, {}));
    }
    {
        DemoPicture back = Backdrop(800, 600, "CHOOSE AN ACT");
        std::vector<DemoButton> buttons;
        const char* acts[3] = {"ACT I", "ACT II", "ACT III"};
        for (int n = 0; n < 3; ++n) {
            back.Disc(180 + n * 220, 270, 80, Rgb565(60 + n * 40, 50, 90 - n * 20));
            buttons.push_back({Box(110 + n * 220, 380, 140, 40), acts[n]});
        }
        buttons.push_back({Box(200, 500, 160, 40), "BACK"});
        buttons.push_back({Box(440, 500, 160, 40), "START"});
        out.Put("Hero.gui", Layout({0, 0, 800, 600}, back, buttons, {}));
    }
    const char* actLayouts[3] = {"Act-3.gui", "Act-2.gui", "Act-1.gui"};
    const char* actTitles[3] = {"ACT I", "ACT II", "ACT III"};
    for (int a = 0; a < 3; ++a) {
        DemoPicture back = Backdrop(800, 600, actTitles[a]);
        back.Fill(40, 100, 420, 100 + 12 * 28 + 16, Rgb565(20, 20, 30));
        back.Frame(40, 100, 420, 100 + 12 * 28 + 16, 2, kGold);
        std::vector<DemoButton> buttons = {
            {Box(460, 500, 140, 40), "BACK"},        {Box(620, 500, 140, 40), "START"},
            {Box(460, 440, 300, 40), "RESTART ACT"}, {Box(460, 140, 300, 40), "EASY"},
            {Box(460, 200, 300, 40), "NORMAL"},      {Box(460, 260, 300, 40), "HARD"}};
        std::vector<LayoutBox> labels;
        for (int n = 0; n < 12; ++n)
            labels.push_back(Box(60, 106 + n * 28, 340, 24));
        out.Put(actLayouts[a], Layout({0, 0, 800, 600}, back, buttons, labels));
    }
}

void StageList(Writer& out) {
    // The main window: the map at (10, 9), six stage buttons, three option toggles, start and back,
    // and fourteen row places on the right.
    DemoPicture back = Backdrop(800, 600, "");
    back.Fill(10, 9, 410, 309, Rgb565(10, 10, 10));
    std::vector<DemoButton> buttons;
    for (int n = 0; n < 6; ++n)
        buttons.push_back({Box(10 + n * 67, 330, 60, 36), std::to_string(n + 1)});
    buttons.push_back({Box(10, 390, 120, 36), "HARD"});
    buttons.push_back({Box(145, 390, 120, 36), "NORMAL"});
    buttons.push_back({Box(280, 390, 120, 36), "EASY"});
    buttons.push_back({Box(10, 540, 180, 40), "START"});
    buttons.push_back({Box(220, 540, 180, 40), "BACK"});
    std::vector<LayoutBox> labels;
    for (int r = 0; r < 14; ++r)
        labels.push_back(Box(430, 20 + r * 40, 350, 36));
    out.Put("Win75.gui", Layout({0, 0, 800, 600}, back, buttons, labels));

    DemoPicture row(350, 36, Rgb565(40, 36, 30));
    row.Frame(0, 0, 350, 36, 1, kGold);
    std::vector<LayoutBox> rowLabels = {Box(2, 2, 32, 32),   Box(36, 4, 10, 28),  Box(50, 2, 120, 16),
                                        Box(50, 18, 40, 16), Box(90, 18, 60, 16), Box(160, 18, 40, 16),
                                        Box(200, 18, 60, 16)};
    out.Put("Win75_1.gui", Layout({0, 0, 350, 36}, row, {{Box(272, 6, 72, 24), "SELECT"}}, rowLabels));

    // "win75_2.ani": the map, forty city masks, the marking pattern and the overlay, 400 x 300.
    constexpr int W = 400, H = 300;
    std::vector<gamefiles::AniFrameSpec> frames;
    auto frame = [](const DemoPicture& p) {
        return gamefiles::AniFrameSpec{0,        0,        p.width,
                                       p.height, p.pixels, std::vector<uint8_t>(p.pixels.size(), 255)};
    };
    DemoPicture map(W, H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            map.pixels[size_t(y) * W + x] = Rgb565(60 + (x * 7 + y * 3) % 40, 110 + (x + y) % 30, 50);
    for (int x = 0; x < W; ++x) {
        const int cy = 150 + (x % 80 < 40 ? x % 40 : 40 - x % 40) - 20;
        map.Fill(x, cy - 6, x + 1, cy + 6, Rgb565(40, 80, 170));
    }
    frames.push_back(frame(map));
    for (int i = 1; i <= 40; ++i) {
        DemoPicture mask(W, H);
        mask.Disc(30 + ((i - 1) % 8) * 48, 30 + ((i - 1) / 8) * 58, 14, 1);
        frames.push_back(frame(mask));
    }
    DemoPicture mark(W, H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            if ((x / 3 + y / 3) % 2 == 0) mark.pixels[size_t(y) * W + x] = Rgb565(255, 255, 255);
    frames.push_back(frame(mark));
    DemoPicture overlay(W, H);
    overlay.Frame(0, 0, W, H, 3, kGold);
    frames.push_back(frame(overlay));
    out.Put("win75_2.ani", gamefiles::AniFile(frames));
}

void GameScreens(Writer& out) {
    // Save and load: sixteen slot rows with four labels each, confirm and cancel.
    const char* titles[2] = {"SAVE GAME", "LOAD GAME"};
    const char* files[2] = {"Win27.gui", "Win28.gui"};
    for (int m = 0; m < 2; ++m) {
        DemoPicture back = Backdrop(800, 600, titles[m]);
        std::vector<DemoButton> buttons;
        std::vector<LayoutBox> labels;
        for (int n = 0; n < 16; ++n) {
            buttons.push_back({Box(60, 96 + n * 28, 680, 26), ""});
            for (const LayoutBox& l : {Box(70, 100 + n * 28, 50, 20), Box(130, 100 + n * 28, 240, 20),
                                       Box(380, 100 + n * 28, 170, 20), Box(560, 100 + n * 28, 170, 20)})
                labels.push_back(l);
        }
        buttons.push_back({Box(420, 550, 140, 36), "OK"});
        buttons.push_back({Box(580, 550, 140, 36), "CANCEL"});
        out.Put(files[m], Layout({0, 0, 800, 600}, back, buttons, labels));
    }
    // The battle record: eight rows of eleven labels and one button.
    {
        DemoPicture back = Backdrop(800, 600, "BATTLE RECORD");
        DrawRecordHeadings(back, 20, 200, 72, 116);
        std::vector<LayoutBox> labels;
        for (int r = 0; r < 8; ++r) {
            const int y = 120 + r * 48;
            labels.push_back(Box(20, y, 24, 20));
            labels.push_back(Box(46, y, 20, 24));
            labels.push_back(Box(70, y, 120, 20));
            for (int k = 0; k < 8; ++k)
                labels.push_back(Box(200 + k * 72, y, 68, 20));
        }
        out.Put("Win42.gui", Layout({0, 0, 800, 600}, back, {{Box(330, 540, 140, 40), "OK"}}, labels));
    }
    // The banner: 448 x 148, one text label.
    {
        DemoPicture back(448, 148, Rgb565(30, 20, 20));
        back.Frame(0, 0, 448, 148, 4, kGold);
        out.Put("Win25.gui",
                Layout({176, 226, 624, 374}, back, {}, {Box(8, 8, 432, 40), Box(8, 50, 432, 90)}));
    }
    // The credits picture over the menu.
    {
        DemoPicture credits = Backdrop(800, 600, "CREDITS");
        credits.CentredText(0, 250, 800, 300, "A DEMO FOLDER MADE BY MAKE-DEMO", 2, kCaption);
        credits.CentredText(0, 320, 800, 360, "CLICK TO RETURN", 2, kCaption);
        gamefiles::AniFrameSpec f{0, 0, 800, 600, credits.pixels, std::vector<uint8_t>(800 * 600, 255)};
        out.Put("CREDIT.ani", gamefiles::AniFile({f}));
    }
}

// The minimap panel in the bottom right corner over the map view: the page switch and the
// picture toggle above the well where the game draws the 160 x 120 map at (25, 27); its second
// page folds it to a strip with the same two buttons.
void MinimapPanels(Writer& out) {
    // The strip covers the screen's bottom 40 rows: the map view ends above them.
    constexpr int W = 200, H = 170, kStrip = 40;
    DemoPicture back(W, H);
    back.Gradient(Rgb565(40, 32, 60), Rgb565(60, 30, 24));
    back.Frame(0, 0, W, H, 3, kGold);
    back.Fill(22, 24, 188, 150, Rgb565(10, 10, 10));
    back.Frame(22, 24, 188, 150, 2, Rgb565(150, 110, 50));
    back.CentredText(0, 152, W, H - 3, "MAP", 2, kGold);
    out.Put(
        "Win04.gui",
        Layout({800 - W, 600 - H, 800, 600}, back,
               {{Box(25, 3, 70, 20), "HIDE"}, {Box(25, 27, 160, 120), ""}, {Box(115, 3, 70, 20), "TERRAIN"}},
               {}));
    DemoPicture strip(W, kStrip);
    strip.Gradient(Rgb565(40, 32, 60), Rgb565(60, 30, 24));
    strip.Frame(0, 0, W, kStrip, 3, kGold);
    out.Put("Win06.gui", Layout({800 - W, 600 - kStrip, 800, 600}, strip,
                                {{Box(25, 10, 70, 20), "MAP"}, {}, {Box(115, 10, 70, 20), "TERRAIN"}}, {}));
}

// The pointer's animations: a white arrow with a dark rim whose tip is the hot spot, and a
// pulsing ring for the edge, blocked and order shapes. Every shape has two frames.
gamefiles::AniFrameSpec ArrowFrame(uint16_t fill) {
    constexpr int W = 14, H = 22;
    gamefiles::AniFrameSpec f{0, 0, W, H, std::vector<uint16_t>(W * H, 0), std::vector<uint8_t>(W * H, 0)};
    const uint16_t rim = Rgb565(16, 16, 16);
    for (int y = 0; y < H; ++y) {
        // The arrow widens by one column a row down to row 14, then the tail runs straight down.
        const int width = y < 15 ? y + 1 : 0;
        for (int x = 0; x < width && x < W; ++x) {
            const bool edge = x == 0 || x == width - 1 || y == 14;
            f.pixels[size_t(y) * W + x] = edge ? rim : fill;
            f.mask[size_t(y) * W + x] = 255;
        }
        if (y >= 14)
            for (int x = 4; x <= 7; ++x) {
                f.pixels[size_t(y) * W + x] = x == 4 || x == 7 || y == H - 1 ? rim : fill;
                f.mask[size_t(y) * W + x] = 255;
            }
    }
    return f;
}

gamefiles::AniFrameSpec RingFrame(uint16_t colour, int radius) {
    constexpr int S = 24;
    DemoPicture p(S, S);
    p.Disc(S / 2, S / 2, radius, colour);
    p.Disc(S / 2, S / 2, radius - 3, 0);
    std::vector<uint8_t> mask(S * S, 0);
    for (size_t i = 0; i < mask.size(); ++i)
        if (p.pixels[i] != 0) mask[i] = 200;
    return gamefiles::AniFrameSpec{0, 0, S, S, p.pixels, mask};
}

void PointerShapes(Writer& out) {
    const auto arrow =
        gamefiles::AniFile({ArrowFrame(Rgb565(255, 255, 255)), ArrowFrame(Rgb565(255, 240, 200))});
    out.Put("Cursor18.ani", arrow);
    const auto ring = [](uint16_t colour) {
        return gamefiles::AniFile({RingFrame(colour, 11), RingFrame(colour, 9)});
    };
    out.Put("Cursor02.ani", ring(Rgb565(90, 220, 90)));
    out.Put("Cursor03.ani", ring(Rgb565(230, 60, 40)));
    out.Put("Cursor04.ani", ring(Rgb565(240, 200, 60)));
    out.Put("Cursor27.ani", ring(Rgb565(90, 160, 240)));
    for (int n = 6; n <= 25; ++n) {
        if (n == 18) continue;
        const std::string name = (n < 10 ? "Cursor0" : "Cursor") + std::to_string(n) + ".ani";
        out.Put(name, ring(n == 17 ? Rgb565(230, 60, 40) : Rgb565(240, 200, 60)));
    }
    out.Put("g_story_cursor.ani", gamefiles::AniFile({ArrowFrame(kGold), ArrowFrame(kCaption)}));
}

void TextFiles(Writer& out) {
    // "# 遊戲參數": no value lines, so every rule keeps its built-in value.
    out.PutText("Cg001.wz",
                "# \xB9\x43\xC0\xB8\xB0\xD1\xBC\xC6\r\n# demo folder: the built-in values apply\r\n");
    // The number table: entry 5 the missile gravity, entry 89 the frame period in ms.
    std::string numbers;
    for (int i = 0; i < 100; ++i) {
        const char* value = i == 5 ? "0.3" : i == 89 ? "33" : "0";
        numbers.append(value).append(" entry ").append(std::to_string(i)).append("\r\n");
    }
    numbers += "end \r\n";
    out.PutText("data.txt", numbers);
    // "說明" and a number, 77 lines.
    std::string help = "# demo help texts\r\n";
    for (int i = 0; i < 77; ++i)
        help += "\xbb\xa1\xa9\xfa " + std::to_string(i) + "\r\n";
    out.PutText("HelpMessage.txt", help);
}

} // namespace

bool WriteDemoFolder(const std::string& folder, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        error = folder;
        return false;
    }
    Writer out(folder);
    Palettes(out);
    MenuScreens(out);
    StageList(out);
    GameScreens(out);
    MinimapPanels(out);
    PointerShapes(out);
    TextFiles(out);
    for (const auto& [name, bytes] : NetworkLayouts())
        out.Put(name, bytes);
    for (const auto& [name, bytes] : MainPanelLayouts())
        out.Put(name, bytes);
    for (const auto& [name, bytes] : OverviewLayouts())
        out.Put(name, bytes);
    LobbyArchive(out);
    if (!out.ok()) error = out.failed();
    return out.ok();
}
