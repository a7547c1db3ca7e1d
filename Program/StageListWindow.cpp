#include "Program/StageListWindow.h"
#include "troops/SoldierTypesSeen.h"

#include "Program/GameController.h"
#include "Program/StageSet.h"
#include "engine/AniFrame.h"
#include "engine/ByteReader.h"
#include "engine/LinkList.h"
#include "engine/PixelFormat.h"
#include "engine/Rect.h"
#include "engine/ResourceStore.h"
#include "engine/ResourceStoreFiles.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "platform/Files.h"
#include "records/OfficerRecord.h"
#include "records/Persons.h"
#include "records/RecordTables.h"
#include "records/ScenarioData.h"
#include "records/TemplateTables.h"
#include "world/BattleMap.h"

#include <algorithm>
#include <cstring>

const char* const StageListFiles[7] = {"stage00.stg", "stage01.stg", "stage02.stg", "stage03.stg",
                                       "stage04.stg", "stage05.stg", "stage06.stg"};
const char* const StageMapCacheFiles[7] = {"stage01.ani", "stage01.ani", "stage02.ani", "stage03.ani",
                                           "stage04.ani", "stage05.ani", "stage06.ani"};

namespace {

constexpr const char* kPictureFile = "win75_2.ani";
constexpr int kMapX = 10;
constexpr int kMapY = 9;
constexpr int kTintOpacity = 165;
constexpr int kMaxCityIndex = 40;

// "武將", "城池", "人", "座"
const char OfficersWord[] = "\xaa\x5a\xb1\x4e";
const char CitiesWord[] = "\xab\xb0\xa6\xc0";
const char PersonsSuffix[] = "\xa4\x48";
const char SeatsSuffix[] = "\xae\x79";

uint16_t To565(uint16_t p) {
    if (PixelFormat != 555) return p;
    return static_cast<uint16_t>(((p & 0x7C00) << 1) | ((p & 0x03E0) << 1) | (p & 0x1F));
}

std::vector<Kingdom*> StageKingdoms() {
    std::vector<Kingdom*> out;
    Zu_StageSet* s = CurrentStageSet();
    if (!s || !s->kingdoms) return out;
    for (uintptr_t v = s->kingdoms->First(); v != 0; v = s->kingdoms->Next())
        out.push_back(reinterpret_cast<Kingdom*>(v));
    return out;
}

std::vector<City*> CitiesOf(Kingdom* k) {
    std::vector<City*> out;
    for (uintptr_t v = k->cities.First(); v != 0; v = k->cities.Next())
        out.push_back(reinterpret_cast<City*>(v));
    return out;
}

// A city's mask frame: its "都市索引" must name one of the forty masks.
AniFrame* LoadCityMask(const City* city) {
    const int32_t index = city->Int(CityLayout::kIndex);
    if (index < 1 || index > kMaxCityIndex || !TheResourceStore) return nullptr;
    return TheResourceStore->LoadAniFrame(kPictureFile, index);
}

uint16_t ColourOf(const Kingdom* k) {
    return k->colour;
}

// The ruler's portrait: "頭像編號" of the general template of the kingdom's "人物編號".
int32_t RulerPortrait(const Kingdom* k) {
    const uint8_t* t = GeneralTemplate(k->PersonNumber());
    if (!t) return 0;
    ByteReader r(t + OfficerLayout::kPortrait, 4);
    return r.i32();
}

int32_t OfficerCount(Kingdom* k) {
    int32_t n = 0;
    for (City* city : CitiesOf(k))
        n += city->generals.GetCount();
    return n;
}

} // namespace

std::vector<uint8_t> EncodeStageMapCache(const AniFrame& frame) {
    const size_t count = static_cast<size_t>(frame.width) * frame.height;
    ByteWriter out;
    out.u32(1);
    out.u32(static_cast<uint32_t>(frame.width));
    out.u32(static_cast<uint32_t>(frame.height));
    out.u32(static_cast<uint32_t>(frame.xOffset));
    out.u32(static_cast<uint32_t>(frame.yOffset));
    out.u32(static_cast<uint32_t>(frame.width));
    out.u32(static_cast<uint32_t>(frame.height));
    // The file keeps 5-6-5 pixels whatever the display uses.
    for (size_t i = 0; i < count; ++i)
        out.u16(To565(frame.pixels[i]));
    for (size_t i = 0; i < count; ++i)
        out.u8(frame.mask[i]);
    return out.buffer();
}

