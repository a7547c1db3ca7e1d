#include "DemoStage.h"

#include "DemoArmies.h"
#include "DemoCastle.h"
#include "DemoClocks.h"
#include "DemoRoutes.h"
#include "DemoWallPosts.h"

#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "events/EventFile.h"
#include "events/EventRecord.h"
#include "events/EventStep.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "records/SoldierTypeRecord.h"
#include "records/TemplateTables.h"
#include "troops/SoldierTypeColumns.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"
#include "world/MapCell.h"
#include "world/MapFiles.h"

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <tuple>
#include <vector>

namespace {

constexpr int kMapWidth = 64, kMapRows = 128;
constexpr int kRed = 1, kBlue = 2; // the two warring kingdoms' sides
constexpr int kJade = 3;           // a kingdom away from the war, to talk to
constexpr int kSpearmen = 1, kArchers = 2;
constexpr int kOpeningTalk = 1001;
// The field armies' troop groups, which the events watch.
constexpr int kRedArmy = 11, kBlueArmy = 12;

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}

bool WriteFile(const std::string& name, const Bytes& bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

// The soldiers of a general's band: a battle gives a general of class 1 the template of row 419, one
// of class 2 that of row 416 (the built-in follower table's battle column).
constexpr int kSpearmanClass = 1, kArcherClass = 2;
constexpr int kSpearmanRow = 419, kArcherRow = 416;

std::array<uint8_t, OfficerLayout::kSize> FollowerTemplate(const char* name, int type, int row) {
    OfficerRecord o(0, -1);
    o.SetText(OfficerLayout::kName, OfficerLayout::kNameBytes, name);
    o.Set(OfficerLayout::kPersonNumber, row);
    o.Set(OfficerLayout::kSoldierType, type);
    o.Set(OfficerLayout::kAttribute, 2); // a plain soldier
    o.Set(OfficerLayout::kLevel, 1);
    o.Set(OfficerLayout::kStrength, 40);
    o.Set(OfficerLayout::kPhysique, 40);
    o.Set(OfficerLayout::kAgility, 30);
    o.Set(OfficerLayout::kLoyalty, 90);
    o.Set(OfficerLayout::kHp, 60);
    o.Set(OfficerLayout::kMaxHp, 60);
    o.Set(OfficerLayout::kAttack, 14);
    o.Set(OfficerLayout::kDefence, 8);
    o.Set(OfficerLayout::kHitRate, 80);
    o.Set(OfficerLayout::kEvasion, 10);
    std::array<uint8_t, OfficerLayout::kSize> block{};
    std::memcpy(block.data(), o.block, block.size());
    return block;
}

// The two soldier types' records.
std::array<uint8_t, SoldierTypeRecord::kSize> SoldierTypeRow(int number) {
    const struct {
        int number;
        const char* name;
        int rangeEnd, speed, sight, missile;
    } types[] = {// speed: per cent of a normal pace
                 {kSpearmen, "Spearmen", 1, 100, 6, 0},
                 {kArchers, "Archers", 5, 90, 8, kDemoArrowKind}};
    std::array<uint8_t, SoldierTypeRecord::kSize> row{};
    for (const auto& t : types) {
        if (t.number != number) continue;
        std::memcpy(row.data(), t.name, std::strlen(t.name));
        auto set = [&row](uint32_t at, int32_t v) { std::memcpy(row.data() + at, &v, 4); };
        set(SoldierTypeLayout::kNumber, t.number);
        set(SoldierColumn::kFootprint, 40);
        set(SoldierColumn::kRangeStart, 1);
        set(SoldierColumn::kRangeEnd, t.rangeEnd);
        set(SoldierColumn::kSpeed, t.speed);
        set(SoldierColumn::kSight, t.sight);
        set(SoldierColumn::kAttackPause, 12);
        set(SoldierColumn::kMissile, t.missile);
    }
    return row;
}

// The tables the game reads at start-up: the general templates hold only the two follower rows (the
// stage brings its own people), no castle or sub-castle templates, two soldier types, and an empty
// skill table that ends the load.
bool WriteDataTables(std::string& error) {
    Bytes generals;
    Put32(generals, kSpearmanRow);
    Put32(generals, OfficerLayout::kSize);
    for (int row = 1; row <= kSpearmanRow; ++row) {
        std::array<uint8_t, OfficerLayout::kSize> block{};
        if (row == kSpearmanRow) block = FollowerTemplate("Spearman", kSpearmen, row);
        if (row == kArcherRow) block = FollowerTemplate("Archer", kArchers, row);
        generals.insert(generals.end(), block.begin(), block.end());
    }
    if (!WriteFile("general.ini", generals)) return error = "general.ini", false;
    for (const auto& [name, rowBytes] :
         {std::pair<const char*, uint32_t>{"castle.ini", CityLayout::kSize}, {"SubCastle.ini", 100}}) {
        Bytes b;
        Put32(b, 0);
        Put32(b, rowBytes);
        if (!WriteFile(name, b)) return error = name, false;
    }
    Bytes soldiers;
    Put32(soldiers, 2);
    Put32(soldiers, SoldierTypeRecord::kSize);
    for (int t : {kSpearmen, kArchers}) {
        const auto row = SoldierTypeRow(t);
        soldiers.insert(soldiers.end(), row.begin(), row.end());
    }
    if (!WriteFile("soldier.ini", soldiers)) return error = "soldier.ini", false;
    Bytes skills;
    Put32(skills, 0);
    if (!WriteFile("skill.ini", skills)) return error = "skill.ini", false;
    return true;
}

bool WriteTalkTexts(std::string& error) {
    // One page of the speech box, in Big5 (the box types no single-byte character):
    // "紅旗眾將聽令：渡河奪取藍軍的兩座城池！"
    const std::string talk =
        "#1001\r\n\xAC\xF5\xBA\x58\xB2\xB3\xB1\x4E\xC5\xA5\xA5\x4F\xA1\x47\xB4\xE7\xAA\x65\xB9\xDC\xA8\xFA"
        "\xC2\xC5\xAD\x78\xAA\xBA\xA8\xE2\xAE\x79\xAB\xB0\xA6\xC0\xA1\x49#\r\n";
    if (!WriteFile("Talk01.txt", Bytes(talk.begin(), talk.end()))) return error = "Talk01.txt", false;
    return true;
}

// The world the stage file describes, made in the game's own objects and written by its writers.
class DemoWorld {
public:
    DemoWorld() {
        TheScreenSettings = new ScreenSettings;
        TheGameController = new GameController;
        TheBattleMap = new BattleMap;
        stage = new Zu_StageSet;
        TheBattleMap->stageSet = stage;
        // The stage's soldier file carries the types as the tables have them.
        for (int t : {kSpearmen, kArchers}) {
            typeBlocks[size_t(t)] = SoldierTypeRow(t);
            SoldierTypeTable[t] = typeBlocks[size_t(t)].data();
        }
        SoldierTypeCount = 3;
    }
    ~DemoWorld() {
        DeleteEvents(*stage->events);
        delete stage; // with its kingdoms and their field troops
        ClearRecordTables();
        SoldierTypeCount = 0;
        delete TheBattleMap;
        TheBattleMap = nullptr;
        delete TheGameController;
        TheGameController = nullptr;
        delete TheScreenSettings;
        TheScreenSettings = nullptr;
    }
    DemoWorld(const DemoWorld&) = delete;
    DemoWorld& operator=(const DemoWorld&) = delete;

    void Build() {
        Map();
        stage->SetText(StageBlockLayout::kName, 20, "River Forts");
        stage->SetColumn(StageBlockLayout::kStageNumber, stageNumber);
        stage->SetColumn(StageBlockLayout::kPlayerSide, kRed);
        stage->SetColumn(StageBlockLayout::kStartYear, 190);
        // The stage runs one season: time over after three months, or the end of the year.
        stage->SetColumn(StageBlockLayout::kEndTime, 191);
        stage->SetColumn(StageBlockLayout::kEndMonth, 3);
        stage->SetColumn(StageBlockLayout::kStartX, 8);
        stage->SetColumn(StageBlockLayout::kStartY, 20);
        stage->SetColumn(StageBlockLayout::kOpeningTalk, kOpeningTalk);
        stage->playerSide = kRed;

        Kingdom* red = AddKingdom(kRed, "Red Banner", 0);
        Kingdom* blue = AddKingdom(kBlue, "Blue River", 1);
        red->relations[kBlue] = blue->relations[kRed] = 3;
        stage->playerKingdom = red;

        City* redCapital = AddCity(red, 1, "Red Keep", 10, 30, 3);
        AddCity(red, 2, "Red Mill", 24, 44, 2);
        City* blueFort = AddCity(blue, 3, "Blue Fort", 48, 90, 3);
        City* blueFerry = AddCity(blue, 4, "Blue Ferry", 34, 100, 2);

        // Garrisons: generals waiting in the cities.
        Garrison(redCapital, "Wen Li", kSpearmen, 6);
        Garrison(redCapital, "Gao Lan", kArchers, 3); // person 421: the keep's wall captain
        Garrison(blueFort, "Bo Han", kArchers, 6);
        Garrison(blueFerry, "Qiu Rong", kSpearmen, 4);

        // The field armies meet in the middle: red's bands against blue's two outpost captains, too
        // junior to lead a band.
        Band(red, "Zhao Feng", kSpearmen, 14, 30, 6);
        Band(red, "Lu Min", kArchers, 12, 28, 5);
        Band(blue, "Ma Tai", kSpearmen, 16, 32, 1);
        Band(blue, "Sun Ye", kArchers, 15, 34, 1);
        // Scouts that roam the middle of the map.
        for (const auto& [name, x, y] :
             {std::tuple{"Xu Ping", 40, 36}, {"Gao Shun", 30, 42}, {"Fei Yan", 52, 40}}) {
            Band(blue, name, kSpearmen, x, y, 1);
            demoroutes::MakeScout(*blue);
        }

        // A lord far off in the hills, wary of red: peace yes, alliance not yet.
        Kingdom* jade = AddKingdom(kJade, "Jade Hills", 1);
        jade->SetInt(KingdomLayout::kDiplomacy, 1);
        Band(jade, "Yu Lan", kSpearmen, 60, 6, 2);

        Events(blueFort, blueFerry);
    }

    bool Save(std::string& error, const std::string& base = "stage01") {
        TemplateTables tables;
        auto check = [&error](int ok, const std::string& name) {
            if (!ok && error.empty()) error = name;
            return ok != 0;
        };
        // A fresh stage reads its map from "stage01" and its companions from the stage's name.
        TheGameController->freshStage = 1;
        bool ok = check(tables.SaveMainFile((base + ".stg").c_str()), base + ".stg");
        ok = ok && check(tables.WriteSoldierFile((base + ".spr").c_str()), base + ".spr");
        ok = ok && check(tables.SaveDoorFile((base + ".dor").c_str()), base + ".dor");
        ok = ok && check(tables.SaveItemFile((base + ".itm").c_str()), base + ".itm");
        ok = ok && check(tables.SaveDeadFile((base + ".dead").c_str()), base + ".dead");
        ok = ok && check(SaveEventFile((base + ".evt").c_str(), *stage->events), base + ".evt");
        ok = ok && check(SaveMapFiles(base.c_str()), base + ".m");
        return ok;
    }

    LinkList& EventList() { return *stage->events; }

    // The general who must go to a campaign battle whatever the player chooses.
    const char* mustAppear = nullptr;
    int stageNumber = 1;

private:
    void Map() {
        auto cells = std::make_unique<MapCell[]>(size_t(kMapWidth) * kMapRows);
        for (int i = 0; i < kMapWidth * kMapRows; ++i) {
            cells[size_t(i)].groundTile = 100; // grassland
            cells[size_t(i)].layerTile = MapCell::kNoTile;
            cells[size_t(i)].overlayTile = MapCell::kNoTile;
            // Open country: the whole map is in sight from the start.
            cells[size_t(i)].sightCount = 2;
            cells[size_t(i)].seen = 1;
        }
        TheBattleMap->SetCells(std::move(cells), kMapWidth, kMapRows);
        TheBattleMap->validBounds = {0, 0, kMapWidth, kMapRows};
        TheBattleMap->AllocGrid();
        // The minimap's three layers (the ground, the ground with the city marks, the picture
        // shown) start as the same green land with the river's blue band: the whole map is in
        // sight, and a black pixel would let the map view show through the minimap panel.
        for (int layer = 0; layer < 3; ++layer) {
            uint8_t* image = TheGameController->minimapImages[layer];
            if (image)
                for (size_t p = 0; p + 1 < kMinimapBytes; p += 2) {
                    const size_t x = (p / 2) % kMinimapWidth;
                    const size_t y = (p / 2) / kMinimapWidth;
                    const bool river = x + 8 > y && x < y + 8;
                    const uint16_t colour = river ? 0x2B1F : 0x3D26;
                    image[p] = uint8_t(colour);
                    image[p + 1] = uint8_t(colour >> 8);
                }
        }
    }

    Kingdom* AddKingdom(int side, const char* name, int kind) {
        auto* k = new Kingdom;
        k->nationIndex = side;
        k->SetText(KingdomLayout::kName, 20, name);
        k->SetInt(KingdomLayout::kNation, side);
        k->SetInt(KingdomLayout::kNationKind, kind);
        k->relations[side] = 1;
        k->targetCityId = -1;
        stage->AddKingdom(k);
        TheBattleMap->kingdomTable[side] = k;
        return k;
    }

    City* AddCity(Kingdom* k, int id, const char* name, int x, int y, int scale) {
        auto* c = new City(k->nationIndex);
        c->id = id;
        c->SetText(CityLayout::kName, 20, name);
        c->SetInt(CityLayout::kIndex, id);
        c->SetInt(CityLayout::kKind, 0);
        c->SetInt(CityLayout::kScale, scale);
        c->SetInt(CityLayout::kX, x);
        c->SetInt(CityLayout::kY, y);
        c->SetInt(CityLayout::kPopulation, 800 * scale);
        c->SetInt(CityLayout::kGold, 500 * scale);
        c->SetInt(CityLayout::kFood, 600 * scale);
        TheBattleMap->EnterCityById(c);
        democastle::LayCastle(*TheBattleMap, x, y, scale, k->nationIndex);
        demowalls::LayWallPosts(*TheBattleMap, x, y);
        k->AddCity(c);
        c->SumBuildings();
        return c;
    }

    OfficerRecord* Officer(int side, const char* name, int type, int kind, int level) {
        auto* o = new OfficerRecord(side, -1);
        o->SetText(OfficerLayout::kName, OfficerLayout::kNameBytes, name);
        o->Set(OfficerLayout::kPersonNumber, nextPerson++);
        o->Set(OfficerLayout::kSoldierType, type);
        o->Set(OfficerLayout::kClass, type == kArchers ? kArcherClass : kSpearmanClass);
        o->Set(OfficerLayout::kAttribute, kind);
        o->Set(OfficerLayout::kLevel, level);
        o->Set(OfficerLayout::kTroopCapacity, 60);
        o->Set(OfficerLayout::kControllable, 1); // the player may command his own generals
        o->Set(OfficerLayout::kStrength, 40 + 6 * level);
        o->Set(OfficerLayout::kIntelligence, 30 + 4 * level);
        o->Set(OfficerLayout::kPhysique, 40 + 5 * level);
        o->Set(OfficerLayout::kAgility, 30 + 3 * level);
        o->Set(OfficerLayout::kLoyalty, 90);
        o->Set(OfficerLayout::kHp, 120 + 20 * level);
        o->Set(OfficerLayout::kMaxHp, 120 + 20 * level);
        o->Set(OfficerLayout::kAttack, 20 + 4 * level);
        o->Set(OfficerLayout::kDefence, 12 + 3 * level);
        o->Set(OfficerLayout::kHitRate, 80);
        o->Set(OfficerLayout::kEvasion, 10);
        o->serial = uint32_t(nextPerson);
        o->UpdateRank(0);
        return o;
    }

    void Garrison(City* city, const char* name, int type, int level) {
        city->generals.Add(uintptr_t(Officer(city->ownerSide, name, type, 1, level)));
    }

    // A general standing at (x, y) in his kingdom's field army; the battle's start gives him his
    // band, by his level, and the band joins his army.
    void Band(Kingdom* k, const char* name, int type, int x, int y, int level) {
        OfficerRecord* general = Officer(k->nationIndex, name, type, 1, level);
        general->Set(OfficerLayout::kRebel, k->nationIndex == kRed    ? kRedArmy
                                            : k->nationIndex == kBlue ? kBlueArmy
                                                                      : 0);
        if (mustAppear && general->Name() == mustAppear) general->Set(OfficerLayout::kMustAppear, 2);
        auto* leader = new Troop(0, 10, int16_t(x), int16_t(y), int8_t(k->nationIndex), 0, 0, general);
        leader->outgoingMark = 1;
        k->fieldUnits.Add(uintptr_t(leader));
    }

    events::EventRecord* Event(int id, int code, const char* name) {
        auto* e = new events::EventRecord;
        e->SetText(EventLayout::kName, EventLayout::kNameBytes, name);
        e->SetInt(EventLayout::kId, id);
        e->SetInt(EventLayout::kCode, code);
        stage->events->Add(uintptr_t(e));
        return e;
    }

    static void Step(events::EventRecord* e, int32_t kind, std::array<int32_t, 4> params) {
        e->NewStep();
        auto* step = reinterpret_cast<EventStep*>(e->steps.Last());
        step->SetInt(EventStepLayout::kCode, kind);
        for (int i = 0; i < 4; ++i)
            step->SetParam(i + 1, params[size_t(i)]);
    }

    // The script: the opening view and speech; victory once both blue cities are red or blue's field
    // army is destroyed; defeat when the red kingdom falls, its field army is destroyed or the season
    // ends.
    void Events(City* fort, City* ferry) {
        events::EventRecord* opening = Event(1, 99, "Opening");
        Step(opening, 0, {0, 0, kMapWidth, kMapRows});
        Step(opening, 2, {kOpeningTalk, 0, 0, 0});
        events::EventRecord* victory = Event(2, 37, "Victory");
        victory->SetInt(EventLayout::kGeneral, fort->id);
        victory->SetParam(1, ferry->id);
        Step(victory, 7, {0, 0, 0, 0});
        Step(Event(3, 21, "Fallen"), 4, {0, 0, 0, 0});
        Step(Event(4, 22, "Season over"), 4, {0, 0, 0, 0});
        events::EventRecord* routed = Event(5, 38, "Blue routed");
        routed->SetInt(EventLayout::kGeneral, kBlueArmy);
        Step(routed, 7, {0, 0, 0, 0});
        events::EventRecord* lost = Event(6, 38, "Red routed");
        lost->SetInt(EventLayout::kGeneral, kRedArmy);
        Step(lost, 4, {0, 0, 0, 0});
        democlocks::AddClockEvents(*stage->events, 1, democlocks::kClocksId);
    }

    Zu_StageSet* stage = nullptr;
    std::array<std::array<uint8_t, SoldierTypeRecord::kSize>, 3> typeBlocks{};
    // The stage's people are numbered past the template rows: a person number that names a template
    // row takes that row's record when the stage is read.
    int nextPerson = kSpearmanRow + 1;
};

} // namespace

