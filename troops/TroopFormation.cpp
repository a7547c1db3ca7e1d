#include "troops/TroopFormation.h"

#include "engine/LinkList.h"
#include "engine/Random.h"
#include "net/TroopCommands.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "troops/TroopSearch.h"
#include "world/Coordinates.h"
#include "world/UnitPath.h"

#include <cstdlib>
#include <vector>

namespace {
using L = OfficerLayout;

// sin(d) x 65536, rounded, for d = 0..90.
constexpr int32_t kSinTable[91] = {
    0,     1144,  2287,  3430,  4572,  5712,  6850,  7987,  9121,  10252, 11380, 12505, 13626,
    14742, 15855, 16962, 18064, 19161, 20252, 21336, 22415, 23486, 24550, 25607, 26656, 27697,
    28729, 29753, 30767, 31772, 32768, 33754, 34729, 35693, 36647, 37590, 38521, 39441, 40348,
    41243, 42126, 42995, 43852, 44695, 45525, 46341, 47143, 47930, 48703, 49461, 50203, 50931,
    51643, 52339, 53020, 53684, 54332, 54963, 55578, 56175, 56756, 57319, 57865, 58393, 58903,
    59396, 59870, 60326, 60764, 61183, 61584, 61966, 62328, 62672, 62997, 63303, 63589, 63856,
    64104, 64332, 64540, 64729, 64898, 65048, 65177, 65287, 65376, 65446, 65496, 65526, 65536,
};

// Follower slots 1..8 of each formation, in spacing units (x right, y down).
constexpr int8_t kFormationSlots[8][8][2] = {
    {{0, 1}, {1, 1}, {-1, 1}, {2, 1}, {0, 2}, {1, 2}, {-1, 2}, {2, 2}},
    {{-1, 1}, {1, 1}, {-2, 2}, {2, 2}, {-2, 3}, {2, 3}, {-1, 3}, {1, 3}},
    {{-1, 0}, {1, 0}, {-2, -1}, {2, -1}, {-1, -1}, {1, -1}, {-2, -2}, {2, -2}},
    {{-1, 0}, {1, 0}, {-1, 1}, {1, 1}, {0, 1}, {0, 2}, {-1, 2}, {1, 2}},
    {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}, {-2, -2}, {2, -2}, {-2, 2}, {2, 2}},
    {{-1, 1}, {1, 1}, {-2, 2}, {2, 2}, {-1, 2}, {1, 2}, {-2, 3}, {2, 3}},
    {{-1, -1}, {1, -1}, {-2, 0}, {2, 0}, {-2, -2}, {2, -2}, {-2, -1}, {2, -1}},
    {{-1, -2}, {1, 2}, {1, -2}, {-1, 2}, {-2, -1}, {2, 1}, {2, -1}, {-2, 1}},
};
constexpr int32_t kSpacing[3] = {40, 55, 70};

// Escorts of templates 432..437: distance from the leader and side (0 above).
constexpr int8_t kEscortDistance[6] = {5, 8, 5, 4, 7, 6};
constexpr int8_t kEscortSide[6] = {0, 1, 0, 0, 1, 0};
constexpr int32_t kEscortMultiplier = 30;

int32_t EscortOffsetY(const Troop& t, int32_t scale) {
    const int32_t n = t.OfficerValue(L::kPersonNumber) - 432;
    if (n < 0 || n >= 6) return 0;
    return (kEscortSide[n] == 0 ? -1 : 1) * kEscortDistance[n] * scale;
}

void SetSlotOffset(Troop& t, int32_t dx, int32_t dy) {
    t.followerOffsetX = static_cast<int16_t>(dx);
    t.followerOffsetY = static_cast<int16_t>(dy);
    t.formationRadius = IntegerSqrt(int64_t(dx) * dx + int64_t(dy) * dy);
    t.formationAngle = static_cast<int16_t>(VectorAngle(dx, dy));
}