AniFrame* DecodeStageMapCache(std::span<const uint8_t> bytes) {
    ByteReader in(bytes);
    const uint32_t count = in.u32();
    const uint32_t w = in.u32();
    const uint32_t h = in.u32();
    in.u32();
    in.u32();
    const uint32_t fw = in.u32();
    const uint32_t fh = in.u32();
    if (!in.ok() || count != 1 || w != fw || h != fh || w == 0 || h == 0 || w > kMaxAniFrameSide ||
        h > kMaxAniFrameSide)
        return nullptr;
    if (bytes.size() != 28 + static_cast<uint64_t>(w) * h * 3) return nullptr;
    return DecodeAniFrame(bytes, 0);
}

Win75Window::Win75Window(Widget* parent, GameController* owner) : parent(parent), owner(owner) {
    PersonCap = kDefaultPersonCap;
    SoldierTypesSeen().Clear();
    if (owner) owner->gameKind = 1;
    layout = new GuiLayout("Win75.gui");
    rowLayout = new GuiLayout("Win75_1.gui");
    if (TheResourceStore) {
        markFrame = TheResourceStore->LoadAniFrame(kPictureFile, 41);
        overlayFrame = TheResourceStore->LoadAniFrame(kPictureFile, 42);
    }
    stage = 1;
    selectedRow = 1;
    mapState = -1;
    BuildPanels();
    DrawStageMap(0);
}

Win75Window::~Win75Window() {
    // The panels leave the widget tree before they go, as every window's do.
    ClosePanels(0);
    // Controls made from the layouts may still wait for deletion: the layouts go after them.
    DeferDelete(layout);
    DeferDelete(rowLayout);
    layout = nullptr;
    rowLayout = nullptr;
    FreeAniFrame(stageMap);
    FreeAniFrame(overlayFrame);
    FreeAniFrame(markFrame);
}

const char* Win75Window::MissingFile() const {
    if (!layout || !layout->elements[0]) return "Win75.gui";
    if (!rowLayout || !rowLayout->elements[0]) return "Win75_1.gui";
    return nullptr;
}

int Win75Window::Close(int) {
    if (panel) ClosePanels(0);
    return 1;
}

int Win75Window::ClosePanels(int flag) {
    if (!panel) return 1;
    for (GuiPanel*& row : rowPanels) {
        if (!row) continue;
        row->Close(flag);
        DeferDelete(row);
        row = nullptr;
    }
    if (TheResourceStore && TheResourceStore->drawList)
        TheResourceStore->drawList->RemoveValue(reinterpret_cast<uintptr_t>(panel));
    panel->Close(flag);
    DeferDelete(panel);
    panel = nullptr;
    panelControls = nullptr;
    return 1;
}

Widget* Win75Window::MainControl(int id) const {
    return FindScreenControl(panelControls, id);
}

Widget* Win75Window::RowControl(int row, int id) const {
    return row >= 0 && row < kRows ? FindScreenControl(rowControls[row], id) : nullptr;
}

void Win75Window::BuildPanels() {
    if (panel) return;
    GuiImage* background = layout->elements[0];
    Rect* rect = background
                     ? new Rect(background->left, background->top, background->right, background->bottom)
                     : new Rect(0, 0, 0, 0);
    panel = new GuiPanel(background, rect, parent, this, 1, 1, 0);
    panelControls = layout->CreateControls(panel, this);
    if (TheResourceStore && TheResourceStore->drawList)
        TheResourceStore->drawList->Add(reinterpret_cast<uintptr_t>(panel));
    GuiImage* rowImage = rowLayout->elements[0];
    for (int row = 0; row < kRows; ++row) {
        Widget* place = MainControl(0x200 + row);
        const int w = rowImage ? rowImage->right - rowImage->left : 0;
        const int h = rowImage ? rowImage->bottom - rowImage->top : 0;
        const int x = place ? place->rect.left : 0;
        const int y = place ? place->rect.top : 0;
        rowPanels[row] = new GuiPanel(rowImage, new Rect(x, y, x + w, y + h), panel, this, 1, 1, 0);
        // One layout serves every row: each row keeps the panel's own child list.
        rowLayout->CreateControls(rowPanels[row], this);
        rowControls[row] = rowPanels[row]->children;
    }
    option = owner ? owner->actOption : 1;
    if (option > 2) option = 2;
    ShowOption();
    ShowStage();
}

