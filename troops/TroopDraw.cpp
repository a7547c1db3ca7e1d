#include "Program/GameController.h"
#include "Program/Palettes.h"
#include "Program/ScreenSettings.h"
#include "engine/Big5Font.h"
#include "engine/DisplayDevice.h"
#include "engine/LinkList.h"
#include "engine/PixelFormat.h"
#include "engine/PixelRoutines.h"
#include "engine/ResourceStore.h"
#include "platform/GdiText.h"
#include "platform/Surface.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/StageEditor.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "world/Zu_SkillEffect.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {
using L = OfficerLayout;

constexpr int kScreenW = 800;
constexpr int kScreenH = 600;
// Nations with a ramp of their own; a ramp read runs up to 31 entries past the nation's base, so
// the second ramp palette pads the first.
constexpr int kRampNations = 16;

// The default table entries a hit troop flashes in.
constexpr int kFlashEntries[2] = {241, 254};

const uint16_t* TypeColours(int32_t type) {
    const uint16_t* t = GamePalettes().Numbered(type);
    return t ? t : GamePalettes().mainTable.data();
}

uint16_t RampColour(int index) {
    const Palettes& p = GamePalettes();
    return index < 256 ? p.specialTable1[index] : p.specialTable2[(index - 256) & 0xFF];
}

bool LockSurface(platform::Surface* s, platform::DDSURFACEDESC2& desc) {
    if (!s) return false;
    platform::HRESULT r;
    while ((r = s->Lock(nullptr, &desc, platform::DDLOCK_WAIT)) == platform::DDERR_WASSTILLDRAWING) {
    }
    return platform::SUCCEEDED(r);
}

uint16_t* Row(const platform::DDSURFACEDESC2& desc, int y) {
    return reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(desc.lpSurface) +
                                       static_cast<ptrdiff_t>(y) * desc.lPitch);
}

bool HalfSizeView() {
    return TheStageEditor && TheStageEditor->halfSizeView;
}

int NameLength(const Troop& t) {
    if (!t.officer) return 0;
    return static_cast<int>(t.officer->Name().size());
}

const char* NameBytes(const Troop& t, char (&buf)[L::kNameBytes + 1]) {
    std::memset(buf, 0, sizeof buf);
    if (t.officer) {
        const std::string_view n = t.officer->Name();
        std::memcpy(buf, n.data(), std::min<size_t>(n.size(), L::kNameBytes));
    }
    return buf;
}

// A 1:1 colour-keyed copy of a w x h box of `src` to (x, y) on the back surface, cut to the screen.
void BlitClipped(platform::Surface* src, int x, int y, int w, int h) {
    platform::Surface* back = GetBackSurface();
    if (!back || !src) return;
    int sx = 0, sy = 0;
    if (x < 0) {
        sx = -x;
        w += x;
        x = 0;
    }
    if (y < 0) {
        sy = -y;
        h += y;
        y = 0;
    }
    w = std::min(w, kScreenW - x);
    h = std::min(h, kScreenH - y);
    w = std::min(w, back->width() - x);
    h = std::min(h, back->height() - y);
    if (w <= 0 || h <= 0) return;
    const platform::RECT r{sx, sy, sx + w, sy + h};
    back->BltFast(x, y, src, &r, platform::DDBLTFAST_SRCCOLORKEY | platform::DDBLTFAST_WAIT);
}

uint16_t StrengthColour(int32_t percent) {
    if (percent < 25) return 0xF800;
    if (percent >= 50) return 0x07E0;
    return 0xFFE0;
}

void FillBarRow(uint16_t* row, int length, uint16_t colour) {
    length = std::clamp(length, 0, 40);
    std::fill(row, row + length, colour);
    std::fill(row + length, row + 40, uint16_t{0});
}

// Length of a bar of `max` pixels for value of top; full when there is no top or value reaches it.
int BarLength(int32_t value, int32_t top, int full) {
    if (top == 0 || top <= value) return full;
    return static_cast<int>(static_cast<int64_t>(value) * full / top);
}

} // namespace

