#include "MainPanelFixture.h"

#include "Program/CodeLine.h"
#include "Program/SaveLoadScreen.h"
#include "Program/StageSet.h"
#include "Program/Startup.h"
#include "engine/AviClipManager.h"
#include "engine/Tools.h"
#include "gui/GuiPanel.h"
#include "gui/TextButton.h"
#include "net/ChatCommand.h"
#include "net/TroopCommands.h"
#include "platform/Messages.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/StatusTexts.h"
#include "windows/WindowHosts.h"
#include "windows/main/PanelKeys.h"
#include "windows/main/Win01Window.h"
#include "windows/main/Win26Window.h"
#include "windows/main/Win35Window.h"
#include "windows/main/Win40Window.h"
#include "windows/main/YesNoWindow.h"
#include "world/BattleMap.h"

#include <cstring>
#include <filesystem>
#include <string>

using screentest::ControlById;

namespace {

std::vector<std::vector<uint8_t>> Sent;
void Capture(uint8_t code, const uint8_t* payload, size_t length) {
    std::vector<uint8_t> command{code};
    command.insert(command.end(), payload, payload + length);
    Sent.push_back(command);
}

// "西元190年3月7日".
const char kDate[] = "\xa6\xe8\xa4\xb8"
                     "190\xa6\x7e"
                     "3\xa4\xeb"
                     "7\xa4\xe9";

// A running battle of one kingdom on a small map, with the main panel host the stage start
// builds; the game menu's save and load screens have their layouts.
class MainPanel : public MainPanelFixture {
protected:
    void SetUp() override {
        MainPanelFixture::SetUp();
        screentest::WriteLayout("Win27.gui", 18, 64);
        screentest::WriteLayout("Win28.gui", 18, 64);
        TheBattleMap->SetCells(std::make_unique<MapCell[]>(20 * 40), 20, 40);
        stage->SetText(StageBlockLayout::kName, 20, "River Forts");
        auto* ruler = new Kingdom;
        ruler->nationIndex = 1;
        stage->AddKingdom(ruler);
        stage->playerKingdom = ruler;
        TheScreenSettings->year = 190;
        TheScreenSettings->month = 3;
        TheScreenSettings->day = 7;
        c->mode = 1;
        c->running = 1;
        Sent.clear();
        SetGameCommandSender(&Capture);
    }
    void TearDown() override {
        SetGameCommandSender(nullptr);
        Zu_Tools::Global().AttachBuffer(nullptr, 0, 0);
        delete TheWin01Host;
        TheWin01Host = nullptr;
        MainPanelFixture::TearDown();
    }
    Win01Window* Open(bool networked = false) {
        c->networked = networked ? 1 : 0;
        TheWin01Host = new Win01HostWindow(TheRootWidget, c);
        return TheWin01Host->mainPanel;
    }
    Win01Window* Panel() const { return TheWin01Host->mainPanel; }
    Widget* Menu(int id) const { return ControlById(Panel()->controls[0], id); }
    Widget* Chat(int id) const { return ControlById(Panel()->controls[1], id); }
    Win26Window* GameMenu() const { return Panel()->gameMenu; }
    // Opens the game menu with its button and presses one of its buttons.
    void MenuButton(int id) {
        if (!GameMenu()) ClickControl(Menu(0x100));
        ASSERT_NE(GameMenu(), nullptr);
        ClickControl(GameMenu()->Control(id));
    }
    YesNoWindow* Question() const { return GameMenu() ? GameMenu()->question : nullptr; }
    void Answer(int button) {
        ASSERT_NE(Question(), nullptr);
        ClickControl(Question()->Control(button));
        FlushDeferredDeletes();
    }
    // Typed keys as the main window hands them to the text input.
    static void Type(const std::string& text) { Zu_Tools::Global().FeedChars(text.data(), int(text.size())); }
    // One refresh of the status line, as the panel's redraw period gives it.
    void Refresh() { Panel()->OnUpdate(0, 0); }
};

} // namespace

