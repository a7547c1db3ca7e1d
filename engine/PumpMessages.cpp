#include "engine/PumpMessages.h"

#include "platform/Messages.h"

bool PumpMessages() {
    platform::MSG msg;
    while (platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_NOREMOVE)) {
        const platform::BOOL got = platform::GetMessage(&msg, nullptr, 0, 0);
        if (got > 0) {
            platform::TranslateMessage(&msg);
            platform::DispatchMessage(&msg);
            continue;
        }
        // The quit belongs to the main loop: post it again and stop here.
        if (got == 0) platform::PostQuitMessage(static_cast<int>(msg.wParam));
        break;
    }
    return true;
}
