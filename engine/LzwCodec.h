#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// The codec object: run-length packing of animation frames, plus a bit stream with an LZW coder and a
// small sliding-window coder. Every result is a new buffer owned by the caller; "none" is nullopt.
// This header depends on nothing else in the engine: the update client compiles the run-length half
// in alone.
class Zu_LzwCodec {
public:
    using Buffer = std::vector<uint8_t>;

    // Nothing decoded from a file may claim more than this many bytes.
    static constexpr size_t kMaxUnpackedSize = 64u << 20;

    Zu_LzwCodec();
    ~Zu_LzwCodec();
    Zu_LzwCodec(const Zu_LzwCodec&) = delete;
    Zu_LzwCodec& operator=(const Zu_LzwCodec&) = delete;

    // Run-length block: u32 unpacked size, u32 packed length, codes. `available` is the number of
    // bytes the caller really has at `block`.
    static std::optional<Buffer> UnpackRle(const uint8_t* block, size_t available);
    static std::optional<Buffer> PackRle(const uint8_t* data, size_t length);

    // Bit stream, most significant bit first.
    void BeginRead(const uint8_t* input, size_t length);
    int ReadBits(int n); // -1 once the input is used up
    void BeginWrite(size_t capacity);
    bool WriteBits(int n, uint32_t value); // false once the output is full
    size_t WrittenBytes() const { return static_cast<size_t>(writePos + 1); }

    // LZW block: u32 unpacked size, u32 packed length, 11-bit codes.
    std::optional<Buffer> PackLzw(const uint8_t* data, size_t length);
    std::optional<Buffer> UnpackLzw(const uint8_t* block, size_t available);

    // Sliding-window stream over a 512-byte ring: u32 unpacked size, then flagged items.
    std::optional<Buffer> PackWindow(const uint8_t* data, size_t length);
    std::optional<Buffer> UnpackWindow(const uint8_t* block, size_t available);

private:
    void Reset();
    Buffer TakeOutput();

    long readPos = -1;
    long writePos = -1;
    size_t inputLength = 0;
    size_t outputCapacity = 0;
    const uint8_t* input = nullptr;
    Buffer output;
    int bitsLeft = 0;
    int bitsUsed = 8;
};
