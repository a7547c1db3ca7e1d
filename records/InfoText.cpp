#include "records/InfoText.h"

#include "Program/GameController.h"
#include "Program/HelpTexts.h"
#include "Program/Startup.h"
#include "engine/DisplayDevice.h"
#include "engine/LinkList.h"
#include "engine/PixelFormat.h"
#include "engine/ResourceStore.h"
#include "engine/SurfaceText.h"
#include "gui/MouseCursor.h"
#include "gui/RootWidget.h"
#include "gui/Widget.h"
#include "platform/Surface.h"
#include "world/MapView.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

InfoText TheInfoText;

namespace {

constexpr int kScreenWidth = 800, kScreenHeight = 600;
constexpr int kViewHeight = 560;
constexpr int kPadding = 5, kLineHeight = 16, kCharWidth = 8;
constexpr uint16_t kTintColour = 25;
constexpr int kTextColour = 240;
constexpr uint16_t kFirstShownFrame = 7, kLastShownFrame = 100;

// Item columns.
constexpr uint32_t kItemName = 0, kItemNameBytes = 20;
constexpr uint32_t kItemCategory = 28, kItemPrice = 32, kEquipAll = 40;
// Skill columns.
constexpr uint32_t kSkillName = 0, kSkillCost = 24, kSkillText = 168, kSkillTextBytes = 20;

struct Bonus {
    uint32_t column;
    const char* label;
};
constexpr Bonus kBonuses[10] = {
    {112, "\xa7\xf0\xc0\xbb\xa4\x4f +"}, // 攻擊力 +
    {116, "\xa8\xbe\xbf\x6d\xa4\x4f +"}, // 防禦力 +
    {80, "\xaa\x5a\xa4\x4f +"},          // 武力 +
    {84, "\xb4\xbc\xa4\x4f +"},          // 智力 +
    {88, "\xc5\xe9\xbe\x7a +"},          // 體魄 +
    {92, "\xbe\x79\xa4\x4f +"},          // 魅力 +
    {96, "\xb1\xd3\xb1\xb6 +"},          // 敏捷 +
    {100, "\xa9\xbe\xb8\xdb +"},         // 忠誠 +
    {180, "\xca\x5e\xa4\x4f +"},         // 体力 +
    {184, "\xa7\xde\xa4\x4f +"},         // 技力 +
};
constexpr const char* kClassLabels[5] = {
    "\xbc\x43", // 劍
    "\xb0\xab", // 鬥
    "\xa4\x7d", // 弓
    "\xae\xd1", // 書
    "\xa4\x75", // 工
};
constexpr const char kEveryone[] = "\xa5\xfe\xad\xfb";                        // 全員
constexpr const char kBuyingPrice[] = "\xb6\x52\xbb\xf9";                     // 買價
constexpr const char kSellingPrice[] = "\xbd\xe6\xbb\xf9";                    // 賣價
constexpr const char kSkillCostLabel[] = "\xae\xf8\xaf\xd3\xa7\xde\xa4\x4f "; // 消耗技力

constexpr const char* kBuildingNames[23] = {
    "\xb9\x41\xa5\xd0",                 // 農田
    "\xbd\x5c\xad\xdc",                 // 穀倉
    "\xa5\xab\xb6\xb0",                 // 市集
    "\xb0\xd3\xb7\x7c",                 // 商會
    "\xa6\x78\xbc\x71",                 // 寺廟
    "\xa4\xd1\xbe\xc2",                 // 天壇
    "\xa8\x42\xa7\x4c\xc0\xe7",         // 步兵營
    "\xa6\xe6\xad\x78\xb3\xf5",         // 行軍場
    "\xc5\xb1\xa4\x4d\xbc\x74",         // 鑄刀廠
    "\xc3\x4d\xa7\x4c\xc0\xe7",         // 騎兵營
    "\xb0\xa8\xb4\x5c",                 // 馬廄
    "\xba\xeb\xc1\xeb\xbc\x74",         // 精鍛廠
    "\xa4\x7d\xa7\x4c\xc0\xe7",         // 弓兵營
    "\xae\x67\xc0\xbb\xb3\xf5",         // 射擊場
    "\xbb\x73\xa9\xb8\xbc\x74",         // 製弩廠
    "\xa4\xf4\xa7\x4c\xc0\xe7",         // 水兵營
    "\xaf\xa5\xb2\xee\xbc\x74",         // 砲船廠
    "\xc3\xc3\xa5\xd2\xa7\x4c\xc0\xe7", // 藤甲兵營
    "\xbb\x73\xc3\xc3\xbc\x74",         // 製藤廠
    "\xc6\x5a\xa4\xfb\xc0\xe7",         // 蠻牛營
    "\xb9\xa5\xb6\x48\xb3\xf5",         // 馴象場
    "\xa4\x73\xb8\xe9\xc0\xe7",         // 山賊營
    "\xb6\x5d\xb0\xa8\xb3\xf5",         // 跑馬場
};

int32_t Column(const void* block, uint32_t offset) {
    int32_t v = 0;
    std::memcpy(&v, static_cast<const uint8_t*>(block) + offset, 4);
    return v;
}

// A text field of a record; a field without its terminator ends at its length.
void CopyField(char* out, const void* block, uint32_t offset, uint32_t bytes) {
    const char* text = static_cast<const char*>(block) + offset;
    const size_t n = strnlen(text, bytes);
    std::memcpy(out, text, n);
    out[n] = '\0';
}

// How many of the first `limit` bytes of text belong to whole characters (a Big5 lead byte takes
// the byte after it with it).
size_t WholeCharacters(const char* text, size_t limit) {
    size_t i = 0;
    while (i < limit && text[i] != '\0') {
        const size_t step = static_cast<uint8_t>(text[i]) >= 0x81 && text[i + 1] != '\0' ? 2 : 1;
        if (i + step > limit) break;
        i += step;
    }
    return i;
}

// Where the owner window stands on the screen: its panel's rectangle moved by every parent.
bool FindPanel(Widget* w, const Window* owner, Widget*& found) {
    if (!w) return false;
    if (w->listener == owner && w != TheRootWidget) {
        found = w;
        return true;
    }
    if (!w->children) return false;
    for (int i = 0; i < w->children->GetCount(); ++i)
        if (FindPanel(reinterpret_cast<Widget*>(w->children->GetAt(i)), owner, found)) return true;
    return false;
}

void AnchorOf(const Window* owner, int32_t& right, int32_t& bottom) {
    right = bottom = 0;
    Widget* panel = nullptr;
    if (!owner || !FindPanel(TheRootWidget, owner, panel)) return;
    right = panel->rect.right;
    bottom = panel->rect.bottom;
    for (Widget* p = panel->parent; p; p = p->parent) {
        right += p->rect.left;
        bottom += p->rect.top;
    }
}

void PlaceBox(InfoText& t, int32_t anchorRight, int32_t anchorBottom) {
    t.box = {0, 0, t.width, t.height};
    t.screen = {anchorRight - t.width, anchorBottom - t.height, anchorRight, anchorBottom};
    if (t.screen.left < 0) t.screen = {0, t.screen.top, t.width, t.screen.bottom};
    if (t.screen.top < 0) t.screen = {t.screen.left, 0, t.screen.right, t.height};
}

// The window the mouse is over: the listener of the control holding the capture.
Window* HoverWindow() {
    return TheMouseCursor && TheMouseCursor->captured ? TheMouseCursor->captured->listener : nullptr;
}

bool EnsureSurface(InfoText& t, const platform::Surface* back) {
    if (t.surface && t.surface->layout() != back->layout()) t.ReleaseSurface();
    if (!t.surface) t.surface = CreateOffscreenSurface(InfoText::kSurfaceWidth, InfoText::kSurfaceHeight);
    return t.surface != nullptr;
}

// Lines composed for the frame being drawn; kept here so drawing allocates nothing.
char FrameLines[InfoText::kMaxLines][InfoText::kLineBytes];

} // namespace

