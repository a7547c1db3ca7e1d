#include "world/Zu_SkillEffect.h"

#include "Program/GameController.h"
#include "engine/AniFrame.h"
#include "engine/AviClipManager.h"
#include "engine/DisplayDevice.h"
#include "engine/EffectAnimationCache.h"
#include "engine/LinkList.h"
#include "engine/ResourceStore.h"
#include "engine/ScreenSettings.h"
#include "engine/SurfaceEffects.h"
#include "net/SubCommands.h"
#include "platform/CRand.h"
#include "platform/Surface.h"
#include "records/City.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "troops/Troop.h"
#include "windows/unit/Win05Window.h"
#include "world/BattleMap.h"
#include "world/MapView.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kSkillLayer = 76; // "圖層"

EffectAnimationCache* Cache() {
    return TheResourceStore ? TheResourceStore->effectCache : nullptr;
}

// The effect list the object joins: only the story cursor among the screen overlays, and the map
// effects by id. The other categories are placed by the code that starts them.
LinkList* ListFor(int16_t category, int16_t id) {
    if (!TheResourceStore) return nullptr;
    LinkList* lower = TheResourceStore->firstEffects;
    LinkList* upper = TheResourceStore->secondEffects;
    if (category == 0) return id == 29 ? lower : nullptr;
    if (category != 3) {
        const uint8_t* skill = id >= 0 && id < kSkillTableSize ? SkillTable[id] : nullptr;
        int32_t layer = 0;
        if (skill) std::memcpy(&layer, skill + kSkillLayer, 4);
        return layer == 1 ? upper : lower;
    }
    switch (id) {
    case 0:
    case 8:
    case 13:
    case 18:
    case 19:
    case 20:
    case 21:
        return lower;
    case 12:
    case 15:
        return upper;
    default:
        return nullptr;
    }
}

bool OwnerDead(const Troop* t) {
    return t->deadFlag != 0 || t->state == 13;
}

// Cool-down after a skill movie by game kind.
constexpr int32_t kCooldownBase[4] = {30, 10, 20, 40};

bool LoopsAtEnd(int16_t category, int16_t id) {
    if (category == 0) return id == 29;
    if (category == 1) return true;
    if (category == 3) return id == 0 || id == 15 || id == 18 || id == 19 || id == 20 || id == 21;
    return false;
}

} // namespace

int32_t Zu_SkillEffect::WeatherOriginX = -1;
int32_t Zu_SkillEffect::WeatherOriginY = -1;

namespace {

// A marker put on a unit in a command mode carries out the mode's operation when it has played:
// the city whose panel set the mode sends it.
void SendMarkedOperation(uint16_t operation, Troop* unit) {
    const GameController* c = TheGameController;
    City* city = c && c->gameScreen ? c->gameScreen->currentCity : nullptr;
    if (unit && city) NetCmdCheckAndSend(city, operation, unit);
}

void DrawWeatherOrigin() {
    const int32_t w = TheBattleMap ? TheBattleMap->width : 0;
    const int32_t r = TheBattleMap ? TheBattleMap->rows : 0;
    // Small (generated) maps give divisors of 0.
    Zu_SkillEffect::WeatherOriginX = (platform::rand() % std::max(1, w / 25)) * 1000;
    Zu_SkillEffect::WeatherOriginY = (platform::rand() % std::max(1, r / 80)) * 800;
}

const MapView* View() {
    return TheGameController ? TheGameController->gameScreen : nullptr;
}

} // namespace

