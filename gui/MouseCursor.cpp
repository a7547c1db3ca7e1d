#include "gui/MouseCursor.h"

#include "Program/GameController.h"
#include "Program/MainWindow.h"
#include "Program/ScreenSettings.h"
#include "Program/Startup.h"
#include "Program/Zu_StageSet.h"
#include "engine/DisplayDevice.h"
#include "gui/GuiLayout.h"
#include "gui/GuiMessage.h"
#include "gui/InputQueue.h"
#include "gui/Widget.h"
#include "platform/Messages.h"
#include "world/BattleMap.h"
#include "world/MapView.h"
#include "world/Zu_SkillEffect.h"

#include <algorithm>

MouseCursor* TheMouseCursor = nullptr;
Zu_SkillEffect* CursorShapes[MouseCursor::kShapeCount] = {};
int32_t EdgeCounter = 0;

namespace {

const int32_t* HoldWord1 = nullptr;
const int32_t* HoldWord2 = nullptr;
const int32_t* EdgeHoldWord = nullptr;
int (*ModalBusy)() = nullptr;

int32_t Read(const int32_t* word) {
    return word ? *word : 0;
}

bool ModalObjectBusy() {
    return ModalBusy && ModalBusy() != 0;
}

int32_t ScreenWidth() {
    return TheScreenSettings ? TheScreenSettings->screenWidth : 800;
}

int32_t ScreenHeight() {
    return TheScreenSettings ? TheScreenSettings->screenHeight : 600;
}

int32_t StageResult() {
    return TheBattleMap && TheBattleMap->stageSet ? TheBattleMap->stageSet->result : 0;
}

} // namespace

void BindCursorHoldWords(const int32_t* inputHold1, const int32_t* inputHold2,
                         const int32_t* edgeScrollHold) {
    HoldWord1 = inputHold1;
    HoldWord2 = inputHold2;
    EdgeHoldWord = edgeScrollHold;
}

void SetModalBusyQuery(int (*query)()) {
    ModalBusy = query;
}

MouseCursor::MouseCursor() {
    for (int n = 0; n < kShapeCount; ++n) {
        delete CursorShapes[n];
        CursorShapes[n] = new Zu_SkillEffect(0, static_cast<int16_t>(n), 600, 500);
    }
    shape = CursorShapes[0];
}

MouseCursor::~MouseCursor() {
    for (auto*& entry : CursorShapes) {
        delete entry;
        entry = nullptr;
    }
    shape = nullptr;
}

void MouseCursor::OnMouseMessage(uint32_t messageId) {
    GuiMessage message;
    if (!ActiveFlag) return;

    int32_t px = TheGameController ? TheGameController->mouseX : x;
    int32_t py = TheGameController ? TheGameController->mouseY : y;
    if (px >= ScreenWidth()) px = ScreenWidth() - 4;
    if (py >= ScreenHeight()) py = ScreenHeight() - 4;
    x = static_cast<int16_t>(px);
    y = static_cast<int16_t>(py);
    if (shape) {
        shape->x = x;
        shape->y = y;
    }

    if (panelDrag == 1) {
        x = static_cast<int16_t>(std::clamp<int32_t>(x, 32, 760));
        y = static_cast<int16_t>(std::clamp<int32_t>(y, 32, 560));
        message.point.Set(x, y);
    } else {
        UpdateEdgeScroll();
        message.point.Set(px, py);
    }

    if (captured) {
        message.target = captured;
        message.param = 1;
        message.point.Offset(-captureOffset.x, -captureOffset.y);
    }
    message.source = this;

    if (Read(HoldWord1) || Read(HoldWord2) || ModalObjectBusy()) return;

    switch (messageId) {
    case platform::WM_MOUSEMOVE:
        message.kind = GuiMessage::kMouseMove;
        break;
    case platform::WM_LBUTTONDOWN:
        message.kind = GuiMessage::kLeftDown;
        break;
    case platform::WM_LBUTTONUP:
        message.kind = GuiMessage::kLeftUp;
        break;
    case platform::WM_KILLFOCUS:
        message.kind = GuiMessage::kFocusLost;
        break;
    case platform::WM_RBUTTONDOWN:
        message.kind = GuiMessage::kRightDown;
        break;
    case platform::WM_RBUTTONUP:
        message.kind = GuiMessage::kRightUp;
        break;
    default:
        break;
    }
    if (TheGuiMessageQueue) TheGuiMessageQueue->PostCopy(message);
}

int MouseCursor::Capture(Widget* widget, uintptr_t) {
    if (captured) return 0;
    captured = widget;
    captureOffset.Set(0, 0);
    for (Widget* a = widget ? widget->GetParent() : nullptr; a; a = a->GetParent())
        captureOffset.Offset(a->rect.left, a->rect.top);
    return 1;
}

void MouseCursor::ReleaseCapture() {
    captured = nullptr;
    panelDrag = 0;
}

