#include "fuzz/seeds/builders/MediaFixtures.h"

#include "engine/ByteReader.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fixtures {
namespace {

void PutTag(std::vector<uint8_t>& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void Set32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Starts a chunk (or a LIST/RIFF with its type) and returns where its size goes.
size_t Open(std::vector<uint8_t>& out, const char* id, const char* type = nullptr) {
    PutTag(out, id);
    size_t at = out.size();
    Put32(out, 0);
    if (type) PutTag(out, type);
    return at;
}

void Close(std::vector<uint8_t>& out, size_t at) {
    Set32(out, at, static_cast<uint32_t>(out.size() - at - 4));
    if (out.size() & 1) out.push_back(0);
}

} // namespace

std::vector<uint8_t> MakeWave(const WaveShape& s) {
    std::vector<uint8_t> out;
    size_t riff = Open(out, "RIFF", "WAVE");
    if (s.listFirst) {
        size_t list = Open(out, "LIST", "INFO");
        Close(out, list);
    }
    PutTag(out, "fmt ");
    Put32(out, s.fmtSize);
    Put16(out, s.formatTag);
    Put16(out, s.channels);
    Put32(out, s.rate);
    Put32(out, s.rate * s.channels * s.bits / 8);
    Put16(out, s.channels * s.bits / 8);
    Put16(out, s.bits);
    for (uint32_t i = 16; i < s.fmtSize; ++i)
        out.push_back(0);
    if (s.withData) {
        PutTag(out, "data");
        Put32(out, s.declaredDataSize >= 0 ? static_cast<uint32_t>(s.declaredDataSize) : s.dataBytes);
        for (uint32_t i = 0; i < s.dataBytes; ++i)
            out.push_back(static_cast<uint8_t>(i * 7));
        if (out.size() & 1) out.push_back(0);
    }
    Set32(out, riff, static_cast<uint32_t>(out.size() - riff - 4));
    return out;
}

std::vector<uint8_t> MakeSilentMp3(int frames) {
    std::vector<uint8_t> out;
    for (int i = 0; i < frames; ++i) {
        const uint8_t header[4] = {0xFF, 0xFB, 0x90, 0xC0};
        out.insert(out.end(), header, header + 4);
        out.insert(out.end(), 417 - 4, 0); // empty side information and main data decode to silence
    }
    return out;
}

std::vector<uint8_t> MakeAvi(const AviShape& s) {
    const uint32_t bytesPerPixel = s.bits / 8;
    const uint32_t stride = (s.width * bytesPerPixel + 3) & ~3u;
    const uint32_t frameBytes = stride * s.height;
    const uint32_t samplesPerFrame = s.frames ? (s.audioSamples + s.frames - 1) / s.frames : 0;
    std::vector<uint8_t> out;
    size_t riff = Open(out, "RIFF", "AVI ");
    size_t hdrl = Open(out, "LIST", "hdrl");
    size_t avih = Open(out, "avih");
    Put32(out, s.rate ? static_cast<uint32_t>(1000000ull * s.scale / s.rate) : 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0x10); // has index
    Put32(out, s.frames);
    Put32(out, 0);
    Put32(out, s.withAudio ? 2 : 1);
    Put32(out, frameBytes);
    Put32(out, s.width);
    Put32(out, s.height);
    for (int i = 0; i < 4; ++i)
        Put32(out, 0);
    Close(out, avih);

    size_t strl = Open(out, "LIST", "strl");
    size_t strh = Open(out, "strh");
    PutTag(out, "vids");
    Put32(out, 0); // handler: uncompressed
    Put32(out, 0);
    Put16(out, 0);
    Put16(out, 0);
    Put32(out, 0);
    Put32(out, s.scale);
    Put32(out, s.rate);
    Put32(out, 0);
    Put32(out, s.frames);
    Put32(out, s.suggestedBufferSize ? s.suggestedBufferSize : frameBytes);
    Put32(out, 0xFFFFFFFF);
    Put32(out, 0);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<uint16_t>(s.width));
    Put16(out, static_cast<uint16_t>(s.height));
    Close(out, strh);
    size_t strf = Open(out, "strf");
    Put32(out, 40);
    Put32(out, s.width);
    Put32(out, s.height);
    Put16(out, 1);
    Put16(out, s.bits);
    Put32(out, 0); // BI_RGB
    Put32(out, s.sizeImage ? s.sizeImage : frameBytes);
    for (int i = 0; i < 4; ++i)
        Put32(out, 0);
    Close(out, strf);
    Close(out, strl);

