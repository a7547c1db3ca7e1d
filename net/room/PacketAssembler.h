#pragma once

#include "net/room/NetPacket.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Gathers one frame of a TCP stream across as many reads as the stream needs. It asks only for the
// bytes of the frame it is building, so a second frame stays in the socket until this one is taken.
// A header is judged only when all 16 bytes are there; a bad one breaks the stream for good.
class PacketAssembler {
public:
    enum class State { Gathering, Complete, Broken };

    PacketAssembler();

    // Where the next bytes go and how many the current frame still needs (0 when complete or broken).
    uint8_t* WritePosition() { return buffer_.data() + have_; }
    size_t Wanted() const;
    // Accounts for n bytes written at WritePosition (at most Wanted()).
    State Commit(size_t n);
    // Copies as much of data as the current frame needs; the number of bytes taken.
    size_t Feed(const uint8_t* data, size_t size);

    State state() const { return state_; }
    // The complete frame (valid while state() is Complete).
    const uint8_t* Frame() const { return buffer_.data(); }
    size_t FrameSize() const { return have_; }
    // Starts the next frame after a complete one was taken.
    void Next();

private:
    std::vector<uint8_t> buffer_;
    size_t have_ = 0;
    size_t total_ = netpacket::kHeaderSize;
    State state_ = State::Gathering;
};
