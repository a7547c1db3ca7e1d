#pragma once

#include <cstdint>

// The program's network upkeep: what the game controller runs each frame of a networked game, the
// end of the TCP session, and the day command of the calendar. Without a session the frame hooks
// have nothing to do.
void PollGameCommands();
void NetSendHeartbeat();
void NetHeartbeatTick();
void NetCheckHost();
void CloseTcpSession();
// The queue-flush flag: set while a TCP session runs, so that the front end flushes the peers'
// queues each frame (NetHostTick).
int NetQueueFlushFlag();
void NetHostTick();
// The four above in their order, with the session's own host role choosing the heartbeat side.
void RunNetworkFrameHooks();
// The calendar's day ends: applied here in single play or on the host (which also sends code 80);
// a client waits for the host's command.
void NetCmdAdvanceDay();
