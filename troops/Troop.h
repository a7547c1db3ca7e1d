#pragma once

#include "gui/FrameAnimation.h"

#include <cstdint>
#include <vector>

class City;
class MapObject;
class LinkList;
class OfficerRecord;
class Troop;
class Zu_SkillEffect;
struct PathWaypoint;
struct RouteStep;
struct TroopOrder;

// The cell a missile of the shooter aims at: the target's cell, moved ahead by its lead when it
// moves (at least one cell).
void MissileLead(const Troop& shooter, const Troop& target, int32_t& aimX, int32_t& aimY);

// The first troop of the stage whose officer has that template number, or null.
Troop* FindTroopByTemplate(int32_t templateId);

// A body of soldiers of one type led by one officer, standing on the battle map. It owns its
// officer, its order, its follower list (not the followers) and its attached effects.
class Troop : public FrameAnimControl {
public:
    // A negative mode makes the reduced form: an order holder with a cell, not on the map.
    Troop(int32_t mode, uint8_t state, int16_t x, int16_t y, int8_t owner, int16_t homeCity, uint32_t spare,
          OfficerRecord* officer);
    ~Troop() override;
    Troop(const Troop&) = delete;
    Troop& operator=(const Troop&) = delete;

    // One animation step, called when the step delay runs out.
    virtual void Update();
    // Makes frame `to` of the current action the shown one; also ends the death animation.
    virtual int SetFrame(int from, int to);
    virtual void StartActionAnimation();
    virtual void OnFrameAdvance();

    void Advance() override { Update(); }
    int SelectFrame(int from, int to) override { return SetFrame(from, to); }
    void Step() override { OnFrameAdvance(); }

    void PlaceAt(int16_t x, int16_t y);
    void SetCell(int16_t x, int16_t y, int16_t garrisonValue);
    void SetUnitType(int32_t type);
    void SetMoveDirection(uint8_t dir);
    // A blow against the city: the city answers its attacker.
    void AttackCity(City* city);

    void MoveStep();
    // Starts or continues the walk toward the destination cell along the troop's path, through the
    // cell centres, and takes one step of it.
    void StepMove();
    // Items lying next to the troop that it walks past; the taking of one map object.
    void PickUpItems();
    bool TakeMapObject(MapObject* object);
    // Puts the officer's carried items on free cells next to the troop (rout or capture); mode 1
    // also rolls the reward item there.
    void DropCarriedItems(int32_t mode);
    // The carried items that found a free neighbour cell, taken from the officer; how many.
    int32_t PlaceCarriedItems();
    void LaunchAttack();
    int32_t ActionRow();
    void StartDeath();

    // Pursuit anchor and the step from world position to pixel position and cell.
    void MarkPursuitStart();
    void ClearMoveFlags();
    void ReturnFromPursuit();
    void SyncPixelPosition();

    // Clears the step under way and the path; every move, halt and target command runs it.
    virtual void ResetCombatState();

    // Applies of the troop order commands.
    virtual void ApplyHalt();
    bool ApplyCmd02(int32_t x, int32_t y);
    void ApplyRoam(int32_t x, int32_t y);
    bool ApplyTarget(Troop* target);
    virtual void ApplyCmd05(int kind);
    bool ApplyFollow(City* city, RootObject* target, uint32_t key);
    bool ApplyMoveTo(int32_t x, int32_t y, int32_t x2, int32_t y2);
    bool ApplyCmd08(int32_t x, int32_t y);
    bool ApplyCmd09(City* city, uint32_t key);
    void ApplyCmd10(int kind);
    bool ApplyEngage(Troop* target, int32_t x, int32_t y, int32_t attackKind);
    void ApplyCmd12();
    bool ApplyWander(int32_t x, int32_t y, uint8_t direction, int8_t orderKind);

    // The order machine: one step for a standing troop, the arrival check for a moving one.
    void RunOrder();
    bool CheckOrderArrival();
    void OnOrderLegDone();
    void MarkOrderEngaged();
    void StartAdvance();
    void StartCloseIn();
    void StartAssault();
    int16_t OrderAllInState(int8_t state, int32_t targetCityId);
    void SetGatherCell();
    void ReturnHome(int32_t patrolParam, bool goHome);
    void OrderEnterCity(int32_t cityId);
    void OrderTargetObject(Troop* object);
    void ResumeOrder();
    // The next route destination by the route stage; the stage it settled on (7: finished).
    int8_t NextRouteStep(int16_t& x, int16_t& y);
    // Route control: 2 the route is finished (true when the officer's end behaviour took over),
    // 1 walk to the destination from an anchor here, 0 stand.
    bool ApplyRouteControl(int32_t mode);

