#include "records/City.h"

#include "Program/GameController.h"
#include "engine/ByteReader.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/ScenarioData.h"
#include "records/StageGenerals.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"
#include "world/MapView.h"

#include <algorithm>

namespace {
using L = CityLayout;

constexpr auto kCitySchemaWords =
    MakeSchemaWords<55>(97, std::array<TextColumn, 3>{{{0, 5}, {40, 20}, {41, 20}}});
static_assert(SchemaFieldDwords(kCitySchemaWords) == 97);
const FieldSchema kCitySchema{kCitySchemaWords};

const char kNewGeneral[] = "\xb7\x73\xbc\x57\xaa\x5a\xb1\x4e"; // 新增武將
const char kNew[] = "\xb7\x73\xbc\x57";                        // 新增

template <class T>
T* At(uintptr_t v) {
    return reinterpret_cast<T*>(v);
}

template <class T>
void DeleteValues(LinkList& list) {
    for (uintptr_t v = list.First(); v != 0; v = list.First()) {
        list.RemoveCurrent();
        delete At<T>(v);
    }
}

// Nothing may keep pointing at a city once it is gone.
void Unregister(City* city) {
    if (TheBattleMap) {
        for (City*& entry : TheBattleMap->cities) {
            if (entry == city) entry = nullptr;
            if (entry && entry->stagingCity == city) entry->stagingCity = nullptr;
        }
        if (ScenarioData* s = TheBattleMap->scenario) {
            const auto v = reinterpret_cast<uintptr_t>(city);
            while (s->stageCities.RemoveValue(v)) {
            }
        }
    }
    if (TheGameController && TheGameController->gameScreen &&
        TheGameController->gameScreen->currentCity == city)
        TheGameController->gameScreen->currentCity = nullptr;
}
} // namespace

const char* const CityColumnNames[55] = {
    "\xb3\xa3\xa5\xab\xa6\x57",         // 都市名
    "\xb3\xa3\xa5\xab\xaf\xc1\xa4\xde", // 都市索引
    "\xab\xb0\xc4\xdd\xa9\xca",         // 城屬性
    "\xab\xb0\xb3\x57\xbc\xd2",         // 城規模
    "\xa4\x48\xa4\x66",                 // 人口
    "\xaa\xf7",                         // 金
    "\xc2\xb3",                         // 糧
    "\xab\xdd\xa9\x52\xa4\x68\xa7\x4c", // 待命士兵
    "\xb6\x7d\xb5\x6f\xad\xc8",         // 開發值
    "\xb0\xd3\xb7\x7e\xad\xc8",         // 商業值
    "\xa5\xc1\xa4\xdf\xad\xc8",         // 民心值
    "\xb6\x7d\xb5\x6f\xa4\x57\xad\xad", // 開發上限
    "\xb0\xd3\xb7\x7e\xa4\x57\xad\xad", // 商業上限
    "\xa5\xc1\xa4\xdf\xa4\x57\xad\xad", // 民心上限
    "\xae\x79\xbc\xd0x",                // 座標x
    "\xae\x79\xbc\xd0y",                // 座標y
    "\xa4\xd3\xa6\x75",                 // 太守
    "\xa9\xf1\xb8\x6d\xaa\xab\xab\x7e", // 放置物品
    "\xbf\xf2\xaf\x64\xaa\xab\xab\x7e", // 遺留物品
    "\xbf\xf2\xaf\x64\xa7\x4c\xba\xd8", // 遺留兵種
    "\xbf\xf2\xaf\x64\xc2\xb3",         // 遺留糧
    "\xbf\xf2\xaf\x64\xaa\xf7",         // 遺留金
    "\xbf\xf2\xaf\x64??",               // 遺留??
    "\xbd\xc6\xbb\x73\xab\xb0",         // 複製城
    "\xbc\x40\xa5\xbb\xc3\xf6\xa5\x64", // 劇本關卡
    "\xa4\xe4\xb0\x74 \xb0\xea",        // 支配 國
    "\xab\xb0\xc0\xf0\xa8\xbe\xbf\x6d", // 城牆防禦
    "\xab\xb0\xc0\xf0\xa4\x57\xad\xad", // 城牆上限
    "\xa4\xf4"
    "1", // 水1
    "\xa4\xf4"
    "2", // 水2
    "\xc3\xc3"
    "1", // 藤1
    "\xc3\xc3"
    "2", // 藤2
    "\xb8\xe9"
    "1", // 賊1
    "\xb8\xe9"
    "2", // 賊2
    "\xc6\x5a"
    "1", // 蠻1
    "\xc6\x5a"
    "2",                                        // 蠻2
    "\xaa\xec\xb9\x41\xab\xd8\xb3\x5d",         // 初農建設
    "\xaa\xec\xb0\xd3\xab\xd8\xb3\x5d",         // 初商建設
    "\xaa\xec\xa5\xc1\xa4\xdf\xab\xd8\xb3\x5d", // 初民心建設
    "\xaa\xec\xab\xb0\xc0\xf0\xab\xd8\xb3\x5d", // 初城牆建設
    "\xaa\xec\xa9\x6c\xa7\x4c",                 // 初始兵
    "\xaa\xec\xa9\x6c\xaa\xab\xab\x7e",         // 初始物品
    "\xb1\xf8\xa5\xf3\xa4\xd1\xbc\xc6",         // 條件天數
    "\xb1\xf8\xa5\xf3\xa8\xc6\xa5\xf3id",       // 條件事件id
    "\xb4\x58\xa4\xd1\xad\xab\xa5\xcd",         // 幾天重生
    "\xa8\x42"
    "1", // 步1
    "\xa8\x42"
    "2", // 步2
    "\xa8\x42"
    "3", // 步3
    "\xc3\x4d"
    "1", // 騎1
    "\xc3\x4d"
    "2", // 騎2
    "\xc3\x4d"
    "3", // 騎3
    "\xa4\x7d"
    "1", // 弓1
    "\xa4\x7d"
    "2", // 弓2
    "\xa4\x7d"
    "3",                // 弓3
    "\xaf\x53\xa7\x4c", // 特兵
};

