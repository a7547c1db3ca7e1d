#include "Program/AutoplaySlots.h"

#include "Program/GameController.h"
#include "Program/StageSet.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "records/TemplateTables.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace {

bool SlotNumber(const char* text, int& out) {
    char* end = nullptr;
    const long n = std::strtol(text, &end, 10);
    if (end == text || *end != 0 || n < 0 || n > 15) return false;
    out = int(n);
    return true;
}

// FNV-1a of the officer's block up to the station's own last column.
uint64_t BlockHash(const OfficerRecord* o) {
    uint64_t h = 14695981039346656037ull;
    if (o)
        for (uint32_t i = 0; i < OfficerLayout::kPhysiqueRest; ++i) {
            h ^= o->block[i];
            h *= 1099511628211ull;
        }
    return h;
}

std::string TroopLine(const char* where, int32_t place, const Troop* t) {
    char line[256];
    const OfficerRecord* o = t->officer;
    std::snprintf(line, sizeof line,
                  "%s %d troop %u person %d owner %d home %d cell %d,%d state %d hp %d followers %d "
                  "hidden %d officer %016llx",
                  where, place, t->UnitId(), t->OfficerValue(OfficerLayout::kPersonNumber), t->owner,
                  t->homeCity, t->cellX, t->cellY, t->state, t->OfficerValue(OfficerLayout::kHp),
                  t->followers ? t->followers->GetCount() : 0, t->hidden,
                  static_cast<unsigned long long>(BlockHash(o)));
    return line;
}

void Troops(std::vector<std::string>& out, const char* where, int32_t place, LinkList& list) {
    for (Troop* t : ListValues<Troop>(list))
        out.push_back(TroopLine(where, place, t));
}

} // namespace

bool ReadAutoplaySlots(AutoplaySlots& out, std::string& error) {
    out = AutoplaySlots{};
    if (const char* at = std::getenv("KARDOL_SAVE_AT")) {
        char* end = nullptr;
        const long frames = std::strtol(at, &end, 10);
        if (end == at || *end != ':' || frames <= 0 || !SlotNumber(end + 1, out.saveSlot)) {
            error =
                std::string("KARDOL_SAVE_AT must be \"frames:slot\" with a slot 0 to 15, not \"") + at + "\"";
            return false;
        }
        out.saveAtFrame = frames;
    }
    for (auto [name, slot] :
         {std::pair{"KARDOL_LOAD", &out.loadSlot}, {"KARDOL_LOAD_RESAVE", &out.resaveSlot}})
        if (const char* text = std::getenv(name); text && !SlotNumber(text, *slot)) {
            error = std::string(name) + " must be a slot 0 to 15, not \"" + text + "\"";
            return false;
        }
    if (const char* census = std::getenv("KARDOL_CENSUS")) out.census = census;
    return true;
}

std::string WorldCensus() {
    std::vector<std::string> lines;
    Zu_StageSet* stage = CurrentStageSet();
    if (!stage || !stage->kingdoms) return {};
    char line[256];
    for (Kingdom* k : ListValues<Kingdom>(*stage->kingdoms)) {
        std::snprintf(line, sizeof line, "kingdom %d cities %d field %d gates %d", k->nationIndex,
                      k->cities.GetCount(), k->fieldUnits.GetCount(), k->gates.GetCount());
        lines.push_back(line);
        Troops(lines, "field of", k->nationIndex, k->fieldUnits);
        for (City* c : ListValues<City>(k->cities)) {
            std::snprintf(line, sizeof line,
                          "city %d owner %d kind %d gold %d food %d people %d units %d generals %d dead %d",
                          c->id, c->ownerSide, c->Kind(), c->Int(CityLayout::kGold),
                          c->Int(CityLayout::kFood), c->Int(CityLayout::kPopulation), c->units.GetCount(),
                          c->generals.GetCount(), c->dead);
            lines.push_back(line);
            Troops(lines, "inside", c->id, c->units);
            for (int i = 0; i < 4; ++i)
                if (c->garrison[i]) lines.push_back(TroopLine("guard of", c->id, c->garrison[i]));
            for (SubCastle* s : ListValues<SubCastle>(c->subCastles)) {
                Troops(lines, "sub-castle of", c->id, s->units);
                if (s->leader) lines.push_back(TroopLine("keeper of", c->id, s->leader));
            }
        }
    }
    // List order is not what a save keeps; the troops are.
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& l : lines)
        out += l + "\n";
    return out;
}

namespace {

bool WriteCensus(const AutoplaySlots& slots) {
    if (slots.census.empty()) return true;
    std::ofstream out(slots.census, std::ios::binary);
    out << WorldCensus();
    return bool(out);
}

} // namespace

bool AutoplaySave(GameController& c, const AutoplaySlots& slots) {
    if (!c.templateTables) c.templateTables = new TemplateTables;
    WriteCensus(slots);
    c.templateTables->SaveGame(slots.saveSlot);
    return true;
}

bool AutoplayLoad(GameController& c, const AutoplaySlots& slots) {
    if (!c.templateTables) c.templateTables = new TemplateTables;
    if (!c.templateTables->LoadGame(slots.loadSlot) || !CurrentStageSet()) return false;
    WriteCensus(slots);
    if (slots.resaveSlot >= 0) c.templateTables->SaveGame(slots.resaveSlot);
    return true;
}
