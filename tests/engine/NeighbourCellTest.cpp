#include "engine/NeighbourCell.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// A map drawn as text: '.' free, 'o' occupied, '#' blocked ground (on the cell's row 2y).
class TextMap : public NeighbourCellMap {
public:
    explicit TextMap(std::vector<std::string> rows) : rows_(std::move(rows)) {}
    int32_t MapWidth() const override { return static_cast<int32_t>(rows_[0].size()); }
    int32_t MapHeight() const override { return static_cast<int32_t>(rows_.size()); }
    int32_t FirstObjectAt(int32_t x, int32_t y) const override { return rows_[y][x] == 'o' ? 42 : 0; }
    int8_t CellObstacle(int32_t x, int32_t row) const override {
        EXPECT_EQ(row % 2, 0);
        return rows_[row / 2][x] == '#' ? 1 : (rows_[row / 2][x] == '.' ? -1 : 0);
    }

private:
    std::vector<std::string> rows_;
};

TEST(NeighbourCell, TriesTheNeighboursInTheirOrder) {
    struct Case {
        std::vector<std::string> rows;
        int32_t x, y;
        int32_t found;
        CellTarget target;
    };
    const Case cases[] = {
        {{"...", "...", "..."}, 1, 1, 1, {1, 1}}, // the cell itself first
        {{"...", ".o.", "..."}, 1, 1, 1, {0, 2}}, // then (-1, +1)
        {{"...", ".o.", "#.."}, 1, 1, 1, {1, 2}}, // then (0, +1)
        {{"...", ".o#", "#o#"}, 1, 1, 1, {2, 0}}, // blocked and occupied cells passed over up to (+1, -1)
        {{"..#", ".o#", "#o#"}, 1, 1, 1, {0, 0}}, // then (-1, -1)
        {{"o.#", ".o#", "#o#"}, 1, 1, 1, {1, 0}}, // then (0, -1)
        {{"ooo", "ooo", "ooo"}, 1, 1, 0, {9, 9}}, // nothing free: the target stays
        {{".o", "oo"}, 1, 1, 1, {0, 0}},          // (-1,-1)
        {{"o.", "oo"}, 0, 0, 1, {1, 0}},          // outside cells are skipped
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rows[0]);
        TextMap map(c.rows);
        CellTarget target{9, 9};
        EXPECT_EQ(IsNeighbourCellFree(map, target, c.x, c.y), c.found);
        EXPECT_EQ(target.x, c.target.x);
        EXPECT_EQ(target.y, c.target.y);
    }
}

TEST(NeighbourCell, FindLooksAroundEachNeighbourWhenTheRingIsFull) {
    // Around (2,2) everything is taken; around neighbour (1,3) (offset 2) the cell (0,4) is free.
    TextMap map({".....", ".ooo.", ".ooo.", ".ooo.", "....."});
    CellTarget target{};
    EXPECT_EQ(FindFreeNeighbourCell(map, target, 2, 2), 1);
    EXPECT_EQ(target.x, 0);
    EXPECT_EQ(target.y, 4);

    // A free ring cell is taken by the first pass.
    TextMap open({"...", ".o.", "..."});
    EXPECT_EQ(FindFreeNeighbourCell(open, target, 1, 1), 1);
    EXPECT_EQ(target.x, 0);
    EXPECT_EQ(target.y, 2);

    // Nothing free: the target holds the last neighbour inside the map that was tried.
    TextMap full({"ooooo", "ooooo", "ooooo", "ooooo", "ooooo"});
    target = {};
    EXPECT_EQ(FindFreeNeighbourCell(full, target, 2, 2), 0);
    EXPECT_EQ(target.x, 2); // offset 8, (0, -1)
    EXPECT_EQ(target.y, 1);

    // In a corner the neighbours outside the map are not tried.
    target = {7, 7};
    TextMap corner({"oo", "oo"});
    EXPECT_EQ(FindFreeNeighbourCell(corner, target, 0, 1), 0);
    EXPECT_EQ(target.x, 0); // (0, -1) is the last one inside
    EXPECT_EQ(target.y, 0);
}

} // namespace
