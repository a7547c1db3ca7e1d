#include "world/Missile.h"

#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/SoundEffects.h"
#include "engine/NumberTable.h"
#include "engine/ResourceStore.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"
#include "world/Coordinates.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr int16_t kFirstSets[Missile::kKinds] = {0, 0, 12, 24, 36, 48, 60, 72, 84, 96, 108, 120};

uint8_t SignOf(int32_t d) {
    return d > 0 ? 1 : d < 0 ? 2 : 0;
}

int32_t Signed(uint8_t sign, int32_t v) {
    return sign == 2 ? -v : v;
}

bool IsSiegeType(int32_t type) {
    return type >= 108 && type <= 110;
}

} // namespace

int16_t MissileDirection(float r, uint8_t xSign, uint8_t ySign, bool verticalOnly) {
    const bool down = ySign == 1;
    if (verticalOnly) return down ? 6 : 0;
    const bool right = xSign == 1;
    if (r < 0.286f) return right ? 3 : 9;
    if (r > 3.73f) return down ? 6 : 0;
    if (r < 1.0f) {
        if (!down) return right ? 2 : 10;
        return right ? 4 : 8;
    }
    if (!down) return right ? 1 : 11;
    return right ? 5 : 7;
}

Missile::Missile(Troop* from, int32_t k, int32_t sx, int32_t sy, int32_t tx, int32_t ty, uint8_t s,
                 uint16_t city)
    : kind(k), targetCity(city), targetX(uint16_t(tx)), targetY(uint16_t(ty)), cellX(int16_t(sx)),
      cellY(int16_t(sy)), side(s) {
    const OfficerRecord* officer = from ? from->officer : nullptr;
    if (from && !(officer && officer->Get(OfficerLayout::kAttribute) == 13)) shooter = from;
    if (from) side = uint8_t(from->owner);
    int32_t p = officer ? officer->Get(OfficerLayout::kAttack) : 0;
    shooterStamina = int16_t(officer ? officer->Get(OfficerLayout::kHp) : 0);
    if (from && IsSiegeType(from->currentType)) p *= GameParams().catapultBonus;
    if (from && IsCellWall(from->cellX, 2 * from->cellY)) p = p * 3 / 2;
    power = int16_t(p);

    startX = sx * 40;
    startY = sy * 20 - 20;
    if (from && IsSiegeType(from->currentType)) startY -= 80;
    if (from && from->currentType == 123) startY -= 90;
    if (startY < 1) startY = 0;
    endX = tx * 40;
    endY = ty * 20 - 20;
    // A kind past the image table draws with the first kind's images.
    firstSet = (kind >= 0 && kind < kKinds) ? kFirstSets[kind] : 0;
    SetUpTrajectory();

    GameController* c = TheGameController;
    if (kind == 5 && c && sx >= c->viewLeft && sx <= c->viewRight && 2 * sy >= c->viewTop &&
        2 * sy <= c->viewBottom)
        PlaySoundEffect(34);
}

Missile::~Missile() {
    // The frame links are the missile's own, not the base's to free.
    frames = nullptr;
    frame = nullptr;
    frameCount = 0;
}

void Missile::SetDirection(int16_t d) {
    if (kind == 7 || kind == 8) d = 0;
    if (d == direction && imageSet == firstSet + d) return;
    direction = d;
    imageSet = int16_t(firstSet + d);
    LoadImageSet();
}

