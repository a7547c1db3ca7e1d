// The demo stage started as the stage list starts it, played through the main window's procedure:
// a drag box around one of the player's generals opens the selected-unit panel on him, and the presented
// frame shows his row with the name and the strength bar in the colour of his strength share.
#include "DemoBattlePlay.h"

#include "support/TempFolder.h"

#include "Program/GameController.h"
#include "Program/MainWindow.h"
#include "Program/SceneMachine.h"
#include "Program/ScreenControls.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "gui/GuiPanel.h"
#include "gui/TextLabel.h"
#include "platform/Messages.h"
#include "platform/Present.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/TemplateTables.h"
#include "troops/Troop.h"
#include "windows/WindowHosts.h"
#include "windows/unit/Win05Window.h"
#include "windows/unit/Win99Window.h"
#include "world/MapView.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace platform;

class DemoUnitPanelTest : public DemoBattlePlay {
protected:
    DemoUnitPanelTest() { unitWindows = true; }
    static Troop* PlayerGeneral() {
        Zu_StageSet* stage = CurrentStageSet();
        for (uintptr_t k = stage->kingdoms->First(); k != 0; k = stage->kingdoms->Next()) {
            Kingdom* kingdom = reinterpret_cast<Kingdom*>(k);
            if (kingdom->nationIndex != stage->playerSide) continue;
            for (uintptr_t v = kingdom->fieldUnits.First(); v != 0; v = kingdom->fieldUnits.Next())
                if (reinterpret_cast<Troop*>(v)->leaderFlag) return reinterpret_cast<Troop*>(v);
        }
        return nullptr;
    }
    // The screen rectangle of a control, through its nested panels.
    static Rect ScreenRect(const Widget* w) {
        Rect r = w->rect;
        for (const Widget* p = w->parent; p; p = p->parent) {
            r.left += p->rect.left;
            r.right += p->rect.left;
            r.top += p->rect.top;
            r.bottom += p->rect.top;
        }
        return r;
    }
};

// Boxing the general opens the panel with him in the first row; the frame shows his strength bar
// filled to his share in green from half, yellow from a quarter, red below, and the skill-point bar
// in blue.
TEST_F(DemoUnitPanelTest, BoxingAGeneralShowsHisRowWithTheStrengthColourOfHisShare) {
    Troop* general = PlayerGeneral();
    ASSERT_NE(general, nullptr);
    const int32_t maxHp = general->officer->Get(OfficerLayout::kMaxHp);
    ASSERT_GT(maxHp, 0);
    general->officer->Set(OfficerLayout::kMaxMp, 40);
    general->officer->Set(OfficerLayout::kMp, 40);
    const struct Case {
        int percent;
        uint16_t colour; // RGB565
    } cases[] = {{80, 0x07E0}, {50, 0x07E0}, {49, 0xFFE0}, {25, 0xFFE0}, {24, 0xF800}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.percent);
        // The share's hit points, rounded up so the panel's integer share is the one wanted.
        general->officer->Set(OfficerLayout::kHp, (maxHp * k.percent + 99) / 100);
        TheGameController->CentreViewOnTroop(general, false);
        Frame();
        Frame();
        BoxAround(general);
        // Two frames presented after the selection: the panel is on the screen.
        const uint64_t presented = PresentCount();
        for (int i = 0; i < 60 && PresentCount() < presented + 2; ++i)
            Frame();
        Win05Window* panel = UnitPanel();
        ASSERT_NE(panel, nullptr);
        ASSERT_TRUE(panel->Shown());
        ASSERT_EQ(panel->RowTroop(0), general);
        auto* name = dynamic_cast<TextLabel*>(FindScreenControl(panel->rowControls[0], 0x200));
        ASSERT_TRUE(name && name->textRecord && name->textRecord->text);
        EXPECT_EQ(std::string(name->textRecord->text), std::string(general->officer->Name()));

        const PresentedFrame frame = LastPresentedFrame();
        ASSERT_EQ(frame.layout, 565);
        const auto pixel = [&](int px, int py) { return frame.pixels[size_t(py) * frame.width + px]; };
        const Rect bar = ScreenRect(FindScreenControl(panel->rowControls[0], 0x201));
        const int share = int(int64_t(general->officer->Get(OfficerLayout::kHp)) * 100 / maxHp);
        ASSERT_EQ(share, k.percent);
        const int filled = share * (bar.right - bar.left) / 100;
        const int middle = (bar.top + bar.bottom) / 2;
        EXPECT_EQ(pixel(bar.left + 1, middle), k.colour);
        EXPECT_EQ(pixel(bar.left + filled - 2, middle), k.colour);
        EXPECT_NE(pixel(bar.left + filled + 2, middle), k.colour);
        const Rect mp = ScreenRect(FindScreenControl(panel->rowControls[0], 0x202));
        EXPECT_EQ(pixel(mp.left + 1, (mp.top + mp.bottom) / 2), 0x001F);
    }
}

} // namespace
