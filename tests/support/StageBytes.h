#pragma once

// Builds the bytes of a stage file in a test: little-endian fields, tags, sized blocks, and
// fields patched into bytes already written.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

namespace testsupport {

class StageBytes {
public:
    StageBytes() = default;
    explicit StageBytes(std::vector<uint8_t> bytes) : b_(std::move(bytes)) {}

    StageBytes& u8(uint8_t v) {
        b_.push_back(v);
        return *this;
    }
    StageBytes& u16(uint16_t v) { return u8(uint8_t(v)).u8(uint8_t(v >> 8)); }
    StageBytes& u32(uint32_t v) { return u16(uint16_t(v)).u16(uint16_t(v >> 16)); }
    StageBytes& i32(int32_t v) { return u32(uint32_t(v)); }
    StageBytes& words(std::initializer_list<uint32_t> ws) {
        for (uint32_t w : ws)
            u32(w);
        return *this;
    }
    StageBytes& zeros(size_t n) {
        b_.insert(b_.end(), n, 0);
        return *this;
    }
    StageBytes& bytes(const std::vector<uint8_t>& more) {
        b_.insert(b_.end(), more.begin(), more.end());
        return *this;
    }
    // The 12-byte tag of a companion file, exactly as given (no terminator).
    StageBytes& tag(std::string_view text) {
        b_.insert(b_.end(), text.begin(), text.end());
        return *this;
    }
    // A u32 length, then the block.
    StageBytes& sized(const std::vector<uint8_t>& block) { return u32(uint32_t(block.size())).bytes(block); }

    // Overwrites a field already written.
    StageBytes& put(size_t at, uint32_t v, int width) {
        for (int i = 0; i < width; ++i)
            b_.at(at + size_t(i)) = uint8_t(v >> (8 * i));
        return *this;
    }

    size_t size() const { return b_.size(); }
    const std::vector<uint8_t>& data() const { return b_; }
    operator const std::vector<uint8_t>&() const { return b_; }
    operator std::span<const uint8_t>() const { return b_; }

    // A field of bytes, read back little-endian.
    static uint32_t Field(const std::vector<uint8_t>& b, size_t at, int width) {
        uint32_t v = 0;
        for (int i = 0; i < width; ++i)
            v |= uint32_t(b.at(at + size_t(i))) << (8 * i);
        return v;
    }

private:
    std::vector<uint8_t> b_;
};

} // namespace testsupport