void Win75Window::ShowOption() {
    // The toggles stand in the order of their presses: 0x106 is level 2, 0x108 level 0.
    for (int k = 0; k < 3; ++k) {
        Widget* toggle = MainControl(0x106 + k);
        SetButtonState(toggle, 0x100, k == 2 - option ? 1 : 0, toggle ? toggle->groupWord : 0);
    }
}

void Win75Window::ShowRow(int row, Kingdom* k) {
    if (auto* portrait = dynamic_cast<TextLabel*>(RowControl(row, 0x200)))
        portrait->SetBackgroundPicture(0, RulerPortrait(k));
    if (auto* bar = dynamic_cast<TextLabel*>(RowControl(row, 0x201))) {
        const uint16_t c = ColourOf(k);
        bars_[row].r = static_cast<uint8_t>((c >> 8) & 0xF8);
        bars_[row].g = static_cast<uint8_t>((c >> 3) & 0xFC);
        bars_[row].b = static_cast<uint8_t>((c & 0x1F) << 3);
        bars_[row].percent = 100;
        bar->barRecord = &bars_[row];
        bar->DrawText();
    }
    labels_.SetText(RowControl(row, 0x202), 255, 255, 255, 12, 2, std::string(k->Caption()));
    labels_.SetText(RowControl(row, 0x203), 255, 255, 255, 12, 1, OfficersWord);
    const int32_t officers = OfficerCount(k);
    labels_.SetText(RowControl(row, 0x204), 255, 255, 255, 12, 1, std::to_string(officers) + PersonsSuffix);
    labels_.SetText(RowControl(row, 0x205), 255, 255, 255, 12, 1, CitiesWord);
    labels_.SetText(RowControl(row, 0x206), 255, 255, 255, 12, 1,
                    std::to_string(k->cities.GetCount()) + SeatsSuffix);
}

void Win75Window::ShowStage() {
    if (!panel) return;
    panel->RestoreBackground();
    ShowButtonPressed(MainControl(0x100 + stage - 1));
    if (stage < 7 && TheGameController && TheGameController->templateTables)
        TheGameController->templateTables->ReloadStageTexts(StageListFiles[stage]);
    ShowButtonNormal(RowControl(selectedRow, 0x100));
    selectedRow = 0;
    const std::vector<Kingdom*> kingdoms = StageKingdoms();
    size_t next = 0;
    for (int row = 0; row < kRows; ++row) {
        Kingdom* k = next < kingdoms.size() ? kingdoms[next] : nullptr;
        // A kingdom of kind 2 ends the rows.
        if (!k || k->NationKind() == 2) {
            rowKingdoms[row] = nullptr;
            if (rowPanels[row]) rowPanels[row]->visible = 0;
            if (Widget* selector = RowControl(row, 0x100)) selector->enabled = 0;
            continue;
        }
        rowKingdoms[row] = k;
        ShowRow(row, k);
        if (rowPanels[row]) rowPanels[row]->visible = 1;
        if (Widget* selector = RowControl(row, 0x100)) {
            selector->enabled = 1;
            ShowButtonNormal(selector);
        }
        ++next;
    }
    ShowButtonPressed(RowControl(0, 0x100));
}

AniFrame* Win75Window::ComposeStageMap() {
    if (!TheResourceStore) return nullptr;
    AniFrame* map = TheResourceStore->LoadAniFrame(kPictureFile, 0);
    if (!map) return nullptr;
    ++composeCount;
    for (Kingdom* k : StageKingdoms()) {
        if (k->NationKind() == 2) continue;
        const uint16_t colour = ColourOf(k);
        for (City* city : CitiesOf(k)) {
            AniFrame* mask = LoadCityMask(city);
            if (!mask) continue;
            // Only where the mask and the map overlap.
            const int w = std::min(mask->width, map->width);
            const int h = std::min(mask->height, map->height);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    if (mask->pixels[static_cast<size_t>(y) * mask->width + x] == 0) continue;
                    uint16_t& p = map->pixels[static_cast<size_t>(y) * map->width + x];
                    p = BlendPixel16(p, colour, kTintOpacity);
                }
            FreeAniFrame(mask);
        }
    }
    return map;
}

