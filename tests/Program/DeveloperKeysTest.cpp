#include "ControllerTestFixture.h"

#include "Program/CodeLine.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "Program/Startup.h"
#include "events/EventRecord.h"
#include "events/EventStep.h"
#include "gui/GuiMessage.h"
#include "platform/MessageBox.h"
#include "records/City.h"
#include "records/EditorKeyTarget.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/ScenarioData.h"
#include "records/StageEditor.h"
#include "records/SubCastle.h"
#include "stagefiles/SavedRecord.h"
#include "troops/CastleGate.h"
#include "world/GeneratorCell.h"
#include "world/RandomMapFixture.h"
#include "world/RouteGraph.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace controllertest;

namespace {

struct DeveloperKeys : testing::Test, ControllerBattle {
    StageEditor editor;
    EditorKeyTarget toolView;
    GeneratorGrid map;
    int32_t keepGameMode = GameModeFlag;

    DeveloperKeys() {
        TheStageEditor = &editor;
        editor.toolView = &toolView;
        map.width = 100;
        map.height = 400;
        map.cells.resize(size_t(map.width) * size_t(map.height));
        c->editingMap = &map;
        GameModeFlag = 1;
        TheCodeLine = CodeLine{};
    }
    ~DeveloperKeys() override {
        TheStageEditor = nullptr;
        GameModeFlag = keepGameMode;
        TheCodeLine = CodeLine{};
        platform::TakeShownMessageBoxes();
    }
    // Only the second developer set answers: developer keys 2 in game mode.
    void SecondSetOnly() { c->developerKeys = 2; }
    // Only the first set: game mode off, developer keys off.
    void FirstSetOnly() {
        c->developerKeys = 0;
        GameModeFlag = 0;
    }
    void EditorView(bool on) { TheScreenSettings->editorKeys = on ? 1 : 0; }
};

TEST_F(DeveloperKeys, BrushesAndMarkersFollowTheirCharacters) {
    Troop* own = Unit(player, 5, 5);
    Troop* foe = Unit(enemy, 20, 20);
    SecondSetOnly();
    struct Case {
        char ch;
        bool editorView;
        int32_t brush;  // -1: unchanged
        int32_t marker; // -1: unchanged
    } cases[] = {
        {'!', true, 11, -1}, {'@', true, 12, -1},  {'#', true, 13, -1}, {'$', true, 14, -1},
        {'%', true, 15, -1}, {'^', true, 16, -1},  {'&', true, 17, -1}, {'*', true, 18, -1},
        {'0', true, 10, -1}, {'1', true, 1, -1},   {'9', true, 9, -1},  {'5', false, -1, -1},
        {'A', false, -1, 5}, {'d', false, -1, 1},  {'E', true, -1, 2},  {'q', false, -1, 4},
        {'T', false, -1, 7}, {'w', false, -1, 3},  {'Z', false, -1, 6}, {'C', false, -1, 8},
        {'C', true, -1, -1}, {'x', false, -1, -1},
    };
    for (const Case& k : cases) {
        editor.brush = -1;
        own->marker = foe->marker = 0xEE;
        EditorView(k.editorView);
        c->OnChar(uint32_t(uint8_t(k.ch)));
        EXPECT_EQ(editor.brush, k.brush) << k.ch;
        const int32_t marker = k.marker < 0 ? 0xEE : k.marker;
        EXPECT_EQ(own->marker, marker) << k.ch;
        EXPECT_EQ(foe->marker, marker) << k.ch;
    }
    // Without developer keys nothing answers in game mode.
    c->developerKeys = 0;
    EditorView(true);
    editor.brush = -1;
    c->OnChar('3');
    c->OnChar('D');
    EXPECT_EQ(editor.brush, -1);
    EXPECT_EQ(own->marker, 0xEE);
}

TEST_F(DeveloperKeys, GridMarksAndThePlotPruneOfTheFirstSet) {
    FirstSetOnly();
    map.At(3, 3).Byte(9) = 9;
    c->OnChar('.');
    EXPECT_EQ(map.At(3, 3).Byte(9), 0);
    EXPECT_EQ(map.At(50, 180).Byte(9), 1);
    EXPECT_EQ(map.At(80, 100).Byte(9), 1);
    EXPECT_EQ(map.At(20, 100).Byte(9), 0);
    c->OnChar('<');
    EXPECT_EQ(map.At(20, 100).Byte(9), 1);
    EXPECT_EQ(map.At(50, 180).Byte(9), 1);
    EXPECT_EQ(map.At(50, 170).Byte(9), 0);

    // '(' keeps only the sites that still stand on a site tile of the editing map.
    City* city = b.AddCity(player, 10, 10);
    auto* kept = new SavedRecord(4, 7, 2);
    auto* lost = new SavedRecord(5, 7, 2);
    auto* outside = new SavedRecord(500, 7, 2);
    for (SavedRecord* s : {kept, lost, outside})
        city->sites.Add(uintptr_t(s));
    map.At(4, 7).layer = 14004;
    map.At(5, 7).layer = 14005;
    c->OnChar('(');
    EXPECT_EQ(editor.brush, 19);
    ASSERT_EQ(city->sites.GetCount(), 1);
    EXPECT_EQ(city->sites.First(), uintptr_t(kept));
}

TEST_F(DeveloperKeys, TheStateCycleWalksSevenStepsAndEndsInTheNextKingdom) {
    Troop* t = Unit(player, 5, 5);
    Troop* idle = Unit(player, 8, 8);
    view->SelectUnit(t);
    SecondSetOnly();
    struct Step {
        uint8_t state, subState;
        int8_t owner;
    } steps[] = {{10, 0, 1}, {0, 0, 1}, {11, 0, 1}, {11, 0, 1}, {10, 14, 1}, {11, 16, 1}, {11, 16, 2}};
    t->actionCode = 0;
    for (const Step& s : steps) {
        c->OnChar('j');
        EXPECT_EQ(t->state, s.state);
        EXPECT_EQ(t->actionCode, s.subState);
        EXPECT_EQ(t->owner, s.owner);
    }
    EXPECT_EQ(c->troopStateCycle, 0);
    EXPECT_FALSE(player->fieldUnits.ContainsPtr(uintptr_t(t)));
    EXPECT_TRUE(enemy->fieldUnits.ContainsPtr(uintptr_t(t)));
    EXPECT_EQ(t->officer->ownerSide, 2);
    // The last kingdom wraps round to the first.
    c->troopStateCycle = 6;
    c->OnChar('J');
    EXPECT_EQ(t->owner, 1);
    EXPECT_EQ(idle->state, 0) << "only the selection changes";
    // Without a selection the cycle stands still.
    view->DeselectAll();
    c->OnChar('J');
    EXPECT_EQ(c->troopStateCycle, 0);
}

TEST_F(DeveloperKeys, KAddsABlankEventAndVKeepsTheWideViewOnTheMap) {
    SecondSetOnly();
    c->OnChar('K');
    EXPECT_EQ(b.stage->events->GetCount(), 0) << "no stage being edited";
    c->editorStage = b.stage;
    c->OnChar('k');
    ASSERT_EQ(b.stage->events->GetCount(), 1);
    auto* event = reinterpret_cast<events::EventRecord*>(b.stage->events->First());
    EXPECT_EQ(event->Id(), 99);
    EXPECT_EQ(event->Code(), 0);
    EXPECT_EQ(event->Text(EventLayout::kName, EventLayout::kNameBytes), "");
    ASSERT_EQ(event->steps.GetCount(), 1);
    auto* step = reinterpret_cast<EventStep*>(event->steps.First());
    EXPECT_EQ(step->Int(EventStepLayout::kCode), 7);
    EXPECT_EQ(step->Int(EventStepLayout::kTarget), 0);

    struct Case {
        int32_t column, row, width, height;
        bool editorView;
        int32_t flagBefore;
        int32_t flagAfter, column2, row2;
    } cases[] = {
        {90, 150, 100, 160, true, 0, 4, 60, 48},  // pulled back inside
        {10, 20, 100, 160, true, 0, 4, 10, 20},   // fits already
        {10, 20, 30, 50, true, 0, 4, 0, 0},       // a small map: never below 0
        {90, 150, 100, 160, true, 4, 0, 90, 150}, // switched off: the origin stays
        {90, 150, 100, 160, false, 0, 4, 90, 150}, {90, 150, 100, 160, true, 1, 5, 60, 48},
    };
    for (const Case& k : cases) {
        toolView.viewColumn = k.column;
        toolView.viewRow = k.row;
        toolView.mapWidth = k.width;
        toolView.mapHeight = k.height;
        editor.flagWord = k.flagBefore;
        EditorView(k.editorView);
        c->OnChar('V');
        EXPECT_EQ(editor.flagWord, k.flagAfter) << k.column << "," << k.row;
        EXPECT_EQ(toolView.viewColumn, k.column2) << k.column << "," << k.row;
        EXPECT_EQ(toolView.viewRow, k.row2) << k.column << "," << k.row;
    }
}

TEST_F(DeveloperKeys, DAndTheCodeWordRaiseTheSelectedCity) {
    City* city = b.AddCity(player, 10, 20);
    city->SetInt(CityLayout::kScale, 1);
    FirstSetOnly();
    c->OnChar('D');
    EXPECT_EQ(city->Scale(), 1) << "no selected city";
    c->selectedCity = city;
    c->OnChar('d');
    EXPECT_EQ(city->Scale(), 2);
    // The code word does the same in battle.
    GameModeFlag = 1;
    c->OnKeyDown(0x78);
    for (char ch : std::string("morrowax"))
        c->OnChar(uint32_t(uint8_t(ch)));
    c->OnChar(13);
    EXPECT_EQ(city->Scale(), 3);
    // The largest size does not grow.
    city->SetInt(CityLayout::kScale, 4);
    GameModeFlag = 0;
    c->OnChar('D');
    EXPECT_EQ(city->Scale(), 4);
}

TEST_F(DeveloperKeys, FunctionKeysOfTheEditor) {
    c->developerKeys = 1;
    // F2 without kingdoms asks for the stage's data.
    LinkList noKingdoms;
    LinkList* kingdoms = b.stage->kingdoms;
    b.stage->kingdoms = &noKingdoms;
    c->OnKeyDown(0x71);
    b.stage->kingdoms = kingdoms;
    std::vector<platform::ShownMessageBox> shown = platform::TakeShownMessageBoxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "\xbd\xd0\xb3\x5d\xa9\x77\xc3\xf6\xa5\x64\xb8\xea\xae\xc6");
    EXPECT_EQ(shown[0].caption, "VelmoraII");
    EXPECT_EQ(shown[0].type, platform::MB_ICONEXCLAMATION);

