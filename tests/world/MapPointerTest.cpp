#include "troops/TroopFixture.h"

#include "engine/GameFileWriters.h"
#include "engine/LinkList.h"
#include "engine/Point.h"
#include "engine/Rect.h"
#include "engine/ResourceStore.h"
#include "engine/ResourceStoreFormats.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiPanel.h"
#include "gui/MouseCursor.h"
#include "gui/RootWidget.h"
#include "net/SubCommands.h"
#include "net/TroopCommandCodec.h"
#include "platform/Window.h"
#include "records/City.h"
#include "records/SubCastle.h"
#include "support/SentCommands.h"
#include "troops/CastleGate.h"
#include "world/BattleMap.h"
#include "world/MapView.h"
#include "world/Zu_SkillEffect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

std::vector<TroopCommand>* Sent = nullptr;
void Capture(uint8_t code, const uint8_t* payload, size_t length) {
    if (auto c = UnpackTroopCommand(code, {payload, length})) Sent->push_back(*c);
}

void Key(int vk, bool down) {
    platform::RawInputEvent e;
    e.kind = down ? platform::RawInputEvent::KeyDown : platform::RawInputEvent::KeyUp;
    e.virtualKey = vk;
    platform::HandleRawInput(nullptr, e);
}

// A 40 x 80 map in sight, the player's kingdom 1, an enemy at war (2) and a neutral side (3),
// a map view at the origin, a cursor, and a network client whose orders are captured on their
// way to the host.
struct Pointer : testing::Test {
    trooptest::Battle b;
    Kingdom* player = b.AddKingdom(1, true);
    Kingdom* enemy = b.AddKingdom(2);
    Kingdom* neutral = b.AddKingdom(3);
    RootWidget* root = TheRootWidget = new RootWidget(new Rect(0, 0, 800, 600));
    MapView* view = new MapView;
    MouseCursor* cursor = new MouseCursor;
    FrameRecord picture;
    Troop::FrameLink shown{nullptr, &picture}; // the current frame of every test unit
    std::vector<TroopCommand> sent;

    Pointer() {
        trooptest::Battle::War(player, enemy);
        player->relations[3] = neutral->relations[1] = 2;
        // The player's ruler is none of the test units.
        trooptest::Battle::SetKingdomValue(player, KingdomLayout::kPersonNumber, 999);
        for (int y = 0; y < trooptest::kMapRows; ++y)
            for (int x = 0; x < trooptest::kMapWidth; ++x)
                TheBattleMap->CellAt(x, y)->sightCount = 2;
        TheGameController->gameScreen = view;
        view->mapWidth = trooptest::kMapWidth;
        view->mapHeight = trooptest::kMapRows;
        view->SetView(0, 0, trooptest::kMapWidth, trooptest::kMapRows);
        TheBattleMap->occupancyView = {0, 0, trooptest::kMapWidth, trooptest::kMapRows / 2};
        TheMouseCursor = cursor;
        TheGameController->networked = 1;
        TheGameController->isHost = 0;
        Sent = &sent;
        SetGameCommandSender(&Capture);
    }
    ~Pointer() override {
        Key(platform::VK_CONTROL, false);
        Key(platform::VK_SHIFT, false);
        platform::ResetWindowsForTest();
        SetGameCommandSender(nullptr);
        Sent = nullptr;
        TheMouseCursor = nullptr;
        delete cursor;
        TheGameController->gameScreen = nullptr;
        delete view;
        FlushDeferredDeletes();
        delete root;
        TheRootWidget = nullptr;
    }
    // A selectable troop standing on (x, y), with a picture so the pointer can find it.
    Troop* Unit(Kingdom* k, int x, int y, uint8_t state = 0) {
        Troop* t = b.AddTroop(k, x, y, 1, 0, state);
        t->officer->Set(OfficerLayout::kControllable, 1);
        t->frame = &picture;
        t->currentNode = &shown;
        return t;
    }
    // The view point in the middle of the troop's pick box.
    static Point Over(const Troop* t) { return Point(t->pixelX + 80 + 20, t->pixelY + 130 + 27); }
    void Hover(Point p) { view->OnControlHover(view->panel, &p); }
    void LeftClick(Point p) { view->OnControlClick(view->panel, &p); }
    void RightPress(Point p) { view->OnControlRightPress(view->panel, &p); }
    LinkList& Selection() { return *TheGameController->selection; }
};

