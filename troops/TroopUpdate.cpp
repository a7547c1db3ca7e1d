#include "troops/Troop.h"

#include "Program/GameController.h"
#include "Program/GameRules.h"
#include "Program/ScreenSettings.h"
#include "Program/SoundEffects.h"
#include "engine/Random.h"
#include "engine/ResourceStore.h"
#include "engine/ResourceStoreFormats.h"
#include "net/TroopCommands.h"
#include "platform/CRand.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "records/SubCastle.h"
#include "troops/MissileLaunch.h"
#include "troops/SoldierTypeColumns.h"
#include "troops/SoldierTypesSeen.h"
#include "troops/TroopOrder.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"
#include "world/Coordinates.h"
#include "world/UnitPath.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {
constexpr uint8_t kFacingOffset[9] = {0, 2, 1, 0, 1, 2, 3, 4, 3};

int32_t SkillColumn(const uint8_t* block, uint32_t offset) {
    int32_t v = 0;
    std::memcpy(&v, block + offset, 4);
    return v;
}

bool IsCorpseType(int32_t t) {
    return (t >= 115 && t <= 118) || t == 128;
}

bool IsSeaType(int32_t t) {
    return (t >= 79 && t <= 84) || t == 112;
}

bool IsSeaTile(uint16_t tile) {
    return tile >= 486 && tile <= 494;
}

bool IsLandTile(uint16_t tile) {
    return tile < 432 || (tile >= 540 && tile <= 4103) || (tile >= 4433 && tile <= 4481) || tile >= 4490;
}

bool BattleRunning() {
    return !TheScreenSettings || !TheScreenSettings->battleEnded;
}

// The map cell lies in the controller's view (cells, rows halved).
bool InView(int32_t x, int32_t y) {
    if (!TheGameController) return false;
    const GameController& g = *TheGameController;
    return !(x < g.viewLeft - 1 || x >= g.viewRight + 1 || y < g.viewTop / 2 || y >= (g.viewBottom + 2) / 2);
}

uint8_t FacingOffset(uint8_t facing) {
    return facing < 9 ? kFacingOffset[facing] : 0;
}
} // namespace

void Troop::Update() {
    // Base type 999 freezes a finished corpse; numbers outside the table do no step either.
    if (baseType > SoldierTypeCount && baseType >= 0) return;
    if (baseType < 0) baseType = currentType;
    City* city = targetCity;
    const bool decides = DecidesHere();
    switch (state) {
    case 0:
        if (decides && actionCode == 6 && city && (targetWord >> 16) == 0 && decisionPhase == 0 &&
            !(flags & 0x40) && KingdomRelation(owner, city->ownerSide) == 3 && owner != city->ownerSide &&
            city->guardWord == 0) {
            if (!city->dead)
                NetCmd09(this, city, -1);
            else
                NetCmdHalt(this);
        }
        MoveStep();
        break;
    case 1:
        if (decides && actionCode == 2 && city) {
            if (city->dead)
                NetCmdHalt(this);
            else if (city->ownerSide == owner || city->guardWord != 0) {
                if (order->orderState == 12)
                    RandomRoam(this, 10, 20);
                else
                    NetCmdFollowTarget(this, city, 0);
            }
        }
        MoveStep();
        break;
    case 11:
        if (decides && actionCode == 12 && city) {
            if (city->dead)
                NetCmdHalt(this);
            else if (city->ownerSide == owner || city->guardWord != 0) {
                if (order->orderState == 12)
                    RandomRoam(this, 10, 20);
                else if (OfficerKind() == 20 && TheGameController && TheGameController->gameKind != 0) {
                    if (City* home = FindNearestCity(owner, 0, true))
                        NetCmdFollowTarget(this, home, 0);
                    else
                        RandomRoam(this, 10, 20);
                } else {
                    NetCmdFollowTarget(this, city, 0);
                }
            }
        }
        if (OfficerKind() == 13 || OfficerKind() == 14)
            currentFrame = static_cast<uint8_t>((currentFrame + 1) % 5);
        if ((skill >= 99 && skill <= 104) || (currentFrame == 2 && (missileKind != 0 || skill >= 0)))
            LaunchAttack();
        break;
    default:
        break;
    }
    if (moveDirection != 0 && moveDirection != animationDirection) {
        animationDirection = moveDirection;
        StartActionAnimation();
    }
    OnFrameAdvance();
}

