#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/ScreenControls.h"
#include "engine/LinkList.h"
#include "gui/Button.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "gui/TextButton.h"
#include "gui/TextLabel.h"
#include "gui/ToggleButton.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "windows/main/FieldText.h"
#include "windows/unit/TroopTexts.h"
#include "windows/unit/UnitDrag.h"
#include "windows/unit/UnitRecords.h"
#include "windows/unit/Win99Window.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

using L = OfficerLayout;
using namespace unitrec;

const char* const kClassNames[6] = {
    "",
    "\xbc\x43\xa4\x68",         // 劍士
    "\xb0\xab\xa4\x68",         // 鬥士
    "\xa4\x7d\xbd\x62\xa4\xe2", // 弓箭手
    "\xae\xd1\xa5\xcd",         // 書生
    "\xa4\x75\xa7\x4c",         // 工兵
};
const char* const kFormationNames[8] = {
    "\xbe\xee\xa6\x43\xb0\x7d", // 橫列陣
    "\xc0\x40\xa7\xce\xb0\x7d", // 錐形陣
    "\xb0\xb3\xa4\xeb\xb0\x7d", // 偃月陣
    "\xa4\xe8\xa7\xce\xb0\x7d", // 方形陣
    "\xa5\xe6\xa4\x65\xb0\x7d", // 交叉陣
    "\xb6\xad\xa7\xce\xb0\x7d", // 雁形陣
    "\xc2\xf9\xae\x70\xb0\x7d", // 雙峰陣
    "\xb6\xea\xa4\xdf\xb0\x7d", // 圓心陣
};
const char* const kSpacingNames[3] = {"\xb1\x4b", "\xa4\xa4", "\xb2\xa8"}; // 密 中 疏
const char* const kEmphasisNames[4] = {
    "\xa7\xf0\xc0\xbb", // 攻擊
    "\xa8\xbe\xbf\x6d", // 防禦
    "\xb0\xed\xa6\x75", // 堅守
    "\xc5\x40\xa5\x44", // 護主
};
const char* const kRetreatNames[3] = {
    "\xbb\xb4\xb6\xcb\xb0\x68", // 輕傷退
    "\xad\xab\xb6\xcb\xb0\x68", // 重傷退
    "\xa6\xba\xb0\xab",         // 死鬥
};

// The colour of each side's banner bar.
constexpr uint8_t kSideColours[8][3] = {{200, 200, 200}, {220, 40, 40},  {40, 90, 220},  {40, 180, 60},
                                        {220, 200, 40},  {160, 60, 200}, {40, 200, 200}, {230, 130, 40}};

const char* Pick(const char* const* names, int count, int32_t value) {
    return value >= 0 && value < count ? names[value] : "";
}

Widget* Find(LinkList* controls, int id) {
    return FindScreenControl(controls, id);
}

int Percent(int32_t value, int32_t maximum) {
    return maximum > 0 ? int(int64_t(value) * 100 / maximum) : 0;
}

// The bar colour of a strength share: the RGB565 colour's top bits.
void StrengthRgb(int percent, uint8_t& r, uint8_t& g) {
    const uint16_t c = Win99Window::StrengthColour(percent);
    r = uint8_t((c >> 8) & 0xF8);
    g = uint8_t((c >> 3) & 0xFC);
}

// The share of the way from this level's experience to the next one's.
int ExperiencePercent(const Troop* t) {
    const int32_t level = t->OfficerValue(L::kLevel);
    const int32_t* table = GameParams().General_Level_up_Ref;
    if (level < 1 || level >= 30) return 0;
    const int32_t lower = table[level - 1], upper = table[level];
    int64_t value = t->OfficerValue(L::kExperience), span = upper;
    if (upper == 0) return 0;
    if (lower != 0) {
        value -= lower;
        span -= lower;
    }
    return span > 0 ? int(std::clamp<int64_t>(value * 100 / span, 0, 100)) : 0;
}

bool Preparing() {
    return false;
}

void SetButtonImages(Button* b, GuiImage** table) {
    b->table = table;
    b->normalIndex = 0;
    b->pressedIndex = 1;
    b->hoverIndex = 2;
    b->disabledIndex = 3;
    if (!table) b->EraseToBackground();
}

// Where carried troop i stands in the 5 x 5 grid: the centre first, then outwards.
constexpr int8_t kCarryCells[25] = {12, 11, 13, 7,  17, 6, 8,  16, 18, 10, 14, 2, 22,
                                    1,  3,  21, 23, 5,  9, 15, 19, 0,  4,  20, 24};

} // namespace

uint16_t Win99Window::StrengthColour(int percent) {
    if (percent >= 50) return 0x07E0;
    if (percent >= 25) return 0xFFE0;
    return 0xF800;
}

int32_t ItemIconNumber(int32_t item) {
    return item > 0 ? ItemColumn(item, kItemIcon) : 0;
}

