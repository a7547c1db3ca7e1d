#pragma once

#include "engine/Point.h"
#include "gui/RootObject.h"

#include <cstdint>

class Widget;
class Zu_SkillEffect;
struct GuiImage;

// Something run on a timer tick; the cursor is the one the game makes.
class TickHandler : public RootObject {
public:
    TickHandler() = default;
    ~TickHandler() override = default;
    virtual void OnTick(uintptr_t) {}
};

// The game's own mouse cursor: it turns mouse messages into input records, holds the mouse
// capture and the drag-and-drop payload, shows the edge-scrolling arrows of the battle view
// and draws itself on the back buffer.
class MouseCursor : public TickHandler {
public:
    static constexpr int kShapeCount = 26;
    static constexpr int kShapeArrow = 1;
    static constexpr int kShapeBlocked = 17;
    // The controller's scroll request while the view waits for a redraw.
    static constexpr int32_t kScrollIdle = 0x7777;

    // Makes the 26 shape objects at (600, 500) and starts with entry 0.
    MouseCursor();
    ~MouseCursor() override;
    MouseCursor(const MouseCursor&) = delete;
    MouseCursor& operator=(const MouseCursor&) = delete;

    // Queues one input record for a Windows mouse message id.
    virtual void OnMouseMessage(uint32_t messageId);

    // 1, or 0 when another widget holds the capture already.
    int Capture(Widget* widget, uintptr_t unused = 0);
    void ReleaseCapture();
    void Draw();
    void SetShapeChecked(int n);
    void SetShape(int n);
    void SetImage(GuiImage* image);
    void SetDragPayload(uintptr_t payload, uintptr_t value);
    void ClearImage();
    void UpdateEdgeScroll();
    void EmptyHook(uintptr_t) {}

    // The controller's names for the edge-scroll update and the empty hook.
    void Update() { UpdateEdgeScroll(); }
    void Hook() { EmptyHook(0); }

    GuiImage* image = nullptr;
    uintptr_t dragPayload = 0;
    uintptr_t dragValue = 0;
    int32_t panelDrag = 0;
    // Which of the store's cursor frame sets is in use when there is no shape object.
    int32_t frameSet = 1;
    Widget* captured = nullptr;
    int16_t x = 600;
    int16_t y = 500;
    int32_t shapeLocked = 0;
    // Set while the side panels are locked behind a modal window.
    int32_t inputLocked = 0;
    Zu_SkillEffect* shape = nullptr;
    int32_t shapeIndex = 0;
    int32_t visible = 1;
    int32_t prevX = 600;
    int32_t prevY = 500;
    int32_t hotX = 0;
    int32_t hotY = 0;
    int32_t drawnX = 0;
    int32_t drawnY = 0;
    int32_t blitSrcX = 0;
    int32_t blitSrcY = 0;
    int32_t blitWidth = 0;
    int32_t blitHeight = 0;
    int32_t blitDstX = 0;
    int32_t blitDstY = 0;
    Point captureOffset;
    // 0, or 33..40: the screen edge or corner the cursor is at.
    int32_t edgeCode = 0;
};

// Non-null once the GUI root has made the cursor.
extern MouseCursor* TheMouseCursor;
// The shape table: entry n is the effect object of category 0 and id n.
extern Zu_SkillEffect* CursorShapes[MouseCursor::kShapeCount];
// Edge messages counted before the view starts to scroll.
extern int32_t EdgeCounter;

// The settings' two input-hold words and the edge-scroll hold word that the cursor reads; start-up
// hands in the settings fields. Unbound words read as 0.
void BindCursorHoldWords(const int32_t* inputHold1, const int32_t* inputHold2, const int32_t* edgeScrollHold);
// Whether the controller's current modal object exists and is busy; null: never.
void SetModalBusyQuery(int (*query)());