    // Order targets.
    City* PickFallbackCity(int32_t kingdom);
    City* FindCapitalCity();
    int8_t PickTargetFromHomeCity();
    int8_t MarchOnTarget();
    bool AttackNearestEnemy(int32_t targetCityId);
    bool CheckRetreat();
    City* HomeCity() const;
    City* OrderTargetCity() const;

    // Ring searches: the free cell nearest to (gx, gy) in the innermost usable ring around (x, y),
    // and the approach cell next to a city.
    bool FindBestCellAround(int32_t x, int32_t y, int32_t gx, int32_t gy, int16_t& outX, int16_t& outY,
                            int32_t r0, int32_t r1, bool ignoreOccupants, bool matchObstacle = false,
                            int32_t obstacleValue = 0, int32_t reachMode = 0);
    bool FindBestCellInRings(int32_t x, int32_t y, int32_t gx, int32_t gy, int16_t& outX, int16_t& outY,
                             int32_t r0, int32_t r1, int32_t cityIndex);
    // The nearest valid city of the kingdom (kinds 0, 2, 3, 10; with fallback then 1, 6).
    City* FindNearestCity(int32_t kingdom, int32_t subKind, bool fallback);

    // Combat, sight and hiding rules come with their own module; these are what the path code,
    // the animation step and the stage steps ask of them.
    virtual int IsWithinRange(int x, int y) { return IsWithinRange(x, y, rangeStart, rangeEnd); }
    // A hit of that power from that side (TakeHit); the damage dealt.
    virtual int CanAttack(int power, int side, Troop* attacker);
    // The attacker's blow lands on this troop (ReceiveAttack).
    virtual void ConsiderTarget(Troop* attacker, int unused);
    virtual void Engage(Troop* victim);
    virtual void MoveSight();
    virtual void UpdateSight();
    // The sight update of a troop of the player's kingdom or of an ally; others change nothing.
    void RevealForPlayer(int32_t mode);
    // Takes back the troop's sight marks before it leaves the map for good.
    virtual void UpdateSightInView();
    // The per-frame decision and action step the battle map runs (TroopDecision.cpp).
    virtual void Think();
    virtual void TickStatus();
    virtual void MarkRemoved();
    bool IsValidTarget(const Troop* other) const;
    bool IsGone() const { return deadFlag != 0 || state == 13; }

    // The officer's kind ("武將屬性"), 0 without officer.
    int32_t OfficerKind() const;
    int32_t OfficerValue(uint32_t offset) const;
    // The unit id commands carry: the officer's serial.
    uint32_t UnitId() const;
    // Orders the carried items the way the troop item page lists them.
    void SortCarriedList();

    int32_t baseType = 0;
    OfficerRecord* officer = nullptr;
    uint8_t* officerData = nullptr;
    uint8_t state = 0;
    int8_t decisionPhase = 0;
    int8_t owner = 0;
    int16_t homeCity = 0;
    int16_t drawnRect[4] = {};
    int16_t goalX = 0, goalY = 0; // destination cell
    int16_t pixelX = 0, pixelY = 0;
    uint16_t percent[2] = {100, 100};
    uint8_t moveDirection = 0;
    int16_t frameGeometry[8] = {};
    int32_t currentType = 0;
    int32_t overrideType = 0;
    uint8_t afloat = 0;
    uint8_t outOfPlay = 0;
    int16_t cellX = 0, cellY = 0;
    uint8_t selected = 0;
    int8_t hotKeyGroup = -1;
    uint8_t animationDirection = 0;
    uint8_t facing = 8;
    uint8_t hitNotice = 0;
    int16_t orderWait = 0;
    uint8_t drawingMode = 0;
    TroopOrder* order = nullptr;
    uint8_t formationBonus = 0;
    Troop* targetTroop = nullptr;
    RootObject* targetObject = nullptr;
    uint32_t targetWord = 0;
    City* targetCity = nullptr;
    int16_t rangeStart = 0, rangeEnd = 0;
    uint8_t missileKind = 0;
    uint8_t visibleMark = 0;
    uint8_t nextDirection = 0;
    int16_t busyWord = 0;
    int16_t followerOffsetX = 0, followerOffsetY = 0;
    uint8_t followerSlot = 0;
    uint8_t actionCode = 0;
    uint32_t flags = 0;
    int32_t spareWord = 0;
    int32_t moving = 0;
    int32_t velX = 0, velY = 0;
    int32_t worldX = 0, worldY = 0;
    int16_t footprint[4] = {20, 10, 40, 20};
    Troop* leader = nullptr;
    uint8_t formationFollow = 0;
    int16_t formationAngle = 0;
    int32_t formationRadius = 0;
    int32_t leaderVelX = 0, leaderVelY = 0;
    uint8_t blocked = 0;
    int32_t skill = -1;
    int16_t controlWord = 2;
    uint16_t hitFlash = 0;
    int16_t flashColour = 0;
    int16_t previousX = 0, previousY = 0;
    LinkList* followers = nullptr;
    uint32_t statusBits = 0;
    int16_t garrison = 0;
    int16_t speed = 100;
    int16_t sightRadius = 0;
    struct StatusEntry {
        uint8_t flag = 0;
        uint8_t value = 0;
        int16_t counter = 0;
    } statusEntries[14] = {};
    int16_t statusWords[2] = {};
    uint8_t skillLaunched = 0;
    uint8_t pieceMode = 0;
    uint16_t waypointWait = 0xFFFF;
    int16_t anchorX = 0, anchorY = 0;
    int8_t routeStage = 0;
    uint8_t held = 0;
    Troop* pairedTroop = nullptr;
    uint16_t outgoingMark = 0;
    uint16_t structureWord = 0;
    Zu_SkillEffect* attachedEffects[6] = {};
    FrameLink* currentNode = nullptr;

