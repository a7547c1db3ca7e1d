#include "GuiTestSupport.h"

#include "Program/GameController.h"
#include "Program/Startup.h"
#include "gui/GuiLayout.h"
#include "world/MapView.h"
#include "world/Zu_SkillEffect.h"

#include <optional>

namespace {

// A battle under way on a 100 x 100 cell view range, the view well inside it.
class CursorTest : public GuiRootFixture {
protected:
    void SetUp() override {
        GuiRootFixture::SetUp();
        controller = new GameController;
        TheGameController = controller;
        view = new MapView;
        view->scrollMinX = 0;
        view->scrollMinY = 0;
        view->scrollMaxX = 100;
        view->scrollMaxY = 100;
        controller->gameScreen = view;
        controller->mode = 1;
        controller->gameKind = 0;
        SetView(10, 10, 50, 50);
        cursor = TheMouseCursor;
        EdgeCounter = 0;
    }
    void TearDown() override {
        BindCursorHoldWords(nullptr, nullptr, nullptr);
        SetModalBusyQuery(nullptr);
        controller->gameScreen = nullptr;
        delete view;
        controller->FreeResources();
        TheGameController = nullptr;
        delete controller;
        GuiRootFixture::TearDown();
    }
    void SetView(int l, int t, int r, int b) {
        controller->viewLeft = l;
        controller->viewTop = t;
        controller->viewRight = r;
        controller->viewBottom = b;
    }
    // One mouse message at a screen point; the queued record, if any.
    std::optional<GuiMessage> Feed(int x, int y, uint32_t id = platform::WM_MOUSEMOVE) {
        controller->mouseX = x;
        controller->mouseY = y;
        cursor->OnMouseMessage(id);
        GuiMessage* m = TheGuiMessageQueue->Take();
        if (!m) return std::nullopt;
        GuiMessage copy(*m);
        delete m;
        EXPECT_TRUE(TheGuiMessageQueue->IsEmpty());
        return copy;
    }
    void ResetEdge() {
        controller->scrollRequest = 0;
        EdgeCounter = 0;
        cursor->shapeLocked = 0;
        cursor->edgeCode = 0;
        cursor->SetShape(0);
    }

