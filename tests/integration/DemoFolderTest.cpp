// Headless runs on the demo folder that tools/make_demo writes.
#include "../Program/ScreenTestSupport.h"
#include "Program/BattleRecordScreen.h"
#include "Program/CampaignWindows.h"
#include "Program/FrontEndScreens.h"
#include "Program/SaveLoadScreen.h"
#include "Program/StageListWindow.h"
#include "Program/Startup.h"
#include "engine/KeyedTable37.h"
#include "engine/Tools.h"
#include "gui/GuiLayout.h"
#include "platform/MessageBox.h"
#include "platform/Surface.h"
#include "records/TemplateTables.h"
#include "windows/WindowHosts.h"
#include "world/BattleMap.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

namespace {

using screentest::ScreenFixture;

const std::string MakeDemo = std::string(KARDOL_BINARY_DIR) + "/tools/make_demo/make_demo";
const std::string Game = std::string(KARDOL_BINARY_DIR) + "/Kardol";

std::string ReadAll(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Pixel (x, y) of the background of a full-screen demo layout.
uint16_t LayoutPixel(const std::string& layout, int x, int y) {
    const std::string bytes = ReadAll(layout);
    const size_t at = 36 + 2 * (size_t(y) * 800 + x);
    if (bytes.size() < at + 2) return 0;
    return uint16_t(uint8_t(bytes[at]) | (uint8_t(bytes[at + 1]) << 8));
}

uint16_t BackPixel(int x, int y) {
    platform::Surface* back = GetBackSurface();
    platform::DDSURFACEDESC2 d;
    if (!back || back->Lock(nullptr, &d, platform::DDLOCK_WAIT) != platform::DD_OK) return 0;
    const uint16_t p =
        reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(d.lpSurface) + size_t(y) * d.lPitch)[x];
    back->Unlock(nullptr);
    return p;
}

// With KARDOL_SCREEN_DUMPS naming a folder, the screens of these runs are kept there as BMPs for
// a person to look at.
void KeepFrame(const std::string& name) {
    if (const char* folder = std::getenv("KARDOL_SCREEN_DUMPS"))
        platform::DumpLastFrame(std::string(folder) + "/" + name + ".bmp");
}

std::vector<std::string> Calls;

class DemoFolderTest : public ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        ASSERT_EQ(std::system((MakeDemo + " . > /dev/null").c_str()), 0);
        InstallFrontEndScreens();
        Calls.clear();
        platform::TakeShownMessageBoxes();
    }
    void TearDown() override {
        for (Window** w : {&c->mainMenu, &c->singleMenu, &c->heroWindow, &c->actWindow})
            if (*w) (*w)->Close(1), *w = nullptr;
        delete c->stageListWindow;
        c->stageListWindow = nullptr;
        delete TheWin98;
        delete TheWin01Host;
        delete TheWin99;
        TheWin98 = nullptr;
        TheWin01Host = nullptr;
        TheWin99 = nullptr;
        // A loaded game makes the keyed table anew.
        delete TheKeyedTable37;
        TheKeyedTable37 = nullptr;
        ScreenFixture::TearDown();
    }
    void Frame() { c->Frame(platform::WM_USER); }
};

TEST_F(DemoFolderTest, TheMainMenuShowsAndClicksWalkToSinglePlayAndBack) {
    Frame();
    ASSERT_NE(c->mainMenu, nullptr);
    // The menu's picture with its buttons is on the back buffer.
    EXPECT_EQ(BackPixel(400, 345), LayoutPixel("mainmenu.gui", 400, 345));
    EXPECT_EQ(BackPixel(100, 500), LayoutPixel("mainmenu.gui", 100, 500));
    Click(400, 360); // SINGLE PLAY
    Frame();
    ASSERT_EQ(c->scene, 1);
    ASSERT_NE(c->singleMenu, nullptr);
    Frame();
    EXPECT_EQ(BackPixel(400, 205), LayoutPixel("Single.gui", 400, 205));
    Click(400, 342); // BACK
    Frame();
    Frame();
    EXPECT_EQ(c->scene, 0);
    ASSERT_NE(c->mainMenu, nullptr);
    EXPECT_EQ(c->singleMenu, nullptr);
    EXPECT_EQ(TheResourceStore->drawList->GetCount(), 1);
}

