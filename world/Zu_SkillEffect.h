#pragma once

#include "gui/RootObject.h"

#include <cstdint>

class City;
class LinkList;
class Troop;
struct AniFrame;
struct AniFrameCell;

// An effect object on the map or the screen: skill effects, markers and the mouse cursor's 26
// shapes (category 0, ids 0..25, moved by the cursor itself). It plays the frames of an animation
// of the effect animation cache; the resource store's effect lists step and retire the effects
// registered in them.
class Zu_SkillEffect : public RootObject {
public:
    Zu_SkillEffect() = default;
    // Takes the animation of (category, id) from the store's cache, or starts the skill movie of
    // category 2, and joins its effect list.
    Zu_SkillEffect(int16_t category, int16_t id, int32_t x, int32_t y, int32_t tx = 0, int32_t ty = 0,
                   Troop* owner = nullptr);
    // Leaves its effect list and lets go of its animation.
    ~Zu_SkillEffect() override;
    Zu_SkillEffect(const Zu_SkillEffect&) = delete;
    Zu_SkillEffect& operator=(const Zu_SkillEffect&) = delete;

    // One step of the motion script.
    virtual void MotionStep();
    // One tick of the frame timer: every frameDelay ticks the next frame, then a motion step.
    virtual void Advance();
    // 1 when frame n (1-based) exists and is now current; the first argument is not read.
    virtual int SelectFrame(int from, int n);
    // Draws the current frame onto the back surface.
    virtual void UpdateAndDraw();

    // Moves to the next frame of the range, or back to its first one and decides whether to end.
    void StepFrame();
    void SetFrameRange(int first, int last);
    void SetFrameDelay(int n);
    void SetSecondDelay(int n);
    // The end of a skill movie, whichever of the frame step and the drawing sees it first: the
    // owner's target is struck once and the owner released.
    void FinishMovie();

    // The weather's program-wide origin, (-1, -1) until the first weather effect.
    static int32_t WeatherOriginX;
    static int32_t WeatherOriginY;

    // The motion script: words read as commands 1 move (count, dx, dy), 2 wait (count), 3 skip;
    // any other word, or the end of the record, ends it.
    const int16_t* script = nullptr;
    const int16_t* scriptEnd = nullptr;
    const int16_t* scriptCursor = nullptr;
    int32_t command = 0;
    int32_t commandCount = 0;
    int32_t stepX = 0;
    int32_t stepY = 0;
    uint16_t state = 0; // 0 off, 1 running, 2 finished
    int32_t x = 0;
    int32_t y = 0;
    int32_t targetX = 0;
    int32_t targetY = 0;
    uint16_t frameWidth = 0;
    uint16_t frameHeight = 0;
    uint16_t frameCount = 0;
    uint16_t currentFrame = 0; // 1-based
    uint16_t firstFrame = 0;
    uint16_t lastFrame = 0;
    uint16_t frameDelay = 0;
    uint16_t frameDelayCount = 0;
    uint16_t secondDelay = 0;
    uint16_t secondDelayCount = 0;
    AniFrameCell* frames = nullptr; // the cache record's list, shared
    AniFrame* frame = nullptr;      // the current frame
    int16_t id = 0;
    int32_t clipSlot = -1; // the clip manager's slot, category 2
    int16_t category = 0;  // 0 screen, 1 weather, 2 skill movie, 3 map
    int32_t clipLevel = -1;
    City* linked = nullptr; // category 3 id 8: the city holding the effect
    Troop* owner = nullptr;

    // The store's effect list the effect is registered in, or null; the list's owner clears it
    // when it takes the effect out itself.
    LinkList* list = nullptr;

private:
    void ReleaseOwner();
    void EndStep();
    void DrawWeather();
    bool acquired = false;
};
