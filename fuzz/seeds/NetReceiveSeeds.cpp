// Seeds of the two datagram receive paths: a stream of records as their targets read them, each
// with an acknowledgement and a datagram that is queued, taken back by the same code.
#include "SeedCorpus.h"

#include "net/LobbyDatagram.h"
#include "net/MultiCast.h"
#include "update/client/UpdateDatagram.h"
#include "update/client/UpdateTransport.h"

namespace {

// {u16 length, sender byte, flags byte, datagram}.
void AddRecord(std::vector<uint8_t>& stream, uint8_t sender, uint8_t flags, const std::vector<uint8_t>& d) {
    stream.push_back(uint8_t(d.size()));
    stream.push_back(uint8_t(d.size() >> 8));
    stream.push_back(sender);
    stream.push_back(flags);
    stream.insert(stream.end(), d.begin(), d.end());
}

void LobbyReceiveSeeds(SeedCorpus& corpus) {
    std::vector<uint8_t> ping(lobby::KindSize(lobby::KindPing), 0);
    lobby::PutHeader(ping.data(), lobby::KindPing, uint16_t(ping.size()));
    std::vector<uint8_t> ack(lobby::kHeaderSize, 0);
    lobby::PutHeader(ack.data(), lobby::KindAck, uint16_t(ack.size()));
    std::vector<uint8_t> stream;
    AddRecord(stream, 2, 0, ping);
    AddRecord(stream, 2, 0, ping); // a repeat is delivered once
    AddRecord(stream, 3, 1, ack);
    corpus.Write("lobbyreceive", "ping-repeat-ack", stream);
    MultiCast link;
    link.TakeDatagram({0x7F000002, 4000}, ping.data(), ping.size(), false);
    link.TakeDatagram({0x7F000002, 4000}, ping.data(), ping.size(), false);
    corpus.Check(link.receiveList.size() == 1, "lobbyreceive", "ping-repeat-ack",
                 "the ping is not queued once");
}

void UpdateReceiveSeeds(SeedCorpus& corpus) {
    const std::vector<uint8_t> control = UpdateDatagram::EncodeControl(1, 2);
    const std::vector<uint8_t> ack = UpdateDatagram::EncodeAck(7);
    std::vector<uint8_t> stream;
    AddRecord(stream, 2, 1, control);
    AddRecord(stream, 2, 1, ack);
    corpus.Write("updatereceive", "control-ack", stream);
    UpdateTransport transport;
    platform::UdpSocket closed;
    transport.mode = 1;
    transport.TakeDatagram(closed, {0x7F000002, 4000}, control.data(), control.size(), 0);
    UpdateTransport::Received* r = transport.TakeReceived();
    corpus.Check(r != nullptr, "updatereceive", "control-ack", "the control datagram is not queued");
    delete r;
}

} // namespace

void WriteNetReceiveSeeds(SeedCorpus& corpus) {
    LobbyReceiveSeeds(corpus);
    UpdateReceiveSeeds(corpus);
}
