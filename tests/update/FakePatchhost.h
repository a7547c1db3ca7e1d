#pragma once

#include "platform/UdpSocket.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace updatetest {

// A small update server on 127.0.0.1 for the client's tests. It acknowledges what it receives,
// waits for the client's version, then plays its script: "current", or the file headers and data
// blocks (each sent until acknowledged) and "all sent". Raw datagrams let a test send what a
// hostile server would.
class FakePatchhost {
public:
    struct File {
        std::string name;
        std::vector<uint8_t> bytes; // what travels (a run-length block when packed)
        uint32_t unpackedSize = 0;
        uint32_t packedSize = 0;
        int32_t checksum = 0;
        // Block order: indexes into the file's 1000-byte blocks; empty = in order. A block may
        // repeat; a block left out never arrives.
        std::vector<int> blockOrder;
    };
    struct Step {
        std::vector<uint8_t> datagram; // sent as is; the server stamps the sequence unless raw
        bool raw = false;              // raw datagrams are sent once and not waited for
    };

    FakePatchhost();
    ~FakePatchhost();

    uint16_t Port() const { return port_; }

    // Script pieces, before Start.
    void AnswerCurrent() { current_ = true; }
    void Silent() { silent_ = true; }
    void AddFile(File file);
    static File PlainFile(const std::string& name, const std::vector<uint8_t>& bytes);
    static File PackedFile(const std::string& name, const std::vector<uint8_t>& bytes);
    void AddStep(Step step) { extra_.push_back(std::move(step)); }
    // Sends "all sent" before the file blocks instead of after them.
    void AllSentFirst() { allSentFirst_ = true; }
    // Falls silent after the file headers (done from then on).
    void StallAfterHeaders() { stall_ = true; }

    void Start();
    // Waits for the script's end (the client's answer to "all sent"); false on time-out.
    bool WaitDone(int milliseconds);

    // What the client said.
    std::string VersionText();
    std::vector<uint32_t> HaveFileAnswers();
    bool ClientEnded();
    // Datagrams of any kind that came in.
    int Received();

private:
    void Run();
    bool SendReliably(std::vector<uint8_t> datagram);
    void Pump(int milliseconds);
    void SendFile(const File& file);

    platform::UdpSocket socket_;
    uint16_t port_ = 0;
    platform::SocketAddress client_;
    bool haveClient_ = false;
    bool current_ = false;
    bool silent_ = false;
    bool allSentFirst_ = false;
    bool stall_ = false;
    std::vector<File> files_;
    std::vector<Step> extra_;
    uint32_t sequence_ = 100;
    std::vector<uint32_t> acked_;

    std::mutex mutex_;
    std::string version_;
    std::vector<uint32_t> haveFile_;
    bool clientEnded_ = false;
    int received_ = 0;

    std::atomic<bool> stop_{false};
    std::atomic<bool> done_{false};
    std::thread thread_;
};

} // namespace updatetest
