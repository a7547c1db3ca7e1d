#pragma once

#include "gui/RootObject.h"

#include <cstdint>
#include <memory>
#include <string>

class City;
class Kingdom;
class StageReader;
class StageWriter;

// The owner of all stage file input and output that the game controller holds: the stage file
// set as a whole (loading), its companion files, the talk texts and the binding of a loaded world.
class TemplateTables : public RootObject {
public:
    TemplateTables() = default;
    ~TemplateTables() override;

    // ---- Stage loading (stagefiles/StageLoading.cpp) ----
    // Reads a stage file set and rebuilds the world around it. path is the main file's name with
    // its extension; keepScenario 1 keeps the scenario data in memory and reads no main file.
    // Every step runs whatever an earlier one found; the result is 1 when the stage was read, 0
    // when the main file (keepScenario 0) is missing, empty or damaged, or any other file of the
    // set cannot be read whole (an optional one may be missing). The first file that failed is
    // named in unreadFile, and each is noted in the error list and "Error.lst".
    int LoadStage(const char* path, int32_t keepScenario);
    std::string unreadFile;
    // While non-zero the loader leaves the battle map's stage troops as they are.
    int16_t skipRebuild = 0;
    // The shared text slots, emptied at the end of every load.
    static constexpr int kTextSlots = 700;
    char* textSlots[kTextSlots] = {};
    int32_t textSlotCount = 0;
    void FreeTextSlots();

    // ---- Talk texts (stagefiles/TalkTexts.cpp) ----
    // The stage's talk file and the common one into the controller's two tables; always 1.
    int LoadTalkTexts();
    int LoadExtraTalkTexts();

    // ---- Event file and officer owners (stagefiles/EventFilePass.cpp) ----
    // The ".evt" file into the stage's event list (emptied first), then the history events when a
    // campaign stage 1..4 starts fresh; 1, or 0 when the file is there but damaged.
    int LoadEventFile(const char* name);
    // Every officer of the loaded world takes its kingdom as owner; the kingdoms' generals are
    // collected anew.
    void BindOfficersToKingdoms();

    // ---- Binding the loaded world (stagefiles/StageBinding.cpp) ----
    // A restored world's kingdoms: control, relations, leaders, gate slots, areas and gates. 0
    // without a current stage.
    int BindStageKingdoms();
    // Every loaded world: garrisons, posts, relations by team, anchors, generals, sight.
    void BindStageWorld();

    // The battle map's dead-officer list in the ".dead" file of a stage file set: 1 when written
    // or read, 0 without a stage or when the file cannot be made or opened.
    int SaveDeadFile(const char* name);
    int LoadDeadFile(const char* name);

    // The battle map's items in the ".itm" file: 1 when written or read, 0 without a stage or
    // when the file cannot be made or opened, or is damaged. Reading adds to the items already on the map.
    int SaveItemFile(const char* name);
    int LoadItemFile(const char* name);
    // The garrisons of the stage's cities and sub-castles in the ".soldier" file; nothing happens
    // without a stage or when the file cannot be made or opened. 1 when written or read whole.
    int WriteGarrisonFile(const char* name);
    int ReadGarrisonFile(const char* name);
    // The field troops, hot-key groups and selection in the ".spr" file. Writing: 1, or 0 without
    // a stage or when the file cannot be made. Reading: 1 when the file was read whole, 0 without
    // a stage or when it cannot be opened or is damaged.
    int WriteSoldierFile(const char* name);
    int ReadSoldierFile(const char* name);

    // The soldier file last read: its tag (ended with a zero), its version word (2, 3 or 5 for
    // the known newer tags; other tags leave it) and 1 when it had a newer layout.
    char tag[13] = {};
    int32_t soldierVersion = 0;
    int32_t newerLayout = 0;

    // ---- Main stage file (stagefiles/MainStage*.cpp) ----
    // Reads the main stage file into a new current stage record: 1 when read, 0 when the file
    // cannot be opened, its marker is 0 or it is damaged. A damaged file leaves no part of its
    // world behind (the battle map's tables hold what they held before).
    int ReadMainFile(const char* name);
    int ReadMainFile(StageReader& in);
    // Everything after the marker, for a writer that wrote the marker 1 itself.
    int WriteMainFile(StageWriter& out);
    // The whole file (marker, then the stage when there is one) put in place at once; 1 when
    // written.
    int SaveMainFile(const char* name);
    // One kingdom record with its cities, and one city record; 0 when the record is damaged (what
    // was made of it is left to the caller, which deletes the object). A city read with
    // enterInMap false takes no place in the battle map's tables and keeps its stored id.
    int ReadKingdom(StageReader& in, Kingdom& kingdom);
    int ReadCity(StageReader& in, City& city, bool enterInMap = true);
    int WriteKingdom(StageWriter& out, Kingdom& kingdom);
    int WriteCity(StageWriter& out, City& city);
    // Kingdoms read by the current main-file read (the index a fresh stage gives the next one).
    int32_t kingdomsRead = 0;
    // Trailer words 6 and 7 as last read: the selected city's index and the map view's current
    // city's index; nothing else takes them.
    int32_t trailerSelectedCity = 0;
    int32_t trailerViewCity = 0;

    // ---- Castle gate files (stagefiles/GateFile*.cpp) ----
    // The gates of the stage's kingdoms in a ".dor" (placement; read closed) or ".gat" (with each
    // gate's and piece's state) file: 1 when written or read, 0 without a stage, when the file
    // cannot be made or opened, or is damaged (gates read whole before stay).
    int LoadDoorFile(const char* name);
    int SaveDoorFile(const char* name);
    int LoadGateFile(const char* name);
    int SaveGateFile(const char* name);

    // ---- Saving a stage, save slots (stagefiles/StageSave.cpp, stagefiles/SaveSlots.cpp) ----
    // Writes the whole file set of the stage path (the main file with its extension): 1 when the
    // main file was written. lastSaveComplete tells whether every file of the set was.
    int SaveStage(const char* path);
    bool lastSaveComplete = false;
    // A save slot (0..15) written or loaded: 1 on success, 0 for a slot outside the table, a set
    // that could not be written whole, or a slot without a saved game (the world is then left as
    // it was).
    int SaveGame(int slot);
    int LoadGame(int slot);
    // The main stage file and the talk texts of a stage, without building its world: 1 when the
    // main file was read.
    int ReloadStageTexts(const char* path);

    // ---- Campaign pass record (stagefiles/PassRecordFile.cpp) ----
    // The player's ordinary generals carried to the next campaign stage, written after a
    // victory; read back when the next stage's main file is read (1 when a pass file was read).
    void SavePassRecord();
    int LoadPassRecord();
    int32_t passRecordCount = 0;

    // ---- Player city files (stagefiles/PlayerCityFile.cpp) ----
    // The player's camp city of a campaign stage: read from the file of the current stage
    // (previous 0) or of the stage before, or written to the current one. True when the file
    // was read or written whole.
    bool LoadCastleFile(City* city, int previous);
    bool SaveCastleFile(City* city);
    // The city the last LoadCastleFile read into (not owned), and the camp city a restored
    // campaign game rebuilt from its file (owned).
    City* playerCity = nullptr;
    struct CityDeleter {
        void operator()(City* city) const;
    };
    std::unique_ptr<City, CityDeleter> unitBlockCity;
};