TEST_F(MainPanel, ShowsTheDateMissionAndStatusLinesAndLocksTheChatInSinglePlay) {
    Win01Window* panel = Open();
    EXPECT_EQ(LabelText(panel->controls[0], 0x200), kDate);
    EXPECT_EQ(LabelText(panel->controls[0], 0x201), "River Forts");
    EXPECT_EQ(panel->chatRows, 0);
    EXPECT_EQ(panel->chatPage, nullptr);
    for (int id : {0x100, 0x101, 0x600, 0x500})
        EXPECT_EQ(Chat(id)->enabled, 0) << id;
    // A city of the player under attack: its name and "遭受敵人攻擊" on the status line, drawn
    // into the line's button.
    auto* status = dynamic_cast<TextButton*>(Chat(0x600));
    ASSERT_NE(status, nullptr);
    const uint16_t before = status->surface->PixelAt(4, 8);
    City city;
    city.SetText(CityLayout::kName, 20, "Fort");
    ShowStatusText(UnderAttackText(city).c_str());
    EXPECT_EQ(std::string(panel->lineText), "Fort\xbe\x44\xa8\xfc\xbc\xc4\xa4\x48\xa7\xf0\xc0\xbb");
    int changed = 0;
    for (int x = 0; x < 100; ++x)
        for (int y = 0; y < 16; ++y)
            changed += status->surface->PixelAt(x, y) != before;
    EXPECT_GT(changed, 20);
    // A text longer than the line is cut on a character boundary.
    ShowStatusText(std::string(20, '\xa4').append("\xa4\x40").c_str());
    EXPECT_LE(std::strlen(panel->lineText), 35u);
    // The typed code line shows on the status line too.
    OpenCodeLine();
    c->OnCodeChar('a');
    c->OnCodeChar('b');
    EXPECT_EQ(std::string(panel->lineText).substr(0, 2), "ab");
    c->OnCodeChar(13);
    // In single play a click on the status line starts no chat input.
    ClickControl(Chat(0x600));
    EXPECT_EQ(panel->inputActive, 0);
    EXPECT_NE(Zu_Tools::Global().GetBuffer(), panel->lineText);
    // The advance of a day redraws the date.
    TheScreenSettings->day = 8;
    panel->ShowDateLine();
    EXPECT_EQ(LabelText(panel->controls[0], 0x200).back(), kDate[std::strlen(kDate) - 1]);
    EXPECT_NE(LabelText(panel->controls[0], 0x200), kDate);
}

TEST_F(MainPanel, TheMenuButtonAndF5OpenTheMenuWhichPausesTheGameUntilItCloses) {
    Open();
    ClickControl(Menu(0x100));
    ASSERT_NE(GameMenu(), nullptr);
    EXPECT_EQ(c->running, 0);
    EXPECT_EQ(Panel()->menuPanel->enabled, 0); // locked while the menu is open
    // Back to the game by its button, a right click, Esc and F5.
    ClickControl(GameMenu()->Control(0x100));
    EXPECT_EQ(GameMenu(), nullptr);
    EXPECT_EQ(c->running, 1);
    EXPECT_EQ(Panel()->menuPanel->enabled, 1);
    ClickControl(Menu(0x100));
    GameMenu()->OnControlRightClick(GameMenu()->Control(0x103), nullptr);
    EXPECT_EQ(GameMenu(), nullptr);
    ClickControl(Menu(0x100));
    HandlePanelKeyDown(27);
    EXPECT_EQ(GameMenu(), nullptr);
    ClickControl(Menu(0x100));
    HandlePanelKeyDown(116);
    EXPECT_EQ(GameMenu(), nullptr);
    EXPECT_EQ(c->running, 1);
    FlushDeferredDeletes();
}