TEST_F(Pointer, TheHitTestClassifiesUnitsAndNeverPicksAHiddenOne) {
    Troop* own = Unit(player, 10, 20);
    Troop* foe = Unit(enemy, 20, 20);
    Troop* other = Unit(neutral, 30, 20);
    Troop* servant = Unit(enemy, 10, 30);
    servant->officer->Set(OfficerLayout::kPolicy, 1); // secretly serves the player
    Troop* hiding = Unit(enemy, 20, 30);
    hiding->officer->Set(OfficerLayout::kAttribute, 8); // a hidden kind of officer
    // What a troop is doing does not hide it: standing (10) and fighting (11) are picked.
    Troop* standing = Unit(player, 30, 30, 10);
    Troop* fighting = Unit(enemy, 20, 10, 11);
    const struct {
        Troop* troop;
        int klass;
        bool found;
    } cases[] = {{own, 1, true},     {foe, 2, true},      {other, 5, true},   {servant, 1, true},
                 {hiding, 0, false}, {standing, 1, true}, {fighting, 2, true}};
    for (const auto& c : cases) {
        const Point p = Over(c.troop);
        EXPECT_EQ(view->HitTest(p.x, p.y), c.klass) << c.troop->cellX << "," << c.troop->cellY;
        EXPECT_EQ(view->hoveredObject == c.troop, c.found);
    }
    // A unit on a cell out of sight is not there for the pointer.
    TheBattleMap->CellAt(20, 40)->sightCount = 1;
    const Point p = Over(foe);
    EXPECT_EQ(view->HitTest(p.x, p.y), 0);
}

TEST_F(Pointer, CursorShapesFollowTheModeAndTheClassUnderThePointer) {
    Troop* own = Unit(player, 10, 20);
    Troop* foe = Unit(enemy, 20, 20);
    Troop* other = Unit(neutral, 30, 20);
    const Point empty(400, 500);
    // Nothing selected: the arrow, whatever lies beneath.
    Hover(Over(foe));
    EXPECT_EQ(cursor->shapeIndex, 1);
    view->SelectUnit(own);
    const struct {
        Point at;
        uint8_t foeState;
        int shape;
    } cases[] = {{Over(own), 0, 4}, {Over(foe), 0, 2}, {Over(other), 0, 4}, {empty, 0, 3}};
    for (const auto& c : cases) {
        foe->state = c.foeState;
        Hover(c.at);
        EXPECT_EQ(cursor->shapeIndex, c.shape) << c.at.x;
    }
    other->officer->Set(OfficerLayout::kAttribute, 9);
    Hover(Over(other));
    EXPECT_EQ(cursor->shapeIndex, 2);
    TheGameController->mapLock = 1;
    Hover(Over(foe));
    EXPECT_EQ(cursor->shapeIndex, 18);
    TheGameController->mapLock = 0;
    const int modeShapes[8] = {0, 20, 21, 23, 24, 25, 22, 22};
    for (uint16_t mode = 1; mode <= 7; ++mode) {
        view->commandMode = mode;
        Hover(empty);
        EXPECT_EQ(cursor->shapeIndex, modeShapes[mode]) << mode;
    }
}

