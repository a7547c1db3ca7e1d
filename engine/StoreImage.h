#pragma once

#include <cstdint>
#include <vector>

// A picture held in memory: width x height 16-bit pixels, rows packed.
struct StoreImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint16_t> pixels;
};
