#pragma once

#include "engine/PixelRoutines.h"
#include "engine/StoreImage.h"
#include "platform/Files.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

namespace platform {
class Surface;
}

// Readers of the headerless 24-bit picture (also the ".xmp" picture) and of the layered ".psd"
// document. Every size, count and run length is checked against the bytes of the file: a bad file
// gives null.

// Reads 4 or 2 bytes, most significant first; bytes past the end of the file count as 0.
uint32_t ReadBigEndian32(platform::HFILE file);
uint16_t ReadBigEndian16(platform::HFILE file);

// base name + ".xmp" -> picture in the display's layout, or null.
std::unique_ptr<StoreImage> ReadXmpPicture(const char* baseName);
// base name + ".psd" -> picture in 5-6-5 from the first layer, or null.
std::unique_ptr<StoreImage> ReadPsdPicture(const char* baseName);

// The file's picture in a new colour-keyed off-screen surface, or null when the file is missing or
// bad or no surface can be made. Image is the caller's picture record with width, height and
// surface fields.
platform::Surface* ReadRawPictureSurface(const char* fileName, int32_t* width, int32_t* height);
template <class Image>
Image* ReadRawPicture(const char* fileName) {
    int32_t width = 0, height = 0;
    platform::Surface* surface = ReadRawPictureSurface(fileName, &width, &height);
    if (!surface) return nullptr;
    auto* image = new Image;
    image->width = static_cast<decltype(image->width)>(width);
    image->height = static_cast<decltype(image->height)>(height);
    image->surface = surface;
    return image;
}

// The decoders over the bytes of a file. layout is 565 or 555.
std::unique_ptr<StoreImage> DecodeXmpPicture(std::span<const uint8_t> file, int layout);
std::unique_ptr<StoreImage> DecodePsdPicture(std::span<const uint8_t> file);
// Makes the surface with `create` (width, height) and writes the pixels into it.
platform::Surface* DecodeRawPicture(std::span<const uint8_t> file, int layout,
                                    const std::function<platform::Surface*(int, int)>& create, int32_t* width,
                                    int32_t* height);

// An off-screen surface with source colour key 0 holding the image.
platform::Surface* SurfaceFromImage(const StoreImage& image);
