#include "records/SkillRecord.h"

namespace {
constexpr auto kSchemaWords = MakeSchemaWords<37>(49, std::array<TextColumn, 3>{{{0, 5}, {33, 5}, {34, 5}}});
static_assert(SchemaFieldDwords(kSchemaWords) == 49);
const FieldSchema kSchema{kSchemaWords};
} // namespace

const char* const SkillColumnNames[37] = {
    "\xa7\xde\xba\xd8\xa6\x57",         // 技種名
    "\xc5\xe9\xa4\x4f",                 // 體力
    "\xaa\x6b\xa4\x4f",                 // 法力
    "\xaa\xfe\xa5\x5b\xaa\xac\xba\x41", // 附加狀態
    "\xaa\xfe\xa5\x5b\xbe\xf7\xb2\x76", // 附加機率
    "\xaa\xac\xba\x41\xab\xf9\xc4\xf2", // 狀態持續
    "x\xab\x4f\xaf\x64x",               // x保留x
    "\xa7\xf0\xc0\xbb\xb0\xca\xb5\x65", // 攻擊動畫
    "\xbc\x76\xc5\x54\xbd\x64\xb3\xf2", // 影響範圍
    "x\xab\x4f\xaf\x64x",               // x保留x
    "\xac\x49\xaa\x6b\xb9\xef\xb6\x48", // 施法對象
    "\xaa\x6b\xb3\x4e\xba\xd8\xc3\xfe", // 法術種類
    "x\xab\x4f\xaf\x64x",               // x保留x
    "x\xab\x4f\xaf\x64x",               // x保留x
    "x\xab\x4f\xaf\x64x",               // x保留x
    "\xb9\xcf\xbc\x68",                 // 圖層
    "\xaa\x5a\xa4\x4f",                 // 武力
    "\xb4\xbc\xa4\x4f",                 // 智力
    "\xc5\xe9\xbe\x7a",                 // 體魄
    "\xbe\x79\xa4\x4f",                 // 魅力
    "\xb1\xd3\xb1\xb6",                 // 敏捷
    "\xa7\xf0\xc0\xbb\xa4\x4f+n%",      // 攻擊力+n%
    "\xa8\xbe\xbf\x6d\xa4\x4f+n%",      // 防禦力+n%
    "\xa7\xf0\xb3\x74\xa7\xd6n%",       // 攻速快n%
    "\xb2\xbe\xb3\x74\xa7\xd6n%",       // 移速快n%
    "\xb1\xd3\xb1\xb6+n%",              // 敏捷+n%
    "\xa9\x52\xa4\xa4\xb2\x76+n%",      // 命中率+n%
    "\xb0\x6a\xc1\xd7\xb2\x76+n%",      // 迴避率+n%
    "\xb5\xf8\xb3\xa5+n%",              // 視野+n%
    "\xc5\x5d\xa8\xbe+n%",              // 魔防+n%
    "\xb8\xc9\xa6\xe5+n%",              // 補血+n%
    "\xaa\xe1\xb6\x4f\xaa\xf7",         // 花費金
    "0\xa5\xfd\xa4\xa3\xb0\xb5",        // 0先不做
    "\xb9\xcf\xc0\xc9\xa6\x57",         // 圖檔名
    "\xbb\xa1\xa9\xfa",                 // 說明
    "\xa4\xa4\xa4\xdfX",                // 中心X
    "\xa4\xa4\xa4\xdfY",                // 中心Y
};

const FieldSchema& SkillSchema() {
    return kSchema;
}

SkillRecord::SkillRecord(int32_t ownerWord) : owner(ownerWord) {
    InitRecord(kSchema, SkillColumnNames, kSize);
}

SkillRecord::~SkillRecord() = default;
