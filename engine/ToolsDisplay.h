#pragma once

namespace platform {
class Surface;
}
class Zu_Archive;

// The picture entry `index` of a packed archive in a new off-screen surface of the display, or
// null. A packed entry is unpacked first; the transparent green 0x07E0 of the file becomes the
// colour key 0 in both layouts, and in 5-5-5 the other pixels are converted. The caller owns the
// surface.
platform::Surface* LoadRomSurface(Zu_Archive& archive, int index);
