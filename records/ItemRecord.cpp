#include "records/ItemRecord.h"

namespace {
constexpr auto kSchemaWords = MakeSchemaWords<44>(48, std::array<TextColumn, 1>{{{0, 5}}});
static_assert(SchemaFieldDwords(kSchemaWords) == 48);
const FieldSchema kSchema{kSchemaWords};
} // namespace

const char* const ItemColumnNames[44] = {
    "\xaa\xab\xab\x7e\xa6\x57",                         // 物品名
    "\xaa\xab\xab\x7e\xbd\x73\xb8\xb9",                 // 物品編號
    "\xb9\xcf\xb9\xef\xc0\xb3",                         // 圖對應
    "\xc3\xfe\xa7\x4f",                                 // 類別
    "\xbb\xf9\xad\xc8",                                 // 價值
    "\xb5\xa5\xaf\xc5",                                 // 等級
    "\xa5\xfe\xad\xfb\xa5\x69\xb8\xcb\xb3\xc6",         // 全員可裝備
    "\xbc\x43\xa4\x68\xa5\x69\xb8\xcb\xb3\xc6",         // 劍士可裝備
    "\xb0\xab\xa4\x68\xa5\x69\xb8\xcb\xb3\xc6",         // 鬥士可裝備
    "\xa4\x7d\xbd\x62\xa4\xe2\xa5\x69\xb8\xcb\xb3\xc6", // 弓箭手可裝備
    "\xae\xd1\xa5\xcd\xa5\x69\xb8\xcb\xb3\xc6",         // 書生可裝備
    "\xa4\x75\xa7\x4c\xa5\x69\xb8\xcb\xb3\xc6",         // 工兵可裝備
    "\xb5\xa5\xaf\xc5\xbb\xdd\xa8\x44",                 // 等級需求
    "\xa5\xb4\xa8\xec\xae\xc4\xaa\x47",                 // 打到效果
    "\xa5\x5b\xbd\x64\xb3\xf2",                         // 加範圍
    "\xa5\x5b\xb5\xf8\xb3\xa5",                         // 加視野
    "\xaa\x5a\xa4\x4f",                                 // 武力
    "\xb4\xbc\xa4\x4f",                                 // 智力
    "\xc5\xe9\xbe\x7a",                                 // 體魄
    "\xbe\x79\xa4\x4f",                                 // 魅力
    "\xb1\xd3\xb1\xb6",                                 // 敏捷
    "\xa9\xbe\xb8\xdb",                                 // 忠誠
    "\xca\x5e\xa4\x4f",                                 // 体力
    "\xa7\xde\xa4\x4f",                                 // 技力
    "\xa7\xf0\xc0\xbb\xa4\x4f",                         // 攻擊力
    "\xa8\xbe\xbf\x6d\xa4\x4f",                         // 防禦力
    "\xc5\x5d\xa7\xf0",                                 // 魔攻
    "\xc5\x5d\xa8\xbe",                                 // 魔防
    "\xa5\x5b\xa4\xf5",                                 // 加火
    "\xa5\x5b\xa6\x42",                                 // 加冰
    "\xa5\x5b\xb9\x71",                                 // 加電
    "\xa5\x5b\xac\x72",                                 // 加毒
    "\xa5\x5b\xb2\x56\xb6\xc3",                         // 加混亂
    "\xa7\xdc\xa4\xf5",                                 // 抗火
    "\xa7\xdc\xa6\x42",                                 // 抗冰
    "\xa7\xdc\xb9\x71",                                 // 抗電
    "\xa7\xdc\xac\x72",                                 // 抗毒
    "\xa7\xdc\xb2\x56\xb6\xc3",                         // 抗混亂
    "\xad\x40\xa5\xce\xab\xd7",                         // 耐用度
    "\xa7\xe9\xb7\x6c\xb2\x76",                         // 折損率
    "\xae\x4d\xb8\xcb",                                 // 套裝
    "\xb8\xc9\xa6\xe5\xb6\x71",                         // 補血量
    "\xb8\xc9\xa7\xde\xb6\x71",                         // 補技量
    "\xaa\x5a\xa4\x4f\xaa\xfe\xa5\x5b",                 // 武力附加
};

const FieldSchema& ItemSchema() {
    return kSchema;
}

ItemRecord::ItemRecord(int32_t ownerWord) : owner(ownerWord) {
    InitRecord(kSchema, ItemColumnNames, kSize);
}

ItemRecord::~ItemRecord() = default;
