#pragma once

#include "engine/Rect.h"

#include <cstdint>

namespace platform {
class Surface;
}
struct GuiImage;
class Widget;

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

// Draws the whole picture (from its top-left) onto the parent's surface at the control's place,
// colour-keyed; nothing without a picture or a parent surface.
void BlitOntoParent(Widget* control, platform::Surface* picture);
// Puts the panel's background back under the control: the same rectangle of the parent's picture,
// copied without colour key; nothing when the parent has no picture.
void EraseToParentBackground(Widget* control);

// Copies a width x height picture (rows packed) into the parent's surface at (x, y), row by row,
// without colour key; what falls outside the surface is left out.
void CopyPictureToParent(Widget* control, const uint16_t* pixels, int width, int height, int x, int y);
// Replaces every pixel equal to `from` by `to` inside the rectangle of the parent's surface.
void RecolourParentArea(Widget* control, const Rect& area, uint16_t from, uint16_t to);
