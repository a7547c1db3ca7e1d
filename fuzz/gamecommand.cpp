// Peer-control messages and game commands as a station receives them, on the host or on a client:
// the size table, the sender checks, the ordered receive queue and the command handlers.
#include "net/room/NetSession.h"
#include "net/room/NetSide.h"
#include "net/room/PacketAssembler.h"

#include <cstdlib>
#include <cstring>

namespace {

class FuzzSide : public NetSide {
public:
    bool Networked() const override { return true; }
    uint8_t* Slot(size_t index) override {
        if (index >= 20) std::abort();
        return slots[index];
    }
    int8_t OwnSlotIndex() const override { return own; }
    void SetOwnSlotIndex(int8_t index) override {
        if (index < 0 || index >= 20) std::abort();
        own = index;
    }
    void SetHostByte(uint8_t) override {}
    void OnSessionInit() override {}
    void AddChatLine(const char* text, int) override {
        if (std::strlen(text) > 400) std::abort();
    }
    bool MainPanelExists() const override { return true; }
    bool InBattle() const override { return true; }
    void AdvanceDay() override { ++days; }
    platform::HWND SocketWindow() const override { return nullptr; }

    uint8_t slots[20][148] = {};
    int8_t own = 0;
    int days = 0;
};

// Sockets that name no connection: whatever the station answers goes nowhere.
constexpr platform::SOCKET kFirstSocket = 0x7FFF0000u;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzSide side;
    static NetSession session(side);
    if (size < 1) return 0;
    const bool host = data[0] & 1;
    session.NetSessionInit();
    session.link.FreeClients();
    session.hostFlag = host ? 1 : 0;
    // Three stations in the room: the host (1) and two clients.
    platform::sockaddr_in address;
    address.sin_family = platform::AF_INET;
    address.sin_addr.s_addr = platform::inet_addr("127.0.0.1");
    for (uint16_t i = 0; i < 3; ++i) {
        address.sin_port = i;
        const platform::SOCKET socket = kFirstSocket + i;
        session.NetAddPeer(i == 0 ? "Ann" : "Bo", address, socket);
        session.NetTakeSlot(i + 1u, "x", i == 0);
        if (host && i > 0) {
            TcpClientRecord* record = session.link.AddClient();
            record->socket = socket;
            record->address = address;
        }
    }
    session.ownId = host ? 1 : 2;
    PacketAssembler inbox;
    size_t at = 1;
    while (at < size) {
        at += inbox.Feed(data + at, size - at);
        if (inbox.state() != PacketAssembler::State::Complete) break;
        NetPacketView view;
        if (!ParseNetPacket(inbox.Frame(), inbox.FrameSize(), view)) std::abort();
        // Byte 1 of the header is not used on the wire: here it picks the sending connection.
        const platform::SOCKET from = kFirstSocket + (inbox.Frame()[1] % 4);
        if (view.channel == netpacket::kChannelPeer) {
            session.NetLobbyDispatch(view.payload, view.payloadSize, view.type, view.sequence, from);
        } else if (view.channel == netpacket::kChannelCommand) {
            session.EnqueueGameCommand(std::vector<uint8_t>(inbox.Frame(), inbox.Frame() + inbox.FrameSize()),
                                       view.type, view.sequence, from);
            session.DrainGameCommands();
        }
        inbox.Next();
    }
    if (session.NetPeerCount() > 20) std::abort();
    session.link.FreeClients();
    return 0;
}
