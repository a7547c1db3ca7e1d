#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <vector>

// One outgoing message waiting in a send queue, with its own copy of the payload.
struct NetQueueEntry {
    uint32_t sequence = 0; // channel 2: the queue's number at queueing time; else 0
    uint8_t mode = 0;      // the channel: 1 peer control (keep latest), 2 game command, 0x20 room
    uint8_t type = 0;
    std::vector<uint8_t> data;
    // -1 not yet sent, -2 resend requested, 0 sent and waiting for acknowledgement, 1 done.
    int8_t state = -1;
};

// A send queue: towards one peer on the host, towards the host on a client.
class NetQueue {
public:
    // A queue holds at most this many entries; a peer that lets more pile up is dropped.
    static constexpr size_t kLimit = 4096;

    // Queues a copy of the payload; for mode 1 types 4, 5 and 6 an entry for the same player is
    // replaced in place. `counter` numbers channel-2 entries. False when the queue is full.
    bool Queue(uint32_t& counter, uint8_t mode, uint8_t type, const uint8_t* data, size_t size);
    // Frees every entry in state 1.
    void Purge();
    // Completes every sent entry numbered up to the value.
    void AckUpTo(uint32_t sequence);
    // The entry with exactly this number is sent again.
    void MarkResend(uint32_t sequence);
    void Clear() { entries_.clear(); }

    bool empty() const { return entries_.empty(); }
    size_t size() const { return entries_.size(); }
    std::list<NetQueueEntry>& entries() { return entries_; }
    const std::list<NetQueueEntry>& entries() const { return entries_; }

private:
    std::list<NetQueueEntry> entries_;
};
