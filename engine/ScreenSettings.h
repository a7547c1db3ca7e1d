#pragma once

#include <cstdint>

// The settings object's volume words that the sound code reads. The shell's settings object is
// this class; its other fields belong to the shell.
class ScreenSettings {
public:
    int32_t musicVolume = 12; // 0..12; music plays at level / 12
    int32_t soundVolume = 9;  // sound-effect level: 1..8 attenuate, above 8 full, below 1 silent
};

extern ScreenSettings* TheScreenSettings;