    // F4 writes the stage's waypoint cache, only in the windowed mode.
    c->campaignStage = 12;
    c->OnKeyDown(0x73);
    EXPECT_FALSE(std::filesystem::exists(b.folder.path() / "stage12.opt"));
    TheScreenSettings->windowed = 1;
    c->OnKeyDown(0x73);
    EXPECT_TRUE(std::filesystem::exists(b.folder.path() / "stage12.opt"));
    FreeRouteGraph();

    // F6 flips the blit switch both ways.
    c->OnKeyDown(0x75);
    EXPECT_EQ(c->blitToggle, 1);
    c->OnKeyDown(0x75);
    EXPECT_EQ(c->blitToggle, 0);

    // F7 in the editor view rebuilds the wall overlays of the editing map.
    EditorView(true);
    GeneratorCell& stale = map.At(1, 1);
    stale.overlay = 2740;
    stale.object = 9300;
    stale.Byte(8) = 1;
    stale.Byte(22) = 3;
    GeneratorCell& wall = map.At(2, 1);
    wall.layer = 21600 + 1; // castle set 0, a wall of column 19
    GeneratorCell& set2 = map.At(3, 1);
    set2.layer = 21600 + 2 * 432 + 64; // castle set 2, column 76
    c->OnKeyDown(0x76);
    EXPECT_EQ(stale.overlay, GeneratorCell::kNone);
    EXPECT_EQ(stale.object, GeneratorCell::kNone);
    EXPECT_EQ(stale.Byte(8), 0);
    EXPECT_EQ(stale.Byte(22), 0xFF);
    EXPECT_EQ(wall.overlay, 2755);
    EXPECT_EQ(wall.object, 9280);
    EXPECT_EQ(wall.Byte(8), 1);
    EXPECT_EQ(set2.overlay, 4788 + 228 + 76);
    EXPECT_EQ(set2.object, GeneratorCell::kNone);
}

