#include "Program/SaveLoadScreen.h"

#include "Program/StageSet.h"
#include "ScreenTestSupport.h"
#include "gui/Button.h"
#include "platform/MessageBox.h"
#include "records/TemplateTables.h"
#include "windows/WindowHosts.h"
#include "world/BattleMap.h"

#include <cstring>

namespace {

using screentest::ControlById;
using screentest::ScreenFixture;
using screentest::WriteLayout;

// "東方戰記第一幕的很長很長的關卡" (30 bytes) and a short ruler name, "呂王".
const char StageName[] = "\xaa\x46\xa4\xe8\xbe\xd4\xb0\x4f\xb2\xc4\xa4\x40\xb9\xf5\xaa\xba\xab\xdc\xaa"
                         "\xf8\xab\xdc\xaa\xf8\xaa\xba\xc3\xf6\xa5\x64";
const char RulerName[] = "\xa7\x64\xa4\xfd";

bool SlotFileExists(const char* leaf) {
    return std::filesystem::exists(std::string("Save/") + leaf);
}

// The window that opened the screen: it closes the screen when told, as the menus do.
class OwnerWindow : public Window {
public:
    void OnNotify(Window* sender, int code) override {
        codes.push_back(code);
        sender->Close(1);
    }
    std::vector<int> codes;
};

class SaveLoadScreenTest : public ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        WriteLayout("Win27.gui", 18, 64);
        WriteLayout("Win28.gui", 18, 64);
        // A small map under a stage of one kingdom: enough for a whole save set.
        TheBattleMap->SetCells(std::make_unique<MapCell[]>(20 * 40), 20, 40);
        stage->SetText(StageBlockLayout::kName, 20, StageName);
        auto* ruler = new Kingdom;
        ruler->nationIndex = 1;
        ruler->SetText(KingdomLayout::kName, 20, RulerName);
        stage->AddKingdom(ruler);
        stage->playerKingdom = ruler;
        TheScreenSettings->year = 190;
        TheScreenSettings->month = 3;
        TheScreenSettings->day = 0;
        platform::TakeShownMessageBoxes();
    }
    void TearDown() override {
        delete TheWin98;
        delete TheWin01Host;
        delete TheWin99;
        TheWin98 = nullptr;
        TheWin01Host = nullptr;
        TheWin99 = nullptr;
        ScreenFixture::TearDown();
    }
    Widget* Slot(SaveLoadScreen* s, int n) { return ControlById(s->controls, 0x100 + n); }
    Widget* Confirm(SaveLoadScreen* s) { return ControlById(s->controls, SaveLoadScreen::kConfirm); }
};

TEST_F(SaveLoadScreenTest, SavingFillsTheLabelAfterTheSetIsWrittenAndCountsTheSave) {
    c->slotLabelCount = 3;
    OwnerWindow owner;
    auto* screen = new SaveLoadScreen(TheRootWidget, &owner, SaveLoadScreen::kSave);
    EXPECT_EQ(TheScreenSettings->busyState, 1);
    // Every slot can be chosen in save mode; confirm waits for the first slot click.
    EXPECT_EQ(Slot(screen, 5)->visible, 1);
    EXPECT_EQ(Confirm(screen)->enabled, 0);
    screen->OnControlClick(Slot(screen, 5), nullptr);
    EXPECT_EQ(Confirm(screen)->enabled, 1);
    // The pending label shows in red on the slot's labels.
    const LabelText* number = screen->labels.TextOf(ControlById(screen->controls, 0x200 + 4 * 5));
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->text, "3");
    EXPECT_EQ(number->record.r, 255);
    EXPECT_EQ(number->record.g, 0);
    screen->OnControlClick(Confirm(screen), nullptr);
    EXPECT_TRUE(SlotFileExists("dynasty6.age"));
    EXPECT_TRUE(SlotFileExists("dynasty6.gat"));
    EXPECT_EQ(owner.codes, std::vector<int>{1});
    EXPECT_EQ(TheScreenSettings->busyState, 0);
    EXPECT_EQ(c->slotLabelCount, 4u);
    const SaveSlotLabel& label = c->slotLabels[5];
    EXPECT_EQ(label.inUse, 1);
    EXPECT_EQ(label.number, 3);
    // The stage name (20 bytes in its record) stops on a character boundary, ended by a NUL.
    EXPECT_EQ(std::string(label.text1), std::string(StageName, 18));
    EXPECT_EQ(std::string(label.text2), RulerName);
    EXPECT_EQ(label.value1, 190u);
    EXPECT_EQ(label.value2, 3u);
    EXPECT_EQ(label.value3, 1u); // day 0 is kept as 1
    const std::string file = testsupport::TempFolder::Read("RecordLabel.sav");
    ASSERT_EQ(file.size(), 900u);
    EXPECT_EQ(file[0], 4);
    EXPECT_EQ(file[4 + 5 * 56], 1);
    EXPECT_EQ(file[4 + 5 * 56 + 2], 3);
}

TEST_F(SaveLoadScreenTest, AFailedSaveShowsAnErrorAndChangesNothing) {
    // The save folder cannot be made: a file has its name.
    testsupport::TempFolder::Write("Save", "not a folder");
    c->slotLabelCount = 7;
    OwnerWindow owner;
    auto* screen = new SaveLoadScreen(TheRootWidget, &owner, SaveLoadScreen::kSave);
    screen->OnControlClick(Slot(screen, 2), nullptr);
    screen->OnControlClick(Confirm(screen), nullptr);
    EXPECT_EQ(owner.codes, std::vector<int>{0});
    EXPECT_EQ(c->slotLabelCount, 7u);
    EXPECT_EQ(c->slotLabels[2].inUse, 0);
    EXPECT_FALSE(std::filesystem::exists("RecordLabel.sav"));
    const auto boxes = platform::TakeShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Could not write file .\\Save\\dynasty3.age!");
}