void Troop::StepMove() {
    if (IsGone() || outOfPlay || garrison != 0 || (state != 0 && state != 1)) return;
    const uint8_t d = FindUnitPath(this, cellX, cellY, goalX, goalY);
    // 0: the path waits a frame; above 8: at the goal or no way, and the step has ended.
    if (d == 0 || d > 8) return;
    SetMoveDirection(d);
    MoveStep();
}

void Troop::MoveStep() {
    if (!BattleRunning() || IsGone()) return;
    if (!formationFollow || !leader || blocked) {
        if (held == 0 && DetourAroundOccupant(this) > 0 && moving) {
            worldX += velX;
            worldY += velY;
            SyncPixelPosition();
            SetMoveDirection(nextDirection);
        }
    } else if (IsLineObstructed(worldX, worldY, velX, velY)) {
        blocked = 1;
        nextDirection = 0;
    } else if (held == 0 && DetourAroundOccupant(this) > 0) {
        worldX += velX;
        worldY += velY;
        SyncPixelPosition();
        SetMoveDirection(nextDirection);
    }
    if (cellX == previousX && cellY == previousY) return;

    const uint16_t tile = TheBattleMap ? TheBattleMap->GetCell(cellX, 2 * cellY)->groundTile : 0;
    if (moveDirection != 0) {
        if (!IsSeaType(currentType) && IsSeaTile(tile)) {
            afloat = 1;
            currentType = SoldierTypeValue(baseType, SoldierColumn::kSeaCounterpart);
            if (InView(cellX, cellY)) PlaySoundEffect(17);
            TakeTypeValues();
            StartActionAnimation();
        } else if (IsSeaType(currentType) && IsLandTile(tile)) {
            afloat = 0;
            currentType = overrideType != 0 ? overrideType : baseType;
            if (InView(cellX, cellY)) PlaySoundEffect(18);
            TakeTypeValues();
            StartActionAnimation();
        }
    }
    PickUpItems();
    moveDirection = 0;
    if (SightCountsForPlayer()) MoveSight();
    previousX = cellX;
    previousY = cellY;
}

bool Troop::SightCountsForPlayer() const {
    if (TheGameController && TheGameController->mapRevealed) return false;
    const int32_t player = PlayerKingdom();
    if (player == 0) return false;
    const int32_t policy = OfficerValue(OfficerLayout::kPolicy);
    if (owner == player) return policy == 0 || policy == player;
    if (KingdomRelation(player, owner) == 1) return true;
    return (flags & 0x40) && policy == player;
}

void MissileLead(const Troop& shooter, const Troop& target, int32_t& aimX, int32_t& aimY) {
    static constexpr int8_t kLead[12] = {10, 6, 4, 4, 6, 6, 10, 6, 4, 4, 6, 6};
    static constexpr int8_t kStep[9][2] = {{0, 0},  {1, 0},  {1, -1}, {0, -1}, {-1, -1},
                                           {-1, 0}, {-1, 1}, {0, 1},  {1, 1}};
    aimX = target.cellX;
    aimY = target.cellY;
    if (target.moveDirection == 0 || target.moveDirection > 8) return;
    const int32_t speedValue = SoldierTypeValue(target.currentType, SoldierColumn::kSpeed);
    // A speed beyond the table counts like 0.
    int32_t frames = speedValue >= 0 && speedValue < 12 ? kLead[speedValue] : 0;
    if (frames == 0) frames = 6;
    const double dx = std::abs(target.cellX - shooter.cellX) * 40.0;
    const double dy = std::abs(target.cellY - shooter.cellY) * 20.0;
    const int32_t d = static_cast<int32_t>(std::sqrt(dx * dx + dy * dy));
    const int32_t per = shooter.missileKind >= 3 && shooter.missileKind <= 6 ? 24 : 32;
    int32_t lead = d / per / frames;
    if (lead < 1) lead = 1;
    aimX += kStep[target.moveDirection][0] * lead;
    aimY += kStep[target.moveDirection][1] * lead;
}

