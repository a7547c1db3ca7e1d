#pragma once

#include <cstdint>
#include <vector>

namespace platform {
class Surface;
}
class GameController;

// One unit of the selected city as the campaign preparation's formation preview sees it.
class PreviewUnit {
public:
    virtual ~PreviewUnit() = default;
    virtual int32_t PersonNumber() const = 0; // its officer's "人物編號"
    virtual bool MustAppear() const = 0;      // its officer's "必登場" is non-zero
    virtual bool HasFrame() const = 0;        // it has a current frame
    virtual int32_t Facing() const = 0;
    virtual int32_t State() const = 0;
    // One step of its animation.
    virtual void Tick() = 0;
    // The halt command (applied at once in single play or on the host, sent when networked).
    virtual void Halt() = 0;
    virtual void SetFacing(int32_t facing) = 0;
    virtual void RestartAction() = 0;
    // Renders the current frame on the shadow surface; the frame's size and offsets.
    struct Sprite {
        platform::Surface* surface = nullptr;
        int32_t width = 0, height = 0, xOffset = 0, yOffset = 0;
    };
    virtual bool Render(Sprite& out) = 0;
};

// A formation table row.
struct FormationRow {
    int16_t dx = 0, dy = 0, facing = 0;
};

// What the front-end drawing reaches in subsystems that come later: the campaign preparation's
// formation preview, the effect lists, the description tooltip and the overlay frame. Null entries are things
// that are not there.
struct FrontEndDrawHooks {
    // Scene 16: the units of the game screen's selected city (false when there is no game screen
    // or no selected city), the "人物編號" of the stage's first kingdom of "國家屬性" 0 (false when
    // there is none) and formation row i (0..22).
    bool (*selectedCityUnits)(std::vector<PreviewUnit*>& out) = nullptr;
    bool (*leaderPerson)(int32_t& person) = nullptr;
    FormationRow (*formationRow)(int i) = nullptr;
    // Whether a window of the in-game main panel host is one the preparation scene leaves out.
    bool (*isHiddenPreparationPanel)(const void* panel) = nullptr;
    // The description tooltip, when it exists.
    void (*composeObjectInfo)() = nullptr;
    // Further overlay frames at (0, 0) and the group-command marker.
    void (*drawOverlayFrame)() = nullptr;
    void (*drawGroupCommandMarker)() = nullptr;
};

FrontEndDrawHooks& GetFrontEndDrawHooks();

// Scene 16's formation preview: up to 23 units of the selected city take the formation's slots
// (the leader's unit first when the stage has a leader kingdom), turn to the row's facing, and
// the slots in cells dx -3..4, dy 3..9 are drawn onto the back buffer.
void DrawFormationPreview();
