// The network screens as the player sees them: the login window, the room list and a room,
// drawn into the frame and written where a person can look at them.
#include "LobbyLayouts.h"
#include "Program/ScreenTestSupport.h"
#include "RoomLoopback.h"
#include "engine/DisplayDevice.h"
#include "fuzz/seeds/builders/ArchiveFixtures.h"
#include "gui/ScreenBackdrop.h"
#include "gui/TextButton.h"
#include "net/MultiCast.h"
#include "net/Zu_LocalSet.h"
#include "net/lobby/LobbyTexts.h"
#include "net/lobby/LobbyWindows.h"
#include "platform/Present.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace {

class LobbyScreensTest : public screentest::ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        lobbyfixture::WriteLobbyLayouts();
        session = new Zu_LocalSet(c);
        session->ownName = "HOSTPC";
        hub.stations.resize(1);
        hub.stations[0].session = session;
        hub.stations[0].address = "127.0.0.1";
        link = std::make_unique<RoomLoopback>(hub, 0);
        session->roomLink = link.get();
        std::filesystem::create_directories(OutputFolder());
    }
    void TearDown() override {
        delete session;
        FlushDeferredDeletes();
        ScreenFixture::TearDown();
    }
    static std::filesystem::path OutputFolder() {
        return std::filesystem::path(KARDOL_BINARY_DIR) / "lobby-frames";
    }
    // Draws the frame and keeps it as a picture.
    void Dump(const char* name) {
        c->scene = 100;
        c->DrawFrontEnd();
        EXPECT_TRUE(platform::DumpLastFrame((OutputFolder() / name).string()));
    }
    // Pixels of a rectangle of the last frame that differ from its first one: text drawn there.
    int Marks(int left, int top, int right, int bottom) {
        const platform::PresentedFrame f = platform::LastPresentedFrame();
        auto pixel = [&](int x, int y) { return f.pixels[size_t(y) * size_t(f.width) + size_t(x)]; };
        const uint16_t ground = pixel(left, top);
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                n += pixel(x, y) != ground;
        return n;
    }
    Zu_LocalSet* session = nullptr;
    RoomLoopbackHub hub;
    std::unique_ptr<RoomLoopback> link;
};

TEST_F(LobbyScreensTest, LoginWindowShowsTheNameAndAMaskedPassword) {
    auto* w = new Win201Window(TheRootWidget, session);
    std::strcpy(w->fields[0], "warlord");
    std::strcpy(w->fields[1], "secret");
    w->Update();
    Dump("login.bmp");
    // Field 0 (at 360, 240) carries the name, field 1 (at 360, 280) six marks.
    EXPECT_GT(Marks(360, 240, 540, 262), 20);
    EXPECT_GT(Marks(360, 280, 540, 302), 20);
    const LabelText* shown = w->labels.TextOf(w->Control(0x201));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->text.find("secret"), std::string::npos);
    w->Close(1);
}

TEST_F(LobbyScreensTest, RoomListShowsRoomsGreyWhenStartedAndThePlayers) {
    const char* names[3] = {"HOSTPC", "TIGER", "DRAGON"};
    for (int n = 0; n < 3; ++n) {
        Zu_LocalSet::ListEntry e;
        e.record.SetName(names[n]);
        e.record.SetGameType(n == 1 ? 1 : 0);
        e.record.SetMapIndex(uint32_t(n));
        e.record.SetPlayerCount(uint32_t(n + 1));
        e.record.SetMaxPlayers(4);
        e.record.SetRoomOption(uint32_t(n));
        e.record.SetApproval(uint32_t(n));
        e.record.SetStatus(n == 2 ? 1 : 2);
        session->rooms.push_back(e);
        Zu_LocalSet::ListEntry p;
        p.record.SetName(names[n]);
        p.record.bytes[99] = uint8_t(n * 5);
        p.record.SetStatus(uint32_t(n));
        session->players.push_back(p);
    }
    auto* w = new Win206Window(TheRootWidget, session);
    w->SetScrollRanges(3, 3);
    w->FillRows();
    Dump("roomlist.bmp");
    // The started room is drawn grey, the open ones in the list colour.
    const LabelText* open = w->labels.TextOf(w->Control(0x200 + 4));
    const LabelText* started = w->labels.TextOf(w->Control(0x200 + 16 + 4));
    ASSERT_NE(open, nullptr);
    ASSERT_NE(started, nullptr);
    EXPECT_EQ(open->record.r, 225);
    EXPECT_EQ(started->record.r, 150);
    EXPECT_EQ(w->labels.TextOf(w->Control(0x200 + 8 + 0))->text, lobbytext::kBattleNames[1]);
    EXPECT_EQ(w->labels.TextOf(w->Control(0x200 + 1))->text, "1/4");
    // Level byte 10 counts as 8: "1" and the started word.
    EXPECT_EQ(w->labels.TextOf(w->Control(0x200 + 16 + 7))->text,
              std::string("1") + lobbytext::kPlayerStateWords[1]);
    EXPECT_EQ(session->players.back().record.bytes[99], 8);
    // Rows without a room are blank and cannot be chosen.
    EXPECT_EQ(w->Control(0x102 + 3)->enabled, 0);
    EXPECT_EQ(w->Control(0x102 + 2)->enabled, 1);
    EXPECT_GT(Marks(100, 76, 210, 96), 20);
    w->Close(1);
}

