// Room messages of the TCP room (channel 0x20), as host and as client: first byte the type, the
// second the sender's peer id, the rest the payload.
#include "Program/GameController.h"
#include "net/RoomSessionLink.h"
#include "net/Zu_LocalSet.h"
#include "net/lobby/SlotFields.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {
// A room of two stations that forgets what is sent.
class QuietRoom : public RoomSessionLink {
public:
    bool host = true;
    bool Start(bool, const std::string&, const std::string&) override { return true; }
    void Close() override {}
    bool IsHost() const override { return host; }
    uint32_t OwnPeerId() const override { return host ? 1 : 2; }
    int PeerCount() const override { return 2; }
    int OwnSlotIndex() const override { return host ? 0 : 1; }
    void SendToHost(uint8_t, const uint8_t*, size_t) override {}
    void SendToPeer(uint32_t, uint8_t, const uint8_t*, size_t) override {}
    void Broadcast(uint8_t, const uint8_t*, size_t, uint32_t) override {}
    void RemovePeer(uint32_t) override {}
    bool Flush() override { return true; }
};
} // namespace

// The session control logs to "Error.lst" in the working folder: keep it out of the source tree.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static char folder[] = "/tmp/kardol-fuzz-XXXXXX";
    if (::mkdtemp(folder) && ::chdir(folder) == 0) std::atexit([] { std::filesystem::remove_all(folder); });
    // No data archive here: the lobby host comes from the environment.
    ::setenv("KARDOL_LOBBY_HOST", "127.0.0.1", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static GameController* controller = new GameController;
    for (int host = 0; host < 2; ++host) {
        QuietRoom room;
        room.host = host != 0;
        Zu_LocalSet session(controller);
        session.roomLink = &room;
        controller->isHost = uint8_t(host);
        for (int s = 0; s < 2; ++s) {
            controller->players[s] = PlayerSlot{};
            slotfields::SetId(controller->players[s], uint32_t(s + 1));
            slotfields::SetIndex(controller->players[s], uint8_t(s));
        }
        session.state = 33;
        session.DeliverRoomMessage(data[1], data[0], data + 2, size - 2);
        session.HandleRoomMessages();
        if (session.room.PlayerCount() > 20 || session.room.MaxPlayers() > 20) std::abort();
        for (const PlayerSlot& s : controller->players)
            if (slotfields::Choice(s) > 16 || slotfields::Alliance(s) > 7) std::abort();
    }
    return 0;
}
