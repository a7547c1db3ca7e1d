#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// One step of the scripted input of KARDOL_INPUT, run once `afterFrames` frames have been
// presented: the pointer moves to (x, y); a left or right click there (press and release); a key
// pressed and released (virtual-key code); or typed text (UTF-8).
struct InputStep {
    enum Kind { Move, Click, RightClick, Key, Text };
    Kind kind = Move;
    uint64_t afterFrames = 0;
    int x = 0;
    int y = 0;
    int key = 0;
    std::string text;
};

// Reads a script of steps separated by ";", each "frames:move x,y", "frames:click x,y",
// "frames:rclick x,y", "frames:key vk" or "frames:text word", in order of their frames. Nothing
// when the text is not of that form.
std::optional<std::vector<InputStep>> ReadInputScript(const char* text);

} // namespace platform