TEST_F(LobbyScreensTest, RandomMapRoomShowsPlayersFactionsComputersAndTheChosenMap) {
    ASSERT_TRUE(link->Start(true, "127.0.0.1", "HOSTPC"));
    c->isHost = 1;
    session->room.SetMapIndex(2);
    session->room.SetMaxPlayers(4);
    session->room.SetOption(2, 1);
    hub.stations.resize(2);
    PlayerSlot guest;
    slotfields::SetId(guest, 2);
    slotfields::SetName(guest, "GUESTPC");
    slotfields::SetIndex(guest, 1);
    slotfields::SetChoice(guest, 2);
    slotfields::SetAlliance(guest, 1);
    slotfields::SetReady(guest, 1);
    c->players[1] = guest;
    hub.stations[1].started = true;
    hub.stations[1].id = 2;
    slotfields::SetChoice(c->players[0], 1);
    session->state = 33;
    session->win209 = new Win209Window(TheRootWidget, session);
    session->shownMap = 2;
    session->RefreshRoomWindows();
    session->ShowStatus(lobbytext::kChooseFaction);
    Dump("room.bmp");
    // The status line sits 300 pixels above its layout place (520): its text is at 220..256.
    EXPECT_GT(Marks(210, 228, 590, 248), 20);
    Win209Window* w = session->win209;
    auto text = [&](int id) {
        const TextButton* b = dynamic_cast<TextButton*>(w->Control(id));
        return b && b->captionFont && b->captionFont->text ? std::string(b->captionFont->text)
                                                           : std::string();
    };
    EXPECT_EQ(text(0x600), "HOSTPC");
    EXPECT_EQ(text(0x603), "GUESTPC");
    EXPECT_EQ(text(0x605), "1");
    EXPECT_EQ(text(0x601), lobbytext::kFactionColourNames[0]);
    EXPECT_EQ(text(0x604), lobbytext::kFactionColourNames[1]);
    // Slots 2 and 3 of a four-city map play for the computer; slot 4 is empty.
    EXPECT_EQ(text(0x606), lobbytext::kComputer);
    EXPECT_EQ(text(0x609), lobbytext::kComputer);
    EXPECT_EQ(text(0x60c), "");
    EXPECT_EQ(text(0x630), std::string(lobbytext::kRandomMap) + "4" + lobbytext::kCityWord);
    // The ready guest's name is drawn red.
    EXPECT_EQ(dynamic_cast<TextButton*>(w->Control(0x603))->captionFont->g, 100);
    // Option 3's second button is the one pressed.
    EXPECT_EQ(ButtonShownPressed(w->Control(0x102)), 1);
    EXPECT_EQ(ButtonShownPressed(w->Control(0x101)), 0);
    // A shorter message wipes the longer one before it: nothing is left right of its end.
    session->ShowStatus(lobbytext::kChoiceTaken);
    Dump("room-status.bmp");
    EXPECT_GT(Marks(210, 228, 390, 248), 20);
    EXPECT_EQ(Marks(400, 228, 590, 248), 0);
}

} // namespace

