#include "engine/PumpMessages.h"

#include "platform/Messages.h"

#include <gtest/gtest.h>
#include <vector>

using namespace platform;

namespace {

std::vector<WPARAM> handled;

LRESULT NestingProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    if (message != WM_USER) return 0;
    handled.push_back(wParam);
    // A handler that runs a long operation pumps again from inside.
    if (wParam == 1) {
        PostMessage(window, WM_USER, 3, 0);
        PumpMessages();
        handled.push_back(100);
    }
    return 0;
}

class PumpMessagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetMessageQueue();
        handled.clear();
    }
    void TearDown() override { ResetMessageQueue(); }
};

TEST_F(PumpMessagesTest, DispatchesEverythingWaitingAlsoNested) {
    HWND w = AllocateWindowHandle();
    RegisterWindowProc(w, NestingProc);
    PostMessage(w, WM_USER, 1, 0);
    PostMessage(w, WM_USER, 2, 0);
    EXPECT_TRUE(PumpMessages());
    EXPECT_EQ(handled, (std::vector<WPARAM>{1, 2, 3, 100}));
    MSG m{};
    EXPECT_EQ(PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE), 0);
    EXPECT_TRUE(PumpMessages()); // nothing waiting
}

TEST_F(PumpMessagesTest, LeavesAQuitRequestForTheMainLoop) {
    HWND w = AllocateWindowHandle();
    RegisterWindowProc(w, NestingProc);
    PostMessage(w, WM_USER, 2, 0);
    PostQuitMessage(7);
    EXPECT_TRUE(PumpMessages());
    EXPECT_EQ(handled, (std::vector<WPARAM>{2}));

    // The main loop still sees the quit, with its exit code, and only once.
    MSG m{};
    EXPECT_EQ(GetMessage(&m, nullptr, 0, 0), 0);
    EXPECT_EQ(m.wParam, 7u);
    EXPECT_EQ(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE), 0);

    // Messages posted after the quit during the pump are dispatched before the quit comes out.
    PostQuitMessage(1);
    EXPECT_TRUE(PumpMessages());
    PostMessage(w, WM_USER, 2, 0);
    EXPECT_TRUE(PumpMessages());
    EXPECT_EQ(handled, (std::vector<WPARAM>{2, 2}));
    EXPECT_EQ(GetMessage(&m, nullptr, 0, 0), 0);
}

} // namespace
