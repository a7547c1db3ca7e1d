#include "TroopFightFixture.h"

#include "engine/LinkList.h"
#include "troops/TroopFormation.h"
#include "world/Coordinates.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

using trooptest::Field;
using L = OfficerLayout;

namespace {
// The float formulas the integer tables stand in for.
int FloatAngle(int dx, int dy) {
    const int a = int(std::atan2(double(std::abs(dy)), double(std::abs(dx))) * 180.0 / 3.14159);
    if (dx <= 0 && dy < 0) return 180 - a;
    if (dx < 0 && dy >= 0) return a + 180;
    if (dx >= 0 && dy > 0) return 360 - a;
    return a;
}

struct Band {
    Field f;
    Troop* leader = nullptr;
    std::vector<Troop*> followers;
    Band(int formation, int spacing, int count) {
        leader = f.Add(f.player, 20, 20, 1);
        leader->officer->Set(L::kFormation, formation);
        leader->officer->Set(L::kSpacing, spacing);
        leader->worldX = TileToWorldX(20);
        leader->worldY = TileToWorldY(20);
        for (int i = 0; i < count; ++i) {
            Troop* t = f.Add(f.player, 2 + i, 35);
            t->worldX = TileToWorldX(2 + i);
            t->worldY = TileToWorldY(35);
            leader->followers->Add(uintptr_t(t));
            followers.push_back(t);
        }
    }
};
} // namespace

TEST(TroopFormation, IntegerTrigonometryMatchesTheFloatFormulas) {
    for (int dx = -300; dx <= 300; dx += 7)
        for (int dy = -300; dy <= 300; dy += 5) {
            EXPECT_LE(std::abs(VectorAngle(dx, dy) - FloatAngle(dx, dy)) % 359, 1) << dx << "," << dy;
            EXPECT_EQ(IntegerSqrt(int64_t(dx) * dx + int64_t(dy) * dy),
                      int(std::sqrt(double(dx * dx + dy * dy))));
        }
    EXPECT_EQ(VectorAngle(0, 0), 0);
    EXPECT_EQ(VectorAngle(5, 0), 0);
    EXPECT_EQ(VectorAngle(0, -5), 90);
    EXPECT_EQ(VectorAngle(-5, 0), 180);
    EXPECT_EQ(VectorAngle(0, 5), 270);
    EXPECT_EQ(VectorAngle(5, -5), 45);
}

// Every slot of every formation, turned to every whole-degree heading, stays within a cell of the
// float formula.
TEST(TroopFormation, RotatedSlotsStayWithinACellOfTheFloatReference) {
    for (int formation = 0; formation < 8; ++formation) {
        Band band(formation, 2, 8);
        band.leader->ArrangeFollowers();
        band.leader->state = 10;
        for (int heading = 0; heading < 360; heading += 1) {
            const double rad = heading * 3.14159 / 180.0;
            band.leader->velX = int(std::cos(rad) * 16000);
            band.leader->velY = -int(std::sin(rad) * 16000);
            for (Troop* t : band.followers) {
                t->KeepFormation();
                // The float formula as a whole: within one cell.
                const int h = FloatAngle(band.leader->velX, band.leader->velY);
                int angle = h - 90 + t->formationAngle;
                if (angle >= 360) angle %= 360;
                const double a = angle * 3.14159 / 180.0;
                ASSERT_LT(std::abs(t->followerOffsetX - int(t->formationRadius * std::cos(a))), 40)
                    << formation << " " << heading;
                ASSERT_LT(std::abs(t->followerOffsetY - int(-t->formationRadius * std::sin(a))), 20)
                    << formation << " " << heading;
                // The sine and cosine tables at the angle the integer heading gives: within a pixel.
                int whole = VectorAngle(band.leader->velX, band.leader->velY) - 90 + t->formationAngle;
                if (whole >= 360) whole %= 360;
                const double w = whole * 3.14159265358979 / 180.0;
                ASSERT_LE(std::abs(t->followerOffsetX - int(t->formationRadius * std::cos(w))), 1)
                    << formation << " " << heading;
                ASSERT_LE(std::abs(t->followerOffsetY - int(-t->formationRadius * std::sin(w))), 1)
                    << formation << " " << heading;
            }
        }
    }
}

