#include "world/PathSearch.h"

#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"
#include "world/Coordinates.h"
#include "world/UnitPath.h"

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// The search's module-wide state: nodes live in chunks that a reset keeps for the next search.
struct SearchState {
    static constexpr size_t kChunk = 4096;
    std::vector<std::unique_ptr<PathNode[]>> chunks;
    size_t used = 0;

    // Open list as a heap: lowest f first, and among equal f the newest, as a list sorted by
    // insertion before the first node of equal or greater f would give.
    struct OpenEntry {
        int32_t f;
        uint32_t sequence;
        PathNode* node;
    };
    std::vector<OpenEntry> open;
    uint32_t sequence = 0;
    std::vector<uint64_t> visited;
    int32_t expansions = 0;
    int32_t lastG = 0;

    PathNode* NewNode() {
        if (used == chunks.size() * kChunk) chunks.push_back(std::make_unique<PathNode[]>(kChunk));
        PathNode* n = &chunks[used / kChunk][used % kChunk];
        ++used;
        *n = PathNode{};
        return n;
    }

    static bool Before(const OpenEntry& a, const OpenEntry& b) {
        return a.f < b.f || (a.f == b.f && a.sequence > b.sequence);
    }
    void Push(PathNode* n) {
        open.push_back({n->f, sequence++, n});
        size_t i = open.size() - 1;
        while (i > 0) {
            const size_t parent = (i - 1) / 2;
            if (!Before(open[i], open[parent])) break;
            std::swap(open[i], open[parent]);
            i = parent;
        }
    }
    PathNode* Pop() {
        if (open.empty()) return nullptr;
        PathNode* top = open.front().node;
        open.front() = open.back();
        open.pop_back();
        size_t i = 0;
        for (;;) {
            const size_t l = 2 * i + 1, r = l + 1;
            size_t best = i;
            if (l < open.size() && Before(open[l], open[best])) best = l;
            if (r < open.size() && Before(open[r], open[best])) best = r;
            if (best == i) break;
            std::swap(open[i], open[best]);
            i = best;
        }
        return top;
    }
};

SearchState& State() {
    static SearchState state;
    return state;
}

Troop* AsTroop(uintptr_t id) {
    return reinterpret_cast<Troop*>(id);
}

bool CellHoldsBlocker(BattleMap& map, int32_t x, int32_t y, Troop* unit, Troop* self, bool wall) {
    for (uintptr_t id = map.FirstObjectAt(x, y); id != 0; id = map.NextObjectAt()) {
        Troop* occupant = AsTroop(id);
        if (wall) {
            if (occupant == unit) continue;
            const int32_t kind = occupant->officer ? occupant->officer->Get(OfficerLayout::kAttribute) : 0;
            if (kind != 7 && kind != 8) return true;
        } else if (occupant != self && unit->IsValidTarget(occupant)) {
            return true;
        }
    }
    return false;
}

PathNode* Search(bool wall, Troop* unit, Troop* self, int32_t sx, int32_t sy, int32_t tx, int32_t ty,
                 int32_t weight, int32_t limit, uint8_t& result) {
    SearchState& st = State();
    const bool everywhere = result == 1;
    BattleMap* map = TheBattleMap;
    st.expansions = 0;
    st.open.clear();
    if (!map || map->unitGridWidth <= 0 || map->unitGridRows <= 0) {
        result = kSearchNoPath;
        return nullptr;
    }
    const int32_t gw = map->unitGridWidth, gr = map->unitGridRows;
    if (sx < 0 || sy < 0 || sx >= gw || sy >= gr) {
        result = kSearchNoPath;
        return nullptr;
    }
    if (weight == 0) weight = (std::abs(tx - sx) + std::abs(ty - sy)) / 100 + 1;
    if (limit == 0) limit = 10000;
    const int32_t goal = map->UnitCellIndex(tx, ty);
    st.visited.assign((size_t(gw) * size_t(gr) + 63) / 64, 0);

    PathNode* start = st.NewNode();
    start->x = int16_t(sx);
    start->y = int16_t(sy);
    start->cellIndex = map->UnitCellIndex(sx, sy);
    start->h = weight * (std::abs(sx - tx) + std::abs(sy - ty));
    start->f = start->h;
    st.Push(start);

    PathNode* found = nullptr;
    result = kSearchNoPath;
    while (PathNode* n = st.Pop()) {
        if (n->cellIndex == goal) {
            found = n;
            break;
        }
        if (unit) {
            if (!wall && std::abs(n->x - tx) <= 1 && std::abs(n->y - ty) <= 1) {
                found = n;
                break;
            }
            if (wall && unit->IsWithinRange(n->x, n->y)) {
                found = n;
                break;
            }
        }
        if (st.expansions > limit) {
            st.lastG = n->g;
            result = kSearchLimit;
            break;
        }
        ++st.expansions;
        for (uint8_t d = 0; d < 8; ++d) {
            const UnitStep& s = kUnitSteps[d];
            const int32_t nx = n->x + s.dx, ny = n->y + s.dy;
            if (nx < 0 || ny < 0 || nx >= gw || ny >= gr) continue;
            const int32_t index = ny * gw + nx;
            if (st.visited[size_t(index) / 64] >> (index % 64) & 1) continue;
            if (unit && (everywhere || (std::abs(nx - sx) < 4 && std::abs(ny - sy) < 4)) &&
                CellHoldsBlocker(*map, nx, ny, unit, self, wall))
                continue;
            if (wall) {
                if (!IsCellWall(nx, 2 * ny)) continue;
            } else {
                if (GetCellObstacle(nx, 2 * ny) >= 1) continue;
                if (d >= 4 && GetCellObstacle(n->x + s.cornerX, 2 * n->y + s.cornerRow) >= 1) continue;
            }
            st.visited[size_t(index) / 64] |= uint64_t(1) << (index % 64);
            PathNode* c = st.NewNode();
            c->x = int16_t(nx);
            c->y = int16_t(ny);
            c->g = int16_t(n->g + 1);
            c->h = weight * (std::abs(nx - tx) + std::abs(ny - ty));
            c->f = c->g + c->h;
            c->cellIndex = index;
            c->direction = d;
            c->parent = n;
            st.Push(c);
        }
    }
    if (found) {
        st.lastG = found->g;
        result = kSearchFound;
    }
    st.open.clear();
    map->occupancyCursor = nullptr;
    return found;
}