TEST_F(MainPanel, LeaveAndQuitAskFirstAndNoClosesTheWholeMenu) {
    Open();
    struct Case {
        int button;
        const char* question;
    };
    for (const Case& k : {Case{0x104, LeaveGameText}, Case{0x106, QuitProgramText}}) {
        MenuButton(k.button);
        ASSERT_NE(Question(), nullptr);
        EXPECT_EQ(GameMenu()->panel->visible, 0);
        EXPECT_EQ(std::string(Question()->rowText[1]) + Question()->rowText[2], k.question);
        Answer(0x101);
        EXPECT_EQ(GameMenu(), nullptr) << "no closes the menu too";
        EXPECT_EQ(TheScreenSettings->battleEnded, 0);
        EXPECT_EQ(StartupState, 0);
    }
    // Esc answers an open question with no.
    MenuButton(0x106);
    HandlePanelKeyDown(27);
    EXPECT_EQ(GameMenu(), nullptr);
    FlushDeferredDeletes();

    // Yes to leaving starts the battle's end: the frame returns to the main menu.
    MenuButton(0x104);
    Answer(0x100);
    EXPECT_EQ(TheScreenSettings->endCountdown, 2131);
    EXPECT_EQ(TheScreenSettings->battleEnded, 1);
    EXPECT_EQ(c->leaveGame, 1);
    HandlePanelKeyDown(27);
    FlushDeferredDeletes();

    // Yes to quitting ends the program.
    platform::ResetMessageQueue();
    const int32_t keep = StartupState;
    MenuButton(0x106);
    Answer(0x100);
    EXPECT_EQ(StartupState, 5);
    platform::MSG msg{};
    bool closing = false;
    while (platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE))
        closing = closing || msg.message == platform::WM_CLOSE;
    EXPECT_TRUE(closing);
    StartupState = keep;
}

TEST_F(MainPanel, TheMenuSavesIntoTheChosenSlotAndClosesButCancelComesBack) {
    Open();
    MenuButton(0x101);
    ASSERT_NE(c->saveLoadScreen, nullptr);
    EXPECT_EQ(GameMenu()->panel->visible, 0);
    ClickControl(c->saveLoadScreen->Control(SaveLoadScreen::kCancel));
    FlushDeferredDeletes();
    ASSERT_NE(GameMenu(), nullptr) << "a cancelled save shows the menu again";
    EXPECT_EQ(GameMenu()->panel->visible, 1);
    EXPECT_EQ(c->saveLoadScreen, nullptr);

    ClickControl(GameMenu()->Control(0x101));
    ASSERT_NE(c->saveLoadScreen, nullptr);
    c->clickCount = 0; // one click marks the slot, the confirm button saves
    ClickControl(c->saveLoadScreen->Control(0x105));
    ASSERT_NE(c->saveLoadScreen, nullptr);
    ClickControl(c->saveLoadScreen->Control(SaveLoadScreen::kConfirm));
    FlushDeferredDeletes();
    EXPECT_TRUE(std::filesystem::exists("Save/dynasty6.age"));
    EXPECT_EQ(c->slotLabels[5].inUse, 1);
    EXPECT_EQ(GameMenu(), nullptr);
    EXPECT_EQ(c->running, 1);

    // The load screen lists that slot.
    MenuButton(0x102);
    ASSERT_NE(c->saveLoadScreen, nullptr);
    EXPECT_EQ(c->saveLoadScreen->mode, SaveLoadScreen::kLoad);
    HandlePanelKeyDown(27); // Esc leaves a menu with an open screen alone
    EXPECT_NE(GameMenu(), nullptr);
    ClickControl(c->saveLoadScreen->Control(SaveLoadScreen::kCancel));
    FlushDeferredDeletes();
}

