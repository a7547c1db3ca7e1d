#include "WorldFixture.h"
#include "fuzz/seeds/builders/MapFixtures.h"

#include "engine/ErrorList.h"
#include "engine/PixelFormat.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace worldtest;
using testsupport::TempFolder;

namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

using mapfix::MapBytes;

class MapFilesTest : public ::testing::Test {
protected:
    void WriteSet(const std::vector<uint8_t>& m, bool csm = true, bool x = true, bool cmb = true) {
        folder.Put("maps/one.m", m);
        if (x) folder.Put("maps/one.x", LayerBytes(3));
        if (csm) folder.Put("maps/one.csm", LayerBytes(5));
        if (cmb) folder.Put("maps/one.cmb", LayerBytes(7));
    }
    std::vector<uint8_t> Layer(int i) const {
        const uint8_t* p = TheGameController->minimapImages[i];
        return {p, p + kMinimapBytes};
    }
    TempFolder folder;
    World world;
};

TEST_F(MapFilesTest, LoadsTheSetAndAppliesTheLoadFixes) {
    WriteSet(MapBytes(
        3, 6,
        [](MapCell& c, int i) {
            if (i == 4) c.cityId = 120, c.ownerMark = 101;
            if (i == 5) c.cityId = 99, c.ownerMark = 101;
            if (i == 16) c.overlayTile = 0x13AB; // (1, 5): blocks (1, 3)
            if (i == 8) c.overlayTile = 0x0AC3;  // (2, 2): blocks (2, 0)
        },
        "anything"));
    ASSERT_EQ(LoadMapFiles("maps\\one"), 1);
    BattleMap& map = *TheBattleMap;
    EXPECT_EQ(map.width, 3);
    EXPECT_EQ(map.rows, 6);
    EXPECT_EQ(map.cellCount, 18);
    EXPECT_EQ(map.CellAt(2, 5)->groundTile, 18);
    for (int y = 0; y < 6; ++y)
        EXPECT_EQ(map.CellAt(0, y)->obstacle, y % 2 == 0 ? 1 : 0) << y;
    EXPECT_EQ(map.CellAt(1, 1)->cityId, 0);
    EXPECT_EQ(map.CellAt(1, 1)->ownerMark, 0);
    EXPECT_EQ(map.CellAt(2, 1)->cityId, 99);
    EXPECT_EQ(map.CellAt(2, 1)->ownerMark, 101);
    EXPECT_EQ(map.CellAt(1, 3)->obstacle, 1);
    EXPECT_EQ(map.CellAt(2, 0)->obstacle, 1);
    EXPECT_EQ(map.CellAt(1, 4)->obstacle, 0);
    EXPECT_EQ(map.CellAt(1, 4)->sightCount, 2); // not a saved game: sight kept
    EXPECT_EQ(map.validBounds.right, 3);
    EXPECT_EQ(map.validBounds.bottom, 6);
    EXPECT_EQ(map.occupancyView.bottom, 3);
    EXPECT_EQ(Layer(0), LayerBytes(3));
    EXPECT_EQ(Layer(1), LayerBytes(5));
    EXPECT_EQ(Layer(2), LayerBytes(7));
    EXPECT_EQ(TheGameController->minimapScaleX, 160 / 3 + 1);
    EXPECT_EQ(TheGameController->minimapScaleY, 120 / 6 + 1);
}

TEST_F(MapFilesTest, TheMapViewTakesTheSizeAndTheMinimapArea) {
    RecordingView& view = world.View();
    WriteSet(MapBytes(20, 120)); // rows >= 3 x width: full height, 20 * 160 / 40 wide
    ASSERT_EQ(LoadMapFiles("maps/one"), 1);
    EXPECT_EQ(view.mapWidth, 20);
    EXPECT_EQ(view.mapHeight, 120);
    EXPECT_EQ(view.cellCount, 2400);
    EXPECT_EQ(view.minimapLeft, 40);
    EXPECT_EQ(view.minimapRight, 120);
    EXPECT_EQ(view.minimapTop, 0);
    EXPECT_EQ(view.minimapBottom, 120);
    view.FreeMapCells();
    EXPECT_FALSE(TheBattleMap->HasCells());
}

