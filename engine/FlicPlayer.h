#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Plays FLI and FLC animations into an 8-bit frame buffer with a 256-entry RGB palette.
class FlicPlayer {
public:
    // Takes the file's bytes; false when it is no FLI/FLC animation of a sane size.
    bool Open(std::span<const uint8_t> bytes);
    bool Open(const char* path);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int FrameCount() const { return frames_; }
    int CurrentFrame() const { return current_; }

    // Decodes the next frame into the frame buffer (after the last, the first again); false when
    // its chunk is not all there or is damaged (the buffer then keeps what was decoded).
    bool NextFrame();
    // Back to before the first frame; the frame buffer keeps its pixels.
    void Rewind();

    const uint8_t* Frame() const { return frame_.data(); }
    const uint8_t* Palette() const { return palette_; } // 256 RGB triples, 8 bits a component
    // Set when a palette chunk changed the colours since the last call.
    bool TakePaletteChanged();

    // A copy of the frame buffer, and putting it back.
    void SaveFrame();
    void RestoreFrame();

    static constexpr int kMaxSide = 4096;

private:
    bool DecodeFrame(std::span<const uint8_t> chunk);
    bool Colours(std::span<const uint8_t> data, int shift);
    bool DeltaFlc(std::span<const uint8_t> data);
    bool DeltaFli(std::span<const uint8_t> data);
    bool ByteRun(std::span<const uint8_t> data);

    std::vector<uint8_t> file_;
    size_t firstFrame_ = 128;
    size_t next_ = 128;
    int width_ = 0;
    int height_ = 0;
    int frames_ = 0;
    int current_ = 0;
    std::vector<uint8_t> frame_;
    std::vector<uint8_t> saved_;
    uint8_t palette_[768] = {};
    bool paletteChanged_ = false;
};
