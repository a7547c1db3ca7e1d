#include "Program/GameController.h"

#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "engine/PixelFormat.h"
#include "platform/Surface.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"
#include "world/MapView.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kPictureLeft = 25;
constexpr int kPictureTop = 27;
constexpr int kLine = 160;
constexpr int kLines = 120;

struct Target {
    uint8_t* bits;
    int32_t pitch, width, height;
    void Put(int32_t x, int32_t y, uint16_t colour) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        std::memcpy(bits + size_t(y) * size_t(pitch) + size_t(x) * 2, &colour, 2);
    }
};

bool HiddenKind(int32_t kind) {
    return kind == 17 || kind == 14 || kind == 13 || kind == 9;
}

bool Dotted(const Troop& t, const BattleMap& map, int32_t player) {
    if (t.outOfPlay || t.garrison != 0 || t.state == 13) return false;
    const CellBounds& b = map.validBounds;
    if (t.cellX < b.left || t.cellX >= b.right || 2 * t.cellY < b.top || 2 * t.cellY >= b.bottom)
        return false;
    if (t.OfficerValue(OfficerLayout::kAmbush) != 0 || HiddenKind(t.OfficerKind())) return false;
    if (KingdomRelation(t.owner, player) == 3 && ((t.statusBits & 0x2000) || t.OfficerKind() == 8))
        return false;
    const MapCell* cell = const_cast<BattleMap&>(map).CellAt(t.cellX, 2 * t.cellY);
    return cell && cell->sightCount > 1;
}

// A selected troop and the view frame are white, a troop just hit blinks red.
uint16_t MinimapSelectionColour() {
    return PackRgb16(255, 255, 255);
}

uint16_t MinimapBlinkColour() {
    return PackRgb16(255, 0, 0);
}

} // namespace

void GameController::DrawMiniMap(platform::Surface* surface) {
    if (!surface || !TheBattleMap || !TheBattleMap->HasCells()) return;
    platform::DDSURFACEDESC2 desc;
    if (surface->Lock(nullptr, &desc, platform::DDLOCK_WAIT) != platform::DD_OK) return;
    const Target out{static_cast<uint8_t*>(desc.lpSurface), desc.lPitch, int32_t(desc.dwWidth),
                     int32_t(desc.dwHeight)};
    const uint8_t* picture = minimapImages[minimapToggle ? 1 : 2];
    const int32_t copyWidth = std::min(kLine, out.width - kPictureLeft);
    if (picture && copyWidth > 0)
        for (int32_t r = 0; r < kLines && kPictureTop + r < out.height; ++r)
            std::memcpy(out.bits + size_t(kPictureTop + r) * size_t(out.pitch) + kPictureLeft * 2,
                        picture + size_t(r) * kLine * 2, size_t(copyWidth) * 2);

    const BattleMap& map = *TheBattleMap;
    const int32_t mapW = gameScreen ? gameScreen->mapWidth : map.width;
    const int32_t mapH = gameScreen ? gameScreen->mapHeight : map.rows;
    const int32_t miniW = gameScreen ? gameScreen->minimapWidth : kLine;
    const int32_t miniH = gameScreen ? gameScreen->minimapHeight : kLines;
    // A map of another shape than the picture sits centred in it: dots and the view frame take
    // the same place as the map's cells in the picture.
    const int32_t offX = gameScreen ? gameScreen->minimapLeft : 0;
    const int32_t offY = gameScreen ? gameScreen->minimapTop : 0;
    const int32_t lastDotX = std::max(offX, std::min(offX + miniW, kLine) - 3);
    const int32_t lastDotY = std::max(offY, std::min(offY + miniH, kLines) - 3);
    const uint16_t selectionColour = MinimapSelectionColour();
    const uint16_t blinkColour = MinimapBlinkColour();
    Zu_StageSet* stage = CurrentStageSet();
    if (stage && stage->kingdoms && mapW > 0 && mapH > 0) {
        const int32_t player = PlayerKingdom();
        LinkList& kingdoms = *stage->kingdoms;
        for (int k = 0; k < kingdoms.GetCount(); ++k) {
            Kingdom* kingdom = reinterpret_cast<Kingdom*>(kingdoms.GetAt(k));
            for (int i = 0; i < kingdom->fieldUnits.GetCount(); ++i) {
                Troop* t = reinterpret_cast<Troop*>(kingdom->fieldUnits.GetAt(i));
                if (!t || !Dotted(*t, map, player)) continue;
                const int32_t dx = std::min(offX + t->cellX * miniW / mapW, lastDotX);
                const int32_t dy = std::min(offY + 2 * t->cellY * miniH / mapH, lastDotY);
                uint16_t colour = t->selected ? selectionColour : kingdom->ownColour;
                if (t->hitNotice != 0) {
                    ++t->hitNotice;
                    colour = t->hitNotice < 8 ? blinkColour : selectionColour;
                    if (t->hitNotice > 16) t->hitNotice = 0;
                }
                for (int32_t y = 0; y < 3; ++y)
                    for (int32_t x = 0; x < 3; ++x)
                        out.Put(kPictureLeft + dx + x, kPictureTop + dy + y, colour);
            }
        }
    }

    if (gameScreen && mapW > 0 && mapH > 0) {
        const MapView& v = *gameScreen;
        const int32_t frameW = v.minimapBlockX, frameH = v.minimapBlockY;
        int32_t left = v.viewX * miniW / mapW, right = left + frameW;
        if (right >= miniW) {
            right = miniW;
            left = right - frameW;
        }
        int32_t top = v.viewY * miniH / mapH, bottom = top + frameH;
        if (bottom >= miniH) {
            bottom = miniH;
            top = bottom - frameH;
        }
        const int32_t x0 = kPictureLeft + offX, y0 = kPictureTop + offY;
        for (int32_t i = 0; i < frameW; ++i) {
            out.Put(x0 + left + i, y0 + top, selectionColour);
            out.Put(x0 + left + i, y0 + bottom, selectionColour);
        }
        for (int32_t i = 0; i < frameH; ++i) {
            out.Put(x0 + left, y0 + top + i, selectionColour);
            out.Put(x0 + right, y0 + top + i, selectionColour);
        }
    }
    surface->Unlock(nullptr);
}
