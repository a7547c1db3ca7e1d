// Datagrams arriving on the lobby's sockets, as a stream of {u16 length, sender byte, reply-socket
// byte, datagram} records: acknowledgements, repeats and new datagrams from up to 256 senders.
#include "net/MultiCast.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

// Failures are logged to "Error.lst" in the working folder: keep it out of the source tree.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static char folder[] = "/tmp/kardol-fuzz-XXXXXX";
    if (::mkdtemp(folder) && ::chdir(folder) == 0) std::atexit([] { std::filesystem::remove_all(folder); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The sockets stay closed: an acknowledgement goes nowhere.
    MultiCast link;
    size_t at = 0;
    while (at + 4 <= size) {
        const size_t length = data[at] | (data[at + 1] << 8);
        const platform::SocketAddress from{0x7F000000u | data[at + 2], 4000};
        const bool isReply = data[at + 3] & 1;
        at += 4;
        if (length > size - at) break;
        link.TakeDatagram(from, data + at, length, isReply);
        at += length;
    }
    if (link.receiveList.size() > size) std::abort();
    return 0;
}
