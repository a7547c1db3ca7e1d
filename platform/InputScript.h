#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// One step of the scripted input of KARDOL_INPUT, run once `after` frames have been presented (or,
// with `inMilliseconds`, once a frame has been presented and that many milliseconds have passed
// since the program started, so that programs started together share one timeline): the
// pointer moves to (x, y); a left or right click there (press and release); a key pressed and
// released (virtual-key code), with modifier keys held around it; typed text (UTF-8); the
// program is asked to close; or the script waits until the game's mark `text` has the value `key`
// (platform/ScriptMarks.h), and the steps after it count their frames and milliseconds from then.
struct InputStep {
    enum Kind { Move, Click, RightClick, Key, Text, Close, Await };
    enum Modifier { Ctrl = 1, Shift = 2, Alt = 4 };
    Kind kind = Move;
    uint64_t after = 0;
    bool inMilliseconds = false;
    int x = 0;
    int y = 0;
    int key = 0;
    int modifiers = 0; // Modifier bits held while the key is pressed
    std::string text;
};

// Reads a script of steps separated by ";", each "N:move x,y", "N:click x,y", "N:rclick x,y",
// "N:key vk" (or "N:key ctrl+vk", with any of "ctrl+", "shift+" and "alt+" before the code),
// "N:text word", "N:close" or "N:await name=value" ("N:" may be left out of an await), N being a number of
// frames or, written "Nms", of milliseconds; steps run in their order, each once its own N is reached, and N
// never decreases within a unit between two awaits. Nothing when the text is not of that form.
std::optional<std::vector<InputStep>> ReadInputScript(const char* text);

} // namespace platform
