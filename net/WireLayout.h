#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <vector>

// A packed little-endian payload described by its field widths: 1, 2 or 4 bytes for a field, a
// negative width for that many unused bytes (written as 0, never read).
class WireLayout {
public:
    WireLayout(std::initializer_list<int8_t> widths);

    size_t Size() const { return size_; }
    size_t FieldCount() const { return fields_; }
    // The fields in order, or nothing unless the payload has exactly the layout's size.
    std::optional<std::vector<uint32_t>> Read(std::span<const uint8_t> bytes) const;
    // Missing values are written as 0; a value wider than its field keeps its low bytes.
    std::vector<uint8_t> Write(std::initializer_list<uint32_t> values) const;
    std::vector<uint8_t> Write(std::span<const uint32_t> values) const;

private:
    std::vector<int8_t> widths_;
    size_t size_ = 0;
    size_t fields_ = 0;
};
