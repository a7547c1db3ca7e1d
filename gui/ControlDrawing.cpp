#include "gui/ControlDrawing.h"

#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "gui/MouseCursor.h"
#include "gui/Widget.h"

platform::Surface* DrawableImage(GuiImage** table, int n) {
    if (!table || n < 0 || n >= GuiLayout::kSlots || !table[n]) return nullptr;
    return table[n]->surface;
}

GuiImage* ParentBackground(Widget* control) {
    auto* panel = dynamic_cast<GuiPanel*>(control ? control->parent : nullptr);
    return panel ? panel->background : nullptr;
}

bool HoldsCapture(const Widget* widget) {
    return TheMouseCursor && TheMouseCursor->captured == widget;
}

void CaptureMouse(Widget* widget) {
    if (TheMouseCursor) TheMouseCursor->Capture(widget);
}

void ReleaseMouse() {
    if (TheMouseCursor) TheMouseCursor->ReleaseCapture();
}

bool CursorCarriesObject() {
    return TheMouseCursor && TheMouseCursor->dragPayload != 0;
}

int CursorY() {
    return TheMouseCursor ? TheMouseCursor->y : 0;
}
