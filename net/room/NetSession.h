#pragma once

#include "net/room/GameCommandTable.h"
#include "net/room/NetEventBox.h"
#include "net/room/NetPacket.h"
#include "net/room/NetPeer.h"
#include "net/room/NetQueue.h"
#include "net/room/PacketAssembler.h"
#include "net/room/TcpLink.h"
#include "platform/Mutex.h"
#include "platform/Sockets.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class NetSide;

// Where a station's room link lives on the network.
struct NetConfig {
    uint16_t port = 12496;
    // The station's own address: the host listens on it, a client connects from it. Empty: any.
    std::string ownAddress;
    // The host's address (dotted text or a name); the session control writes it before a client
    // connects, host election rewrites it.
    std::string hostAddress = "192.168.0.1";
};

// A received game command waiting in the ordered receive queue.
struct ReceivedCommand {
    uint32_t sequence = 0;
    uint32_t stamp = 0; // when a walk last reached it in order; 0 = never
    std::vector<uint8_t> packet;
    platform::SOCKET socket = 0;
};

// The game room of a network battle on one station: the TCP link with its receive thread, the peer
// table with the player slots and the send queues, and the game command relay with its heartbeat.
// "NetMutex" guards everything here that both threads touch.
class NetSession {
public:
    NetSession(NetSide& side, NetConfig config = {});
    ~NetSession();
    NetSession(const NetSession&) = delete;
    NetSession& operator=(const NetSession&) = delete;

    // Session start and stop.
    bool NetSessionStart(bool asHost, const char* playerName);
    void CloseTcpSession();
    bool NetSocketStart(bool asHost);
    bool NetRestartLink(bool asHost);
    bool TcpListen(const platform::PROTOCOL_INFO& protocol);
    bool TcpConnect(const platform::PROTOCOL_INFO& protocol);
    void NetStartThread();
    void NetStopThread();
    void NetSocketStop();

    // Peer table and slots.
    void NetSessionInit();
    uint32_t NetAddPeer(const char* name, const platform::sockaddr_in& address, platform::SOCKET socket);
    int8_t NetTakeSlot(uint32_t id, const char* name, bool reset);
    void NetRemoveSlot(uint32_t id);
    void NetRemovePeer(uint32_t id);
    void NetFreeAll();
    void NetStorePeer(const NetPeer& record);
    NetPeer* NetFindPeer(uint32_t id);
    NetPeer* NetFindPeerBySocket(platform::SOCKET socket);
    NetPeer* NetFindPeerByAddress(const char* ipText);
    const char* NetPeerName(uint32_t id);
    int32_t NetPeerCount() const;

    // Send queues.
    void NetBroadcast(uint8_t mode, uint8_t type, const uint8_t* data, size_t size);
    void NetSendToHost(uint8_t mode, uint8_t type, const uint8_t* data, size_t size);
    void QueueToPeer(uint32_t id, uint8_t mode, uint8_t type, const uint8_t* data, size_t size);
    bool NetFlushQueue(NetQueue& queue, platform::SOCKET socket);

    // Join, leave, host tick and hand-over.
    void NetHostStart(const char* name);
    bool NetJoin(const char* name);
    void NetLeave();
    bool NetElectHost(std::string& newHostName);
    bool NetHostTick();
    void NetLobbyDispatch(const uint8_t* payload, size_t size, uint8_t type, uint32_t sequence,
                          platform::SOCKET socket);

    // Direct senders of channel 1.
    void NetSendJoin(const char* name);
    void NetSendJoinReply(uint32_t id, uint8_t slot, platform::SOCKET socket);
    void NetSendLeave(uint32_t id, platform::SOCKET socket);
    void NetAnnounceLeave(uint32_t id);
    void NetSendReattach(uint32_t id, platform::SOCKET socket);
    void NetSendAck(uint32_t sequence, platform::SOCKET socket);
    void NetSendResendRequest(uint32_t sequence, platform::SOCKET socket);

