#include "world/Zu_SkillEffect.h"

#include "Program/GameController.h"
#include "engine/AniFrame.h"
#include "engine/DisplayDevice.h"
#include "engine/EffectAnimationCache.h"
#include "engine/LinkList.h"
#include "engine/ResourceStore.h"
#include "engine/ScreenSettings.h"
#include "engine/SurfaceEffects.h"
#include "platform/Surface.h"
#include "world/MapView.h"

#include <algorithm>

namespace {

EffectAnimationCache* Cache() {
    return TheResourceStore ? TheResourceStore->effectCache : nullptr;
}

// The effect list the object joins: only the story cursor among the screen overlays, and the map
// effects by id. The other categories are placed by the code that starts them.
LinkList* ListFor(int16_t category, int16_t id) {
    if (!TheResourceStore) return nullptr;
    if (category == 0) return id == 29 ? TheResourceStore->firstEffects : nullptr;
    if (category != 3) return nullptr;
    switch (id) {
    case 0:
    case 8:
    case 13:
    case 18:
    case 19:
    case 20:
    case 21:
        return TheResourceStore->firstEffects;
    case 12:
    case 15:
        return TheResourceStore->secondEffects;
    default:
        return nullptr;
    }
}

} // namespace

Zu_SkillEffect::Zu_SkillEffect(int16_t category, int16_t id, int32_t x, int32_t y, int32_t tx, int32_t ty)
    : x(x), y(y), targetX(tx), targetY(ty), id(id), category(category) {
    if (category != 2) {
        EffectAnimationCache* cache = Cache();
        EffectAnimation* animation = cache ? cache->Acquire(category, id) : nullptr;
        if (animation) {
            acquired = true;
            frames = animation->frames;
            script = static_cast<const int16_t*>(animation->param);
            scriptCursor = nullptr;
            frameCount = static_cast<uint16_t>(std::max<int16_t>(animation->frameCount, 0));
            // The table's two values pace the animation.
            SetFrameDelay(animation->value1);
            SetSecondDelay(animation->value2);
            SetFrameRange(1, frameCount);
            if (frames && frames->frame) {
                frameWidth = static_cast<uint16_t>(frames->frame->width);
                frameHeight = static_cast<uint16_t>(frames->frame->height);
            }
        }
    }
    state = 1;
    if (category == 3 && id == 12) {
        this->x -= 25;
        this->y -= 25;
    }
    list = ListFor(category, id);
    if (list) list->Add(reinterpret_cast<uintptr_t>(this));
}

Zu_SkillEffect::~Zu_SkillEffect() {
    if (list) list->RemoveValue(reinterpret_cast<uintptr_t>(this));
    list = nullptr;
    if (acquired)
        if (EffectAnimationCache* cache = Cache()) cache->Release(category, id);
}

void Zu_SkillEffect::SetFrameRange(int first, int last) {
    firstFrame = static_cast<uint16_t>(first);
    lastFrame = static_cast<uint16_t>(last);
    currentFrame = 0;
    SelectFrame(0, first);
}

void Zu_SkillEffect::SetFrameDelay(int n) {
    frameDelay = static_cast<uint16_t>(n);
    frameDelayCount = static_cast<uint16_t>(n);
}

void Zu_SkillEffect::SetSecondDelay(int n) {
    secondDelay = static_cast<uint16_t>(n);
    secondDelayCount = static_cast<uint16_t>(n);
}

int Zu_SkillEffect::SelectFrame(int, int n) {
    if (category == 2 || n <= 0) return 0;
    if (n == currentFrame && frame) return 1;
    AniFrameCell* cell = frames;
    for (int i = 1; cell && i < n; ++i)
        cell = cell->next;
    if (!cell) return 0;
    frame = cell->frame;
    currentFrame = static_cast<uint16_t>(n);
    return 1;
}

void Zu_SkillEffect::StepFrame() {
    if (category == 2) return; // the movie's end comes with the skill code
    if (currentFrame != lastFrame) {
        SelectFrame(0, currentFrame + 1);
        return;
    }
    SelectFrame(0, firstFrame);
    bool loops = false;
    if (category == 0) loops = id == 29;
    if (category == 1) loops = true;
    if (category == 3) loops = id == 0 || id == 15 || id == 18 || id == 19 || id == 20 || id == 21;
    if (!loops) state = 2;
}

void Zu_SkillEffect::MotionStep() {
    if (category == 2 || !script) return;
    auto readCommand = [this] {
        command = *scriptCursor++;
        switch (command) {
        case 1:
            commandCount = *scriptCursor++;
            stepX = *scriptCursor++;
            stepY = *scriptCursor++;
            break;
        case 2:
            commandCount = *scriptCursor++;
            break;
        default:
            commandCount = 0;
            break;
        }
    };
    if (!scriptCursor) {
        scriptCursor = script;
        readCommand();
    }
    // A move or wait whose count is spent reads the next command; 0 ends the script for good.
    switch (command) {
    case 1:
        x += stepX;
        y += stepY;
        if (--commandCount <= 0) readCommand();
        break;
    case 2:
        if (--commandCount <= 0) readCommand();
        break;
    case 3:
        readCommand();
        break;
    default:
        break;
    }
}

void Zu_SkillEffect::Advance() {
    if (category == 2) {
        StepFrame();
        return;
    }
    if (frameDelay == 0) return;
    if (frameDelayCount > 0) --frameDelayCount;
    if (frameDelayCount != 0) return;
    frameDelayCount = frameDelay;
    StepFrame();
    MotionStep();
}

void Zu_SkillEffect::UpdateAndDraw() {
    // Screen overlays draw in screen pixels, clipped to the screen; map effects in map pixels,
    // clipped to the 800 x 560 view. Weather and skill movies draw with the world's code.
    if (state == 0 || !frame || (category != 0 && category != 3)) return;
    int32_t left = 0, top = 0, width = 0, height = 0;
    if (category == 0) {
        width = TheScreenSettings ? TheScreenSettings->screenWidth : 800;
        height = TheScreenSettings ? TheScreenSettings->screenHeight : 600;
    } else {
        const MapView* view = TheGameController ? TheGameController->gameScreen : nullptr;
        if (!view) return;
        left = view->viewX * 40;
        top = view->viewY * 10;
        width = 800;
        height = 560;
    }
    ClipRect picture{x, y, x + frame->width, y + frame->height};
    ClipRect area{left, top, left + width, top + height};
    if (!ClipRectPair(picture, area)) return;
    platform::Surface* back = GetBackSurface();
    if (!back) return;
    platform::DDSURFACEDESC2 desc;
    if (platform::FAILED(back->Lock(nullptr, &desc, platform::DDLOCK_WAIT))) return;
    DrawAniFrameBits(frame, x - left, y - top, static_cast<uint16_t*>(desc.lpSurface), desc.lPitch,
                     std::min<int>(width, int(desc.dwWidth)), std::min<int>(height, int(desc.dwHeight)),
                     true);
    back->Unlock(nullptr);
}