TEST_F(MainPanel, TheSoundSettingsSetTheLevelsAtOnceAndCancelPutsThemBack) {
    Open();
    TheScreenSettings->gameSpeed = TheScreenSettings->speechSetting = 5;
    TheScreenSettings->musicVolume = 5;
    TheScreenSettings->soundVolume = 5;
    MenuButton(0x103);
    Win40Window* settings = GameMenu()->soundSettings;
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->Control(Win40Window::kOk)->enabled, 0);
    ClickControl(settings->Control(0x100 + 2)); // speed 2
    ClickControl(settings->Control(0x10a + 3)); // music 3
    ClickControl(settings->Control(0x114 + 9)); // movies 9
    EXPECT_EQ(TheScreenSettings->gameSpeed, 2);
    EXPECT_EQ(TheScreenSettings->speechSetting, 2);
    EXPECT_EQ(TheScreenSettings->musicVolume, 3);
    EXPECT_EQ(TheScreenSettings->soundVolume, 9);
    EXPECT_EQ(settings->Control(Win40Window::kOk)->enabled, 1);
    ClickControl(settings->Control(Win40Window::kCancel));
    FlushDeferredDeletes();
    EXPECT_EQ(GameMenu(), nullptr) << "closing the settings closes the menu";
    EXPECT_EQ((std::vector<int>{TheScreenSettings->gameSpeed, TheScreenSettings->musicVolume,
                                TheScreenSettings->soundVolume}),
              (std::vector<int>{5, 5, 5}));

    // OK keeps the levels and applies the movie level to the clips.
    MenuButton(0x103);
    ClickControl(GameMenu()->soundSettings->Control(0x114 + 9));
    ClickControl(GameMenu()->soundSettings->Control(Win40Window::kOk));
    FlushDeferredDeletes();
    EXPECT_EQ(TheScreenSettings->soundVolume, 9);
    EXPECT_EQ(TheAviClipManager.volume, AviClipManager::VolumeForLevel(9));
    TheAviClipManager.SetVolume(5);
}

TEST_F(MainPanel, TheChatLogKeepsTwentyLinesAndShowsTheNewestAtTheBottom) {
    Win01Window* panel = Open(true);
    ASSERT_EQ(panel->chatRows, 3);
    ASSERT_NE(panel->chatPage, nullptr);
    for (int i = 1; i <= 21; ++i)
        panel->AddChatLine(("line " + std::to_string(i)).c_str(), i == 21 ? 3 : 0);
    EXPECT_EQ(panel->logCount, 20);
    EXPECT_EQ(std::string(panel->chatLog[0]), "line 2");
    EXPECT_EQ(LabelText(panel->controls[2], 0x202), "line 21");
    EXPECT_EQ(LabelText(panel->controls[2], 0x200), "line 19");
    EXPECT_EQ(panel->rowFonts[2].b, 255);
    EXPECT_EQ(panel->rowFonts[2].r, 100); // the game's own line in blue
    // Scrolling back stops with the oldest line at the top row.
    for (int i = 0; i < 30; ++i)
        ClickControl(Chat(0x100));
    EXPECT_EQ(panel->logScroll, 2);
    EXPECT_EQ(LabelText(panel->controls[2], 0x200), "line 2");
    ClickControl(Chat(0x101));
    EXPECT_EQ(panel->logScroll, 3);
}

TEST_F(MainPanel, EnterSendsTheTypedLineAsCommand28AndKeepsItInTheHistory) {
    Win01Window* panel = Open(true);
    // Enter starts the input; the typed text goes out on the next Enter.
    Type("\r");
    Refresh();
    ASSERT_EQ(panel->inputActive, 1);
    EXPECT_EQ(Zu_Tools::Global().GetBuffer(), panel->lineText);
    Type("hello");
    Refresh();
    Refresh(); // the cursor blinks in
    EXPECT_EQ(std::string(panel->lineText), "hello_");
    Type("\r");
    Refresh();
    EXPECT_EQ(panel->inputActive, 0);
    EXPECT_EQ(panel->lineText[0], 0);
    ASSERT_EQ(Sent.size(), 1u);
    ASSERT_EQ(Sent[0][0], kChatCommand);
    const auto line = UnpackChatLine(std::span<const uint8_t>(Sent[0].data() + 1, Sent[0].size() - 1));
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->text, ": hello");
    EXPECT_FALSE(line->alliance);
    EXPECT_EQ(line->whisperPeer, 0u);
    // Enter on an empty line sends nothing.
    Type("\r");
    Refresh();
    Type("\r");
    Refresh();
    EXPECT_EQ(Sent.size(), 1u);
    // History back shows the newest line sent; forward shows it again.
    Type("\r");
    Refresh();
    Type("bye");
    Type("\r");
    Refresh();
    ASSERT_EQ(Sent.size(), 2u);
    Type("\r");
    Refresh();
    Zu_Tools::Global().FeedArrowKey(Zu_Tools::kKeyUp);
    Refresh();
    EXPECT_EQ(std::string(panel->lineText), "bye");
    EXPECT_EQ(panel->historyCursor, 1);
    Zu_Tools::Global().FeedArrowKey(Zu_Tools::kKeyDown);
    Refresh();
    EXPECT_EQ(std::string(panel->lineText), "bye");
    EXPECT_EQ(panel->historyCursor, 1);
    // Esc drops the line.
    Type("\x1b");
    Refresh();
    EXPECT_EQ(panel->inputActive, 0);
    EXPECT_EQ(panel->lineText[0], 0);
}

