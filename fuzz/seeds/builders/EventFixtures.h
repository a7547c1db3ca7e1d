#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Writers of ".evt" event files, for the tests and the fuzz seeds.
namespace eventfix {

void PutU32(std::vector<uint8_t>& b, uint32_t v);
// A block of `bytes` bytes whose word w holds base + w, with a name in the first 20 bytes.
std::vector<uint8_t> Block(uint32_t bytes, uint32_t base, const char* name);
// An event record of `length` bytes and its steps.
void PutEvent(std::vector<uint8_t>& f, uint32_t length, const std::vector<std::vector<uint8_t>>& steps,
              uint32_t base);
// Two events: one without steps, one with three (the last step's unnamed word set).
std::vector<uint8_t> TwoEvents();

} // namespace eventfix
