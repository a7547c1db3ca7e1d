#include "world/CastleTemplate.h"

#include "Program/GameController.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/ScenarioData.h"
#include "records/SubCastle.h"
#include "stagefiles/SavedRecord.h"
#include "troops/CastleGate.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"
#include "world/GeneratorCell.h"

#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kCopyCity = 108;      // "複製城"
constexpr uint32_t kScenarioStage = 112; // "劇本關卡"
constexpr uint32_t kRulingNation = 116;  // "支配 國"
constexpr uint32_t kOfficerCity1 = 288;  // "城1"; "城2".."城6" follow
constexpr int32_t kOfficerTemplateKind = 14;
constexpr uint16_t kSiteTile = 14004;

// The stage the editor builds: the scenario's first stage record.
Zu_StageSet* EditedStage() {
    if (!TheBattleMap || !TheBattleMap->scenario) return nullptr;
    return reinterpret_cast<Zu_StageSet*>(TheBattleMap->scenario->stageRecords.First());
}

std::vector<Kingdom*> KingdomsOf(Zu_StageSet* stage) {
    return stage && stage->kingdoms ? ListValues<Kingdom>(*stage->kingdoms) : std::vector<Kingdom*>{};
}

// "關卡索引": which of the officers' six city columns the stage reads.
int32_t StageIndex(const Zu_StageSet& stage) {
    return stage.Column(StageBlockLayout::kStageNumber);
}

const City* FindTemplateCity(const CastleTemplate& templates, const City& city) {
    const int32_t wanted = city.Int(kCopyCity);
    for (int i = 0; i < templates.CityCount(); ++i)
        if (templates.CityAt(i)->Int(CityLayout::kIndex) == wanted) return templates.CityAt(i);
    return nullptr;
}

void DeleteTroop(Troop* t) {
    if (TheGameController) TheGameController->DeselectTroop(t);
    if (TheBattleMap) TheBattleMap->ForgetTroop(t);
    delete t;
}

void DeleteGates(Kingdom& k) {
    for (CastleGate* gate : ListValues<CastleGate>(k.gates))
        delete gate; // each piece leaves its cell with it
    k.gates.RemoveAll();
}

// The template city's sub-castles and sites, moved with the city, and the scenario's officers
// that the stage places in it.
void CopyMembers(const City& from, City& to, int32_t owner, int32_t cityId, int32_t stageIndex) {
    const int32_t dx = to.CellX() - from.CellX(), dy = to.CellY() - from.CellY();
    for (SubCastle* s : ListValues<SubCastle>(const_cast<City&>(from).subCastles)) {
        auto* sub = new SubCastle(0);
        std::memcpy(sub->block, s->block, SubCastleLayout::kSize);
        const int32_t x = s->Int(SubCastleLayout::kX) + dx, y = s->Int(SubCastleLayout::kY) + dy;
        sub->SetInt(SubCastleLayout::kX, x);
        sub->SetInt(SubCastleLayout::kY, y);
        sub->SetOwner(owner, cityId);
        sub->entranceX = x + 1;
        sub->entranceY = (y + 8) / 2 + 1;
        to.subCastles.Add(reinterpret_cast<uintptr_t>(sub));
    }
    for (SavedRecord* s : ListValues<SavedRecord>(const_cast<City&>(from).sites))
        to.sites.Add(reinterpret_cast<uintptr_t>(new SavedRecord(s->x + dx, s->y + dy, s->kind)));
    if (stageIndex < 1 || stageIndex > 6 || !TheBattleMap || !TheBattleMap->scenario) return;
    const uint32_t column = kOfficerCity1 + uint32_t(stageIndex - 1) * 4;
    for (OfficerRecord* o : ListValues<OfficerRecord>(TheBattleMap->scenario->generalTemplates)) {
        if (o->Int(column) != to.Int(CityLayout::kIndex)) continue;
        auto* copy = new OfficerRecord(owner, -1);
        std::memcpy(copy->block, o->block, OfficerLayout::kSize);
        to.generals.Add(reinterpret_cast<uintptr_t>(copy));
    }
}

// The scenario's record of a city of this stage and nation, or null.
City* ScenarioCity(int32_t stageIndex, int32_t nation, int32_t cityIndex) {
    if (!TheBattleMap || !TheBattleMap->scenario) return nullptr;
    for (City* r : ListValues<City>(TheBattleMap->scenario->cityTemplates))
        if (r->Int(kScenarioStage) == stageIndex && r->Int(kRulingNation) == nation &&
            r->Int(CityLayout::kIndex) == cityIndex)
            return r;
    return nullptr;
}

