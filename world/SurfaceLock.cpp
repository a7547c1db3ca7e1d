#include "world/SurfaceLock.h"

namespace {
constexpr int kLockTries = 50;
} // namespace

bool LockMapSurface(platform::Surface* s, platform::DDSURFACEDESC2& desc) {
    if (!s) return false;
    for (int i = 0; i < kLockTries; ++i) {
        const platform::HRESULT r = s->Lock(nullptr, &desc, platform::DDLOCK_WAIT);
        if (r == platform::DD_OK) return true;
        if (r == platform::DDERR_SURFACELOST) s->Restore();
    }
    return false;
}
