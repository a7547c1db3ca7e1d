#include "records/City.h"
#include "world/BattleMap.h"

#include <utility>
#include <vector>

namespace {
// A scan-line fill over the owner marks. Its seed stack grows as the region needs, so no shape
// loses seeds; every seed names an unpainted cell, so the fill ends.
class OwnerFill {
public:
    OwnerFill(BattleMap& map, uint8_t oldMark, uint8_t newMark, bool tagged, uint8_t tag)
        : map_(map), old_(oldMark), new_(newMark), tagged_(tagged), tag_(tag) {}

    void Run(int32_t x, int32_t row) {
        if (!Carries(x, row)) return;
        int32_t left = x;
        while (left > 0 && Carries(left - 1, row))
            --left;
        PushNeighbours(left, row, old_);
        PaintRun(left, row);
        while (!stack_.empty()) {
            const auto [c0, r] = stack_.back();
            stack_.pop_back();
            PaintRun(c0, r);
            PushNeighbours(c0, r, new_);
        }
    }

private:
    bool Has(int32_t c, int32_t r, uint8_t mark) const {
        const MapCell* cell = map_.CellAt(c, r);
        return cell && cell->ownerMark == mark;
    }
    bool Carries(int32_t c, int32_t r) const { return Has(c, r, old_); }

    void PaintRun(int32_t c, int32_t r) {
        for (; Carries(c, r); ++c) {
            MapCell* cell = map_.CellAt(c, r);
            cell->ownerMark = new_;
            if (tagged_) cell->fogMark = tag_;
        }
    }

    // Seeds for the rows above and below the run that starts at c0 and carries `mark`.
    void PushNeighbours(int32_t c0, int32_t r, uint8_t mark) {
        for (int32_t dr : {1, -1}) {
            const int32_t next = r + dr;
            if (next < 0 || next >= map_.rows) continue;
            for (int32_t c = c0; Has(c, r, mark); ++c)
                if (Carries(c, next)) Push(c, next);
        }
    }

    // The seed is the leftmost old cell of its run; one equal to the top entry is not pushed again.
    void Push(int32_t c, int32_t r) {
        while (c > 0 && Carries(c - 1, r))
            --c;
        if (stack_.empty() || stack_.back() != std::pair{c, r}) stack_.emplace_back(c, r);
    }

    BattleMap& map_;
    uint8_t old_, new_;
    bool tagged_;
    uint8_t tag_;
    std::vector<std::pair<int32_t, int32_t>> stack_;
};

void Fill(const City& city, uint16_t oldMark, uint16_t newMark, bool tagged, uint8_t tag) {
    const int32_t x = city.Int(CityLayout::kX);
    const int32_t y = city.Int(CityLayout::kY);
    if (x == 0 || y == 0 || oldMark == 0 || !TheBattleMap || !TheBattleMap->HasCells()) return;
    // Cells hold one byte: a mark that no cell can carry paints nothing, and a new mark that
    // reads as the old one would never run out of cells.
    if (oldMark > 0xFF || static_cast<uint8_t>(newMark) == oldMark) return;
    const int64_t row = int64_t{y} + 2;
    if (row >= TheBattleMap->rows) return;
    OwnerFill(*TheBattleMap, static_cast<uint8_t>(oldMark), static_cast<uint8_t>(newMark), tagged, tag)
        .Run(x, static_cast<int32_t>(row));
}
} // namespace

void City::ReassignCellOwner(uint16_t oldMark, uint16_t newMark) {
    Fill(*this, oldMark, newMark, false, 0);
}

void City::ReassignCellOwnerAndTag(uint16_t oldMark, uint16_t newMark, uint8_t tag) {
    Fill(*this, oldMark, newMark, true, tag);
}
