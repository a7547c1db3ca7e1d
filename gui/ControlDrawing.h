#pragma once

#include <cstdint>

namespace platform {
class Surface;
}
struct GuiImage;
class Widget;
class Rect;

// Picture n of a control's image table when it can be drawn (the table and the picture's surface
// exist), else null.
platform::Surface* DrawableImage(GuiImage** table, int n);
// The picture under the panel a control sits on, or null when the parent is no panel or has none.
GuiImage* ParentBackground(Widget* control);
// Whether the widget holds the mouse capture.
bool HoldsCapture(const Widget* widget);
// Takes or gives up the mouse capture when there is a cursor.
void CaptureMouse(Widget* widget);
void ReleaseMouse();
// Whether the mouse cursor carries a dragged object.
bool CursorCarriesObject();
// The cursor's current y (the battle and window code's mouse position).
int CursorY();
