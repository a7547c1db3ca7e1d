#include "Program/CampaignWindows.h"
#include "records/AgeTable.h"
#include "troops/SoldierTypesSeen.h"
#include "windows/main/YesNoWindow.h"

#include "Program/CodeLine.h"
#include "ScreenTestSupport.h"
#include "gui/Button.h"
#include "world/Zu_SkillEffect.h"

#include <cstring>

namespace {

using screentest::ControlById;
using screentest::ScreenFixture;
using screentest::WriteLayout;

class CampaignWindowsTest : public ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        WriteLayout("Hero.gui", 5, 0);
        // Thirteen labels: the last one is not a stage of the act.
        WriteLayout("Act-2.gui", 6, 13);
        // A title that fills the record without a NUL.
        for (int32_t stage = 11; stage <= 46; ++stage)
            std::memset(NewAgeBlock(stage), 'T', kAgeBlockBytes);
        AllStagesOpen = 0;
        // The question: yes, no and three rows.
        WriteLayout("YorN.gui", 2, 3);
        c->actIndex = 1;
    }
    void TearDown() override {
        AllStagesOpen = 0;
        ClearAgeTable();
        ScreenFixture::TearDown();
    }
    void Won(std::initializer_list<int> stages) {
        for (auto& r : c->stageRecords)
            r.won = 0;
        for (int n : stages)
            c->stageRecords[23 + n].won = 1;
    }
};

TEST_F(CampaignWindowsTest, HeroWindowMarksOnOneClickAndChoosesOnTheSecond) {
    c->gameKind = 3;
    auto* hero = new HeroWindow(TheRootWidget);
    EXPECT_EQ(c->gameKind, 0);
    Widget* act1 = ControlById(hero->controls, 0x101);
    EXPECT_EQ(ButtonShownPressed(act1), 1);
    EXPECT_EQ(act1->enabled, 0);
    Widget* act0 = ControlById(hero->controls, 0x100);
    c->clickCount = 1;
    hero->OnControlClick(act0, nullptr);
    EXPECT_EQ(hero->markedAct, 0);
    EXPECT_EQ(c->heroChoice, -1);
    EXPECT_EQ(act1->enabled, 1);
    EXPECT_EQ(ButtonShownPressed(act1), 0);
    EXPECT_EQ(ButtonShownPressed(act0), 1);
    c->clickCount = 2;
    hero->OnControlClick(ControlById(hero->controls, 0x102), nullptr);
    EXPECT_EQ(c->heroChoice, 2);
    EXPECT_EQ(c->clickCount, 0);
    hero->OnControlClick(ControlById(hero->controls, 0x103), nullptr);
    EXPECT_EQ(c->heroChoice, -2);
    hero->OnControlClick(ControlById(hero->controls, 0x104), nullptr);
    EXPECT_EQ(c->heroChoice, 2);
    hero->Close(1);
}

TEST_F(CampaignWindowsTest, StagesUnlockFromTheWonFlagsOfTheRecords) {
    struct Case {
        std::vector<int> won;
        uint8_t openAll;
        int8_t actChoice;
        int rows;
        int marked;
        std::vector<int> enabled;
    };
    const std::vector<int> all = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    const Case cases[] = {
        {{}, 0, -1, 1, 0, {0}},           {{0, 1, 2}, 0, -1, 4, 3, {0, 1, 2, 3}},
        {{0, 5}, 0, -1, 3, 2, {0, 2, 5}}, {all, 0, 7, 12, 7, all},
        {{}, 1, -1, 12, 0, all},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.rows);
        Won({});
        for (int n : k.won)
            c->stageRecords[23 + n].won = 1;
        AllStagesOpen = k.openAll;
        c->actChoice = k.actChoice;
        auto* act = new ActSelectWindow(TheRootWidget, "Act-2.gui");
        EXPECT_EQ(act->recordBase, 23);
        EXPECT_EQ(act->shownRows, k.rows);
        EXPECT_EQ(act->markedStage, k.marked);
        for (int n = 0; n < 12; ++n) {
            const bool want = std::find(k.enabled.begin(), k.enabled.end(), n) != k.enabled.end();
            EXPECT_EQ(ControlById(act->controls, 0x200 + n)->enabled, want ? 1 : 0) << n;
        }
        // The marked row is red, with a bounded title; the marker sits on it.
        const LabelText* marked = act->labels.TextOf(ControlById(act->controls, 0x200 + k.marked));
        ASSERT_NE(marked, nullptr);
        EXPECT_EQ(marked->record.g, 0);
        EXPECT_EQ(marked->text, std::string(272, 'T'));
        ASSERT_NE(ActSelectionMarker, nullptr);
        EXPECT_EQ(ActSelectionMarker->y, k.marked * 28 + 116);
        EXPECT_EQ(TheResourceStore->firstEffects->GetCount(), 1)
            << "the marker is stepped with the first list";
        EXPECT_EQ(TheResourceStore->firstEffects->First(), reinterpret_cast<uintptr_t>(ActSelectionMarker));
        act->Close(1);
        FlushDeferredDeletes();
        EXPECT_EQ(ActSelectionMarker, nullptr);
        EXPECT_EQ(TheResourceStore->firstEffects->GetCount(), 0) << "and leaves it with the window";
    }
}

