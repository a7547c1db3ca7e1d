#include "../engine/DrawingFixture.h"
#include "ControllerTestFixture.h"

#include "Program/Bmp16File.h"
#include "engine/ByteReader.h"
#include "gui/GuiMessage.h"
#include "support/TempFolder.h"
#include "troops/TroopWorld.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

using namespace controllertest;

namespace {

constexpr uint16_t kOwn = 0x07E0;   // green
constexpr uint16_t kEnemy = 0x001F; // blue
constexpr uint16_t kGrey = 0x4208;

struct Minimap : testing::Test {
    TestDisplay display{565};
    ControllerBattle battle;
    GameController* c = battle.c;
    MapView* view = battle.view;
    platform::Surface* surface = CreateOffscreenSurface(200, 160);

    Minimap() {
        battle.player->ownColour = kOwn;
        battle.enemy->ownColour = kEnemy;
        // The third picture is the one shown: a grey field with a mark in its first pixel.
        uint8_t* shown = c->minimapImages[2];
        for (int p = 0; p < 160 * 120; ++p) {
            shown[2 * p] = uint8_t(kGrey);
            shown[2 * p + 1] = uint8_t(kGrey >> 8);
        }
        shown[0] = 0x34;
        shown[1] = 0x12;
        view->minimapBlockX = 80; // 20 of 40 columns
        view->minimapBlockY = 84; // 56 of 80 rows
    }
    ~Minimap() override {
        if (surface) surface->Release();
    }
    uint16_t At(int x, int y) const { return surface->PixelAt(x, y); }
    // The 3 x 3 dot of a troop standing on unit cell (x, y) of the 40 x 80 map.
    uint16_t DotOf(int x, int y) const { return At(25 + x * 160 / 40 + 1, 27 + 2 * y * 120 / 80 + 1); }
    static GuiMessage Click(int x, int y) {
        GuiMessage m;
        m.point.Set(x, y);
        return m;
    }
    // A screen point, whether it lies on the map's picture, and the cell it names there.
    struct PointCase {
        int x, y;
        int on, cellX, cellY;
    };
    template <size_t N>
    void ExpectCells(const PointCase (&cases)[N]) {
        for (const PointCase& k : cases) {
            int32_t cell[2] = {-1, -1};
            const GuiMessage m = Click(k.x, k.y);
            EXPECT_EQ(c->MinimapPointToCell(&m, cell), k.on) << k.x << "," << k.y;
            if (k.on) EXPECT_EQ((std::vector<int>{cell[0], cell[1]}), (std::vector<int>{k.cellX, k.cellY}));
        }
    }
};

TEST_F(Minimap, TheDrawnMinimapShowsSeenTroopsInTheirColoursAndTheViewFrame) {
    ASSERT_TRUE(display.ok);
    ASSERT_NE(surface, nullptr);
    const uint16_t white = PackRgb16(255, 255, 255), red = PackRgb16(255, 0, 0);
    Troop* own = battle.Unit(battle.player, 2, 4);
    Troop* chosen = battle.Unit(battle.player, 6, 4);
    chosen->selected = 1;
    Troop* foe = battle.Unit(battle.enemy, 16, 4);
    Troop* dimFoe = battle.Unit(battle.enemy, 30, 4);
    TheBattleMap->CellAt(30, 8)->sightCount = 1; // explored, not seen
    Troop* hiddenFoe = battle.Unit(battle.enemy, 24, 4);
    hiddenFoe->statusBits |= 0x2000;
    Troop* ambush = battle.Unit(battle.enemy, 20, 4);
    ambush->officer->Set(OfficerLayout::kAmbush, 1);
    Troop* inside = battle.Unit(battle.player, 10, 4);
    inside->garrison = 1;
    Troop* hit = battle.Unit(battle.player, 34, 4);
    hit->hitNotice = 1;
    Troop* fading = battle.Unit(battle.player, 38, 4);
    fading->hitNotice = 17;
    view->SetViewOrigin(10, 20);

    c->DrawMiniMap(surface);
    EXPECT_EQ(At(25, 27), 0x1234) << "the picture starts at (25, 27)";
    EXPECT_EQ(At(25 + 100, 27 + 100), kGrey);
    EXPECT_EQ(DotOf(own->cellX, own->cellY), kOwn);
    EXPECT_EQ(DotOf(chosen->cellX, chosen->cellY), white);
    EXPECT_EQ(DotOf(foe->cellX, foe->cellY), kEnemy);
    for (Troop* t : {dimFoe, hiddenFoe, ambush, inside})
        EXPECT_EQ(DotOf(t->cellX, t->cellY), kGrey) << t->cellX;
    EXPECT_EQ(DotOf(hit->cellX, hit->cellY), red);
    EXPECT_EQ(hit->hitNotice, 2);
    EXPECT_EQ(DotOf(fading->cellX, fading->cellY), white);
    EXPECT_EQ(fading->hitNotice, 0) << "past 16 the blink ends";
    // The frame of the view: (10, 20) is (40, 30) on the minimap, 80 x 84 pixels.
    EXPECT_EQ(At(25 + 40, 27 + 30), white);
    EXPECT_EQ(At(25 + 119, 27 + 30), white);
    EXPECT_EQ(At(25 + 40, 27 + 30 + 50), white);
    EXPECT_EQ(At(25 + 120, 27 + 30 + 50), white);
    EXPECT_EQ(At(25 + 60, 27 + 30 + 84), white);
    EXPECT_EQ(At(25 + 60, 27 + 30 + 40), kGrey);

    // The toggle shows the second picture.
    std::memset(c->minimapImages[1], 0, 160 * 120 * 2);
    c->minimapToggle = 1;
    c->DrawMiniMap(surface);
    EXPECT_EQ(At(25, 27), 0);
}

TEST_F(Minimap, APointMapsToACellOnlyInsideThePicture) {
    c->minimapAreaX = 600;
    c->minimapAreaY = 400;
    const PointCase cases[] = {
        {624, 450, 0, 0, 0},   {625, 427, 1, 0, 0}, {785, 450, 0, 0, 0}, // the right edge is outside
        {784, 546, 1, 39, 79}, {700, 547, 0, 0, 0}, {700, 426, 0, 0, 0}, {705, 487, 1, 20, 40},
    };
    ExpectCells(cases);
}

// A 40 x 80 map (1600 x 800 pixels) is wider than the picture's shape: it fills rows 20 to 100 of
// the picture, and the dots, the view frame and the clicks find its cells where the picture put them.
TEST_F(Minimap, ALetterboxedMapPutsDotsFrameAndClicksOnItsCells) {
    ASSERT_TRUE(display.ok);
    ASSERT_NE(surface, nullptr);
    view->FitMinimap();
    ASSERT_EQ((std::vector<int>{view->minimapTop, view->minimapHeight}), (std::vector<int>{20, 80}));
    constexpr uint16_t kLand = 0x3D26;
    uint8_t* base = c->minimapImages[0];
    uint8_t* shown = c->minimapImages[2];
    for (int p = 0; p < 160 * 120; ++p) {
        base[2 * p] = uint8_t(kLand);
        base[2 * p + 1] = uint8_t(kLand >> 8);
    }
    std::memset(shown, 0, 160 * 120 * 2);
    auto shownAt = [&](int x, int y) {
        return uint16_t(shown[2 * (y * 160 + x)] | shown[2 * (y * 160 + x) + 1] << 8);
    };
    // The troop's land (column 30, half row 60) comes into sight at (120, 20 + 60) of the picture.
    Troop* t = battle.Unit(battle.player, 30, 30);
    view->PlotMinimap(t->cellX, 2 * t->cellY, 1);
    ASSERT_EQ(shownAt(120, 80), kLand);
    view->SetViewOrigin(0, 0);

    c->DrawMiniMap(surface);
    EXPECT_EQ(At(25 + 120, 27 + 80), kOwn) << "the dot covers its land";
    EXPECT_EQ(At(25 + 122, 27 + 82), kOwn);
    EXPECT_EQ(At(25 + 120, 27 + 79), 0);
    EXPECT_EQ(At(25 + 120, 27 + 60), 0) << "not where an unplaced map would put it";
    // The view frame starts at the map's first row, not in the band above it.
    EXPECT_EQ(At(25 + 10, 27 + 20), PackRgb16(255, 255, 255));
    EXPECT_EQ(At(25 + 10, 27), 0);

    c->minimapAreaX = 600;
    c->minimapAreaY = 400;
    const PointCase cases[] = {
        {625 + 120, 427 + 80, 1, 30, 60}, // the dot's place is the troop's cell
        {625, 427 + 20, 1, 0, 0},         {625 + 159, 427 + 99, 1, 39, 79},
        {625 + 60, 427 + 19, 0, 0, 0},    {625 + 60, 427 + 100, 0, 0, 0}, // the bands above and below
    };
    ExpectCells(cases);
}

TEST_F(Minimap, AClickMovesTheViewAndADragOrdersTheSelection) {
    c->minimapAreaX = 600;
    c->minimapAreaY = 400;
    GuiMessage corner = Click(784, 546);
    c->ClickSelect(&corner);
    EXPECT_EQ(view->viewX, 20);
    EXPECT_EQ(view->viewY, 24);
    EXPECT_EQ((std::vector<int>{c->viewLeft, c->viewTop, c->viewRight, c->viewBottom}),
              (std::vector<int>{20, 24, 40, 80}));
    GuiMessage middle = Click(705, 487); // cell (20, 40)
    view->placingBuilding = 1;
    c->ClickSelect(&middle);
    EXPECT_EQ(view->viewX, 20) << "no move while a building is placed";
    view->placingBuilding = 0;
    view->clickReady = 0;
    c->ClickSelect(&middle);
    EXPECT_EQ(view->viewX, 20);
    view->clickReady = 1;
    c->groupCommandMode = 1;
    c->ClickSelect(&middle);
    EXPECT_EQ(c->groupCommandMode, 0);
    EXPECT_EQ(view->viewX, 10);
    EXPECT_EQ(view->viewY, 12);

    // The order goes out as a move command per selected troop, to unit row y / 2.
    Troop* a = battle.Unit(battle.player, 5, 5);
    Troop* b2 = battle.Unit(battle.player, 6, 6);
    c->networked = 1;
    c->isHost = 0;
    c->DragSelect(&middle);
    EXPECT_TRUE(battle.sent.empty()) << "nothing selected";
    view->SelectUnit(a);
    Key(platform::VK_CONTROL, true);
    view->SelectUnit(b2);
    Key(platform::VK_CONTROL, false);
    GuiMessage off = Click(500, 487);
    c->DragSelect(&off);
    EXPECT_TRUE(battle.sent.empty()) << "off the minimap";
    c->DragSelect(&middle);
    ASSERT_EQ(battle.sent.size(), 2u);
    for (const TroopCommand& cmd : battle.sent) {
        EXPECT_EQ(cmd.code, 2);
        EXPECT_EQ(cmd.x, 20);
        EXPECT_EQ(cmd.y, 20);
    }
    EXPECT_EQ(battle.sent[0].troop, a->UnitId());
    EXPECT_EQ(battle.sent[1].troop, b2->UnitId());
    // A selection of units inside cities moves no troop on the map.
    battle.sent.clear();
    c->selectionInCities = 1;
    c->cityOrderCounter = 4;
    c->DragSelect(&middle);
    EXPECT_TRUE(battle.sent.empty());
    EXPECT_EQ(c->selectionInCities, 0);
    EXPECT_EQ(c->cityOrderCounter, 0);
}

TEST(Bmp16File, TheHeaderAndBottomUpRowsPadAnOddWidth) {
    testsupport::TempFolder folder;
    const uint16_t pixels[] = {0x0001, 0x0002, 0x0003, // top row
                               0x7C00, 0x03E0, 0x001F};
    ASSERT_TRUE(WriteBmp16(3, 2, "odd.bmp", pixels));
    std::ifstream in(folder.path() / "odd.bmp", std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 54u + 2 * 8);
    ByteReader r(bytes);
    EXPECT_EQ(r.u8(), 'B');
    EXPECT_EQ(r.u8(), 'M');
    const uint32_t expected[] = {3 * 2 * 2 + 54, 0, 54, 40, 3, 2};
    for (uint32_t v : expected)
        EXPECT_EQ(r.u32(), v);
    EXPECT_EQ(r.u16(), 1);
    EXPECT_EQ(r.u16(), 16);
    const uint32_t rest[] = {0, 0, 2834, 2834, 0, 0};
    for (uint32_t v : rest)
        EXPECT_EQ(r.u32(), v);
    // The bottom row first, then the top one; each padded with its own first pixel.
    const uint16_t rows[] = {0x7C00, 0x03E0, 0x001F, 0x7C00, 0x0001, 0x0002, 0x0003, 0x0001};
    for (uint16_t v : rows)
        EXPECT_EQ(r.u16(), v);

    // An even width has no padding; a file that cannot be made leaves nothing behind.
    ASSERT_TRUE(WriteBmp16(2, 1, "even.bmp", pixels));
    EXPECT_EQ(std::filesystem::file_size(folder.path() / "even.bmp"), 54u + 4);
    EXPECT_FALSE(WriteBmp16(2, 1, "missing/even.bmp", pixels));
    EXPECT_FALSE(WriteBmp16(0, 1, "zero.bmp", pixels));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "zero.bmp"));
}

} // namespace