// A screen whose layout is missing or damaged is named once, in "Error.lst" and in a message box,
// and the player stays on the screen he was on, drawn as before.
TEST_F(DemoFolderTest, AScreenThatCannotBeReadIsReportedAndThePlayerStaysOnTheMenu) {
    const struct {
        const char* file;
        bool damaged;
    } cases[] = {{"Single.gui", false}, {"Single.gui", true}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.damaged);
        if (k.damaged)
            testsupport::TempFolder::Write(k.file, std::string(10, '\x01'));
        else
            std::filesystem::remove(k.file);
        std::filesystem::remove("Error.lst");
        Zu_Tools::StartErrorLogRun();
        if (!c->mainMenu) Frame();
        ASSERT_NE(c->mainMenu, nullptr);
        Click(400, 360); // SINGLE PLAY
        Frame();
        Frame();
        EXPECT_EQ(c->scene, 0);
        EXPECT_NE(c->mainMenu, nullptr);
        EXPECT_EQ(c->singleMenu, nullptr);
        EXPECT_EQ(c->menuChoice, -2);
        EXPECT_EQ(BackPixel(100, 500), LayoutPixel("mainmenu.gui", 100, 500)) << "the menu is still drawn";
        const auto boxes = platform::TakeShownMessageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].text.find("Single.gui"), std::string::npos) << boxes[0].text;
        EXPECT_NE(ReadAll("Error.lst").find("Single.gui,cannot be read"), std::string::npos);
    }
}

TEST_F(DemoFolderTest, TheCreditsCoverTheMenuUntilTheNextClick) {
    Frame();
    Click(400, 510); // CREDITS
    ASSERT_NE(CreditsFrame, nullptr);
    Frame();
    const std::string credits = ReadAll("CREDIT.ani");
    auto creditPixel = [&](int x, int y) {
        const size_t at = 28 + 2 * (size_t(y) * 800 + x);
        return uint16_t(uint8_t(credits[at]) | (uint8_t(credits[at + 1]) << 8));
    };
    EXPECT_EQ(BackPixel(400, 360), creditPixel(400, 360));
    EXPECT_NE(BackPixel(400, 360), LayoutPixel("mainmenu.gui", 400, 360));
    Click(400, 360); // only takes the credits away
    EXPECT_EQ(CreditsFrame, nullptr);
    EXPECT_EQ(c->menuChoice, -2);
    Frame();
    EXPECT_EQ(BackPixel(400, 360), LayoutPixel("mainmenu.gui", 400, 360));
}

TEST_F(DemoFolderTest, TheCampaignWindowsUnlockStagesFromWonRecords) {
    // Stages 11 and 12 of the first act were won in an earlier run.
    std::string records(940, '\0');
    records[11 * 20 + 12] = 1;
    records[12 * 20 + 12] = 1;
    testsupport::TempFolder::Write("RecordData.sav", records);
    c->ReadRecords();
    c->scene = 1;
    c->singleChoice = 0; // the campaign
    Frame();
    ASSERT_NE(c->heroWindow, nullptr);
    Click(400 + 120, 520); // START with act 0 marked
    EXPECT_EQ(c->heroChoice, 0);
    Frame();
    ASSERT_EQ(c->scene, 4);
    auto* act = dynamic_cast<ActSelectWindow*>(c->actWindow);
    ASSERT_NE(act, nullptr);
    EXPECT_EQ(act->layout->FirstImage()->width, 800);
    EXPECT_EQ(act->shownRows, 3);
    EXPECT_EQ(act->markedStage, 2);
    Frame();
    KeepFrame("act");
}