void Troop::Draw(int viewX, int viewY) {
    if (actionCode == 19) return;
    DrawSprite();
    if (!frame) return;
    int x = pixelX - viewX * 40 + frameGeometry[0];
    int y = pixelY - viewY * 10 + frameGeometry[1];
    drawnRect[0] = static_cast<int16_t>(pixelX + frameGeometry[0]);
    drawnRect[1] = static_cast<int16_t>(pixelY + frameGeometry[1]);
    drawnRect[2] = static_cast<int16_t>(drawnRect[0] + frameGeometry[2]);
    drawnRect[3] = static_cast<int16_t>(drawnRect[1] + frameGeometry[3]);
    int w = frameGeometry[2];
    int h = frameGeometry[3];
    int sx = 0, sy = 0;
    if (x < 0) {
        sx = -x;
        w += x;
        x = 0;
    }
    if (y < 0) {
        sy = -y;
        h += y;
        y = 0;
    }
    if (x + w > kScreenW) w = kScreenW - x;
    if (y + h > kScreenH) h = kScreenH - y;
    if (w <= 0 || h <= 0) return;
    platform::Surface* back = GetBackSurface();
    if (!back || !StoreSurface200x250) return;
    const platform::RECT src{sx, sy, sx + w, sy + h};
    platform::RECT dst{x, y, x + w, y + h};
    if (HalfSizeView()) dst = platform::RECT{x / 2, y / 2, x / 2 + w / 2, y / 2 + h / 2};
    back->Blt(&dst, StoreSurface200x250, &src, platform::DDBLT_KEYSRC | platform::DDBLT_WAIT);
}

void Troop::DrawSprite() {
    if (!frame) return;
    const FrameRecord& f = *frame;
    const uint16_t* table = TypeColours(drawBaseType ? baseType : currentType);
    const uint16_t* defaults = GamePalettes().mainTable.data();
    const Kingdom* kingdom = TroopKingdom(owner);
    // Without a kingdom, or with a nation the ramps do not hold, the type's own colours are used.
    const bool rampNation = kingdom && kingdom->nationIndex >= 1 && kingdom->nationIndex <= kRampNations;
    const int rampBase = rampNation ? (kingdom->nationIndex - 1) * 16 : 0;
    const bool typeOnly = !rampNation || (rampBase == 0 && drawingMode != 6);

    frameGeometry[1] = f.offsetY;
    frameGeometry[2] = f.frameWidth;
    frameGeometry[3] = f.frameHeight;
    const int w = f.frameWidth;
    const int h = f.frameHeight;
    const bool mirrored = facing >= 4 && facing <= 6;
    frameGeometry[0] = static_cast<int16_t>(mirrored ? 200 - f.offsetX - w : f.offsetX);

    std::unique_ptr<uint8_t[]> unpacked;
    const uint8_t* pixels = f.data;
    if (f.packed) {
        unpacked.reset(UnpackFrame(f));
        pixels = unpacked.get();
    } else if (!pixels || static_cast<int64_t>(f.dataSize) < static_cast<int64_t>(w) * h) {
        pixels = nullptr;
    }

    platform::Surface* shadow = StoreSurface200x250;
    platform::DDSURFACEDESC2 desc;
    if (pixels && w > 0 && h > 0 && LockSurface(shadow, desc)) {
        const bool flashing = (hitFlash & 1) != 0 && !IsGone();
        const uint16_t flash = defaults[kFlashEntries[flashColour == 1 ? 1 : 0]];
        // Every pixel value maps to one colour for the whole frame: the map is made once.
        uint16_t own[256];
        const uint16_t* colours = table;
        if (flashing) {
            std::fill(std::begin(own), std::end(own), flash);
            own[0] = 0;
            colours = own;
        } else if (!typeOnly) {
            own[0] = 0;
            for (int v = 1; v < 32; ++v)
                own[v] = RampColour(rampBase + v);
            std::copy(table + 32, table + 256, own + 32);
            colours = own;
        }
        const int cw = std::min(w, shadow->width());
        const int ch = std::min(h, shadow->height());
        for (int row = 0; row < ch; ++row) {
            const uint8_t* in = pixels + static_cast<ptrdiff_t>(row) * w;
            uint16_t* out = Row(desc, row);
            if (mirrored)
                for (int col = 0; col < cw; ++col)
                    out[col] = colours[in[w - 1 - col]];
            else
                for (int col = 0; col < cw; ++col)
                    out[col] = colours[in[col]];
        }
        shadow->Unlock(nullptr);
    }
    if (hitFlash != 0 && ++hitFlash > 4) hitFlash = 0;

    if (officer && officer->StatusWord() == 1 && owner != OfficerValue(L::kPolicy))
        TintFrame(0);
    else if (statusBits & 0x2000)
        TintFrame(3);
    else if (statusBits & 0x100)
        TintFrame(1);
    else if (statusBits & 0x80)
        TintFrame(2);

    const int32_t markX = cellX * 40, markY = cellY * 20;
    if ((statusBits & 0x20000) && !attachedEffects[3])
        attachedEffects[3] = new Zu_SkillEffect(3, 2, markX, markY);
    if ((statusBits & 0x1000) && !attachedEffects[4])
        attachedEffects[4] = new Zu_SkillEffect(3, 1, markX, markY);
    if ((statusBits & 0x40) && !attachedEffects[5])
        attachedEffects[5] = new Zu_SkillEffect(3, 3, markX, markY);
}

