#include "gui/ToggleButton.h"

#include "gui/ControlDrawing.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "gui/MouseCursor.h"
#include "gui/Window.h"
#include "platform/Surface.h"

ToggleButton::ToggleButton(GuiImage** imageTable, int n, Rect* r, Widget* p, Window* l, int addToParent)
    : Control(r, p, l, 0), table(imageTable) {
    normalIndex = int16_t(n);
    hoverIndex = int16_t(n + 1);
    thirdIndex = int16_t(n + 2);
    disabledIndex = int16_t(n + 3);
    current = normalIndex;
    dragImage = (table && n >= 0 && n < GuiLayout::kSlots) ? table[n] : nullptr;
    JoinParent(addToParent);
}

void ToggleButton::DrawImage(int n) {
    current = int16_t(n);
    if (!parent || !parent->surface) return;
    const platform::RECT area{rect.left, rect.top, rect.right, rect.bottom};
    if (GuiImage* background = ParentBackground(this); background && background->surface)
        parent->surface->Blt(&area, background->surface, &area, platform::DDBLT_WAIT);
    platform::Surface* image = DrawableImage(table, n);
    if (!image) return;
    const GuiImage& picture = *table[n];
    const platform::RECT dst{rect.left, rect.top, rect.left + picture.width, rect.top + picture.height};
    const platform::RECT src{0, 0, picture.width, picture.height};
    parent->surface->Blt(&dst, image, &src, platform::DDBLT_KEYSRC | platform::DDBLT_WAIT);
}

void ToggleButton::Enable() {
    enabled = 1;
    hover = 0;
    ShowNormal();
}

void ToggleButton::EnableKeepHover() {
    enabled = 1;
    ShowNormal();
}

void ToggleButton::Disable() {
    enabled = 0;
    ShowDisabled();
}

void ToggleButton::ShowNormal() {
    if (table) DrawImage(normalIndex);
}

void ToggleButton::ShowHover() {
    if (table) DrawImage(hoverIndex);
}

void ToggleButton::ShowThird() {
    if (table) DrawImage(thirdIndex);
}

void ToggleButton::ShowDisabled() {
    DrawImage(disabledIndex);
}

void ToggleButton::ShowBaseImage() {
    DrawImage(current);
}

void ToggleButton::RefreshGroup() {
    if (auto* panel = dynamic_cast<GuiPanel*>(parent)) panel->RefreshControl(kToggleGroup);
}

void ToggleButton::Leave() {
    ShowNormal();
    hover = 0;
    pressed = 0;
    ReleaseMouse();
    if (groupWord) RefreshGroup();
    if (listener) listener->OnControlHover(this, nullptr);
}

void ToggleButton::OnLeftButtonDown(Point* p) {
    if (pressed) return;
    pressed = 1;
    CaptureMouse(this);
    if (listener) listener->OnControlPress(this, p);
}

void ToggleButton::OnLeftButtonUp(Point* p) {
    if (listener) listener->OnControlClick(this, p);
    ReleaseMouse();
    if (p && rect.Contains(*p)) {
        ShowHover();
        CaptureMouse(this);
    } else {
        hover = 0;
    }
    pressed = 0;
}

void ToggleButton::OnRightButtonDown(Point* p) {
    if (listener) listener->OnControlRightPress(this, p);
}

void ToggleButton::OnMouseMove(Point* p) {
    if (!hover) {
        hover = 1;
        CaptureMouse(this);
        RefreshGroup();
        ShowHover();
        if (listener) listener->OnControlHover(this, p);
        return;
    }
    if (pressed && dragImage) {
        // Dragged away: the cursor carries the picture and the window takes the object over.
        hover = 0;
        pressed = 0;
        ShowNormal();
        if (groupWord) RefreshGroup();
        ReleaseMouse();
        if (TheMouseCursor) TheMouseCursor->SetImage(dragImage);
        if (listener) listener->OnControlToggle(this, p);
    }
    if (!p || !rect.Contains(*p)) Leave();
}
