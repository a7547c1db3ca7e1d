#include "net/WireLayout.h"

WireLayout::WireLayout(std::initializer_list<int8_t> widths) : widths_(widths) {
    for (int8_t w : widths_) {
        size_ += static_cast<size_t>(w < 0 ? -w : w);
        if (w > 0) ++fields_;
    }
}

std::optional<std::vector<uint32_t>> WireLayout::Read(std::span<const uint8_t> bytes) const {
    if (bytes.size() != size_) return std::nullopt;
    std::vector<uint32_t> values;
    values.reserve(fields_);
    size_t at = 0;
    for (int8_t w : widths_) {
        if (w < 0) {
            at += static_cast<size_t>(-w);
            continue;
        }
        uint32_t v = 0;
        for (int i = 0; i < w; ++i)
            v |= static_cast<uint32_t>(bytes[at + static_cast<size_t>(i)]) << (8 * i);
        values.push_back(v);
        at += static_cast<size_t>(w);
    }
    return values;
}

std::vector<uint8_t> WireLayout::Write(std::initializer_list<uint32_t> values) const {
    return Write(std::span<const uint32_t>(values.begin(), values.size()));
}

std::vector<uint8_t> WireLayout::Write(std::span<const uint32_t> values) const {
    std::vector<uint8_t> out(size_, 0);
    size_t at = 0, field = 0;
    for (int8_t w : widths_) {
        if (w < 0) {
            at += static_cast<size_t>(-w);
            continue;
        }
        const uint32_t v = field < values.size() ? values[field] : 0;
        for (int i = 0; i < w; ++i)
            out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
        ++field;
        at += static_cast<size_t>(w);
    }
    return out;
}
