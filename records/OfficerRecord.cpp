#include "records/OfficerRecord.h"

#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/ScreenSettings.h"
#include "engine/Random.h"
#include "platform/CRand.h"
#include "records/RecordTables.h"

#include <algorithm>
#include <cstring>

namespace {
using L = OfficerLayout;

constexpr auto kOfficerSchemaWords = MakeSchemaWords<104>(108, std::array<TextColumn, 1>{{{0, 5}}});
static_assert(SchemaFieldDwords(kOfficerSchemaWords) == 108);
const FieldSchema kOfficerSchema{kOfficerSchemaWords};

// The experience divisors of the three activity counters, the growth draws per level, and the
// troop-capacity tables by game kind.
constexpr int32_t kExperienceDivisors[3] = {10, 20, 30};
constexpr int32_t kDrawsPerLevel = 7;
constexpr int32_t kRankThresholds[9] = {1, 1, 3, 4, 5, 6, 7, 8, 8};
constexpr int32_t kRankCap = 8;
constexpr int32_t kStoryRankThresholds[10] = {2, 3, 4, 5, 6, 7, 8, 8, 8, 8};
constexpr int32_t kStoryRankCap = 8;
constexpr int32_t kStoryRankValues[10] = {1, 2, 3, 4, 5, 6, 7, 8, 8, 8};
constexpr int32_t kClassKeepsCapacity = 5;
constexpr int kGrowthClasses = 5;

LevelUpSender levelUpSender = nullptr;

int32_t GameKind() {
    return TheGameController ? TheGameController->gameKind : 0;
}
bool Networked() {
    return TheGameController && TheGameController->networked;
}
bool IsHost() {
    return TheGameController && TheGameController->isHost;
}

const int32_t* ExperienceTable() {
    GameParameters& p = GameParams();
    return GameKind() != 0 ? p.unifiedLevelExp : p.General_Level_up_Ref;
}

// Half up: q + 1 when the remainder reaches the half.
int32_t RoundedQuotient(int32_t value, int32_t divisor, int32_t half) {
    return value / divisor + (value % divisor >= half ? 1 : 0);
}
} // namespace