TEST_F(DemoFolderTest, TheStageListComposesItsMapOnceAndReloadsIt) {
    c->scene = 1;
    c->singleChoice = 1;
    Frame();
    ASSERT_NE(c->stageListWindow, nullptr);
    auto* list = dynamic_cast<Win75Window*>(c->stageListWindow);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->composeCount, 1);
    const std::string cache = ReadAll("stage01.ani");
    EXPECT_EQ(cache.size(), 28u + 400 * 300 * 3);
    Frame();
    KeepFrame("stagelist");
    // The map sits at (10, 9) of the full-screen window.
    EXPECT_EQ(BackPixel(20, 160), uint16_t(uint8_t(cache[28 + 2 * (151 * 400 + 10)]) |
                                           (uint8_t(cache[29 + 2 * (151 * 400 + 10)]) << 8)));
    Click(310, 560); // BACK
    EXPECT_EQ(c->stageListChoice, -2);
    Frame();
    EXPECT_EQ(c->scene, 1);
    c->singleChoice = 1;
    Frame();
    list = dynamic_cast<Win75Window*>(c->stageListWindow);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->composeCount, 0);
    // A damaged cache is composed again.
    delete c->stageListWindow;
    c->stageListWindow = nullptr;
    testsupport::TempFolder::Write("stage01.ani", cache.substr(0, 1000));
    c->stageListWindow = new Win75Window(TheRootWidget, c);
    EXPECT_EQ(dynamic_cast<Win75Window*>(c->stageListWindow)->composeCount, 1);
    EXPECT_EQ(ReadAll("stage01.ani"), cache);
}

TEST_F(DemoFolderTest, LoadingFromTheMenuSucceedsOrReturnsToTheMenu) {
    // Slot 0 is labelled but its game is gone; slot 1 holds the running game.
    c->slotLabels[0].inUse = 1;
    TheBattleMap->SetCells(std::make_unique<MapCell[]>(20 * 40), 20, 40);
    ASSERT_EQ(c->templateTables->SaveGame(1), 1);
    Frame();
    Click(400, 460); // LOAD GAME
    ASSERT_NE(c->saveLoadScreen, nullptr);
    Frame();
    KeepFrame("load");
    Click(400, 96 + 13); // slot 0
    Click(490, 568);     // OK
    EXPECT_EQ(platform::TakeShownMessageBoxes().size(), 1u);
    EXPECT_EQ(c->saveLoadScreen, nullptr);
    EXPECT_EQ(c->requestedMode, 0);
    ASSERT_NE(c->mainMenu, nullptr);
    c->mainMenu->Close(1);
    c->mainMenu = nullptr;
    FlushDeferredDeletes();

    // A saved game in slot 1 loads: the menu goes and the battle is asked for.
    c->slotLabels[1].inUse = 1;
    c->menuChoice = -1;
    Frame();
    Click(400, 460);
    Click(400, 96 + 28 + 13); // slot 1
    Click(490, 568);
    EXPECT_TRUE(platform::TakeShownMessageBoxes().empty());
    EXPECT_EQ(c->requestedMode, 1);
    EXPECT_NE(TheWin98, nullptr);
    c->mainMenu = nullptr; // closed itself
}

TEST_F(DemoFolderTest, SavingWritesTheLabelOnlyWhenTheSaveSetIsWritten) {
    for (int result : {0, 1}) {
        SCOPED_TRACE(result);
        // Without a map the set cannot be written whole.
        if (result) TheBattleMap->SetCells(std::make_unique<MapCell[]>(20 * 40), 20, 40);
        auto* save = new SaveLoadScreen(TheRootWidget, nullptr, SaveLoadScreen::kSave);
        c->saveLoadScreen = save;
        Click(400, 96 + 3 * 28 + 13); // slot 3
        Click(490, 568);
        EXPECT_EQ(c->slotLabels[3].inUse, result);
        EXPECT_EQ(c->slotLabelCount, uint32_t(result));
        EXPECT_EQ(std::filesystem::exists("RecordLabel.sav"), result == 1);
        FlushDeferredDeletes();
    }
}

