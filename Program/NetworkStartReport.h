#pragma once

class GameController;

// Test seam: KARDOL_NET_REPORT names a file to which the start of a network game appends one line
// with what every station must share (the shared random state, stage, game type, options, a digest of the
// player slots, the choices), so that the stations of a test can be compared. Nothing without it.
void ReportNetworkStart(const GameController& controller);
