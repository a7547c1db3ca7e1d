#include "Program/SaveLoadScreen.h"

#include "Program/SaveGameSeam.h"
#include "ScreenTestSupport.h"
#include "gui/Button.h"
#include "platform/MessageBox.h"
#include "windows/WindowHosts.h"

#include <cstring>

namespace {

using screentest::ControlById;
using screentest::ScreenFixture;
using screentest::WriteLayout;

std::vector<std::string> Calls;
int SaveResult = 1;
int LoadResult = 1;
const char* StageName = nullptr;
const char* RulerName = nullptr;

int FakeSave(int slot) {
    Calls.push_back("save " + std::to_string(slot));
    return SaveResult;
}
int FakeLoad(int slot) {
    Calls.push_back("load " + std::to_string(slot));
    return LoadResult;
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
        Calls.clear();
        SaveResult = LoadResult = 1;
        // "東方戰記第一幕的很長很長的關卡" (30 bytes) and a short ruler name.
        StageName =
            "\xaa\x46\xa4\xe8\xbe\xd4\xb0\x4f\xb2\xc4\xa4\x40\xb9\xf5\xaa\xba\xab\xdc\xaa\xf8\xab\xdc\xaa"
            "\xf8\xaa\xba\xc3\xf6\xa5\x64";
        RulerName = "\xa7\x64\xa4\xfd"; // "呂王"
        SaveGameServices& s = GetSaveGameServices();
        s.saveGame = FakeSave;
        s.loadGame = FakeLoad;
        s.stageName = [] { return StageName; };
        s.rulerName = [] { return RulerName; };
        TheScreenSettings->year = 190;
        TheScreenSettings->month = 3;
        TheScreenSettings->day = 0;
        platform::TakeShownMessageBoxes();
    }
    void TearDown() override {
        GetSaveGameServices() = SaveGameServices{};
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
    EXPECT_EQ(Calls, std::vector<std::string>{"save 5"});
    EXPECT_EQ(owner.codes, std::vector<int>{1});
    EXPECT_EQ(TheScreenSettings->busyState, 0);
    EXPECT_EQ(c->slotLabelCount, 4u);
    const SaveSlotLabel& label = c->slotLabels[5];
    EXPECT_EQ(label.inUse, 1);
    EXPECT_EQ(label.number, 3);
    // The long stage name stops on a character boundary, ended by a NUL.
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
    SaveResult = 0;
    c->slotLabelCount = 7;
    OwnerWindow owner;
    auto* screen = new SaveLoadScreen(TheRootWidget, &owner, SaveLoadScreen::kSave);
    screen->OnControlClick(Slot(screen, 2), nullptr);
    screen->OnControlClick(Confirm(screen), nullptr);
    EXPECT_EQ(Calls, std::vector<std::string>{"save 2"});
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
        Calls.clear();
        OwnerWindow owner;
        auto* screen = new SaveLoadScreen(TheRootWidget, &owner, mode);
        c->clickCount = 2;
        screen->OnControlClick(Slot(screen, 9), nullptr);
        if (mode == SaveLoadScreen::kSave) {
            EXPECT_EQ(Calls, std::vector<std::string>{"save 9"});
            EXPECT_EQ(c->clickCount, 0);
        } else {
            EXPECT_TRUE(Calls.empty());
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
        LoadResult = k.result;
        Calls.clear();
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
        EXPECT_TRUE(Calls.empty());
        screen->OnControlClick(Slot(screen, 4), nullptr);
        EXPECT_EQ(screen->selected, 4);
        screen->OnControlClick(Confirm(screen), nullptr);
        EXPECT_EQ(Calls, std::vector<std::string>{"load 4"});
        EXPECT_EQ(owner.codes, std::vector<int>{k.code});
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