// F2 with a stage that has a kingdom hands the editor shell its stage-settings command.
TEST_F(DeveloperKeys, F2WithAStageSendsTheEditorCommand) {
    static std::vector<platform::WPARAM> commands;
    commands.clear();
    platform::WNDCLASSA wc{};
    wc.lpszClassName = "DeveloperKeysShell";
    wc.lpfnWndProc = [](platform::HWND w, platform::UINT m, platform::WPARAM wp,
                        platform::LPARAM lp) -> platform::LRESULT {
        if (m == platform::WM_COMMAND) commands.push_back(wp);
        return platform::DefWindowProcA(w, m, wp, lp);
    };
    platform::RegisterClassA(&wc);
    const platform::HWND keep = AppWindow.window;
    AppWindow.window = platform::CreateWindowExA(0, "DeveloperKeysShell", "", 0, 0, 0, 10, 10, nullptr,
                                                 nullptr, nullptr, nullptr);
    ASSERT_NE(AppWindow.window, nullptr);
    TheScreenSettings->stageEditMode = 1;
    c->OnKeyDown(0x71);
    EXPECT_EQ(commands, std::vector<platform::WPARAM>{40004});
    EXPECT_TRUE(platform::TakeShownMessageBoxes().empty());
    platform::DestroyWindow(AppWindow.window);
    AppWindow.window = keep;
}

