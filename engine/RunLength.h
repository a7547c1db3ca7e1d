#pragma once

#include "engine/LzwCodec.h"

// Layout of a run-length block.
namespace RunLength {
constexpr size_t kHeaderSize = 8;
constexpr uint8_t kRunMask = 0xC0;
constexpr int kMaxRun = 63;
} // namespace RunLength
