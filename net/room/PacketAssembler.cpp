#include "net/room/PacketAssembler.h"

#include <algorithm>
#include <cstring>

PacketAssembler::PacketAssembler() : buffer_(netpacket::kBufferSize) {}

size_t PacketAssembler::Wanted() const {
    return state_ == State::Gathering ? total_ - have_ : 0;
}

PacketAssembler::State PacketAssembler::Commit(size_t n) {
    if (state_ != State::Gathering) return state_;
    have_ += std::min(n, Wanted());
    if (have_ == netpacket::kHeaderSize && total_ == netpacket::kHeaderSize) {
        int32_t total = 0;
        if (!CheckNetHeader(buffer_.data(), total)) return state_ = State::Broken;
        total_ = static_cast<size_t>(total);
    }
    if (have_ == total_) state_ = State::Complete;
    return state_;
}

size_t PacketAssembler::Feed(const uint8_t* data, size_t size) {
    size_t taken = 0;
    while (taken < size && state_ == State::Gathering) {
        const size_t n = std::min(size - taken, Wanted());
        std::memcpy(WritePosition(), data + taken, n);
        taken += n;
        Commit(n);
    }
    return taken;
}

void PacketAssembler::Next() {
    if (state_ != State::Complete) return;
    have_ = 0;
    total_ = netpacket::kHeaderSize;
    state_ = State::Gathering;
}