// Puts the troop at the leader's position plus its offset, then on the nearest free cell there.
void PlaceBesideLeader(Troop& t, const Troop& leader) {
    t.worldX = leader.worldX + t.followerOffsetX * 1000;
    t.worldY = leader.worldY + t.followerOffsetY * 1000;
    t.SyncPixelPosition();
    int16_t x = t.cellX, y = t.cellY;
    if (t.FindBestCellAround(t.cellX, t.cellY, t.cellX, t.cellY, x, y, 0, 40, false)) {
        t.worldX = TileToWorldX(x);
        t.worldY = TileToWorldY(y);
    }
    t.SyncPixelPosition();
}

std::vector<Troop*> Followers(const Troop& t) {
    std::vector<Troop*> list;
    if (t.followers)
        for (uintptr_t v = t.followers->First(); v != 0; v = t.followers->Next())
            list.push_back(reinterpret_cast<Troop*>(v));
    return list;
}

bool FollowerMayTakeOrders(const Troop* f, bool testAction) {
    return f && (f->state == 10 || f->state == 0) && (!testAction || f->actionCode != 14) && TroopActive(f) &&
           !(f->flags & 0x0A);
}
} // namespace

int32_t SinQ16(int32_t degrees) {
    int32_t d = ((degrees % 360) + 360) % 360;
    if (d <= 90) return kSinTable[d];
    if (d <= 180) return kSinTable[180 - d];
    if (d <= 270) return -kSinTable[d - 180];
    return -kSinTable[360 - d];
}

int32_t CosQ16(int32_t degrees) {
    return SinQ16(degrees + 90);
}

