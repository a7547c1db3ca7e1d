#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

// Room stream frames and their payload words, for the tests and the fuzz seeds.
namespace netfix {

// A frame: the 16-byte header naming channel, type and sequence, then the payload.
std::vector<uint8_t> Frame(uint8_t channel, uint8_t type, uint32_t sequence,
                           const std::vector<uint8_t>& payload);
std::vector<uint8_t> U32(uint32_t v);
std::vector<uint8_t> OrderPayload(uint32_t a, uint32_t b, uint32_t c);
// The words one after the other, each little-endian.
std::vector<uint8_t> Words(std::initializer_list<uint32_t> words);

} // namespace netfix