TEST_F(SaveLoadScreenTest, ADoubleClickSavesAtOnceInSaveModeAndOnlySelectsInLoadMode) {
    c->slotLabels[9].inUse = 1;
    for (int mode : {SaveLoadScreen::kSave, SaveLoadScreen::kLoad}) {
        SCOPED_TRACE(mode);
        OwnerWindow owner;
        auto* screen = new SaveLoadScreen(TheRootWidget, &owner, mode);
        c->clickCount = 2;
        screen->OnControlClick(Slot(screen, 9), nullptr);
        if (mode == SaveLoadScreen::kSave) {
            EXPECT_TRUE(SlotFileExists("dynastyA.age"));
            EXPECT_EQ(c->clickCount, 0);
            std::filesystem::remove_all("Save");
        } else {
            EXPECT_FALSE(SlotFileExists("dynastyA.age"));
            EXPECT_EQ(screen->selected, 9);
            screen->Close(1);
        }
        FlushDeferredDeletes();
    }
}

TEST_F(SaveLoadScreenTest, LoadingASavedSlotNotifiesThenBuildsTheHostsAndAFailedLoadReturnsToTheMenu) {
    c->slotLabels[4].inUse = 1;
    c->slotLabels[4].number = 12;
    std::memcpy(c->slotLabels[4].text1, "ABCDEFGHIJKLMNOPQRST", 20); // no NUL in the file
    struct Case {
        int result;
        int code;
        bool hosts;
        size_t boxes;
    };
    for (const Case k : {Case{1, 1, true, 0}, Case{0, 0, false, 1}}) {
        SCOPED_TRACE(k.result);
        // The slot holds the running game, or nothing.
        std::filesystem::remove_all("Save");
        if (k.result) {
            ASSERT_EQ(c->templateTables->SaveGame(4), 1);
        }
        delete TheWin98;
        delete TheWin99;
        TheWin98 = nullptr;
        TheWin99 = nullptr;
        OwnerWindow owner;
        auto* screen = new SaveLoadScreen(TheRootWidget, &owner, SaveLoadScreen::kLoad);
        // Empty slots have no button in load mode.
        EXPECT_EQ(Slot(screen, 0)->visible, 0);
        EXPECT_EQ(Slot(screen, 4)->visible, 1);
        const LabelText* stageText = screen->labels.TextOf(ControlById(screen->controls, 0x201 + 4 * 4));
        ASSERT_NE(stageText, nullptr);
        EXPECT_EQ(stageText->text, "ABCDEFGHIJKLMNOPQRST");
        EXPECT_EQ(stageText->record.r, 213);
        // A click on an empty slot selects nothing and leaves OK off, also after a saved slot.
        screen->OnControlClick(Slot(screen, 0), nullptr);
        EXPECT_EQ(screen->selected, -1);
        EXPECT_EQ(Confirm(screen)->enabled, 0);
        screen->OnControlClick(Slot(screen, 4), nullptr);
        EXPECT_EQ(Confirm(screen)->enabled, 1);
        screen->OnControlClick(Slot(screen, 1), nullptr);
        EXPECT_EQ(screen->selected, -1);
        EXPECT_EQ(Confirm(screen)->enabled, 0);
        screen->OnControlClick(Confirm(screen), nullptr);
        EXPECT_TRUE(owner.codes.empty());
        screen->OnControlClick(Slot(screen, 4), nullptr);
        EXPECT_EQ(screen->selected, 4);
        c->pauseScreen = 0;
        screen->OnControlClick(Confirm(screen), nullptr);
        EXPECT_EQ(owner.codes, std::vector<int>{k.code});
        // A loaded game starts paused; a failed load leaves the running one as it was.
        EXPECT_EQ(c->pauseScreen.load(), k.result);
        ASSERT_NE(CurrentStageSet(), nullptr);
        EXPECT_EQ(CurrentStageSet()->Name(), std::string_view(StageName, 18));
        EXPECT_EQ(TheWin98 != nullptr, k.hosts);
        EXPECT_EQ(TheWin99 != nullptr, k.hosts);
        EXPECT_EQ(platform::TakeShownMessageBoxes().size(), k.boxes);
        FlushDeferredDeletes();
    }
}

TEST_F(SaveLoadScreenTest, WithoutAnOwnerTheScreenClosesItselfAndForgetsItself) {
    auto* screen = new SaveLoadScreen(TheRootWidget, nullptr, SaveLoadScreen::kLoad);
    c->saveLoadScreen = screen;
    screen->OnControlClick(ControlById(screen->controls, SaveLoadScreen::kCancel), nullptr);
    EXPECT_EQ(c->saveLoadScreen, nullptr);
    EXPECT_EQ(TheResourceStore->drawList->GetCount(), 0);
}

TEST(CopyBig5BoundedTest, StopsOnACharacterBoundaryAndEndsWithNul) {
    struct Case {
        const char* in;
        size_t size;
        std::string out;
    };
    const Case cases[] = {
        {"abc", 20, "abc"},
        {"abcdefghijklmnopqrstuvwxyz", 20, "abcdefghijklmnopqrs"},
        {"a\xa7\x64\xa4\xfd", 4, "a\xa7\x64"},
        {"\xa7\x64\xa7\x64", 4, "\xa7\x64"},
        {nullptr, 4, ""},
    };
    for (const Case& k : cases) {
        char out[20];
        std::memset(out, 'x', sizeof out);
        CopyBig5Bounded(out, k.size, k.in);
        EXPECT_EQ(std::string(out), k.out);
        for (size_t i = k.out.size(); i < k.size; ++i)
            EXPECT_EQ(out[i], 0);
    }
}

} // namespace
