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
