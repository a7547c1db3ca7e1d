// A game room stream from a peer: frames gathered across reads of any size, then decoded, with the
// peer records and player slots they may carry.
#include "net/room/NetPacket.h"
#include "net/room/NetPeer.h"
#include "net/room/PacketAssembler.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // The first byte sets how the stream is cut into reads.
    const size_t chunk = (data[0] & 0x3F) + 1;
    data += 1;
    size -= 1;
    PacketAssembler inbox;
    size_t at = 0;
    while (at < size && inbox.state() != PacketAssembler::State::Broken) {
        const size_t n = std::min(chunk, size - at);
        const size_t taken = inbox.Feed(data + at, n);
        if (taken > n) std::abort();
        at += taken;
        if (inbox.state() == PacketAssembler::State::Complete) {
            NetPacketView view;
            if (!ParseNetPacket(inbox.Frame(), inbox.FrameSize(), view)) std::abort();
            if (view.payloadSize > netpacket::kMaxPayload) std::abort();
            if (view.channel == netpacket::kChannelPeer && view.type == 5) {
                if (auto peer = DecodeNetPeer(view.payload, view.payloadSize)) {
                    if (peer->name[sizeof peer->name - 1] != 0 || peer->ip[sizeof peer->ip - 1] != 0)
                        std::abort();
                    const auto again = EncodeNetPeer(*peer);
                    if (again.size() != NetPeer::kWireSize) std::abort();
                }
            }
            inbox.Next();
        } else if (taken == 0) {
            break;
        }
    }
    return 0;
}