namespace {

TEST_F(LobbyScreensTest, PickerListsTheFirstSideThenTheRestAndScrollsEachColumnByOne) {
    session->state = 32;
    session->room.SetGameType(1);
    session->win208 = new Win208Window(TheRootWidget, session);
    for (int n = 0; n < 12; ++n)
        session->win208->generals.push_back({"G" + std::to_string(n), n < 8 ? 1u : 2u});
    auto* picker = new Win210Window(TheRootWidget, session);
    session->win210 = picker;
    auto row = [&](int column, int r) {
        static const int ids[2][6] = {{0x202, 0x206, 0x20A, 0x20E, 0x212, 0x216},
                                      {0x203, 0x207, 0x20B, 0x20F, 0x213, 0x217}};
        const LabelText* t = picker->labels.TextOf(picker->Control(ids[column][r]));
        return t ? t->text : std::string();
    };
    EXPECT_EQ(row(0, 0), "G0");
    EXPECT_EQ(row(0, 5), "G5");
    EXPECT_EQ(row(1, 0), "G8");
    EXPECT_EQ(row(1, 3), "G11");
    EXPECT_EQ(row(1, 4), "");
    picker->OnControlClick(picker->Control(0x102), nullptr); // column 0 forward
    picker->OnControlClick(picker->Control(0x103), nullptr); // column 1 forward
    EXPECT_EQ(row(0, 0), "G1");
    EXPECT_EQ(row(1, 0), "G9");
    EXPECT_EQ(row(1, 3), "");
    // A toggle answers 100 + its place: the second column's first row is 106.
    picker->OnControlClick(picker->Control(0x401), nullptr);
    EXPECT_EQ(session->input, 106);
    // That takes the general after the first column's scroll: 106 -> choice 6 + 3 + 1 = 10.
    ASSERT_TRUE(link->Start(true, "127.0.0.1", "HOSTPC"));
    c->isHost = 1;
    session->shownMap = 0;
    session->state = 32;
    session->input = 106;
    session->Run();
    EXPECT_EQ(slotfields::Choice(session->OwnSlot()), 10u);
    EXPECT_EQ(slotfields::Alliance(session->OwnSlot()), 2u);
}

} // namespace

