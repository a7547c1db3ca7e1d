#pragma once

#include <cstdint>

// Development aids left in the engine. The hooks are called by the path search and do nothing.
void DebugHookInt(int32_t value);
void DebugHookVoid();
void DebugHookVoid2();
void DebugHookVoid3();
void DebugHookVoid4();

// Values collected while debugging, written out by DebugDump. Nothing fills it in a normal run.
constexpr int32_t DebugTableCapacity = 1024;
constexpr int32_t DebugLineBreak = 999999;
extern int32_t DebugTable[DebugTableCapacity];
extern int32_t DebugTableCount;

// Replaces "debug.txt" with the table: "value," per entry, a line break for DebugLineBreak.
void DebugDump();
// Spins until the milliseconds have passed on the time of day; a new minute starts the wait again.
void DebugWait(uint32_t milliseconds);
