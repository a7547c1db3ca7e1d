#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

// Little-endian field readers over a byte range. A read past the end fails and leaves the
// reader in a failed state instead of touching bytes it does not have.
class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(size) {}
    explicit ByteReader(std::span<const uint8_t> bytes) : data_(bytes.data()), size_(bytes.size()) {}

    size_t size() const { return size_; }
    size_t pos() const { return pos_; }
    size_t remaining() const { return pos_ <= size_ ? size_ - pos_ : 0; }
    bool ok() const { return ok_; }
    const uint8_t* data() const { return data_; }
    const uint8_t* here() const { return data_ + pos_; }

    bool seek(size_t pos) {
        if (pos > size_) return fail();
        pos_ = pos;
        return true;
    }
    bool skip(size_t n) {
        if (n > remaining()) return fail();
        pos_ += n;
        return true;
    }
    bool has(size_t n) const { return ok_ && n <= remaining(); }

    uint8_t u8() {
        uint8_t v = 0;
        bytes(&v, 1);
        return v;
    }
    uint16_t u16() {
        uint8_t b[2] = {};
        bytes(b, 2);
        return static_cast<uint16_t>(b[0] | (b[1] << 8));
    }
    uint32_t u32() {
        uint8_t b[4] = {};
        bytes(b, 4);
        return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
               (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
    }
    int16_t i16() { return static_cast<int16_t>(u16()); }
    int32_t i32() { return static_cast<int32_t>(u32()); }

    // Copies n bytes out; on a short read copies nothing, zero-fills the output and fails.
    bool bytes(void* out, size_t n) {
        if (!has(n)) {
            if (n) std::memset(out, 0, n);
            return fail();
        }
        if (n) std::memcpy(out, data_ + pos_, n);
        pos_ += n;
        return true;
    }

private:
    bool fail() {
        ok_ = false;
        return false;
    }

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t pos_ = 0;
    bool ok_ = true;
};

// Little-endian field writer into a growing buffer.
class ByteWriter {
public:
    void u8(uint8_t v) { buf_.push_back(v); }
    void u16(uint16_t v) {
        u8(static_cast<uint8_t>(v));
        u8(static_cast<uint8_t>(v >> 8));
    }
    void u32(uint32_t v) {
        u16(static_cast<uint16_t>(v));
        u16(static_cast<uint16_t>(v >> 16));
    }
    void i16(int16_t v) { u16(static_cast<uint16_t>(v)); }
    void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
    void bytes(const void* data, size_t n) {
        const auto* p = static_cast<const uint8_t*>(data);
        buf_.insert(buf_.end(), p, p + n);
    }
    void zeros(size_t n) { buf_.insert(buf_.end(), n, 0); }
    // Overwrites a 32-bit field already written (sizes and offsets known only later).
    void patchU32(size_t at, uint32_t v) {
        for (int i = 0; i < 4 && at + i < buf_.size(); ++i)
            buf_[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }
    size_t size() const { return buf_.size(); }
    const std::vector<uint8_t>& buffer() const { return buf_; }
    std::vector<uint8_t>& buffer() { return buf_; }

private:
    std::vector<uint8_t> buf_;
};