    // Words of the decision, route and path rules, cleared at construction.
    uint8_t routeTrigger = 0;
    int16_t routeWait = 0;
    int16_t returnX = -1, returnY = -1;
    uint8_t retreating = 0;
    int16_t retreatTimer = 0;
    uint8_t pathEndHold = 0;
    uint8_t keep[2] = {};
    int16_t speedBonus = 0;
    int32_t groupId = 0;
    PathWaypoint* waypoints = nullptr; // owned
    RouteStep* route = nullptr;        // owned
    uint8_t routeMode = 0;             // 0 none, 1 following, 2 end replaced
    uint8_t noRoute = 0;
    int32_t waitCounter = 0;
    uint8_t waiting = 0;
    int32_t deadFlag = 0;
    // Stage bookkeeping: the carried list of the item page, the caravan marker and the serial.
    LinkList* carried = nullptr; // item ids; owned
    int16_t flagWord = 0;
    // A transport convoy's: set when the player leads it, and the city that sent it.
    int16_t entryFlag = 0;
    int32_t sourceCity = 0;
    int32_t serial = 0;
    uint8_t moveBytes[2] = {};
    Troop* savedTarget = nullptr;
    Troop* heldObject = nullptr; // the object an order in state 10 acts against
    int16_t pathWait = 0;        // non-zero while a path search is pending
    uint8_t attackSubKind = 0;
    // What the battle map's step and the kingdom's daily step read and write on a troop.
    uint8_t kept = 0;     // a dying troop only leaves the field list
    int32_t kindWord = 0; // 999: taken off the map at the next world step
    uint8_t leaderFlag = 0;
    uint8_t moveKind = 0; // 6: toward a target object
    uint8_t targetIsSubCastle = 0;
    int32_t entrySteps = 0;
    Troop* followTarget = nullptr;
    Troop* escortTarget = nullptr; // read while flag 0x200 is set
    Troop* attackTarget = nullptr;
    // What a skill effect reads and releases on its owner: the hit field (above -2 strikes), the
    // casting byte and the two skill timers, which hold the skill choice back while set.
    int32_t skillHit = 0;
    uint8_t casting = 0;
    int16_t skillTimers[2] = {};
    // The unit type and facing the troop had when the stage saved it.
    int32_t savedUnitType = 0;
    uint8_t savedFacing = 0;
    // What cities and sub-castles keep on a troop they hold or send out.
    uint8_t hidden = 0;         // inside a city or sub-castle, not drawn
    uint8_t inCity = 0;         // standing in a city or sub-castle
    uint8_t cityUnit = 0;       // made by a city: garrison or a listed general's troop
    uint16_t ledUnit = 0;       // 1 the troop leads a unit (its escorts follow it)
    uint16_t arranged = 0;      // 2 once put on or taken off a formation cell
    uint8_t pendingSortie = 0;  // 1..6: leave the city or sub-castle
    int32_t unitNumber = 0;     // the battle map's unit counter when made; escorts share it
    Troop* mainTroop = nullptr; // the unit an escort belongs to
    uint16_t towerMarker = 0;   // 1 a stage's own tower, 2 a tower the city rebuilt
    // The display marker the developer keys give every troop.
    uint8_t marker = 0;
    void SetMarker(uint8_t value) { marker = value; }

