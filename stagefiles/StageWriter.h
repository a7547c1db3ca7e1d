#pragma once

#include "engine/ByteReader.h"

#include <cstddef>
#include <cstdint>

// The writer every stage file goes through: little-endian fields into a buffer that is written
// beside the target and renamed over it, so a failed save never leaves half a file.
class StageWriter {
public:
    void u8(uint8_t v) { out_.u8(v); }
    void u16(uint16_t v) { out_.u16(v); }
    void u32(uint32_t v) { out_.u32(v); }
    void i16(int16_t v) { out_.i16(v); }
    void i32(int32_t v) { out_.i32(v); }
    void Bytes(const void* data, size_t n) { out_.bytes(data, n); }
    void Zeros(size_t n) { out_.zeros(n); }
    // A u32 length, then the block.
    void SizedBlock(const void* data, uint32_t n);

    // True when the whole file is in place.
    bool Save(const char* name) const;

    size_t size() const { return out_.size(); }
    const std::vector<uint8_t>& bytes() const { return out_.buffer(); }
    // For the record writers that take the engine's writer.
    ByteWriter& raw() { return out_; }

private:
    ByteWriter out_;
};
