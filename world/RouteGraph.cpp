#include "world/RouteGraph.h"

#include "Program/GameController.h"
#include "engine/ByteReader.h"
#include "engine/ResourceStoreFiles.h"
#include "platform/Files.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"
#include "world/PathSearch.h"

#include <cstdlib>
#include <limits>

namespace {

constexpr size_t kLinkRecordBytes = 12;
constexpr size_t kNodeBytes = 8 + RouteNode::kLinks * kLinkRecordBytes;

// The graph of the current stage.
struct RouteGraph {
    RouteNode* head = nullptr;
    RouteNode* tail = nullptr;
    int32_t count = 0;
};

RouteGraph& Graph() {
    static RouteGraph graph;
    return graph;
}

void Append(RouteNode* n) {
    RouteGraph& g = Graph();
    if (g.tail)
        g.tail->next = n;
    else
        g.head = n;
    g.tail = n;
    ++g.count;
}

// The map's waypoint cells in scan order as unit cells, through the same reader the troops use
// (so the border never yields one).
std::vector<std::pair<int32_t, int32_t>> ScanMarkers() {
    std::vector<std::pair<int32_t, int32_t>> found;
    BattleMap* map = TheBattleMap;
    if (!map || !map->HasCells()) return found;
    for (int32_t row = 0; row < map->rows; ++row)
        for (int32_t x = 0; x < map->width; ++x)
            if (map->GetCell(x, row)->overlayTile == kWaypointMarker) found.emplace_back(x, row / 2);
    return found;
}

void OpenWaypointCell(int32_t x, int32_t y) {
    if (!TheBattleMap) return;
    if (MapCell* c = TheBattleMap->CellAt(x, 2 * y)) c->obstacle = 0;
}

RouteNode* FindNode(int32_t x, int32_t y, bool last) {
    RouteNode* found = nullptr;
    for (RouteNode* n = Graph().head; n; n = n->next) {
        if (n->x != x || n->y != y) continue;
        found = n;
        if (!last) break;
    }
    return found;
}

bool Networked() {
    return TheGameController && TheGameController->networked;
}

bool Reaches(int32_t sx, int32_t sy, int32_t tx, int32_t ty) {
    uint8_t result = 0;
    const bool found = SearchGridPath(nullptr, nullptr, sx, sy, tx, ty, 1, 500, result) != nullptr;
    ResetPathSearch();
    return found;
}

// The unmarked node nearest the point that the bounded search connects with it.
RouteNode* NearestReachable(int32_t px, int32_t py, bool fromPoint) {
    for (RouteNode* n = Graph().head; n; n = n->next)
        n->marked = false;
    for (;;) {
        RouteNode* best = nullptr;
        int32_t bestDistance = std::numeric_limits<int32_t>::max();
        for (RouteNode* n = Graph().head; n; n = n->next) {
            if (n->marked) continue;
            const int32_t d = std::abs(n->x - px) + std::abs(n->y - py);
            if (d < bestDistance) {
                best = n;
                bestDistance = d;
            }
        }
        if (!best) return nullptr;
        best->marked = true;
        if (fromPoint ? Reaches(px, py, best->x, best->y) : Reaches(best->x, best->y, px, py)) return best;
    }
}

// The sum of step costs back along the predecessors, bounded by the node count.
int64_t ChainCost(const RouteNode* n) {
    int64_t cost = 0;
    for (int32_t i = 0; n && n->mark && i <= Graph().count; ++i, n = n->mark)
        cost += n->stepCost;
    return cost;
}

} // namespace

int RouteNode::FirstFreeSlot() const {
    for (int i = 0; i < kLinks; ++i)
        if (!links[i]) return i;
    return kLinks;
}

RouteNode* RouteGraphHead() {
    return Graph().head;
}

int32_t RouteNodeCount() {
    return Graph().count;
}

void FreeRouteGraph() {
    RouteGraph& g = Graph();
    for (RouteNode* n = g.head; n;) {
        RouteNode* next = n->next;
        delete n;
        n = next;
    }
    g = RouteGraph{};
}

void BuildRouteGraph() {
    FreeRouteGraph();
    for (auto [x, y] : ScanMarkers()) {
        OpenWaypointCell(x, y);
        auto* n = new RouteNode;
        n->x = x;
        n->y = y;
        Append(n);
    }
    for (RouteNode* a = Graph().head; a; a = a->next) {
        int i = a->FirstFreeSlot();
        for (RouteNode* b = a->next; b && i < RouteNode::kLinks; b = b->next) {
            const int j = b->FirstFreeSlot();
            if (j >= RouteNode::kLinks) continue; // links stay symmetric
            uint8_t result = 0;
            bool found = SearchGridPath(nullptr, nullptr, a->x, a->y, b->x, b->y, 1, 500, result) != nullptr;
            ResetPathSearch();
            if (!found) {
                result = 0;
                found = SearchGridPath(nullptr, nullptr, b->x, b->y, a->x, a->y, 1, 500, result) != nullptr;
                ResetPathSearch();
            }
            if (!found) continue;
            b->links[j] = a;
            a->links[i] = b;
            a->linkCosts[i] = b->linkCosts[j] = LastPathG();
            ++i;
        }
    }
}

