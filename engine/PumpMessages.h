#pragma once

// Dispatches every message waiting in the queue, from inside a long operation, so window procedures
// run nested in the caller. A quit request it meets is left for the main loop. Returns true.
bool PumpMessages();
