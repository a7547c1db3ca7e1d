#include "world/MapView.h"

#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "engine/DisplayDevice.h"
#include "engine/LinkList.h"
#include "engine/ResourceStore.h"
#include "engine/ResourceStoreFormats.h"
#include "gui/FrameAnimation.h"
#include "platform/PixelRows.h"
#include "platform/Surface.h"
#include "records/City.h"
#include "records/InfoText.h"
#include "records/OfficerRecord.h"
#include "records/StageEditor.h"
#include "records/SubCastle.h"
#include "stagefiles/SavedRecord.h"
#include "troops/CastleGate.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"
#include "world/MapObject.h"
#include "world/Missile.h"
#include "world/RandomMapTables.h"
#include "world/Zu_SkillEffect.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr uint16_t kHiddenOverlay = 6859;
constexpr int kViewWidth = 800;
constexpr int kViewHeight = 560;
constexpr int kObjectRows = 66;
constexpr int kOverlayRows = 92;
constexpr int kStackDepth = 10;
constexpr int kLockTries = 50;
constexpr int kFloatingFrames = 30;

bool Recolourable(uint16_t tile) {
    return tile <= 339 || (tile >= 603 && tile <= 614) || (tile >= 3648 && tile <= 4480) ||
           (tile >= 4675 && tile <= 4781) || (tile >= 6042 && tile <= 6052);
}

// The owner-colour row of a cell's mark; 0 when the cell is not recoloured.
int OwnerRow(uint8_t mark) {
    if (mark >= 200) return mark - 200;
    if (mark >= 100) return mark - 100;
    return 0;
}

bool LockBack(platform::Surface* s, platform::DDSURFACEDESC2& desc) {
    if (!s) return false;
    for (int i = 0; i < kLockTries; ++i) {
        const platform::HRESULT r = s->Lock(nullptr, &desc, platform::DDLOCK_WAIT);
        if (r == platform::DD_OK) return true;
        if (r == platform::DDERR_SURFACELOST) s->Restore();
    }
    return false;
}

void FillLine(uint8_t* line, int from, int count, uint8_t index) {
    from = std::clamp(from, 0, 100);
    count = std::clamp(count, 0, 100 - from);
    std::fill(line + from, line + from + count, index);
}

} // namespace

bool MapView::TroopShown(const Troop* t) const {
    if (TheScreenSettings && TheScreenSettings->editorKeys) return true;
    if (t->state != 8 && !(t->flags & 0x2000)) return true;
    const int32_t player = PlayerKingdom();
    return t->owner == player || KingdomRelation(player, t->owner) != 3;
}

void MapView::DrawTroop(Troop* t) {
    t->Draw(viewX, viewY);
    t->DrawAttachedEffects();
    const GameController* c = TheGameController;
    if (t->selected || (c && c->currentTroop == t)) t->DrawStatusBars(viewX, viewY);
    t->DrawNameLabel(viewX, viewY);
}

void MapView::DrawMapObject(MapObject* o) {
    o->Draw(viewX * 40, viewY * 10);
}

void MapView::DrawOverlay(int32_t, int32_t, const MapCell& cell, int32_t left, int32_t top) {
    ResourceStore* store = TheResourceStore;
    const uint16_t tile = cell.overlayTile;
    if (!store || !store->sprites || tile >= store->spriteCount || !store->sprites[tile]) return;
    const KingdomSprite& pic = *store->sprites[tile];
    platform::Surface* src = store->spriteSurfaces[store->spriteSurfaceIndex[tile]];
    platform::Surface* back = GetBackSurface();
    if (!src || !back) return;
    left -= int32_t(pic.word0);
    top -= int32_t(pic.word1);
    if (left >= kViewWidth || top > kViewHeight) return;
    int32_t sx = 0, sy = 0, w = int32_t(pic.width), h = int32_t(pic.height);
    if (left < 0) sx = -left, w += left, left = 0;
    if (top < 0) sy = -top, h += top, top = 0;
    w = std::min(w, kViewWidth - left);
    h = std::min(h, kViewHeight - top);
    if (w <= 0 || h <= 0) return;
    const int row = OwnerRow(cell.ownerMark);
    if (row == 0 || !Recolourable(tile) || row >= int(NationColourTable.size())) {
        const platform::RECT from{sx, sy, sx + w, sy + h};
        const platform::RECT to{left, top, left + w, top + h};
        back->Blt(&to, src, &from, platform::DDBLT_KEYSRC | platform::DDBLT_WAIT);
        return;
    }
    // Marked pixels take the owner's colours; the colour key stays transparent.
    platform::DDSURFACEDESC2 sd, dd;
    if (!LockBack(src, sd)) return;
    if (!LockBack(back, dd)) {
        src->Unlock(nullptr);
        return;
    }
    const platform::ColourSwap marks(NationColourTable[1].data(), NationColourTable[size_t(row)].data(),
                                     int(NationColourTable[1].size()));
    const platform::KeyRange clear; // 0 alone
    for (int32_t y = 0; y < h; ++y) {
        const auto* in = reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(sd.lpSurface) +
                                                           size_t(sy + y) * sd.lPitch) +
                         sx;
        auto* out =
            reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(dd.lpSurface) + size_t(top + y) * dd.lPitch) +
            left;
        platform::KeyedRecolourRow(out, in, w, clear, marks);
    }
    back->Unlock(nullptr);
    src->Unlock(nullptr);
}

