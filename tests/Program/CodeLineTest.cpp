#include "ControllerTestFixture.h"

#include "Program/CodeLine.h"
#include "Program/StageCalendar.h"
#include "records/City.h"
#include "records/SubCastle.h"
#include "troops/TroopWorld.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace controllertest;

namespace {

struct CodeLineTest : testing::Test, ControllerBattle {
    CodeLineTest() { Reset(); }
    ~CodeLineTest() override { Reset(); }
    static void Reset() {
        TheCodeLine = CodeLine{};
        AllStagesOpen = 0;
        SkillDamageOff = 0;
        TerrainOverlay = 0;
        CalendarFrozen = 0;
    }
    void Type(const std::string& text) {
        for (char ch : text)
            c->OnChar(uint32_t(uint8_t(ch)));
    }
    // F9, the word, Enter.
    void Enter(const std::string& word) {
        c->OnKeyDown(0x78);
        Type(word);
        c->OnChar(13);
    }
};

TEST_F(CodeLineTest, EachWordSwitchesItsAidInBattle) {
    City* city = b.AddCity(player, 10, 10);
    city->SetInt(CityLayout::kGold, 100);
    city->SetInt(CityLayout::kFood, 50);
    Troop* veteran = b.AddTroop(player, 5, 5); // an officer of the level system
    view->SelectUnit(veteran);
    TheBattleMap->CellAt(3, 3)->sightCount = 0;
    const uint8_t humanRun = TheBattleMap->sideActive[1];
    struct Case {
        const char* word;
        std::function<bool()> done;
    } cases[] = {
        {"QQQ", [&] { return TheBattleMap->sideActive[1] == (humanRun ^ 1); }},
        {"plumb", [&] { return TheBattleMap->CellAt(3, 3)->sightCount == 2 && c->mapRevealed == 1; }},
        {"Vexil", [&] { return c->playerTruce == 1; }},
        {"gravlin", [&] { return CalendarFrozen == 1; }},
        {"quillfor", [&] { return SkillDamageOff == 1; }},
        {"gruel", [&] { return TerrainOverlay == 1; }},
        {"4dunmoth7", [&] { return c->developerKeys == 1; }},
        {"tumbleaf", [&] { return AllStagesOpen == 1; }},
        {"drumwillow", [&] { return veteran->officer->Get(OfficerLayout::kExperience) == 200; }},
    };
    for (const Case& k : cases) {
        EXPECT_FALSE(k.done()) << k.word;
        Enter(k.word);
        EXPECT_TRUE(k.done()) << k.word;
        EXPECT_EQ(TheCodeLine.open, 0);
        EXPECT_EQ(TheCodeLine.length, 0);
    }
    // A toggle typed again switches back.
    Enter("vexil");
    EXPECT_EQ(c->playerTruce, 0);

    // The city codes give twice the amount; without a selected city they change nothing.
    Enter("brisko");
    EXPECT_EQ(city->Int(CityLayout::kGold), 100);
    c->selectedCity = city;
    Enter("brisko");
    EXPECT_EQ(city->Int(CityLayout::kGold), 1100);
    Enter("ZEPHOD");
    EXPECT_EQ(city->Int(CityLayout::kFood), 10050);
    // An unknown word does nothing; "wombe" is taken and does nothing either.
    Enter("wombe");
    Enter("nothing");
    EXPECT_EQ(city->Int(CityLayout::kGold), 1100);

    Enter("skyvane");
    EXPECT_EQ(b.stage->result, 1);
    EXPECT_EQ(TheScreenSettings->battleEnded, 1);
}

TEST_F(CodeLineTest, TheLineEditsItsTextAndTheFrontEndKnowsOneWord) {
    c->OnKeyDown(0x78);
    c->OnChar(8); // Backspace on an empty line
    EXPECT_EQ(TheCodeLine.length, 0);
    Type(std::string(70, 'x'));
    EXPECT_EQ(TheCodeLine.length, 62);
    EXPECT_EQ(std::string(TheCodeLine.buffer), std::string(62, 'x'));
    c->OnChar(8);
    EXPECT_EQ(std::string(TheCodeLine.buffer), std::string(61, 'x'));
    c->OnChar(13);

    // In the front end only "tumbleaf" counts.
    c->mode = 0;
    TheBattleMap->CellAt(3, 3)->sightCount = 0;
    c->OnKeyDown(0x78);
    for (char ch : std::string("plumb"))
        c->OnCodeChar(uint32_t(ch));
    c->OnCodeChar(13);
    EXPECT_EQ(TheBattleMap->CellAt(3, 3)->sightCount, 0);
    c->OnKeyDown(0x78);
    for (char ch : std::string("TumbLeaf"))
        c->OnCodeChar(uint32_t(ch));
    c->OnCodeChar(13);
    EXPECT_EQ(AllStagesOpen, 1);
}

// The front end hears the code line through the window procedure as well.
TEST_F(CodeLineTest, TheWindowProcedureFeedsTheLineInTheFrontEnd) {
    c->mode = 0;
    MainWndProc(AppWindow.window, platform::WM_KEYDOWN, 0x78, 0);
    EXPECT_EQ(TheCodeLine.open, 1);
    for (char ch : std::string("tumbleaf\r"))
        MainWndProc(AppWindow.window, platform::WM_CHAR, platform::WPARAM(uint8_t(ch)), 0);
    EXPECT_EQ(TheCodeLine.open, 0);
    EXPECT_EQ(AllStagesOpen, 1);
}

TEST_F(CodeLineTest, AWipedKingdomLosesItsTroopsUnitsAndCities) {
    Kingdom* ally = b.AddKingdom(3);
    ally->relations[1] = 1;
    Kingdom* neutral = b.AddKingdom(4);
    neutral->relations[1] = 2;
    Troop* foe = b.AddTroop(enemy, 20, 20);
    Troop* neutralTroop = b.AddTroop(neutral, 22, 20);
    Troop* friendTroop = b.AddTroop(ally, 24, 20);
    City* fort = b.AddCity(enemy, 30, 30);
    Troop* inside = b.AddTroop(enemy, 30, 15);
    enemy->fieldUnits.RemoveValue(uintptr_t(inside));
    fort->units.Add(uintptr_t(inside));
    fort->garrison[0] = inside;
    auto* keep = new SubCastle(0);
    fort->subCastles.Add(uintptr_t(keep));
    Troop* keepOwn = b.AddTroop(enemy, 31, 15);
    Troop* guest = b.AddTroop(ally, 32, 15);
    for (Troop* t : {keepOwn, guest}) {
        TroopKingdom(t->owner)->fieldUnits.RemoveValue(uintptr_t(t));
        keep->units.Add(uintptr_t(t));
    }
    (void)foe;
    (void)neutralTroop;

    c->WipeOutNonAlliedKingdoms();
    EXPECT_EQ(enemy->fieldUnits.GetCount(), 0);
    EXPECT_EQ(neutral->fieldUnits.GetCount(), 0);
    EXPECT_EQ(enemy->cities.GetCount(), 0);
    EXPECT_EQ(fort->units.GetCount(), 0);
    EXPECT_EQ(fort->garrison[0], nullptr);
    ASSERT_EQ(keep->units.GetCount(), 1);
    EXPECT_EQ(keep->units.GetAt(0), uintptr_t(guest));
    EXPECT_EQ(TheBattleMap->FirstObjectAt(20, 20), 0u);
    EXPECT_EQ(TheBattleMap->FirstObjectAt(22, 20), 0u);
    EXPECT_EQ(TheBattleMap->FirstObjectAt(24, 20), uintptr_t(friendTroop));
    EXPECT_EQ(ally->fieldUnits.GetCount(), 1);
    EXPECT_TRUE(TheBattleMap->unownedCities.Holds(fort));
    keep->units.RemoveAll();
    delete guest;

    // The developer 'R' wipes the player's own kingdom, which leaves the selection and groups.
    Troop* own = b.AddTroop(player, 5, 5);
    view->SelectUnit(own);
    Key(platform::VK_CONTROL, true);
    c->OnKeyDown('1');
    Key(platform::VK_CONTROL, false);
    ASSERT_EQ(c->groups[0]->GetCount(), 1);
    c->developerKeys = 1;
    c->OnChar('r');
    EXPECT_EQ(player->fieldUnits.GetCount(), 0);
    EXPECT_EQ(c->selection->GetCount(), 0);
    EXPECT_EQ(c->groups[0]->GetCount(), 0);
    EXPECT_EQ(c->groupHeaders[0]->inUse, 0);
    EXPECT_EQ(TheBattleMap->FirstObjectAt(5, 5), 0u);
}

} // namespace
