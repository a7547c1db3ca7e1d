#include "stagefiles/StageReader.h"

#include "Program/GameController.h"
#include "platform/Files.h"

#include <algorithm>
#include <cstring>

StageLoadMode CurrentStageLoadMode() {
    return TheGameController && TheGameController->freshStage == 0 ? StageLoadMode::Restore
                                                                   : StageLoadMode::Fresh;
}

std::optional<std::vector<uint8_t>> StageReader::ReadFile(const char* name) {
    return platform::ReadFileBytes(name);
}

void StageReader::Fail() {
    // Seeking past the end puts the engine reader into its failed state.
    in_.seek(in_.size() + 1);
}

bool StageReader::Block(void* buffer, size_t capacity, uint32_t stored) {
    if (buffer && capacity) std::memset(buffer, 0, capacity);
    if (!in_.has(stored)) {
        Fail();
        return false;
    }
    const size_t keep = std::min<size_t>(stored, capacity);
    if (keep) in_.bytes(buffer, keep);
    return in_.skip(stored - keep);
}

bool StageReader::SizedBlock(void* buffer, size_t capacity) {
    const uint32_t stored = in_.u32();
    if (!in_.ok()) {
        if (buffer && capacity) std::memset(buffer, 0, capacity);
        return false;
    }
    return Block(buffer, capacity, stored);
}

bool StageReader::Count(int32_t& count, size_t minEntryBytes) {
    count = 0;
    const int32_t n = in_.i32();
    if (!in_.ok()) return false;
    if (n < 0 || (minEntryBytes && size_t(n) > in_.remaining() / minEntryBytes)) {
        Fail();
        return false;
    }
    count = n;
    return true;
}