void Missile::LoadImageSet() {
    frames = nullptr;
    frame = nullptr;
    frameCount = 0;
    currentFrame = 0;
    const ResourceStore* store = TheResourceStore;
    if (!store || imageSet < 0 || imageSet >= store->weaponActionCount) return;
    const SpriteAction& set = store->weaponActions[imageSet];
    int n = 0;
    for (int i = 0; i < set.stepCount && n < kMaxFrames; ++i) {
        const int number = set.steps[i].frame;
        const SpriteFrame* f =
            number >= 0 && number < store->weaponFrameCount ? store->weaponFrames[number] : nullptr;
        FrameRecord& r = setFrames_[n];
        r = FrameRecord{};
        if (f) {
            r.offsetX = f->xOffset;
            r.offsetY = f->yOffset;
            r.frameWidth = int16_t(f->width);
            r.frameHeight = int16_t(f->height);
            r.data = f->pixels;
            r.dataSize = uint32_t(f->width) * f->height;
        }
        setLinks_[n] = FrameLink{nullptr, &r};
        if (n > 0) setLinks_[n - 1].next = &setLinks_[n];
        ++n;
    }
    if (n == 0) return;
    frames = &setLinks_[0];
    frameCount = uint8_t(n);
    Start(1, n);
    SetFrameDelay(1);
    SetStepDelay(1);
}

void Missile::MoveTo(int32_t x, int32_t y) {
    pixelX = x;
    pixelY = y;
    posX = int16_t(x);
    posY = int16_t(y);
}

void Missile::SetUpTrajectory() {
    const int32_t dx = endX - startX, dy = endY - startY;
    xSign = SignOf(dx);
    ySign = SignOf(dy);
    absDx = std::abs(dx);
    absDy = std::abs(dy);
    length = int32_t(std::sqrt(double(dx) * dx + double(dy) * dy));
    travelled = 0;
    landed = 0;
    MoveTo(startX, startY);
    const float r = absDx == 0 ? 0.0f : float(absDy) / float(absDx);
    baseDirection = MissileDirection(r, xSign, ySign, absDx == 0);
    direction = -1;
    SetDirection(baseDirection);
    if (Ballistic()) {
        ratio = length == 0 ? 0.0f : float(absDx) / float(length);
        launchSpeed = length * NumberTableValues[5] / 48.0;
        tick = 1;
    }
}

void Missile::Fly(int32_t stepPixels) {
    if (landed != 0) {
        landed = 2;
        Hit();
        return;
    }
    if (length < travelled + stepPixels) {
        MoveTo(endX, endY);
        landed = 1;
        return;
    }
    travelled += stepPixels;
    MoveTo(xSign ? startX + Signed(xSign, travelled * absDx / length) : pixelX,
           ySign ? startY + Signed(ySign, travelled * absDy / length) : pixelY);
}

void Missile::Step() {
    if (shooter && shooter->IsGone()) shooter = nullptr;
    if (!Ballistic()) {
        Fly(32);
        return;
    }
    Fly(24);
    if (landed > 1) return;
    const double g = NumberTableValues[5];
    height = tick * launchSpeed - g * tick * tick / 2;
    if (height >= 0 && ratio != 0) MoveTo(pixelX, pixelY - int32_t(height));
    ++tick;
    // The arc's slope picks the image: the height over one step, with the flight's own signs.
    SetDirection(MissileDirection(float(height / 24.0), xSign, ySign, xSign == 0));
}

void Missile::Hit() {
    BattleMap* map = TheBattleMap;
    if (!map) return;
    Kingdom* own = map->FindKingdom(side);
    for (int32_t row = targetY; row >= int32_t(targetY) - 1 && row >= 0; --row) {
        Troop* victim = nullptr;
        for (uintptr_t id = map->FirstObjectAt(targetX, row); id != 0; id = map->NextObjectAt()) {
            Troop* t = reinterpret_cast<Troop*>(id);
            if (!t->IsGone() && t->owner != side) {
                victim = t;
                break;
            }
        }
        map->occupancyCursor = nullptr;
        if (!victim || !own || victim->owner < 0 || victim->owner > BattleMap::kSides ||
            own->relations[victim->owner] != 3)
            continue;
        if (shooter) {
            victim->ConsiderTarget(shooter, 0);
        } else {
            own->score += victim->CanAttack(power, side, nullptr);
        }
    }
    if (targetCity != 0)
        if (City* city = map->CityById(targetCity)) city->ResolveAttack(power, side, shooter);
}
