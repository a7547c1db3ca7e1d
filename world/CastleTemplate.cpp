#include "world/CastleTemplate.h"

#include "engine/ByteReader.h"
#include "engine/ResourceStoreFiles.h"
#include "records/City.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "stagefiles/SavedRecord.h"
#include "world/GeneratorCell.h"

#include <algorithm>

namespace {

// A block: u32 length and that many bytes, of which at most `keep` land in `buffer`.
bool ReadBlock(ByteReader& in, uint8_t* buffer, uint32_t keep) {
    const uint32_t length = in.u32();
    if (!in.ok() || !in.has(length)) return false;
    const uint32_t n = std::min(length, keep);
    if (buffer)
        in.bytes(buffer, n);
    else
        in.skip(n);
    in.skip(length - n);
    return in.ok();
}

// A stage officer record: its state block (of which nothing is kept for a template) and its data.
bool ReadStageOfficer(ByteReader& in, OfficerRecord& officer) {
    if (!ReadBlock(in, nullptr, 0)) return false;
    return officer.Load(in) != 0;
}

uint32_t Word(const uint8_t* p, uint32_t at) {
    ByteReader r(p + at, 4);
    return r.u32();
}

} // namespace

CastleTemplate::CastleTemplate() = default;
CastleTemplate::~CastleTemplate() {
    Clear();
}

void CastleTemplate::Clear() {
    cities_.clear();
    gates_.clear();
}

City* CastleTemplate::CityAt(int i) const {
    return i >= 0 && i < CityCount() ? cities_[size_t(i)].get() : nullptr;
}

bool CastleTemplate::Load() {
    Clear();
    std::vector<uint8_t> stage;
    if (!ReadGameFile("Castle01.Stg", stage)) return true;
    std::vector<uint8_t> door;
    const bool haveDoor = ReadGameFile("Castle01.Dor", door);
    const std::span<const uint8_t> doorSpan(door);
    return Parse(stage, haveDoor ? &doorSpan : nullptr);
}

bool CastleTemplate::Parse(std::span<const uint8_t> stage, const std::span<const uint8_t>* door) {
    Clear();
    ByteReader in(stage);
    const uint32_t present = in.u32();
    if (!in.ok()) return false;
    if (present == 0) return true;
    uint8_t stageBlock[80], kingdomBlock[100], citiesBlock[1116] = {};
    if (!ReadBlock(in, stageBlock, sizeof stageBlock) || !ReadBlock(in, nullptr, 0) || !in.skip(4) ||
        !ReadBlock(in, kingdomBlock, sizeof kingdomBlock) ||
        !ReadBlock(in, citiesBlock, sizeof citiesBlock) || !in.skip(4))
        return false;
    const uint32_t n = Word(citiesBlock, 0);
    for (uint32_t i = 0; i < n; ++i) {
        auto city = std::make_unique<City>(1, 0);
        uint8_t extra[932] = {};
        if (!city->DataSet::Load(in) || !ReadBlock(in, extra, sizeof extra)) return false;
        const uint32_t subs = Word(extra, 684);
        const uint32_t sites = Word(extra, 688);
        const uint32_t officers = in.u32();
        if (!in.ok()) return false;
        for (uint32_t o = 0; o < officers; ++o) {
            // Each officer takes at least its two length words.
            if (!in.has(8)) return false;
            auto* officer = new OfficerRecord(1, -1);
            if (!ReadStageOfficer(in, *officer)) {
                delete officer;
                return false;
            }
            officer->ownerSide = city->ownerSide;
            officer->workWords[0] = 0;
            city->generals.Add(reinterpret_cast<uintptr_t>(officer));
        }
        for (uint32_t s = 0; s < subs; ++s) {
            if (!in.has(8)) return false;
            auto* sub = new SubCastle(0);
            city->subCastles.Add(reinterpret_cast<uintptr_t>(sub));
            if (!sub->Load(in)) return false;
        }
        for (uint32_t r = 0; r < sites; ++r) {
            if (!in.has(4)) return false;
            auto* site = new SavedRecord();
            city->sites.Add(reinterpret_cast<uintptr_t>(site));
            if (!site->Load(in)) return false;
        }
        // Cities past the table's room are read over and dropped.
        if (cities_.size() < size_t(kMaxCities)) cities_.push_back(std::move(city));
    }
    if (!door) return true;
    ByteReader d(*door);
    std::vector<std::vector<GateRecord>> gates;
    if (!ReadDoorFile(d, 1, gates)) return false;
    for (GateRecord& g : gates[0]) {
        if (gates_.size() >= size_t(kMaxGates)) break;
        g.openState = 0;
        gates_.push_back(g);
    }
    return true;
}

void ResetGridMarks(GeneratorGrid* editingMap, bool large) {
    if (!editingMap) return;
    const int32_t rowStep = large ? 180 : 60;
    const int32_t columnStep = large ? 80 : 20;
    for (int32_t y = 0; y < editingMap->height; ++y)
        for (int32_t x = 0; x < editingMap->width; ++x)
            editingMap->At(x, y).Byte(9) = (y % rowStep == 0 || x % columnStep == 0) ? 1 : 0;
}