void Troop::TintFrame(int32_t mode) {
    platform::Surface* shadow = StoreSurface200x250;
    platform::DDSURFACEDESC2 desc;
    if (!LockSurface(shadow, desc)) return;
    const bool is555 = PixelFormat == 555;
    const int w = std::clamp<int>(frameGeometry[2], 0, shadow->width());
    const int h = std::clamp<int>(frameGeometry[3], 0, shadow->height());
    for (int row = 0; row < h; ++row) {
        uint16_t* p = Row(desc, row);
        for (int col = 0; col < w; ++col) {
            const uint16_t px = p[col];
            if (px == 0) continue;
            int r, g, b;
            if (is555) {
                r = ((px >> 10) & 31) << 3;
                g = ((px >> 5) & 31) << 3;
                b = (px & 31) << 3;
            } else {
                r = ((px >> 11) & 31) << 3;
                g = ((px >> 5) & 63) << 2;
                b = (px & 31) << 3;
            }
            auto grey = [&] {
                const int l = std::max((r * 9798 + g * 19235 + b * 3735) / 32768, 8);
                r = g = b = l;
            };
            switch (mode) {
            case 0:
                grey();
                break;
            case 1:
                if (r + g + b > 11) {
                    r = std::min(r + 48, 255);
                    g = std::max(g - 24, 0);
                    b = std::max(b - 24, 0);
                }
                break;
            case 2:
                if (r + g + b >= 12) {
                    b = std::min(b + 64, 255);
                    r = std::max(r - 32, 0);
                    g = std::max(g - 32, 0);
                }
                break;
            case 3:
                r = std::max(r - 32, 0);
                g = std::max(g - 32, 0);
                b = std::max(b - 32, 0);
                grey();
                break;
            default:
                break;
            }
            p[col] = is555 ? static_cast<uint16_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3))
                           : static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
        }
    }
    shadow->Unlock(nullptr);
}

void Troop::DrawStatusBars(int32_t viewX, int32_t viewY) {
    const int32_t kind = OfficerKind();
    if (!frame && kind != 14) return;
    platform::Surface* bars = TheResourceStore ? TheResourceStore->barSurface : nullptr;
    platform::DDSURFACEDESC2 desc;
    if (!LockSurface(bars, desc)) return;
    const int32_t hp = OfficerValue(L::kHp);
    const int32_t maxHp = OfficerValue(L::kMaxHp);
    const int nameShift = 7 * NameLength(*this) / 2;
    const bool leaderBars = kind == 1 && bars->height() >= 8;
    if (leaderBars) {
        const int32_t p = maxHp == 0 ? 0 : static_cast<int32_t>(static_cast<int64_t>(hp) * 100 / maxHp);
        const int len = BarLength(hp, maxHp, 40);
        FillBarRow(Row(desc, 0), len, StrengthColour(p));
        FillBarRow(Row(desc, 1), len, StrengthColour(p));
        const int skillLen = BarLength(OfficerValue(L::kMp), OfficerValue(L::kMaxMp), 40);
        FillBarRow(Row(desc, 3), skillLen, 0x001F);
        FillBarRow(Row(desc, 4), skillLen, 0x001F);
        const int n = followers ? followers->GetCount() : 0;
        for (int r = 6; r <= 7; ++r) {
            uint16_t* row = Row(desc, r);
            FillBarRow(row, 0, 0);
            for (int i = 0; i < n && i * 5 + 3 <= 40; ++i)
                std::fill(row + i * 5, row + i * 5 + 3, uint16_t{0x07E0});
        }
    } else {
        const int32_t p = maxHp == 0 ? 100 : static_cast<int32_t>(static_cast<int64_t>(hp) * 100 / maxHp);
        const int len = hp >= 250 ? 32 : static_cast<int>(hp * 32 / 250);
        FillBarRow(Row(desc, 0), len, StrengthColour(p));
        FillBarRow(Row(desc, 1), len, StrengthColour(p));
    }
    bars->Unlock(nullptr);
    if (leaderBars)
        BlitClipped(bars, pixelX - viewX * 40 + 100 - nameShift, pixelY - viewY * 10 + 102, 40, 8);
    else
        BlitClipped(bars, pixelX - viewX * 40 - nameShift + 108,
                    pixelY - viewY * 10 + (kind == 14 ? 16 : 184), 40, 2);
}

