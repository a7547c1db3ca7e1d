#include "engine/Tools.h"

#include "platform/Files.h"

#include <cstdio>

namespace {
// Set by the run's first enabled write, even when that open fails: later writes append.
bool errorLogStarted = false;
} // namespace

void Zu_Tools::StartErrorLogRun() {
    errorLogStarted = false;
}

void Zu_Tools::WriteErrorLog(const char* text1, const char* text2, int32_t number1, int32_t number2,
                             int32_t number3, int32_t number4, int32_t enable) {
    if (enable != 1) return;
    const char* mode = errorLogStarted ? "a" : "w";
    errorLogStarted = true;
    FILE* file = platform::fopen("Error.lst", mode);
    if (!file) return;
    if (text1 || text2) {
        std::fprintf(file, "\n%s,%s,%d,%d,%d,%d", text1 ? text1 : "(null)", text2 ? text2 : "(null)", number1,
                     number2, number3, number4);
    }
    std::fclose(file);
}
