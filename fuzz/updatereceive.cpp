// Datagrams arriving on the update client's sockets, as a stream of {u16 length, sender byte,
// mode byte, datagram} records, on the sending and the listening side.
#include "update/client/UpdateTransport.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The sockets stay closed: an acknowledgement goes nowhere.
    UpdateTransport transport;
    platform::UdpSocket closed;
    size_t at = 0;
    while (at + 4 <= size) {
        const size_t length = data[at] | (data[at + 1] << 8);
        const platform::SocketAddress from{0x7F000000u | data[at + 2], 4000};
        transport.mode = data[at + 3] & 1;
        transport.role = (data[at + 3] >> 1) & 1;
        at += 4;
        if (length > size - at) break;
        transport.TakeDatagram(closed, from, data + at, length, data[at - 1] >> 7);
        at += length;
    }
    while (UpdateTransport::Received* r = transport.TakeReceived())
        delete r;
    return 0;
}