    if (s.withAudio) {
        const uint32_t block = 2u * s.audioChannels;
        size_t astrl = Open(out, "LIST", "strl");
        size_t ah = Open(out, "strh");
        PutTag(out, "auds");
        Put32(out, 0);
        Put32(out, 0);
        Put16(out, 0);
        Put16(out, 0);
        Put32(out, 0);
        Put32(out, 1);
        Put32(out, s.audioRate);
        Put32(out, 0);
        Put32(out, s.audioSamples);
        Put32(out, s.audioRate * block);
        Put32(out, 0xFFFFFFFF);
        Put32(out, block);
        for (int i = 0; i < 4; ++i)
            Put16(out, 0);
        Close(out, ah);
        size_t af = Open(out, "strf");
        Put16(out, 1);
        Put16(out, s.audioChannels);
        Put32(out, s.audioRate);
        Put32(out, s.audioRate * block);
        Put16(out, block);
        Put16(out, 16);
        Put16(out, 0);
        Close(out, af);
        Close(out, astrl);
    }
    Close(out, hdrl);

    struct Entry {
        const char* id;
        uint32_t offset, size;
    };
    std::vector<Entry> index;
    size_t movi = Open(out, "LIST", "movi");
    const size_t moviData = movi + 4; // idx1 offsets count from the "movi" tag
    uint32_t audioLeft = s.audioSamples;
    for (uint32_t f = 0; f < s.frames; ++f) {
        size_t chunk = Open(out, "00db");
        index.push_back({"00db", static_cast<uint32_t>(chunk - 4 - moviData), frameBytes});
        for (uint32_t row = 0; row < s.height; ++row) {
            uint32_t y = s.height - 1 - row; // bottom-up
            size_t rowStart = out.size();
            for (uint32_t x = 0; x < s.width; ++x) {
                uint32_t c = s.pixel ? s.pixel(f, x, y) : 0;
                uint8_t r = static_cast<uint8_t>(c >> 16), g = static_cast<uint8_t>(c >> 8),
                        b = static_cast<uint8_t>(c);
                if (s.bits == 24) {
                    out.push_back(b);
                    out.push_back(g);
                    out.push_back(r);
                } else {
                    Put16(out, ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
                }
            }
            while (out.size() - rowStart < stride)
                out.push_back(0);
        }
        Close(out, chunk);
        if (s.withAudio && audioLeft) {
            uint32_t n = std::min(samplesPerFrame, audioLeft);
            audioLeft -= n;
            size_t a = Open(out, "01wb");
            index.push_back({"01wb", static_cast<uint32_t>(a - 4 - moviData), n * 2u * s.audioChannels});
            for (uint32_t i = 0; i < n * s.audioChannels; ++i)
                Put16(out, (i * 300) & 0xFFFF);
            Close(out, a);
        }
    }
    Close(out, movi);
    size_t idx1 = Open(out, "idx1");
    for (const Entry& e : index) {
        PutTag(out, e.id);
        Put32(out, 0x10);
        Put32(out, e.offset);
        Put32(out, e.size);
    }
    Close(out, idx1);
    Set32(out, riff, static_cast<uint32_t>(out.size() - riff - 4));
    return out;
}

} // namespace fixtures
