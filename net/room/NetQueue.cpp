#include "net/room/NetQueue.h"

#include "engine/ByteReader.h"

namespace {

uint32_t WordAt(const std::vector<uint8_t>& data, size_t offset) {
    ByteReader r(data.data(), data.size());
    r.skip(offset);
    return r.u32();
}

// The key of a keep-latest peer-control message: the player it is about.
bool SamePlayer(uint8_t type, const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    const size_t offset = type == 5 ? 180 : 0;
    return WordAt(a, offset) == WordAt(b, offset);
}

} // namespace

bool NetQueue::Queue(uint32_t& counter, uint8_t mode, uint8_t type, const uint8_t* data, size_t size) {
    std::vector<uint8_t> copy(data, data + size);
    if (mode == 1 && (type == 4 || type == 5 || type == 6)) {
        for (NetQueueEntry& e : entries_) {
            if (e.mode != 1 || e.type != type || !SamePlayer(type, e.data, copy)) continue;
            e.data = std::move(copy);
            e.sequence = 0;
            e.state = -1;
            return true;
        }
    }
    if (entries_.size() >= kLimit) return false;
    NetQueueEntry e;
    e.mode = mode;
    e.type = type;
    e.data = std::move(copy);
    if (mode == 2) e.sequence = counter++;
    entries_.push_back(std::move(e));
    return true;
}

void NetQueue::Purge() {
    entries_.remove_if([](const NetQueueEntry& e) { return e.state == 1; });
}

void NetQueue::AckUpTo(uint32_t sequence) {
    // Only what went out: a slot or peer record still waiting to be sent must not be lost.
    for (NetQueueEntry& e : entries_)
        if (e.state == 0 && e.sequence <= sequence) e.state = 1;
}

void NetQueue::MarkResend(uint32_t sequence) {
    for (NetQueueEntry& e : entries_) {
        if (e.sequence == sequence && e.mode == 2) {
            e.state = -2;
            return;
        }
    }
}
