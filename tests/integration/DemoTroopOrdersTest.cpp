// The demo stage started as the stage list starts it, with the player on the red side, played
// through the main window's procedure: a drag box picks a general where he is drawn and a right
// click sends him over the ground or at an enemy, and the world's frames walk him there.
#include "DemoStagePlay.h"

#include "support/TempFolder.h"

#include "Program/GameController.h"
#include "Program/MainWindow.h"
#include "Program/SceneMachine.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "platform/Messages.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/TemplateTables.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"
#include "world/MapView.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

class DemoTroopOrdersTest : public DemoStagePlay {
protected:
    static std::vector<Troop*> Generals(int side) {
        std::vector<Troop*> out;
        Zu_StageSet* stage = CurrentStageSet();
        for (uintptr_t k = stage->kingdoms->First(); k != 0; k = stage->kingdoms->Next()) {
            Kingdom* kingdom = reinterpret_cast<Kingdom*>(k);
            if (kingdom->nationIndex != side) continue;
            for (uintptr_t v = kingdom->fieldUnits.First(); v != 0; v = kingdom->fieldUnits.Next())
                if (reinterpret_cast<Troop*>(v)->leaderFlag) out.push_back(reinterpret_cast<Troop*>(v));
        }
        return out;
    }
    static std::vector<Troop*> Selected() {
        std::vector<Troop*> out;
        LinkList* s = TheGameController->selection;
        for (int i = 0; s && i < s->GetCount(); ++i)
            out.push_back(reinterpret_cast<Troop*>(s->GetAt(i)));
        return out;
    }
    static int Hp(const Troop* t) { return t->officer ? t->officer->Get(OfficerLayout::kHp) : 0; }
};

// A drag box around the general's picture selects him; a right click on open ground some rows away
// walks him there, cell by cell, over the following frames.
TEST_F(DemoTroopOrdersTest, ABoxedGeneralWalksToTheGroundRightClicked) {
    const int player = CurrentStageSet()->playerSide;
    const std::vector<Troop*> generals = Generals(player);
    ASSERT_FALSE(generals.empty());
    Troop* general = generals.front();
    TheGameController->CentreViewOnTroop(general, false);
    Frames(2);
    const auto [x, y] = OnScreen(general);
    BoxAround(general);
    ASSERT_EQ(Selected(), std::vector<Troop*>{general});

    const int startX = general->cellX, startY = general->cellY;
    const int goalY = startY - 8; // upward, away from the enemy bands
    Click(x, y - 8 * 20, WM_RBUTTONDOWN, WM_RBUTTONUP);
    std::vector<int> rows{startY};
    for (int step = 0; step < 40 && general->cellY != goalY; ++step) {
        Frames(20);
        if (general->cellY != rows.back()) rows.push_back(general->cellY);
    }
    EXPECT_EQ(general->cellY, goalY);
    EXPECT_LE(std::abs(general->cellX - startX), 1);
    // He walked: each new row one or two from the last, never a jump.
    ASSERT_GE(rows.size(), 4u);
    for (size_t i = 1; i < rows.size(); ++i)
        EXPECT_LE(std::abs(rows[i] - rows[i - 1]), 2) << i;
}

// A right click on an enemy general sends the selected general at him: he strikes and the
// enemy's hit points fall.
TEST_F(DemoTroopOrdersTest, ARightClickOnAnEnemySendsTheGeneralToAttack) {
    const int player = CurrentStageSet()->playerSide;
    const std::vector<Troop*> generals = Generals(player);
    ASSERT_FALSE(generals.empty());
    Troop* general = generals.front();
    Troop* foe = nullptr;
    for (int side = 1; side <= 8 && !foe; ++side)
        if (side != player)
            if (std::vector<Troop*> g = Generals(side); !g.empty()) foe = g.front();
    ASSERT_NE(foe, nullptr);
    TheGameController->CentreViewOnTroop(general, false);
    Frames(2);
    BoxAround(general);
    ASSERT_EQ(Selected(), std::vector<Troop*>{general});

    const int foeHp = Hp(foe);
    const auto [fx, fy] = OnScreen(foe);
    Click(fx, fy, WM_RBUTTONDOWN, WM_RBUTTONUP);
    EXPECT_EQ(general->targetTroop, foe);
    bool struck = false;
    for (int step = 0; step < 60 && !(struck && Hp(foe) < foeHp); ++step) {
        Frames(20);
        struck = struck || general->state == 11;
    }
    EXPECT_TRUE(struck);
    EXPECT_LT(Hp(foe), foeHp);
}

} // namespace
