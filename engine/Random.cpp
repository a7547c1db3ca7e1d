#include "engine/Random.h"

#include "platform/CRand.h"
#include "platform/Time.h"

uint32_t RandomSeed = 78654;
uint32_t RandomMultiplier = 24681;

namespace {
uint32_t unboundState = 0;
uint32_t* boundState = nullptr;
const uint8_t* boundNetworked = nullptr;

uint32_t& SyncState() {
    return boundState ? *boundState : unboundState;
}
bool Networked() {
    return boundNetworked && *boundNetworked;
}
} // namespace

void BindSyncRandom(uint32_t* state, const uint8_t* networked) {
    boundState = state;
    boundNetworked = networked;
}

uint32_t Random(int32_t n) {
    if (n < 2) return 0;
    RandomSeed = RandomSeed * RandomMultiplier * 1103515245u + 12345u;
    return RandomSeed % static_cast<uint32_t>(n);
}

uint32_t SyncRandom(uint32_t& state, int32_t n, uint32_t multiplier) {
    if (n < 2) return 0;
    state = state * multiplier + 12345u;
    return state % static_cast<uint32_t>(n);
}

uint32_t SyncRandom(int32_t n, uint32_t multiplier) {
    return SyncRandom(SyncState(), n, multiplier);
}

int32_t GameRandom(uint32_t& state, bool networked) {
    if (networked) {
        // Peers keep this state sequence, the absolute value of the signed step included (whose
        // -2147483648 stays as it is); only the value handed out is kept non-negative.
        const auto stepped = static_cast<int32_t>(state * 1103515245u + 12345u);
        const uint32_t magnitude =
            stepped < 0 ? 0u - static_cast<uint32_t>(stepped) : static_cast<uint32_t>(stepped);
        state = magnitude;
        return static_cast<int32_t>(magnitude & 0x7FFFFFFF);
    }
    const int64_t skip = platform::time() % 5;
    for (int64_t i = 0; i < skip; ++i)
        platform::rand();
    return platform::rand();
}

int32_t GameRandom() {
    return GameRandom(SyncState(), Networked());
}