namespace {

TEST_F(LobbyScreensTest, CampaignRoomShowsBattlesGeneralsSidesAndThePicker) {
    ASSERT_TRUE(link->Start(true, "127.0.0.1", "HOSTPC"));
    c->isHost = 1;
    hub.stations.resize(2);
    hub.stations[1].started = true;
    hub.stations[1].id = 2;
    session->state = 32;
    session->room.SetGameType(1);
    session->room.SetMapIndex(1);
    session->room.SetOption(0, 2);
    session->room.SetOption(1, 1);
    session->win208 = new Win208Window(TheRootWidget, session);
    // Eight generals a side, as the battles have them.
    const char* names[16] = {"LIU", "GUAN",   "ZHANG", "ZHAO", "MA",     "HUANG", "WEI", "JIANG",
                             "CAO", "XIAHOU", "XU",    "DIAN", "ZHANG2", "SIMA",  "GUO", "XUN"};
    for (int n = 0; n < 16; ++n)
        session->win208->generals.push_back({names[n], n < 8 ? 1u : 2u});
    slotfields::SetChoice(c->players[0], 2);
    slotfields::SetAlliance(c->players[0], 1);
    PlayerSlot guest;
    slotfields::SetId(guest, 2);
    slotfields::SetName(guest, "GUESTPC");
    slotfields::SetIndex(guest, 1);
    slotfields::SetChoice(guest, 11);
    slotfields::SetAlliance(guest, 2);
    slotfields::SetReady(guest, 1);
    c->players[1] = guest;
    session->win210 = new Win210Window(TheRootWidget, session);
    session->shownMap = 1;
    session->RefreshRoomWindows();
    Dump("room-campaign.bmp");
    Win208Window* w = session->win208;
    auto text = [&](int id) {
        const TextButton* b = dynamic_cast<TextButton*>(w->Control(id));
        return b && b->captionFont && b->captionFont->text ? std::string(b->captionFont->text)
                                                           : std::string();
    };
    // Slot s shows its name on 0x602 + 2s and its general on 0x603 + 2s.
    EXPECT_EQ(text(0x602), "HOSTPC");
    EXPECT_EQ(text(0x603), "GUAN");
    EXPECT_EQ(text(0x604), "GUESTPC");
    EXPECT_EQ(text(0x605), "XU");
    EXPECT_EQ(text(0x606), "");
    // The chosen battle on the caption, in red in the list; the second victory condition.
    EXPECT_EQ(text(0x622), lobbytext::kBattleNames[1]);
    EXPECT_EQ(dynamic_cast<TextButton*>(w->Control(0x624))->captionFont->r, 255);
    EXPECT_EQ(dynamic_cast<TextButton*>(w->Control(0x623))->captionFont->r, 120);
    EXPECT_EQ(text(0x626), lobbytext::kVictoryLines[2]);
    // The ready guest in red; the sides' bars blue (side 1) and red (side 2).
    EXPECT_EQ(dynamic_cast<TextButton*>(w->Control(0x604))->captionFont->g, 100);
    const platform::PresentedFrame f = platform::LastPresentedFrame();
    auto bar = [&](int slot) {
        const Widget* label = w->Control(0x202 + slot);
        const Rect& r = label->rect;
        return f.pixels[size_t(r.top + 2) * 800 + size_t(r.left + 2)];
    };
    auto rgb = [](int r, int g, int b) { return uint16_t(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3)); };
    EXPECT_EQ(bar(0), rgb(10, 10, 255));
    EXPECT_EQ(bar(1), rgb(255, 10, 10));
    // Option 1's third button is drawn pressed, the others of its group alike and normal.
    auto face = [&](int id) {
        const Rect& r = w->Control(id)->rect;
        return f.pixels[size_t(r.top + 8) * 800 + size_t(r.left + 8)];
    };
    EXPECT_NE(face(0x103), face(0x102));
    EXPECT_EQ(face(0x101), face(0x102));
    EXPECT_EQ(face(0x104), face(0x102));
    // The side's first and second leaders above the slots.
    EXPECT_EQ(dynamic_cast<TextButton*>(w->Control(0x600)) ? text(0x600) : "", "LIU");
    EXPECT_EQ(text(0x601), "CAO");
    // The picker: side 1 in the first column, the others in the second.
    const LabelText* first = session->win210->labels.TextOf(session->win210->Control(0x202));
    const LabelText* second = session->win210->labels.TextOf(session->win210->Control(0x203));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->text, "LIU");
    EXPECT_EQ(second->text, "CAO");
}

} // namespace

namespace {

TEST_F(LobbyScreensTest, NetworkScreensAreDrawnOverTheLobbyPictureUntilTheGameStarts) {
    const uint16_t colour = 0x4A69;
    archfix::Layout rom;
    rom.entries = {archfix::Stored(archfix::Picture(800, 600, std::vector<uint16_t>(800 * 600, colour)))};
    archfix::WriteFile("Zu_DataC.Rom", archfix::Build(rom));
    delete session;
    session = new Zu_LocalSet(c);
    hub.stations[0].session = session;
    ASSERT_NE(session->lobbyPicture, nullptr);
    session->Run();
    ASSERT_NE(session->win74, nullptr);
    Dump("choice.bmp");
    const platform::PresentedFrame f = platform::LastPresentedFrame();
    auto pixel = [&](int x, int y) { return f.pixels[size_t(y) * 800 + size_t(x)]; };
    // Around the connection choice (200..600, 200..400) the lobby picture shows; inside, the window.
    EXPECT_EQ(pixel(10, 10), colour);
    EXPECT_EQ(pixel(700, 500), colour);
    EXPECT_NE(pixel(210, 210), colour);
    // When the game starts the picture goes and the store holds it no more.
    session->CloseAll();
    EXPECT_EQ(session->lobbyPicture, nullptr);
    EXPECT_EQ(ScreenBackdropFlag, 0);
    EXPECT_EQ(FullScreenPanelSurface, nullptr);
}

} // namespace
