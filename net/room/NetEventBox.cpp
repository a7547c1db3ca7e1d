#include "net/room/NetEventBox.h"

#include <cstring>

bool NetEventBox::Post(uint32_t key, uint32_t messageId, uint32_t value) {
    std::lock_guard guard(lock_);
    for (size_t i = 0; i < kSlots; ++i) {
        if (inUse_[i]) continue;
        key_[i] = key;
        messageId_[i] = messageId;
        value_[i] = value;
        order_[i] = nextOrder_++;
        inUse_[i] = 1;
        return true;
    }
    ++dropped_;
    return false;
}

bool NetEventBox::Take(uint32_t key, uint32_t& messageId, uint32_t& value) {
    std::lock_guard guard(lock_);
    size_t found = kSlots;
    for (size_t i = 0; i < kSlots; ++i)
        if (inUse_[i] && key_[i] == key && (found == kSlots || order_[i] < order_[found])) found = i;
    if (found == kSlots) return false;
    messageId = messageId_[found];
    value = value_[found];
    inUse_[found] = 0;
    return true;
}

void NetEventBox::Clear() {
    std::lock_guard guard(lock_);
    std::memset(inUse_, 0, sizeof inUse_);
    std::memset(key_, 0, sizeof key_);
    std::memset(messageId_, 0, sizeof messageId_);
    std::memset(value_, 0, sizeof value_);
    std::memset(order_, 0, sizeof order_);
}

uint32_t NetEventBox::Dropped() const {
    std::lock_guard guard(lock_);
    return dropped_;
}