    // Game command relay.
    void SendGameCommand(uint8_t code, const uint8_t* payload, size_t length);
    void EnqueueGameCommand(std::vector<uint8_t> packet, uint8_t code, uint32_t sequence,
                            platform::SOCKET socket);
    void RequestMissingCommands();
    void DrainGameCommands();
    void PollGameCommands();
    void GameCommandDispatch(const uint8_t* payload, size_t size, uint8_t code, platform::SOCKET socket);
    // The entry of a command: applied here at once in single play or on the host, sent when
    // networked.
    void EnterGameCommand(uint8_t code, const uint8_t* payload, size_t length,
                          const std::function<void()>& apply);

    // Timing, heartbeat and the host-loss watch.
    void NetCheckHost();
    void NetStartMonitoring(uint32_t id, uint32_t time);
    void NetReportFrameTime();
    void NetSendHeartbeat();
    void NetHeartbeatTick();
    void NetHostLossCheck();
    // The per-frame network upkeep of a networked game, in its order.
    void RunFrameHooks();

    // Advance-day command (80).
    void NetCmdAdvanceDay();

    // The hooks of the session control for channel-1 notifications and channel-0x20 room messages
    // (receive thread, under the mutex).
    using PacketHandler = std::function<void(const uint8_t* payload, size_t size, uint8_t type,
                                             uint32_t sequence, platform::SOCKET socket)>;
    void SetRoomHandlers(PacketHandler lobbyNotify, PacketHandler roomDispatch);

    // The mutex held for a scope, taken in 2000 ms waits until it is obtained.
    class Lock {
    public:
        explicit Lock(const NetSession& session);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        platform::HANDLE mutex_;
    };

    NetSide& side;
    NetConfig config;
    GameCommandTable commands;
    TcpLink link{*this};
    NetEventBox eventBox;

    // Link block.
    platform::HANDLE mutex = nullptr;
    std::atomic<uint8_t> hostFlag{0};
    platform::SOCKET linkSocket = 0;
    platform::sockaddr_in linkAddress;
    uint8_t packetBuffer[netpacket::kBufferSize] = {};
    platform::HANDLE stopEvent = nullptr;
    std::thread thread;
    platform::SOCKETWAKE wake = nullptr;
    std::vector<platform::PROTOCOL_INFO> protocols;
    int protocolIndex = -1;
    int socketType = 0;
    std::atomic<uint8_t> sessionActive{0};
    PacketAssembler linkInbox;
    bool linkBroken = false;

    // Peers, queues and receive queue.
    std::list<NetPeer> peers;
    NetPeer* ownPeer = nullptr;
    std::list<ReceivedCommand> receiveQueue;
    std::atomic<uint32_t> ownId{0};
    uint32_t nextJoinNumber = 1;
    NetQueue hostQueue;
    uint32_t hostQueueSequence = 1;
    uint32_t lastProcessed = 0;
    std::atomic<uint8_t> acknowledged{0};
    // The peer id of the current host (1 until a hand-over).
    uint32_t hostId = 1;

    // Heartbeat (main thread).
    int32_t frameCounter = 0;
    uint32_t timingStart = 0;
    uint32_t measuredTime = 0;
    int32_t heartbeatBalance = 0;
    uint8_t monitoring = 0;
    uint8_t unreachableShown = 0;
    uint32_t lastKeepAlive = 0;

    // Chat lines found by the receive thread, shown by the main thread at its next tick.
    std::vector<std::string> pendingChat;
    // Commands received beyond what the queue may hold, and malformed frames seen.
    std::atomic<uint32_t> droppedCommands{0};

    // Limits of the receive queue: how far ahead of the last processed number a client accepts a
    // command, how many commands the queue holds, and how many numbers one walk asks for again.
    static constexpr uint32_t kSequenceWindow = 4096;
    static constexpr size_t kReceiveLimit = 4096;
    // What one station's connection may hold of it on the host.
    static constexpr size_t kReceiveLimitPerPeer = 256;
    // Connections the system holds for the host before they are accepted.
    static constexpr int kListenBacklog = 64;
    static constexpr int kResendRequestsPerWalk = 32;

private:
    friend class TcpLink;
    void ReceiveThread();
    void DropPeer(uint32_t id);
    void DeliverPendingChat();
    void SendDirect(platform::SOCKET socket, uint8_t type, uint32_t value);
    PacketHandler lobbyNotify_;
    PacketHandler roomDispatch_;
};

// The program's session (one for the run), and the side it plays on. Null until a network game
// starts.
extern NetSession* TheNetSession;
NetSession& ProgramNetSession();
