#pragma once

#include "engine/RomImage.h"

#include <cstdint>
#include <memory>
#include <vector>

// Layered pictures from a packed archive: entry 0 is a 768-byte RGB palette, entries 1 to n each
// hold one layer, itself a packed-archive block whose entry 2 holds a 32-bit frame count and frames
// of {16-bit width, 16-bit height, 8-bit colour indexes}.
class PictureSet {
public:
    static constexpr int kLayers = 7;
    static constexpr int kDrawOrder[kLayers] = {4, 0, 3, 5, 2, 1, 6};

    // paletteMode as Zu_Tools::PaletteTo16: 1 for 5-5-5, else 5-6-5. False when the archive or its
    // palette cannot be read; layers that do not parse are kept empty.
    bool Load(const char* path, int paletteMode);

    int GetLayerCount() const { return static_cast<int>(layers.size()); }
    int GetFrameCount(int layer) const;

    // Draws frame `frame` of the layers, in the fixed order without its first and fourth step, at
    // (x, y) of a locked surface of destWidth x destHeight pixels, every pixel doubled both ways.
    // Index 0 is transparent; pixels outside the surface are left out.
    void Draw(int frame, uint8_t* dest, int pitch, int destWidth, int destHeight, int x, int y) const;

private:
    struct Frame {
        int width = 0;
        int height = 0;
        size_t offset = 0; // of the first index byte in `data`
    };
    struct Layer {
        std::vector<uint8_t> data;
        std::vector<Frame> frames;
    };

    static Layer ParseLayer(const std::vector<uint8_t>& block);
    void DrawFrame(const Layer& layer, const Frame& f, uint8_t* dest, int pitch, int destWidth,
                   int destHeight, int x, int y) const;

    std::unique_ptr<uint16_t[]> colours;
    std::vector<Layer> layers;
};
