#include "world/FootprintPattern.h"

void FootprintTables::Clear() {
    for (auto& p : building)
        p.reset();
    for (auto& p : construction)
        p.reset();
    for (auto& p : door)
        p.reset();
    for (auto& p : farm)
        p.reset();
    for (auto& p : arrowTower)
        p.reset();
}

FootprintTables& Footprints() {
    static FootprintTables tables;
    return tables;
}
