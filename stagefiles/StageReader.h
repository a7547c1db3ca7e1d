#pragma once

#include "engine/ByteReader.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// How a stage file set is read: a stage that starts fresh (indices renumbered, progress reset,
// officers rebuilt from their templates) or a saved game restored as it was.
enum class StageLoadMode { Fresh, Restore };

// The load mode the game controller asks for now: a restore only while a save slot is read.
StageLoadMode CurrentStageLoadMode();

// The reader every stage file goes through: little-endian fields over the bytes of a whole file.
// A short read is an error that sticks; a stored size larger than the buffer reads what fits and
// skips the rest; a count is refused when the bytes left cannot hold that many entries.
class StageReader {
public:
    StageReader(std::span<const uint8_t> bytes, StageLoadMode mode) : in_(bytes), mode_(mode) {}

    // The bytes of a stage file, none when it cannot be opened.
    static std::optional<std::vector<uint8_t>> ReadFile(const char* name);

    bool ok() const { return in_.ok(); }
    bool fresh() const { return mode_ == StageLoadMode::Fresh; }
    StageLoadMode mode() const { return mode_; }
    size_t remaining() const { return in_.remaining(); }
    size_t pos() const { return in_.pos(); }
    // Marks the file damaged; every later read fails.
    void Fail();

    uint8_t u8() { return in_.u8(); }
    uint16_t u16() { return in_.u16(); }
    uint32_t u32() { return in_.u32(); }
    int16_t i16() { return in_.i16(); }
    int32_t i32() { return in_.i32(); }
    bool Bytes(void* out, size_t n) { return in_.bytes(out, n); }
    bool Skip(size_t n) { return in_.skip(n); }

    // `stored` bytes of the file into a zero-filled buffer of `capacity`: what fits is kept, the
    // rest skipped.
    bool Block(void* buffer, size_t capacity, uint32_t stored);
    // A u32 length, then that block.
    bool SizedBlock(void* buffer, size_t capacity);
    // A signed 32-bit count; refused when negative or when the bytes left cannot hold that many
    // entries of at least minEntryBytes each.
    bool Count(int32_t& count, size_t minEntryBytes);

    // The home city rule of the unit records of this file: 5 (the current soldier-file layout)
    // takes the 16-bit id, any other version the older byte. Set per file, never carried over.
    int32_t unitVersion = 5;

    // For the record readers that take the engine's reader.
    ByteReader& raw() { return in_; }

private:
    ByteReader in_;
    StageLoadMode mode_;
};
