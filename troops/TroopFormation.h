#pragma once

#include <cstdint>

// Whole-degree trigonometry in integers, so that every station turns a formation alike whatever
// its maths library: sine and cosine scaled by 65536, the angle of a vector truncated to whole
// degrees in 0..359, and the truncated square root.
int32_t SinQ16(int32_t degrees);
int32_t CosQ16(int32_t degrees);
int32_t VectorAngle(int32_t dx, int32_t dy);
int32_t IntegerSqrt(int64_t value);