namespace {
platform::HFONT LabelFont() {
    const platform::LOGFONTA lf = Big5FontSpec(-12, "\xB2\xD3\xA9\xFA\xC5\xE9"); // "細明體"
    return platform::CreateFontIndirectA(&lf);
}
} // namespace

void Troop::DrawNameLabel(int32_t viewX, int32_t viewY) {
    const int32_t kind = OfficerKind();
    if (!frame && kind != 14) return;
    if (!TheScreenSettings || !TheScreenSettings->nameLabelsOn) return;
    const bool current = TheGameController && TheGameController->currentTroop == this;
    if (kind != 1 && !current) return;
    platform::Surface* label = TheResourceStore ? TheResourceStore->barLabelSurface : nullptr;
    if (!label) return;
    const int nameShift = 7 * NameLength(*this) / 2;
    const int x = kind == 1 ? pixelX - viewX * 40 + 100 - nameShift : pixelX - viewX * 40 - nameShift + 108;
    const int y = pixelY - viewY * 10 + (kind == 2 ? 118 : kind == 14 ? 0 : 88);
    // A box wholly off screen draws nothing.
    if (x >= kScreenW || y >= kScreenH || x + 300 <= 0 || y + 18 <= 0) return;

    ClearSurface16(label, 300, 18);
    char name[L::kNameBytes + 1];
    NameBytes(*this, name);
    platform::HDC dc = nullptr;
    // Past the text the label holds only the clear colour: the outline and the blit stop there.
    int width = 300;
    if (platform::SUCCEEDED(label->GetDC(&dc))) {
        platform::HFONT& font = TheResourceStore->barLabelFont;
        if (!font) font = LabelFont();
        platform::SelectObject(dc, font);
        platform::SetBkMode(dc, platform::TRANSPARENT);
        platform::SetTextColor(dc, current ? platform::RGB(255, 0, 0) : platform::RGB(255, 255, 255));
        const int length = static_cast<int>(std::strlen(name));
        platform::TextOutA(dc, 0, 0, name, length);
        if (platform::SIZE extent; platform::GetTextExtentPoint32A(dc, name, length, &extent))
            width = std::clamp(extent.cx + 2, 0, 300);
        platform::SelectObject(dc, platform::GetStockObject(platform::SYSTEM_FONT));
        label->ReleaseDC(dc);
    }
    // The outline follows the text's own pixels in either display layout.
    const bool is555 = PixelFormat == 555;
    const uint16_t textPixel = current ? (is555 ? 0x7C00 : 0xF800) : (is555 ? 0x7FFF : 0xFFFF);
    OutlineColourPixels(label, textPixel, 0x0800, 18, width);
    BlitClipped(label, x, y, width, 18);
}

void Troop::DrawAttachedEffects() {
    if (!frame) return;
    auto run = [](Zu_SkillEffect* e, int32_t x, int32_t y) {
        e->x = x;
        e->y = y;
        e->Advance();
        e->UpdateAndDraw();
    };
    if (Zu_SkillEffect* e = attachedEffects[0])
        run(e, pixelX + frameGeometry[0] - 71 + frameGeometry[2] / 2,
            pixelY + frameGeometry[1] - 105 + frameGeometry[3] / 2);
    if (Zu_SkillEffect* e = attachedEffects[1]) {
        run(e, pixelX + 64, pixelY + 52);
        if (e->state == 2) {
            delete e;
            attachedEffects[1] = nullptr;
        }
    }
    if (Zu_SkillEffect* e = attachedEffects[2]) {
        if (e->id == 10)
            run(e, pixelX + 14, pixelY - 50);
        else
            run(e, pixelX + 82, pixelY + 70);
        if (e->state == 2) {
            delete e;
            attachedEffects[2] = nullptr;
        }
    }
    int32_t height = 60;
    if (Zu_SkillEffect* e = attachedEffects[3]; e && !leader) {
        run(e, pixelX + 66, pixelY + 120 - e->frameHeight);
        height = e->frameHeight + 60;
    }
    if (Zu_SkillEffect* e = attachedEffects[4]; e && !leader) {
        run(e, pixelX + 65, pixelY + 180 - height - e->frameHeight);
        height += e->frameHeight;
    }
    if (Zu_SkillEffect* e = attachedEffects[5]) run(e, pixelX + 88, pixelY + 180 - height - e->frameHeight);
}