void InfoText::Clear() {
    currentObject = nullptr;
    helpId = 0;
    owner = nullptr;
}

void InfoText::ReleaseSurface() {
    if (surface) surface->Release();
    surface = nullptr;
}

int InfoText::ComposeLines(char (&lines)[kMaxLines][kLineBytes]) const {
    const void* s = currentObject;
    if (!s) return 0;
    int n = 0;
    switch (kind) {
    case kItem:
    case kItemBuying:
    case kItemSelling:
    case kMapItem: {
        CopyField(lines[n++], s, kItemName, kItemNameBytes);
        const int32_t category = Column(s, kItemCategory);
        if ((category >= 1 && category <= 5) || category == 7) {
            if (category != 5 && category != 7) {
                char* line = lines[n];
                line[0] = '\0';
                if (Column(s, kEquipAll) != 0) {
                    std::strcat(line, kEveryone);
                } else {
                    for (uint32_t c = 0; c < 5; ++c)
                        if (Column(s, kEquipAll + 4 * (c + 1)) != 0) std::strcat(line, kClassLabels[c]);
                }
                if (line[0] != '\0') ++n;
            }
            for (const Bonus& b : kBonuses)
                if (const int32_t v = Column(s, b.column); v != 0)
                    std::snprintf(lines[n++], kLineBytes, "%s%d", b.label, v);
        }
        const int32_t price = Column(s, kItemPrice);
        if (kind == kItemBuying) std::snprintf(lines[n++], kLineBytes, "%s%d", kBuyingPrice, price);
        if (kind == kItemSelling) std::snprintf(lines[n++], kLineBytes, "%s%d", kSellingPrice, price / 2);
        return n;
    }
    case kSkill:
        CopyField(lines[n++], s, kSkillName, kItemNameBytes);
        std::snprintf(lines[n++], kLineBytes, "%s%d", kSkillCostLabel, Column(s, kSkillCost));
        CopyField(lines[n++], s, kSkillText, kSkillTextBytes);
        return n;
    case kTroopClass:
        CopyField(lines[n++], s, 0, kItemNameBytes);
        return n;
    case kBuilding: {
        // Kinds past the named ones have no name to show.
        const int32_t building = Column(s, 0);
        if (building < 0 || building >= 23) return 0;
        std::snprintf(lines[n++], kLineBytes, "%s", kBuildingNames[building]);
        return n;
    }
    default:
        return 0;
    }
}