Zu_SkillEffect::Zu_SkillEffect(int16_t category, int16_t id, int32_t x, int32_t y, int32_t tx, int32_t ty,
                               Troop* owner)
    : x(x), y(y), targetX(tx), targetY(ty), id(id), category(category), owner(owner) {
    if (category == 2) {
        uint8_t flag = 0;
        const MapView* view = View();
        const int32_t vx = view ? view->viewX * 40 : 0, vy = view ? view->viewY * 10 : 0;
        if (x + 150 < vx || y + 100 < vy || vx + 800 < x - 150 || vy + 600 < y - 300) flag = 1;
        const MapCell* cell = TheBattleMap ? TheBattleMap->CellAt(x / 40, y / 10) : nullptr;
        if (!cell || cell->sightCount < 2) flag = 1;
        if (x == tx && y == ty) flag |= 2;
        const int32_t profession = owner && owner->officer ? owner->officer->Get(OfficerLayout::kClass) : 0;
        clipLevel = profession >= 1 && profession <= 5 ? profession - 1 : -1;
        clipSlot = TheAviClipManager.PlaySkillClip(tx, ty, id, flag, clipLevel);
    } else {
        EffectAnimationCache* cache = Cache();
        EffectAnimation* animation = cache ? cache->Acquire(category, id) : nullptr;
        if (animation) {
            acquired = true;
            frames = animation->frames;
            script = static_cast<const int16_t*>(animation->param);
            scriptEnd = script ? script + std::max<int16_t>(animation->paramWords, 0) : nullptr;
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
    if (category == 1 && WeatherOriginX == -1 && WeatherOriginY == -1) DrawWeatherOrigin();
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
    if (category == 2 && state != 2) TheAviClipManager.StopClip(clipSlot);
    if (linked)
        for (Zu_SkillEffect*& e : linked->effects)
            if (e == this) e = nullptr;
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

void Zu_SkillEffect::ReleaseOwner() {
    if (!owner) return;
    owner->casting = 0;
    const int32_t kind = TheGameController ? TheGameController->gameKind : 0;
    if (owner->order) owner->skillDelay = int16_t(7 * kCooldownBase[kind >= 0 && kind <= 3 ? kind : 0]);
    RefreshUnitPanel(owner, 4);
}

void Zu_SkillEffect::FinishMovie() {
    if (state == 2) return;
    if (owner && !OwnerDead(owner) && owner->skillHit > -2) {
        // The landing is the caster's: it spreads the skill over its targets.
        owner->TakeSkillHit(this);
        // Movies of ids 124..129 cost the caster its life. In a network game the host decides
        // that death and sends it as the kill command.
        if (id >= 124 && id <= 129) {
            if (TheGameController && TheGameController->networked) {
                owner->Kill(owner->owner);
            } else {
                owner->deadFlag = 1;
                owner->kept = 0;
            }
        }
    }
    ReleaseOwner();
    state = 2;
}

void Zu_SkillEffect::EndStep() {
    if (category != 3) {
        state = 2;
        return;
    }
    switch (id) {
    case 8:
        if (--commandCount > 0) return;
        if (linked)
            for (Zu_SkillEffect*& e : linked->effects)
                if (e == this) e = nullptr;
        linked = nullptr;
        break;
    case 9:
        if (owner) owner->skillTimers[0] = 0;
        break;
    case 10:
    case 11:
        if (owner) owner->skillTimers[1] = 0;
        break;
    case 6:
        SendMarkedOperation(3, owner);
        break;
    case 16:
        SendMarkedOperation(2, owner);
        break;
    default:
        break;
    }
    state = 2;
}

void Zu_SkillEffect::StepFrame() {
    if (owner && OwnerDead(owner)) {
        if (category == 2 && clipLevel != -1 && !(TheAviClipManager.GetClipState(clipSlot) & 0x10))
            TheAviClipManager.StopClip(clipSlot);
        owner = nullptr;
    }
    if (category == 2) {
        if ((TheAviClipManager.GetClipState(clipSlot) & AviClipManager::kNotInUse) && state != 2)
            FinishMovie();
        return;
    }
    if (currentFrame != lastFrame) {
        SelectFrame(0, currentFrame + 1);
        return;
    }
    SelectFrame(0, firstFrame);
    // A finished effect stepped on by its holder (the cursor's shapes) goes round again, but its
    // ending runs once.
    if (!LoopsAtEnd(category, id) && state == 1) EndStep();
}

void Zu_SkillEffect::MotionStep() {
    if (category == 2 || !script) return;
    // The script comes with the animation's record: it ends with the record.
    auto word = [this](int16_t& out) {
        if (!scriptCursor || scriptCursor >= scriptEnd) return false;
        out = *scriptCursor++;
        return true;
    };
    auto readCommand = [&] {
        int16_t c = 0, n = 0, dx = 0, dy = 0;
        command = 0;
        commandCount = 0;
        if (!word(c)) return;
        if (c == 1) {
            if (!word(n) || !word(dx) || !word(dy)) return;
            stepX = dx;
            stepY = dy;
        } else if (c == 2) {
            if (!word(n)) return;
        } else if (c != 3) {
            return;
        }
        command = c;
        commandCount = n;
    };
    if (!scriptCursor) {
        scriptCursor = script;
        readCommand();
    }
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
    if (state == 0) return;
    if (category == 2) {
        if (!owner) return;
        const int r =
            TheAviClipManager.RenderClip(GetBackSurface(), owner->pixelX, owner->pixelY, clipSlot, clipLevel);
        if (r == 3) FinishMovie();
        return;
    }
    if (!frame) return;
    int32_t left = 0, top = 0, width = 0, height = 0;
    if (category == 0) {
        width = TheScreenSettings ? TheScreenSettings->screenWidth : 800;
        height = TheScreenSettings ? TheScreenSettings->screenHeight : 600;
    } else {
        const MapView* view = View();
        if (!view) return;
        left = view->viewX * 40;
        top = view->viewY * 10;
        width = 800;
        height = 560;
        if (category == 1) {
            if (TheScreenSettings && TheScreenSettings->day == 2) {
                DrawWeatherOrigin();
            } else {
                x = WeatherOriginX + (platform::rand() % 10) * 100;
                y = WeatherOriginY + (platform::rand() % 8) * 100;
            }
        }
    }
    ClipRect picture{x, y, x + frame->width, y + frame->height};
    ClipRect area{left, top, left + width, top + height};
    if (!ClipRectPair(picture, area)) return;
    if (category == 1) {
        // Weather shows only where all four corners of its visible part are watched.
        const MapView* view = View();
        if (!TheBattleMap || !view) return;
        const int32_t cx[2] = {area.left, area.right - 1};
        const int32_t cy[2] = {area.top, area.bottom - 1};
        for (int32_t px : cx)
            for (int32_t py : cy) {
                const MapCell* cell = TheBattleMap->CellAt(view->viewX + px / 40, view->viewY + py / 10);
                if (!cell || cell->sightCount < 2) return;
            }
    }
    platform::Surface* back = GetBackSurface();
    if (!back) return;
    platform::DDSURFACEDESC2 desc;
    if (platform::FAILED(back->Lock(nullptr, &desc, platform::DDLOCK_WAIT))) return;
    DrawAniFrameBits(frame, x - left, y - top, static_cast<uint16_t*>(desc.lpSurface), desc.lPitch,
                     std::min<int>(width, int(desc.dwWidth)), std::min<int>(height, int(desc.dwHeight)),
                     true);
    back->Unlock(nullptr);
}
