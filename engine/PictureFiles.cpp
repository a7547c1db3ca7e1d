#include "engine/DisplayDevice.h"
#include "engine/PictureReaders.h"
#include "engine/PixelFormat.h"
#include "platform/Surface.h"

#include <string>
#include <vector>

namespace {

// The whole file, or false when it does not open or reads short.
bool readWholeFile(const std::string& name, std::vector<uint8_t>& out) {
    platform::HFILE f = platform::_lopen(name.c_str(), platform::OF_READ);
    if (f == platform::HFILE_ERROR) return false;
    int32_t size = platform::_llseek(f, 0, platform::FILE_END);
    bool ok = size >= 0 && platform::_llseek(f, 0, platform::FILE_BEGIN) == 0;
    if (ok) {
        out.resize(static_cast<size_t>(size));
        ok = platform::_lread(f, out.data(), static_cast<uint32_t>(size)) == static_cast<uint32_t>(size);
    }
    platform::_lclose(f);
    return ok;
}

int displayLayout() {
    return PixelFormat == platform::kLayout555 ? platform::kLayout555 : platform::kLayout565;
}

} // namespace

uint32_t ReadBigEndian32(platform::HFILE file) {
    uint8_t b[4] = {};
    platform::_lread(file, b, 4);
    return uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3];
}

uint16_t ReadBigEndian16(platform::HFILE file) {
    uint8_t b[2] = {};
    platform::_lread(file, b, 2);
    return static_cast<uint16_t>(b[0] << 8 | b[1]);
}

std::unique_ptr<StoreImage> ReadXmpPicture(const char* baseName) {
    std::vector<uint8_t> bytes;
    if (!baseName || !readWholeFile(std::string(baseName) + ".xmp", bytes)) return nullptr;
    return DecodeXmpPicture(bytes, displayLayout());
}

std::unique_ptr<StoreImage> ReadPsdPicture(const char* baseName) {
    std::vector<uint8_t> bytes;
    if (!baseName || !readWholeFile(std::string(baseName) + ".psd", bytes)) return nullptr;
    return DecodePsdPicture(bytes);
}

platform::Surface* ReadRawPictureSurface(const char* fileName, int32_t* width, int32_t* height) {
    std::vector<uint8_t> bytes;
    if (!fileName || !readWholeFile(fileName, bytes)) return nullptr;
    return DecodeRawPicture(bytes, displayLayout(), CreateOffscreenSurface, width, height);
}

platform::Surface* SurfaceFromImage(const StoreImage& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() < static_cast<size_t>(image.width) * static_cast<size_t>(image.height))
        return nullptr;
    platform::Surface* surface = CreateOffscreenSurface(image.width, image.height);
    if (!surface) return nullptr;
    platform::DDCOLORKEY key;
    surface->SetColorKey(platform::DDCKEY_SRCBLT, &key);
    platform::DDSURFACEDESC2 desc;
    if (platform::FAILED(surface->Lock(nullptr, &desc, platform::DDLOCK_WAIT))) return surface;
    for (int32_t y = 0; y < image.height; ++y)
        CopyPixels16(reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch),
                     image.pixels.data() + static_cast<size_t>(y) * image.width, image.width);
    surface->Unlock(nullptr);
    return surface;
}