bool WriteDemoStage(const std::string& folder, std::string& error) {
    std::error_code ec;
    const std::filesystem::path back = std::filesystem::current_path(ec);
    std::filesystem::current_path(folder, ec);
    if (ec) return error = folder, false;
    bool ok = WriteDataTables(error) && WriteTalkTexts(error) && WriteDemoWeapons(error);
    if (ok) {
        DemoWorld world;
        world.Build();
        ok = world.Save(error);
    }
    std::filesystem::current_path(back, ec);
    return ok && democlocks::WriteDemoClockStage(folder, error);
}

bool WriteDemoStageAs(const std::string& folder, const std::string& base, int stageNumber,
                      const char* mustAppear, std::string& error, void (*reworkEvents)(LinkList&)) {
    std::error_code ec;
    const std::filesystem::path back = std::filesystem::current_path(ec);
    std::filesystem::current_path(folder, ec);
    if (ec) return error = folder, false;
    bool ok = true;
    {
        DemoWorld world;
        world.mustAppear = mustAppear;
        world.stageNumber = stageNumber;
        world.Build();
        if (reworkEvents) reworkEvents(world.EventList());
        // A campaign stage's file names its place in the act.
        if (stageNumber >= 11 && stageNumber <= 46) {
            TheGameController->gameKind = 0;
            TheGameController->actIndex = (stageNumber - 11) / 12;
            TheGameController->actChoice = int8_t((stageNumber - 11) % 12);
            TheGameController->campaignStage = uint8_t(stageNumber);
        }
        ok = world.Save(error, base);
    }
    std::filesystem::current_path(back, ec);
    return ok;
}
