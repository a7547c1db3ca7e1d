#include "Program/StageSet.h"

#include "Program/BannerWindow.h"

#include "Program/GameController.h"
#include "engine/ByteReader.h"
#include "events/EventFile.h"
#include "events/EventRecord.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {
// "新增時代", "新增事件", "新增國家"
const char kNewEra[] = "\xb7\x73\xbc\x57\xae\xc9\xa5\x4e";
const char kNewEvent[] = "\xb7\x73\xbc\x57\xa8\xc6\xa5\xf3";
const char kNewKingdom[] = "\xb7\x73\xbc\x57\xb0\xea\xae\x61";

// The schema of the first 76 bytes: one text of 5 dwords, then fourteen integers; the last word
// of the block is outside it.
constexpr auto kStageSchemaWords = MakeSchemaWords<15>(19, std::array<TextColumn, 1>{{{0, 5}}});
static_assert(SchemaFieldDwords(kStageSchemaWords) == 19);
const FieldSchema kStageSchema{kStageSchemaWords};
// "關卡名稱" "操控國id" "過關頁" "起始時間" "結束時間" "天災" "盜賊" "商車" "關卡索引" "地圖對應"
// "起始X" "起始Y" "開場對白" "過關對白" "結束月份"
const char* const kStageColumns[15] = {"\xc3\xf6\xa5\x64\xa6\x57\xba\xd9",
                                       "\xbe\xde\xb1\xb1\xb0\xea"
                                       "id",
                                       "\xb9\x4c\xc3\xf6\xad\xb6",
                                       "\xb0\x5f\xa9\x6c\xae\xc9\xb6\xa1",
                                       "\xb5\xb2\xa7\xf4\xae\xc9\xb6\xa1",
                                       "\xa4\xd1\xa8\x61",
                                       "\xb5\x73\xb8\xe9",
                                       "\xb0\xd3\xa8\xae",
                                       "\xc3\xf6\xa5\x64\xaf\xc1\xa4\xde",
                                       "\xa6\x61\xb9\xcf\xb9\xef\xc0\xb3",
                                       "\xb0\x5f\xa9\x6c"
                                       "X",
                                       "\xb0\x5f\xa9\x6c"
                                       "Y",
                                       "\xb6\x7d\xb3\xf5\xb9\xef\xa5\xd5",
                                       "\xb9\x4c\xc3\xf6\xb9\xef\xa5\xd5",
                                       "\xb5\xb2\xa7\xf4\xa4\xeb\xa5\xf7"};

template <class T>
T* At(uintptr_t v) {
    return reinterpret_cast<T*>(v);
}
} // namespace

Zu_StageSet* CurrentStageSet() {
    return TheBattleMap ? TheBattleMap->stageSet : nullptr;
}

Zu_StageSet::Zu_StageSet() {
    kingdoms = new LinkList;
    events = new LinkList;
    InitRecord(kStageSchema, kStageColumns, StageBlockLayout::kSize);
    std::memcpy(block, kNewEra, sizeof kNewEra);
    SetColumn(StageBlockLayout::kOpeningTalk, 1);
    SetColumn(StageBlockLayout::kClearTalk, 99);
    BannerTicks = 0;
    PostEndFrames = 0;
}

Zu_StageSet::~Zu_StageSet() {
    DeleteEvents(*events);
    delete events;
    // Each kingdom leaves the list before it goes, so what it deletes (gate pieces forgetting
    // their pursuers) only meets living kingdoms.
    for (uintptr_t v = kingdoms->First(); v != 0; v = kingdoms->First()) {
        kingdoms->RemoveCurrent();
        Kingdom* k = At<Kingdom>(v);
        if (BattleMap::ValidSide(k->nationIndex) && TheBattleMap &&
            TheBattleMap->kingdomTable[k->nationIndex] == k)
            TheBattleMap->kingdomTable[k->nationIndex] = nullptr;
        delete k;
    }
    delete kingdoms;
    // The cities no kingdom holds any more go with the stage they belonged to.
    if (TheBattleMap && TheBattleMap->stageSet == this) TheBattleMap->unownedCities.Clear();
}

int32_t Zu_StageSet::Column(int offset) const {
    ByteReader r(block + offset, 4);
    return r.i32();
}

