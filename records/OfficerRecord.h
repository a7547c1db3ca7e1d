#pragma once

#include "records/DataSet.h"

#include <cstdint>

// Byte offsets of the officer block's columns.
struct OfficerLayout {
    static constexpr uint32_t kSize = 432;
    static constexpr uint32_t kName = 0; // "姓名", 20 bytes
    static constexpr uint32_t kNameBytes = 20;
    static constexpr uint32_t kPersonNumber = 20;
    static constexpr uint32_t kClass = 24;
    static constexpr uint32_t kLevel = 28;
    static constexpr uint32_t kTroopCapacity = 32;
    static constexpr uint32_t kStrength = 36;
    static constexpr uint32_t kIntelligence = 40;
    static constexpr uint32_t kPhysique = 44;
    static constexpr uint32_t kCharm = 48;
    static constexpr uint32_t kAgility = 52;
    static constexpr uint32_t kLoyalty = 56;
    static constexpr uint32_t kHp = 60;
    static constexpr uint32_t kMp = 64;
    static constexpr uint32_t kAttack = 68;
    static constexpr uint32_t kDefence = 72;
    static constexpr uint32_t kMagicAttack = 76;
    static constexpr uint32_t kMagicDefence = 80;
    static constexpr uint32_t kHitRate = 84;
    static constexpr uint32_t kEvasion = 88;
    static constexpr uint32_t kExperience = 92;
    static constexpr uint32_t kMaxHp = 96;
    static constexpr uint32_t kMaxMp = 100;
    static constexpr uint32_t kFormation = 104;
    static constexpr uint32_t kSpacing = 108;
    static constexpr uint32_t kAiType = 112;
    static constexpr uint32_t kRetreat = 116;
    static constexpr uint32_t kAbnormal = 120;
    static constexpr uint32_t kAmbush = 124;
    static constexpr uint32_t kRebel = 128;
    static constexpr uint32_t kOrderA = 148; // three orders of (object, x, y)
    static constexpr uint32_t kActionAi = 184;
    static constexpr uint32_t kSoldierType = 204;
    static constexpr uint32_t kSkills = 208;  // eight
    static constexpr uint32_t kWeapon = 240;  // six equipment fields
    static constexpr uint32_t kCarried = 264; // four carried-item slots
    static constexpr uint32_t kGold = 280;
    static constexpr uint32_t kEscorts = 336; // eight
    static constexpr uint32_t kSummon = 368;
    static constexpr uint32_t kAttribute = 372; // "武將屬性"
    static constexpr uint32_t kFamous = 380;
    static constexpr uint32_t kPortrait = 384;
    static constexpr uint32_t kControllable = 388;
    static constexpr uint32_t kSpeechPortrait = 392; // "說話照片"
    static constexpr uint32_t kMustAppear = 396;
    static constexpr uint32_t kLord = 408;
    static constexpr uint32_t kLocation = 412;
    static constexpr uint32_t kPolicy = 420; // "行動方針"
    static constexpr uint32_t kStrengthRest = 424;
    static constexpr uint32_t kPhysiqueRest = 428;
};

// One general: its 432-byte block of 104 columns, and the working values the battle code keeps
// beside it. Every general object takes a serial number that names it across machines.
class OfficerRecord : public DataSet {
public:
    static constexpr int32_t kTopLevel = 30;

    // A block copied from the template of that number; a negative number, or one that names no
    // template, leaves it cleared.
    OfficerRecord(int32_t ownerSide, int32_t templateNumber);
    ~OfficerRecord() override;

    int32_t Get(uint32_t offset) const { return Int(offset); }
    void Set(uint32_t offset, int32_t value) { SetInt(offset, value); }
    std::string_view Name() const { return Text(OfficerLayout::kName, OfficerLayout::kNameBytes); }

    // Experience from the activity counters and the gain; raises the level by the game kind's
    // table (one level-up per call, one more on reaching the top level).
    void UpdateExperience(int32_t a, int32_t b, int32_t c, int32_t gain);
    // Draws the two seeds and applies the level-up in single play or on the host (and sends it from
    // the host); a network client waits for the host's command.
    void LevelUpNetworked(int32_t a, int32_t b, int32_t c, int32_t extra);
    // One level-up: loyalty, seven growth draws from the seeded generator, derived values.
    void LevelUp(int32_t ignored, uint32_t seed1, uint32_t seed2);
    // Growth to the level (draws 0: reset from the template, then (level - 1) x 7 draws).
    void GrowStats(int32_t draws);
    // Troop capacity from the level.
    void UpdateRank(int32_t unused = 0);

    int AddItem(int32_t id);
    int HasFreeItemSlot() const;
    void RemoveItem(int32_t id);
    int HasEquippedItem(int32_t id) const;

    // Growth code row of the officer's class, or null for a class with none.
    const uint16_t* GrowthRow() const;

    // The troop code's working words: the status word, the terrain status (0 none, 4 healing,
    // 5 poison), its mirror and the terrain tick counter.
    int32_t& StatusWord() { return workWords[0]; }
    int32_t& TerrainStatus() { return workWords[1]; }
    int32_t& TerrainStatusMirror() { return workWords[2]; }
    int32_t& TerrainTicks() { return workWords[3]; }
    int32_t StatusWord() const { return workWords[0]; }

    int32_t ownerSide = 0;
    int32_t workWords[4] = {};
    // The sources of experience.
    int32_t activity[3] = {};
    int32_t reference = -1;
    int32_t bonusExperience = 0;
    // The third is the garrison timer.
    int16_t workCounters[3] = {};
    uint32_t serial = 0;
    int32_t moreWords[2] = {};

    // Whom the officer follows: 0 its troop's side, 1 its "行動方針".
    int32_t allegianceMode = 0;

    // ---- Persons (Persons.cpp) ----
    // The calendar day a person was made on.
    int32_t dateStamp = 0;
};

// How a level-up leaves the host: the record, the three pass-through values, extra and both seeds
// (command 25). The network relay installs it; without one nothing is sent.
using LevelUpSender = void (*)(const OfficerRecord& record, int32_t a, int32_t b, int32_t c, int32_t extra,
                               uint32_t seed1, uint32_t seed2);
void SetLevelUpSender(LevelUpSender sender);

// The column names of the officer block, 104 entries.
extern const char* const OfficerColumnNames[104];
// The officer schema's words.
const FieldSchema& OfficerSchema();
