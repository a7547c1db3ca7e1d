#pragma once

#include "world/GateRecord.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class City;

// The ready-made castles of "Castle01.Stg" and their gates from "Castle01.Dor". The template
// owns its cities (with their officers, sub-castles and sites) and frees them on reload.
class CastleTemplate {
public:
    static constexpr int kMaxCities = 223;
    static constexpr int kMaxGates = 500;

    CastleTemplate();
    ~CastleTemplate();
    CastleTemplate(const CastleTemplate&) = delete;
    CastleTemplate& operator=(const CastleTemplate&) = delete;

    // Reads both files from the working folder. A missing or empty stage leaves both tables
    // empty; a missing door file leaves the gates empty. False when a file is damaged (what was
    // read before the damage stays).
    bool Load();
    // The same from bytes; `door` may be null.
    bool Parse(std::span<const uint8_t> stage, const std::span<const uint8_t>* door);
    void Clear();

    int CityCount() const { return int(cities_.size()); }
    // Null past the count.
    City* CityAt(int i) const;
    const std::vector<GateRecord>& Gates() const { return gates_; }

private:
    std::vector<std::unique_ptr<City>> cities_;
    std::vector<GateRecord> gates_;
};

// Clears the editing map's mark byte (byte 9) and marks the template frame lines: every 180th
// row and 80th column when large, else every 60th row and 20th column.
struct GeneratorGrid;
void ResetGridMarks(GeneratorGrid* editingMap, bool large);
