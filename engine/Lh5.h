#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// Packed block of the archive entries: u32 coded length, u32 unpacked size, u32 method
// (0 = stored, anything else = lh5), then the data.
namespace Lh5 {

constexpr size_t kHeaderSize = 12;
constexpr size_t kMaxUnpackedSize = 64u << 20;

// The code parameters of the lh5 method.
constexpr int DICBIT = 13;
constexpr int MAXMATCH = 256;
constexpr int THRESHOLD = 3;
constexpr int NC = 255 + MAXMATCH + 2 - THRESHOLD; // 510
constexpr int CBIT = 9;
constexpr int NP = DICBIT + 1; // 14
constexpr int NT = 16 + 3;     // 19
constexpr int PBIT = 4;
constexpr int TBIT = 5;

struct PackedHeader {
    uint32_t codedLength = 0;
    uint32_t unpackedSize = 0;
    uint32_t method = 0;
};

// Reads the 12-byte header; false when fewer bytes are there.
bool ReadPackedHeader(const uint8_t* block, size_t available, PackedHeader& out);

// Whether a block of `available` bytes with this header can unpack at all: the size is within the cap
// and stored data is all there.
bool Plausible(const PackedHeader& header, size_t available);

// Unpacks a whole packed block of `available` bytes. Bad tables, distances before the start of the
// output, an unpacked size past the cap, or stored data shorter than claimed give nullopt.
std::optional<std::vector<uint8_t>> Unpack(const uint8_t* block, size_t available);

} // namespace Lh5
