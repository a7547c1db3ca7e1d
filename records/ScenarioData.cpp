#include "records/ScenarioData.h"

#include "Program/GameController.h"
#include "Program/StageSet.h"
#include "records/ItemRecord.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "records/SkillRecord.h"
#include "records/SoldierTypeRecord.h"
#include "world/BattleMap.h"
#include "world/MapView.h"

namespace {
// "Velmora", and the captions of new records: "新增時代", "新增武將", "新增城市", "新增兵種", "新增物品".
const char kDefaultTitle[] = "Velmora";
const char kNewEra[] = "\xb7\x73\xbc\x57\xae\xc9\xa5\x4e";
const char kNewGeneral[] = "\xb7\x73\xbc\x57\xaa\x5a\xb1\x4e";
const char kNewCity[] = "\xb7\x73\xbc\x57\xab\xb0\xa5\xab";
const char kNewSoldierType[] = "\xb7\x73\xbc\x57\xa7\x4c\xba\xd8";
const char kNewItem[] = "\xb7\x73\xbc\x57\xaa\xab\xab\x7e";

template <class T>
void DeleteAll(LinkList& list) {
    for (uintptr_t v = list.First(); v != 0; v = list.First()) {
        list.RemoveCurrent();
        delete reinterpret_cast<T*>(v);
    }
}

void Named(DataSet* record, const char* caption) {
    record->ClearBlock();
    record->SetText(0, 20, caption);
}
} // namespace

ScenarioData::ScenarioData() {
    caption = kDefaultTitle;
}

ScenarioData::~ScenarioData() {
    if (TheBattleMap && TheBattleMap->scenario == this) TheBattleMap->stageSet = nullptr;
    DeleteAll<Zu_StageSet>(stageRecords);
    stageCities.RemoveAll();
    stageGenerals.RemoveAll();
    selectedGenerals.RemoveAll();
    // The global tables point into the master records: drop those entries before the records go.
    ForgetRecordBlocks(this);
    DeleteAll<SkillRecord>(skills);
    DeleteAll<SoldierTypeRecord>(soldierTypes);
    DeleteAll<ItemRecord>(items);
    DeleteAll<OfficerRecord>(generalTemplates);
    DeleteAll<RootObject>(cityTemplates);
    DeleteAll<RootObject>(subCastleTemplates);
}

LinkList* ScenarioData::ListOfKind(int kind) {
    switch (kind) {
    case kStageKind:
        return &stageRecords;
    case kGeneralKind:
        return &generalTemplates;
    case kCityKind:
        return &cityTemplates;
    case kSoldierTypeKind:
        return &soldierTypes;
    case kSkillKind:
        return &skills;
    case kItemKind:
        return &items;
    default:
        return nullptr;
    }
}

void ScenarioData::RebuildTables(int kind) {
    switch (kind) {
    case kGeneralKind:
        BuildGeneralTemplateTable(this);
        break;
    case kSoldierTypeKind:
        BuildSoldierTypeTable(this);
        break;
    case kSkillKind:
        BuildSkillTable(this);
        break;
    case kItemKind:
        BuildItemTable(this);
        break;
    default:
        break;
    }
}

RootObject* ScenarioData::NewChild(int kind) {
    DataSet* record = nullptr;
    switch (kind) {
    case kStageKind: {
        if (TheBattleMap && TheBattleMap->stageSet) return nullptr;
        if (TheBattleMap && stageRecords.GetCount() > 0)
            TheBattleMap->stageSet = reinterpret_cast<Zu_StageSet*>(stageRecords.GetAt(0));
        auto* stage = new Zu_StageSet;
        Named(stage, kNewEra);
        stageRecords.Add(reinterpret_cast<uintptr_t>(stage));
        if (TheBattleMap && !TheBattleMap->stageSet) TheBattleMap->stageSet = stage;
        return stage;
    }
    case kGeneralKind:
        record = new OfficerRecord(100, -1);
        Named(record, kNewGeneral);
        break;
    case kCityKind: {
        auto* city = new City;
        Named(city, kNewCity);
        cityTemplates.Add(reinterpret_cast<uintptr_t>(city));
        return city;
    }
    case kSoldierTypeKind:
        record = new SoldierTypeRecord(100);
        Named(record, kNewSoldierType);
        break;
    case kSkillKind:
        // The game names a new skill like a new soldier type.
        record = new SkillRecord(100);
        Named(record, kNewSoldierType);
        break;
    case kItemKind:
        record = new ItemRecord(100);
        Named(record, kNewItem);
        break;
    default:
        return nullptr;
    }
    ListOfKind(kind)->Add(reinterpret_cast<uintptr_t>(record));
    RebuildTables(kind);
    return record;
}

void ScenarioData::RemoveChild(int kind, RootObject* record) {
    LinkList* list = ListOfKind(kind);
    if (!list || !record) return;
    const auto value = reinterpret_cast<uintptr_t>(record);
    if (kind == kGeneralKind) {
        // A stage or selected general belongs to its city: only the scenario's links go.
        stageGenerals.RemoveValue(value);
        selectedGenerals.RemoveValue(value);
    }
    if (kind == kCityKind) stageCities.RemoveValue(value);
    const bool owned = list->RemoveValue(value) != 0;
    if (kind == kStageKind) {
        if (TheBattleMap) {
            TheBattleMap->stageSet =
                stageRecords.GetCount() > 0 ? reinterpret_cast<Zu_StageSet*>(stageRecords.GetAt(0)) : nullptr;
            if (TheBattleMap->stageSet == record) TheBattleMap->stageSet = nullptr;
        }
    }
    if (!owned) return;
    RebuildTables(kind);
    delete record;
}

RootObject* ScenarioData::CreateChild(int kind) {
    switch (kind) {
    case kGeneralKind:
        return new OfficerRecord(100, -1);
    case kCityKind:
        return new City;
    case kSoldierTypeKind:
        return new SoldierTypeRecord(100);
    case kSkillKind:
        return new SkillRecord(100);
    case kItemKind:
        return new ItemRecord(100);
    default:
        return new Zu_StageSet;
    }
}

void ScenarioData::Clear() {
    if (!TheBattleMap || !TheBattleMap->stageSet) return;
    // Let go first: what the records delete (gate pieces forgetting their pursuers) must not walk a
    // stage record that is already gone.
    TheBattleMap->stageSet = nullptr;
    DeleteAll<Zu_StageSet>(stageRecords);
    TheBattleMap->FreeObjectLists();
    if (TheGameController && TheGameController->gameScreen) {
        TheBattleMap->ResetStage();
        TheGameController->gameScreen->FreeMapCells();
    }
    stageCities.RemoveAll();
    stageGenerals.RemoveAll();
}
