#pragma once

// The network upkeep of a frame and the end of a TCP session. Without a session they have
// nothing to do.
inline void PollGameCommands() {}
inline void NetSendHeartbeat() {}
inline void NetHeartbeatTick() {}
inline void NetCheckHost() {}
inline void CloseTcpSession() {}
