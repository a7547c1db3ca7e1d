#include "windows/unit/Win32Window.h"

#include "gui/Widget.h"
#include "net/TroopCommands.h"
#include "platform/Window.h"
#include "records/InfoText.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "troops/Troop.h"
#include "windows/unit/UnitRecords.h"
#include "windows/unit/Win05Window.h"
#include "windows/unit/Win07Window.h"
#include "windows/unit/Win99Window.h"

using namespace unitrec;

Win32Window::Win32Window(Widget* parentWidget, Win05Window* ownerPanel)
    : UnitRowPage(parentWidget, ownerPanel, "Win32.gui", "Win31.gui") {}

void Win32Window::DrawRow(Troop* troop, int r) {
    Win99Window::ShowSkillButtons(troop, rowControls[r], 0);
}

void Win32Window::OnControlClick(Widget* control, Point*) {
    Troop* t = TroopOf(control);
    if (!t || control->id < 0x500 || control->id >= 0x508) return;
    const int s = control->id - 0x500;
    const int32_t level = SkillLevel(t, s);
    if (level == 0) return;
    if (platform::GetKeyState(platform::VK_SHIFT) < 0)
        GroupCast(t, SkillIndex(t->OfficerValue(OfficerLayout::kClass), s, level));
    else
        CastSkillSlot(t, s);
}

void Win32Window::GroupCast(Troop* clicked, int32_t k) {
    const int32_t group = SkillValue(k, kSkillGroup), kState = SkillValue(k, kSkillState);
    const bool forced = SkillLevelOverride() != 0;
    for (int r = 0; r < 6 && owner; ++r) {
        Troop* t = owner->RowTroop(r);
        if (!t) break;
        const int32_t cls = t->OfficerValue(OfficerLayout::kClass);
        if (cls < 1 || cls > 5 || (t->flags & 0x40) || t->casting) continue;
        for (int s = 0; s < 8; ++s) {
            const int32_t level = SkillLevel(t, s);
            if (level < 1 || level > 3) continue;
            const int32_t index = SkillIndex(cls, s, level);
            if (SkillValue(index, kSkillEnabled) == 0 || group == 0 ||
                SkillValue(index, kSkillGroup) != group)
                continue;
            const int32_t state = SkillValue(index, kSkillState);
            if ((clicked->statusBits & 0x40000) && kState == 31 &&
                (!(t->statusBits & 0x40000) || state != 31))
                continue;
            if ((clicked->statusBits & 0x2000) && kState == 14 && (!(t->statusBits & 0x2000) || state != 14))
                continue;
            if (!forced && t->OfficerValue(OfficerLayout::kMp) < SkillValue(index, kSkillCost)) continue;
            NetCmdEngage(t, nullptr, t->cellX, t->cellY, index);
        }
    }
}

void Win32Window::OnControlHover(Widget* control, Point* point) {
    Troop* t = TroopOf(control);
    if (!t || !point || control->id < 0x500 || control->id >= 0x508) return;
    const int s = control->id - 0x500;
    if (const int32_t level = SkillLevel(t, s))
        ComposeDescription(InfoText::kSkill,
                           SkillBlock(SkillIndex(t->OfficerValue(OfficerLayout::kClass), s, level)), this, 0);
}
