#pragma once

#include <chrono>
#include <thread>

namespace testsupport {

// Polls `pred` every `step` until it holds or `limit` has passed; true when it held. For what a
// timer, audio or movie thread does in its own time.
template <class Pred>
bool WaitFor(Pred pred, std::chrono::milliseconds limit = std::chrono::milliseconds(3000),
             std::chrono::milliseconds step = std::chrono::milliseconds(1)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(step);
    }
    return true;
}

} // namespace testsupport
