#include "Program/CampaignWindows.h"
#include "records/AgeTable.h"
#include "troops/SoldierTypesSeen.h"

#include "Program/CodeLine.h"
#include "Program/GameController.h"
#include "Program/SoundEffects.h"
#include "engine/LinkList.h"
#include "engine/Rect.h"
#include "engine/ResourceStore.h"
#include "gui/GuiPanel.h"
#include "gui/RootWidget.h"
#include "windows/main/YesNoWindow.h"
#include "world/Zu_SkillEffect.h"

#include <cstring>

Zu_SkillEffect* ActSelectionMarker = nullptr;

// "重新開始第一幕戰役將刪除之前所有的進度，確定嗎？" and the same for the second and third act.
const char* const ActRestartTexts[3] = {
    "\xad\xab\xb7\x73\xb6\x7d\xa9\x6c\xb2\xc4\xa4\x40\xb9\xf5\xbe\xd4\xa7\xd0\xb1\x4e\xa7\x52\xb0\xa3\xa4\xa7"
    "\xab"
    "\x65\xa9\xd2\xa6\xb3\xaa\xba\xb6\x69\xab\xd7\xa1\x41\xbd\x54\xa9\x77\xb6\xdc\xa1\x48",
    "\xad\xab\xb7\x73\xb6\x7d\xa9\x6c\xb2\xc4\xa4\x47\xb9\xf5\xbe\xd4\xa7\xd0\xb1\x4e\xa7\x52\xb0\xa3\xa4\xa7"
    "\xab"
    "\x65\xa9\xd2\xa6\xb3\xaa\xba\xb6\x69\xab\xd7\xa1\x41\xbd\x54\xa9\x77\xb6\xdc\xa1\x48",
    "\xad\xab\xb7\x73\xb6\x7d\xa9\x6c\xb2\xc4\xa4\x54\xb9\xf5\xbe\xd4\xa7\xd0\xb1\x4e\xa7\x52\xb0\xa3\xa4\xa7"
    "\xab"
    "\x65\xa9\xd2\xa6\xb3\xaa\xba\xb6\x69\xab\xd7\xa1\x41\xbd\x54\xa9\x77\xb6\xdc\xa1\x48",
};

namespace {

constexpr int kRecordSize = static_cast<int>(kAgeBlockBytes);
constexpr int kTitleOffset = 4;

// The records of an act's stages start at this stage number.
int32_t RecordBase(int32_t actIndex) {
    return actIndex * 12 + 11;
}

bool Won(int32_t stage) {
    return TheGameController && stage >= 0 && stage < StageRecordCount &&
           TheGameController->stageRecords[stage].won != 0;
}

} // namespace

std::string StageTitle(int32_t stage) {
    const uint8_t* record = AgeBlock(stage);
    if (!record) return std::string();
    const char* text = reinterpret_cast<const char*>(record + kTitleOffset);
    return std::string(text, strnlen(text, kRecordSize - kTitleOffset));
}

HeroWindow::HeroWindow(Widget* root) : ScreenWindow("Hero.gui", root, nullptr) {
    if (TheGameController) {
        TheGameController->gameKind = 0;
        markedAct = TheGameController->actIndex;
    }
    if (Widget* b = Control(0x100 + markedAct)) {
        ShowButtonPressed(b);
        b->enabled = 0;
    }
    AddToDrawList();
}

void HeroWindow::OnControlClick(Widget* control, Point*) {
    GameController* c = TheGameController;
    if (!control || !c) return;
    const int n = static_cast<int16_t>(control->id) - 0x100;
    if (n < 0 || n > 4) return;
    PlaySoundEffect(1);
    if (n <= 2) {
        if (c->clickCount < 2) {
            if (Widget* old = Control(0x100 + markedAct)) {
                ShowButtonNormal(old);
                old->enabled = 1;
            }
            markedAct = n;
            ShowButtonPressed(control);
            control->enabled = 0;
        } else {
            c->clickCount = 0;
            markedAct = n;
            c->heroChoice = static_cast<int8_t>(n);
        }
    } else if (n == 3) {
        c->heroChoice = -2;
    } else {
        c->heroChoice = static_cast<int8_t>(markedAct);
    }
}

ActSelectWindow::ActSelectWindow(Widget* root, const char* layoutFile)
    : ScreenWindow(layoutFile, root, nullptr) {
    ActSelectionMarker = nullptr;
    SoldierTypesSeen().Clear();
    if (TheGameController) TheGameController->gameKind = 0;
    SetButtonState(Control(0x103), 1, 0, 0x107);
    SetButtonState(Control(0x104), 1, 1, 0x107);
    SetButtonState(Control(0x105), 1, 0, 0x107);
    ShowStageList();
    AddToDrawList();
}

