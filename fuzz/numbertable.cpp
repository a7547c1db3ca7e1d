#include "engine/NumberTable.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    double table[90];
    const int n = ParseNumberTable({data, size}, table, 90);
    if (n < 0 || n > 90) __builtin_trap();
    return 0;
}
