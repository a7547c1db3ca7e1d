#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fixtures {

struct WaveShape {
    uint16_t formatTag = 1;
    uint16_t channels = 1;
    uint32_t rate = 8000;
    uint16_t bits = 16;
    uint32_t fmtSize = 18;         // 16 for the plain PCM format chunk
    bool listFirst = false;        // a "LIST" chunk ahead of the format chunk
    uint32_t dataBytes = 64;       // sample bytes actually written
    int64_t declaredDataSize = -1; // the "data" size field when it should lie
    bool withData = true;
};

std::vector<uint8_t> MakeWave(const WaveShape& shape);

// MPEG-1 layer III frames of silence (mono, 44.1 kHz, 128 kbit/s; 1152 samples each).
std::vector<uint8_t> MakeSilentMp3(int frames);

struct AviShape {
    uint32_t width = 8;
    uint32_t height = 8;
    uint32_t frames = 4;
    uint32_t rate = 10; // frames per second = rate / scale
    uint32_t scale = 1;
    uint16_t bits = 24;               // 24 (BGR) or 16 (5-5-5)
    uint32_t suggestedBufferSize = 0; // 0: one frame's bytes
    uint32_t sizeImage = 0;           // the format's image size; 0: one frame's bytes
    // Top-down pixels of frame f at (x, y) as 0xRRGGBB.
    uint32_t (*pixel)(uint32_t f, uint32_t x, uint32_t y) = nullptr;
    bool withAudio = false;
    uint32_t audioRate = 8000;
    uint16_t audioChannels = 1;
    uint32_t audioSamples = 800;
};

// An AVI with uncompressed bottom-up frames ("00db") and optional 16-bit PCM ("01wb"), with idx1.
std::vector<uint8_t> MakeAvi(const AviShape& shape);

} // namespace fixtures
