#pragma once

#include "net/LobbyEndpoints.h"
#include "platform/UdpSocket.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <string>
#include <vector>

class Zu_FrameClock;

// The lobby's reliable datagram link: to a lobby server (role 1, unicast) or to the other games
// of the local network (the group). Every queued datagram is numbered and sent again every
// 5000 ms until acknowledged; what arrives is acknowledged and kept in the receive list, which
// the session control drains once per frame. Main thread only.
class MultiCast {
public:
    // A datagram taken from a socket: who sent it, its bytes, and whether the reply socket got it.
    struct Received {
        platform::SocketAddress sender;
        std::vector<uint8_t> bytes;
        int fromReplySocket = 0;
    };

    // Sends of one datagram before it is given up (its receiver is gone).
    static constexpr int kMaxSends = 12;
    static constexpr uint32_t kResendMs = 5000;

    MultiCast();
    ~MultiCast();
    MultiCast(const MultiCast&) = delete;
    MultiCast& operator=(const MultiCast&) = delete;

    // mode 0 sends (and hears replies), other modes listen; role 1 is the lobby-server role.
    int Create(int mode, int role);
    int Close();
    int Send(const uint8_t* datagram, int flags);
    int SendTo(const uint8_t* datagram, const platform::SocketAddress& to, int flags);
    // Sends a ping (kind 4) that names a record of the caller by id; its answer is reported.
    int SendPing(uint32_t listSelector, uint32_t recordId, const platform::SocketAddress& to);
    void SendAck(bool onReplySocket, const platform::SocketAddress& to, uint32_t sequence);
    // One datagram as it arrived from `from`: an acknowledgement is taken, anything else is
    // acknowledged when asked and queued once; what is not a whole known datagram is dropped.
    void TakeDatagram(const platform::SocketAddress& from, const uint8_t* bytes, size_t size, bool isReply);
    int SendStep();
    int Receive();
    // marker -1 clears the queue; otherwise every queued datagram with that marker and kind goes.
    void RemoveQueued(int marker, int kind);
    // Sets the reply address (port: the reply port) that answers of a listening room host go to.
    void OpenReplyTo(uint32_t address);
    void ReportError(int code, int line);

    bool IsOpen() const { return main.IsOpen(); }
    size_t QueuedCount() const { return sendQueue.size(); }
    // Ids of the records whose pings still wait for an answer; the pings are dropped.
    std::vector<uint32_t> TakeUnansweredPings(uint32_t listSelector);

    uint8_t mode = 0;
    uint8_t role = 0;
    std::deque<Received> receiveList;
    platform::UdpSocket main;
    uint32_t sequence = 0;
    int lastError = 0;
    platform::UdpSocket reply;
    platform::SocketAddress defaultDestination;
    platform::SocketAddress replyAddress;

    // Where to bind and send; the lobby server's host text for role 1.
    LobbyEndpoints endpoints = LobbyEndpoints::FromEnvironment();
    std::string lobbyHost;
    // The session control's clock; without one the millisecond timer.
    const Zu_FrameClock* clock = nullptr;
    // A ping was answered: list selector, record id, round-trip step (0..8).
    std::function<void(uint32_t, uint32_t, uint8_t)> pingAnswered;

private:
    struct Entry {
        bool onReplySocket = false;
        platform::SocketAddress destination;
        uint32_t lastSend = 0;
        std::vector<uint8_t> datagram;
        uint8_t flags = 0;
        int sends = 0;
        // Pings: the list and the record they stand for.
        uint32_t pingList = 0;
        uint32_t pingRecord = 0;
    };
    struct SenderWindow {
        platform::SocketAddress sender;
        std::deque<uint32_t> recent;
    };

    uint32_t Now() const;
    int Queue(bool onReplySocket, const uint8_t* datagram, const platform::SocketAddress& to, int flags,
              uint32_t pingList = 0, uint32_t pingRecord = 0);
    int OpenSender();
    int OpenReceiver();
    int OpenReplySocket();
    void OnAck(const platform::SocketAddress& from, uint32_t sequence);
    bool SeenBefore(const platform::SocketAddress& from, uint32_t sequence);
    int ReceiveOn(platform::UdpSocket& socket, bool isReply);
    bool IsGroup(const platform::SocketAddress& a) const;

    std::list<Entry> sendQueue;
    std::list<SenderWindow> senders;
    std::vector<uint8_t> buffer;
};
