#include "net/room/NetSession.h"
#include "net/room/NetSide.h"
#include "net/room/NetTexts.h"

#include "engine/ByteReader.h"
#include "platform/Time.h"

#include <algorithm>
#include <string>

using namespace platform;

namespace {
constexpr uint8_t kHeartbeat = 64;
constexpr uint8_t kTimeReport = 65;
constexpr uint8_t kKeepAlive = 66;
} // namespace

void NetSession::RunFrameHooks() {
    PollGameCommands();
    if (hostFlag)
        NetSendHeartbeat();
    else
        NetHeartbeatTick();
    NetCheckHost();
}

void NetSession::NetCheckHost() {
    if (monitoring) NetHostLossCheck();
    if (frameCounter < 0) return;
    if (frameCounter == 0) timingStart = timeGetTime();
    ++frameCounter;
    if (monitoring) {
        if (frameCounter == 101) {
            frameCounter = 0;
            if (heartbeatBalance >= 6 || (heartbeatBalance <= -6 && heartbeatBalance >= -89))
                heartbeatBalance = 0;
        }
        return;
    }
    if (frameCounter == 200) {
        // 0 means "not reported": a timing too quick to measure still counts as reported.
        measuredTime = std::max<uint32_t>(timeGetTime() - timingStart, 1);
        frameCounter = -1;
        if (hostFlag)
            NetStartMonitoring(ownId, measuredTime);
        else
            NetReportFrameTime();
    }
}

void NetSession::NetStartMonitoring(uint32_t id, uint32_t time) {
    Lock lock(*this);
    NetPeer* peer = NetFindPeer(id == 0 ? ownId.load() : id);
    if (!peer) return;
    peer->frameTime = time;
    uint32_t largest = 0;
    for (const NetPeer& p : peers) {
        if (p.frameTime == 0) return;
        if (p.frameTime > largest) largest = p.frameTime;
    }
    ByteWriter w;
    w.u32(ownId);
    w.u32(largest);
    SendGameCommand(kTimeReport, w.buffer().data(), w.size());
    heartbeatBalance = 0;
    monitoring = 1;
}

void NetSession::NetReportFrameTime() {
    ByteWriter w;
    w.u32(ownId);
    w.u32(measuredTime);
    SendGameCommand(kTimeReport, w.buffer().data(), w.size());
}

void NetSession::NetSendHeartbeat() {
    if (monitoring) SendGameCommand(kHeartbeat, nullptr, 0);
}

void NetSession::NetHeartbeatTick() {
    if (monitoring) --heartbeatBalance;
    const uint32_t now = timeGetTime();
    if (lastKeepAlive == 0) {
        lastKeepAlive = now ? now : 1;
        return;
    }
    if (now - lastKeepAlive > 5000) {
        ByteWriter w;
        w.u32(ownId);
        SendGameCommand(kKeepAlive, w.buffer().data(), w.size());
        lastKeepAlive = now ? now : 1;
    }
}

void NetSession::NetHostLossCheck() {
    if (hostFlag || frameCounter != 100) return;
    if (heartbeatBalance < -90 && heartbeatBalance >= -179) {
        if (!unreachableShown && side.MainPanelExists()) {
            side.AddChatLine((std::string(nettext::kPublic) + nettext::kHostUnreachable).c_str(),
                             nettext::kSystemColour);
            unreachableShown = 1;
        }
    } else if (heartbeatBalance < -360) {
        std::string name;
        NetElectHost(name);
        if (side.MainPanelExists()) {
            const std::string line =
                std::string(nettext::kPublic) + nettext::kHostGone + name + nettext::kBecameHost;
            side.AddChatLine(line.c_str(), nettext::kSystemColour);
        }
        heartbeatBalance = 0;
        unreachableShown = 0;
    }
}

void NetSession::NetCmdAdvanceDay() {
    const bool networked = side.Networked();
    if (networked && !hostFlag) return; // clients follow the host's command
    side.AdvanceDay();
    if (networked) SendGameCommand(80, nullptr, 0);
}

void RegisterRelayControlCommands(GameCommandTable& table) {
    // 64: the host's heartbeat.
    table.Register(kHeartbeat,
                   GameCommandRule{0, 0, false, [](GameCommandContext& c) {
                                       NetSession& s = c.session;
                                       if (s.unreachableShown) {
                                           s.unreachableShown = 0;
                                           s.heartbeatBalance = 0;
                                           if (s.side.MainPanelExists()) {
                                               const std::string line =
                                                   std::string(nettext::kPublic) + nettext::kHostBack;
                                               s.side.AddChatLine(line.c_str(), nettext::kSystemColour);
                                           }
                                       }
                                       ++s.heartbeatBalance;
                                       return CommandOutcome::Applied;
                                   }});
    // 65: a station's time for its first 200 frames; from the host, the start of monitoring.
    table.Register(kTimeReport, GameCommandRule{8, 8, true, [](GameCommandContext& c) {
                                                    NetSession& s = c.session;
                                                    ByteReader r(c.payload, c.size);
                                                    r.u32(); // the id named in it: the sender is known
                                                    const uint32_t time = r.u32();
                                                    if (s.hostFlag) {
                                                        if (time == 0) return CommandOutcome::Drop;
                                                        s.NetStartMonitoring(c.senderId, time);
                                                    } else {
                                                        s.heartbeatBalance = 0;
                                                        s.monitoring = 1;
                                                        s.frameCounter = 0;
                                                    }
                                                    return CommandOutcome::Applied;
                                                }});
    // 66: a client's keep-alive.
    table.Register(kKeepAlive, GameCommandRule{4, 4, true, [](GameCommandContext& c) {
                                                   NetSession& s = c.session;
                                                   if (!s.hostFlag) return CommandOutcome::Drop;
                                                   if (NetPeer* peer = s.NetFindPeer(c.senderId)) {
                                                       const uint32_t now = timeGetTime();
                                                       peer->lastHeard = now ? now : 1;
                                                   }
                                                   return CommandOutcome::Applied;
                                               }});
    // 80: a day passes.
    table.Register(80, GameCommandRule{0, 0, false, [](GameCommandContext& c) {
                                           c.session.side.AdvanceDay();
                                           return CommandOutcome::Applied;
                                       }});
}