City::City(int32_t owner, int32_t cityIndex) : ownerSide(owner), id(cityIndex + 1) {
    InitRecord(kCitySchema, CityColumnNames, L::kSize);
    SetInt(L::kScale, 1);
    childList = &generals;
    secondList = &subCastles;
    caption = reinterpret_cast<const char*>(block);
    recordKind = 3;
}

City::~City() {
    Unregister(this);
    DeleteGenerals(generals);
    DeleteValues<RootObject>(trainingQueue);
    DeleteValues<SubCastle>(subCastles);
    DeleteValues<RootObject>(sites);
    DeleteValues<Troop>(reserve);
    DeleteValues<Troop>(packedTroops);
    // Units shown on the formation cells belong to the map; inside (also past the formation's
    // rows), a unit and its escorts are the city's.
    for (uintptr_t v = units.First(); v != 0; v = units.Next()) {
        Troop* t = At<Troop>(v);
        if (unitsShown && !t->inCity) continue;
        if (LinkList* escorts = t->followers) DeleteValues<Troop>(*escorts);
        delete t;
    }
    units.RemoveAll();
    gates.RemoveAll();
    for (LinkList& list : moreLists)
        list.RemoveAll();
    for (LinkList& list : furtherLists)
        list.RemoveAll();
}

int City::Save(ByteWriter& out) const {
    out.u32(L::kSize);
    out.u32(static_cast<uint32_t>(generals.GetCount()));
    out.bytes(block, L::kSize);
    // The list's cursor moves, not its contents.
    auto& list = const_cast<LinkList&>(generals);
    for (uintptr_t v = list.First(); v != 0; v = list.Next())
        At<OfficerRecord>(v)->Save(out);
    return 1;
}

int City::Load(ByteReader& in) {
    const uint32_t length = in.u32();
    const uint32_t count = in.u32();
    if (!in.ok() || !TakeBlock(in, length)) return 0;
    return LoadGenerals(in, count, ownerSide, generals);
}

RootObject* City::NewChild(int kind) {
    if (kind >= kSubCastleKind) {
        auto* sub = new SubCastle(0);
        sub->ClearBlock();
        sub->SetText(SubCastleLayout::kName, 20, kNew);
        subCastles.Add(reinterpret_cast<uintptr_t>(sub));
        return sub;
    }
    auto* general = new OfficerRecord(ownerSide, -1);
    general->ClearBlock();
    general->SetText(OfficerLayout::kName, OfficerLayout::kNameBytes, kNewGeneral);
    generals.Add(reinterpret_cast<uintptr_t>(general));
    ListStageGeneral(general);
    return general;
}

RootObject* City::CreateChild(int kind) {
    if (kind >= kSubCastleKind) {
        auto* sub = new SubCastle(0);
        sub->SetText(SubCastleLayout::kName, 20, kNew);
        return sub;
    }
    auto* general = new OfficerRecord(100, -1);
    general->SetText(OfficerLayout::kName, OfficerLayout::kNameBytes, kNewGeneral);
    return general;
}

void City::RemoveChild(int kind, RootObject* child) {
    if (!child) return;
    const auto v = reinterpret_cast<uintptr_t>(child);
    if (kind >= kSubCastleKind) {
        if (subCastles.RemoveValue(v)) delete static_cast<SubCastle*>(child);
        return;
    }
    if (!generals.RemoveValue(v)) return;
    auto* general = static_cast<OfficerRecord*>(child);
    UnlistStageGeneral(general);
    delete general;
}

int City::RefreshChild(int, RootObject* child) {
    return RefreshGeneralFromTemplates(static_cast<OfficerRecord*>(child));
}

Troop* City::FindUnitByPersonId(int32_t personId) {
    for (uintptr_t v = units.First(); v != 0; v = units.Next()) {
        Troop* t = At<Troop>(v);
        if (t->officer && t->officer->Get(OfficerLayout::kPersonNumber) == personId) return t;
    }
    return nullptr;
}

SubCastle* City::FindSubCastleOfKind(int32_t kind) {
    for (uintptr_t v = subCastles.First(); v != 0; v = subCastles.Next())
        if (At<SubCastle>(v)->Kind() == kind) return At<SubCastle>(v);
    return nullptr;
}

void City::CopyOwnerSettings() {
    Kingdom* k = TheBattleMap ? TheBattleMap->FindKingdom(ownerSide) : nullptr;
    if (!k) return;
    for (int i = 0; i < 5; ++i)
        settings[i] = static_cast<uint8_t>(k->Int(KingdomLayout::kPatrol + 4 * i));
}
