#pragma once

#include "engine/DisplayDevice.h"
#include "engine/PixelFormat.h"
#include "fuzz/seeds/builders/TestDisplay.h"
#include "platform/Present.h"
#include "platform/Surface.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

// The pixels of a surface, rows packed.
inline std::vector<uint16_t> SurfacePixels(platform::Surface* s) {
    std::vector<uint16_t> out;
    for (int y = 0; y < s->height(); ++y)
        for (int x = 0; x < s->width(); ++x)
            out.push_back(s->PixelAt(x, y));
    return out;
}

// Fills the back surface with one colour.
inline bool FillBackSurface(uint16_t colour) {
    platform::Surface* back = GetBackSurface();
    platform::DDSURFACEDESC2 desc;
    if (!back || !platform::SUCCEEDED(back->Lock(nullptr, &desc, platform::DDLOCK_WAIT))) return false;
    for (int y = 0; y < back->height(); ++y)
        for (int x = 0; x < back->width(); ++x)
            static_cast<uint16_t*>(desc.lpSurface)[y * desc.lPitch / 2 + x] = colour;
    back->Unlock(nullptr);
    return true;
}
