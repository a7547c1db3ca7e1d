#pragma once

// A battle with one kind-0 city of side 1 for the city's works: general templates and soldier types
// written into the record tables, and the city-record senders recorded.

#include "platform/CRand.h"
#include "records/City.h"
#include "records/CityRecordSenders.h"
#include "records/Kingdom.h"
#include "stagefiles/SavedRecord.h"
#include "troops/TroopFixture.h"
#include "world/FootprintPattern.h"

#include <array>
#include <map>
#include <vector>

namespace cityworks {

struct SentRecord {
    uint32_t id;
    int32_t cityId;
    int32_t a, b, c;
    bool operator==(const SentRecord&) const = default;
};

inline std::vector<SentRecord>& Sent() {
    static std::vector<SentRecord> sent;
    return sent;
}

inline CityRecordSenders RecordingSenders() {
    CityRecordSenders s;
    s.constructionProgress = [](const City& c, const SavedRecord& site) {
        Sent().push_back({0x305, c.id, site.x, site.y, site.work});
    };
    s.spawnTroop = [](const City& c, uint32_t serial) {
        Sent().push_back({0x309, c.id, int32_t(serial), 0, 0});
    };
    s.addSoldier = [](const City& c, uint32_t serial) {
        Sent().push_back({0x30a, c.id, int32_t(serial), 0, 0});
    };
    s.upgrade = [](const City& c) { Sent().push_back({0x30b, c.id, 0, 0, 0}); };
    s.statusFlags = [](const City& c, int32_t word, int32_t op) {
        Sent().push_back({0x802, c.id, word, op, 0});
    };
    return s;
}

class Works : public trooptest::Battle {
public:
    Works() {
        GameParams() = GameParameters();
        platform::srand(1);
        TheScreenSettings->serialCounter = 100;
        kingdom = AddKingdom(1, true);
        city = AddCity(kingdom, 10, 40);
        city->SetInt(CityLayout::kScale, 1);
        Sent().clear();
        SetCityRecordSenders(RecordingSenders());
    }
    ~Works() {
        SetCityRecordSenders({});
        Footprints().Clear();
        GeneralTemplateCount = 0;
    }

    void NetworkHost() {
        TheGameController->networked = 1;
        TheGameController->isHost = 1;
    }

    // General template n: its soldier type, strength and maximum strength.
    uint8_t* Template(int n, int type, int hp = 0, int maxHp = 0) {
        auto& block = templates[n];
        block.fill(0);
        auto set = [&](uint32_t offset, int32_t v) { std::memcpy(block.data() + offset, &v, 4); };
        set(OfficerLayout::kPersonNumber, n);
        set(OfficerLayout::kSoldierType, type);
        set(OfficerLayout::kHp, hp);
        set(OfficerLayout::kMaxHp, maxHp);
        GeneralTemplateTable[n] = block.data();
        GeneralTemplateCount = std::max(GeneralTemplateCount, n + 1);
        return block.data();
    }

    static void SetBlock(uint8_t* block, uint32_t offset, int32_t v) { std::memcpy(block + offset, &v, 4); }

    // A garrison troop of the city with that strength and maximum.
    Troop* Guard(int slot, int hp, int maxHp) {
        auto* o = Officer(1, 1);
        o->Set(OfficerLayout::kHp, hp);
        o->Set(OfficerLayout::kMaxHp, maxHp);
        auto* t = new Troop(0, 10, 0, 0, 1, int16_t(city->id), 0, o);
        kingdom->fieldUnits.Add(uintptr_t(t));
        city->garrison[slot] = t;
        return t;
    }

    Kingdom* kingdom = nullptr;
    City* city = nullptr;
    std::map<int, std::array<uint8_t, OfficerLayout::kSize>> templates;
};

} // namespace cityworks