void Troop::LaunchAttack() {
    if (!BattleRunning()) return;
    if (skill < 0) {
        if (missileKind == 0) return;
        if (actionCode == 12 && targetCity) {
            static constexpr int8_t kAim[4][2] = {{2, 2}, {0, 4}, {1, 1}, {-2, 3}};
            const int r = GameRandom() % 4;
            LaunchMissile(this, missileKind, cellX, cellY, targetCity->CellX() + kAim[r][0],
                          targetCity->CellY() / 2 + kAim[r][1], owner,
                          static_cast<uint16_t>(targetCity->missileValue));
            return;
        }
        Troop* target = targetTroop;
        if (!target || (target->flags & 0x04)) return;
        if (target->IsGone() || target->outOfPlay) {
            if (DecidesHere()) NetCmdHalt(this);
            return;
        }
        Engage(target);
        int32_t aimX = 0, aimY = 0;
        MissileLead(*this, *target, aimX, aimY);
        const int32_t fromY = OfficerKind() == 14 ? cellY - 1 : cellY;
        LaunchMissile(this, missileKind, cellX, fromY, aimX, aimY, owner, 0);
        return;
    }
    if (!skillLaunched) {
        skillLaunched = 1;
        int16_t x = goalX, y = goalY;
        // A skill aimed by its "施法對象" of 1 goes where the most enemies stand within its reach.
        if (const uint8_t* s = SkillBlock(skill); s && SkillColumn(s, 56) == 1)
            FindSkillCell(x, y, SkillColumn(s, 48));
        LaunchSkillEffect(this, skill, x, y);
    }
}

int32_t Troop::ActionRow() {
    if (!HasSoldierType(currentType)) {
        currentType = baseType;
        return 0;
    }
    SoldierTypesSeen().Mark(currentType);
    const int32_t kind = OfficerKind();
    int32_t row = 0;
    switch (state) {
    case 10:
        if (kind == 2 || kind == 3)
            row = 5;
        else if (kind == 9)
            row = 0;
        else
            row = actionCode == 14 ? 20 : 5;
        break;
    case 11:
        if (kind == 2 || kind == 3)
            row = 10;
        else if (kind == 9)
            row = 0;
        else
            row = actionCode == 16 ? 15 : 10;
        break;
    case 13:
        if (kind == 2)
            row = (currentType >= 115 && currentType <= 118) || actionCode == 19 ? 0 : 15;
        else if (kind == 3)
            row = currentType < 115 ? 15 : 0;
        break;
    default:
        break;
    }
    if (kind != 13 && kind != 9) row += FacingOffset(facing);
    if (currentType >= 108 && currentType <= 110)
        row = (state == 11 ? 10 : state == 10 ? 5 : 0) + FacingOffset(facing);
    else if (currentType >= 111 && currentType <= 114)
        row = (state == 10 ? 5 : 0) + FacingOffset(facing);
    else if ((currentType >= 115 && currentType <= 121) || currentType == 125 || currentType == 126 ||
             currentType == 133)
        row = 0;
    return row < 0 ? 0 : row;
}

void Troop::ClearFrames() {
    while (frames) {
        FrameLink* next = frames->next;
        delete frames;
        frames = next;
    }
    frameCount = 0;
    frame = nullptr;
    currentNode = nullptr;
    currentFrame = 0;
    rowFrames_.clear();
}