// With units selected the ground under the pointer shapes the cursor: own city ground 3 (19 in
// work mode), foreign city ground 2 at war and 4 otherwise; a neutral unit 2, a foe with flag 4
// shows 4; the move-order mode 6.
TEST_F(Pointer, GroundAndUnitsShapeTheCursorOfASelection) {
    Troop* own = Unit(player, 30, 5);
    Troop* foe = Unit(enemy, 20, 20);
    Troop* stray = b.AddTroop(player, 30, 30, 1, 0, 0);
    stray->owner = 0; // a unit of no side
    stray->frame = &picture;
    stray->currentNode = &shown;
    view->SelectUnit(own);
    City* home = b.AddCity(player, 3, 3);
    City* hostile = b.AddCity(enemy, 6, 3);
    City* peaceful = b.AddCity(neutral, 9, 3);
    // Cells under view points (100, 100), (100, 200) and (100, 300).
    auto ground = [&](int py, City* city, uint8_t zone) {
        int32_t x = 0, y = 0;
        view->PixelToCell(100, py, 20, x, y);
        MapCell& cell = *TheBattleMap->CellAt(x, y);
        cell.cityId = uint8_t(city->id);
        cell.zoneByte = zone;
    };
    ground(100, home, 12);
    ground(200, hostile, 12);
    ground(300, peaceful, 26);
    const struct {
        Point at;
        int work;
        int shape;
    } cases[] = {{Point(100, 100), 0, 3},
                 {Point(100, 100), 1, 19},
                 {Point(100, 200), 0, 2},
                 {Point(100, 300), 0, 4},
                 {Over(stray), 0, 2}};
    for (const auto& c : cases) {
        TheGameController->workMode = uint8_t(c.work);
        Hover(c.at);
        EXPECT_EQ(cursor->shapeIndex, c.shape) << c.at.x << "," << c.at.y << " work " << c.work;
    }
    TheGameController->workMode = 0;
    foe->flags = 4;
    Hover(Over(foe));
    EXPECT_EQ(cursor->shapeIndex, 4);
    TheGameController->moveOrderMode = 1;
    Hover(Over(foe));
    EXPECT_EQ(cursor->shapeIndex, 6);
    TheGameController->moveOrderMode = 0;
}

TEST_F(Pointer, CtrlTogglesUpToSixAndADragTakesTheFirstSixInRowOrder) {
    std::vector<Troop*> units;
    for (int i = 0; i < 7; ++i)
        units.push_back(Unit(player, 4 + 3 * i, 20));
    LeftClick(Over(units[0]));
    ASSERT_EQ(Selection().GetCount(), 1);
    Key(platform::VK_CONTROL, true);
    for (int i = 1; i < 7; ++i)
        LeftClick(Over(units[i]));
    EXPECT_EQ(Selection().GetCount(), 6);
    EXPECT_EQ(units[6]->selected, 0);
    EXPECT_EQ(units[5]->selected, 1);
    // Ctrl on a selected unit takes it out again.
    LeftClick(Over(units[2]));
    EXPECT_EQ(Selection().GetCount(), 5);
    EXPECT_EQ(units[2]->selected, 0);
    Key(platform::VK_CONTROL, false);
    // A plain click starts over with the one unit.
    LeftClick(Over(units[6]));
    EXPECT_EQ(Selection().GetCount(), 1);
    EXPECT_EQ(units[0]->selected, 0);
    EXPECT_EQ(units[6]->selected, 1);

    // Two rows of units: the drag walks rows, then columns, and stops at six.
    Troop* upper = Unit(player, 15, 18);
    Troop* enemyInBox = Unit(enemy, 12, 18);
    GameController& c = *TheGameController;
    c.dragging = 1;
    c.dragStartX = 0;
    c.dragStartY = 18 * 20 - 30;
    Point end(799, 20 * 20 + 10);
    LeftClick(end);
    EXPECT_EQ(Selection().GetCount(), 6);
    std::vector<Troop*> got;
    for (uintptr_t v = Selection().First(); v != 0; v = Selection().Next())
        got.push_back(reinterpret_cast<Troop*>(v));
    const std::vector<Troop*> expected = {upper, units[0], units[1], units[2], units[3], units[4]};
    EXPECT_EQ(got, expected);
    EXPECT_EQ(enemyInBox->selected, 0);
    EXPECT_EQ(c.lastOrderX, -1);
}

