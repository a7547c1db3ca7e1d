#pragma once

class GameController;

// Test seam: with KARDOL_NET_AUTOPLAY=1 a network battle started from the room is played by the
// computer on every side of every station: each station prints what every city starts with (owner,
// generals, units, strength), and when the battle ends the stage result, the owner of every city,
// the cities' generals and the world digest as its last lines, then closes. Nothing without it.
bool NetworkAutoplayArmed();
// After the network stage start: every side to the computer, and the cities' start.
void NetworkAutoplayStarted(GameController& c);
// When the network battle has ended, before it is torn down.
void NetworkAutoplayEnded(GameController& c);