TEST_F(DemoFolderTest, TheBattleRecordTableScoresMarksAndWritesTheRecords) {
    auto* player = new Kingdom;
    player->nationIndex = 1;
    player->tally[0] = 3;
    auto* rival = new Kingdom;
    rival->SetInt(KingdomLayout::kNationKind, 1);
    rival->nationIndex = 2;
    rival->tally[3] = 4;
    stage->AddKingdom(player);
    stage->AddKingdom(rival);
    stage->playerKingdom = player;
    stage->result = 1;
    c->campaignStage = 2;
    auto* screen = new BattleRecordScreen(TheRootWidget);
    c->recordScreen = screen;
    ASSERT_EQ(screen->rows.size(), 2u);
    c->scene = 5;
    Frame();
    KeepFrame("record");
    // Each number column has its heading drawn above the first row, in the caption colour.
    const uint16_t heading = uint16_t((250 >> 3) << 11 | (230 >> 2) << 5 | (180 >> 3));
    for (int column = 0; column < 8; ++column) {
        int lit = 0;
        for (int y = 90; y < 112; ++y)
            for (int x = 200 + column * 72; x < 264 + column * 72; ++x)
                lit += BackPixel(x, y) == heading;
        EXPECT_GT(lit, 20) << "column " << column;
    }
    EXPECT_EQ(player->score, 36);
    EXPECT_EQ(rival->score, 8);
    EXPECT_TRUE(screen->rows[0].best);
    EXPECT_FALSE(screen->rows[1].best);
    const std::string records = ReadAll("RecordData.sav");
    ASSERT_EQ(records.size(), 940u);
    EXPECT_EQ(records[2 * 20 + 12], 1);
    EXPECT_EQ(records[2 * 20 + 16], 36);
    Click(400, 560); // OK
    EXPECT_EQ(c->recordScreenClosed, 1);
    c->scene = 5;
    Frame();
    EXPECT_EQ(c->recordScreen, nullptr);
    EXPECT_EQ(c->scene, 0);
}

// The game itself, headless on the demo folder in the current folder, with its own runtime folder
// (the single-instance lock) and registry so a copy of the game running on this machine does not
// meet it. The dump is read back as 24-bit pixels.
class DemoRun {
public:
    explicit DemoRun(const std::string& extraEnv) {
        std::filesystem::create_directories("run");
        EXPECT_EQ(std::system((MakeDemo + " demo > /dev/null").c_str()), 0);
        const std::string here = std::filesystem::current_path().string();
        const std::string run = "cd demo && XDG_RUNTIME_DIR=" + here + "/run KARDOL_REGISTRY=" + here +
                                "/registry.ini KARDOL_HEADLESS=1 SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "
                                "KARDOL_FRAMES=40 KARDOL_DUMP=frame.bmp " +
                                extraEnv + " " + Game + " > run.log 2>&1";
        status = std::system(run.c_str());
        bmp = ReadAll("demo/frame.bmp");
        if (bmp.size() >= 54 + 800 * 600 * 3) {
            offset = uint8_t(bmp[10]) | (uint8_t(bmp[11]) << 8) | (uint8_t(bmp[12]) << 16);
            height = int32_t(uint8_t(bmp[22]) | (uint8_t(bmp[23]) << 8) | (uint8_t(bmp[24]) << 16) |
                             (uint8_t(bmp[25]) << 24));
        }
    }
    bool ok() const { return status == 0 && height != 0; }
    std::string log() const { return ReadAll("demo/run.log"); }
    // {b, g, r} of a pixel.
    std::array<int, 3> Pixel(int x, int y) const {
        const int row = height > 0 ? 599 - y : y;
        const size_t at = offset + size_t(row) * 2400 + size_t(x) * 3;
        return {uint8_t(bmp[at]), uint8_t(bmp[at + 1]), uint8_t(bmp[at + 2])};
    }
    // Whether the pixel is the menu's own picture within the rounding of 5-6-5 to 8 bits.
    bool ShowsMenu(int x, int y) const {
        const uint16_t p = LayoutPixel("demo/mainmenu.gui", x, y);
        const int want[3] = {(p & 0x1F) << 3, ((p >> 5) & 0x3F) << 2, (p >> 11) << 3};
        const auto got = Pixel(x, y);
        for (int k = 0; k < 3; ++k)
            if (std::abs(got[k] - want[k]) > 8) return false;
        return true;
    }

    int status = -1;
    std::string bmp;
    uint32_t offset = 0;
    int32_t height = 0;
};

TEST(DemoFolderRunTest, TheGameShowsTheMainMenuHeadless) {
    testsupport::TempFolder folder;
    DemoRun run("");
    ASSERT_TRUE(run.ok()) << run.log();
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{400, 345}, {400, 560}, {100, 100}, {3, 3}})
        EXPECT_TRUE(run.ShowsMenu(x, y)) << x << "," << y;
}

