#pragma once

#include "engine/FrameClock.h"
#include "gui/RootObject.h"
#include "net/LobbyDatagram.h"
#include "net/lobby/NetMutexHold.h"

#include <cstdint>
#include <deque>
#include <list>
#include <mutex>
#include <string>
#include <vector>

namespace platform {
class Surface;
}

class GameController;
class LobbyStatusPanel;
class MultiCast;
class RoomSessionLink;
class TextLabel;
class Widget;
class Win74Window;
class Win201Window;
class Win206Window;
class Win207Window;
class Win208Window;
class Win209Window;
class Win210Window;
class Win211Window;
class Win212Window;
class Win213Window;
struct PlayerSlot;

// The network front end: chooses between the lobby server and the local network, logs in, lists
// the open rooms, creates or joins one, runs the room until the game starts, and keeps the lobby
// link alive while a network game runs. One step per frame on the main thread (Run); the
// windows leave the player's choice in `input`, events of the TCP room arrive through PostEvent.
class Zu_LocalSet : public RootObject {
public:
    // A room or player of the lobby lists: the record, its ageing steps and a local id.
    struct ListEntry {
        lobby::RoomRecord record;
        uint32_t tag = 0;
        uint32_t id = 0;
    };

    // Results of Run / Tick.
    static constexpr int32_t kStay = 0;
    static constexpr int32_t kLeave = 1;
    static constexpr int32_t kStartGame = 2;
    static constexpr int32_t kLeaveLaunch = 3;

    // Events of the room (key 1).
    static constexpr uint32_t kEventRoom = 16;
    static constexpr uint32_t kEventJoinRequest = 20;
    static constexpr uint32_t kEventAccepted = 21;
    static constexpr uint32_t kEventRejected = 22;
    static constexpr uint32_t kEventRemoved = 23;
    static constexpr uint32_t kEventChat = 24;
    static constexpr uint32_t kEventBusy = 25;
    static constexpr uint32_t kEventSlots = 26;
    static constexpr uint32_t kEventChoiceTaken = 27;
    static constexpr uint32_t kEventHostLeft = 28;
    static constexpr uint32_t kEventPeerLeft = 29;
    static constexpr uint32_t kEventStart = 0x1001;
    static constexpr uint32_t kEventClose = 0x1002;
    static constexpr uint32_t kEventClosed = 0x1003;

    // Lists kept by the lobby-server role beyond this many entries take no newcomers.
    static constexpr size_t kListCap = 256;
    // Pending events beyond this many are dropped (and logged).
    static constexpr size_t kEventCap = 64;

    explicit Zu_LocalSet(GameController* controller = nullptr);
    ~Zu_LocalSet() override;
    Zu_LocalSet(const Zu_LocalSet&) = delete;
    Zu_LocalSet& operator=(const Zu_LocalSet&) = delete;

    int32_t Run();
    int32_t Tick(int);
    void LoadData(int mode);
    void CloseAll();

    int IsChoiceTaken(int slot, uint32_t choice) const;
    void LoadRoomMap();
    void RefreshRoomWindows();
    // Where the session stands, for a scripted run to wait on (platform/ScriptMarks.h).
    void PostScriptMarks();
    void ClearSlotChoices();
    int SlotCount() const;

    // Lobby and room messages.
    void PumpMessages();
    void SendRoomRecord();
    void BroadcastRoom();
    void SendOwnSlot();
    void AgeRooms();
    void AgePlayers();
    void PingStep();
    void SendLobbyChat(const lobby::ChatRecord& record);
    // Sends a finished game's record (12 words) to the lobby server.
    void UploadRecord(const int32_t words[12]);
    void SendRoomChat(const lobby::ChatRecord& record);

    // Status line.
    void ShowStatus(const char* text);
    void UpdateStatus(int close);

    // Thread-safe: from the TCP room's receive path.
    void PostEvent(uint32_t message, uint32_t value);
    void DeliverRoomMessage(uint32_t fromPeer, uint8_t type, const uint8_t* payload, size_t size);
    // Thread-safe: a peer-control notice of the TCP room (as NetLobbyNotify).
    void TakeLobbyNotice(uint8_t type, uint32_t peerId);
    // Main thread: applies the room messages that have arrived.
    void HandleRoomMessages();
    // Main thread: one lobby datagram taken from the link.
    void HandleLobbyDatagram(const platform::SocketAddress& sender, const uint8_t* data, size_t size,
                             bool fromReply);

    PlayerSlot& OwnSlot();
    int OwnIndex() const;
    bool IsHost() const;
    bool Online() const { return onlineFlag != 0; }
    MultiCast& Link();
    RoomSessionLink* Room() const;