const char* const OfficerColumnNames[104] = {
    "\xa9\x6d\xa6\x57",                         // 姓名
    "\xa4\x48\xaa\xab\xbd\x73\xb8\xb9",         // 人物編號
    "\xc2\xbe\xb7\x7e",                         // 職業
    "\xb5\xa5\xaf\xc5",                         // 等級
    "\xb3\xcc\xa4\x6a\xb1\x61\xa7\x4c\xbc\xc6", // 最大帶兵數
    "\xaa\x5a\xa4\x4f",                         // 武力
    "\xb4\xbc\xa4\x4f",                         // 智力
    "\xc5\xe9\xbe\x7a",                         // 體魄
    "\xbe\x79\xa4\x4f",                         // 魅力
    "\xb1\xd3\xb1\xb6",                         // 敏捷
    "\xa9\xbe\xb8\xdb\xad\xc8",                 // 忠誠值
    "\xca\x5e\xa4\x4f",                         // 体力
    "\xa7\xde\xa4\x4f",                         // 技力
    "\xa7\xf0\xc0\xbb\xa4\x4f",                 // 攻擊力
    "\xa8\xbe\xbf\x6d\xa4\x4f",                 // 防禦力
    "\xc5\x5d\xa7\xf0",                         // 魔攻
    "\xc5\x5d\xa8\xbe",                         // 魔防
    "\xa9\x52\xa4\xa4\xb2\x76",                 // 命中率
    "\xb0\x6a\xc1\xd7\xb2\x76",                 // 迴避率
    "\xb8\x67\xc5\xe7\xad\xc8",                 // 經驗值
    "\xb3\xcc\xa4\x6a\xc5\xe9\xa4\x4f",         // 最大體力
    "\xb3\xcc\xa4\x6a\xa7\xde\xa4\x4f",         // 最大技力
    "\xb0\x7d\xa7\xce",                         // 陣形
    "\xb6\xa1\xb6\x5a",                         // 間距
    " AI",                                      //  AI
    "\xaa\x5a\xb1\x4e\xba\x4d\xb0\x68",         // 武將撤退
    "\xb2\xa7\xb1\x60\xaa\xac\xba\x41",         // 異常狀態
    "\xa5\xf1\xa7\x4c",                         // 伏兵
    "\xab\x71\xc5\xdc\xa7\x4c",                 // 叛變兵
    "\xc5\xaa\xa8\xfa",                         // 讀取
    "\xb0\xd1\xb7\xd3\xa6\xdb\xa4\x76",         // 參照自己
    "\xaa\x5a\xb1\x4e\xc4\xb5\xa7\xd9",         // 武將警戒
    "\xaa\x5a\xb1\x4e\xb0\x6c\xae\xb7",         // 武將追捕
    "A.\xb9\xef\xb6\x48",                       // A.對象
    "A.\xa5\xd8\xbc\xd0x",                      // A.目標x
    "A.\xa5\xd8\xbc\xd0y",                      // A.目標y
    "B.\xb9\xef\xb6\x48",                       // B.對象
    "B.\xa5\xd8\xbc\xd0x",                      // B.目標x
    "B.\xa5\xd8\xbc\xd0y",                      // B.目標y
    "C.\xb9\xef\xb6\x48",                       // C.對象
    "C.\xa5\xd8\xbc\xd0x",                      // C.目標x
    "C.\xa5\xd8\xbc\xd0y",                      // C.目標y
    "\xa6\xe6\xb0\xca"
    "ai",                                               // 行動ai
    "\xaa\xec\xa9\x6c\xa4\xd1\xb1\xf8\xa5\xf3",         // 初始天條件
    "\xa8\xc6\xa5\xf3\xb1\xf8\xa5\xf3",                 // 事件條件
    "\xa9\x77\xc2\x49\xc0\x52\xa4\xee\xa4\xd1\xbc\xc6", // 定點靜止天數
    "\xa9\x77\xc2\x49\xb6\xa1\xae\xe6\xbc\xc6",         // 定點間格數
    "\xa7\x4c\xba\xd8\xbd\x73\xb8\xb9",                 // 兵種編號
    "\xa7\xde"
    "1", // 技1
    "\xa7\xde"
    "2", // 技2
    "\xa7\xde"
    "3", // 技3
    "\xa7\xde"
    "4", // 技4
    "\xa7\xde"
    "5", // 技5
    "\xa7\xde"
    "6", // 技6
    "\xa7\xde"
    "7", // 技7
    "\xa7\xde"
    "8",                // 技8
    "\xaa\x5a\xbe\xb9", // 武器
    "\xc0\x59\xb2\xaf", // 頭盔
    "\xaf\xb5\xc4\x5f"
    "1",                // 秘寶1
    "\xbe\x63\xb0\xa8", // 鞋馬
    "\xf1\x5a\xa5\xd2", // 鎧甲
    "\xaf\xb5\xc4\x5f"
    "2", // 秘寶2
    "\xb8\x79\xb1\x61"
    "1", // 腰帶1
    "\xb8\x79\xb1\x61"
    "2", // 腰帶2
    "\xb8\x79\xb1\x61"
    "3", // 腰帶3
    "\xb8\x79\xb1\x61"
    "4",                        // 腰帶4
    "\xaa\xf7",                 // 金
    "\xa5\x58\xa5\xcd\xa6\x7e", // 出生年
    "\xab\xb0"
    "1", // 城1
    "\xab\xb0"
    "2", // 城2
    "\xab\xb0"
    "3", // 城3
    "\xab\xb0"
    "4", // 城4
    "\xab\xb0"
    "5", // 城5
    "\xab\xb0"
    "6", // 城6
    "\xa7\x67"
    "1", // 君1
    "\xa7\x67"
    "2", // 君2
    "\xa7\x67"
    "3", // 君3
    "\xa7\x67"
    "4", // 君4
    "\xa7\x67"
    "5", // 君5
    "\xa7\x67"
    "6", // 君6
    "\xc5\x40"
    "1", // 護1
    "\xc5\x40"
    "2", // 護2
    "\xc5\x40"
    "3", // 護3
    "\xc5\x40"
    "4", // 護4
    "\xc5\x40"
    "5", // 護5
    "\xc5\x40"
    "6", // 護6
    "\xc5\x40"
    "7", // 護7
    "\xc5\x40"
    "8",                                // 護8
    "\xa5\x6c\xb3\xea\xc3\x7e",         // 召喚獸
    "\xaa\x5a\xb1\x4e\xc4\xdd\xa9\xca", // 武將屬性
    "\xb1\xd4\xad\x7a\xba\x4d\xb0\x68", // 敘述撤退
    "\xa6\xb3\xa6\x57\xaa\x5a\xb1\x4e", // 有名武將
    "\xc0\x59\xb9\xb3\xbd\x73\xb8\xb9", // 頭像編號
    "\xa5\x69\xbe\xde\xb1\xb1",         // 可操控
    "\xbb\xa1\xb8\xdc\xb7\xd3\xa4\xf9", // 說話照片
    "\xa5\xb2\xb5\x6e\xb3\xf5",         // 必登場
    "\xa5\xf8\xb9\xba\xa6\xdb\xad\x71", // 企劃自訂
    "\xa5\x58\xa5\xcd\xa4\xeb",         // 出生月
    "\xa9\xd2\xc4\xdd\xa7\x67\xa5\x44", // 所屬君主
    "\xa9\xd2\xa6\x62\xa6\x61",         // 所在地
    "\xb2\xce\xb1\x73\xa4\x4f",         // 統御力
    "\xa6\xe6\xb0\xca\xa4\xe8\xb0\x77", // 行動方針
    "\xaa\x5a\xa4\x4f\xbe\x6c.",        // 武力餘.
    "\xc5\xe9\xbe\x7a\xbe\x6c.",        // 體魄餘.
};

