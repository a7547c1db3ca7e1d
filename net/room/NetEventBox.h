#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

// Events that the network side hands to the session control: {key, message id, value}. Posted by
// the receive thread and the main thread, taken by the main thread. The slots are many more than
// the session ever has waiting, so a burst (the game start among them) is not lost.
class NetEventBox {
public:
    static constexpr size_t kSlots = 64;

    NetEventBox() { Clear(); }

    // False (the event is dropped) when every slot is in use.
    bool Post(uint32_t key, uint32_t messageId, uint32_t value);
    // The oldest waiting event with this key; false when none.
    bool Take(uint32_t key, uint32_t& messageId, uint32_t& value);
    void Clear();
    // Events lost because the box was full.
    uint32_t Dropped() const;

private:
    mutable std::mutex lock_;
    uint8_t inUse_[kSlots];
    uint32_t key_[kSlots];
    uint32_t messageId_[kSlots];
    uint32_t value_[kSlots];
    uint64_t order_[kSlots];
    uint64_t nextOrder_ = 0;
    uint32_t dropped_ = 0;
};