bool LinkRouteNodes(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    RouteNode* a = FindNode(x1, y1, true);
    RouteNode* b = FindNode(x2, y2, true);
    if (!a || !b) return false;
    const int i = a->FirstFreeSlot(), j = b->FirstFreeSlot();
    if (i < RouteNode::kLinks && j < RouteNode::kLinks) {
        a->links[i] = b;
        b->links[j] = a;
    }
    return true;
}

std::string RouteCacheName() {
    const int32_t stage = TheGameController ? TheGameController->campaignStage : 0;
    if (stage >= 1 && stage <= 6) return "stage01.opt";
    return "stage" + std::to_string(stage) + ".opt";
}

bool ParseRouteCache(std::span<const uint8_t> bytes) {
    FreeRouteGraph();
    ByteReader in(bytes);
    const uint32_t n = in.u32();
    if (!in.ok() || n > (bytes.size() - 4) / kNodeBytes || bytes.size() != 4 + size_t(n) * kNodeBytes)
        return false;
    // A cache of another map (or an older version of this one) is refused whole.
    const auto markers = ScanMarkers();
    if (markers.size() != n) return false;
    for (uint32_t i = 0; i < n; ++i) {
        const int32_t x = in.i32(), y = in.i32();
        if (markers[i].first != x || markers[i].second != y) return false;
    }
    for (auto [x, y] : markers) {
        OpenWaypointCell(x, y);
        auto* node = new RouteNode;
        node->x = x;
        node->y = y;
        Append(node);
    }
    for (RouteNode* node = Graph().head; node; node = node->next) {
        for (int k = 0; k < RouteNode::kLinks; ++k) {
            const int32_t x = in.i32(), y = in.i32(), cost = in.i32();
            node->linkCosts[k] = cost;
            node->links[k] = (x == 0 && y == 0) ? nullptr : FindNode(x, y, false);
        }
    }
    return in.ok();
}

std::vector<uint8_t> SerializeRouteGraph() {
    ByteWriter out;
    out.u32(uint32_t(Graph().count));
    for (RouteNode* n = Graph().head; n; n = n->next) {
        out.i32(n->x);
        out.i32(n->y);
    }
    for (RouteNode* n = Graph().head; n; n = n->next) {
        for (int k = 0; k < RouteNode::kLinks; ++k) {
            const RouteNode* t = n->links[k];
            out.i32(t ? t->x : 0);
            out.i32(t ? t->y : 0);
            out.i32(t ? n->linkCosts[k] : 0);
        }
    }
    return out.buffer();
}

void ReadRouteCache() {
    FreeRouteGraph();
    // Every station of a network game builds its own graph, so a stale file cannot part them.
    if (Networked()) return;
    std::vector<uint8_t> bytes;
    if (!ReadGameFile(RouteCacheName().c_str(), bytes)) return;
    if (!ParseRouteCache(bytes)) FreeRouteGraph();
}

void BuildAndWriteRouteCache() {
    BuildRouteGraph();
    if (Networked()) return;
    const std::vector<uint8_t> bytes = SerializeRouteGraph();
    platform::WriteFileAtomic(RouteCacheName().c_str(), bytes.data(), bytes.size());
}

void LoadOrBuildRouteCache() {
    ReadRouteCache();
    if (!Graph().head) BuildAndWriteRouteCache();
}

void FreeRouteSteps(RouteStep* steps) {
    while (steps) {
        RouteStep* next = steps->next;
        delete steps;
        steps = next;
    }
}

bool PlanRouteViaGraph(Troop* troop, int32_t sx, int32_t sy, int32_t tx, int32_t ty) {
    RouteNode* entry = NearestReachable(sx, sy, true);
    if (!entry) return false;
    RouteNode* exit = NearestReachable(tx, ty, false);
    if (!exit) return false;
    for (RouteNode* n = Graph().head; n; n = n->next) {
        n->marked = false;
        n->mark = nullptr;
        n->stepCost = 0;
        n->queueIndex = -1;
    }
    if (entry != exit) {
        std::vector<RouteNode*> queue{entry};
        entry->queueIndex = 0;
        for (size_t qi = 0; qi < queue.size(); ++qi) {
            RouteNode* q = queue[qi];
            for (int k = 0; k < RouteNode::kLinks && q->links[k]; ++k) {
                RouteNode* t = q->links[k];
                if (t == q || (t->queueIndex >= 0 && size_t(t->queueIndex) < qi) || t == entry) continue;
                const int32_t cost = q->linkCosts[k];
                if (!t->mark) {
                    t->mark = q;
                    t->stepCost = cost;
                    if (t != exit && t->queueIndex < 0) {
                        t->queueIndex = int32_t(queue.size());
                        queue.push_back(t);
                    }
                } else if (ChainCost(q) + cost < ChainCost(t)) {
                    t->mark = q;
                    t->stepCost = cost;
                }
            }
        }
        if (!exit->mark) return false;
    }
    FreeRouteSteps(troop->route);
    troop->route = nullptr;
    RouteNode* n = exit;
    for (int32_t i = 0; n && i <= Graph().count; ++i) {
        troop->route = new RouteStep{n->x, n->y, troop->route};
        if (n == entry) break;
        n = n->mark;
    }
    return true;
}