void ComposeDescription(int16_t kind, const void* subject, Window* owner, int32_t extra) {
    InfoText& t = TheInfoText;
    if (!subject || subject == t.currentObject) return;
    t.helpId = 0;
    t.kind = kind;
    t.currentObject = subject;
    t.owner = owner;
    t.extra = extra;
    int32_t right = 0, bottom = 0;
    AnchorOf(owner, right, bottom);
    const int count = t.ComposeLines(FrameLines);
    // A subject without a line to show (a building kind without a name) shows no box at all.
    if (count == 0) {
        t.Clear();
        return;
    }
    size_t longest = 0;
    for (int i = 0; i < count; ++i)
        longest = std::max(longest, std::strlen(FrameLines[i]));
    t.width = kCharWidth * static_cast<int32_t>(longest) + 2 * kPadding;
    t.height = kLineHeight * count + 2 * kPadding;
    PlaceBox(t, right, bottom);
    t.frames = 0;
}

void ShowTooltip(int16_t kind, int16_t helpId, Window* owner) {
    InfoText& t = TheInfoText;
    t.kind = kind;
    t.helpId = helpId;
    t.owner = owner;
    int32_t right = 0, bottom = 0;
    AnchorOf(owner, right, bottom);
    t.help1[0] = t.help2[0] = '\0';
    const char* text = GameHelpTexts().Text(helpId);
    if (!text) {
        // A help number without a text shows nothing.
        t.Clear();
        return;
    }
    const size_t first = WholeCharacters(text, InfoText::kHelpBytes);
    std::memcpy(t.help1, text, first);
    t.help1[first] = '\0';
    const char* rest = text + first;
    const size_t second = WholeCharacters(rest, InfoText::kHelpBytes);
    std::memcpy(t.help2, rest, second);
    t.help2[second] = '\0';
    t.width = kCharWidth * static_cast<int32_t>(first) + 2 * kPadding;
    t.height = kLineHeight * (t.help2[0] != '\0' ? 2 : 1) + 2 * kPadding;
    PlaceBox(t, right, bottom);
    if (t.screen.right > kScreenWidth) {
        t.screen.left -= t.screen.right - kScreenWidth;
        t.screen.right = kScreenWidth;
    }
    if (t.screen.bottom > kScreenHeight) {
        t.screen.top -= t.screen.bottom - kScreenHeight;
        t.screen.bottom = kScreenHeight;
    }
    t.frames = 0;
}

