#pragma once

namespace platform {
class Surface;
}
class GameController;

// What the front-end drawing reaches in subsystems that come later: the campaign preparation's
// formation preview, the effect lists, the speech line, the
// description tooltip and the overlay frame. Null entries are things that are not there.
struct FrontEndDrawHooks {
    // Scene 16: fills the formation slots from the selected city's units and draws them.
    void (*formationPreview)(GameController* controller) = nullptr;
    // Whether a window of the in-game main panel host is one the preparation scene leaves out.
    bool (*isHiddenPreparationPanel)(const void* panel) = nullptr;
    // Whether the act window's selection marker exists, and the two effect lists' steps.
    bool (*selectionMarkerExists)() = nullptr;
    void (*stepFirstEffects)() = nullptr;
    void (*stepSecondEffects)() = nullptr;
    void (*drawSpeechLine)() = nullptr;
    // The description tooltip, when it exists.
    void (*composeObjectInfo)() = nullptr;
    // Further overlay frames at (0, 0) and the group-command marker.
    void (*drawOverlayFrame)() = nullptr;
    void (*drawGroupCommandMarker)() = nullptr;
};

FrontEndDrawHooks& GetFrontEndDrawHooks();