void MouseCursor::UpdateEdgeScroll() {
    GameController* c = TheGameController;
    if (Read(EdgeHoldWord)) {
        if (c) c->scrollRequest = 0;
        shapeLocked = 1;
        return;
    }
    if (!c || c->mode != 1) return;
    if (c->gameKind != 2 && (Read(HoldWord2) || StageResult() != 0)) {
        c->scrollRequest = 0;
        SetShapeChecked(kShapeArrow);
        return;
    }
    if (ModalObjectBusy()) {
        c->scrollRequest = 0;
        shapeLocked = 1;
        return;
    }
    edgeCode = 0;
    shapeLocked = 0;
    if (c->dragging) return;

    const int32_t w = ScreenWidth();
    const int32_t h = ScreenHeight();
    if (y == 0) edgeCode = x < 250 ? 36 : x > w - 250 ? 33 : 38;
    if (y > 595) edgeCode = x < 250 ? 35 : x > w - 250 ? 34 : 40;
    if (x < 11) edgeCode = y < 200 ? 36 : y > h - 200 ? 35 : 37;
    if (x > 797) edgeCode = y < 200 ? 33 : y > h - 200 ? 34 : 39;

    if (edgeCode != 0) {
        bool canScroll = true;
        int direction = 0;
        if (const MapView* v = c->gameScreen) {
            const bool atTop = c->viewTop == v->scrollMinY;
            const bool atLeft = c->viewLeft == v->scrollMinX;
            const bool rightOpen = c->viewRight < v->scrollMaxX - 1;
            const bool bottomOpen = c->viewBottom < v->scrollMaxY;
            switch (edgeCode) {
            case 36:
                canScroll = !(atTop && atLeft);
                break;
            case 38:
                canScroll = !atTop;
                break;
            case 33:
                canScroll = !(atTop && !rightOpen);
                break;
            case 37:
                canScroll = !atLeft;
                break;
            case 39:
                canScroll = rightOpen;
                break;
            case 35:
                canScroll = bottomOpen || !atLeft;
                break;
            case 40:
                canScroll = bottomOpen;
                break;
            case 34:
                canScroll = bottomOpen || rightOpen;
                break;
            default:
                break;
            }
        }
        switch (edgeCode) {
        case 36:
            direction = 9;
            break;
        case 38:
            direction = 10;
            break;
        case 33:
            direction = 11;
            break;
        case 37:
            direction = 12;
            break;
        case 39:
            direction = 13;
            break;
        case 35:
            direction = 14;
            break;
        case 40:
            direction = 15;
            break;
        case 34:
            direction = 16;
            break;
        default:
            break;
        }
        if (canScroll) {
            SetShape(direction);
        } else {
            SetShapeChecked(kShapeBlocked);
            shapeLocked = 1;
            edgeCode = 0;
        }
    }

    if (c->scrollRequest == 0 || c->scrollRequest == kScrollIdle) {
        if (edgeCode != 0) {
            // Scrolling starts on the third message at the edge.
            if (++EdgeCounter > 2) c->scrollRequest = edgeCode;
        } else {
            // Leaving the edge before scrolling started begins the count again.
            EdgeCounter = 0;
        }
    } else {
        c->scrollRequest = edgeCode;
        if (edgeCode == 0) EdgeCounter = 0;
        if (shape) {
            // The arrow stays visible while the view scrolls.
            if (x > 797) shape->x = 750;
            if (y > 595) shape->y = 550;
        }
    }
}

void MouseCursor::SetShapeChecked(int n) {
    const bool allowed = n == kShapeBlocked || !TheGameController || TheGameController->scrollRequest == 0;
    if (!allowed || shapeLocked != 0 || n == shapeIndex) return;
    // A running event script keeps the shape it set.
    if (TheGameController && TheGameController->cursorLock != 0) return;
    if (n < 0 || n >= kShapeCount) return;
    shapeIndex = n;
    if (!shape) {
        if (edgeCode == 0) frameSet = n;
        return;
    }
    Zu_SkillEffect* next = CursorShapes[n];
    if (!next) return;
    next->x = shape->x;
    next->y = shape->y;
    shape = next;
}

void MouseCursor::SetShape(int n) {
    if (n == shapeIndex || n < 0 || n >= kShapeCount) return;
    shapeIndex = n;
    if (!shape || !CursorShapes[n]) return;
    Zu_SkillEffect* next = CursorShapes[n];
    next->x = shape->x;
    next->y = shape->y;
    shape = next;
}

void MouseCursor::SetImage(GuiImage* newImage) {
    image = newImage;
    hotX = newImage ? newImage->width / 2 : 0;
    hotY = newImage ? newImage->height / 2 : 0;
}

void MouseCursor::SetDragPayload(uintptr_t payload, uintptr_t value) {
    dragPayload = payload;
    dragValue = value;
}

void MouseCursor::ClearImage() {
    image = nullptr;
    dragPayload = 0;
    blitHeight = 0;
}

void MouseCursor::Draw() {
    if (!visible || StartupState != 2) return;
    if (image) {
        int32_t dstX = x - hotX;
        int32_t dstY = y - hotY;
        int32_t srcX = 0;
        int32_t srcY = 0;
        int32_t w = image->width;
        int32_t h = image->height;
        if (dstX < 0) {
            srcX = hotX - x;
            w -= srcX;
            dstX = 0;
        }
        if (dstY < 0) {
            srcY = hotY - y;
            h -= srcY;
            dstY = 0;
        }
        if (dstX + w > ScreenWidth()) w = ScreenWidth() - dstX;
        if (dstY + h > 600) h = 600 - dstY;
        blitSrcX = srcX;
        blitSrcY = srcY;
        blitWidth = w;
        blitHeight = h;
        blitDstX = dstX;
        blitDstY = dstY;
        drawnX = dstX;
        drawnY = dstY;
        platform::Surface* back = GetBackSurface();
        if (back && image->surface && w > 0 && h > 0) {
            const platform::RECT src{srcX, srcY, srcX + w, srcY + h};
            back->BltFast(dstX, dstY, image->surface, &src,
                          platform::DDBLTFAST_SRCCOLORKEY | platform::DDBLTFAST_WAIT);
        }
    }
    if (shape) {
        // The tall shapes stand 50 pixels above the hot spot.
        shape->x = x;
        shape->y = shapeIndex > 19 ? y - 50 : y;
        shape->Advance();
        shape->UpdateAndDraw();
        shape->y = y;
        prevX = x;
        prevY = y;
    }
}
