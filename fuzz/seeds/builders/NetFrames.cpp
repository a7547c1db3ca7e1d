#include "fuzz/seeds/builders/NetFrames.h"

#include "engine/ByteReader.h"
#include "net/room/NetPacket.h"

#include <algorithm>

namespace netfix {

std::vector<uint8_t> Frame(uint8_t channel, uint8_t type, uint32_t sequence,
                           const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> out(16 + payload.size());
    WriteNetHeader(out.data(), payload.size(), NetHeaderTail{sequence, channel, type});
    std::copy(payload.begin(), payload.end(), out.begin() + 16);
    return out;
}

std::vector<uint8_t> U32(uint32_t v) {
    ByteWriter w;
    w.u32(v);
    return w.buffer();
}

std::vector<uint8_t> OrderPayload(uint32_t a, uint32_t b, uint32_t c) {
    ByteWriter w;
    w.u32(a);
    w.u32(b);
    w.u32(c);
    return w.buffer();
}

std::vector<uint8_t> Words(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> out;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(w >> (8 * i)));
    return out;
}

} // namespace netfix