const FieldSchema& OfficerSchema() {
    return kOfficerSchema;
}

void SetLevelUpSender(LevelUpSender sender) {
    levelUpSender = sender;
}

OfficerRecord::OfficerRecord(int32_t side, int32_t templateNumber) : ownerSide(side) {
    InitRecord(kOfficerSchema, OfficerColumnNames, L::kSize);
    if (TheScreenSettings) serial = static_cast<uint32_t>(TheScreenSettings->serialCounter++);
    if (templateNumber >= 0) {
        // A number from a file that names no template leaves the block cleared.
        if (const uint8_t* t = GeneralTemplate(templateNumber)) std::memcpy(block, t, L::kSize);
    }
}

OfficerRecord::~OfficerRecord() = default;

const uint16_t* OfficerRecord::GrowthRow() const {
    const int32_t cls = Get(L::kClass);
    if (cls < 1 || cls > kGrowthClasses) return nullptr;
    return GameParams().growthPickList[cls - 1];
}

void OfficerRecord::UpdateExperience(int32_t a, int32_t b, int32_t c, int32_t gain) {
    if (Get(L::kAttribute) != 1) return;
    // Counters arrive from peers too: the sum is taken wide and kept to the 32-bit range.
    auto narrow = [](int64_t v) {
        return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
    };
    bonusExperience = narrow(int64_t{bonusExperience} + gain);
    const int32_t experience =
        narrow(int64_t{activity[0]} / kExperienceDivisors[0] + int64_t{activity[2]} / kExperienceDivisors[1] +
               int64_t{activity[1]} / kExperienceDivisors[2] + bonusExperience);
    Set(L::kExperience, experience);
    const int32_t* t = ExperienceTable();
    for (int i = 0; i <= 28; ++i) {
        if (t[i] <= experience && experience < t[i + 1]) {
            if (Get(L::kLevel) < i + 1) {
                Set(L::kLevel, i + 1);
                LevelUpNetworked(a, b, c, 0);
            }
            break;
        }
    }
    // Exactly the last threshold reaches the top level too.
    if (Get(L::kLevel) < kTopLevel && experience >= t[29]) {
        Set(L::kLevel, kTopLevel);
        LevelUpNetworked(a, b, c, 0);
    }
}

void OfficerRecord::LevelUpNetworked(int32_t a, int32_t b, int32_t c, int32_t extra) {
    const auto seed1 = static_cast<uint32_t>(platform::rand() % 77777 + 23456);
    const auto seed2 = static_cast<uint32_t>(platform::rand() % 77777 + 23456);
    if (Networked() && !IsHost()) return;
    LevelUp(extra, seed1, seed2);
    if (Networked() && levelUpSender) levelUpSender(*this, a, b, c, extra, seed1, seed2);
}

void OfficerRecord::LevelUp(int32_t, uint32_t seed1, uint32_t seed2) {
    Set(L::kLoyalty, std::min(Get(L::kLoyalty) + 3, 100));
    RandomSeed = seed1;
    RandomMultiplier = seed2;
    const uint16_t* row = GrowthRow();
    for (int i = 0; i < 7; ++i) {
        const uint32_t r = Random(100);
        const int code = row ? static_cast<int16_t>(row[r]) : -1;
        switch (code) {
        case 0:
            Set(L::kStrength, Get(L::kStrength) + 1);
            Set(L::kStrengthRest, Get(L::kStrengthRest) + 1);
            break;
        case 1:
            Set(L::kIntelligence, Get(L::kIntelligence) + 1);
            break;
        case 2:
            Set(L::kPhysique, Get(L::kPhysique) + 1);
            Set(L::kPhysiqueRest, Get(L::kPhysiqueRest) + 1);
            break;
        case 3:
            Set(L::kCharm, Get(L::kCharm) + 1);
            break;
        case 4:
            Set(L::kAgility, Get(L::kAgility) + 1);
            break;
        default:
            break;
        }
    }
    Set(L::kMaxHp, Get(L::kStrength) + Get(L::kPhysique) * 3 / 2);
    Set(L::kHp, Get(L::kMaxHp));
    Set(L::kMaxMp, Get(L::kIntelligence) * 3 / 2);
    Set(L::kMp, Get(L::kMaxMp));
    Set(L::kAttack, Get(L::kAttack) + Get(L::kStrengthRest) / 6);
    Set(L::kStrengthRest, Get(L::kStrengthRest) % 6);
    Set(L::kDefence, Get(L::kDefence) + Get(L::kPhysiqueRest) / 10);
    Set(L::kPhysiqueRest, Get(L::kPhysiqueRest) % 10);
    UpdateRank();
}

