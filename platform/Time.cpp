#include "platform/Time.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

namespace platform {

namespace {

std::atomic<bool> manual{false};
std::atomic<uint32_t> manualNow{0};
std::atomic<uint32_t> manualStep{0};
std::atomic<int64_t> manualEpoch{0};

// The manual time of this read, then the step.
uint32_t ReadManual() {
    return manualNow.fetch_add(manualStep.load());
}

} // namespace

uint32_t timeGetTime() {
    if (manual.load()) return ReadManual();
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void Sleep(uint32_t milliseconds) {
    if (milliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int64_t time() {
    if (manual.load()) return manualEpoch.load() + ReadManual() / 1000;
    return static_cast<int64_t>(std::time(nullptr));
}

void GetSystemTime(SYSTEMTIME* out) {
    if (!out) return;
    int64_t seconds;
    uint32_t millis;
    if (manual.load()) {
        const uint32_t now = ReadManual();
        seconds = manualEpoch.load() + now / 1000;
        millis = now % 1000;
    } else {
        const auto since = std::chrono::system_clock::now().time_since_epoch();
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
        seconds = ms / 1000;
        millis = static_cast<uint32_t>(ms % 1000);
    }
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    ::gmtime_r(&t, &parts);
    out->wYear = static_cast<uint16_t>(parts.tm_year + 1900);
    out->wMonth = static_cast<uint16_t>(parts.tm_mon + 1);
    out->wDayOfWeek = static_cast<uint16_t>(parts.tm_wday);
    out->wDay = static_cast<uint16_t>(parts.tm_mday);
    out->wHour = static_cast<uint16_t>(parts.tm_hour);
    out->wMinute = static_cast<uint16_t>(parts.tm_min);
    out->wSecond = static_cast<uint16_t>(parts.tm_sec);
    out->wMilliseconds = static_cast<uint16_t>(millis);
}

ManualClock::ManualClock(uint32_t start, uint32_t stepPerRead, int64_t epochSeconds) {
    manualNow.store(start);
    manualStep.store(stepPerRead);
    manualEpoch.store(epochSeconds);
    manual.store(true);
}

ManualClock::~ManualClock() {
    manual.store(false);
}

void ManualClock::Set(uint32_t now) {
    manualNow.store(now);
}
void ManualClock::Advance(uint32_t milliseconds) {
    manualNow.fetch_add(milliseconds);
}
uint32_t ManualClock::Now() const {
    return manualNow.load();
}
void ManualClock::SetStepPerRead(uint32_t step) {
    manualStep.store(step);
}

} // namespace platform