    GameController* controller = nullptr;
    MapView* view = nullptr;
    MouseCursor* cursor = nullptr;
};

TEST_F(CursorTest, EachMouseMessageIdGivesOneRecordOfItsKind) {
    controller->mode = 0;
    const struct {
        uint32_t id;
        uint16_t kind;
    } cases[] = {{0x200, 1}, {0x201, 2}, {0x202, 3}, {0x008, 4},
                 {0x204, 5}, {0x205, 6}, {0x203, 0}, {0x100, 0}};
    for (const auto& c : cases) {
        auto m = Feed(123, 456, c.id);
        ASSERT_TRUE(m.has_value()) << c.id;
        EXPECT_EQ(m->kind, c.kind) << c.id;
        EXPECT_EQ(m->source, cursor);
        EXPECT_EQ(m->target, nullptr);
        EXPECT_EQ(m->param, 0u);
        EXPECT_EQ(m->point.x, 123);
        EXPECT_EQ(m->point.y, 456);
        EXPECT_EQ(m->context, 0u);
    }
    EXPECT_EQ(cursor->x, 123);
    EXPECT_EQ(cursor->shape->x, 123) << "the shape object follows";
}

TEST_F(CursorTest, MessagesAreDroppedWhileInactiveHeldOrBusy) {
    controller->mode = 0;
    ActiveFlag = 0;
    EXPECT_FALSE(Feed(300, 300).has_value());
    EXPECT_NE(cursor->x, 300) << "an inactive program does not even move the cursor";
    ActiveFlag = 1;

    int32_t hold1 = 1, hold2 = 0, edgeHold = 0;
    BindCursorHoldWords(&hold1, &hold2, &edgeHold);
    EXPECT_FALSE(Feed(310, 310).has_value());
    EXPECT_EQ(cursor->x, 310) << "held input still moves the cursor";
    hold1 = 0;
    hold2 = 1;
    EXPECT_FALSE(Feed(320, 320).has_value());
    hold2 = 0;
    static int busy = 1;
    SetModalBusyQuery([] { return busy; });
    EXPECT_FALSE(Feed(330, 330).has_value());
    busy = 0;
    EXPECT_TRUE(Feed(340, 340).has_value());
}

TEST_F(CursorTest, PositionIsKeptOnTheScreenAndInsideTheDragAreaWhileAPanelIsDragged) {
    controller->mode = 0;
    auto m = Feed(800, 650);
    EXPECT_EQ(cursor->x, 796);
    EXPECT_EQ(cursor->y, 596);
    EXPECT_EQ(m->point.x, 796);

    cursor->panelDrag = 1;
    m = Feed(5, 590);
    EXPECT_EQ(cursor->x, 32);
    EXPECT_EQ(cursor->y, 560);
    EXPECT_EQ(m->point.x, 32);
    EXPECT_EQ(m->point.y, 560);
    m = Feed(790, 10);
    EXPECT_EQ(m->point.x, 760);
    EXPECT_EQ(m->point.y, 32);
}

TEST_F(CursorTest, EdgeZonesGiveTheirCodesAndArrows) {
    const struct {
        int x, y, code, shape;
    } cases[] = {
        {400, 0, 38, 10},   {100, 0, 36, 9},    {700, 0, 33, 11}, {400, 599, 40, 15}, {100, 598, 35, 14},
        {700, 598, 34, 16}, {5, 300, 37, 12},   {5, 100, 36, 9},  {5, 500, 35, 14},   {799, 300, 39, 13},
        {799, 100, 33, 11}, {799, 500, 34, 16}, {5, 0, 36, 9},    {400, 300, 0, 0},   {11, 300, 0, 0},
        {797, 300, 0, 0},   {400, 595, 0, 0},
    };
    for (const auto& c : cases) {
        ResetEdge();
        Feed(c.x, c.y);
        EXPECT_EQ(cursor->edgeCode, c.code) << c.x << "," << c.y;
        EXPECT_EQ(cursor->shapeIndex, c.shape) << c.x << "," << c.y;
        EXPECT_EQ(cursor->shapeLocked, 0);
        EXPECT_EQ(controller->scrollRequest, 0) << "one message only counts";
    }
}

TEST_F(CursorTest, ScrollingStartsOnTheThirdMessageAtTheEdgeAndStopsWhenTheCursorLeaves) {
    Feed(400, 0);
    Feed(400, 0);
    EXPECT_EQ(controller->scrollRequest, 0);
    Feed(400, 0);
    EXPECT_EQ(controller->scrollRequest, 38);
    Feed(5, 300);
    EXPECT_EQ(controller->scrollRequest, 37) << "already scrolling: follows the edge at once";
    Feed(400, 300);
    EXPECT_EQ(controller->scrollRequest, 0);
    EXPECT_EQ(EdgeCounter, 0);
    Feed(400, 0);
    EXPECT_EQ(controller->scrollRequest, 0) << "the count starts again";

    ResetEdge();
    Feed(400, 0);
    Feed(400, 0);
    Feed(400, 300);
    Feed(400, 0);
    EXPECT_EQ(controller->scrollRequest, 0) << "leaving the edge before scrolling restarts the count";

    ResetEdge();
    controller->scrollRequest = MouseCursor::kScrollIdle;
    for (int i = 0; i < 3; ++i)
        Feed(799, 300);
    EXPECT_EQ(controller->scrollRequest, 39) << "the idle value counts as not scrolling";
    Feed(799, 598);
    EXPECT_EQ(cursor->shape->x, 750) << "the arrow stays visible while scrolling";
    EXPECT_EQ(cursor->shape->y, 550);
}

TEST_F(CursorTest, AtAScrollLimitTheBlockedShapeIsLockedAndNothingScrolls) {
    const struct {
        int x, y;
        int l, t, r, b;
        bool blocked;
    } cases[] = {
        {5, 300, 0, 10, 50, 50, true},     {5, 300, 1, 10, 50, 50, false},
        {400, 0, 10, 0, 50, 50, true},     {799, 300, 10, 10, 99, 50, true},
        {799, 300, 10, 10, 98, 50, false}, {400, 599, 10, 10, 50, 100, true},
        {100, 0, 10, 0, 50, 50, false},    {100, 0, 0, 0, 50, 50, true},
        {700, 0, 10, 0, 99, 50, true},     {700, 0, 10, 0, 98, 50, false},
        {100, 598, 0, 10, 50, 100, true},  {100, 598, 1, 10, 50, 100, false},
        {700, 598, 10, 10, 99, 100, true}, {700, 598, 10, 10, 99, 99, false},
    };
    for (const auto& c : cases) {
        ResetEdge();
        SetView(c.l, c.t, c.r, c.b);
        for (int i = 0; i < 4; ++i)
            Feed(c.x, c.y);
        const std::string where = std::to_string(c.x) + "," + std::to_string(c.y) + " view " +
                                  std::to_string(c.l) + "," + std::to_string(c.t) + "," +
                                  std::to_string(c.r) + "," + std::to_string(c.b);
        if (c.blocked) {
            EXPECT_EQ(cursor->shapeIndex, MouseCursor::kShapeBlocked) << where;
            EXPECT_EQ(cursor->shapeLocked, 1) << where;
            EXPECT_EQ(cursor->edgeCode, 0) << where;
            EXPECT_EQ(controller->scrollRequest, 0) << where;
        } else {
            EXPECT_NE(cursor->shapeIndex, MouseCursor::kShapeBlocked) << where;
            EXPECT_NE(controller->scrollRequest, 0) << where;
        }
    }
}

TEST_F(CursorTest, HoldsAndOtherModesStopTheEdgeScroll) {
    int32_t hold1 = 0, hold2 = 0, edgeHold = 1;
    BindCursorHoldWords(&hold1, &hold2, &edgeHold);
    controller->scrollRequest = 38;
    Feed(400, 0);
    EXPECT_EQ(controller->scrollRequest, 0);
    EXPECT_EQ(cursor->shapeLocked, 1);

    edgeHold = 0;
    hold2 = 1;
    ResetEdge();
    controller->scrollRequest = 38;
    cursor->SetShape(5);
    cursor->UpdateEdgeScroll();
    EXPECT_EQ(controller->scrollRequest, 0);
    EXPECT_EQ(cursor->shapeIndex, MouseCursor::kShapeArrow);
    controller->gameKind = 2;
    controller->scrollRequest = 38;
    cursor->y = 300;
    cursor->UpdateEdgeScroll();
    EXPECT_EQ(controller->scrollRequest, 0) << "a team game ignores the hold; no edge now stops the scroll";
    hold2 = 0;

    ResetEdge();
    controller->dragging = 1;
    Feed(400, 0);
    Feed(400, 0);
    Feed(400, 0);
    EXPECT_EQ(cursor->edgeCode, 0) << "no edge scrolling while a selection box is dragged";
    EXPECT_EQ(controller->scrollRequest, 0);
    controller->dragging = 0;

    ResetEdge();
    controller->mode = 0;
    cursor->edgeCode = 35;
    Feed(400, 0);
    EXPECT_EQ(cursor->edgeCode, 35) << "outside a battle everything stays as it was";
}

TEST_F(CursorTest, CheckedShapesRespectScrollingAndTheLock) {
    ResetEdge();
    controller->scrollRequest = 38;
    cursor->SetShapeChecked(3);
    EXPECT_EQ(cursor->shapeIndex, 0) << "not while scrolling";
    cursor->SetShapeChecked(MouseCursor::kShapeBlocked);
    EXPECT_EQ(cursor->shapeIndex, 17) << "the blocked shape always";
    cursor->SetShape(3);
    EXPECT_EQ(cursor->shapeIndex, 3);
    EXPECT_EQ(cursor->shape, CursorShapes[3]);

    controller->scrollRequest = 0;
    cursor->shape->x = 321;
    cursor->shape->y = 123;
    cursor->SetShapeChecked(4);
    EXPECT_EQ(cursor->shape, CursorShapes[4]);
    EXPECT_EQ(cursor->shape->x, 321) << "the new shape takes the old one's place";
    EXPECT_EQ(cursor->shape->y, 123);

    cursor->shapeLocked = 1;
    cursor->SetShapeChecked(MouseCursor::kShapeBlocked);
    EXPECT_EQ(cursor->shapeIndex, 4);
    cursor->shapeLocked = 0;

    Zu_SkillEffect* kept = cursor->shape;
    cursor->shape = nullptr;
    cursor->SetShapeChecked(6);
    EXPECT_EQ(cursor->frameSet, 6) << "without a shape object the store's frame set is chosen";
    cursor->shape = kept;
}

TEST_F(CursorTest, ADragImageHalfOffTheScreenIsDrawnClipped) {
    const int32_t oldState = StartupState;
    StartupState = 2;
    GuiImage picture;
    picture.width = 20;
    picture.height = 10;
    cursor->SetImage(&picture);
    cursor->SetDragPayload(77, 5);
    EXPECT_EQ(cursor->hotX, 10);
    EXPECT_EQ(cursor->hotY, 5);

    const struct {
        int x, y, srcX, srcY, w, h, dstX, dstY;
    } cases[] = {
        {4, 100, 6, 0, 14, 10, 0, 95},      {300, 2, 0, 3, 20, 7, 290, 0},
        {795, 100, 0, 0, 15, 10, 785, 95},  {300, 598, 0, 0, 20, 7, 290, 593},
        {300, 300, 0, 0, 20, 10, 290, 295},
    };
    for (const auto& c : cases) {
        cursor->x = static_cast<int16_t>(c.x);
        cursor->y = static_cast<int16_t>(c.y);
        cursor->Draw();
        EXPECT_EQ(cursor->blitSrcX, c.srcX) << c.x << "," << c.y;
        EXPECT_EQ(cursor->blitSrcY, c.srcY) << c.x << "," << c.y;
        EXPECT_EQ(cursor->blitWidth, c.w) << c.x << "," << c.y;
        EXPECT_EQ(cursor->blitHeight, c.h) << c.x << "," << c.y;
        EXPECT_EQ(cursor->blitDstX, c.dstX) << c.x << "," << c.y;
        EXPECT_EQ(cursor->blitDstY, c.dstY) << c.x << "," << c.y;
    }
    EXPECT_EQ(cursor->prevX, 300) << "the shape object is drawn too";

    cursor->ClearImage();
    EXPECT_EQ(cursor->image, nullptr);
    EXPECT_EQ(cursor->dragPayload, 0u);
    EXPECT_EQ(cursor->blitHeight, 0);

    cursor->x = 10;
    StartupState = 0;
    cursor->Draw();
    EXPECT_EQ(cursor->prevX, 300) << "nothing is drawn before the message loop runs";
    StartupState = oldState;
}

} // namespace