namespace {

// A view that draws every troop as a 4 x 4 block of its kingdom's colour at its place on the screen.
struct BlockView : MapView {
    void DrawTroop(Troop* t) override {
        platform::Surface* back = GetBackSurface();
        platform::DDSURFACEDESC2 desc;
        if (!back || back->Lock(nullptr, &desc, platform::DDLOCK_WAIT) != platform::DD_OK) return;
        const int32_t sx = (t->cellX - viewX) * 40, sy = (2 * t->cellY - viewY) * 10 + 10;
        const Kingdom* k = TroopKingdom(t->owner);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                if (sx + x >= 0 && sx + x < 800 && sy + y >= 0 && sy + y < 600)
                    reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(desc.lpSurface) +
                                                (sy + y) * desc.lPitch)[sx + x] = k ? k->ownColour : 0;
        back->Unlock(nullptr);
    }
};

TEST(BigMapExport, AThirtyColumnMapExportsOneScreenColumnIntoTheNamedFile) {
    TestDisplay display{565};
    ControllerBattle battle;
    GameController* c = battle.c;
    // A 30-column map: one screen column, the rest of each 1200-pixel row stays 0.
    constexpr int kWidth = 30, kRows = 80;
    auto cells = std::make_unique<MapCell[]>(size_t(kWidth) * kRows);
    for (int i = 0; i < kWidth * kRows; ++i) {
        cells[i].groundTile = 100;
        cells[i].layerTile = MapCell::kNoTile;
        cells[i].overlayTile = MapCell::kNoTile;
    }
    TheBattleMap->SetCells(std::move(cells), kWidth, kRows);
    TheBattleMap->validBounds = {0, 0, kWidth, kRows};
    TheBattleMap->AllocGrid();
    TheBattleMap->occupancyView = {0, 0, kWidth, kRows / 2};
    BlockView* view = new BlockView;
    c->gameScreen = view;
    view->mapWidth = kWidth;
    view->mapHeight = kRows;
    view->SetView(0, 0, kWidth, kRows);
    battle.player->ownColour = 0xF800; // red in 5-6-5
    battle.enemy->ownColour = 0x07E0;  // green
    battle.b.AddTroop(battle.player, 5, 10);
    battle.b.AddTroop(battle.enemy, 12, 35);  // on the second screen row
    battle.b.AddTroop(battle.player, 25, 10); // beyond the exported column
    c->campaignStage = 7;

    ASSERT_TRUE(c->ExportBigMap());
    std::ifstream in(battle.b.folder.path() / "BigMap07.bmp", std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    constexpr int W = kWidth * 40, H = kRows * 10;
    ASSERT_EQ(bytes.size(), 54u + size_t(W) * H * 2);
    auto pixel = [&](int x, int y) {
        const size_t at = 54 + (size_t(H - 1 - y) * W + size_t(x)) * 2;
        return uint16_t(bytes[at] | (bytes[at + 1] << 8));
    };
    EXPECT_EQ(pixel(5 * 40 + 1, 20 * 10 + 10 + 1), 0x7C00) << "red in 5-5-5";
    EXPECT_EQ(pixel(12 * 40 + 2, 20 * 35 + 10 + 3), 0x03E0) << "green in 5-5-5, second screen row";
    for (int y = 0; y < H; y += 7)
        for (int x = 800; x < W; x += 13)
            ASSERT_EQ(pixel(x, y), 0) << x << "," << y;
    // The view is back at the origin afterwards.
    EXPECT_EQ(view->viewX, 0);
    EXPECT_EQ(view->viewY, 0);
    c->gameScreen = battle.view;
    delete view;
}

} // namespace