ActSelectWindow::~ActSelectWindow() {
    Zu_SkillEffect* marker = ActSelectionMarker;
    ActSelectionMarker = nullptr;
    if (!marker) return;
    // The marker leaves the effect list; when the list is gone or no longer holds it, the store
    // has deleted it with the rest of its effects.
    LinkList* list = TheResourceStore ? TheResourceStore->firstEffects : nullptr;
    if (markerListed && !(list && list->RemoveValue(reinterpret_cast<uintptr_t>(marker)))) return;
    marker->list = nullptr;
    delete marker;
}

void ActSelectWindow::DrawRow(int n, bool marked) {
    const std::string title = StageTitle(recordBase + n);
    labels.SetText(Control(0x200 + n), 255, marked ? 0 : 255, marked ? 0 : 128, 16, 0, title);
}

void ActSelectWindow::MoveMarker() {
    const int32_t y = markedStage * 28 + 116;
    if (!ActSelectionMarker) {
        ActSelectionMarker = new Zu_SkillEffect(0, 29, 26, y);
        markerListed = ActSelectionMarker->list != nullptr;
    } else {
        ActSelectionMarker->x = 26;
        ActSelectionMarker->y = y;
    }
}

void ActSelectWindow::ShowStageList() {
    GameController* c = TheGameController;
    recordBase = RecordBase(c ? c->actIndex : 0);
    // The won flag sits at offset 12 of the record, where the records are written.
    int count = 0;
    for (int n = 0; n < kStages; ++n)
        if (Won(recordBase + n)) ++count;
    if (count == kStages) count = 100;
    const bool open = AllStagesOpen != 0;
    if (!open && count != 100) {
        for (int n = 0; n < kStages; ++n)
            if (Widget* label = Control(0x200 + n))
                label->enabled = (Won(recordBase + n) || n == count) ? 1 : 0;
        shownRows = count + 1;
        markedStage = static_cast<int8_t>(count);
    } else {
        for (int n = 0; n < kStages; ++n)
            if (Widget* label = Control(0x200 + n)) label->enabled = 1;
        shownRows = kStages;
        markedStage =
            static_cast<int8_t>(c && c->actChoice >= 0 && c->actChoice < kStages ? c->actChoice : 0);
    }
    for (int n = 0; n < shownRows; ++n)
        DrawRow(n, false);
    DrawRow(markedStage, true);
    MoveMarker();
}

void ActSelectWindow::OnControlPress(Widget* control, Point*) {
    GameController* c = TheGameController;
    if (!control || !c) return;
    const int n = static_cast<int16_t>(control->id) - 0x200;
    // Only the act's twelve stage labels choose a stage.
    if (n < 0 || n >= kStages) return;
    if (n != markedStage) DrawRow(markedStage, false);
    markedStage = static_cast<int8_t>(n);
    MoveMarker();
    DrawRow(n, true);
    if (c->clickCount > 1) {
        c->clickCount = 0;
        c->actChoice = static_cast<int8_t>(n);
    }
}

void ActSelectWindow::OnControlClick(Widget* control, Point*) {
    GameController* c = TheGameController;
    if (!control || !c) return;
    const int n = static_cast<int16_t>(control->id) - 0x100;
    switch (n) {
    case 0:
        PlaySoundEffect(1);
        c->actChoice = -2;
        break;
    case 1:
        PlaySoundEffect(1);
        c->actChoice = markedStage;
        break;
    case 2: {
        if (panel) panel->enabled = 0;
        PlaySoundEffect(1);
        const int act = c->actIndex >= 0 && c->actIndex <= 2 ? c->actIndex : 0;
        question = new YesNoWindow(TheRootWidget, this, ActRestartTexts[act]);
        break;
    }
    case 3:
    case 4:
    case 5:
        PlaySoundEffect(1);
        c->actOption = static_cast<uint8_t>(n - 3);
        break;
    default:
        break;
    }
}

void ActSelectWindow::OnNotify(Window* sender, int code) {
    if (!sender || sender != question) return;
    GameController* c = TheGameController;
    if (code == 0 && c) {
        for (int n = 0; n < kStages; ++n)
            if (recordBase + n < StageRecordCount) c->stageRecords[recordBase + n].won = 0;
        c->WriteStageRecords();
        for (int n = 0; n < kStages; ++n)
            ClearLabel(Control(0x200 + n));
        ShowStageList();
    }
    if (panel) panel->enabled = 1;
    Window* q = question;
    question = nullptr;
    // The question closes itself and is deleted once the current message is over.
    q->Close(1);
}