TEST(TroopFormation, EightFollowersTakeTheSlotsAndTheRestKeepTheirPlaces) {
    Band band(0, 0, 10);
    Troop* ninth = band.followers[8];
    ninth->formationFollow = 0;
    band.leader->ArrangeFollowers();
    EXPECT_EQ(band.leader->formationFollow, 1);
    EXPECT_EQ(band.leader->leader, nullptr);
    for (int i = 0; i < 8; ++i) {
        Troop* t = band.followers[size_t(i)];
        EXPECT_EQ(t->followerSlot, i + 1);
        EXPECT_EQ(t->leader, band.leader);
        EXPECT_EQ(t->formationFollow, 1);
    }
    // Formation 0, slot 2 is one spacing right and one down: 40 and 40 pixels, cell (21, 22).
    EXPECT_EQ(band.followers[1]->followerOffsetX, 40);
    EXPECT_EQ(band.followers[1]->followerOffsetY, 40);
    EXPECT_EQ(band.followers[1]->cellX, 21);
    EXPECT_EQ(band.followers[1]->cellY, 22);
    EXPECT_EQ(ninth->leader, nullptr);
    EXPECT_EQ(ninth->formationFollow, 0);
    EXPECT_EQ(ninth->cellX, 10);
    EXPECT_EQ(band.followers[9]->cellX, 11);
}

TEST(TroopFormation, TurningFromRightToDownSwingsEverySlotByAQuarter) {
    Band band(0, 0, 8);
    band.leader->ArrangeFollowers();
    band.leader->state = 10;
    band.leader->velX = 16000;
    band.leader->velY = 0;
    std::vector<std::pair<int, int>> right;
    for (Troop* t : band.followers) {
        t->KeepFormation();
        right.push_back({t->followerOffsetX, t->followerOffsetY});
    }
    EXPECT_EQ(right[0], std::make_pair(-40, 0)); // slot 1 trails behind the leader
    band.leader->velX = 0;
    band.leader->velY = 8000;
    for (size_t i = 0; i < band.followers.size(); ++i) {
        band.followers[i]->KeepFormation();
        // Turned a quarter clockwise on the screen: (x, y) becomes (-y, x).
        EXPECT_NEAR(band.followers[i]->followerOffsetX, -right[i].second, 1) << i;
        EXPECT_NEAR(band.followers[i]->followerOffsetY, right[i].first, 1) << i;
    }
}

TEST(TroopFormation, AFollowerFarFromItsSlotCatchesUp) {
    for (int gap : {40, 41}) {
        Band band(0, 0, 1);
        Troop* t = band.followers[0];
        band.leader->ArrangeFollowers();
        band.leader->state = 10;
        t->speed = 100;
        // Slot 1 of formation 0 is 40 pixels below the leader; put the follower gap pixels off it.
        t->worldX = band.leader->worldX - gap * 1000;
        t->worldY = band.leader->worldY + 40 * 1000;
        t->KeepFormation();
        EXPECT_EQ(t->speed, gap > 40 ? 200 : 100) << gap;
        t->worldX = band.leader->worldX;
        t->KeepFormation();
        EXPECT_EQ(t->speed, 100) << gap; // the bonus is taken back once it is near
    }
}

TEST(TroopFormation, EscortsSitAboveOrBelowTheirLeaderByTemplate) {
    for (auto [tmpl, offset] : {std::pair{433, 8}, std::pair{432, -5}}) {
        Field f;
        Troop* leader = f.Add(f.player, 20, 20, 1);
        Troop* e = f.Add(f.player, 5, 5, 2);
        e->officer->Set(L::kPersonNumber, tmpl);
        leader->AttachFollower(e);
        EXPECT_EQ(leader->escort, e);
        EXPECT_EQ(e->leader, leader);
        EXPECT_EQ(e->OfficerKind(), 3);
        EXPECT_EQ(e->followerOffsetY, offset) << tmpl;
        EXPECT_LE(std::abs(e->followerOffsetX), 2);
    }
}

TEST(TroopFormation, FollowersTakeOnTheLeadersEnemy) {
    Band band(0, 0, 3);
    band.leader->ArrangeFollowers();
    Troop* enemy = band.f.Add(band.f.foe, 30, 30);
    band.leader->targetTroop = enemy;
    band.followers[1]->actionCode = 14; // busy
    band.followers[2]->flags |= 0x08;   // holding its place
    band.leader->PassTargetToFollowers();
    EXPECT_EQ(band.followers[0]->targetTroop, enemy);
    EXPECT_EQ(band.followers[1]->targetTroop, nullptr);
    EXPECT_EQ(band.followers[2]->targetTroop, nullptr);
}