int32_t VectorAngle(int32_t dx, int32_t dy) {
    const int64_t ax = std::abs(int64_t(dx)), ay = std::abs(int64_t(dy));
    // The largest whole degree a with atan2(ay, ax) >= a, that is ay cos a >= ax sin a.
    int32_t a = 0;
    int32_t lo = 0, hi = ax == 0 && ay == 0 ? -1 : 90;
    while (lo <= hi) {
        const int32_t mid = (lo + hi) / 2;
        if (ay * kSinTable[90 - mid] >= ax * kSinTable[mid]) {
            a = mid;
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    if (dx <= 0 && dy < 0) return 180 - a;
    if (dx < 0 && dy >= 0) return a + 180;
    if (dx >= 0 && dy > 0) return 360 - a;
    return a;
}

int32_t IntegerSqrt(int64_t value) {
    if (value <= 0) return 0;
    int64_t r = 0;
    int64_t bit = int64_t(1) << 62;
    while (bit > value)
        bit >>= 2;
    while (bit != 0) {
        if (value >= r + bit) {
            value -= r + bit;
            r = (r >> 1) + bit;
        } else {
            r >>= 1;
        }
        bit >>= 2;
    }
    return static_cast<int32_t>(r);
}

void Troop::ArrangeFollowers() {
    if (!TroopActive(this) || OfficerKind() != 1) return;
    leader = nullptr;
    formationFollow = 1;
    const int32_t formation = OfficerValue(L::kFormation);
    ApplyFormationModifier(static_cast<int8_t>(formation), 0);
    const int32_t spacingClass = OfficerValue(L::kSpacing);
    // A formation or spacing from a file outside the tables places nobody.
    if (formation < 0 || formation > 7 || spacingClass < 0 || spacingClass > 2) return;
    const int32_t spacing = kSpacing[spacingClass];
    int32_t slot = 0;
    for (Troop* f : Followers(*this)) {
        if (++slot > 8) break;
        f->formationFollow = 1;
        f->leader = this;
        f->followerSlot = static_cast<uint8_t>(slot);
        const auto& entry = kFormationSlots[formation][slot - 1];
        SetSlotOffset(*f, entry[0] * spacing, entry[1] * spacing);
        f->leaderVelX = f->leaderVelY = 0;
        f->held = 0;
        PlaceBesideLeader(*f, *this);
        const int32_t tmpl = f->OfficerValue(L::kPersonNumber);
        if (tmpl >= 416 && tmpl <= 423)
            f->ApplyFormationModifier(static_cast<int8_t>(formation), ((tmpl - 415) / 3) * 2 + 2);
    }
}

void Troop::AttachFollower(Troop* e) {
    if (!TroopActive(e)) return;
    escort = e;
    e->leader = this;
    e->formationFollow = 1;
    e->leaderVelX = e->leaderVelY = 0;
    e->held = 0;
    if (e->officer) e->officer->Set(L::kAttribute, 3);
    // Set-up runs on every station: the draw comes from the shared generator.
    SetSlotOffset(*e, 2 - GameRandom() % 5, EscortOffsetY(*e, 1));
    PlaceBesideLeader(*e, *this);
}

uint8_t Troop::KeepFormation() {
    if (!TroopActive(leader)) return 0;
    if (leader->velX != leaderVelX || leader->velY != leaderVelY) {
        if (OfficerKind() == 3) SetSlotOffset(*this, 0, EscortOffsetY(*this, kEscortMultiplier));
        const int32_t heading = VectorAngle(leader->velX, leader->velY);
        int32_t angle = heading - 90 + formationAngle;
        if (angle >= 360) angle %= 360;
        followerOffsetX = static_cast<int16_t>(int64_t(formationRadius) * CosQ16(angle) / 65536);
        followerOffsetY = static_cast<int16_t>(-(int64_t(formationRadius) * SinQ16(angle) / 65536));
        leaderVelX = leader->velX;
        leaderVelY = leader->velY;
    }
    int32_t gx = leader->worldX + followerOffsetX * 1000;
    int32_t gy = leader->worldY + followerOffsetY * 1000;
    if (leader->state == 0) {
        gx += leader->velX;
        gy += leader->velY;
    }
    int32_t cx = WorldToTileX(gx), cy = WorldToTileY(gy);
    const int32_t leaderObstacle = GetCellObstacle(leader->cellX, 2 * leader->cellY);
    if (leaderObstacle != GetCellObstacle(cx, 2 * cy)) {
        int16_t x = 0, y = 0;
        if (FindBestCellAround(cx, cy, cellX, cellY, x, y, 0, 20, false, true, leaderObstacle)) {
            cx = x;
            cy = y;
            gx = TileToWorldX(x);
            gy = TileToWorldY(y);
        }
    }
    speed = static_cast<int16_t>(speed - speedBonus);
    const int32_t far = std::abs(gx - worldX) / 1000 + std::abs(gy - worldY) / 1000;
    speedBonus = far > 40 ? 100 : 0;
    speed = static_cast<int16_t>(speed + speedBonus);
    if (held) {
        goalX = static_cast<int16_t>(cx);
        goalY = static_cast<int16_t>(cy);
        return 0;
    }
    const uint8_t dir = ComputeStepVelocity(gx, gy, worldX, worldY, velX, velY, false, speed);
    if (IsStepNotCloser(worldX, worldY, gx, gy, velX, velY)) return 0;
    if (goalX == cx && goalY == cy) return state == 10 ? 0 : dir;
    goalX = static_cast<int16_t>(cx);
    goalY = static_cast<int16_t>(cy);
    return dir;
}

void Troop::PassTargetToFollowers() {
    Troop* enemy = targetTroop;
    if (!TroopActive(enemy) || !followers) return;
    auto pass = [&](Troop* f, bool testAction) {
        uint8_t cityNear = 0;
        if (!FollowerMayTakeOrders(f, testAction) || f->ScanForEnemy(0, cityNear)) return;
        if (NetCmdTargetTroop(f, enemy)) f->MarkOrderEngaged();
    };
    for (Troop* f : Followers(*this))
        pass(f, true);
    pass(escort, false);
}

void Troop::PassOrderToFollowers() {
    if (!followers) return;
    auto pass = [&](Troop* f, bool testAction) {
        if (!FollowerMayTakeOrders(f, testAction)) return;
        NetCmd09(f, targetCity, f->skill);
        f->MarkOrderEngaged();
    };
    for (Troop* f : Followers(*this))
        pass(f, true);
    pass(escort, false);
}