void MapView::DrawObjects() {
    BattleMap* map = TheBattleMap;
    GameController* c = TheGameController;
    if (!map || !map->HasCells() || !c) return;
    // In the alternate mode the editor's own view may be showing instead.
    if (map->alternateMode && TheStageEditor && !TheStageEditor->viewWord) return;
    const int32_t W = map->width, H = map->rows;
    map->objectView = {viewX, viewY / 2, viewX + kViewColumns, viewY / 2 + kViewRows / 2};
    auto sight = [&](int32_t x, int32_t y) {
        const MapCell* cell = map->CellAt(x, y);
        return cell ? cell->sightCount : uint8_t(0);
    };

    // Fallen troops lie under everything.
    if (map->dyingTroops)
        for (uintptr_t v = map->dyingTroops->First(); v != 0; v = map->dyingTroops->Next()) {
            Troop* t = reinterpret_cast<Troop*>(v);
            const int32_t x = t->cellX, y = 2 * t->cellY;
            if (sight(x, y) > 1 && x >= viewX && x < viewX + kViewColumns && y >= viewY &&
                y < viewY + kViewRows && t->state != 7 && t->state != 8)
                DrawTroop(t);
        }

    for (int32_t k = 0; k < kObjectRows && viewY + k < H; ++k) {
        const int32_t y = viewY + k;
        if (y & 1) continue;
        for (int32_t x = std::max(0, viewX - 1); x <= viewX + 21 && x < W; ++x)
            if (sight(x, y) > 1)
                if (MapObject* o = map->GetCellObject(x, y / 2)) DrawMapObject(o);
    }

    std::array<Troop*, kStackDepth> stack{};
    for (int32_t k = 0; k < kOverlayRows && viewY + k < H; ++k) {
        const int32_t y = viewY + k;
        const int32_t columns = (k & 1) ? 20 : 21;
        for (int32_t col = 0; col < columns && viewX + col < W; ++col) {
            const int32_t x = viewX + col;
            const MapCell* cell = map->CellAt(x, y);
            if (!cell || cell->sightCount == 0 || c->hideOverlays) continue;
            if (cell->overlayTile == MapCell::kNoTile || cell->overlayTile == kHiddenOverlay) continue;
            DrawOverlay(x, y, *cell, col * 40 + 20 * (k & 1), k * 10 + 10);
        }
        if (k >= kObjectRows || (y & 1)) continue;
        const int32_t uy = y / 2;
        for (int32_t x = std::max(0, viewX - 1); x <= viewX + 21 && x < W; ++x) {
            if (sight(x, y) <= 1) continue;
            size_t n = 0;
            for (uintptr_t v = map->FirstObjectAt(x, uy); v != 0 && n < stack.size();
                 v = map->NextObjectAt()) {
                Troop* t = reinterpret_cast<Troop*>(v);
                if (t->cellX == x && t->cellY == uy && t->kindWord != 999) stack[n++] = t;
            }
            // The one lower on the screen first; a stable insertion sort of the few on the cell
            // needs no buffer, as a frame's drawing must not allocate.
            for (size_t i = 1; i < n; ++i)
                for (size_t j = i; j > 0 && stack[j - 1]->pixelY < stack[j]->pixelY; --j)
                    std::swap(stack[j - 1], stack[j]);
            for (size_t i = 0; i < n; ++i)
                if (TroopShown(stack[i])) DrawTroop(stack[i]);
        }
    }

    DrawHoverNames();
    if (City* city = c->selectedCity; city && c->markerFrames[1] && c->markerFrames[1]->data)
        FillCityBars(c->markerFrames[1]->data, *city);
    if (City* city = c->cityUnderCursor;
        city && city != c->selectedCity && c->markerFrames[2] && c->markerFrames[2]->data)
        FillCityBars(c->markerFrames[2]->data, *city);
    for (int i : {1, 2}) {
        City* city = i == 1 ? c->selectedCity : c->cityUnderCursor;
        if (!city || (i == 2 && city == c->selectedCity) || !c->markerAnims[i]) continue;
        FrameAnimControl& marker = *c->markerAnims[i];
        const int16_t keepX = marker.posX, keepY = marker.posY;
        marker.posX = int16_t((city->CellX() - 1) * 40);
        marker.posY = int16_t((city->CellY() - 7) * 10);
        marker.Draw(viewX, viewY);
        if (i == 2) marker.posX = keepX, marker.posY = keepY;
    }
    if (CastleGate* gate = HoveredGate();
        gate && c->markerAnims[0] && c->markerFrames[0] && c->markerFrames[0]->data) {
        FillGateBar(c->markerFrames[0]->data, *gate);
        FrameAnimControl& bar = *c->markerAnims[0];
        // The anchor pixel is the top corner of the anchor cell.
        bar.posX = int16_t(gate->cellX * 40 + (gate->direction == 0 ? 56 : 4));
        bar.posY = int16_t(gate->cellY * 20);
        bar.Draw(viewX, viewY);
    }

    platform::Surface* back = GetBackSurface();
    platform::DDSURFACEDESC2 desc;
    if (map->missiles && map->missiles->First() != 0 && LockBack(back, desc)) {
        const int32_t left = viewX * 40, top = viewY * 10;
        auto* pixels = static_cast<uint16_t*>(desc.lpSurface);
        const int pitch = int(desc.lPitch / 2);
        for (uintptr_t v = map->missiles->First(); v != 0; v = map->missiles->Next()) {
            Missile* m = reinterpret_cast<Missile*>(v);
            if (!m->frame) continue;
            if (m->posX < left || m->posX >= left + kViewWidth || m->posY < top ||
                m->posY >= top + kViewHeight)
                continue;
            int32_t cx = 0, cy = 0;
            PixelToCell(m->posX - left, m->posY - top, 20, cx, cy);
            if (sight(cx, cy) <= 1) continue;
            // The flight itself steps with the world; the picture turns over as it is drawn.
            m->NextFrame();
            m->DrawToBuffer(viewX, viewY, pixels, pitch);
        }
        back->Unlock(nullptr);
    }

    if (c->dragging && LockBack(back, desc)) {
        const uint16_t colour = StorePictureColours ? StorePictureColours[15 * 3] : 0xFFFF;
        const int32_t x0 = std::clamp(std::min(c->dragStartX, c->dragEndX), 0, int32_t(desc.dwWidth) - 1);
        const int32_t x1 = std::clamp(std::max(c->dragStartX, c->dragEndX), 0, int32_t(desc.dwWidth) - 1);
        const int32_t y0 = std::clamp(std::min(c->dragStartY, c->dragEndY), 0, int32_t(desc.dwHeight) - 1);
        const int32_t y1 = std::clamp(std::max(c->dragStartY, c->dragEndY), 0, int32_t(desc.dwHeight) - 1);
        auto* base = static_cast<uint8_t*>(desc.lpSurface);
        auto px = [&](int32_t x, int32_t y) -> uint16_t& {
            return reinterpret_cast<uint16_t*>(base + size_t(y) * desc.lPitch)[x];
        };
        for (int32_t x = x0; x <= x1; ++x)
            px(x, y0) = px(x, y1) = colour;
        for (int32_t y = y0; y <= y1; ++y)
            px(x0, y) = px(x1, y) = colour;
        back->Unlock(nullptr);
    }

    DrawNoticeTexts();

    if (placingBuilding) {
        UpdatePlacementAllowed();
        DrawFootprintTint(90, placementAllowed ? 0x001F : 0xF800, 2, 6, GetBackSurface());
        DrawConstructPreview(placementAllowed != 0);
    }
}

