#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// Field types of a record schema: a signed 32-bit integer, Big5 text of a given number of
// dwords, and the editor grid's float.
constexpr uint32_t kFieldInt = 1;
constexpr uint32_t kFieldText = 2;
constexpr uint32_t kFieldFloat = 3;

struct SchemaField {
    uint32_t type = 0;
    uint32_t offset = 0; // bytes from the start of the block
    uint32_t bytes = 0;
};

// A record class's static schema as its words: block size in dwords, field count, then per
// field its type word, a text type followed by its length in dwords.
class FieldSchema {
public:
    constexpr FieldSchema() = default;
    constexpr explicit FieldSchema(std::span<const uint32_t> words) : words_(words) {}

    uint32_t BlockDwords() const { return words_.size() > 0 ? words_[0] : 0; }
    uint32_t BlockBytes() const { return BlockDwords() * 4; }
    uint32_t FieldCount() const { return words_.size() > 1 ? words_[1] : 0; }
    std::span<const uint32_t> Words() const { return words_; }

    // Calls f(index, field) for each field in block order; stops at a field the words or the
    // block cannot hold, so a malformed schema never names bytes past the block.
    template <class F>
    void ForEach(F&& f) const {
        size_t w = 2;
        uint32_t offset = 0;
        const uint32_t count = FieldCount();
        for (uint32_t i = 0; i < count && w < words_.size(); ++i) {
            SchemaField field{words_[w++], offset, 4};
            if (field.type == kFieldText) {
                if (w >= words_.size()) return;
                field.bytes = words_[w++] * 4;
            }
            if (field.bytes == 0 || field.bytes > BlockBytes() || offset > BlockBytes() - field.bytes) return;
            f(i, field);
            offset += field.bytes;
        }
    }

    // Field i, or a field of type 0 when there is none.
    SchemaField Field(uint32_t index) const {
        SchemaField found;
        ForEach([&](uint32_t i, const SchemaField& f) {
            if (i == index) found = f;
        });
        return found;
    }

private:
    std::span<const uint32_t> words_;
};

// Which fields of a schema are text, and how many dwords each holds; all others are integers.
struct TextColumn {
    uint32_t index;
    uint32_t dwords;
};

// Builds the words of a schema of Fields fields at compile time.
template <uint32_t Fields, size_t Texts>
constexpr std::array<uint32_t, 2 + Fields + Texts>
MakeSchemaWords(uint32_t blockDwords, const std::array<TextColumn, Texts>& texts) {
    std::array<uint32_t, 2 + Fields + Texts> w{};
    w[0] = blockDwords;
    w[1] = Fields;
    size_t k = 2;
    for (uint32_t i = 0; i < Fields; ++i) {
        uint32_t dwords = 0;
        for (const TextColumn& t : texts)
            if (t.index == i) dwords = t.dwords;
        if (dwords) {
            w[k++] = kFieldText;
            w[k++] = dwords;
        } else {
            w[k++] = kFieldInt;
        }
    }
    return w;
}

// The dwords the fields of a schema's words take.
template <size_t N>
constexpr uint32_t SchemaFieldDwords(const std::array<uint32_t, N>& w) {
    uint32_t total = 0;
    for (size_t k = 2; k < N; ++k) {
        if (w[k] == kFieldText) {
            total += w[k + 1];
            ++k;
        } else {
            total += 1;
        }
    }
    return total;
}