PathWaypoint* NewWaypoint(const PathNode* n, uint8_t kind, PathWaypoint* next) {
    return new PathWaypoint{TileToWorldX(n->x), TileToWorldY(n->y), kind, next};
}

// The line from a to b in unit steps along the longer axis meets no blocked step.
bool LineIsClear(const PathNode* a, const PathNode* b) {
    const int32_t dx = b->x - a->x, dy = b->y - a->y;
    const int32_t adx = std::abs(dx), ady = std::abs(dy);
    const int32_t longAxis = std::max(adx, ady);
    const int32_t shortAxis = std::min(adx, ady);
    const bool xLeads = adx >= ady;
    const int32_t sxSign = dx < 0 ? -1 : 1, sySign = dy < 0 ? -1 : 1;
    int32_t px = a->x, py = a->y;
    for (int32_t i = 1; i <= longAxis; ++i) {
        const int32_t along = i, across = longAxis ? i * shortAxis / longAxis : 0;
        const int32_t nx = a->x + sxSign * (xLeads ? along : across);
        const int32_t ny = a->y + sySign * (xLeads ? across : along);
        if (IsStepBlocked(px, py, nx, ny)) return false;
        px = nx;
        py = ny;
    }
    return true;
}

} // namespace

PathNode* SearchGridPath(Troop* unit, Troop* self, int32_t sx, int32_t sy, int32_t tx, int32_t ty,
                         int32_t weight, int32_t limit, uint8_t& result) {
    return Search(false, unit, self, sx, sy, tx, ty, weight, limit, result);
}

PathNode* SearchWallPath(Troop* unit, int32_t sx, int32_t sy, int32_t tx, int32_t ty, int32_t weight,
                         int32_t limit, uint8_t& result) {
    return Search(true, unit, unit, sx, sy, tx, ty, weight, limit, result);
}

void ResetPathSearch() {
    SearchState& st = State();
    st.used = 0;
    st.open.clear();
}

int32_t PathSearchExpansions() {
    return State().expansions;
}

void CapPathSearchExpansions(int32_t cap) {
    if (State().expansions > cap) State().expansions = cap;
}

int32_t LastPathG() {
    return State().lastG;
}

bool IsStepBlocked(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const int32_t dx = x2 - x1, dy = y2 - y1;
    if (dx == 0 && dy == 0) return false;
    for (const UnitStep& s : kUnitSteps) {
        if (s.dx != dx || s.dy != dy) continue;
        return GetCellObstacle(x2, 2 * y2) >= 1 || GetCellObstacle(x1 + s.cornerX, 2 * y1 + s.cornerRow) >= 1;
    }
    return true; // not one unit step
}

PathWaypoint* StraightenPath(const PathNode* goal) {
    if (!goal) return nullptr;
    PathWaypoint* list = NewWaypoint(goal, 2, nullptr);
    std::vector<const PathNode*> ancestors;
    const PathNode* anchor = goal;
    while (anchor->parent) {
        ancestors.clear();
        for (const PathNode* a = anchor->parent; a; a = a->parent)
            ancestors.push_back(a);
        // The farthest clear ancestor: test from the start end inward.
        const PathNode* next = anchor->parent;
        for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it) {
            if (LineIsClear(anchor, *it)) {
                next = *it;
                break;
            }
        }
        list = NewWaypoint(next, 2, list);
        anchor = next;
    }
    return list;
}

PathWaypoint* WallPathToWaypoints(const PathNode* goal) {
    PathWaypoint* list = nullptr;
    for (const PathNode* n = goal; n; n = n->parent)
        list = NewWaypoint(n, 2, list);
    return list;
}

PathWaypoint* NodesToWaypoints(const PathNode* goal) {
    PathWaypoint* list = nullptr;
    for (const PathNode* n = goal; n; n = n->parent)
        list = NewWaypoint(n, 1, list);
    return list;
}
