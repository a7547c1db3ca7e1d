#pragma once

#include <cstdint>

class BattleMap;
struct MapCell;

// Composing one map cell into a 40 x 20 tile (pitch 40): ground, the layer in its owner's
// colours, the editor overlays, and the fog of war from the sight of the cell and its eight
// neighbours. Only the pixels of the diamond are written.

// The owner colour row of an owner byte: 1 (the key colours themselves) below 100.
int32_t OwnerColourRow(uint8_t ownerMark);
// Whether a layer tile carries owner-coloured parts.
bool IsOwnerColouredLayer(uint16_t layerTile);
// The edge shape 0..15 of a neighbour mask (bit i set: neighbour i is there).
uint16_t EdgeShape(uint8_t mask);
// The fog mask of the cell at (x, y): an index into the store's mask set, or -1 for none.
int32_t FogMaskIndex(const BattleMap& map, int32_t x, int32_t y, const MapCell& cell);
// Darkens the diamond pixels by a mask of 400 factors (32 keeps a pixel), for 565 or 555.
void ShadeTile(uint16_t* tile, const int8_t* mask, int32_t layout);

void ComposeTile(const MapCell& cell, uint16_t* tile);
void ComposeShadedTile(const BattleMap& map, int32_t x, int32_t y, const MapCell& cell, uint16_t* tile);
