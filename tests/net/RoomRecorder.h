#pragma once

#include "net/RoomSessionLink.h"

#include <string>
#include <vector>

// A TCP room that keeps what the session control sends: host or client of two stations.
class RoomRecorder : public RoomSessionLink {
public:
    struct Sent {
        uint32_t to; // 0 the host, 0xFFFFFFFF everybody
        uint8_t type;
        std::vector<uint8_t> payload;
    };
    bool host = true;
    int peers = 2;
    std::vector<Sent> sent;
    std::vector<uint32_t> removed;

    bool Start(bool asHost, const std::string&, const std::string&) override {
        host = asHost;
        return true;
    }
    void Close() override {}
    bool IsHost() const override { return host; }
    uint32_t OwnPeerId() const override { return host ? 1 : 2; }
    int PeerCount() const override { return peers; }
    int OwnSlotIndex() const override { return host ? 0 : 1; }
    void SendToHost(uint8_t type, const uint8_t* p, size_t n) override {
        sent.push_back({0, type, {p, p + n}});
    }
    void SendToPeer(uint32_t peer, uint8_t type, const uint8_t* p, size_t n) override {
        sent.push_back({peer, type, {p, p + n}});
    }
    void Broadcast(uint8_t type, const uint8_t* p, size_t n, uint32_t) override {
        sent.push_back({0xFFFFFFFFu, type, {p, p + n}});
    }
    void RemovePeer(uint32_t peer) override { removed.push_back(peer); }
    bool Flush() override { return true; }
    int Count(uint8_t type) const {
        int n = 0;
        for (const Sent& s : sent)
            n += s.type == type;
        return n;
    }
};