void Troop::LoadActionFrames(int32_t row) {
    ClearFrames();
    if (!TheResourceStore) return;
    SpriteFrame** table = nullptr;
    SpriteAction* actions = nullptr;
    TheResourceStore->LoadUnitAnimation(currentType, &table, &actions);
    if (!table || !actions) return;
    const int32_t kind = currentType == 0 ? 1 : currentType;
    // A row the action file does not have leaves the frame list empty.
    if (row < 0 || row >= UnitActionCounts[kind]) return;
    const SpriteAction& action = actions[row];
    const int count = action.stepCount > 0 ? action.stepCount : 0;
    rowFrames_.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        FrameRecord r;
        const int n = action.steps[i].frame;
        if (n < UnitFrameCounts[kind] && table[n]) {
            const SpriteFrame& s = *table[n];
            r.offsetX = s.xOffset;
            r.offsetY = s.yOffset;
            r.frameWidth = static_cast<int16_t>(s.width);
            r.frameHeight = static_cast<int16_t>(s.height);
            r.data = s.pixels;
            r.dataSize = static_cast<uint32_t>(s.width) * s.height;
        }
        rowFrames_.push_back(r);
    }
    for (FrameRecord& r : rowFrames_)
        AddFrame(&r);
    if (count > 0) Start(1, count);
}

void Troop::StartActionAnimation() {
    LoadActionFrames(ActionRow());
    if (state > 9) moveDirection = 0;
}

void Troop::OnFrameAdvance() {
    if (currentFrame == lastFrame) {
        if (state == 11) {
            const int32_t pause = SoldierTypeValue(currentType, SoldierColumn::kAttackPause);
            stepDelayCounter = static_cast<uint8_t>(pause == 0 ? 1 : pause);
        }
        SetFrame(currentFrame, firstFrame);
    } else {
        SetFrame(currentFrame, currentFrame + 1);
    }
}

void Troop::BecomeCorpse() {
    ClearFrames();
    actionCode = 19;
    switch (OfficerKind()) {
    case 2:
        baseType = currentType = baseType == currentType ? 115 : 118;
        break;
    case 3:
        baseType = currentType = 117;
        break;
    case 9:
        baseType = currentType = 128;
        break;
    default:
        break;
    }
    currentNode = nullptr;
    LoadActionFrames(ActionRow());
    actionCode = 0;
    SetStepDelay(100);
}

int Troop::SetFrame(int from, int to) {
    const int32_t kind = OfficerKind();
    if (kind == 13 || kind == 14 || kind == 17) return 0;
    if (!TroopKingdom(owner)) return 0;
    if (state == 13 && actionCode != 19) {
        if ((kind == 2 || kind == 3) && from == lastFrame - 1) SetStepDelay(30);
        if (from == lastFrame) {
            if (IsCorpseType(baseType)) {
                if (kind != 9) baseType = 999;
            } else {
                if (kind == 9) {
                    // Only items that find a free cell leave the officer.
                    PlaceCarriedItems();
                    if (garrison == 0) DropLoot(cellX, cellY, 0);
                }
                BecomeCorpse();
            }
            return 0;
        }
    }
    if (to == currentFrame) return 1;
    if (to <= 0) return 0;
    FrameLink* link = frames;
    for (int i = 1; link && i < to; ++i)
        link = link->next;
    if (!link) return 0;
    currentNode = link;
    frame = link->frame;
    currentFrame = static_cast<uint8_t>(to);
    if (!IsGone() && TheGameController && TheGameController->mode != 0 &&
        !(TheScreenSettings && TheScreenSettings->windowed && kind == 17) && !InView(cellX, cellY))
        return 0;
    if (to == 3 && platform::rand() % 100 < 60 && (state == 11 || state == 12) && actionCode != 16) {
        const int32_t sound =
            SoldierTypeValue(OfficerValue(OfficerLayout::kSoldierType), SoldierColumn::kAttackSound);
        if (sound != 0) PlaySoundEffect(sound);
    }
    return 1;
}

void Troop::StartDeath() {
    BecomeCorpse();
}