// Copies a w x h frame of the castle drawings; only drawn cells, and only where both ends lie on
// their maps.
void StampFrame(const GeneratorGrid& source, GeneratorGrid& map, int32_t sc, int32_t sr, int32_t dc,
                int32_t dr, int32_t w, int32_t h, uint8_t ownerMark, uint8_t cityId) {
    for (int32_t j = 0; j < h; ++j)
        for (int32_t i = 0; i < w; ++i) {
            if (!source.Inside(sc + i, sr + j) || !map.Inside(dc + i, dr + j)) continue;
            const GeneratorCell& s = source.At(sc + i, sr + j);
            if (s.drawn() == 0) continue;
            GeneratorCell& d = map.At(dc + i, dr + j);
            // The drawing's filler ground leaves the map's own ground.
            if (s.ground < 90 || s.ground > 98) d.ground = s.ground;
            d.layer = s.layer;
            d.overlay = s.overlay;
            d.object = s.object;
            d.Byte(10) = s.Byte(10);
            d.Byte(12) = ownerMark;
            d.Byte(14) = cityId;
            d.word16 = s.word16;
            d.word18 = s.word18;
            for (int b = 20; b <= 24; ++b)
                d.Byte(b) = s.Byte(b);
        }
}

// The wall column of a castle layer tile's variant, or -1.
int32_t WallColumn(int32_t v) {
    struct Row {
        int32_t column;
        std::vector<int32_t> variants;
    };
    static const Row kRows[] = {
        {0, {0, 216}},
        {19, {1, 3, 6, 16, 17, 19, 22, 280, 281, 283, 286, 312, 313, 315, 318}},
        {38, {2, 5, 9, 32, 34, 37, 41, 204, 206, 209, 213, 266, 269, 273, 296, 298, 301, 305}},
        {57, {48, 264}},
        {76, {64}},
        {95, {50, 53, 57, 80, 82, 85, 89, 218, 221, 225, 248, 250, 253, 257}},
        {114, {65, 67, 70, 96, 97, 99, 102, 217, 219, 222, 232, 233, 235, 238}},
        {133, {112, 328}},
    };
    for (const Row& r : kRows)
        for (int32_t x : r.variants)
            if (x == v) return r.column;
    return -1;
}

} // namespace

void PruneCityPlotLists(const GeneratorGrid* editingMap) {
    if (!editingMap || !TheBattleMap) return;
    for (Kingdom* k : KingdomsOf(TheBattleMap->stageSet))
        for (City* city : ListValues<City>(k->cities))
            for (SavedRecord* site : ListValues<SavedRecord>(city->sites)) {
                if (editingMap->Inside(site->x, site->y) &&
                    editingMap->At(site->x, site->y).layer == kSiteTile)
                    continue;
                city->sites.RemoveValue(reinterpret_cast<uintptr_t>(site));
                delete site;
            }
}

void ApplyTemplateCities(const CastleTemplate& templates) {
    Zu_StageSet* stage = EditedStage();
    if (!stage) return;
    const std::vector<Kingdom*> kingdoms = KingdomsOf(stage);
    for (Kingdom* k : kingdoms) {
        for (Troop* t : ListValues<Troop>(k->fieldUnits))
            DeleteTroop(t);
        k->fieldUnits.RemoveAll();
        DeleteGates(*k);
        for (City* city : ListValues<City>(k->cities))
            delete city;
        k->cities.RemoveAll();
    }
    const int32_t a = StageIndex(*stage);
    int32_t n = 0;
    int32_t side = 0;
    for (Kingdom* k : kingdoms) {
        ++side;
        if (!TheBattleMap->scenario) break;
        for (City* r : ListValues<City>(TheBattleMap->scenario->cityTemplates)) {
            if (r->Int(kScenarioStage) != a || r->Int(kRulingNation) != k->Int(KingdomLayout::kNation))
                continue;
            auto* city = new City(side, ++n);
            std::memcpy(city->block, r->block, CityLayout::kSize);
            k->cities.Add(reinterpret_cast<uintptr_t>(city));
            if (const City* t = FindTemplateCity(templates, *city)) CopyMembers(*t, *city, side, city->id, a);
        }
    }
}

