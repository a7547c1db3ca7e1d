#pragma once

#include "engine/SurfaceEffects.h"

#include <cstdint>

class Window;
namespace platform {
class Surface;
}

// The description tooltip: the lines of an item, skill, troop class or building (or a button's help
// text), drawn translucent over the finished frame from its 7th to its 100th frame.
class InfoText {
public:
    // Kinds of subject.
    static constexpr int16_t kItem = 0, kItemBuying = 1, kItemSelling = 2, kSkill = 3, kTroopClass = 4,
                             kBuilding = 5, kMapItem = 6;
    static constexpr int kMaxLines = 16;
    static constexpr int kLineBytes = 48;
    static constexpr int kHelpBytes = 16;
    // The tooltip's own surface; a larger box is cut to it.
    static constexpr int kSurfaceWidth = 400, kSurfaceHeight = 300;

    void Clear();
    // Fills lines with the subject's lines; returns their count (0 for a subject it cannot name).
    int ComposeLines(char (&lines)[kMaxLines][kLineBytes]) const;
    // Lets go of the drawing surface (it is made again at the next drawing).
    void ReleaseSurface();

    const void* currentObject = nullptr; // the subject: a record block, or a building kind word
    int32_t extra = 0;
    uint16_t frames = 0;
    int32_t width = 0, height = 0;
    int16_t kind = 0;
    int16_t helpId = 0;
    // The cell an item on the map lies on (kind 6), set by the map view with its subject.
    int32_t anchorX = 0, anchorY = 0;
    platform::Surface* surface = nullptr;
    ClipRect box;    // inside the tooltip's surface
    ClipRect screen; // on the back surface
    char help1[kHelpBytes + 1] = {};
    char help2[kHelpBytes + 1] = {};
    Window* owner = nullptr;
};

extern InfoText TheInfoText;

// A window asks for the description of a subject while the mouse rests on it.
void ComposeDescription(int16_t kind, const void* subject, Window* owner, int32_t extra);
// A button shows help text helpId of the help table.
void ShowTooltip(int16_t kind, int16_t helpId, Window* owner);
// Once per frame, after the scene is drawn and before it is presented.
void ComposeObjectInfo();
// The name of a building kind (Big5); null for a kind without one.
const char* BuildingName(int32_t kind);