void Zu_StageSet::SetColumn(int offset, int32_t value) {
    for (int i = 0; i < 4; ++i)
        block[offset + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
}

RootObject* Zu_StageSet::NewChild(int kind) {
    if (kind == kEventKind) {
        auto* e = new events::EventRecord;
        e->SetText(EventLayout::kName, EventLayout::kNameBytes, kNewEvent);
        events->Last();
        events->Add(reinterpret_cast<uintptr_t>(e));
        return e;
    }
    if (kingdoms->GetCount() >= static_cast<int>(kMaxKingdoms)) return nullptr; // no side left
    auto* k = new Kingdom();
    k->ClearBlock();
    k->SetText(KingdomLayout::kName, 20, kNewKingdom);
    kingdoms->Add(reinterpret_cast<uintptr_t>(k));
    RenumberSides();
    return k;
}

void Zu_StageSet::RemoveChild(int kind, RootObject* child) {
    if (!child) return;
    if (kind == kEventKind) {
        if (events->RemoveValue(reinterpret_cast<uintptr_t>(child))) delete child;
        return;
    }
    auto* k = static_cast<Kingdom*>(child);
    if (!kingdoms->Find(reinterpret_cast<uintptr_t>(k))) return;
    for (uintptr_t v = k->fieldUnits.First(); v != 0; v = k->fieldUnits.Next()) {
        Troop* t = At<Troop>(v);
        if (TheBattleMap) TheBattleMap->RemoveObjectAt(t->cellX, t->cellY, reinterpret_cast<uintptr_t>(t));
    }
    for (uintptr_t v = k->gates.First(); v != 0; v = k->gates.First()) {
        k->gates.RemoveCurrent();
        delete At<RootObject>(v);
    }
    kingdoms->RemoveValue(reinterpret_cast<uintptr_t>(k));
    if (BattleMap::ValidSide(k->nationIndex) && TheBattleMap &&
        TheBattleMap->kingdomTable[k->nationIndex] == k)
        TheBattleMap->kingdomTable[k->nationIndex] = nullptr;
    delete k;
    RenumberSides();
    for (uintptr_t v = kingdoms->First(); v != 0; v = kingdoms->Next()) {
        Kingdom* each = At<Kingdom>(v);
        for (uintptr_t u = each->fieldUnits.First(); u != 0; u = each->fieldUnits.Next())
            At<Troop>(u)->owner = static_cast<int8_t>(each->nationIndex);
        for (uintptr_t c = each->cities.First(); c != 0; c = each->cities.Next())
            At<City>(c)->ownerSide = each->nationIndex;
    }
}

RootObject* Zu_StageSet::CreateChild(int kind) {
    if (kind == kEventKind) return new events::EventRecord;
    return new Kingdom();
}

void Zu_StageSet::RenumberSides() {
    BattleMap* map = TheBattleMap;
    if (map) std::fill(std::begin(map->kingdomTable), std::end(map->kingdomTable), nullptr);
    int32_t count = 0;
    for (uintptr_t v = kingdoms->First(); v != 0; v = kingdoms->Next()) {
        if (count >= BattleMap::kSides) break;
        Kingdom* k = At<Kingdom>(v);
        k->nationIndex = ++count;
        if (map) map->kingdomTable[count] = k;
    }
    if (map) map->sideCount = count;
}

void Zu_StageSet::AddKingdom(Kingdom* kingdom) {
    kingdoms->Add(reinterpret_cast<uintptr_t>(kingdom));
}

void Zu_StageSet::RemoveKingdom(Kingdom* kingdom) {
    --stageWords[1];
    kingdoms->RemoveValue(reinterpret_cast<uintptr_t>(kingdom));
}

Kingdom* Zu_StageSet::FindKingdomOfKind2() {
    for (uintptr_t v = kingdoms->First(); v != 0; v = kingdoms->Next())
        if (At<Kingdom>(v)->NationKind() == 2) return At<Kingdom>(v);
    return nullptr;
}

void Zu_StageSet::GiveAllCitiesToPlayer() {
    if (!playerKingdom) return;
    // Each kingdom leaves the list before it goes, so what it deletes (gate pieces forgetting
    // their pursuers) only meets living kingdoms.
    for (uintptr_t v = kingdoms->First(); v != 0; v = kingdoms->First()) {
        kingdoms->RemoveCurrent();
        Kingdom* k = At<Kingdom>(v);
        if (k == playerKingdom) continue;
        // The city changes hands: it leaves its old owner's list so no two lists own it.
        for (uintptr_t c = k->cities.First(); c != 0; c = k->cities.First()) {
            k->cities.RemoveCurrent();
            playerKingdom->AddCity(At<City>(c));
        }
    }
}

void Zu_StageSet::DropForeignCities() {
    if (!playerKingdom) return;
    std::vector<City*> foreign;
    LinkList& list = playerKingdom->cities;
    for (uintptr_t c = list.First(); c != 0; c = list.Next())
        if (At<City>(c)->ownerSide != playerSide) foreign.push_back(At<City>(c));
    for (City* c : foreign)
        playerKingdom->RemoveCity(c);
}

int Zu_StageSet::Save(ByteWriter& out) {
    out.u32(StageBlockLayout::kSize);
    out.u32(static_cast<uint32_t>(kingdoms->GetCount()));
    out.bytes(block, StageBlockLayout::kSize);
    for (uintptr_t v = kingdoms->First(); v != 0; v = kingdoms->Next())
        At<Kingdom>(v)->Save(out);
    return 1;
}

int Zu_StageSet::Load(ByteReader& in) {
    const uint32_t length = in.u32();
    const uint32_t count = in.u32();
    if (!in.ok() || count > kMaxKingdoms || length > in.remaining()) return 0;
    std::memset(block, 0, StageBlockLayout::kSize);
    const uint32_t keep = length < StageBlockLayout::kSize ? length : StageBlockLayout::kSize;
    in.bytes(block, keep);
    in.skip(length - keep);
    BattleMap* map = TheBattleMap;
    int32_t sides = map ? map->sideCount : 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (sides >= BattleMap::kSides) return 0;
        auto* k = new Kingdom();
        if (!k->Load(in)) {
            delete k;
            return 0;
        }
        k->nationIndex = ++sides;
        kingdoms->Add(reinterpret_cast<uintptr_t>(k));
        if (map) {
            map->kingdomTable[sides] = k;
            map->sideCount = sides;
        }
    }
    return 1;
}
