#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A small lh5 encoder (greedy LZ77 matches, static Huffman blocks) so that tests, fuzz seeds and
// benchmarks make their packed data themselves.
namespace lh5enc {

struct Options {
    size_t maxBlockCodes = 16384; // codes per Huffman block (the format allows 65535)
    bool matches = true;          // false: literals only
};

// Coded bytes only, without the 12-byte packed-block header.
std::vector<uint8_t> Encode(const uint8_t* data, size_t size, const Options& options = {});

// A whole packed block: {u32 coded length, u32 unpacked size, u32 method}, then the data.
std::vector<uint8_t> PackedBlock(const uint8_t* data, size_t size, const Options& options = {});
std::vector<uint8_t> StoredBlock(const uint8_t* data, size_t size);
std::vector<uint8_t> WithHeader(const std::vector<uint8_t>& coded, uint32_t unpackedSize, uint32_t method);

// Writes bits most significant first, as the decoder reads them.
class BitWriter {
public:
    void put(int n, uint32_t value);
    std::vector<uint8_t> finish(); // pads the last byte with zero bits
private:
    std::vector<uint8_t> out_;
    uint32_t acc_ = 0;
    int count_ = 0;
};

// Test data that packs well but not trivially: words, repeats and some noise.
std::vector<uint8_t> SampleText(size_t size, uint32_t seed = 1);

} // namespace lh5enc
