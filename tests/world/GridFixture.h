#pragma once

// Maps drawn as text for the path tests, and test troops standing on them.

#include "WorldFixture.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"

#include <string>
#include <vector>

namespace worldtest {

// Each string is one map row: '#' blocks (obstacle 1), 'W' is a wall top (255), 'M' a waypoint
// marker, anything else free. The valid bounds are the whole map, so column 0, row 0 and (as
// the reader rules) rows 0..2 and the last column block.
inline BattleMap& DrawMap(World& w, const std::vector<std::string>& rows) {
    const int width = int(rows.front().size());
    BattleMap& map = w.Map(width, int(rows.size()));
    for (int y = 0; y < int(rows.size()); ++y)
        for (int x = 0; x < width; ++x) {
            MapCell* c = map.CellAt(x, y);
            switch (rows[size_t(y)][size_t(x)]) {
            case '#':
                c->obstacle = 1;
                break;
            case 'W':
                c->obstacle = 255;
                break;
            case 'M':
                c->overlayTile = 0x1ACB;
                c->obstacle = 1; // the build opens it
                break;
            default:
                c->obstacle = 0;
            }
        }
    return map;
}

// An open map of w x r cells with the given unit cells blocked (map cell (x, 2y)).
inline std::vector<std::string> OpenRows(int w, int r) {
    return std::vector<std::string>(size_t(r), std::string(size_t(w), '.'));
}
inline void BlockUnit(std::vector<std::string>& rows, int x, int y) {
    rows[size_t(2 * y)][size_t(x)] = '#';
}

// A troop of the tests: the world's hooks are recorded, the rules of the real troop that a test
// needs are set by hand.
class TestTroop : public Troop {
public:
    TestTroop(int side, int x, int y)
        : Troop(1, 10, int16_t(x), int16_t(y), int8_t(side), 0, 100, new OfficerRecord(side, 1)) {
        speed = 100; // no soldier-type table here
        // Every frame's clock tick runs the animation step.
        stepDelay = 1;
        stepDelayCounter = 1;
    }
    ~TestTroop() override {
        if (deleted) *deleted = true;
    }
    void Think() override {
        ++steps;
        if (onStep) onStep(this);
    }
    void Update() override { ++animationTicks; }
    void UpdateSightInView() override { ++sightUpdates; }
    int IsWithinRange(int x, int y) override { return x == rangeX && y == rangeY; }
    int CanAttack(int power, int fromSide, Troop*) override {
        hits.push_back({power, fromSide});
        return power / 2;
    }
    void ConsiderTarget(Troop* shooter, int) override { shotBy.push_back(shooter); }
    void ApplyHalt() override { ++halts; }
    void ApplyCmd05(int v) override { cmd05.push_back(v); }
    void ResetCombatState() override { ++combatResets; }
    void StartActionAnimation() override {
        refreshedInMode.push_back(TheGameController ? TheGameController->mode : -1);
    }

    int steps = 0, animationTicks = 0, sightUpdates = 0, halts = 0, combatResets = 0;
    int rangeX = -1, rangeY = -1;
    std::vector<std::pair<int, int>> hits;
    std::vector<Troop*> shotBy;
    std::vector<int> cmd05;
    std::vector<int> refreshedInMode;
    void (*onStep)(TestTroop*) = nullptr;
    bool* deleted = nullptr;
};

} // namespace worldtest