void MapView::DrawHoverNames() {
    const GameController* c = TheGameController;
    platform::Surface* back = GetBackSurface();
    if (!c || !back || !TheStoreHooks.drawSurfaceText) return;
    // Names are Big5 texts of up to 20 bytes; the copy ends them.
    char name[24] = {};
    auto draw = [&](const DataSet& record, int32_t x, int32_t y) {
        if (x < 0 || x >= kViewWidth || y < 0 || y >= kViewHeight) return;
        const std::string_view text = record.Text(0, 20);
        const size_t n = std::min(text.size(), sizeof name - 1);
        std::memcpy(name, text.data(), n);
        name[n] = 0;
        TheStoreHooks.drawSurfaceText(x, y, name, back, 48);
    };
    if (const City* city = c->cityUnderCursor; city && city != c->selectedCity)
        draw(*city, (city->CellX() - viewX - 1) * 40, (city->CellY() - viewY - 9) * 10);
    if (const SubCastle* sc = c->subCastleUnderCursor)
        draw(*sc, (sc->Int(SubCastleLayout::kX) - viewX) * 40,
             (sc->Int(SubCastleLayout::kY) - viewY - 7) * 10);
}

void MapView::DrawNoticeTexts() {
    GameController* c = TheGameController;
    platform::Surface* back = GetBackSurface();
    auto draw = TheStoreHooks.drawSurfaceText;
    if (c->noticeText[0] != 0 && back && draw) {
        // The buffer may be filled to its end: the copy always ends.
        char text[sizeof c->noticeText + 1] = {};
        std::memcpy(text, c->noticeText, sizeof c->noticeText);
        draw(100, 100, text, back, 240);
    }
    // The name over a placed building shows for 30 frames and goes on the 31st.
    if (c->floatingKind < 0) return;
    if (++c->floatingFrames > kFloatingFrames) {
        c->floatingKind = -1;
        c->floatingFrames = 0;
        return;
    }
    const char* name = BuildingName(c->floatingKind);
    if (!name || !back || !draw) return;
    const int32_t length = static_cast<int32_t>(std::strlen(name));
    draw((c->floatingX - viewX) * 40 - 4 * length, (c->floatingY - viewY) * 10, name, back, 240);
}