// Leaving group-command mode closes the two targets shown on the map; an order on the minimap
// with units waiting in cities marks them to leave for the spot.
TEST_F(DeveloperKeys, GroupTargetsCloseAndWaitingUnitsAreSentOut) {
    City* city = b.AddCity(player, 10, 20);
    auto* sub = new SubCastle(0);
    sub->SetInt(SubCastleLayout::kKind, 4);
    sub->SetInt(SubCastleLayout::kX, 14);
    sub->SetInt(SubCastleLayout::kY, 30);
    city->subCastles.Add(uintptr_t(sub));
    for (auto [shown, viaGroupKey] : {std::pair{1, true}, {1, false}, {0, true}}) {
        city->unitsShown = shown;
        sub->unitsShown = shown;
        view->buildingSelected = 1;
        c->cityPanelMode = 1;
        c->groupCommandMode = 1;
        c->groupTargetA = city;
        c->groupTargetB = sub;
        if (viaGroupKey) {
            c->FocusGroup(0);
        } else {
            GuiMessage m;
            m.point.Set(705, 487);
            c->ClickSelect(&m);
        }
        EXPECT_EQ(c->groupCommandMode, 0);
        EXPECT_EQ(c->groupTargetA, nullptr);
        EXPECT_EQ(c->groupTargetB, nullptr);
        // A target whose units are not shown is not open: nothing to close.
        EXPECT_EQ(view->buildingSelected, shown ? 0 : 1) << shown << viaGroupKey;
        EXPECT_EQ(c->cityPanelMode, shown ? 0 : 1) << shown << viaGroupKey;
    }

    // Units waiting in the city and in its sub-castle.
    c->minimapAreaX = 600;
    c->minimapAreaY = 400;
    Troop* inCity = b.AddTroop(player, 10, 10);
    Troop* stays = b.AddTroop(player, 10, 10);
    Troop* inSub = b.AddTroop(player, 14, 15);
    for (Troop* t : {inCity, stays, inSub})
        player->fieldUnits.RemoveValue(uintptr_t(t));
    city->units.Add(uintptr_t(inCity));
    city->units.Add(uintptr_t(stays));
    sub->units.Add(uintptr_t(inSub));
    inCity->selected = inSub->selected = 1;
    c->selection->Add(uintptr_t(inCity));
    c->selection->Add(uintptr_t(inSub));
    c->selectionActive = 1;
    c->selectionInCities = 1;
    city->markedMode = 1;
    city->deployOrder = 2;
    sub->markedMode = 1;
    sub->sortieOrder = 4;
    sent.clear();
    GuiMessage middle;
    middle.point.Set(705, 487); // cell (20, 40): unit cell (20, 20)
    c->DragSelect(&middle);
    EXPECT_TRUE(sent.empty()) << "no troop on the map is ordered";
    for (Troop* t : {inCity, inSub}) {
        EXPECT_EQ(t->goalX, 20);
        EXPECT_EQ(t->goalY, 20);
        EXPECT_EQ(t->pendingSortie, 1);
    }
    EXPECT_EQ(stays->pendingSortie, 0);
    EXPECT_EQ(city->markedMode, 3);
    EXPECT_EQ(city->deployOrder, 0);
    EXPECT_EQ(sub->markedMode, 3);
    EXPECT_EQ(sub->sortieOrder, 0);
    EXPECT_EQ(c->selectionInCities, 0);
    // A city whose deployment word is 0 keeps its units in.
    inCity->pendingSortie = 0;
    inCity->goalX = 0;
    city->markedMode = 0;
    sub->markedMode = 0;
    c->selectionInCities = 1;
    c->DragSelect(&middle);
    EXPECT_EQ(inCity->pendingSortie, 0);
    EXPECT_EQ(inCity->goalX, 0);
    EXPECT_EQ(city->markedMode, 0);
    c->selection->RemoveAll();
    c->selectionActive = 0;
}