    // Stage files: the two targets as the unit record names them (cell and officer serial of the
    // target troop, then of the target object) until the soldier file finds them again, and the
    // record's bytes and words of the decision rules that no troop step reads yet, kept as stored.
    int16_t storedTargetCells[2][2] = {};
    uint32_t storedTargetSerials[2] = {};
    uint8_t recordBytes[13] = {};
    int16_t recordHalves[9] = {};
    int32_t recordWord = 0;
    // The kingdom setting the order's alert value was taken from (stage start).
    int16_t alertIndex = 0;

    // ---- Sight (TroopSight.cpp) ----
    void WithdrawSight();
    void MarkRedraw(int32_t x, int32_t halfRow, int32_t code);
    // The pointer's test: 1 when the map pixel lies in the troop's pick box and it is in sight.
    int HitTest(int32_t px, int32_t py);
    void EnterGarrison(int16_t garrisonValue);
    // What the troop's marks stand on: the sight is withdrawn exactly as it was marked.
    struct SightMark {
        uint8_t marked = 0;
        int16_t x = 0, y = 0;
        int16_t radius = 0;
    } sightMark;

    // ---- Equipment, formation and skill levels (TroopEquipment.cpp) ----
    void ApplyItemBonus(int32_t item, int8_t sign);
    void RecomputeEquipment();
    void ApplyFormationModifier(int8_t formation, int32_t column);
    void UndoFormationModifier();
    void RecomputeSkillLevels();
    int8_t formationAttackDelta = 0;
    int8_t formationDefenceDelta = 0;

    // ---- Status effects (TroopStatus.cpp) ----
    void ApplySkillStatus(const uint8_t* skill);
    void ClearStatus(uint32_t mask, bool all);
    void CureAllStatus();
    // Per status bit (0..18): the amounts it added and its timer.
    struct StatusEffect {
        int8_t delta[3] = {};
        uint16_t timer = 0;
    } statusEffects[19];
    // Speed taken by the transformed form, given back when it ends.
    int16_t transformSpeedTaken = 0;
    // The attack-speed word that state 11 raises.
    int16_t attackSpeed = 0;
    // Set once the officer's equipment has been added to its values.
    uint8_t equipmentApplied = 0;
    // 1 on the eight pieces of a castle gate.
    uint8_t gatePiece = 0;

    // ---- Hits, death and capture (TroopHits.cpp) ----
    void ReceiveAttack(Troop* attacker);
    int16_t TakeHit(int16_t attack, int32_t attackerKingdom, Troop* attacker);
    void AddUnitCounters(int32_t value, int32_t which);
    void Kill(int32_t killerKingdom);
    void ApplyKill(int32_t killerKingdom);
    void OnDefeated(int32_t killerKingdom, Troop* attacker);
    void Capture(int32_t captorKingdom, Troop* attacker);
    void ApplyCapture(int32_t captorKingdom, int32_t dropMode);
    void ReleaseFollowers();
    void ResetByKind();
    // The drop mode a capture by that attacker gets (0 none, 1 the attacker's side, 2 the own side).
    int32_t CaptureDropMode(Troop* attacker) const;
    // Location scope for commands: 0 field, 1 home city, 2 sub-castle.
    uint32_t Scope() const;

    // ---- Ring searches (TroopSearch.cpp) ----
    bool TryAttackCityAt(int32_t x, int32_t y, int32_t dx, int32_t dy);
    bool ScanForHostileCity();
    bool MoveTowardHostile(int32_t radius);
    // The cell within sight where the most enemies stand within the area; that count.
    int16_t FindSkillCell(int16_t& outX, int16_t& outY, int32_t area);
    void TriggerTrapsAround();
    void HaltIdleSharingDestination();
    int16_t CountWoundedAround(int32_t radius);
    void UncoverHiddenAround();