    // Fields, in order of use.
    int32_t state = 70;
    int32_t spare = -1;
    int32_t input = -1;
    int32_t playerCount = 0;
    int32_t returnState = -1;
    int32_t awaitedEvent = -1;
    Zu_FrameClock clock;
    uint32_t firedMask = 0;
    uint32_t toggleMask = 0;
    Win74Window* win74 = nullptr;
    Win206Window* win206 = nullptr;
    Win207Window* win207 = nullptr;
    Win208Window* win208 = nullptr;
    Win209Window* win209 = nullptr;
    Win211Window* win211 = nullptr;
    Win213Window* win213 = nullptr;
    Win201Window* win201 = nullptr;
    Win212Window* win212 = nullptr;
    Win210Window* win210 = nullptr;
    lobby::RoomRecord room;
    std::string ownName;
    // The name typed in the room-creation window; the room takes it, or the own name without it.
    std::string typedRoomName;
    lobby::LoginDatagram login;
    uint32_t waitingPeer = 0;
    int32_t approvalAnswer = -1;
    int32_t loggedIn = 0;
    std::list<ListEntry> rooms;
    std::list<ListEntry> players;
    int32_t version = 0;
    std::string versionText;
    // The map the room windows show (-1: none yet).
    int32_t shownMap = -1;
    // The backdrop of the network screens, picture 0 of "Zu_DataC.Rom" (null without it).
    platform::Surface* lobbyPicture = nullptr;

    // 1 through the lobby server, 0 on the local network.
    int32_t onlineFlag = 0;
    // This game serves as the lobby server.
    int32_t lobbyServerFlag = 0;
    // Written by the pump from a login reply (-1: none).
    int32_t lobbyReplyCode = -1;
    int32_t browserLoginFlag = 0;
    // The lobby server's host text.
    std::string lobbyHost;
    // Own address for a new room; and the room host's address for the TCP room.
    uint32_t ownAddress = 0;
    std::string hostAddress;

    // Status panel.
    LobbyStatusPanel* statusPanel = nullptr;
    uint32_t statusTime = 0;
    int32_t statusState = 0;
    bool statusShown = false;

    // Where the windows go (null: the root widget).
    Widget* root = nullptr;
    GameController* controller = nullptr;
    // The TCP room (null: the one installed).
    RoomSessionLink* roomLink = nullptr;

private:
    struct InMessage {
        uint32_t fromPeer;
        uint8_t type;
        std::vector<uint8_t> payload;
    };
    struct Event {
        uint32_t message;
        uint32_t value;
    };

    void StepState();
    void TakeEvents();
    void HandleEvent(const Event& e, bool& stop);
    void HandleRoomMessage(const InMessage& m);
    void ServeAnnouncement(const platform::SocketAddress& sender, const uint8_t* data);
    void RoomInput(int code);
    void JoinRoom(int n);
    void StartGame();
    // Game type 0: the room's random map, written as the stage "Virtual".
    void GenerateRoomMap(int32_t officersPerCity);
    void OpenRoomWindows();
    void CloseRoomWindows();
    void EnableRoomWindows(bool on);
    void OpenChatWindow();
    void CloseWindows();
    void MakeLobbyPicture();
    void ReleaseLobbyPicture();
    // The TCP room starts (to hostAddress under ownName) and closes with the slots let go.
    bool StartRoom(RoomSessionLink& link, bool asHost);
    void CloseRoom();
    void AgeList(std::list<ListEntry>& list);
    void SendRoomMessage(uint32_t peer, uint8_t type, const uint8_t* payload, size_t size);
    void SendWordMessage(uint32_t peer, uint8_t type, uint32_t word);
    void Log(const char* text, int line, int32_t value = 0);
    bool MakeOwnAddress();

    // The player slots are the room's too: its receive thread writes them under "NetMutex".
    mutable NetMutexHold netHold;
    std::mutex inboxMutex;
    std::deque<InMessage> inbox;
    std::deque<Event> events;
    uint32_t nextEntryId = 1;
    int32_t pendingResult = 0;
};

// Random maps of a room ("2 cities" .. "16 cities").
constexpr uint32_t RoomMapCount = 15;

// The session control the windows and the TCP room reach, or null.
extern Zu_LocalSet* TheLocalSet;
// Held while TheLocalSet changes and while another thread calls through it.
std::mutex& LocalSetPointerMutex();

// The number of leading player slots that cover every station of the room (1..20).
int NetPeerSlotCount();

// The value of the n-th option through its table of game values (option 1 and option 3).
int32_t OptionOneValue(uint32_t option);
int32_t OptionThreeValue(uint32_t option);