TEST_F(Pointer, RightPressesRelayOrdersByClassAndTheSameCellOnlyOnce) {
    Troop* own = Unit(player, 10, 20);
    Troop* foe = Unit(enemy, 20, 20);
    view->SelectUnit(own);
    const Point ground(300, 200);
    RightPress(ground);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].code, 2);
    EXPECT_EQ(sent[0].troop, own->UnitId());
    EXPECT_EQ(sent[0].x, 300 / 40);
    EXPECT_EQ(sent[0].y, 200 / 20);
    // The same cell again gives nothing new.
    RightPress(Point(ground.x + 3, ground.y + 2));
    EXPECT_EQ(sent.size(), 1u);
    // An enemy unit is attacked.
    RightPress(Over(foe));
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].code, 4);
    EXPECT_EQ(sent[1].target, foe->UnitId());
    // Shift on open ground: the move-to order.
    Key(platform::VK_SHIFT, true);
    RightPress(Point(500, 300));
    Key(platform::VK_SHIFT, false);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[2].code, 7);
    // A right press in a command mode ends the mode and still orders.
    view->commandMode = 2;
    RightPress(Point(100, 400));
    EXPECT_EQ(view->commandMode, 0);
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[3].code, 2);
    // In work mode no order leaves.
    TheGameController->workMode = 1;
    RightPress(Point(700, 100));
    EXPECT_EQ(sent.size(), 4u);
}

// In the map's alternate mode the player's own units follow the ordinary order rules: an enemy
// under the pointer is attacked, open ground is walked to.
TEST_F(Pointer, TheAlternateModeGivesOwnUnitsTheirOrdinaryOrders) {
    Troop* own = Unit(player, 10, 20);
    Troop* foe = Unit(enemy, 20, 20);
    view->SelectUnit(own);
    TheBattleMap->alternateMode = 1;
    RightPress(Over(foe));
    RightPress(Point(300, 200));
    TheBattleMap->alternateMode = 0;
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].code, 4);
    EXPECT_EQ(sent[0].target, foe->UnitId());
    EXPECT_EQ(sent[1].code, 2);
}

// In group mode a unit of the chosen group is moved by its formation unless the formation is of
// kind 5 or the unit keeps its own place; units of other groups move.
TEST_F(Pointer, InGroupModeTheChosenGroupMovesByItsFormation) {
    Troop* member = Unit(player, 10, 20);
    Troop* follower = Unit(player, 11, 20);
    Troop* outsider = Unit(player, 12, 20);
    member->hotKeyGroup = follower->hotKeyGroup = 3;
    follower->formationFollow = 1;
    outsider->hotKeyGroup = 4;
    Key(platform::VK_CONTROL, true);
    for (Troop* t : {member, follower, outsider})
        view->SelectUnit(t);
    Key(platform::VK_CONTROL, false);
    GameController& c = *TheGameController;
    ASSERT_NE(c.groupHeaders[3], nullptr);
    GameController::GroupHeader& header = *c.groupHeaders[3];
    const struct {
        uint8_t formation;
        std::vector<uint32_t> moved;
    } cases[] = {{1, {follower->UnitId(), outsider->UnitId()}},
                 {5, {member->UnitId(), follower->UnitId(), outsider->UnitId()}}};
    int x = 100;
    for (const auto& k : cases) {
        header.b1 = k.formation;
        c.currentGroup = 3;
        c.groupCommandMode = 1;
        sent.clear();
        RightPress(Point(x += 80, 300));
        std::vector<uint32_t> moved;
        for (const TroopCommand& m : sent)
            if (m.code == 2) moved.push_back(m.troop);
        std::sort(moved.begin(), moved.end());
        std::vector<uint32_t> expected = k.moved;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(moved, expected) << int(k.formation);
    }
}

TEST_F(Pointer, TheMoveOrderModeSendsEveryMarkedUnitToTheClickedCell) {
    Troop* a = Unit(player, 10, 20);
    Troop* b2 = Unit(player, 12, 20);
    Key(platform::VK_CONTROL, true);
    view->SelectUnit(a);
    view->SelectUnit(b2);
    Key(platform::VK_CONTROL, false);
    TheGameController->moveOrderMode = 1;
    LeftClick(Point(600, 400));
    EXPECT_EQ(TheGameController->moveOrderMode, 0);
    ASSERT_EQ(sent.size(), 2u);
    for (const TroopCommand& c : sent) {
        EXPECT_EQ(c.code, 7);
        EXPECT_EQ(c.x, 600 / 40);
        EXPECT_EQ(c.y, 400 / 20);
    }
}

} // namespace