// A new campaign, or a new act, starts counting the soldier types seen afresh.
TEST_F(CampaignWindowsTest, OpeningTheActWindowForgetsTheSoldierTypesSeen) {
    SoldierTypesSeen().Clear();
    SoldierTypesSeen().Mark(12);
    ASSERT_EQ(SoldierTypesSeen().count, 1);
    auto* act = new ActSelectWindow(TheRootWidget, "Act-2.gui");
    EXPECT_EQ(SoldierTypesSeen().count, 0);
    EXPECT_EQ(SoldierTypesSeen().seen[12], 0);
    act->Close(1);
    FlushDeferredDeletes();
}

// The store empties its lists when it lets go of its graphics (the end of the program): a window
// still open afterwards does not delete the marker a second time.
TEST_F(CampaignWindowsTest, TheMarkerGoesOnceWhenTheStoreEmptiedItsListsFirst) {
    auto* act = new ActSelectWindow(TheRootWidget, "Act-2.gui");
    ASSERT_NE(ActSelectionMarker, nullptr);
    TheResourceStore->ReleaseGraphics();
    EXPECT_EQ(TheResourceStore->firstEffects, nullptr);
    act->Close(1);
    FlushDeferredDeletes();
    EXPECT_EQ(ActSelectionMarker, nullptr);
}

TEST_F(CampaignWindowsTest, LabelsMarkOnOneClickChooseOnTheSecondAndALabelPastTwelveIsIgnored) {
    Won({0, 1, 2, 3});
    auto* act = new ActSelectWindow(TheRootWidget, "Act-2.gui");
    c->clickCount = 1;
    act->OnControlPress(ControlById(act->controls, 0x202), nullptr);
    EXPECT_EQ(act->markedStage, 2);
    EXPECT_EQ(c->actChoice, -1);
    EXPECT_EQ(act->labels.TextOf(ControlById(act->controls, 0x204))->record.g, 255);
    c->clickCount = 2;
    act->OnControlPress(ControlById(act->controls, 0x201), nullptr);
    EXPECT_EQ(c->actChoice, 1);
    c->actChoice = -1;
    c->clickCount = 2;
    act->OnControlPress(ControlById(act->controls, 0x20C), nullptr);
    EXPECT_EQ(c->actChoice, -1);
    EXPECT_EQ(act->markedStage, 1);
    // Buttons: option 0..2, start with the marked stage, back.
    for (int n = 0; n < 3; ++n) {
        act->OnControlClick(ControlById(act->controls, 0x103 + n), nullptr);
        EXPECT_EQ(c->actOption, n);
    }
    act->OnControlClick(ControlById(act->controls, 0x101), nullptr);
    EXPECT_EQ(c->actChoice, 1);
    act->OnControlClick(ControlById(act->controls, 0x100), nullptr);
    EXPECT_EQ(c->actChoice, -2);
    act->Close(1);
}

TEST_F(CampaignWindowsTest, RestartingTheActClearsItsWonFlagsOnlyOnYes) {
    Won({0, 1, 2});
    c->stageRecords[22].won = 1; // the last stage of the act before
    auto* act = new ActSelectWindow(TheRootWidget, "Act-2.gui");
    // The restart button asks; the player answers no, then yes, on the question's buttons.
    for (int answer : {1, 0}) {
        SCOPED_TRACE(answer);
        act->OnControlClick(ControlById(act->controls, 0x102), nullptr);
        auto* question = dynamic_cast<YesNoWindow*>(act->question);
        ASSERT_NE(question, nullptr);
        EXPECT_EQ(std::string(question->rowText[1]) + question->rowText[2], ActRestartTexts[1]);
        EXPECT_EQ(act->panel->enabled, 0);
        Click(ButtonX(answer), ButtonY(answer));
        EXPECT_EQ(act->question, nullptr);
        EXPECT_EQ(act->panel->enabled, 1);
        FlushDeferredDeletes();
    }
    for (int n = 0; n < 12; ++n)
        EXPECT_EQ(c->stageRecords[23 + n].won, 0);
    EXPECT_EQ(c->stageRecords[22].won, 1);
    EXPECT_EQ(act->shownRows, 1);
    const std::string file = testsupport::TempFolder::Read("RecordData.sav");
    ASSERT_EQ(file.size(), 940u);
    EXPECT_EQ(file[22 * 20 + 12], 1);
    EXPECT_EQ(file[23 * 20 + 12], 0);
    act->Close(1);
}

} // namespace