// The stage editor's template keys, on the files of a working folder: '_' rebuilds the stage's
// cities from the scenario with their templates' members, '+' stamps the castle drawings and
// gates into the editing map and refreshes the castles, ')' refreshes them alone.
TEST_F(DeveloperKeys, TheTemplateKeysBuildTheStageFromTheCastleTemplates) {
    randommaptest::WriteGeneratorFolder();
    ScenarioData& scenario = *TheBattleMap->scenario;
    // The stage being edited is the scenario's first stage record, as after a load.
    scenario.stageRecords.Add(uintptr_t(b.stage));
    struct Unlink {
        ScenarioData& s;
        ~Unlink() { s.stageRecords.RemoveAll(); }
    } unlink{scenario};
    b.stage->SetColumn(StageBlockLayout::kStageNumber, 2);
    b.stage->SetColumn(StageBlockLayout::kMapLink, 1);
    player->SetInt(KingdomLayout::kNation, 7);
    enemy->SetInt(KingdomLayout::kNation, 8);
    Troop* stale = b.AddTroop(player, 3, 3);
    (void)stale;

    auto scenarioCity = [&](int32_t index, int32_t copy, int32_t stage, int32_t nation, int32_t x,
                            int32_t y) {
        auto* r = new City;
        r->SetInt(CityLayout::kIndex, index);
        r->SetInt(CityLayout::kKind, 0);
        r->SetInt(108, copy);   // "複製城"
        r->SetInt(112, stage);  // "劇本關卡"
        r->SetInt(116, nation); // "支配 國"
        r->SetInt(CityLayout::kX, x);
        r->SetInt(CityLayout::kY, y);
        scenario.cityTemplates.Add(uintptr_t(r));
        return r;
    };
    scenarioCity(5, 3, 2, 7, 45, 100);  // template castle 3 stands at (200, 90)
    scenarioCity(6, 99, 2, 7, 10, 300); // no such template
    scenarioCity(9, 3, 1, 7, 45, 100);  // another stage
    auto officer = [&](int32_t cityInStage2) {
        auto* o = new OfficerRecord(100, -1);
        o->Set(OfficerLayout::kPersonNumber, 40 + cityInStage2);
        o->SetInt(292, cityInStage2); // "城2"
        scenario.generalTemplates.Add(uintptr_t(o));
    };
    officer(5);
    officer(6);
    officer(11);

    FirstSetOnly();
    TheScreenSettings->windowed = 1;
    EditorView(true);
    c->OnChar('_');
    EXPECT_EQ(player->fieldUnits.GetCount(), 0) << "the kingdoms' troops go";
    ASSERT_EQ(player->cities.GetCount(), 2);
    EXPECT_EQ(enemy->cities.GetCount(), 0);
    City* castle = reinterpret_cast<City*>(player->cities.GetAt(0));
    City* plain = reinterpret_cast<City*>(player->cities.GetAt(1));
    EXPECT_EQ(castle->Int(CityLayout::kIndex), 5);
    EXPECT_EQ(castle->ownerSide, 1);
    EXPECT_EQ(castle->id, 2);
    EXPECT_EQ(plain->id, 3);
    ASSERT_EQ(castle->subCastles.GetCount(), 1);
    auto* sub = reinterpret_cast<SubCastle*>(castle->subCastles.First());
    EXPECT_EQ(sub->Int(SubCastleLayout::kX), 45 - 200 + 212);
    EXPECT_EQ(sub->Int(SubCastleLayout::kY), 100 - 90 + 120);
    EXPECT_EQ(sub->entranceX, 58);
    EXPECT_EQ(sub->entranceY, (130 + 8) / 2 + 1);
    EXPECT_EQ(sub->cityId, castle->id);
    ASSERT_EQ(castle->sites.GetCount(), 1);
    auto* site = reinterpret_cast<SavedRecord*>(castle->sites.First());
    EXPECT_EQ((std::vector<int32_t>{site->x, site->y, site->kind}), (std::vector<int32_t>{37, 116, 3}));
    ASSERT_EQ(castle->generals.GetCount(), 1);
    EXPECT_EQ(reinterpret_cast<OfficerRecord*>(castle->generals.First())->Get(OfficerLayout::kPersonNumber),
              45);
    EXPECT_EQ(plain->subCastles.GetCount(), 0) << "no template: no members";
    EXPECT_EQ(plain->generals.GetCount(), 0);

    // '+': the castle's frame lands on a 4 x 8 grid, the city moves with it, and the drawing's
    // drawn cells come over with the owner mark and city id.
    map.At(30, 70).ground = 7;
    map.At(30, 70).Byte(9) = 5;
    map.At(2, 2).ground = 7;
    c->OnChar('+');
    EXPECT_EQ(castle->CellX(), 44);
    EXPECT_EQ(castle->CellY(), 98);
    EXPECT_EQ(map.At(30, 70).ground, randommaptest::CastleGround(2));
    EXPECT_EQ(map.At(30, 70).Byte(12), 101);
    EXPECT_EQ(map.At(30, 70).Byte(14), castle->id);
    EXPECT_EQ(map.At(30, 70).Byte(9), 5) << "the mark byte stays";
    EXPECT_EQ(map.At(2, 2).ground, 7) << "undrawn cells stay";
    std::vector<std::vector<int32_t>> gates;
    for (CastleGate* g : ListValues<CastleGate>(player->gates))
        gates.push_back({g->cellX, g->cellY, g->cityX, g->cityY});
    EXPECT_EQ(gates, (std::vector<std::vector<int32_t>>{{24, 49, 44, 98}, {64, 49, 44, 98}}));
    // Refreshed in place after the stamping: the members follow the moved castle.
    ASSERT_EQ(castle->subCastles.GetCount(), 1);
    sub = reinterpret_cast<SubCastle*>(castle->subCastles.First());
    EXPECT_EQ(sub->Int(SubCastleLayout::kX), 44 - 200 + 212);
    EXPECT_EQ(sub->cityId, castle->id) << "the sub-castle names the city it stands in";
    EXPECT_EQ(castle->generals.GetCount(), 1);
    EXPECT_EQ(plain->generals.GetCount(), 0) << "its officers are replaced all the same";

    // ')': the scenario's record comes over, the moved cell stays.
    reinterpret_cast<City*>(scenario.cityTemplates.First())->SetInt(CityLayout::kGold, 777);
    c->OnChar(')');
    EXPECT_EQ(editor.brush, 20);
    EXPECT_EQ(castle->Int(CityLayout::kGold), 777);
    EXPECT_EQ(castle->CellX(), 44);
    EXPECT_EQ(castle->subCastles.GetCount(), 1);

    // Without the windowed flag the keys do nothing.
    TheScreenSettings->windowed = 0;
    c->OnChar('_');
    EXPECT_EQ(player->cities.GetAt(0), uintptr_t(castle));
}

} // namespace