void OfficerRecord::GrowStats(int32_t draws) {
    if (Get(L::kAttribute) == 9) return;
    const int32_t person = Get(L::kPersonNumber);
    const uint16_t* row = GrowthRow();
    // An unknown class or template gives no growth at all.
    if (!row) return;
    if (draws == 0) {
        const uint8_t* t = GeneralTemplate(person);
        if (!t) return;
        draws = (Get(L::kLevel) - 1) * kDrawsPerLevel;
        std::memcpy(block + L::kStrength, t + L::kStrength, 5 * 4);
    }
    RandomSeed = static_cast<uint32_t>(person) * 78654u;
    RandomMultiplier = 24681;
    const bool networked = Networked();
    static constexpr uint32_t kStats[5] = {L::kStrength, L::kIntelligence, L::kPhysique, L::kCharm,
                                           L::kAgility};
    for (int32_t i = 0; i < draws; ++i) {
        const uint32_t r = networked ? Random(100) : static_cast<uint32_t>(platform::rand() % 100);
        const int code = static_cast<int16_t>(row[r]);
        if (code >= 0 && code <= 4) Set(kStats[code], Get(kStats[code]) + 1);
    }
    const int32_t strength = Get(L::kStrength), intelligence = Get(L::kIntelligence);
    const int32_t physique = Get(L::kPhysique), agility = Get(L::kAgility);
    Set(L::kMaxHp, strength + physique * 3 / 2);
    Set(L::kHp, Get(L::kMaxHp));
    Set(L::kMaxMp, intelligence * 3 / 2);
    Set(L::kMp, Get(L::kMaxMp));
    Set(L::kAttack, RoundedQuotient(strength, 6, 3));
    Set(L::kDefence, RoundedQuotient(physique, 10, 5));
    Set(L::kMagicAttack, RoundedQuotient(intelligence, 5, 3));
    Set(L::kMagicDefence, Get(L::kMagicAttack));
    Set(L::kHitRate, RoundedQuotient(agility, 5, 3) + 70);
    Set(L::kEvasion, RoundedQuotient(agility, 5, 3));
}

void OfficerRecord::UpdateRank(int32_t) {
    const int32_t level = Get(L::kLevel);
    const bool keeps = Get(L::kClass) == kClassKeepsCapacity;
    if (GameKind() != 0) {
        if (level >= kRankCap) {
            if (!keeps) Set(L::kTroopCapacity, 8);
            return;
        }
        for (int i = 0; i <= 7; ++i) {
            if (kRankThresholds[i] <= level && level < kRankThresholds[i + 1]) {
                if (!keeps) Set(L::kTroopCapacity, i + 1);
                if (Get(L::kTroopCapacity) >= 9) Set(L::kTroopCapacity, 8);
                return;
            }
        }
        return;
    }
    if (level >= kStoryRankCap) {
        if (!keeps) Set(L::kTroopCapacity, kStoryRankValues[9]);
        return;
    }
    for (int i = 0; i <= 8; ++i) {
        if (kStoryRankThresholds[i] <= level && level < kStoryRankThresholds[i + 1]) {
            if (!keeps) Set(L::kTroopCapacity, kStoryRankValues[i]);
            return;
        }
    }
}

int OfficerRecord::AddItem(int32_t id) {
    for (int s = 0; s < 4; ++s) {
        if (Get(L::kCarried + 4 * s) == 0) {
            Set(L::kCarried + 4 * s, id);
            return 1;
        }
    }
    return 0;
}

int OfficerRecord::HasFreeItemSlot() const {
    for (int s = 0; s < 4; ++s)
        if (Get(L::kCarried + 4 * s) == 0) return 1;
    return 0;
}

void OfficerRecord::RemoveItem(int32_t id) {
    int32_t slots[4];
    for (int s = 0; s < 4; ++s)
        slots[s] = Get(L::kCarried + 4 * s);
    int found = -1;
    for (int s = 0; s < 4 && found < 0; ++s)
        if (slots[s] == id) found = s;
    if (found < 0) return;
    slots[found] = 0;
    int k = 0;
    for (int s = 0; s < 4; ++s)
        if (slots[s] != 0) Set(L::kCarried + 4 * k++, slots[s]);
    for (; k < 4; ++k)
        Set(L::kCarried + 4 * k, 0);
}

int OfficerRecord::HasEquippedItem(int32_t id) const {
    for (int f = 0; f < 10; ++f)
        if (Get(L::kWeapon + 4 * f) == id) return 1;
    return 0;
}