void ApplyTemplateCityMembers(const CastleTemplate& templates) {
    Zu_StageSet* stage = EditedStage();
    if (!stage) return;
    const int32_t a = StageIndex(*stage);
    for (Kingdom* k : KingdomsOf(stage)) {
        for (Troop* t : ListValues<Troop>(k->fieldUnits))
            if (t->OfficerKind() == kOfficerTemplateKind) DeleteTroop(t);
        for (City* y : ListValues<City>(k->cities)) {
            for (OfficerRecord* o : ListValues<OfficerRecord>(y->generals))
                delete o;
            y->generals.RemoveAll();
            if (y->Kind() != 0) continue;
            City* r = ScenarioCity(a, k->Int(KingdomLayout::kNation), y->Int(CityLayout::kIndex));
            if (!r) continue;
            const int32_t x = y->CellX(), yy = y->CellY();
            std::memcpy(y->block, r->block, CityLayout::kSize);
            y->SetInt(CityLayout::kX, x);
            y->SetInt(CityLayout::kY, yy);
            y->InitArea();
            for (SubCastle* s : ListValues<SubCastle>(y->subCastles))
                delete s;
            y->subCastles.RemoveAll();
            for (SavedRecord* s : ListValues<SavedRecord>(y->sites))
                delete s;
            y->sites.RemoveAll();
            // The sub-castles name the city they stand in, so that the city table finds it.
            if (const City* t = FindTemplateCity(templates, *y))
                CopyMembers(*t, *y, k->nationIndex, y->id, a);
        }
    }
}

void StampCastleTemplates(CastleTemplate& templates, const GeneratorGrid& source, GeneratorGrid* editingMap) {
    Zu_StageSet* stage = EditedStage();
    if (!stage || stage->Column(StageBlockLayout::kMapLink) != 1) return;
    const std::vector<Kingdom*> kingdoms = KingdomsOf(stage);
    for (Kingdom* k : kingdoms)
        DeleteGates(*k);
    for (Kingdom* k : kingdoms) {
        const auto ownerMark = uint8_t(k->nationIndex + 100);
        for (City* y : ListValues<City>(k->cities)) {
            const City* t = FindTemplateCity(templates, *y);
            if (!t) continue;
            const int32_t copy = y->Int(kCopyCity);
            const int32_t tx = t->CellX(), ty = t->CellY();
            const int32_t kind = y->Kind();
            int32_t sc = 0, sr = 0, dc = 0, dr = 0, w = 0, h = 0;
            if (kind == 0) {
                const int32_t u = copy - 1;
                sc = (u % 4) * 80;
                sr = (u / 4) * 180 / 8 * 8;
                const int32_t rawDc = y->CellX() - tx + sc, rawDr = y->CellY() - ty + sr;
                dc = rawDc / 4 * 4;
                dr = rawDr / 8 * 8;
                y->SetInt(CityLayout::kX, y->CellX() + dc - rawDc);
                y->SetInt(CityLayout::kY, y->CellY() + dr - rawDr);
                for (const GateRecord& g : templates.Gates()) {
                    if (g.cityX != tx || g.cityY != ty) continue;
                    GateRecord placed = g;
                    placed.centreX = g.centreX - sc + dc;
                    placed.centreY = (2 * g.centreY - sr + dr) / 2;
                    placed.cityX = y->CellX();
                    placed.cityY = y->CellY();
                    if (CastleGate* gate = CastleGate::FromRecord(placed, k->nationIndex))
                        k->gates.Add(reinterpret_cast<uintptr_t>(gate));
                }
                w = 80;
                h = 180;
            } else if (kind == 1 || kind == 2 || kind == 3 || kind == 6 || kind == 7 || kind == 10) {
                const int32_t u = copy - 13;
                sc = (u % 16) * 20;
                sr = (u / 16) * 60 + 540;
                dc = y->CellX() - tx + sc;
                dr = y->CellY() - ty + sr;
                w = 20;
                h = 60;
            } else {
                continue;
            }
            if (editingMap) StampFrame(source, *editingMap, sc, sr, dc, dr, w, h, ownerMark, uint8_t(y->id));
        }
    }
    // The template is used up: the next stamping loads it again.
    templates.Clear();
}

void ClearCastleTiles(GeneratorGrid* editingMap) {
    if (!editingMap) return;
    static constexpr uint16_t kSetZeroWalls[8] = {2736, 2755, 2774, 2793, 2812, 2831, 2850, 2869};
    for (GeneratorCell& cell : editingMap->cells) {
        const uint16_t o = cell.overlay;
        if ((o >= 2736 && o <= 2869) || (o >= 4788 && o <= 4921)) {
            cell.overlay = GeneratorCell::kNone;
            cell.object = GeneratorCell::kNone;
            cell.Byte(22) = 0xFF;
            cell.Byte(8) = 0;
        }
        if (cell.layer >= 21600 && cell.layer <= 23327) {
            const int32_t k = (cell.layer - 21600) / 432, v = (cell.layer - 21600) % 432;
            const int32_t column = WallColumn(v);
            if (column >= 0) {
                cell.overlay = uint16_t(k == 0 ? 2736 + column : 4788 + (k - 1) * 228 + column);
                cell.Byte(8) = 1;
            }
        }
        for (int i = 0; i < 8; ++i)
            if (cell.overlay == kSetZeroWalls[i]) cell.object = uint16_t(9216 + 64 * i);
    }
}
