#pragma once

#include <cstdint>

class City;

// The campaign's camp: a city of the player's side that holds the soldiers carried over from the
// last stage and the campaign's new ones, the player's generals and a merchant. It exists while
// the preparation window is open.

// Builds the camp, selects it and opens the preparation window.
void CreatePlayerCity();
// Saves the camp for the next stage, dissolves it and puts the generals who must appear on the
// battle map with their soldiers; the generals left out leave the map.
void RemovePlayerCity();

// The campaign profile of the current campaign number (the age table's block), read field by
// field; zero for a number without a profile.
namespace campaignprofile {
int32_t StartingGold();
int32_t SoldierCount(int32_t soldierId); // 415..431
int32_t ItemGroupLevel(int group);       // 0..2
int32_t ItemGroupCount(int group);
int32_t FixedItem(int entry); // 0..1
int32_t FixedItemCount(int entry);
// The officers the battle needs; 99 means every general of the camp.
int32_t OfficerQuota();
// The age text at that byte offset, cut at the field's width.
const char* Text(uint32_t offset, uint32_t width, char (&buffer)[36]);
} // namespace campaignprofile

// The camp while it exists, else null.
City* PlayerCamp();
