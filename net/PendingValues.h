#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>

// A client's absolute values in flight. A client computes a new value from what it has and sends
// it; until the host's copy comes back, the next value it computes builds on the last one it sent,
// so two quick actions before the echo cannot both start from the same old value.
class PendingValues {
public:
    // What a value computed now starts from: the last value sent for the key, else the current one.
    int32_t Base(uint64_t key, int32_t current) const;
    // A value sent: the raw wire value and the value every station will hold once it is applied.
    void Sent(uint64_t key, int32_t raw, int32_t effective);
    // The host's copy of a value arrived: it and every older one for the key are settled.
    void Echo(uint64_t key, int32_t raw);
    void Clear() { pending_.clear(); }
    bool Empty() const { return pending_.empty(); }

private:
    struct Entry {
        int32_t raw;
        int32_t effective;
    };
    std::map<uint64_t, std::deque<Entry>> pending_;
};

// Keys of the values this station sends.
inline uint64_t PendingKey(uint32_t family, uint32_t object, uint32_t field) {
    return (uint64_t(family) << 56) | (uint64_t(field & 0xFFFFFF) << 32) | object;
}
// The program's own record of them.
PendingValues& ClientPendingValues();
