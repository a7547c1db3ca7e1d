#include "gui/GuiPanel.h"

#include "Program/GameController.h"
#include "engine/DisplayDevice.h"
#include "engine/LinkList.h"
#include "gui/Button.h"
#include "gui/GuiLayout.h"
#include "gui/GuiMessage.h"
#include "gui/MouseCursor.h"
#include "gui/ScreenBackdrop.h"
#include "gui/TextButton.h"
#include "gui/TextLabel.h"
#include "gui/ToggleButton.h"
#include "gui/Window.h"
#include "platform/Surface.h"
#include "records/StageEditor.h"
#include "world/MapView.h"

#include <vector>

namespace {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

// The children of a group as a snapshot: drawing a child may walk the same list.
std::vector<Widget*> ChildrenOf(LinkList* list) {
    std::vector<Widget*> out;
    if (!list) return out;
    for (uintptr_t v = list->First(); v != 0; v = list->Next())
        out.push_back(reinterpret_cast<Widget*>(v));
    return out;
}

} // namespace

GuiPanel::GuiPanel(GuiImage* back, Rect* r, Widget* p, Window* l, int addToParent, int, int)
    : WidgetGroup(r, p, l, 0), background(back) {
    id = 0;
    variant = -1;
    if (background) {
        surface = CreateOffscreenSurface(background->width, background->height);
        if (surface) {
            platform::DDCOLORKEY key;
            surface->SetColorKey(platform::DDCKEY_SRCBLT, &key);
            if (background->surface)
                surface->Blt(nullptr, background->surface, nullptr, platform::DDBLT_WAIT);
            platform::DDSURFACEDESC2 desc;
            if (platform::SUCCEEDED(surface->Lock(nullptr, &desc, platform::DDLOCK_WAIT))) {
                pitch = desc.lPitch / 2;
                surface->Unlock(nullptr);
            }
        }
        if (background->width >= kScreenWidth && background->height >= kScreenHeight) {
            ScreenBackdropFlag = 0;
            FullScreenPanelSurface = surface;
        }
    }
    dragging = 0;
    dragArmed = 0;
    refreshPeriod = 0;
    refreshCountdown = 0;
    JoinParent(addToParent);
}

GuiPanel::GuiPanel(Rect* r, Widget* p, Window* l, int addToParent, int word1, int word2)
    : GuiPanel(nullptr, r, p, l, addToParent, word1, word2) {
    plainContainer = true;
}

GuiPanel::~GuiPanel() {
    if (surface && FullScreenPanelSurface == surface) FullScreenPanelSurface = nullptr;
}

uint16_t GuiPanel::HitTest(Point* point) {
    if (plainContainer) return 1;
    if (!surface) {
        if (TheGameController && TheGameController->gameScreen && TheGameController->gameScreen->viewWidget)
            return 1;
        return (TheStageEditor && TheStageEditor->viewWord) ? 1 : 0;
    }
    const int x = point->x - rect.left;
    const int y = point->y - rect.top;
    // Outside its picture a panel is transparent.
    if (x < 0 || y < 0 || x >= surface->width() || y >= surface->height()) return 0;
    if (!LockSurface()) return 0;
    uint16_t value = 0;
    if (pixels)
        value = *reinterpret_cast<const uint16_t*>(reinterpret_cast<const uint8_t*>(pixels) +
                                                   size_t(y) * size_t(lockDesc.lPitch) + size_t(x) * 2);
    UnlockSurface();
    return value;
}

void GuiPanel::OnMouse(GuiMessage* message) {
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    const Rect body(0, variant == -1 ? 0 : kBodyTop, w, h);
    if (body.Contains(message->point) || dragging) {
        WidgetGroup::OnMouse(message);
        return;
    }
    if (message->kind != GuiMessage::kLeftDown || !Rect(0, 0, w, kDragStrip).Contains(message->point)) return;
    dragging = 1;
    if (TheMouseCursor) TheMouseCursor->panelDrag = 1;
    dragArmed = 1;
    if (TheMouseCursor) TheMouseCursor->Capture(this);
    grab = message->point;
}

