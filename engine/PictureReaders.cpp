#include "engine/PictureReaders.h"

#include "engine/ByteReader.h"
#include "platform/Surface.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t kMaxSurfaceSide = 32767; // picture records keep their sides in 16 bits
constexpr uint64_t kMaxPsdPixels = uint64_t{1} << 24;
constexpr int kPsdPlanesUsed = 4;

uint16_t pack(uint8_t r, uint8_t g, uint8_t b, int layout) {
    if (layout == platform::kLayout555)
        return static_cast<uint16_t>(((r & 0xF8) << 7) | ((g & 0xF8) << 2) | (b >> 3));
    return static_cast<uint16_t>(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3));
}

// u32 width, u32 height, then bottom-up rows of blue, green, red padded to 4 bytes.
struct BgrLayout {
    uint32_t width = 0;
    uint32_t height = 0;
    uint64_t rowBytes = 0;
};

bool parseBgrHeader(std::span<const uint8_t> file, BgrLayout& out) {
    ByteReader in(file);
    out.width = in.u32();
    out.height = in.u32();
    if (!in.ok() || out.width == 0 || out.height == 0) return false;
    out.rowBytes = (uint64_t{out.width} * 3 + 3) / 4 * 4;
    // The last row may go without its padding.
    uint64_t need = (uint64_t{out.height} - 1) * out.rowBytes + uint64_t{out.width} * 3;
    return need <= in.remaining();
}

// Writes file row i into target row height - 1 - i.
void convertBgrRows(std::span<const uint8_t> file, const BgrLayout& l, int layout,
                    const PixelBuffer16& target) {
    const uint8_t* data = file.data() + 8;
    for (uint32_t i = 0; i < l.height; ++i) {
        const uint8_t* src = data + i * l.rowBytes;
        uint16_t* dst = target.pixels + static_cast<ptrdiff_t>(l.height - 1 - i) * target.pitch;
        for (uint32_t c = 0; c < l.width; ++c)
            dst[c] = pack(src[3 * c + 2], src[3 * c + 1], src[3 * c], layout);
    }
}

class BigEndianReader {
public:
    explicit BigEndianReader(std::span<const uint8_t> bytes) : in_(bytes) {}
    uint32_t u32() {
        uint8_t b[4];
        in_.bytes(b, 4);
        return uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3];
    }
    uint16_t u16() {
        uint8_t b[2];
        in_.bytes(b, 2);
        return static_cast<uint16_t>(b[0] << 8 | b[1]);
    }
    uint8_t u8() { return in_.u8(); }
    bool skip(uint64_t n) { return n <= in_.remaining() && in_.skip(static_cast<size_t>(n)); }
    bool ok() const { return in_.ok(); }
    size_t remaining() const { return in_.remaining(); }
    const uint8_t* here() const { return in_.here(); }

private:
    ByteReader in_;
};

struct PsdLayer {
    int32_t top = 0, left = 0, bottom = 0, right = 0;
    uint16_t channels = 0;
};

// Decodes one channel of a layer into plane (width x height); null plane: read past it only.
bool readPsdChannel(BigEndianReader& in, const PsdLayer& layer, uint32_t width, uint32_t height,
                    uint8_t* plane) {
    const int64_t rows = int64_t{layer.bottom} - layer.top;
    const int64_t cols = int64_t{layer.right} - layer.left;
    auto put = [&](int64_t row, int64_t col, uint8_t v) {
        int64_t y = layer.top + row, x = layer.left + col;
        if (plane && col < cols && x >= 0 && y >= 0 && x < width && y < height)
            plane[static_cast<size_t>(y) * width + static_cast<size_t>(x)] = v;
    };
    uint16_t code = in.u16();
    if (!in.ok()) return false;
    if (code == 0) {
        if (static_cast<uint64_t>(rows) * static_cast<uint64_t>(cols) > in.remaining()) return false;
        for (int64_t r = 0; r < rows; ++r) {
            const uint8_t* src = in.here();
            for (int64_t c = 0; c < cols; ++c)
                put(r, c, src[c]);
            in.skip(static_cast<uint64_t>(cols));
        }
        return in.ok();
    }
    if (static_cast<uint64_t>(rows) * 2 > in.remaining()) return false;
    std::vector<uint16_t> counts(static_cast<size_t>(rows));
    for (auto& n : counts)
        n = in.u16();
    for (int64_t r = 0; r < rows; ++r) {
        int left = counts[static_cast<size_t>(r)];
        if (static_cast<size_t>(left) > in.remaining()) return false;
        int64_t col = 0;
        while (left > 0) {
            auto n = static_cast<int8_t>(in.u8());
            --left;
            if (n >= 1) {
                // The run must lie inside the row's byte count.
                if (n + 1 > left) return false;
                for (int k = 0; k <= n; ++k)
                    put(r, col++, in.u8());
                left -= n + 1;
            } else {
                if (left < 1) return false;
                uint8_t v = in.u8();
                --left;
                for (int k = 0; k < 1 - n; ++k)
                    put(r, col++, v);
            }
        }
    }
    return in.ok();
}

} // namespace