// A map that comes without a stage file (a generated one) keeps the bounds the loading gives: the
// view reads every cell of the new map, whatever the last map narrowed it to.
TEST_F(MapFilesTest, TheViewScrollsOverTheWholeNewMap) {
    RecordingView& view = world.View();
    view.SetView(0, 0, 0, 0);
    WriteSet(MapBytes(20, 120));
    ASSERT_EQ(LoadMapFiles("maps/one"), 1);
    EXPECT_EQ(view.scrollMinX, 0);
    EXPECT_EQ(view.scrollMinY, 0);
    EXPECT_EQ(view.scrollMaxX, 20);
    EXPECT_EQ(view.scrollMaxY, 120);
    const MapCell* inside = view.GetCell(10, 60);
    ASSERT_NE(inside, nullptr);
    EXPECT_EQ(inside->groundTile, 60 * 20 + 10 + 1);
    EXPECT_EQ(inside->sightCount, 2);
    EXPECT_EQ(TheBattleMap->validBounds.right, 20);
    EXPECT_EQ(TheBattleMap->validBounds.bottom, 120);
}

TEST_F(MapFilesTest, TheSmallestMapBlocksItsFirstCell) {
    WriteSet(MapBytes(1, 2));
    ASSERT_EQ(std::filesystem::file_size(folder.path() / "maps/one.m"), 48u);
    ASSERT_EQ(LoadMapFiles("maps/one"), 1);
    EXPECT_EQ(TheBattleMap->CellAt(0, 0)->obstacle, 1);
    EXPECT_EQ(TheBattleMap->CellAt(0, 1)->obstacle, 0);
}

TEST_F(MapFilesTest, ASavedGameDropsTheSightAndCoversTheFogLayers) {
    WriteSet(MapBytes(40, 60), false, true, false);
    TheGameController->loadingSavedGame = 1;
    ASSERT_EQ(LoadMapFiles("maps/one"), 1);
    const MapCell& c = *TheBattleMap->CellAt(5, 5);
    EXPECT_EQ(c.sightCount, 0);
    EXPECT_EQ(c.seen, 0);
    EXPECT_EQ(c.fogMark, 0);
    // 60 rows < 3 x 40: full width, height 60 * 120 / 120 = 60 from row 30.
    const MinimapRect r = FitMinimapRect(40, 60);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.bottom, 90);
    for (int layer : {1, 2}) {
        const auto px = Layer(layer);
        auto at = [&](int x, int y) {
            return uint16_t(px[2 * (y * 160 + x)] | px[2 * (y * 160 + x) + 1] << 8);
        };
        EXPECT_EQ(at(0, 29), 0x4208);
        EXPECT_EQ(at(80, 30), 0);
        EXPECT_EQ(at(159, 89), 0);
        EXPECT_EQ(at(10, 90), 0x4208);
    }
}

