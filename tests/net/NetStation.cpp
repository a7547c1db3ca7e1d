#include "NetStation.h"

#include "engine/ByteReader.h"

using namespace platform;

namespace nettest {

uint16_t FreePort() {
    const SOCKET s = platform::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a;
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = inet_addr("127.0.0.1");
    platform::bind(s, &a, sizeof a);
    int len = sizeof a;
    getsockname(s, &a, &len);
    closesocket(s);
    return ntohs(a.sin_port);
}

void RegisterTestCommands(NetSession& session, TestSide& side) {
    auto record = [&side](GameCommandContext& c) {
        std::vector<uint8_t> entry{c.code};
        entry.insert(entry.end(), c.payload, c.payload + c.size);
        side.applied.push_back(entry);
        return CommandOutcome::Relay;
    };
    session.commands.Register(kOrder, GameCommandRule{12, 12, true, record});
    session.commands.Register(kHostOnly, GameCommandRule{4, 4, false, record});
}

Station::Station(const char* ownAddress, const char* hostAddress, uint16_t port)
    : session(side, NetConfig{port, ownAddress, hostAddress}) {
    RegisterTestCommands(session, side);
    thread_ = std::thread([this] { Loop(); });
}

Station::~Station() {
    Do([this] {
        if (session.sessionActive) session.CloseTcpSession();
    });
    {
        std::lock_guard guard(lock_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void Station::Pause(bool on) {
    {
        std::lock_guard guard(lock_);
        paused_ = on;
    }
    wake_.notify_all();
}

void Station::AutoFrames(bool on) {
    {
        std::lock_guard guard(lock_);
        autoFrames_ = on;
    }
    wake_.notify_all();
}

void Station::Loop() {
    using Clock = std::chrono::steady_clock;
    auto next = Clock::now();
    for (;;) {
        std::function<void()> task;
        bool frame = false;
        {
            std::unique_lock guard(lock_);
            auto ready = [&] { return stop_ || !tasks_.empty(); };
            if (paused_ && tasks_.empty())
                wake_.wait(guard, [&] { return ready() || !paused_; });
            else if (autoFrames_)
                wake_.wait_until(guard, next, ready);
            else
                wake_.wait_for(guard, std::chrono::milliseconds(1), ready);
            if (stop_ && tasks_.empty()) return;
            if (!tasks_.empty()) {
                task = std::move(tasks_.front());
                tasks_.pop_front();
            } else if (autoFrames_ && !paused_ && Clock::now() >= next) {
                frame = true;
                next += std::chrono::milliseconds(1);
                if (Clock::now() - next > std::chrono::milliseconds(5)) next = Clock::now();
            }
            if (!autoFrames_) next = Clock::now();
        }
        MSG msg;
        while (PeekMessage(&msg, side.window, 0, 0, PM_REMOVE)) {
            if (msg.message == 200) session.link.Accept(static_cast<SOCKET>(msg.wParam));
            if (msg.message == 201)
                session.link.OnSocketEvent(static_cast<SOCKET>(msg.wParam),
                                           static_cast<uint32_t>(msg.lParam) & 0xFFFF);
        }
        if (task) task();
        if (frame) session.RunFrameHooks();
    }
}

bool FakePeer::Connect(const char* ownAddress, const char* address, uint16_t port) {
    socket = platform::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in own;
    own.sin_family = AF_INET;
    own.sin_addr.s_addr = inet_addr(ownAddress);
    platform::bind(socket, &own, sizeof own);
    sockaddr_in a;
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = inet_addr(address);
    return platform::connect(socket, &a, sizeof a) == 0;
}

bool FakePeer::Listen(const char* address, uint16_t port) {
    listener = platform::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a;
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = inet_addr(address);
    return platform::bind(listener, &a, sizeof a) == 0 && platform::listen(listener, 5) == 0;
}

bool FakePeer::AcceptOne(uint32_t ms) {
    if (WaitForSockets(&listener, 1, nullptr, ms) != 1) return false;
    socket = platform::accept(listener, nullptr, nullptr);
    return socket != INVALID_SOCKET;
}

void FakePeer::Write(const std::vector<uint8_t>& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const int n = platform::send(socket, reinterpret_cast<const char*>(bytes.data() + sent),
                                     static_cast<int>(bytes.size() - sent), 0);
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
    }
}

void FakePeer::WriteFrame(uint8_t channel, uint8_t type, uint32_t sequence,
                          const std::vector<uint8_t>& payload) {
    Write(Frame(channel, type, sequence, payload));
}

bool FakePeer::ReadFrame(std::vector<uint8_t>& frame, uint32_t ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (inbox_.state() == PacketAssembler::State::Gathering) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        if (WaitForSockets(&socket, 1, nullptr, static_cast<uint32_t>(left.count())) != 1) return false;
        const int n = platform::recv(socket, reinterpret_cast<char*>(inbox_.WritePosition()),
                                     static_cast<int>(inbox_.Wanted()), 0);
        if (n <= 0) return false;
        inbox_.Commit(static_cast<size_t>(n));
    }
    if (inbox_.state() != PacketAssembler::State::Complete) return false;
    frame.assign(inbox_.Frame(), inbox_.Frame() + inbox_.FrameSize());
    inbox_.Next();
    return true;
}

bool FakePeer::SeesClose(uint32_t ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    char buffer[4096];
    while (std::chrono::steady_clock::now() < end) {
        if (WaitForSockets(&socket, 1, nullptr, 50) != 1) continue;
        const int n = platform::recv(socket, buffer, sizeof buffer, 0);
        if (n <= 0) return true; // what the station had sent before is read past
    }
    return false;
}

void FakePeer::Close() {
    if (socket) closesocket(socket);
    if (listener) closesocket(listener);
    socket = listener = 0;
}

bool RunUntil(const std::vector<Station*>& stations, const std::function<bool()>& done, int limitMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    for (Station* s : stations)
        s->AutoFrames(true);
    bool held = done();
    while (!held && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        held = done();
    }
    for (Station* s : stations)
        s->AutoFrames(false);
    return held;
}

} // namespace nettest
