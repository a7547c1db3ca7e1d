#include "engine/PictureSet.h"

#include "engine/Archive.h"
#include "engine/ByteReader.h"
#include "engine/Tools.h"

#include <cstring>

namespace {
constexpr size_t kPaletteBytes = 768;
constexpr int kFramesEntry = 2;
} // namespace

PictureSet::Layer PictureSet::ParseLayer(const std::vector<uint8_t>& block) {
    Layer layer;
    RomImage image;
    if (!image.Attach(block)) return layer;
    auto frames = image.CopyEntry(kFramesEntry, 1);
    if (!frames) return layer;
    layer.data = std::move(*frames);
    ByteReader r(layer.data.data(), layer.data.size());
    const uint32_t count = r.u32();
    for (uint32_t i = 0; i < count && r.ok(); ++i) {
        Frame f;
        f.width = r.u16();
        f.height = r.u16();
        f.offset = r.pos();
        if (!r.ok() || !r.skip(static_cast<size_t>(f.width) * static_cast<size_t>(f.height))) break;
        layer.frames.push_back(f);
    }
    return layer;
}

bool PictureSet::Load(const char* path, int paletteMode) {
    colours.reset();
    layers.clear();
    Zu_Archive archive;
    if (!archive.Open(path, platform::OF_READ, platform::OF_SHARE_DENY_NONE, 0, -1, nullptr)) return false;
    const auto palette = archive.ReadEntry(0, 1);
    if (!palette || palette->size() < kPaletteBytes) return false;
    colours = Zu_Tools::PaletteTo16(palette->data(), paletteMode);
    if (!colours) return false;
    for (int i = 1; i < archive.GetCount(); ++i) {
        const auto block = archive.ReadEntry(i, 1);
        layers.push_back(block ? ParseLayer(*block) : Layer{});
    }
    return true;
}

int PictureSet::GetFrameCount(int layer) const {
    if (layer < 0 || layer >= GetLayerCount()) return 0;
    return static_cast<int>(layers[static_cast<size_t>(layer)].frames.size());
}

void PictureSet::DrawFrame(const Layer& layer, const Frame& f, uint8_t* dest, int pitch, int destWidth,
                           int destHeight, int x, int y) const {
    for (int sy = 0; sy < f.height; ++sy) {
        const uint8_t* src =
            layer.data.data() + f.offset + static_cast<size_t>(sy) * static_cast<size_t>(f.width);
        for (int dy = 0; dy < 2; ++dy) {
            const int ty = y + 2 * sy + dy;
            if (ty < 0 || ty >= destHeight) continue;
            uint8_t* row = dest + static_cast<ptrdiff_t>(ty) * pitch;
            for (int sx = 0; sx < f.width; ++sx) {
                if (src[sx] == 0) continue;
                const uint16_t c = colours[src[sx]];
                for (int dx = 0; dx < 2; ++dx) {
                    const int tx = x + 2 * sx + dx;
                    if (tx >= 0 && tx < destWidth) std::memcpy(row + 2 * tx, &c, 2);
                }
            }
        }
    }
}

void PictureSet::Draw(int frame, uint8_t* dest, int pitch, int destWidth, int destHeight, int x,
                      int y) const {
    if (!dest || !colours || frame < 0) return;
    for (int step = 0; step < kLayers; ++step) {
        if (step == 0 || step == 3) continue; // layers 4 and 5 are not drawn
        const int layer = kDrawOrder[step];
        if (layer >= GetLayerCount()) continue;
        const Layer& l = layers[static_cast<size_t>(layer)];
        if (static_cast<size_t>(frame) >= l.frames.size()) continue;
        DrawFrame(l, l.frames[static_cast<size_t>(frame)], dest, pitch, destWidth, destHeight, x, y);
    }
}