void MapView::FillCityBars(uint8_t* picture, const City& city) {
    if (!picture) return;
    constexpr int kLine = 100;
    for (int line : {0, 1, 2, 3, 8, 9, 10, 11})
        std::fill(picture + line * kLine, picture + (line + 1) * kLine, uint8_t(0));
    const int32_t strength = city.totalStrength;
    int32_t garrison = 0;
    for (const Troop* t : city.garrison)
        if (t && t->officer) garrison += t->officer->Get(OfficerLayout::kHp);
    int32_t progress = 0;
    for (uintptr_t v = const_cast<LinkList&>(city.sites).First(); v != 0;
         v = const_cast<LinkList&>(city.sites).Next())
        progress = std::max(progress, reinterpret_cast<const SavedRecord*>(v)->work);
    int32_t a = std::min(100, strength * 100 / 500);
    if (a < 0) a = 1;
    const int32_t g = garrison * 100 / 500 - a;
    for (int line = 0; line < 4; ++line) {
        uint8_t* l = picture + line * kLine;
        FillLine(l, 0, a, 15);
        if (a + g > 100)
            FillLine(l, 0, 100, 254);
        else if (g > 0)
            FillLine(l, a, g, 254);
    }
    if (progress != 0) {
        int32_t p = std::min(100, progress * 100 / 1000);
        if (p < 0) p = 1;
        for (int line = 8; line < 12; ++line)
            FillLine(picture + line * kLine, 0, p, 74);
    }
}

void MapView::MarkSelectedCity(bool) {
    GameController* c = TheGameController;
    if (!currentCity || !c) return;
    if (City* previous = c->selectedCity) {
        MarkArea(previous->CellX(), previous->CellY(), 6, 7, 5);
        MarkObjectCell(previous, 0);
    }
    MarkArea(currentCity->CellX(), currentCity->CellY(), 6, 7, 21);
    MarkObjectCell(currentCity, 1);
    if (FrameAnimControl* marker = c->markerAnims[1]) {
        marker->posX = int16_t((currentCity->CellX() - 1) * 40);
        marker->posY = int16_t((currentCity->CellY() - 7) * 10);
    }
    if (c->markerFrames[1]) FillCityBars(c->markerFrames[1]->data, *currentCity);
    if (!(TheScreenSettings && TheScreenSettings->editorKeys)) c->selectedCity = currentCity;
    // The side panel's city follows with the command panels.
}