void ComposeObjectInfo() {
    InfoText& t = TheInfoText;
    if (!t.currentObject && t.helpId == 0) return;
    ++t.frames;
    if (t.frames < kFirstShownFrame) return;
    if (t.frames > kLastShownFrame) {
        t.Clear();
        return;
    }
    MapView* view = TheGameController ? TheGameController->gameScreen : nullptr;
    if (view && t.owner != view && t.owner) {
        Window* hover = HoverWindow();
        if (!hover || hover != t.owner) {
            t.Clear();
            return;
        }
    }
    platform::Surface* back = GetBackSurface();
    if (!back || !EnsureSurface(t, back)) return;

    // The box on the screen and its part of the tooltip's surface, both cut to the surface.
    ClipRect source = t.box;
    ClipRect target = t.screen;
    if (t.helpId == 0 && t.kind == InfoText::kMapItem) {
        const int32_t originX = view ? view->viewX * 40 : 0, originY = view ? view->viewY * 10 : 0;
        ClipRect onMap = {t.anchorX * 40 - t.width / 2, t.anchorY * 20 - t.height / 2, 0, 0};
        onMap.right = onMap.left + t.width;
        onMap.bottom = onMap.top + t.height;
        ClipRect visible = {originX, originY, originX + kScreenWidth, originY + kViewHeight};
        if (!ClipRectPair(onMap, visible)) return;
        source = onMap;
        target = visible;
    }
    const int32_t w = std::min({source.right - source.left, InfoText::kSurfaceWidth - source.left,
                                kScreenWidth - std::max(0, target.left), back->width() - target.left});
    const int32_t h = std::min(
        {source.bottom - source.top, InfoText::kSurfaceHeight - source.top, back->height() - target.top});
    if (w <= 0 || h <= 0 || target.left < 0 || target.top < 0 || source.left < 0 || source.top < 0) return;

    const platform::RECT under{target.left, target.top, target.left + w, target.top + h};
    if (t.surface->BltFast(source.left, source.top, back, &under, platform::DDBLTFAST_WAIT) !=
        platform::DD_OK)
        return;
    if (TheResourceStore)
        TheResourceStore->TintArea(Palette16[kTintColour], t.surface,
                                   std::min(t.width, InfoText::kSurfaceWidth),
                                   std::min(t.height, InfoText::kSurfaceHeight));
    else
        TintSurface(Palette16[kTintColour], t.surface, std::min(t.width, InfoText::kSurfaceWidth),
                    std::min(t.height, InfoText::kSurfaceHeight));
    if (TheBig5Font) {
        if (t.helpId != 0) {
            TheBig5Font->DrawSurfaceText(kPadding, kPadding, t.help1, t.surface, kTextColour);
            if (t.help2[0] != '\0')
                TheBig5Font->DrawSurfaceText(kPadding, kPadding + kLineHeight, t.help2, t.surface,
                                             kTextColour);
        } else {
            const int count = t.ComposeLines(FrameLines);
            for (int i = 0; i < count; ++i)
                TheBig5Font->DrawSurfaceText(kPadding, kPadding + kLineHeight * i, FrameLines[i], t.surface,
                                             kTextColour);
        }
    }
    const platform::RECT from{source.left, source.top, source.left + w, source.top + h};
    const uint32_t key = t.helpId == 0 && t.kind == InfoText::kMapItem ? platform::DDBLTFAST_SRCCOLORKEY
                                                                       : platform::DDBLTFAST_NOCOLORKEY;
    back->BltFast(target.left, target.top, t.surface, &from, key | platform::DDBLTFAST_WAIT);
}

const char* BuildingName(int32_t kind) {
    return kind >= 0 && kind < static_cast<int32_t>(std::size(kBuildingNames)) ? kBuildingNames[kind]
                                                                               : nullptr;
}
