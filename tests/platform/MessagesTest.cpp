#include "platform/Messages.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace platform;

namespace {

class Messages : public ::testing::Test {
protected:
    void SetUp() override { ResetMessageQueue(); }
    void TearDown() override { ResetMessageQueue(); }
};

std::vector<UINT> seen;

LRESULT RecordingProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    seen.push_back(message);
    // A procedure may post while it is being dispatched.
    if (message == WM_USER) PostMessage(nullptr, WM_USER + 1, wParam, 0);
    return static_cast<LRESULT>(wParam) * 2;
}

TEST_F(Messages, PeekTakesInOrderWithFiltersAndLeavesWhatItOnlyLooksAt) {
    HWND a = AllocateWindowHandle();
    HWND b = AllocateWindowHandle();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(a, b);
    MSG m{};
    EXPECT_EQ(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE), 0);

    PostMessage(a, WM_KEYDOWN, 0x41, 7);
    PostMessage(b, WM_USER, 1, 2);
    PostMessage(a, WM_LBUTTONDOWN, 0, (20 << 16) | 10);

    EXPECT_EQ(PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE), 1);
    EXPECT_EQ(m.message, WM_KEYDOWN);
    EXPECT_EQ(PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE), 1);
    EXPECT_EQ(m.message, WM_KEYDOWN); // still first

    EXPECT_EQ(PeekMessage(&m, b, 0, 0, PM_REMOVE), 1);
    EXPECT_EQ(m.hwnd, b);
    EXPECT_EQ(m.message, WM_USER);
    EXPECT_EQ(m.wParam, 1u);
    EXPECT_EQ(m.lParam, 2);

    EXPECT_EQ(PeekMessage(&m, nullptr, WM_MOUSEMOVE, WM_MBUTTONUP, PM_REMOVE), 1);
    EXPECT_EQ(m.message, WM_LBUTTONDOWN);
    EXPECT_EQ(m.lParam, (20 << 16) | 10);
    EXPECT_EQ(PeekMessage(&m, b, 0, 0, PM_REMOVE), 0);

    EXPECT_EQ(GetMessage(&m, nullptr, 0, 0), 1);
    EXPECT_EQ(m.message, WM_KEYDOWN);
    EXPECT_EQ(m.wParam, 0x41u);
    EXPECT_EQ(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE), 0);
    EXPECT_EQ(PeekMessage(nullptr, nullptr, 0, 0, PM_REMOVE), 0);
    EXPECT_EQ(GetMessage(nullptr, nullptr, 0, 0), -1);
}

TEST_F(Messages, QuitComesAfterWaitingMessagesWhateverTheFilter) {
    PostQuitMessage(3);
    PostMessage(nullptr, WM_USER, 0, 0);
    MSG m{};
    EXPECT_EQ(GetMessage(&m, nullptr, 0, 0), 1);
    EXPECT_EQ(m.message, WM_USER);
    EXPECT_EQ(PeekMessage(&m, nullptr, WM_KEYDOWN, WM_KEYUP, PM_NOREMOVE), 1);
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(GetMessage(&m, nullptr, 0, 0), 0);
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 3u);
    EXPECT_EQ(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE), 0); // taken once
}

TEST_F(Messages, GetMessageWaitsForAnotherThread) {
    std::atomic<bool> posted{false};
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        posted = true;
        PostMessage(nullptr, WM_USER, 1024, 0);
        PostQuitMessage(0);
    });
    MSG m{};
    EXPECT_EQ(GetMessage(&m, nullptr, 0, 0), 1);
    EXPECT_TRUE(posted);
    EXPECT_EQ(m.wParam, 1024u);
    EXPECT_EQ(GetMessage(&m, nullptr, 0, 0), 0);
    poster.join();
}

TEST_F(Messages, PostsFromManyThreadsArriveWholeAndInOrderPerThread) {
    constexpr int Threads = 4;
    constexpr int PerThread = 2000;
    std::vector<std::thread> posters;
    for (int t = 0; t < Threads; ++t) {
        posters.emplace_back([t] {
            for (int i = 0; i < PerThread; ++i)
                PostMessage(nullptr, WM_USER + t, static_cast<WPARAM>(i), 0);
        });
    }
    std::vector<int> next(Threads, 0);
    MSG m{};
    for (int n = 0; n < Threads * PerThread; ++n) {
        ASSERT_EQ(GetMessage(&m, nullptr, 0, 0), 1);
        const int t = static_cast<int>(m.message - WM_USER);
        ASSERT_GE(t, 0);
        ASSERT_LT(t, Threads);
        ASSERT_EQ(m.wParam, static_cast<WPARAM>(next[t]++));
    }
    for (auto& poster : posters)
        poster.join();
    EXPECT_EQ(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE), 0);
}

TEST_F(Messages, DispatchCallsTheWindowProcedure) {
    seen.clear();
    HWND w = AllocateWindowHandle();
    RegisterWindowProc(w, RecordingProc);
    EXPECT_EQ(GetWindowProc(w), &RecordingProc);

    MSG m{w, WM_USER, 21, 0, 0, {0, 0}};
    EXPECT_EQ(DispatchMessage(&m), 42);
    EXPECT_EQ(seen, std::vector<UINT>{WM_USER});
    MSG posted{};
    ASSERT_EQ(PeekMessage(&posted, nullptr, 0, 0, PM_REMOVE), 1);
    EXPECT_EQ(posted.message, WM_USER + 1u);
    EXPECT_EQ(TranslateMessage(&m), 0);

    MSG unknown{AllocateWindowHandle(), WM_USER, 1, 0, 0, {0, 0}};
    EXPECT_EQ(DispatchMessage(&unknown), 0);
    MSG thread{nullptr, WM_USER, 1, 0, 0, {0, 0}};
    EXPECT_EQ(DispatchMessage(&thread), 0);
    EXPECT_EQ(DispatchMessage(nullptr), 0);

    RegisterWindowProc(w, nullptr);
    EXPECT_EQ(GetWindowProc(w), nullptr);
    EXPECT_EQ(DispatchMessage(&m), 0);
    EXPECT_EQ(seen.size(), 1u);
}

} // namespace
