// The demo stage as the game plays it, in this process: the folder is written by the demo's own
// writers, the game's start-up objects are made, the autoplay start begins the stage, and the
// battle frame runs. What is checked is read off the world: the missile list, the troops' hit
// points, the effect lists, the troops' status bits, the cities' wall troops.
#include "DemoBattleGame.h"

#include "support/TempFolder.h"

#include "Program/Autoplay.h"
#include "Program/GameController.h"
#include "Program/MainWindow.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"
#include "world/BattleMap.h"
#include "world/Coordinates.h"
#include "world/Missile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <vector>

namespace {

constexpr int kFrameBudget = 12000; // battle frames; the world steps on every fourth

// A missile seen on its arrival frame: it hits on the next world step.
struct Landing {
    Missile* missile = nullptr;
    int targetX = 0, targetY = 0;
    uint8_t side = 0;
};

class DemoBattleWorldTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(StartDemoBattleGame(folder.path(), error)) << error;
        AutoplaySettings autoplay;
        autoplay.stageFile = "stage01.stg";
        autoplay.seeded = true;
        autoplay.seed = 3;
        InstallAutoplay(autoplay);
        for (int i = 0; i < 10 && TheGameController->mode != 1; ++i)
            Frame();
        ASSERT_EQ(TheGameController->mode, 1);
        ASSERT_TRUE(TheBattleMap->HasCells());
    }

    // One frame of the game as its window runs it under autoplay: the timer's tick, then the
    // controller's frame.
    static void Frame() {
        GameTimerProc(0, 0, 0, 0, 0);
        TheGameController->Frame(0);
    }
    void TearDown() override {
        TearDownProgram();
        InstallAutoplay(AutoplaySettings{});
    }

    std::vector<Troop*> Troops() const {
        std::vector<Troop*> out;
        Zu_StageSet* stage = CurrentStageSet();
        for (uintptr_t k = stage->kingdoms->First(); k != 0; k = stage->kingdoms->Next()) {
            Kingdom* kingdom = reinterpret_cast<Kingdom*>(k);
            for (uintptr_t t = kingdom->fieldUnits.First(); t != 0; t = kingdom->fieldUnits.Next())
                out.push_back(reinterpret_cast<Troop*>(t));
        }
        return out;
    }

    testsupport::TempFolder folder;
};

int Hp(const Troop* t) {
    return t->officer ? t->officer->Get(OfficerLayout::kHp) : 0;
}

TEST_F(DemoBattleWorldTest, ArchersShootMissilesThatFlyLandAndWound) {
    std::map<Missile*, int> flying; // the distance each has travelled

    int created = 0, unframed = 0, landed = 0, rangedWounds = 0;
    for (int frame = 0; frame < kFrameBudget && (landed < 3 || rangedWounds < 1) && CurrentStageSet();
         ++frame) {
        std::map<Troop*, int> before;
        std::vector<Landing> landing;
        {
            for (Troop* t : Troops())
                before[t] = Hp(t);
            std::map<Missile*, int> now;
            for (uintptr_t v = TheBattleMap->missiles->First(); v != 0; v = TheBattleMap->missiles->Next()) {
                auto* m = reinterpret_cast<Missile*>(v);
                now[m] = m->travelled;
                // A new missile, or a new one in a deleted one's memory.
                if (auto seen = flying.find(m); seen == flying.end() || seen->second > m->travelled) {
                    ++created;
                    if (!m->frame) ++unframed;
                }
                if (m->landed == 1) landing.push_back({m, m->targetX, m->targetY, m->side});
            }
            flying = now;
        }
        Frame();
        for (const Landing& f : landing) {
            if (TheBattleMap->missiles->Contains(uintptr_t(f.missile))) continue; // not this step
            ++landed;
            for (auto [t, hp] : before)
                if (t->owner != f.side && t->cellX == f.targetX &&
                    (t->cellY == f.targetY || t->cellY == f.targetY - 1) && Hp(t) < hp)
                    ++rangedWounds;
        }
    }
    EXPECT_GE(created, 3);
    EXPECT_EQ(unframed, 0); // every missile carries its image set's frames
    EXPECT_GE(landed, 3);
    EXPECT_GE(rangedWounds, 1);
}

// The keep sends its wall captain out to a free cell of its wall: he leaves the city's units as a
// field troop posted in order state 22, bound for the wall, and the city counts him.
TEST_F(DemoBattleWorldTest, ACitySendsItsWallCaptainToTheWall) {
    const Troop* posted = nullptr;
    int counted = 0;
    for (int frame = 0; frame < kFrameBudget && !posted && CurrentStageSet(); ++frame) {
        Frame();
        if (!CurrentStageSet()) break;
        for (Troop* t : Troops()) {
            if (!t->order || t->order->orderState != 22 || t->state == 13) continue;
            City* home = t->HomeCity();
            if (!home || !IsCellWall(t->goalX, 2 * t->goalY)) continue;
            posted = t;
            counted = home->actionWords[0];
            // Out of the city, he walks: the decision cycle and the steps run for him.
            EXPECT_EQ(t->garrison, 0);
            EXPECT_FALSE(home->units.Contains(uintptr_t(t)));
        }
    }
    ASSERT_NE(posted, nullptr) << "no city sent a wall troop out";
    EXPECT_EQ(counted, 1);
    const int person = posted->OfficerValue(OfficerLayout::kPersonNumber);
    EXPECT_TRUE(person >= 421 && person <= 423) << person;
}

} // namespace
