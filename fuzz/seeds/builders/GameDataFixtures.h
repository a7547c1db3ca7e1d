#pragma once

// Writers of the game's data tables, for the tests and the fuzz seeds.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace gamedata {

inline void U32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// One record block of `size` bytes with named int fields and a name at offset 0.
struct Row {
    std::vector<uint8_t> bytes;
    explicit Row(uint32_t size, const char* name = "") : bytes(size, 0) {
        std::memcpy(bytes.data(), name, std::min<size_t>(std::strlen(name), size));
    }
    Row& Set(uint32_t offset, int32_t value) {
        for (int i = 0; i < 4 && offset + i < bytes.size(); ++i)
            bytes[offset + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
        return *this;
    }
};

// u32 N, u32 S, then each row cut or padded to S bytes.
inline std::vector<uint8_t> IniBytes(uint32_t size, const std::vector<Row>& rows) {
    std::vector<uint8_t> out;
    U32(out, static_cast<uint32_t>(rows.size()));
    U32(out, size);
    for (const Row& r : rows)
        for (uint32_t i = 0; i < size; ++i)
            out.push_back(i < r.bytes.size() ? r.bytes[i] : 0);
    return out;
}

// One footprint entry: w, h and the arrays the file carries (values from `seed` upwards); w = 0
// is an empty entry.
struct Pattern {
    uint32_t w = 0, h = 0;
    uint16_t seed = 1;
};

// The layouts: building = tiles + profile, farm = tiles + mask, the others profile + mask.
enum class CodeKind { Building, Farm, Other };

inline std::vector<uint8_t> CodeBytes(CodeKind kind, const std::vector<Pattern>& entries) {
    std::vector<uint8_t> out;
    U32(out, static_cast<uint32_t>(entries.size()));
    for (const Pattern& p : entries) {
        U32(out, p.w);
        if (p.w == 0) continue;
        U32(out, p.h);
        const uint32_t cells = p.w * p.h, profile = 2 * p.w - 1;
        auto words = [&](uint32_t n, uint16_t base) {
            for (uint32_t i = 0; i < n; ++i)
                U32(out, base + i);
        };
        auto bytes = [&](uint32_t n) {
            for (uint32_t i = 0; i < n; ++i)
                out.push_back(static_cast<uint8_t>(p.seed + i));
        };
        if (kind != CodeKind::Other) words(cells, p.seed);
        if (kind != CodeKind::Farm) words(profile, static_cast<uint16_t>(p.seed + 100));
        if (kind != CodeKind::Building) bytes(cells);
    }
    return out;
}

} // namespace gamedata
