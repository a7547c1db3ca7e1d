// The demo stage started as the stage list starts it, played through the main window's procedure:
// a drag box around one of the player's generals opens the selected-unit panel on him, and the presented
// frame shows his row with the name and the strength bar in the colour of his strength share.
#include "DemoBattleGame.h"
#include "DemoUnitPanels.h"

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

class DemoUnitPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        // The unit windows' layouts and icon sets, as the demo generator writes them beside the battle.
        ASSERT_TRUE(WriteDemoUnitPanels(folder.path().string(), error)) << error;
        ASSERT_TRUE(StartDemoBattleGame(folder.path(), error)) << error;
        GameController& c = *TheGameController;
        c.networked = 0;
        c.gameKind = 1;
        c.freshStage = 1;
        c.menuChoice = -2;
        c.campaignStage = 1;
        if (!c.templateTables) c.templateTables = new TemplateTables;
        ASSERT_TRUE(c.templateTables->ReloadStageTexts("stage01.stg"));
        GetFrontEndServices()->StartStage(&c);
        c.requestedMode = 1;
        for (int i = 0; i < 10 && c.mode != 1; ++i)
            Frame();
        ASSERT_EQ(c.mode, 1);
        ASSERT_TRUE(c.gameScreen);
        // The opening view and speeches, clicked away, until the battle clock runs on its own.
        for (int i = 0, calm = 0; i < 3000 && calm < 120; ++i) {
            Frame();
            calm = c.running ? calm + 1 : 0;
            if (!c.running && i % 30 == 29) Click(400, 300);
        }
        ASSERT_EQ(c.running, 1);
    }
    void TearDown() override { TearDownProgram(); }

    static void Frame() {
        GameTimerProc(0, 0, 0, 0, 0);
        MainWndProc(nullptr, FrameMessage, 0, 0);
    }
    static void Pointer(UINT message, int x, int y) {
        MainWndProc(nullptr, WM_MOUSEMOVE, 0, LPARAM(uint32_t(x) | (uint32_t(y) << 16)));
        if (message != WM_MOUSEMOVE) MainWndProc(nullptr, message, 0, 0);
    }
    static void Click(int x, int y) {
        Pointer(WM_MOUSEMOVE, x, y);
        // A pause as a person makes between clicks: two close together are a double click.
        for (int i = 0; i < 12; ++i)
            Frame();
        Pointer(WM_LBUTTONDOWN, x, y);
        Pointer(WM_LBUTTONUP, x, y);
    }
    // A drag box around the troop's picture, as a person draws it.
    static void BoxAround(const Troop* t) {
        const auto [x, y] = OnScreen(t);
        Pointer(WM_MOUSEMOVE, x - 30, y - 40);
        for (int i = 0; i < 12; ++i)
            Frame();
        Pointer(WM_LBUTTONDOWN, x - 30, y - 40);
        Pointer(WM_MOUSEMOVE, x, y);
        Pointer(WM_MOUSEMOVE, x + 30, y + 40);
        Pointer(WM_LBUTTONUP, x + 30, y + 40);
    }
    static std::pair<int, int> OnScreen(const Troop* t) {
        const MapView* v = TheGameController->gameScreen;
        return {(t->drawnRect[0] + t->drawnRect[2]) / 2 - v->viewX * 40,
                (t->drawnRect[1] + t->drawnRect[3]) / 2 - v->viewY * 10};
    }
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
    static Rect OnScreen(const Widget* w) {
        Rect r = w->rect;
        for (const Widget* p = w->parent; p; p = p->parent) {
            r.left += p->rect.left;
            r.right += p->rect.left;
            r.top += p->rect.top;
            r.bottom += p->rect.top;
        }
        return r;
    }

    testsupport::TempFolder folder;
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
        const Rect bar = OnScreen(FindScreenControl(panel->rowControls[0], 0x201));
        const int share = int(int64_t(general->officer->Get(OfficerLayout::kHp)) * 100 / maxHp);
        ASSERT_EQ(share, k.percent);
        const int filled = share * (bar.right - bar.left) / 100;
        const int middle = (bar.top + bar.bottom) / 2;
        EXPECT_EQ(pixel(bar.left + 1, middle), k.colour);
        EXPECT_EQ(pixel(bar.left + filled - 2, middle), k.colour);
        EXPECT_NE(pixel(bar.left + filled + 2, middle), k.colour);
        const Rect mp = OnScreen(FindScreenControl(panel->rowControls[0], 0x202));
        EXPECT_EQ(pixel(mp.left + 1, (mp.top + mp.bottom) / 2), 0x001F);
    }
}

} // namespace
