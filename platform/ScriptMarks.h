#pragma once

namespace platform {

// What a scripted input run (KARDOL_INPUT) can wait for: the game posts where it stands (its
// front-end scene, the lobby's state, rooms listed, players ready) as numbered marks, and a
// script's "await name=value" step holds the steps after it until the mark has that value. Two
// programs driven together wait for each other this way rather than on a clock. Main thread only;
// a mark never set reads as -1.
void SetScriptMark(const char* name, int value);
int ScriptMark(const char* name);

} // namespace platform
