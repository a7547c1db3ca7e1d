// Seeds of the room stream reader and the game command target: whole streams of frames.
#include "SeedCorpus.h"

#include "fuzz/seeds/builders/NetFrames.h"
#include "net/room/NetPacket.h"
#include "net/room/NetPeer.h"
#include "net/room/PacketAssembler.h"

namespace {

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Every frame of the stream is taken whole by the reader.
size_t FramesIn(const std::vector<uint8_t>& stream) {
    PacketAssembler inbox;
    size_t at = 0, frames = 0;
    while (at < stream.size()) {
        at += inbox.Feed(stream.data() + at, stream.size() - at);
        if (inbox.state() != PacketAssembler::State::Complete) return 0;
        NetPacketView view;
        if (!ParseNetPacket(inbox.Frame(), inbox.FrameSize(), view)) return 0;
        ++frames;
        inbox.Next();
    }
    return frames;
}

} // namespace

void WriteNetStreamSeeds(SeedCorpus& corpus) {
    using netfix::Frame;
    using netfix::OrderPayload;
    using netfix::U32;
    std::vector<uint8_t> slot(148, 0);
    slot[0] = 2;
    slot[4] = 'B';
    slot[132] = 1;
    NetPeer peer;
    peer.id = 3;
    CopyText(peer.name, sizeof peer.name, "Cy");
    CopyText(peer.ip, sizeof peer.ip, "127.0.0.3");
    const std::vector<uint8_t> name(128, 'a');
    const std::vector<std::vector<uint8_t>> streams = {
        Join({Frame(1, 1, 0, name), Frame(1, 2, 0, {2, 0, 0, 0, 1, 0, 0, 0})}),
        Join({Frame(1, 4, 0, slot), Frame(1, 5, 0, EncodeNetPeer(peer))}),
        Join({Frame(1, 6, 0, U32(3)), Frame(1, 8, 0, U32(2)), Frame(1, 10, 0, U32(2)),
              Frame(1, 12, 0, U32(1))}),
        Join({Frame(2, 1, 1, OrderPayload(1, 2, 3)), Frame(2, 64, 2, {}), Frame(2, 80, 3, {})}),
        Join({Frame(2, 65, 1, Join({U32(2), U32(4000)})), Frame(2, 66, 2, U32(2)), Frame(0x20, 17, 0, slot)}),
        Join({Frame(2, 80, 2, {}), Frame(2, 80, 1, {}), Frame(2, 80, 4, {})}),
    };
    int n = 0;
    for (const auto& stream : streams) {
        const std::string seed = "seed" + std::to_string(n);
        corpus.Check(FramesIn(stream) > 0, "netframing", seed + ".bin",
                     "the reader does not take every frame");
        // The framing target reads its chunk sizes from the first byte, the command target its role.
        std::vector<uint8_t> chunked{static_cast<uint8_t>(n * 7)};
        chunked.insert(chunked.end(), stream.begin(), stream.end());
        corpus.Write("netframing", seed + ".bin", chunked);
        for (uint8_t role : {0, 1}) {
            std::vector<uint8_t> bytes{role};
            bytes.insert(bytes.end(), stream.begin(), stream.end());
            corpus.Write("gamecommand", seed + "-" + std::to_string(role) + ".bin", bytes);
        }
        ++n;
    }
}
