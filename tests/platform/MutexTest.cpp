#include "platform/Mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace platform;

TEST(Mutex, OwnerTakesItAgainAndOthersTimeOut) {
    HANDLE m = CreateMutexA(nullptr, 0, nullptr);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_OBJECT_0); // the owner again
    uint32_t other = 0;
    auto start = std::chrono::steady_clock::now();
    std::thread([&] { other = WaitForSingleObject(m, 50); }).join();
    EXPECT_EQ(other, WAIT_TIMEOUT);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(45));
    EXPECT_EQ(ReleaseMutex(m), 1);
    std::thread([&] { other = WaitForSingleObject(m, 0); }).join();
    EXPECT_EQ(other, WAIT_TIMEOUT); // still held once
    EXPECT_EQ(ReleaseMutex(m), 1);
    EXPECT_EQ(ReleaseMutex(m), 0); // not held any more
    std::thread([&] {
        other = WaitForSingleObject(m, 2000);
        ReleaseMutex(m);
    }).join();
    EXPECT_EQ(other, WAIT_OBJECT_0);
    CloseHandle(m);
}

TEST(Mutex, ALoopOf2000MsWaitsGetsTheMutexOnceReleased) {
    HANDLE m = CreateMutexA(nullptr, 1, "TestNetMutex");
    std::atomic<int> waits{0};
    std::thread t([&] {
        while (WaitForSingleObject(m, 20) == WAIT_TIMEOUT)
            ++waits;
        ReleaseMutex(m);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(70));
    ReleaseMutex(m);
    t.join();
    EXPECT_GE(waits.load(), 1);
    CloseHandle(m);
}

TEST(Mutex, NamedObjectsAreSharedUntilTheLastClose) {
    HANDLE a = CreateMutexA(nullptr, 0, "LoadMutexTest");
    EXPECT_EQ(GetLastMutexError(), 0u);
    HANDLE b = CreateMutexA(nullptr, 0, "LoadMutexTest");
    EXPECT_EQ(GetLastMutexError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(a, b);
    EXPECT_EQ(WaitForSingleObject(a, 0), WAIT_OBJECT_0);
    uint32_t other = 0;
    std::thread([&] { other = WaitForSingleObject(b, 0); }).join();
    EXPECT_EQ(other, WAIT_TIMEOUT);
    ReleaseMutex(a);
    CloseHandle(a);
    EXPECT_EQ(WaitForSingleObject(b, 0), WAIT_OBJECT_0); // still alive for the second opener
    ReleaseMutex(b);
    CloseHandle(b);
    HANDLE c = CreateMutexA(nullptr, 0, "LoadMutexTest");
    EXPECT_EQ(GetLastMutexError(), 0u); // a new object
    CloseHandle(c);
}

TEST(Mutex, EventsResetByThemselvesOrByHand) {
    HANDLE autoEvent = CreateEventA(nullptr, 0, 0, nullptr);
    HANDLE manual = CreateEventA(nullptr, 1, 0, nullptr);
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_TIMEOUT);
    std::thread([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        SetEvent(autoEvent);
    }).detach();
    EXPECT_EQ(WaitForSingleObject(autoEvent, 2000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_TIMEOUT);
    SetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    ResetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
    CloseHandle(autoEvent);
    CloseHandle(manual);
}

TEST(Mutex, CriticalSectionsNestAndExclude) {
    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    int counter = 0;
    auto work = [&] {
        for (int i = 0; i < 1000; ++i) {
            EnterCriticalSection(&cs);
            EnterCriticalSection(&cs);
            ++counter;
            LeaveCriticalSection(&cs);
            LeaveCriticalSection(&cs);
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 2000);
    DeleteCriticalSection(&cs);
}
