#include "Program/Bmp16File.h"
#include "Program/GameController.h"

#include "engine/DisplayDevice.h"
#include "platform/Surface.h"
#include "world/BattleMap.h"
#include "world/MapView.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr int32_t kScreenWidth = 800;
constexpr int32_t kScreenRows = 560;

uint16_t To555(uint16_t p) {
    return uint16_t(((p & 0xF800) >> 1) | (((p & 0x7E0) >> 1) & 0x3E0) | (p & 0x1F));
}

} // namespace

// The whole battle map, screen by screen through the normal drawing path, as one picture file.
bool GameController::ExportBigMap() {
    RevealMap();
    if (!gameScreen || !TheBattleMap || !TheBattleMap->HasCells()) return false;
    TheBattleMap->Update();
    MapView& v = *gameScreen;
    const int32_t mapW = TheBattleMap->width, mapH = TheBattleMap->rows;
    const int64_t W = int64_t(mapW) * 40, H = int64_t(mapH) * 10;
    if (W <= 0 || H <= 0) return false;
    std::unique_ptr<uint16_t[]> picture(new (std::nothrow) uint16_t[size_t(W * H)]());
    if (!picture) return false;
    const int32_t columns = mapW / MapView::kViewColumns;
    const int32_t rows = (mapH + MapView::kViewRows - 1) / MapView::kViewRows;
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < columns; ++c) {
            v.SetViewOrigin(c * MapView::kViewColumns, r * MapView::kViewRows);
            v.Redraw();
            v.DrawTerrain();
            v.DrawObjects();
            platform::Surface* back = GetBackSurface();
            if (!back) continue;
            platform::DDSURFACEDESC2 desc;
            if (back->Lock(nullptr, &desc, platform::DDLOCK_WAIT) != platform::DD_OK) continue;
            const int32_t width = std::min<int32_t>(kScreenWidth, int32_t(desc.dwWidth));
            const int32_t height = std::min<int32_t>(kScreenRows, int32_t(desc.dwHeight));
            for (int32_t i = 0; i < height && int64_t(r) * kScreenRows + i < H; ++i) {
                const auto* src = reinterpret_cast<const uint16_t*>(
                    static_cast<const uint8_t*>(desc.lpSurface) + size_t(i) * size_t(desc.lPitch));
                uint16_t* dst =
                    picture.get() + size_t((int64_t(r) * kScreenRows + i) * W + int64_t(c) * kScreenWidth);
                const int32_t n = int32_t(std::min<int64_t>(width, W - int64_t(c) * kScreenWidth));
                for (int32_t x = 0; x < n; ++x)
                    dst[x] = To555(src[x]);
            }
            back->Unlock(nullptr);
        }
    char name[] = "BigMap00.bmp";
    name[6] = char('0' + (campaignStage / 10) % 10);
    name[7] = char('0' + campaignStage % 10);
    const bool written = WriteBmp16(int32_t(W), int32_t(H), name, picture.get());
    v.SetViewOrigin(0, 0);
    v.Redraw();
    v.DrawTerrain();
    v.DrawObjects();
    return written;
}
