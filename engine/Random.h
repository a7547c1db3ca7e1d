#pragma once

#include <cstdint>

// The game's three random generators.
//  Random: reproducible; callers write RandomSeed and RandomMultiplier before a sequence.
//  SyncRandom: the generator every peer of a network game steps alike; its state is the game
//    controller's syncRandom.
//  GameRandom: the general draw; in a network game it steps the synchronised state, otherwise it
//    draws from the runtime generator.

extern uint32_t RandomSeed;       // 78654 at program start
extern uint32_t RandomMultiplier; // 24681 at program start

// 0..n-1; n below 2 gives 0 and leaves the seed alone.
uint32_t Random(int32_t n);

// 0..n-1 from the synchronised state; n below 2 gives 0 and leaves the state alone.
uint32_t SyncRandom(int32_t n, uint32_t multiplier);
uint32_t SyncRandom(uint32_t& state, int32_t n, uint32_t multiplier);

// A non-negative value. Networked, the state steps bit for bit as every peer steps it.
int32_t GameRandom();
int32_t GameRandom(uint32_t& state, bool networked);

// The game controller binds its synchronised state and its network flag here when it is made (and
// binds nulls when it goes). Unbound, the generators use a state of their own and play alone.
void BindSyncRandom(uint32_t* state, const uint8_t* networked);
