#pragma once

#include <cstdint>

// The soldier-type columns the troop reads, by byte offset in the 104-byte block.
namespace SoldierColumn {
constexpr uint32_t kFootprint = 28;      // "地基"
constexpr uint32_t kRangeStart = 32;     // "攻擊範圍始"
constexpr uint32_t kRangeEnd = 36;       // "攻擊範圍末"
constexpr uint32_t kSpeed = 40;          // "行動速度"
constexpr uint32_t kMissile = 44;        // "發射對應"
constexpr uint32_t kSight = 48;          // "視野"
constexpr uint32_t kSeaCounterpart = 52; // "海上對應"
constexpr uint32_t kDeathSound = 60;     // "死亡音效"
constexpr uint32_t kAttackSound = 64;    // "攻擊音效"
constexpr uint32_t kAttackPause = 88;    // "攻擊頻率"
} // namespace SoldierColumn

// A soldier type with a record: a number below the loaded count whose table slot is filled. Type
// numbers come from files and peers, so anything else is no type at all.
bool HasSoldierType(int32_t type);
// A column of that type's block; 0 for a type without a record.
int32_t SoldierTypeValue(int32_t type, uint32_t column);