// A scripted pointer move over the first button: the dumped frame shows the arrow there, its
// white inside and its dark rim over the button's picture.
TEST(DemoFolderRunTest, ThePointerIsDrawnWhereTheMouseIs) {
    testsupport::TempFolder folder;
    DemoRun run("KARDOL_POINTER=420,345,5");
    ASSERT_TRUE(run.ok()) << run.log();
    const auto inside = run.Pixel(422, 352);
    for (int k = 0; k < 3; ++k)
        EXPECT_GE(inside[k], 240) << "channel " << k;
    const auto rim = run.Pixel(420, 346);
    for (int k = 0; k < 3; ++k)
        EXPECT_LE(rim[k], 24) << "channel " << k;
    EXPECT_TRUE(run.ShowsMenu(100, 100)) << "the rest of the menu is untouched";
    EXPECT_FALSE(run.ShowsMenu(422, 352));
}

} // namespace

namespace {

// An empty game folder: the game names the main menu's layout it cannot read and ends by itself
// (no frame limit is given).
TEST(EmptyFolderRunTest, SaysWhatItLacksAndEnds) {
    testsupport::TempFolder folder;
    std::filesystem::create_directories("run");
    const std::string here = std::filesystem::current_path().string();
    auto play = [&](const std::string& game) {
        const std::string run = "cd " + game + " && XDG_RUNTIME_DIR=" + here +
                                "/run KARDOL_REGISTRY=" + here +
                                "/registry.ini KARDOL_HEADLESS=1 SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "
                                "timeout 60 " +
                                Game + " > run.log 2>&1";
        const int status = std::system(run.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    // Nothing at all: the first table is missing and start-up gives up.
    std::filesystem::create_directories("game");
    EXPECT_EQ(play("game"), 3) << ReadAll("game/run.log");
    EXPECT_NE(ReadAll("game/run.log").find("Missing data file: general.ini"), std::string::npos)
        << ReadAll("game/run.log");
    EXPECT_NE(ReadAll("game/Error.lst").find("general.ini,missing table"), std::string::npos);

    // Empty tables but no screens: the menu's layout is named.
    std::filesystem::create_directories("tables");
    const std::vector<uint8_t> none(8, 0);
    for (const char* table : {"tables/general.ini", "tables/castle.ini", "tables/SubCastle.ini"})
        testsupport::TempFolder::Write(table, none);
    testsupport::TempFolder::Write("tables/soldier.ini", std::vector<uint8_t>(4, 0));
    EXPECT_EQ(play("tables"), 0) << ReadAll("tables/run.log");
    EXPECT_NE(ReadAll("tables/run.log").find("Could not read file mainmenu.gui!"), std::string::npos)
        << ReadAll("tables/run.log");
    EXPECT_NE(ReadAll("tables/Error.lst").find("mainmenu.gui,cannot be read"), std::string::npos);
}

// The test seams refuse values that cannot be what the caller meant, before the game starts.
TEST(SeamValuesTest, BadSeamValuesAreRefusedWithAMessage) {
    testsupport::TempFolder folder;
    std::filesystem::create_directories("run");
    const std::string here = std::filesystem::current_path().string();
    const struct {
        const char* env;
        const char* says;
    } cases[] = {
        {"KARDOL_FRAMES=abc", "KARDOL_FRAMES must be a number"},
        {"KARDOL_FRAMES=12x", "KARDOL_FRAMES must be a number"},
        {"KARDOL_POINTER=400", "KARDOL_POINTER must be"},
        {"KARDOL_FRAMES=5 KARDOL_DUMP=no-such-folder/frame.bmp", "KARDOL_DUMP: cannot write"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.env);
        const std::string run =
            "XDG_RUNTIME_DIR=" + here + "/run KARDOL_REGISTRY=" + here +
            "/registry.ini KARDOL_HEADLESS=1 SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy " + c.env + " " +
            Game + " > run.log 2>&1";
        const int status = std::system(run.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 2);
        EXPECT_NE(ReadAll("run.log").find(c.says), std::string::npos) << ReadAll("run.log");
    }
}

} // namespace
