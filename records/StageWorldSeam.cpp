#include "records/StageWorldSeam.h"

#include "engine/ByteReader.h"
#include "records/Kingdom.h"
#include "records/SubCastle.h"

#include <algorithm>

namespace {
StageWorld* worldState = nullptr;

} // namespace

StageWorld& World() {
    if (!worldState) worldState = new StageWorld;
    return *worldState;
}

void ResetWorld() {
    delete worldState;
    worldState = new StageWorld;
}

bool ValidSide(int side) {
    return side >= 1 && side <= kMaxSides;
}

void SpawnRandomPersons(SubCastle* subCastle, Kingdom* kingdom, int n) {
    for (int i = 0; i < n; ++i)
        subCastle->generals.Add(
            reinterpret_cast<uintptr_t>(new OfficerRecord(kingdom ? kingdom->nationIndex : 100, -1)));
    World().spawnedPersons += n;
}

void SpawnScheduledOfficers() {
    ++World().scheduledOfficerCalls;
}

void RedeployStageTroops(Troop*) {
    ++World().redeployed;
}
