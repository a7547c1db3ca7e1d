#include "engine/Backgrounds.h"

#include "engine/BmpFile.h"
#include "engine/DisplayDevice.h"
#include "engine/Palette8.h"
#include "engine/PixelFormat.h"
#include "engine/ResourceStore.h"
#include "platform/Files.h"
#include "platform/Surface.h"

#include <algorithm>
#include <cstdio>

BackgroundHooks TheBackgroundHooks;

namespace {

constexpr const char* kNames[kBackgroundCount] = {
    "title.bmp",   "desktop.bmp", "score.bmp",    "mainmenu.bmp",  "single.bmp",      "hero.bmp",
    "stage.bmp",   "c_story.bmp", "BigMap32.bmp", "freeSetup.bmp", "freeHead.bmp",    "credits_bg.bmp",
    "fail00.bmp",  "fail01.bmp",  "mainmenu.bmp", "logo.bmp",      "WindowColor.bmp", "Act-1-1.Bmp",
    "Act-2-1.Bmp", "Act-3-1.Bmp", "Story11.Bmp",
};

} // namespace

const char* BackgroundFileName(int number) {
    return number >= 0 && number < kBackgroundCount ? kNames[number] : nullptr;
}

void BackgroundPath(int number, char* out, int size) {
    if (size <= 0) return;
    out[0] = 0;
    const char* name = BackgroundFileName(number);
    if (!name) return;
    std::snprintf(out, size_t(size), "%s", name);
    if (number != 8 && number != 20) return;
    const int stage = TheBackgroundHooks.stageNumber ? TheBackgroundHooks.stageNumber() : 0;
    const int digits = ((stage % 100) + 100) % 100;
    std::snprintf(out, size_t(size), number == 8 ? "BigMap%02d.bmp" : "Story%02d.bmp", digits);
    if (!platform::FileExists(out))
        std::snprintf(out, size_t(size), "%s", number == 8 ? "BigMap00.bmp" : "Story11.bmp");
}

int LoadScreenBackground(int number) {
    if (!BackgroundFileName(number)) return 0;
    if (TheBackgroundHooks.recordNumber) TheBackgroundHooks.recordNumber(number);
    if (number == 0 && TheBackgroundHooks.resetBackground) TheBackgroundHooks.resetBackground();
    char path[64];
    BackgroundPath(number, path, sizeof path);
    auto* bmp = new BmpFile(path);
    if (!bmp->ok() || bmp->BitsPerPixel() != 8) {
        delete bmp;
        return 0;
    }
    bmp->Palette(GlobalPalette8);
    platform::Surface* work = TheResourceStore ? TheResourceStore->wideWorkSurface : nullptr;
    if (number != 1 && work) {
        platform::DDSURFACEDESC2 desc;
        platform::HRESULT r;
        while ((r = work->Lock(nullptr, &desc, platform::DDLOCK_WAIT)) == platform::DDERR_WASSTILLDRAWING) {
        }
        if (platform::SUCCEEDED(r)) {
            const int w = std::min<int>(bmp->Width(), int(desc.dwWidth));
            const int h = std::min<int>(bmp->Height(), int(desc.dwHeight));
            for (int y = 0; y < h; ++y) {
                auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(desc.lpSurface) +
                                                        ptrdiff_t(y) * desc.lPitch);
                const uint8_t* in = bmp->Row(y);
                for (int x = 0; x < w; ++x)
                    row[x] = Palette16[in[x]];
            }
            work->Unlock(nullptr);
            platform::RECT rect;
            rect.right = std::min({bmp->Width(), work->width(), 800});
            rect.bottom = std::min({bmp->Height(), work->height(), 600});
            for (platform::Surface* target : {GetBackSurface(), GetPrimarySurface()}) {
                if (!target) continue;
                platform::RECT cut = rect;
                cut.right = std::min(cut.right, target->width());
                cut.bottom = std::min(cut.bottom, target->height());
                target->BltFast(0, 0, work, &cut, platform::DDBLTFAST_WAIT);
            }
        }
    }
    delete bmp;
    return 1;
}
