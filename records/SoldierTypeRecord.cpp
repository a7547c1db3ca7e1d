#include "records/SoldierTypeRecord.h"

namespace {
constexpr auto kSchemaWords = MakeSchemaWords<22>(26, std::array<TextColumn, 1>{{{0, 5}}});
static_assert(SchemaFieldDwords(kSchemaWords) == 26);
const FieldSchema kSchema{kSchemaWords};
} // namespace

const char* const SoldierTypeColumnNames[22] = {
    "\xa7\x4c\xba\xd8\xa6\x57",                 // 兵種名
    "\xa7\x4c\xba\xd8\xbd\x73\xb8\xb9",         // 兵種編號
    "\xa7\x4c\xba\xd8\xc3\xfe\xb9\xcf",         // 兵種類圖
    "\xa6\x61\xb0\xf2",                         // 地基
    "\xa7\xf0\xc0\xbb\xbd\x64\xb3\xf2\xa9\x6c", // 攻擊範圍始
    "\xa7\xf0\xc0\xbb\xbd\x64\xb3\xf2\xa5\xbd", // 攻擊範圍末
    "\xa6\xe6\xb0\xca\xb3\x74\xab\xd7",         // 行動速度
    "\xb5\x6f\xae\x67\xb9\xef\xc0\xb3",         // 發射對應
    "\xb5\xf8\xb3\xa5",                         // 視野
    "\xae\xfc\xa4\x57\xb9\xef\xc0\xb3",         // 海上對應
    "\xab\xcd\xc5\xe9",                         // 屍體
    "\xa6\xba\xa4\x60\xad\xb5\xae\xc4",         // 死亡音效
    "\xa7\xf0\xc0\xbb\xad\xb5\xae\xc4",         // 攻擊音效
    "\xbc\x78\xa7\x4c\xa6\xa9\xa4\x48",         // 徵兵扣人
    "\xbc\x78\xa7\x4c\xa6\xa9\xaa\xf7",         // 徵兵扣金
    "\xbc\x78\xa7\x4c\xa6\xa9\xc2\xb3",         // 徵兵扣糧
    "\xbc\x78\xa7\x4c\xa4\xd1\xbc\xc6",         // 徵兵天數
    "\xae\xfc\xa9\xce\xb3\xb0",                 // 海或陸
    "\xa7\xf0\xc0\xbb\xc0\x57\xb2\x76",         // 攻擊頻率
    "\xbf\x6e\xa4\xc0",                         // 積分
    "\xa7\xf0\xc0\xbb\xa4\x4f",                 // 攻擊力
    "\xa8\xbe\xbf\x6d\xa4\x4f",                 // 防禦力
};

const FieldSchema& SoldierTypeSchema() {
    return kSchema;
}

SoldierTypeRecord::SoldierTypeRecord(int32_t ownerWord) : owner(ownerWord) {
    InitRecord(kSchema, SoldierTypeColumnNames, kSize);
}

SoldierTypeRecord::~SoldierTypeRecord() = default;