GuiImage** IconTable(GuiLayout* layout, int32_t icon) {
    if (!layout || icon < 1) return nullptr;
    const int64_t first = 4 * (int64_t(icon) - 1) + 1;
    if (first + 3 >= GuiLayout::kSlots || !layout->elements[first]) return nullptr;
    return &layout->elements[first];
}

// Carried troop i's grid cell; the cell index of a troop is what its slot number (cell + 10) names.
int CarryCell(int i) {
    return i >= 0 && i < 25 ? kCarryCells[i] : -1;
}

void Win99Window::ShowTroopInfo(Troop* t, LinkList* controls, TroopTexts& x, bool full) {
    if (!t || !t->officer) return;
    const auto& side = kSideColours[uint8_t(t->owner) & 7];
    ShowFieldColor(100, side[0], side[1], side[2], controls, 0, 0);
    const bool dim = Preparing() && t->OfficerValue(L::kMustAppear) == 0;
    const uint8_t grey = dim ? 150 : 255, blue = dim ? 150 : 200;
    const auto text = [&](int n, std::string value) -> const char* {
        x.texts[n] = std::move(value);
        return x.texts[n].c_str();
    };
    ShowFieldTextColored(text(1, std::string(t->officer->Name())), &x.fonts[1], controls, 1, 2, 18, 1, grey,
                         grey, blue);
    ShowFieldTextColored(text(2, Pick(kClassNames, 6, t->OfficerValue(L::kClass))), &x.fonts[2], controls, 2,
                         2, 18, 1, grey, grey, blue);
    ShowPortrait(t, controls, 3, 500);
    if (OutOfPlay(t)) return;
    const int32_t level = t->OfficerValue(L::kLevel);
    ShowFieldTextColored(text(4, (level < 10 ? "0" : "") + std::to_string(level)), &x.fonts[4], controls, 4,
                         0, 18, 0, 248, 240, 250);
    const int exp = ExperiencePercent(t);
    ShowFieldColorText(exp, 210, 210, 210, text(5, std::to_string(exp) + "%"), &x.fonts[5], controls, 5, 0,
                       12);
    const int32_t hp = t->OfficerValue(L::kHp), maxHp = t->OfficerValue(L::kMaxHp);
    if (maxHp > 0) {
        const int percent = Percent(hp, maxHp);
        uint8_t r = 0, g = 0;
        StrengthRgb(percent, r, g);
        ShowFieldColorText(percent, r, g, 0, text(6, std::to_string(hp) + "/" + std::to_string(maxHp)),
                           &x.fonts[6], controls, 6, 0, 12);
    }
    const int32_t mp = t->OfficerValue(L::kMp), maxMp = t->OfficerValue(L::kMaxMp);
    ShowFieldColorText(Percent(mp, maxMp), 0, 0, 255,
                       text(7, std::to_string(mp) + "/" + std::to_string(maxMp)), &x.fonts[7], controls, 7, 0,
                       12);
    const auto number = [&](int n, int32_t v) {
        ShowFieldText(text(n, std::to_string(v)), &x.fonts[n], controls, n, 0, 12);
    };
    number(8, t->OfficerValue(L::kAttack));
    number(9, t->OfficerValue(L::kDefence));
    if (!full) return;
    number(10, t->OfficerValue(L::kStrength));
    number(11, t->OfficerValue(L::kIntelligence));
    number(12, t->OfficerValue(L::kPhysique));
    number(13, t->OfficerValue(L::kCharm));
    number(14, t->OfficerValue(L::kAgility));
    const int32_t loyalty = t->OfficerValue(L::kLoyalty);
    number(15, t->owner == PlayerKingdom() ? loyalty : 100 - loyalty);
}

void Win99Window::ShowItemIcons(Troop* t, LinkList* controls, int firstId, bool beltOnly) {
    if (!t || !t->officer || OutOfPlay(t)) return;
    GuiLayout* icons = TheWin99 ? TheWin99->GetIconLayout() : nullptr;
    int id = 0x400 + firstId;
    for (int slot = beltOnly ? 6 : 0; slot < 10; ++slot, ++id) {
        auto* button = dynamic_cast<ToggleButton*>(Find(controls, id));
        if (!button) continue;
        GuiImage** table = IconTable(icons, ItemIconNumber(GetSlotItem(t, slot)));
        // An icon's pictures are normal, pressed, hover, disabled.
        button->table = table;
        button->normalIndex = 0;
        button->thirdIndex = 1;
        button->hoverIndex = 2;
        button->disabledIndex = 3;
        button->dragImage = table ? table[0] : nullptr;
        button->Enable();
        if (!table) ClearLabel(button);
    }
}

