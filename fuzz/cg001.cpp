// Feeds arbitrary bytes to the game parameter reader.
#include "Program/GameParameters.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    GameParameters params;
    ParseGameParameters({data, size}, params, [](const std::string&) {});
    return 0;
}
