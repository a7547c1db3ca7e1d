#include "DemoBattlePictures.h"

#include "DemoCastle.h"
#include "DemoPictures.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kGrassCell = 100;  // the ground cell every demo map cell shows
constexpr int kCellPixels = 400; // a diamond cell, its rows packed
constexpr int kActions = 25;     // action rows a unit animation carries
constexpr int kFramesPerAction = 4;
// A soldier's frame in the 200 x 250 box a unit frame is placed in: the game picks a unit by the
// box from (80, 130) to (120, 185) of it, so the figure fills just that box, under the name and the
// bars that the game draws above it. A smaller figure leaves a neighbour's box over bare ground
// and over the figure's own edges, and a click there picks the neighbour.
constexpr int kFrameLeft = 80, kFrameTop = 130, kFrameWidth = 40, kFrameHeight = 55;
constexpr int kPatternWidth = 12, kPatternHeight = 20;

void U16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

void U32(Bytes& b, uint32_t v) {
    U16(b, v);
    U16(b, v >> 16);
}

bool Put(const std::filesystem::path& path, const Bytes& bytes, std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) error = path.filename().string();
    return bool(out);
}

void CellEntry(Bytes& b, const std::vector<uint16_t>& pixels) {
    U32(b, 1);
    for (uint16_t p : pixels)
        U16(b, p);
}

// A ground of one colour with a scatter of lighter blades.
std::vector<uint16_t> SpeckledCell(uint16_t base, uint16_t speck) {
    std::vector<uint16_t> cell;
    for (int i = 0; i < kCellPixels; ++i)
        cell.push_back((i * 7 + i / 13) % 11 == 0 ? speck : base);
    return cell;
}

std::vector<uint16_t> GrassCell() {
    return SpeckledCell(Rgb565(70, 130, 50), Rgb565(110, 170, 70));
}

// The grounds the random map generator draws from its sources (see DemoGenerator): bare earth
// 90..98, the terrain pieces 100 + 15 strip + piece of three styles (the last piece of a strip is
// water), the castle grounds 300.., the small places 4432..
constexpr int kGroundCells = 4448;

std::vector<uint16_t> GroundCell(int n) {
    if (n == kGrassCell) return GrassCell();
    if (n >= democastle::kPavingGround && n < democastle::kPavingGround + 8) return democastle::PavingCell();
    if ((n >= 90 && n <= 98) || n >= 4432) return SpeckledCell(Rgb565(150, 120, 70), Rgb565(170, 140, 90));
    if (n >= 100 && n < 190) {
        if ((n - 100) % 15 == 14) return SpeckledCell(Rgb565(40, 80, 200), Rgb565(90, 130, 230));
        switch ((n - 100) / 30) {
        case 0:
            return GrassCell();
        case 1:
            return SpeckledCell(Rgb565(190, 180, 110), Rgb565(210, 200, 140));
        default:
            return SpeckledCell(Rgb565(200, 200, 210), Rgb565(230, 230, 240));
        }
    }
    return {};
}

// The ground cells of the demo stage and of the generated maps, no layer cells, the castle's
// sprites.
Bytes KingdomCells() {
    Bytes b;
    U32(b, kGroundCells);
    for (int n = 0; n < kGroundCells; ++n) {
        if (const std::vector<uint16_t> cell = GroundCell(n); !cell.empty())
            CellEntry(b, cell);
        else
            U32(b, 0);
    }
    U32(b, 0);
    const std::vector<democastle::Sprite> sprites = democastle::Sprites();
    U32(b, uint32_t(sprites.size()));
    for (size_t n = 0; n < sprites.size(); ++n) {
        if (n == 0) {
            U32(b, 0);
            continue;
        }
        const democastle::Sprite& s = sprites[n];
        U32(b, 1);
        U32(b, uint32_t(s.word0));
        U32(b, uint32_t(s.word1));
        U32(b, uint32_t(s.picture.width));
        U32(b, uint32_t(s.picture.height));
        U32(b, 0);
        for (uint16_t p : s.picture.pixels)
            U16(b, p);
    }
    return b;
}

// A soldier of 12 x 20 palette indices, stretched over the frame: a pale head, a body of
// the soldier type's colour band, legs that swing with the frame, and a spear or a bow. Indices 16 to 31 take
// the kingdom's own colour ramp.
Bytes SoldierFrames(uint8_t body, bool archer) {
    Bytes b;
    U32(b, kFramesPerAction);
    constexpr int W = kFrameWidth, H = kFrameHeight;
    for (int f = 0; f < kFramesPerAction; ++f) {
        U32(b, uint32_t(W) | uint32_t(H) << 16);
        U32(b, uint32_t(kFrameLeft) | uint32_t(kFrameTop) << 16);
        for (int row = 0; row < H; ++row)
            for (int column = 0; column < W; ++column) {
                const int x = column * kPatternWidth / W, y = row * kPatternHeight / H;
                uint8_t p = 0;
                const int dx = x - 5, dy = y - 3;
                if (dx * dx + dy * dy <= 5)
                    p = 28; // head
                else if (y >= 6 && y < 14 && x >= 3 && x <= 7)
                    p = body; // body
                else if (y >= 14 && (x == 4 + (f % 2) || x == 6 - (f % 2)))
                    p = 18; // legs: a dark shade of the kingdom's own ramp
                if (!archer && x == 9 && y >= 1 && y < 18) p = 20; // spear
                if (archer && (x - 9) * (x - 9) + (y - 9) * (y - 9) >= 9 &&
                    (x - 9) * (x - 9) + (y - 9) * (y - 9) <= 14 && x >= 9)
                    p = 20; // bow
                b.push_back(p);
            }
    }
    return b;
}

Bytes SoldierActions() {
    Bytes b;
    U32(b, kActions);
    for (int a = 0; a < kActions; ++a) {
        b.push_back(kFramesPerAction);
        for (int f = 0; f < kFramesPerAction; ++f) {
            b.push_back(0);
            U16(b, uint32_t(f));
        }
    }
    return b;
}

} // namespace

bool WriteDemoBattlePictures(const std::string& folder, std::string& error) {
    const std::filesystem::path root(folder);
    std::error_code ec;
    std::filesystem::create_directories(root / "ani", ec);
    if (ec) return error = "ani", false;
    return Put(root / "kingdom.cel", KingdomCells(), error) &&
           Put(root / "ani" / "001.anm", SoldierFrames(40, false), error) &&
           Put(root / "ani" / "001.act", SoldierActions(), error) &&
           Put(root / "ani" / "002.anm", SoldierFrames(170, true), error) &&
           Put(root / "ani" / "002.act", SoldierActions(), error);
}
