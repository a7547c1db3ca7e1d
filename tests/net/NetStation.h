#pragma once

#include "fuzz/seeds/builders/NetFrames.h"
#include "net/room/NetSession.h"
#include "net/room/NetSide.h"
#include "net/room/PacketAssembler.h"
#include "platform/Messages.h"
#include "platform/Sockets.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace nettest {

// The game as one station sees it: its player slots, the chat lines shown, the days passed and the
// test commands applied in order.
class TestSide : public NetSide {
public:
    bool Networked() const override { return networked; }
    uint8_t* Slot(size_t index) override { return slots[index]; }
    int8_t OwnSlotIndex() const override { return ownSlot; }
    void SetOwnSlotIndex(int8_t index) override { ownSlot = index; }
    void SetHostByte(uint8_t value) override { hostByte = value; }
    void OnSessionInit() override { ++sessionInits; }
    void AddChatLine(const char* text, int colour) override { chat.emplace_back(text, colour); }
    bool MainPanelExists() const override { return true; }
    bool InBattle() const override { return inBattle; }
    void AdvanceDay() override { ++days; }
    platform::HWND SocketWindow() const override { return window; }

    bool networked = true;
    bool inBattle = true;
    uint8_t slots[20][148] = {};
    int8_t ownSlot = -1;
    uint8_t hostByte = 0;
    int sessionInits = 0;
    int days = 0;
    std::vector<std::pair<std::string, int>> chat;
    std::vector<std::vector<uint8_t>> applied; // test commands, code first
    platform::HWND window = platform::AllocateWindowHandle();
};

// A free port on the loopback addresses, for one test.
uint16_t FreePort();

// Test command codes: 1 (12-byte payload, any station may send, relayed) and 3 (host only).
constexpr uint8_t kOrder = 1;
constexpr uint8_t kHostOnly = 3;
void RegisterTestCommands(NetSession& session, TestSide& side);

// One station with its own "main thread": it pumps the socket messages of its window and runs what
// the test hands it, one task at a time.
class Station {
public:
    Station(const char* ownAddress, const char* hostAddress, uint16_t port);
    ~Station();

    // Runs f on the station's thread and returns its result.
    template <class F>
    auto Do(F f) -> decltype(f()) {
        std::packaged_task<decltype(f())()> task(std::move(f));
        auto result = task.get_future();
        {
            std::lock_guard guard(lock_);
            tasks_.emplace_back([&task] { task(); });
        }
        wake_.notify_all();
        return result.get();
    }
    // One frame of a networked battle.
    void Frame() {
        Do([this] { session.RunFrameHooks(); });
    }
    // Stops pumping (the station idles with nothing to do).
    void Pause(bool on);
    // Runs frames on its own, one a millisecond, as the game's frame timer would.
    void AutoFrames(bool on);

    TestSide side;
    NetSession session;

private:
    void Loop();

    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    bool stop_ = false;
    bool paused_ = false;
    bool autoFrames_ = false;
    std::thread thread_;
};

// A raw connection written by hand: malformed frames, a fake host or client.
class FakePeer {
public:
    FakePeer() = default;
    ~FakePeer() { Close(); }
    bool Connect(const char* ownAddress, const char* address, uint16_t port);
    bool Listen(const char* address, uint16_t port);
    bool AcceptOne(uint32_t ms);
    void Write(const std::vector<uint8_t>& bytes);
    void WriteFrame(uint8_t channel, uint8_t type, uint32_t sequence, const std::vector<uint8_t>& payload);
    // The next frame within the time; false on time-out or end of stream.
    bool ReadFrame(std::vector<uint8_t>& frame, uint32_t ms);
    // Whether the other side closed the connection within the time.
    bool SeesClose(uint32_t ms);
    void Close();

    platform::SOCKET socket = 0;
    platform::SOCKET listener = 0;

private:
    PacketAssembler inbox_;
};

using netfix::Frame;
using netfix::OrderPayload;
using netfix::U32;
using netfix::Words;

// Lets the stations run their frames until done() holds or the time runs out.
bool RunUntil(const std::vector<Station*>& stations, const std::function<bool()>& done, int limitMs = 10000);

} // namespace nettest