void Win99Window::ShowSkillButtons(Troop* t, LinkList* controls, int firstId) {
    if (!t || OutOfPlay(t)) return;
    const int32_t cls = t->OfficerValue(L::kClass);
    if (cls < 1 || cls > 5) return;
    GuiLayout* icons = TheWin99 ? TheWin99->GetSkillIconLayout() : nullptr;
    const bool forced = SkillLevelOverride() != 0;
    const bool busy = (t->flags & 0x40) || t->casting;
    for (int s = 0; s < 8; ++s) {
        auto* button = dynamic_cast<Button*>(Find(controls, 0x500 + firstId + s));
        if (!button) continue;
        const int32_t learned = SkillLevel(t, s);
        const int32_t level = learned < 1 ? 1 : std::min(learned, 3);
        const int32_t index = SkillIndex(cls, s, level);
        const int32_t state = SkillValue(index, kSkillState);
        const uint32_t bits = t->statusBits;
        bool allowed = learned >= 1 && !busy;
        bool special = false;
        if (bits & 0x40000) {
            allowed = allowed && state == 31;
            special = state == 31;
        } else if (bits & 0x2000) {
            allowed = allowed && state == 14;
            special = state == 14;
        }
        if (((bits & 0x1000) && state == 13) || ((bits & 0x20000) && state == 20) ||
            ((bits & 0x100) && state == 9) || ((bits & 0x80) && state == 8))
            allowed = false;
        if (SkillValue(index, kSkillEnabled) == 0) {
            SetButtonImages(button, nullptr);
            DisableButton(button);
            continue;
        }
        SetButtonImages(button, IconTable(icons, (level - 1) * 40 + (cls - 1) * 8 + s + 1));
        if (allowed && !special && !forced && t->OfficerValue(L::kMp) < SkillValue(index, kSkillCost))
            allowed = false;
        if (allowed)
            EnableButton(button);
        else
            DisableButton(button);
    }
}

void Win99Window::ShowCarryGrid(Troop* t, GuiPanel* panel, LinkList* controls, Window* window, int first,
                                int frameLabel) {
    if (!t || !panel || OutOfPlay(t)) return;
    if (!Find(controls, 0x400 + first)) {
        Widget* frame = Find(controls, 0x200 + frameLabel);
        if (!frame) return;
        const Rect area = frame->rect;
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 5; ++c) {
                auto* cell = new ToggleButton(nullptr, 0,
                                              new Rect(area.left + 18 * c, area.top + 12 * r,
                                                       area.left + 20 + 18 * c, area.top + 30 + 12 * r),
                                              panel, window, 1);
                cell->id = int16_t(0x400 + first + 5 * r + c);
                cell->groupWord = 0x400;
                cell->Enable();
            }
    }
    for (int cell = 0; cell < 25; ++cell)
        if (auto* b = dynamic_cast<ToggleButton*>(Find(controls, 0x400 + first + cell))) {
            b->table = nullptr;
            b->dragImage = nullptr;
            ClearLabel(b);
        }
    GuiLayout* icons = TheWin99 ? TheWin99->GetIconLayout() : nullptr;
    if (t->followers) {
        int i = 0;
        for (uintptr_t v = t->followers->First(); v != 0; v = t->followers->Next(), ++i) {
            auto* b = dynamic_cast<ToggleButton*>(Find(controls, 0x400 + first + CarryCell(i)));
            if (!b) continue;
            const int32_t person = reinterpret_cast<Troop*>(v)->OfficerValue(L::kPersonNumber);
            b->table = IconTable(icons, person - 154);
            b->dragImage = b->table ? b->table[0] : nullptr;
            b->Enable();
        }
    }
    panel->RefreshControl(0x400);
}

void Win99Window::ShowOrderCaption(Troop* t, LinkList* controls, std::string& text, FontRecord& font) {
    if (!t) return;
    auto* button = dynamic_cast<TextButton*>(Find(controls, 0x600));
    if (!button) return;
    text = Pick(kFormationNames, 8, t->OfficerValue(L::kFormation));
    text += "\n\xb6\xa1\xb6\x5a"; // 間距
    text += Pick(kSpacingNames, 3, t->OfficerValue(L::kSpacing));
    text += "\n\xad\xab"; // 重
    text += Pick(kEmphasisNames, 4, t->OfficerValue(L::kAiType));
    text += "\n";
    text += Pick(kRetreatNames, 3, t->OfficerValue(L::kRetreat));
    font = FontRecord{184, 221, 241, 0, 12, text.c_str(), 3};
    button->SetCaption(&font, 0);
    button->ShowNormal();
}

void Win99Window::ShowPortrait(Troop* t, LinkList* controls, int n, int group) {
    auto* label = dynamic_cast<TextLabel*>(Find(controls, 0x200 + n));
    if (!label || !t || !t->officer) return;
    const int32_t person = t->OfficerValue(L::kPersonNumber);
    int32_t picture = t->OfficerValue(L::kPortrait);
    if (const uint8_t* tmpl = GeneralTemplate(person)) std::memcpy(&picture, tmpl + kPortraitColumn, 4);
    int mode = t->OfficerValue(L::kHp) < 1 ? 1 : 0;
    if (t->flags & 0x40) mode = t->owner == t->OfficerValue(L::kPolicy) ? 1 : 2;
    if (OutOfPlay(t)) mode = 0;
    label->SetBackgroundPicture(group == 0 ? 0 : 1, picture);
    label->RestoreBackground(mode);
    label->SetTextColor(TextLabel::Picture);
    label->DrawText();
    label->visible = 1;
}