void Win75Window::MarkKingdomCities(int row) {
    const std::vector<Kingdom*> kingdoms = StageKingdoms();
    if (row < 0 || static_cast<size_t>(row) >= kingdoms.size() || !panel) return;
    Kingdom* k = kingdoms[row];
    const uint16_t colour = ColourOf(k);
    for (City* city : CitiesOf(k)) {
        scratchFrame = LoadCityMask(city);
        if (!scratchFrame) continue;
        AniFrame* f = scratchFrame;
        for (int y = 0; y < f->height; ++y)
            for (int x = 0; x < f->width; ++x) {
                uint16_t& p = f->pixels[static_cast<size_t>(y) * f->width + x];
                if (p == 0) continue;
                uint16_t mark = 0;
                if (markFrame && x < markFrame->width && y < markFrame->height)
                    mark = markFrame->pixels[static_cast<size_t>(y) * markFrame->width + x];
                p = mark != 0 ? mark : colour;
            }
        TheResourceStore->DrawAniFrame(f, kMapX, kMapY, panel->surface, 0);
        FreeAniFrame(f);
        scratchFrame = nullptr;
    }
}

void Win75Window::DrawStageMap(int row) {
    if (!panel) return;
    if (mapState < 0) {
        FreeAniFrame(stageMap);
        stageMap = nullptr;
        const char* cacheFile = StageMapCacheFiles[stage < 7 ? stage : 0];
        std::vector<uint8_t> bytes;
        if (ReadGameFile(cacheFile, bytes)) stageMap = DecodeStageMapCache(bytes);
        if (!stageMap) {
            // Missing or damaged: compose it again and keep it.
            stageMap = ComposeStageMap();
            if (!stageMap) return;
            // A folder that cannot take the cache still shows the map; it is composed again next
            // time.
            const std::vector<uint8_t> out = EncodeStageMapCache(*stageMap);
            platform::WriteFileAtomic(cacheFile, out.data(), out.size());
        }
    }
    if (TheResourceStore && stageMap)
        TheResourceStore->DrawAniFrame(stageMap, kMapX, kMapY, panel->surface, 0);
    MarkKingdomCities(row);
    if (TheResourceStore && overlayFrame)
        TheResourceStore->DrawAniFrame(overlayFrame, kMapX, kMapY, panel->surface, 0);
    mapState = 0;
}

void Win75Window::OnControlClick(Widget* control, Point*) {
    if (!control || (static_cast<int16_t>(control->id) & 0xFF00) != 0x100) return;
    const int n = static_cast<int16_t>(control->id) - 0x100;
    if (control->parent == panel) {
        if (n >= 0 && n <= 5) {
            ShowButtonNormal(MainControl(0x100 + stage - 1));
            stage = static_cast<uint8_t>(n + 1);
            ShowStage();
            mapState = -1;
            DrawStageMap(0);
        } else if (n >= 6 && n <= 8) {
            option = static_cast<uint8_t>(8 - n);
            ShowOption();
        } else if (n == 9) {
            if (owner) {
                owner->actOption = option;
                owner->stageListChoice = static_cast<int8_t>(stage);
            }
            BattleMap* map = TheBattleMap;
            if (map) std::fill(std::begin(map->sideActive), std::end(map->sideActive), uint8_t(1));
            Zu_StageSet* s = CurrentStageSet();
            if (!s) return;
            s->playerSide = selectedRow + 1;
            if (map && s->playerSide <= BattleMap::kSides) map->sideActive[s->playerSide] = 0;
            const std::vector<Kingdom*> kingdoms = StageKingdoms();
            for (size_t i = 0; i < kingdoms.size(); ++i) {
                Kingdom* k = kingdoms[i];
                if (static_cast<int32_t>(i) + 1 == s->playerSide) {
                    k->SetInt(KingdomLayout::kNationKind, 0);
                    s->playerKingdom = k;
                    s->playerCities = &k->cities;
                    s->playerFirstCity = reinterpret_cast<City*>(k->cities.First());
                } else if (k->NationKind() == 0) {
                    k->SetInt(KingdomLayout::kNationKind, 1);
                }
            }
        } else if (n == 10) {
            if (TheBattleMap && TheBattleMap->scenario) TheBattleMap->scenario->Clear();
            if (owner) owner->stageListChoice = -2;
        }
        return;
    }
    for (int r = 0; r < kRows; ++r) {
        if (!rowPanels[r] || control->parent != rowPanels[r]) continue;
        ShowButtonNormal(RowControl(selectedRow, 0x100));
        selectedRow = static_cast<uint8_t>(r);
        ShowButtonPressed(control);
        DrawStageMap(r);
        return;
    }
}