TEST_F(MapFilesTest, DamagedOrMissingFilesAreRefusedAndKeepTheOldMap) {
    const std::vector<uint8_t> good = MapBytes(4, 6);
    auto put32 = [](std::vector<uint8_t> b, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = uint8_t(v >> (8 * i));
        return b;
    };
    struct Case {
        const char* name;
        std::vector<uint8_t> m;
        bool x, cmb;
        std::vector<uint8_t> shortX;
    } cases[] = {
        {"short by one byte", std::vector<uint8_t>(good.begin(), good.end() - 1), true, true, {}},
        {"header only", std::vector<uint8_t>(good.begin(), good.begin() + 12), true, true, {}},
        {"width 0", put32(good, 0, 0), true, true, {}},
        {"rows 0", put32(good, 4, 0), true, true, {}},
        {"huge width", put32(good, 0, 0x40000000), true, true, {}},
        {"huge product", put32(put32(good, 0, 2000), 4, 8000), true, true, {}},
        {"no .x", good, false, true, {}},
        {"no .cmb", good, true, false, {}},
        {"short .x", good, true, true, std::vector<uint8_t>(100)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(folder.path() / "maps");
        WriteSet(MapBytes(3, 6));
        ASSERT_EQ(LoadMapFiles("maps/one"), 1);
        const uint8_t before = TheGameController->minimapImages[0][7];
        std::filesystem::remove_all(folder.path() / "maps");
        WriteSet(c.m, true, c.x, c.cmb);
        if (!c.shortX.empty()) folder.Put("maps/one.x", c.shortX);
        Zu_ErrorList::Global().Clear();
        EXPECT_EQ(LoadMapFiles("maps/one"), 0);
        EXPECT_GE(Zu_ErrorList::Global().GetCount(), 1);
        EXPECT_EQ(TheBattleMap->width, 3);
        EXPECT_EQ(TheBattleMap->rows, 6);
        ASSERT_TRUE(TheBattleMap->HasCells());
        EXPECT_EQ(TheBattleMap->CellAt(2, 5)->groundTile, 18);
        EXPECT_EQ(TheGameController->minimapImages[0][7], before);
    }
    EXPECT_EQ(LoadMapFiles("maps/none"), 0);
    Zu_ErrorList::Global().Clear();
}

TEST_F(MapFilesTest, AMissingCsmIsFine) {
    WriteSet(MapBytes(3, 6), false);
    EXPECT_EQ(LoadMapFiles("maps/one"), 1);
}

TEST_F(MapFilesTest, SaveRoundTripsByteForByte) {
    const std::vector<uint8_t> m = MapBytes(5, 8, [](MapCell& c, int i) {
        c.zoneByte = uint8_t(i * 3);
        c.obstacle = uint8_t(i % 3 == 0 ? 255 : 0);
        c.cityId = uint8_t(i % 50);
    });
    WriteSet(m);
    ASSERT_EQ(LoadMapFiles("maps/one"), 1);
    // Saving over the existing files rewrites them.
    ASSERT_EQ(SaveMapFiles("maps/two"), 1);
    ASSERT_EQ(LoadMapFiles("maps/two"), 1);
    ASSERT_EQ(SaveMapFiles("maps/two"), 1);
    // The load fixes are part of what is saved; the rest of every record is as read.
    std::vector<uint8_t> expected = m;
    MapGrid grid;
    ASSERT_TRUE(ParseMapFile(m, grid));
    ApplyMapLoadFixes(grid, false);
    const std::vector<uint8_t> fixed = WriteMapFile(grid.width, grid.rows, grid.cells.get());
    std::memcpy(expected.data() + 16, fixed.data() + 16, fixed.size() - 16);
    EXPECT_EQ(ReadAll(folder.str() + "/maps/two.m"), expected);
    EXPECT_EQ(ReadAll(folder.str() + "/maps/two.x"), LayerBytes(3));
    EXPECT_EQ(ReadAll(folder.str() + "/maps/two.csm"), LayerBytes(5));
    EXPECT_EQ(ReadAll(folder.str() + "/maps/two.cmb"), LayerBytes(7));
}

TEST_F(MapFilesTest, OnA555DisplayTheLayersStay565AndSaveUnchanged) {
    const int32_t saved = PixelFormat;
    PixelFormat = 555;
    WriteSet(MapBytes(3, 6));
    ASSERT_EQ(LoadMapFiles("maps/one"), 1);
    EXPECT_EQ(Layer(0), LayerBytes(3));
    ASSERT_EQ(SaveMapFiles("maps/two"), 1);
    EXPECT_EQ(ReadAll(folder.str() + "/maps/two.x"), LayerBytes(3));
    PixelFormat = saved;
}

TEST_F(MapFilesTest, CellRecordsKeepTheirBytePositions) {
    MapCell c;
    c.groundTile = 0x0201;
    c.layerTile = 0x0403;
    c.overlayTile = 0x0605;
    c.spare6 = 0x0807;
    c.zoneByte = 9;
    c.obstacle = 10;
    c.ownerMark = 11;
    c.cityId = 12;
    c.fogMark = 13;
    c.spare13 = 14;
    c.sightCount = 15;
    c.seen = 16;
    const std::array<uint8_t, 16> want = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    EXPECT_EQ(CellBytes(c), want);
}

TEST_F(MapFilesTest, StageMapsByNumber) {
    folder.Put("stage07.m", MapBytes(2, 4));
    folder.Put("stage07.x", LayerBytes(1));
    folder.Put("stage07.cmb", LayerBytes(1));
    EXPECT_EQ(LoadStageMapByNumber(7), 1);
    EXPECT_EQ(TheBattleMap->width, 2);
}

} // namespace
