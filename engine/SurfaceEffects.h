#pragma once

#include <cstdint>
#include <vector>

class LinkList;
namespace platform {
class Surface;
}

// Software effects on whole surfaces: the tint, the effect lists' step, rectangle pair clipping
// and the editor's outline overlay of map objects.

// Mixes the top-left width x height pixels toward colour at opacity 100 of 256 (cut to the
// area); a colour of 0 leaves the area as it was.
void TintBits(uint16_t colour, uint16_t* bits, int pitchBytes, int areaWidth, int areaHeight, int width,
              int height);
// The same on a surface locked with DDLOCK_WAIT; nothing when the lock fails.
void TintSurface(uint16_t colour, platform::Surface* surface, int width, int height);

// The clip manager's poll of a clip slot: 0 once the clip no longer plays.
using ClipPollFunction = int (*)(int32_t slot);

// Steps every effect of a list (Advance, then UpdateAndDraw) and deletes the finished ones: an
// AVI-clip effect (category 2) once its state is above 1 and its clip has stopped, any other once
// its state is above 1. A null list does nothing; a null poll counts as stopped.
void StepEffectList(LinkList* list, ClipPollFunction poll);
// Deletes every effect of the list and empties it.
void DeleteEffects(LinkList* list);

// {left, top, right, bottom}, right and bottom exclusive.
struct ClipRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};
// 0 and both untouched when they do not overlap (or only touch); otherwise each becomes the
// intersection relative to its own top-left corner, and 1.
int ClipRectPair(ClipRect& a, ClipRect& b);

// An object of the current stage as the editor overlay sees it: name (Big5), kind and its cell
// rectangle.
struct StageObjectRecord {
    const char* name = nullptr;
    int32_t kind = 0;
    int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// What the overlay draws from: the view bounds in cells, the view origin and the stage's objects.
struct MapMarkerView {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t originX = 0, originY = 0;
    std::vector<StageObjectRecord> objects;
};

// A marked object: where its name goes.
struct MapMarkerLabel {
    const char* name;
    int32_t x;
    int32_t y;
};

// Draws the yellow outlines of the marked object kinds into a 16-bit area (pitch in bytes) and
// returns the labels to draw after the area is unlocked.
std::vector<MapMarkerLabel> DrawMapMarkerOutlines(const MapMarkerView& view, uint16_t* bits, int pitchBytes,
                                                  int areaWidth, int areaHeight);