    // ---- Targets, range and engagement (TroopAttack.cpp) ----
    // 0 out of reach, -1 too close, else the attack direction code 1..8 from (x, y) to the
    // destination cell.
    int8_t IsWithinRange(int32_t x, int32_t y, int32_t rangeStart, int32_t rangeEnd);
    int8_t DestinationInRange(int32_t rangeStart, int32_t rangeEnd) const;
    bool IsBeyondLeash(int32_t x, int32_t y) const;
    bool IsFarFromLeader(int32_t x, int32_t y) const;
    Troop* RateEnemyAtCell(Troop* best, int32_t x, int32_t y, int32_t dx, int32_t dy, int32_t& bestDistance,
                           uint8_t& cityNear);
    bool ScanForEnemy(int32_t radius, uint8_t& cityNear);
    bool StepTroopAttack();
    bool StepCityAttack();
    bool ContinueTroopAttack();
    bool ContinueCityAttack();
    bool FollowTargetAsClient();
    void BackOffFromTarget();
    void MoveTowardCell(int32_t x, int32_t y);

    // ---- Wall duties (TroopWall.cpp) ----
    void GoToWallPost();
    void RoamOnWall();

    // ---- Formations and followers (TroopFormation.cpp) ----
    void ArrangeFollowers();
    void AttachFollower(Troop* escortTroop);
    // The move direction toward the follower's slot; 0 in place or without a leader.
    uint8_t KeepFormation();
    void PassTargetToFollowers();
    void PassOrderToFollowers();
    Troop* escort = nullptr;

    // ---- Calls for help and skill choice (TroopHelp.cpp) ----
    void CallForHelp(int32_t radius, int32_t orderState, int32_t mode, bool stopAtFirst);
    void RallyDefenders(City* city, int32_t n);
    void RallyBand(int32_t maxCount);
    bool ChooseSkill(bool offensive);
    bool TryAreaSkill(const uint8_t* skill);
    bool TrySupportSkill(const uint8_t* skill);

    // ---- Skill effects (TroopSkill.cpp) ----
    // Called on the caster when its skill effect lands: pays the cost and spreads the skill.
    virtual void TakeSkillHit(Zu_SkillEffect* effect);
    void ApplySkillAtCell(Zu_SkillEffect* effect, int32_t skillNumber, int32_t dx, int32_t dy, int32_t cx,
                          int32_t cy);

    // ---- Switching kingdoms (TroopSwitch.cpp) ----
    bool ScanKingdomAt(int32_t x, int32_t y, int32_t dx, int32_t dy, int8_t& found) const;
    int8_t JoinNearbyKingdom(int32_t radius);
    void ApplySwitchKingdom(int32_t kingdom);
    void ConvertToKingdom(int32_t kingdom);

    // ---- Drawing (TroopDraw.cpp) ----
    void Draw(int viewX, int viewY) override;
    // Decodes the current frame into the shared shadow surface.
    void DrawSprite();
    // Recolours the decoded frame: 0 grey, 1 red, 2 blue, 3 dark grey.
    void TintFrame(int32_t mode);
    void DrawStatusBars(int32_t viewX, int32_t viewY);
    void DrawNameLabel(int32_t viewX, int32_t viewY);
    void DrawAttachedEffects();
    // While set every troop is drawn in its base type's colours.
    static inline int32_t drawBaseType = 0;

    // ---- General followers (GeneralFollowers.cpp) ----
    // A battle's band for this general; the campaign stage's level, experience and band.
    void CreateFollowers();
    void RaiseStageFollowers();

    // ---- Decision cycle (TroopDecision.cpp) ----
    void ThinkAsClient();
    bool KeepEscort();
    void TickRetreat();
    bool DoArrivalAction();
    void ArriveAtCityCell(City* city);
    void OnNoPath() {}
    // Frames the skill choice still waits.
    int16_t skillDelay = 0;

    // ---- Carried troops (TroopCarry.cpp) ----
    // Makes the follower list when missing; its count while below the general's troop capacity,
    // else -1.
    int32_t NextCarrySlot();
    // A follower made from the template under the unit id the sender drew; it stands beside this
    // troop and takes its side. Null when the template names no general.
    Troop* CreateEscort(int32_t templateNumber, uint32_t unitId);

private:
    void TakeTypeValues();
    void BecomeCorpse();
    // The decision turn comes on the next frame.
    void DecideNextFrame();
    void Restart();
    void LoadActionFrames(int32_t row);
    void ClearFrames();
    void EnterCell();
    bool SightCountsForPlayer() const;
    bool AttachedFollower() const;
    void FollowCity(City* city);

    // The frames of the current row, in the form the base draws.
    std::vector<FrameRecord> rowFrames_;
};
