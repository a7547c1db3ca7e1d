#pragma once

#include "engine/LinkList.h"
#include "records/DataSet.h"

// The one container of records, held by the battle map: the stage records, the master tables of
// the data files and the live lists of the loaded stage.
class ScenarioData : public DataSet {
public:
    static constexpr int kStageKind = 0;
    static constexpr int kGeneralKind = 0x66;
    static constexpr int kCityKind = 0x67;
    static constexpr int kSoldierTypeKind = 0x68;
    static constexpr int kSkillKind = 0x69;
    static constexpr int kItemKind = 0x6b;

    ScenarioData();
    ~ScenarioData() override;

    // A blank record of the kind with its caption, appended to the kind's list; a stage record
    // only while the battle map has none current.
    RootObject* NewChild(int kind) override;
    // Unlinks the record from the kind's lists; deletes it when the scenario owned it.
    void RemoveChild(int kind, RootObject* record) override;
    // A new record of the kind that belongs to no list (a stage record for unknown kinds).
    RootObject* CreateChild(int kind) override;

    // Before a stage is loaded: drops the stage records and the stage lists, when a stage is
    // current.
    void Clear();

    // The list that holds records of a kind, or null.
    LinkList* ListOfKind(int kind);

    LinkList stageRecords;       // owned
    LinkList stageCities;        // the kingdoms' cities
    LinkList stageGenerals;      // the cities' generals
    LinkList generalTemplates;   // owned
    LinkList soldierTypes;       // owned
    LinkList cityTemplates;      // owned
    LinkList skills;             // owned
    LinkList items;              // owned
    LinkList selectedGenerals;   // the map view's selection
    LinkList subCastleTemplates; // owned

private:
    // The global block tables follow the master lists after every change.
    void RebuildTables(int kind);
};
