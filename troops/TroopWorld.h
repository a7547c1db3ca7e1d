#pragma once

#include <cstdint>

class City;
class Kingdom;
class LinkList;

// What a troop looks up in the running battle. Indexes come from files and peers: anything outside
// a table is no entry.
Kingdom* TroopKingdom(int32_t owner);
// The player's kingdom index (0 without a stage).
int32_t PlayerKingdom();
// The kingdom's relation toward another index (1 allied, 3 war); 0 without the kingdom.
int32_t KingdomRelation(int32_t from, int32_t to);
bool GameNetworked();
// Single play, or this station is the host: decisions are made here.
bool DecidesHere();
// The stage's kingdom list, or null.
LinkList* StageKingdoms();
