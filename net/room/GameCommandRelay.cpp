#include "net/room/NetSession.h"
#include "net/room/NetSide.h"

#include "platform/Time.h"

#include <algorithm>

using namespace platform;

void NetSession::SendGameCommand(uint8_t code, const uint8_t* payload, size_t length) {
    if (length > netpacket::kMaxPayload) return;
    Lock lock(*this);
    if (hostFlag)
        NetBroadcast(netpacket::kChannelCommand, code, payload, length);
    else
        NetSendToHost(netpacket::kChannelCommand, code, payload, length);
}

void NetSession::EnqueueGameCommand(std::vector<uint8_t> packet, uint8_t code, uint32_t sequence,
                                    SOCKET socket) {
    (void)code;
    Lock lock(*this);
    if (!hostFlag) {
        // Late copies, repeats and numbers far beyond anything sent so far are not kept.
        if (sequence <= lastProcessed || sequence - lastProcessed > kSequenceWindow) {
            ++droppedCommands;
            return;
        }
        for (const ReceivedCommand& c : receiveQueue) {
            if (c.sequence == sequence) {
                ++droppedCommands;
                return;
            }
        }
    }
    if (hostFlag) {
        // Only a joined station plays, and none may fill the queue for the others.
        const NetPeer* from = NetFindPeerBySocket(socket);
        const auto queued = std::count_if(receiveQueue.begin(), receiveQueue.end(),
                                          [socket](const ReceivedCommand& c) { return c.socket == socket; });
        if (!from || size_t(queued) >= kReceiveLimitPerPeer) {
            ++droppedCommands;
            return;
        }
    }
    if (receiveQueue.size() >= kReceiveLimit) {
        ++droppedCommands;
        return;
    }
    auto at = receiveQueue.begin();
    while (at != receiveQueue.end() && at->sequence <= sequence)
        ++at;
    receiveQueue.insert(at, ReceivedCommand{sequence, 0, std::move(packet), socket});
}

void NetSession::RequestMissingCommands() {
    Lock lock(*this);
    uint32_t expected = lastProcessed + 1;
    int requests = 0;
    const uint32_t now = timeGetTime();
    for (auto it = receiveQueue.begin(); it != receiveQueue.end();) {
        if (it->sequence <= expected) {
            it->stamp = now;
            ++expected;
            ++it;
            continue;
        }
        // Every number missing before this entry is asked for once per walk.
        if ((it->stamp == 0 || now - it->stamp > 5000) && requests < kResendRequestsPerWalk) {
            NetSendResendRequest(expected, linkSocket);
            ++requests;
        }
        ++expected;
        if (requests >= kResendRequestsPerWalk && it->sequence > expected) break;
    }
}

void NetSession::DrainGameCommands() {
    Lock lock(*this);
    if (receiveQueue.empty()) return;
    const bool client = !hostFlag;
    if (client) RequestMissingCommands();
    bool processed = false;
    while (!receiveQueue.empty()) {
        ReceivedCommand& head = receiveQueue.front();
        if (client && head.sequence <= lastProcessed) {
            receiveQueue.pop_front();
            continue;
        }
        if (client && head.sequence > lastProcessed + 1) break;
        lastProcessed = head.sequence;
        ReceivedCommand command = std::move(head);
        receiveQueue.pop_front();
        NetPacketView view;
        if (ParseNetPacket(command.packet.data(), command.packet.size(), view))
            GameCommandDispatch(view.payload, view.payloadSize, view.type, command.socket);
        processed = true;
        // A hand-over inside a handler voids what is left.
        if (!hostFlag != client) break;
    }
    if (client && processed) NetSendAck(lastProcessed, linkSocket);
}

void NetSession::PollGameCommands() {
    NetHostTick();
    DrainGameCommands();
}

void NetSession::GameCommandDispatch(const uint8_t* payload, size_t size, uint8_t code, SOCKET socket) {
    Lock lock(*this);
    const bool fromClient = hostFlag != 0;
    if (!commands.Accepts(code, size, fromClient)) {
        ++droppedCommands;
        return;
    }
    uint32_t sender = 0;
    if (fromClient) {
        NetPeer* peer = NetFindPeerBySocket(socket);
        if (!peer) return; // not a player of this room
        sender = peer->id;
    } else {
        sender = hostId;
    }
    GameCommandContext context{*this, code, payload, size, fromClient, sender, {}};
    const CommandOutcome outcome = commands.Find(code)->handler(context);
    if (outcome == CommandOutcome::Drop) ++droppedCommands;
    if (outcome != CommandOutcome::Relay || !hostFlag) return;
    if (context.relayPayload.empty())
        SendGameCommand(code, payload, size);
    else
        SendGameCommand(code, context.relayPayload.data(), context.relayPayload.size());
}

void NetSession::EnterGameCommand(uint8_t code, const uint8_t* payload, size_t length,
                                  const std::function<void()>& apply) {
    const bool networked = side.Networked();
    if (!networked || hostFlag) apply();
    if (networked) SendGameCommand(code, payload, length);
}