namespace {

// A foreign castle gate whose picture (tile 4000, 40 x 40, anchored 20 left and 30 up) stands on
// cell (10, 40), anchored at unit cell (10, 20).
struct Gates : Pointer {
    CastleGate* gate = new CastleGate;
    Gates() {
        b.store = std::make_unique<ResourceStore>();
        TheResourceStore = b.store.get();
        ResourceStore& store = *TheResourceStore;
        store.spriteCount = 4001;
        store.sprites = new KingdomSprite*[4001]();
        store.sprites[4000] = new KingdomSprite{20, 30, 40, 40, 0};
        TheBattleMap->CellAt(10, 40)->overlayTile = 4000;
        gate->ownerSide = 2;
        gate->cellX = 10;
        gate->cellY = 20;
        gate->maxStrength = 8 * 250;
        for (int i = 0; i < 8; ++i) {
            gate->pieces[i] = new Troop(0, 0, 0, 0, 2, 0, 0, b.Officer(2, 1, 17));
            gate->pieces[i]->officer->Set(OfficerLayout::kHp, 100);
        }
        gate->strengthTotal = 800;
        enemy->gates.Add(uintptr_t(gate));
    }
    ~Gates() override {
        ResourceStore& store = *TheResourceStore;
        delete store.sprites[4000];
        delete[] store.sprites;
        store.sprites = nullptr;
        store.spriteCount = 0;
    }
    // Over the gate picture: the cell's bottom centre is (400, 410).
    Point OverGate() const { return Point(410, 400); }
};

TEST_F(Gates, AHoveredGateGivesItsShapeAPieceAndTheOrderTarget) {
    Troop* own = Unit(player, 30, 5);
    view->SelectUnit(own);
    Hover(OverGate());
    EXPECT_EQ(TheGameController->hoveredGate, gate);
    EXPECT_EQ(cursor->shapeIndex, 2) << "a gate of a side at war";
    const auto* piece = static_cast<const Troop*>(view->hoveredObject);
    EXPECT_TRUE(piece == gate->pieces[0] || piece == gate->pieces[1] || piece == gate->pieces[2] ||
                piece == gate->pieces[3]);
    // In a network game every station names the same piece: the strength total mod 4.
    gate->strengthTotal = 803;
    Hover(OverGate());
    EXPECT_EQ(view->hoveredObject, gate->pieces[3]);
    gate->boundUnit = 7;
    Hover(OverGate());
    EXPECT_EQ(cursor->shapeIndex, 3) << "a gate bound to a unit";
    // The order goes against the fourth piece.
    RightPress(OverGate());
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].code, 4);
    EXPECT_EQ(sent[0].target, gate->pieces[3]->UnitId());
    // Away from the picture there is no gate.
    Hover(Point(700, 100));
    EXPECT_EQ(TheGameController->hoveredGate, nullptr);
}

TEST_F(Gates, TheGateBarShowsStrengthWithoutRewritingTheGatesTotal) {
    uint8_t bar[400];
    gate->strengthTotal = 1000;                            // half of 8 x 250
    gate->pieces[0]->officer->Set(OfficerLayout::kHp, 50); // the pieces' sum (750) is below the maximum
    MapView::FillGateBar(bar, *gate);
    EXPECT_EQ(bar[49], 15);
    EXPECT_EQ(bar[50], 254);
    EXPECT_EQ(bar[99], 254);
    EXPECT_EQ(bar[3 * 100 + 10], 15);
    EXPECT_EQ(gate->strengthTotal, 1000);
    for (Troop* p : gate->pieces)
        p->officer->Set(OfficerLayout::kHp, 250);
    MapView::FillGateBar(bar, *gate);
    EXPECT_EQ(bar[50], 0) << "at full strength the rest stays empty";
    // A parameter file that gives the gate strength as 0 still draws a bar.
    const int32_t keep = GameParams().siteRows[3][1];
    GameParams().siteRows[3][1] = 0;
    MapView::FillGateBar(bar, *gate);
    EXPECT_EQ(bar[99], 15);
    GameParams().siteRows[3][1] = keep;
    // Drawing the frame with the gate hovered leaves its total alone.
    TheGameController->hoveredGate = gate;
    view->DrawObjects();
    EXPECT_EQ(gate->strengthTotal, 1000);
    EXPECT_EQ(TheGameController->markerFrames[0]->data[0], 15);
}

} // namespace

