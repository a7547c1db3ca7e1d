#include "DemoCastle.h"

#include "world/BattleMap.h"
#include "world/DiamondWalk.h"
#include "world/MapCell.h"
#include "world/TileGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace democastle {

namespace {

const uint16_t kStoneTop = Rgb565(196, 190, 172);
const uint16_t kWalkway = Rgb565(150, 144, 128);
const uint16_t kStoneLeft = Rgb565(112, 106, 96);
const uint16_t kStoneRight = Rgb565(150, 142, 126);
const uint16_t kPlasterLeft = Rgb565(176, 164, 140);
const uint16_t kPlasterRight = Rgb565(222, 212, 188);
const uint16_t kRoofLeft = Rgb565(128, 44, 32);
const uint16_t kRoofRight = Rgb565(176, 70, 44);
const uint16_t kDoor = Rgb565(46, 30, 22);

// A flat diamond of half width a and half height a / 2 centred at (cx, cy); pixels left of the
// middle take one colour, the rest the other.
void Diamond(DemoPicture& p, double cx, double cy, double a, uint16_t left, uint16_t right) {
    if (a <= 0) return;
    const int y0 = int(std::floor(cy - a / 2)), y1 = int(std::ceil(cy + a / 2));
    const int x0 = int(std::floor(cx - a)), x1 = int(std::ceil(cx + a));
    for (int y = std::max(0, y0); y <= y1 && y < p.height; ++y)
        for (int x = std::max(0, x0); x <= x1 && x < p.width; ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            if (std::abs(dx) / a + std::abs(dy) / (a / 2) <= 1.0)
                p.pixels[size_t(y) * size_t(p.width) + size_t(x)] = dx < 0 ? left : right;
        }
}

// An upright block on the diamond footprint at base centre (cx, baseY): layers of the footprint
// stacked `height` pixels high leave only its two front faces in sight.
void Block(DemoPicture& p, double cx, double baseY, double a, int height, uint16_t left, uint16_t right) {
    for (int l = 0; l < height; ++l)
        Diamond(p, cx, baseY - l, a, left, right);
}

// A hipped roof: ever smaller diamonds rising `rise` pixels above (cx, baseY).
void Roof(DemoPicture& p, double cx, double baseY, double a, int rise) {
    for (int l = 0; l <= rise; ++l)
        Diamond(p, cx, baseY - l, a * (1.0 - double(l) / (rise + 1)), kRoofLeft, kRoofRight);
}

// A picture holding a footprint of half width a with `above` pixels of building over it; the
// footprint's centre sits (dx, dy) from its cell's centre.
Sprite Canvas(int a, int above, int dx, int dy) {
    Sprite s;
    s.picture = DemoPicture(2 * a + 2, a + above + 2);
    const int bx = a + 1, by = s.picture.height - a / 2 - 1;
    // The words reach from the cell diamond's bottom corner, 10 pixels below its centre.
    s.word0 = bx - dx;
    s.word1 = by - dy + 10;
    return s;
}

double BaseX(const Sprite& s) {
    return s.picture.width / 2.0;
}
double BaseY(const Sprite& s, int a) {
    return s.picture.height - a / 2.0 - 1;
}

// A stretch of wall over one cell: stone faces, a parapet round the walkway.
Sprite Wall(bool gate) {
    constexpr int a = 20, h = 12;
    Sprite s = Canvas(a, h, 0, 0);
    const double cx = BaseX(s), by = BaseY(s, a);
    Block(s.picture, cx, by, a, h, kStoneLeft, kStoneRight);
    Diamond(s.picture, cx, by - h, a, kStoneTop, kStoneTop);
    Diamond(s.picture, cx, by - h, a - 4, kWalkway, kWalkway);
    if (gate)
        // A dark doorway in the lower-right face, which looks out of the castle.
        for (int x = 24; x <= 33; ++x)
            for (int y = 0; y < s.picture.height; ++y) {
                const double faceBottom = by + (a / 2.0) * (1.0 - (x + 0.5 - cx) / a);
                if (y + 0.5 <= faceBottom && y + 0.5 >= faceBottom - 9)
                    s.picture.pixels[size_t(y) * size_t(s.picture.width) + size_t(x)] = kDoor;
            }
    return s;
}

Sprite Tower() {
    constexpr int a = 24, h = 34, rise = 18;
    Sprite s = Canvas(a, h + rise, 0, 0);
    const double cx = BaseX(s), by = BaseY(s, a);
    Block(s.picture, cx, by, a, h, kStoneLeft, kStoneRight);
    Roof(s.picture, cx, by - h, a + 2, rise);
    return s;
}

// The keep covers three by three cells; it hangs from the front cell of that square, whose centre
// lies two rows below the square's middle.
Sprite Keep() {
    constexpr int a = 58, h = 30, upper = 24, rise = 30;
    Sprite s = Canvas(a + 4, h + upper + rise, 0, -20);
    const double cx = BaseX(s), by = BaseY(s, a + 4);
    Block(s.picture, cx, by, a, h, kPlasterLeft, kPlasterRight);
    Roof(s.picture, cx, by - h, a + 4, 8);
    Block(s.picture, cx, by - h - 8, a - 22, upper, kPlasterLeft, kPlasterRight);
    Roof(s.picture, cx, by - h - 8 - upper, a - 16, rise);
    return s;
}

} // namespace

std::vector<uint16_t> PavingCell() {
    std::vector<uint16_t> cell;
    cell.reserve(400);
    for (int r = 0; r < kTileHeight; ++r) {
        const TileRow& row = kDiamondRows.row[r];
        for (int x = row.start; x < row.start + row.count; ++x) {
            // Flagstones laid along the map's two diagonals.
            const bool joint = (x + 2 * r) % 10 == 0 || (x - 2 * r + 40) % 10 == 0;
            const int shade = ((x + 2 * r) / 10 + (x - 2 * r + 40) / 10) % 2 ? 8 : 0;
            cell.push_back(joint ? Rgb565(112, 104, 90) : Rgb565(168 + shade, 158 + shade, 134 + shade));
        }
    }
    return cell;
}

std::vector<Sprite> Sprites() {
    std::vector<Sprite> sprites(kSpriteCount);
    sprites[kWallSprite] = Wall(false);
    sprites[kGateSprite] = Wall(true);
    sprites[kTowerSprite] = Tower();
    sprites[kKeepSprite] = Keep();
    return sprites;
}

void LayCastle(BattleMap& map, int x, int y, int scale, int side) {
    const int n = 6 + 2 * std::clamp(scale, 1, 3);
    const int last = n - 1, middle = (n - 1) / 2;
    WalkDiamond(x, y, n, [&](int32_t col, int32_t row, int32_t, int32_t i, int32_t, int32_t k) {
        MapCell* cell = map.CellAt(col, row);
        if (!cell) return;
        // Steps down-right along one side of the diamond and down-left along the other.
        const int u = k + std::max(0, i - last), w = i - u;
        cell->groundTile = kPavingGround;
        cell->ownerMark = uint8_t(side + 100);
        const bool uEdge = u == 0 || u == last, wEdge = w == 0 || w == last;
        if (uEdge && wEdge)
            cell->overlayTile = kTowerSprite;
        else if (u == last && w == n / 2)
            cell->overlayTile = kGateSprite;
        else if (uEdge || wEdge)
            cell->overlayTile = kWallSprite;
        else if (u == middle + 1 && w == middle + 1)
            cell->overlayTile = kKeepSprite;
    });
}

} // namespace democastle