std::unique_ptr<StoreImage> DecodeXmpPicture(std::span<const uint8_t> file, int layout) {
    BgrLayout l;
    if (!parseBgrHeader(file, l)) return nullptr;
    auto image = std::make_unique<StoreImage>();
    image->width = static_cast<int32_t>(l.width);
    image->height = static_cast<int32_t>(l.height);
    image->pixels.assign(static_cast<size_t>(l.width) * l.height, 0);
    convertBgrRows(file, l, layout, {image->pixels.data(), image->width, image->width, image->height});
    return image;
}

platform::Surface* DecodeRawPicture(std::span<const uint8_t> file, int layout,
                                    const std::function<platform::Surface*(int, int)>& create, int32_t* width,
                                    int32_t* height) {
    BgrLayout l;
    if (!parseBgrHeader(file, l) || l.width > kMaxSurfaceSide || l.height > kMaxSurfaceSide) return nullptr;
    platform::Surface* surface = create(static_cast<int>(l.width), static_cast<int>(l.height));
    if (!surface) return nullptr;
    platform::DDSURFACEDESC2 desc;
    platform::HRESULT r;
    while ((r = surface->Lock(nullptr, &desc, 0)) == platform::DDERR_WASSTILLDRAWING) {
    }
    if (platform::FAILED(r) || desc.dwWidth < l.width || desc.dwHeight < l.height) {
        if (platform::SUCCEEDED(r)) surface->Unlock(nullptr);
        surface->Release();
        return nullptr;
    }
    convertBgrRows(file, l, layout,
                   {static_cast<uint16_t*>(desc.lpSurface), desc.lPitch / 2, static_cast<int>(desc.dwWidth),
                    static_cast<int>(desc.dwHeight)});
    surface->Unlock(nullptr);
    if (width) *width = static_cast<int32_t>(l.width);
    if (height) *height = static_cast<int32_t>(l.height);
    return surface;
}

std::unique_ptr<StoreImage> DecodePsdPicture(std::span<const uint8_t> file) {
    BigEndianReader in(file);
    // Header: signature, version, reserved, channels, height, width, depth, colour mode.
    in.skip(4 + 2 + 6);
    in.u16();
    uint32_t height = in.u32();
    uint32_t width = in.u32();
    in.u16();
    in.u16();
    if (!in.ok() || width == 0 || height == 0 || uint64_t{width} * height > kMaxPsdPixels) return nullptr;
    in.u32();                               // colour mode data length, taken to be 0
    if (!in.skip(in.u32())) return nullptr; // image resources
    in.u32();                               // layer and mask section length
    in.u32();                               // layer information length
    int count = std::abs(static_cast<int16_t>(in.u16()));
    if (!in.ok() || count == 0) return nullptr;

    std::vector<PsdLayer> layers(static_cast<size_t>(count));
    for (auto& layer : layers) {
        layer.top = static_cast<int32_t>(in.u32());
        layer.left = static_cast<int32_t>(in.u32());
        layer.bottom = static_cast<int32_t>(in.u32());
        layer.right = static_cast<int32_t>(in.u32());
        layer.channels = in.u16();
        if (!in.ok() || layer.bottom < layer.top || layer.right < layer.left) return nullptr;
        if (uint64_t{layer.channels} * 6 > in.remaining()) return nullptr;
        for (int c = 0; c < layer.channels; ++c) {
            in.u16(); // channel id
            in.u32(); // data length
        }
        in.skip(4 + 4 + 4); // blend signature and key; opacity, clipping, flags, filler
        if (!in.ok() || !in.skip(in.u32())) return nullptr;
    }

    // Only the first layer makes the picture, and of it only the transparency mask and the three
    // colour planes; its channel data comes first.
    const PsdLayer& first = layers[0];
    if (first.channels < 3) return nullptr;
    const size_t planeSize = static_cast<size_t>(width) * height;
    std::vector<std::vector<uint8_t>> planes(std::min<int>(first.channels, kPsdPlanesUsed));
    for (int c = 0; c < first.channels; ++c) {
        uint8_t* plane = nullptr;
        if (c < kPsdPlanesUsed) {
            planes[static_cast<size_t>(c)].assign(planeSize, 0);
            plane = planes[static_cast<size_t>(c)].data();
        }
        if (!readPsdChannel(in, first, width, height, plane)) return nullptr;
    }
    if (first.channels > 3) {
        for (size_t c = 1; c < planes.size(); ++c)
            for (size_t i = 0; i < planeSize; ++i)
                planes[c][i] &= planes[0][i];
        planes.erase(planes.begin());
    }

    auto image = std::make_unique<StoreImage>();
    image->width = static_cast<int32_t>(width);
    image->height = static_cast<int32_t>(height);
    image->pixels.resize(planeSize);
    for (size_t i = 0; i < planeSize; ++i)
        image->pixels[i] = pack(planes[0][i], planes[1][i], planes[2][i], platform::kLayout565);
    return image;
}
