#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Whole-file reads for the loaders: each format is then parsed from memory, so every size and
// offset is checked against the bytes the file really has.

// Files larger than this are refused: no data file of the game comes near it.
constexpr size_t kMaxGameFileSize = size_t{256} << 20;

// The whole file through the game's file layer; false when it is missing, unreadable or too large.
bool ReadGameFile(const char* name, std::vector<uint8_t>& out);
