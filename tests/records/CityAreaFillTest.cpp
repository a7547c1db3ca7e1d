#include "records/City.h"
#include "world/BattleMap.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uint8_t kOld = 101, kNew = 102, kOther = 105;

// A map drawn as text: 'o' carries the old mark, 'x' another mark, '.' none.
class FillMap {
public:
    explicit FillMap(const std::vector<std::string>& art) {
        TheBattleMap = new BattleMap;
        rows = static_cast<int32_t>(art.size());
        width = static_cast<int32_t>(art[0].size());
        auto cells = std::make_unique<MapCell[]>(size_t(width) * size_t(rows));
        for (int32_t r = 0; r < rows; ++r)
            for (int32_t c = 0; c < width; ++c) {
                const char ch = art[size_t(r)][size_t(c)];
                cells[size_t(r) * size_t(width) + size_t(c)].ownerMark = ch == 'o'   ? kOld
                                                                         : ch == 'x' ? kOther
                                                                                     : 0;
            }
        TheBattleMap->SetCells(std::move(cells), width, rows);
    }
    ~FillMap() {
        delete TheBattleMap;
        TheBattleMap = nullptr;
    }
    FillMap(const FillMap&) = delete;
    FillMap& operator=(const FillMap&) = delete;

    // The map again as text, 'N' for the new mark; 't' where the fog tag was written too.
    std::vector<std::string> Art() const {
        std::vector<std::string> out;
        for (int32_t r = 0; r < rows; ++r) {
            std::string line;
            for (int32_t c = 0; c < width; ++c) {
                const MapCell* cell = TheBattleMap->CellAt(c, r);
                char ch = '.';
                if (cell->ownerMark == kOld) ch = 'o';
                if (cell->ownerMark == kOther) ch = 'x';
                if (cell->ownerMark == kNew) ch = cell->fogMark == 7 ? 't' : 'N';
                line += ch;
            }
            out.push_back(line);
        }
        return out;
    }

    int32_t width = 0, rows = 0;
};

// A city whose seed cell is (x, y + 2).
std::unique_ptr<City> CityAt(int32_t x, int32_t y) {
    auto city = std::make_unique<City>(1, 0);
    city->SetInt(CityLayout::kX, x);
    city->SetInt(CityLayout::kY, y);
    return city;
}

TEST(CityAreaFillTest, FillsTheConnectedRegionOfTheOldMark) {
    struct Case {
        const char* what;
        int32_t x, y;
        std::vector<std::string> before, after;
    };
    const Case cases[] = {
        {"a U filled from the bottom reaches both arms",
         3,
         3,
         {"o.....o", "o.ooo.o", "o.o.o.o", "o.ooo.o", "o.....o", "ooooooo"},
         {"N.....N", "N.ooo.N", "N.o.o.N", "N.ooo.N", "N.....N", "NNNNNNN"}},
        {"an upside-down U filled from an arm",
         6,
         1,
         {"ooooooo", "o.....o", "o.....o", "o..o..o", "x.....x"},
         {"NNNNNNN", "N.....N", "N.....N", "N..o..N", "x.....x"}},
        {"a region on column 0 is painted there too",
         1,
         2,
         {"oo.....", "oo.oooo", "ooooo.o", "o......", "oo....."},
         {"NN.....", "NN.NNNN", "NNNNN.N", "N......", "NN....."}},
        {"a region up to the right and bottom edges",
         5,
         1,
         {".......", "...oooo", "..ooooo", "..o.ooo", "..ooooo"},
         {".......", "...NNNN", "..NNNNN", "..N.NNN", "..NNNNN"}},
        {"other marks bound the region",
         1,
         1,
         {"ooooo", "ooxoo", "oxxxo", "ooxoo"},
         {"NNNNN", "NNxNN", "NxxxN", "NNxNN"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FillMap map(c.before);
        CityAt(c.x, c.y)->ReassignCellOwner(kOld, kNew);
        EXPECT_EQ(map.Art(), c.after);
    }
}

TEST(CityAreaFillTest, NothingIsPaintedWithoutAUsableSeedOrWithMarksThatCannotDiffer) {
    const std::vector<std::string> art = {"ooooo", "ooooo", "ooooo", "ooooo"};
    struct Case {
        const char* what;
        int32_t x, y;
        uint16_t oldMark, newMark;
    };
    const Case cases[] = {
        {"city at column 0", 0, 1, kOld, kNew},
        {"city at row 0", 2, 0, kOld, kNew},
        {"old mark 0", 2, 1, 0, kNew},
        {"equal marks", 2, 1, kOld, kOld},
        {"a new mark whose byte is the old one", 2, 1, kOld, kOld + 256},
        {"an old mark no cell can hold", 2, 1, kOld + 256, kNew},
        {"seed row below the map", 2, 2, kOld, kNew},
        {"seed column past the map", 9, 1, kOld, kNew},
        {"a row from a file at the end of the int range", 2, 0x7FFFFFFF, kOld, kNew},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FillMap map(art);
        CityAt(c.x, c.y)->ReassignCellOwner(c.oldMark, c.newMark);
        EXPECT_EQ(map.Art(), art);
    }
}

TEST(CityAreaFillTest, TheTaggedFillWritesTheFogTagAndLargeRegionsNeedNoStackLimit) {
    // A comb of 300 teeth: every tooth is a pending seed at once.
    std::vector<std::string> comb(6, std::string(601, '.'));
    for (size_t c = 0; c < 601; ++c)
        comb[5][c] = 'o';
    for (size_t c = 1; c < 601; c += 2)
        for (size_t r = 1; r < 5; ++r)
            comb[r][c] = 'o';
    comb[0][3] = 'o';
    FillMap map(comb);
    CityAt(3, 3)->ReassignCellOwnerAndTag(kOld, kNew, 7);
    const std::vector<std::string> after = map.Art();
    for (size_t r = 0; r < comb.size(); ++r)
        for (size_t c = 0; c < comb[r].size(); ++c)
            ASSERT_EQ(after[r][c], comb[r][c] == 'o' ? 't' : '.') << r << "," << c;
}

} // namespace
