#include "engine/DebugDump.h"

#include "platform/Files.h"
#include "platform/Time.h"

#include <cstdio>

int32_t DebugTable[DebugTableCapacity];
int32_t DebugTableCount = 0;

void DebugHookInt(int32_t) {}
void DebugHookVoid() {}
void DebugHookVoid2() {}
void DebugHookVoid3() {}
void DebugHookVoid4() {}

void DebugDump() {
    FILE* file = platform::fopen("debug.txt", "wt");
    if (!file) return;
    const int32_t count = DebugTableCount < 0                    ? 0
                          : DebugTableCount > DebugTableCapacity ? DebugTableCapacity
                                                                 : DebugTableCount;
    for (int32_t i = 0; i < count; ++i) {
        if (DebugTable[i] == DebugLineBreak) {
            std::fputs("\n", file);
        } else {
            std::fprintf(file, "%d,", DebugTable[i]);
        }
    }
    std::fclose(file);
}

namespace {
int32_t MillisecondsOfMinute() {
    platform::SYSTEMTIME now;
    platform::GetSystemTime(&now);
    return now.wSecond * 1000 + now.wMilliseconds;
}
} // namespace

void DebugWait(uint32_t milliseconds) {
    int32_t start = MillisecondsOfMinute();
    for (;;) {
        const int32_t now = MillisecondsOfMinute();
        if (now < start) start = now;
        if (static_cast<uint32_t>(now - start) >= milliseconds) return;
    }
}
