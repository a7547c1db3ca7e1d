#include "records/SubCastle.h"

#include "Program/GameController.h"
#include "engine/ByteReader.h"
#include "records/OfficerRecord.h"
#include "records/StageGenerals.h"
#include "troops/Troop.h"
#include "world/MapView.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {
using L = SubCastleLayout;

constexpr auto kSubCastleSchemaWords = MakeSchemaWords<6>(10, std::array<TextColumn, 1>{{{0, 5}}});
static_assert(SchemaFieldDwords(kSubCastleSchemaWords) == 10);
const FieldSchema kSubCastleSchema{kSubCastleSchemaWords};

const char kNewGeneral[] = "\xb7\x73\xbc\x57\xaa\x5a\xb1\x4e"; // 新增武將

template <class T>
T* At(uintptr_t v) {
    return reinterpret_cast<T*>(v);
}

void DeleteTroops(LinkList& list) {
    for (uintptr_t v = list.First(); v != 0; v = list.First()) {
        list.RemoveCurrent();
        delete At<Troop>(v);
    }
}
} // namespace

const char* const SubCastleColumnNames[6] = {
    "\xa5\xab\xa6\x57",  // 市名
    "\xaf\xc1\xa4\xde",  // 索引
    "\xc4\xdd\xa9\xca",  // 屬性
    "\xae\x79\xbc\xd0x", // 座標x
    "\xae\x79\xbc\xd0y", // 座標y
    "\xa4\xd3\xa6\x75",  // 太守
};

SubCastle::SubCastle(int32_t word) : constructorWord(word) {
    InitRecord(kSubCastleSchema, SubCastleColumnNames, L::kSize);
    childList = &generals;
    caption = reinterpret_cast<const char*>(block);
    recordKind = 0;
    ComputeEntrance();
}

SubCastle::~SubCastle() {
    // The game screen must not keep a selected sub-castle that is gone.
    if (TheGameController && TheGameController->gameScreen &&
        TheGameController->gameScreen->currentSubCastle == this)
        TheGameController->gameScreen->currentSubCastle = nullptr;
    // Shown units stand on the map, which owns them then; the leader is always its kingdom's.
    if (!unitsShown) DeleteUnits();
    units.RemoveAll();
    DeleteTroops(secondUnits);
    DeleteGenerals(generals);
    if (keeper) {
        if (keeper->followers) keeper->followers->RemoveAll();
        delete keeper;
    }
}

void SubCastle::ComputeEntrance() {
    // Cells come from files: a value near the int range must not overflow on the way.
    const int64_t x = int64_t{Int(L::kX)} + 2;
    const int64_t y = (int64_t{Int(L::kY)} + 10) / 2;
    entranceX = static_cast<int32_t>(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX));
    entranceY = static_cast<int32_t>(y);
}

void SubCastle::SetOwner(int32_t side, int32_t id) {
    ownerSide = side;
    cityId = id;
}

int SubCastle::Save(ByteWriter& out) {
    out.u32(L::kSize);
    out.u32(static_cast<uint32_t>(generals.GetCount()));
    SetInt(L::kUnitCount, units.GetCount());
    SetInt(L::kSecondCount, secondUnits.GetCount());
    // The file never carries a governor; the running one stays.
    uint8_t copy[L::kSize];
    std::memcpy(copy, block, L::kSize);
    std::memset(copy + L::kGovernor, 0, 4);
    out.bytes(copy, L::kSize);
    for (uintptr_t v = generals.First(); v != 0; v = generals.Next())
        At<OfficerRecord>(v)->Save(out);
    return 1;
}

int SubCastle::Load(ByteReader& in) {
    const uint32_t length = in.u32();
    const uint32_t count = in.u32();
    if (!in.ok() || !TakeBlock(in, length)) return 0;
    ComputeEntrance();
    return LoadGenerals(in, count, ownerSide, generals);
}

RootObject* SubCastle::NewChild(int) {
    auto* general = new OfficerRecord(ownerSide, -1);
    general->ClearBlock();
    general->SetText(OfficerLayout::kName, OfficerLayout::kNameBytes, kNewGeneral);
    generals.Add(reinterpret_cast<uintptr_t>(general));
    ListStageGeneral(general);
    return general;
}

void SubCastle::RemoveChild(int, RootObject* child) {
    auto* general = static_cast<OfficerRecord*>(child);
    if (!general || !generals.RemoveValue(reinterpret_cast<uintptr_t>(general))) return;
    UnlistStageGeneral(general);
    delete general;
}

int SubCastle::RefreshChild(int, RootObject* child) {
    return RefreshGeneralFromTemplates(static_cast<OfficerRecord*>(child));
}

RootObject* SubCastle::CreateChild(int) {
    return new OfficerRecord(100, -1);
}

void SubCastle::DeleteUnits() {
    for (uintptr_t v = units.First(); v != 0; v = units.First()) {
        units.RemoveCurrent();
        Troop* unit = At<Troop>(v);
        if (unit->followers) {
            for (uintptr_t e = unit->followers->First(); e != 0; e = unit->followers->First()) {
                unit->followers->RemoveCurrent();
                delete At<Troop>(e);
            }
        }
        delete unit;
    }
}