TEST_F(MainPanel, AWhisperToNobodyComesBackToTheSender) {
    Win01Window* panel = Open(true);
    struct Case {
        std::string typed, shown;
    };
    const Case cases[] = {
        {"/Nobody hi", "[TO] : \xb5\x4c\xa6\xb9\xaa\xb1\xae\x61Nobody"},
        {"/Nobody", "[TO] : \xb1\x4b\xbb\x79\xae\xe6\xa6\xa1\xbf\xf9\xbb\x7e"},
    };
    for (const Case& k : cases) {
        ClickControl(Chat(0x600));
        ASSERT_EQ(panel->inputActive, 1);
        Type(k.typed);
        Type("\r");
        Refresh();
        EXPECT_EQ(std::string(panel->chatLog[panel->logCount - 1]), k.shown);
        EXPECT_EQ(panel->chatColour[panel->logCount - 1], 2);
    }
    ASSERT_EQ(Sent.size(), 2u);
    const auto line = UnpackChatLine(std::span<const uint8_t>(Sent[0].data() + 1, Sent[0].size() - 1));
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->whisperPeer, 1u); // to the sender itself
}

TEST_F(MainPanel, TheChatSettingsChooseTheChannelAndTheRowsOfThePage) {
    Win01Window* panel = Open(true);
    ClickControl(Chat(0x500));
    ASSERT_NE(panel->chatSettings, nullptr);
    Win35Window* open = panel->chatSettings;
    panel->OnControlClick(Chat(0x500), nullptr); // a second press while it is open does nothing
    EXPECT_EQ(panel->chatSettings, open);
    ClickControl(panel->chatSettings->Control(0x101));
    FlushDeferredDeletes();
    EXPECT_EQ(panel->chatSettings, nullptr);
    EXPECT_EQ(panel->chatChannel, 1);
    // The rows chooser: cancelled, then five rows, then none.
    ClickControl(Chat(0x500));
    ClickControl(panel->chatSettings->Control(0x102));
    ASSERT_NE(panel->chatSettings->rowsWindow, nullptr);
    panel->chatSettings->rowsWindow->OnPanelIdle();
    FlushDeferredDeletes();
    ASSERT_NE(panel->chatSettings, nullptr);
    EXPECT_EQ(panel->chatSettings->panel->visible, 1);
    EXPECT_EQ(panel->chatRows, 3);
    for (int button : {0x100, 0x105}) {
        if (!panel->chatSettings) ClickControl(Chat(0x500));
        ClickControl(panel->chatSettings->Control(0x102));
        ClickControl(panel->chatSettings->rowsWindow->Control(button));
        FlushDeferredDeletes();
        EXPECT_EQ(panel->chatSettings, nullptr);
        EXPECT_EQ(panel->chatRows, 5 - (button - 0x100));
        EXPECT_EQ(panel->chatPage != nullptr, button == 0x100);
    }
}
