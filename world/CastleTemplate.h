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

// The editor's template steps on the stage being edited (CastleTemplateApply.cpp).
// Drops every city's construction site that no longer stands on a site tile of the editing map.
void PruneCityPlotLists(const GeneratorGrid* editingMap);
// Rebuilds the stage's cities from the scenario's city list, each with its template's members.
void ApplyTemplateCities(const CastleTemplate& templates);
// Refreshes the stage's castles in place from the scenario and their templates.
void ApplyTemplateCityMembers(const CastleTemplate& templates);
// Copies each city's castle drawing and gates into the editing map, then empties the template.
void StampCastleTemplates(CastleTemplate& templates, const GeneratorGrid& source, GeneratorGrid* editingMap);
// Rebuilds the wall overlays of the editing map from its castle layer tiles.
void ClearCastleTiles(GeneratorGrid* editingMap);