namespace {

TEST_F(Pointer, ACommandModeClickMarksOrCommandsTheUnitAndStaysSet) {
    TheGameController->networked = 0; // single play: the city operation applies here
    Troop* own = Unit(player, 10, 20);
    Troop* strong = Unit(enemy, 20, 20);
    strong->officer->Set(OfficerLayout::kStrength, 80);
    Troop* weak = Unit(enemy, 30, 20);
    weak->officer->Set(OfficerLayout::kStrength, 70);
    const struct {
        Troop* unit;
        uint16_t mode;
        int16_t marker;
    } cases[] = {{own, 2, 16}, {strong, 2, 17}, {weak, 2, 16}, {own, 3, 6}};
    for (const auto& c : cases) {
        view->commandMode = c.mode;
        LeftClick(Over(c.unit));
        ASSERT_NE(c.unit->attachedEffects[2], nullptr);
        EXPECT_EQ(c.unit->attachedEffects[2]->id, c.marker);
        EXPECT_EQ(view->commandMode, c.mode) << "the mode stays set";
    }
    // Mode 1 on an own unit of the city, standing on the map, makes it the city's led troop.
    City* city = b.AddCity(player, 5, 5);
    city->unitsShown = 1; // its units belong to the map
    own->garrison = 1;
    city->units.Add(uintptr_t(own));
    view->currentCity = city;
    view->commandMode = 1;
    LeftClick(Over(own));
    EXPECT_EQ(city->currentUnit, own);
    EXPECT_EQ(TheGameController->lastOrderX, -1);
    city->currentUnit = nullptr;
    // Mode 6 on a person standing by the city's kind-5 sub-castle costs it loyalty and the city gold.
    auto* sub = new SubCastle(0);
    sub->SetInt(SubCastleLayout::kKind, 5);
    city->subCastles.Add(uintptr_t(sub));
    Troop* person = Unit(player, 30, 30);
    player->fieldUnits.RemoveValue(uintptr_t(person));
    sub->secondUnits.Add(uintptr_t(person));
    person->garrison = 2;
    person->officer->Set(OfficerLayout::kLoyalty, 50);
    city->SetInt(CityLayout::kGold, 300);
    view->commandMode = 6;
    LeftClick(Over(person));
    EXPECT_EQ(person->officer->Get(OfficerLayout::kLoyalty), 48);
    EXPECT_EQ(city->Int(CityLayout::kGold), 200);
}

} // namespace

