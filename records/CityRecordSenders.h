#pragma once

#include <cstdint>

class City;
class SavedRecord;

// How the city's own records leave this station in a networked game: the game record channel
// installs them; an entry left null sends nothing.
struct CityRecordSenders {
    void (*constructionProgress)(const City& city, const SavedRecord& site) = nullptr; // 0x305
    void (*spawnTroop)(const City& city, uint32_t serial) = nullptr;                   // 0x309
    void (*addSoldier)(const City& city, uint32_t serial) = nullptr;                   // 0x30a
    void (*upgrade)(const City& city) = nullptr;                                       // 0x30b
    void (*statusFlags)(const City& city, int32_t word, int32_t operation) = nullptr;  // 0x802
};

void SetCityRecordSenders(const CityRecordSenders& senders);
const CityRecordSenders& CurrentCityRecordSenders();