void GuiPanel::Draw() {
    platform::Surface* back = GetBackSurface();
    if (!background || !back) return;
    if (refreshPeriod != 0 && --refreshCountdown <= 0) {
        refreshCountdown = refreshPeriod;
        RedrawTexts();
    }
    int w = background->width, h = background->height;
    int sx = 0, sy = 0, dx = rect.left, dy = rect.top;
    if (rect.left < 0) {
        sx = -rect.left;
        dx = 0;
        w = rect.right;
    }
    if (rect.right > kScreenWidth - 1) w = kScreenWidth - rect.left;
    if (rect.top < 0) {
        sy = -rect.top;
        dy = 0;
        h = rect.bottom;
    }
    if (rect.bottom > kScreenHeight - 1) h = kScreenHeight - rect.top;
    if (!surface) return;
    drawOrder_.clear();
    if (children)
        for (uintptr_t v = children->First(); v != 0; v = children->Next())
            drawOrder_.push_back(reinterpret_cast<Widget*>(v));
    for (Widget* child : drawOrder_) {
        if (!child->visible || child->id != 0) continue;
        Rect r;
        child->GetRect(&r);
        // A nested panel of negative size spoils the whole frame of this panel.
        if (r.right - r.left < 0 || r.bottom - r.top < 0) return;
        if (!child->surface) continue;
        const platform::RECT src{0, 0, r.right - r.left, r.bottom - r.top};
        const uint32_t key =
            child->colourKeyed ? platform::DDBLTFAST_SRCCOLORKEY : platform::DDBLTFAST_NOCOLORKEY;
        surface->BltFast(r.left, r.top, child->surface, &src, key | platform::DDBLTFAST_WAIT);
    }
    if (background->width < kScreenWidth || background->height < kScreenHeight) {
        if (sx < 0 || sy < 0 || w < 0 || h < 0) return;
        const platform::RECT src{sx, sy, sx + w, sy + h};
        back->BltFast(dx, dy, surface, &src, platform::DDBLTFAST_SRCCOLORKEY | platform::DDBLTFAST_WAIT);
    } else {
        const platform::RECT src{0, 0, w, h};
        back->BltFast(dx, dy, surface, &src, platform::DDBLTFAST_NOCOLORKEY | platform::DDBLTFAST_WAIT);
    }
}

void GuiPanel::NotifyOutsidePress() {
    if (listener) listener->OnPanelIdle();
}

void GuiPanel::RestoreBackground() {
    if (!background || !background->surface || !surface) return;
    const platform::RECT dst{0, 0, rect.right - rect.left, rect.bottom - rect.top};
    surface->Blt(&dst, background->surface, nullptr, platform::DDBLT_WAIT);
}

void GuiPanel::RefreshChild(Widget* child) {
    if (!background || !background->surface || !surface) return;
    for (Widget* c : ChildrenOf(children)) {
        if (c->id != 0 || (child && c != child)) continue;
        const platform::RECT src{c->rect.left, c->rect.top, c->rect.right, c->rect.bottom};
        surface->BltFast(c->rect.left, c->rect.top, background->surface, &src,
                         platform::DDBLTFAST_NOCOLORKEY | platform::DDBLTFAST_WAIT);
        if (child) return;
    }
}

void GuiPanel::RefreshControl(int16_t group) {
    const std::vector<Widget*> list = ChildrenOf(children);
    // Image-less toggles erase themselves first, so the pictures of the others stay on top.
    for (Widget* c : list) {
        if (!c->visible || c->groupWord != group) continue;
        if (auto* button = dynamic_cast<Button*>(c)) {
            button->ShowNormal();
            button->enabled = 1;
        } else if (auto* toggle = dynamic_cast<ToggleButton*>(c); toggle && !toggle->GetImageTable()) {
            toggle->ShowBaseImage();
        }
    }
    for (Widget* c : list) {
        if (!c->visible || c->groupWord != group) continue;
        if (auto* toggle = dynamic_cast<ToggleButton*>(c); toggle && toggle->GetImageTable())
            toggle->ShowBaseImage();
    }
}

void GuiPanel::RedrawTexts() {
    for (Widget* c : ChildrenOf(children)) {
        if (!c->visible) continue;
        const int kind = c->id & 0xFF00;
        if (kind == 0x200) {
            if (auto* label = dynamic_cast<TextLabel*>(c)) label->DrawText();
        } else if (kind == 0x600) {
            if (auto* button = dynamic_cast<TextButton*>(c)) button->ShowNormal();
        }
    }
}
