#include "GridFixture.h"

#include "Program/GameParameters.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "engine/NumberTable.h"
#include "world/Missile.h"

#include <gtest/gtest.h>

using namespace worldtest;

namespace {

class TargetCity : public City {
public:
    void ResolveAttack(int power, int side, Troop* shooter) override {
        this->power = power;
        this->side = side;
        this->shooter = shooter;
        ++attacks;
    }
    int power = 0, side = 0, attacks = 0;
    Troop* shooter = nullptr;
};

struct MissileTest : testing::Test {
    worldtest::World w;
    BattleMap* map = nullptr;
    Zu_StageSet* stage = nullptr;
    Kingdom* archers = nullptr; // side 2
    Kingdom* foes = nullptr;    // side 1

    void SetUp() override {
        map = &DrawMap(w, OpenRows(40, 80));
        stage = new Zu_StageSet;
        map->stageSet = stage;
        archers = AddKingdom(2);
        foes = AddKingdom(1);
        archers->relations[1] = 3;
        foes->relations[2] = 3;
        NumberTableValues[5] = 2.0;
    }
    void TearDown() override {
        map->stageSet = nullptr;
        delete stage;
    }
    Kingdom* AddKingdom(int side) {
        auto* k = new Kingdom;
        k->nationIndex = side;
        stage->kingdoms->Add(uintptr_t(k));
        return k;
    }
    TestTroop* Stand(Kingdom* k, int x, int y) {
        auto* t = new TestTroop(k->nationIndex, x, y);
        k->fieldUnits.Add(uintptr_t(t));
        map->AddObjectAt(x, y, uintptr_t(t));
        return t;
    }
    // Steps until it has hit; the frame on which it arrived and the one on which it hit.
    std::pair<int, int> Fly(Missile& m) {
        int arrived = 0;
        for (int frame = 1; frame <= 100; ++frame) {
            m.Step();
            if (m.landed == 1 && !arrived) arrived = frame;
            if (m.landed == 2) return {arrived, frame};
        }
        return {arrived, 0};
    }
};

TEST_F(MissileTest, AHundredPixelsArriveOnTheFourthFrameAndHitOnTheFifth) {
    Missile m(nullptr, 0, 3, 2, 3, 7, 2, 0);
    EXPECT_EQ(m.length, 100);
    std::vector<int> ys;
    for (int i = 0; i < 3; ++i) {
        m.Step();
        ys.push_back(m.pixelY);
    }
    EXPECT_EQ(ys, (std::vector<int>{52, 84, 116}));
    EXPECT_EQ(Fly(m), std::make_pair(1, 2)); // counted from the fourth frame
    EXPECT_EQ(m.pixelY, 120);
    // A missile with nowhere to go lands at once.
    Missile still(nullptr, 0, 3, 2, 3, 2, 2, 0);
    EXPECT_EQ(Fly(still), std::make_pair(1, 2));
}

TEST_F(MissileTest, PowerFromTheShooterWithTheSiegeMultiplierAndTheWallTop) {
    const int32_t savedBonus = GameParams().catapultBonus;
    GameParams().catapultBonus = 4;
    struct Case {
        int unitType;
        bool wallTop;
        int officerKind;
        int power;
        int startY;
        bool keepsShooter;
    } cases[] = {
        {1, false, 2, 30, 80, true},  {1, true, 2, 45, 80, true},   {108, false, 2, 120, 0, true},
        {110, true, 2, 180, 0, true}, {123, false, 2, 30, 0, true}, {1, false, 13, 30, 80, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.unitType << " wall " << c.wallTop);
        map->CellAt(6, 10)->obstacle = c.wallTop ? 255 : 0;
        TestTroop shooter(2, 6, 5);
        shooter.officer->Set(OfficerLayout::kAttack, 30);
        shooter.officer->Set(OfficerLayout::kHp, 77);
        shooter.officer->Set(OfficerLayout::kAttribute, c.officerKind);
        shooter.currentType = c.unitType;
        Missile m(&shooter, 0, 5, 5, 9, 5, 0, 0);
        EXPECT_EQ(m.power, c.power);
        EXPECT_EQ(m.startY, c.startY);
        EXPECT_EQ(m.shooterStamina, 77);
        EXPECT_EQ(m.side, 2);
        EXPECT_EQ(m.shooter != nullptr, c.keepsShooter);
    }
    // Well below the top the lift keeps its 80 pixels.
    TestTroop high(2, 6, 20);
    high.officer->Set(OfficerLayout::kAttack, 1);
    high.currentType = 109;
    Missile m(&high, 0, 5, 20, 9, 20, 0, 0);
    EXPECT_EQ(m.startY, 20 * 20 - 20 - 80);
    GameParams().catapultBonus = savedBonus;
}

TEST_F(MissileTest, DirectionsAndImageSets) {
    struct Case {
        int kind, tx, ty; // from unit cell (10, 10)
        int direction, imageSet;
    } cases[] = {
        {0, 10, 4, 0, 0},   {0, 10, 16, 6, 6},  {0, 16, 10, 3, 3},  {0, 4, 10, 9, 9},   {2, 13, 8, 2, 14},
        {2, 7, 8, 10, 22},  {2, 13, 12, 4, 16}, {2, 7, 12, 8, 20},  {3, 11, 6, 1, 25},  {3, 9, 6, 11, 35},
        {3, 11, 14, 5, 29}, {3, 9, 14, 7, 31},  {7, 16, 10, 0, 72}, {8, 10, 16, 0, 84}, {11, 4, 10, 9, 129},
        {12, 10, 16, 6, 6}, {-3, 16, 10, 3, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " to " << c.tx << "," << c.ty);
        Missile m(nullptr, c.kind, 10, 10, c.tx, c.ty, 2, 0);
        EXPECT_EQ(m.direction, c.direction);
        EXPECT_EQ(m.imageSet, c.imageSet);
    }
    // The thresholds on |dy| / |dx|.
    EXPECT_EQ(MissileDirection(0.285f, 1, 2, false), 3);
    EXPECT_EQ(MissileDirection(0.286f, 1, 2, false), 2);
    EXPECT_EQ(MissileDirection(1.0f, 2, 1, false), 7);
    EXPECT_EQ(MissileDirection(3.73f, 2, 2, false), 11);
    EXPECT_EQ(MissileDirection(3.74f, 2, 2, false), 0);
}

TEST_F(MissileTest, TheArcRisesAndComesDownOnTheTarget) {
    Missile arc(nullptr, 6, 5, 10, 25, 10, 2, 0);
    Missile flat(nullptr, 0, 5, 10, 25, 10, 2, 0);
    ASSERT_TRUE(arc.Ballistic());
    int highest = arc.startY;
    std::vector<int> directions;
    while (arc.landed == 0) {
        arc.Step();
        highest = std::min(highest, arc.pixelY);
        directions.push_back(arc.direction);
    }
    EXPECT_LT(highest, arc.startY - 20);
    EXPECT_EQ(arc.pixelX, arc.endX);
    EXPECT_EQ(arc.pixelY, arc.endY);
    EXPECT_NE(directions.front(), 3); // rising, not level
    EXPECT_EQ(arc.imageSet, 60 + arc.direction);
    (void)flat;

    // Shot down and to the right: the height over a step picks the image among the images of the
    // flight's own quadrant, and a height below the level shows the level image.
    Missile down(nullptr, 6, 5, 10, 15, 14, 2, 0); // 400 x 80 pixels, launch speed 407 * 2 / 48
    down.Step();                                   // height 15.96: 0.66 of a step
    EXPECT_EQ(down.direction, 4);
    EXPECT_EQ(down.imageSet, 64);
    while (down.landed == 0)
        down.Step(); // the landing frame: height -0.7
    EXPECT_EQ(down.direction, 3);
    EXPECT_EQ(down.imageSet, 63);
}

TEST_F(MissileTest, HitsTheFirstLiveEnemyOnTheCellAndTheCellAboveThenTheCity) {
    TargetCity city;
    city.id = 4;
    map->cities[3] = &city;
    TestTroop* ally = Stand(archers, 8, 6);   // own side on the target cell: passed over
    TestTroop* first = Stand(foes, 8, 6);     // hit
    TestTroop* second = Stand(foes, 8, 6);    // at most one per cell
    TestTroop* deadAbove = Stand(foes, 8, 5); // dead: passed over
    deadAbove->deadFlag = 2;
    TestTroop* above = Stand(foes, 8, 5); // hit
    TestTroop* twoUp = Stand(foes, 8, 4); // out of reach
    Missile m(nullptr, 0, 3, 6, 8, 6, 2, 4);
    m.power = 12;
    Fly(m);
    EXPECT_TRUE(ally->hits.empty());
    EXPECT_EQ(first->hits, (std::vector<std::pair<int, int>>{{12, 2}}));
    EXPECT_TRUE(second->hits.empty());
    EXPECT_TRUE(deadAbove->hits.empty());
    EXPECT_EQ(above->hits.size(), 1u);
    EXPECT_TRUE(twoUp->hits.empty());
    EXPECT_EQ(archers->score, 12); // 6 + 6 of damage
    EXPECT_EQ(city.attacks, 1);
    EXPECT_EQ(city.power, 12);
    EXPECT_EQ(city.side, 2);

    // With a shooter, the shooter's hit routine; not at war, nothing.
    TestTroop shooter(2, 3, 6);
    shooter.officer->Set(OfficerLayout::kAttack, 9);
    Missile shot(&shooter, 0, 3, 6, 8, 6, 2, 0);
    Fly(shot);
    EXPECT_EQ(first->shotBy, std::vector<Troop*>{&shooter});
    archers->relations[1] = 2;
    Missile peace(nullptr, 0, 3, 6, 8, 6, 2, 4);
    Fly(peace);
    EXPECT_EQ(first->hits.size(), 1u);
    EXPECT_EQ(city.attacks, 2);
    // A target city id past the table, or a missile on the top row, touches nothing.
    Missile stray(nullptr, 0, 3, 0, 8, 0, 2, 999);
    Fly(stray);
    map->cities[3] = nullptr;
}

TEST_F(MissileTest, ADeadShooterIsForgottenInFlight) {
    TestTroop* victim = Stand(foes, 8, 6);
    TestTroop shooter(2, 3, 6);
    Missile m(&shooter, 0, 3, 6, 8, 6, 2, 0);
    m.power = 8;
    m.Step();
    shooter.state = 13;
    Fly(m);
    EXPECT_EQ(m.shooter, nullptr);
    EXPECT_TRUE(victim->shotBy.empty());
    EXPECT_EQ(victim->hits.size(), 1u);
}

} // namespace