namespace {

gamefiles::AniFrameSpec MarkerFrame() {
    gamefiles::AniFrameSpec f;
    f.w = f.h = 1;
    f.pixels = {0xFFFF};
    f.mask = {255};
    return f;
}

// A client's command-mode click: the city operation of mode 1 goes to the host at once; the
// markers of modes 2 and 3 send their operation when they have played, the greater kinds nothing.
TEST_F(Pointer, CommandModeOperationsTravelToTheHost) {
    Troop* own = Unit(player, 10, 20);
    Troop* strong = Unit(enemy, 20, 20);
    strong->officer->Set(OfficerLayout::kStrength, 80);
    for (Troop* t : {own, strong})
        t->garrison = 2; // standing by a sub-castle of the city
    City* city = b.AddCity(player, 5, 5);
    view->currentCity = city;
    struct Case {
        Troop* unit;
        uint16_t mode;
        int16_t marker; // -1 none
        std::vector<uint32_t> atClick, atEnd;
    };
    // The markers' two-frame animations, one tick a frame.
    gamefiles::WriteBytes("Ok.ani", gamefiles::AniFile({MarkerFrame(), MarkerFrame()}));
    gamefiles::WriteBytes("No.ani", gamefiles::AniFile({MarkerFrame(), MarkerFrame()}));
    b.store = std::make_unique<ResourceStore>();
    TheResourceStore = b.store.get();
    const Case cases[] = {
        {own, 1, -1, {0, 1, own->UnitId()}, {}},
        {own, 2, 16, {}, {0, 2, own->UnitId()}},
        {own, 3, 6, {}, {0, 3, own->UnitId()}},
        {strong, 2, 17, {}, {}},
    };
    auto sent = [] {
        std::vector<uint32_t> fields;
        for (const auto& c : testsupport::SentCommands())
            if (c.code == kSubCommandCode && c.payload[0] == kSubUnitAction)
                fields = *UnpackSubCommand(c.payload);
        return fields;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        testsupport::CaptureSentCommands();
        view->commandMode = c.mode;
        LeftClick(Over(c.unit));
        EXPECT_EQ(sent(), c.atClick);
        EXPECT_EQ(city->currentUnit, nullptr) << "a client only sends";
        Zu_SkillEffect* marker = c.unit->attachedEffects[2];
        if (c.marker < 0) continue;
        ASSERT_NE(marker, nullptr);
        EXPECT_EQ(marker->id, c.marker);
        // Drawing the unit plays its marker; the ended marker is let go and sends nothing more.
        int frames = 0;
        for (; frames < 100 && c.unit->attachedEffects[2]; ++frames)
            view->DrawTroop(c.unit);
        EXPECT_EQ(frames, 2) << "the second of two frames ends it and it goes";
        EXPECT_EQ(sent(), c.atEnd);
        testsupport::CaptureSentCommands();
        for (int i = 0; i < 5; ++i)
            view->DrawTroop(c.unit);
        EXPECT_TRUE(sent().empty());
    }
}

// Mode 3 on the ruler of a kingdom: a ruler holds out while either of the kingdom's two state
// words is 0, whatever its strength.
TEST_F(Pointer, AHeldOutRulerTakesTheGreaterMarker) {
    TheGameController->networked = 0;
    Troop* ruler = Unit(player, 10, 20);
    ruler->officer->Set(OfficerLayout::kPersonNumber, 77);
    trooptest::Battle::SetKingdomValue(player, KingdomLayout::kPersonNumber, 77);
    const struct {
        int32_t words[2];
        int32_t person;
        int16_t marker;
    } cases[] = {{{0, 0}, 77, 7}, {{1, 0}, 77, 7}, {{0, 1}, 77, 7}, {{1, 1}, 77, 6}, {{0, 0}, 78, 6}};
    for (const auto& c : cases) {
        player->setterWords[0] = c.words[0];
        player->setterWords[1] = c.words[1];
        ruler->officer->Set(OfficerLayout::kPersonNumber, c.person);
        view->commandMode = 3;
        LeftClick(Over(ruler));
        ASSERT_NE(ruler->attachedEffects[2], nullptr);
        EXPECT_EQ(ruler->attachedEffects[2]->id, c.marker) << c.words[0] << c.words[1] << c.person;
    }
}

TEST_F(Pointer, APressDraggedAcrossUnitsSelectsThemOnRelease) {
    Troop* a = Unit(player, 5, 20);
    Troop* c2 = Unit(player, 8, 20);
    Point start(100, 330), wobble(101, 331), end(400, 420);
    view->OnControlPress(view->panel, &start);
    Hover(wobble);
    EXPECT_EQ(TheGameController->dragging, 0) << "a wobble is still a click";
    Hover(end);
    EXPECT_EQ(TheGameController->dragging, 1);
    LeftClick(end);
    EXPECT_EQ(TheGameController->dragging, 0);
    EXPECT_EQ(Selection().GetCount(), 2);
    EXPECT_EQ(a->selected, 1);
    EXPECT_EQ(c2->selected, 1);
}

} // namespace
