#include "events/EventRunner.h"

#include "Program/GameController.h"
#include "Program/SoundEffects.h"
#include "events/EventCommands.h"
#include "events/EventManager.h"
#include "events/EventRecord.h"
#include "events/EventStep.h"
#include "events/SpeechBox.h"
#include "world/BattleMap.h"
#include "world/MapView.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

namespace {
constexpr int32_t kMarkSize = 20;
constexpr uint16_t kMarkSight = 2;
constexpr int32_t kRevealAmbush = 1;
constexpr int32_t kRevealSound = 15;

MapView* View() {
    return TheGameController ? TheGameController->gameScreen : nullptr;
}

// The talk text paired with the key, cut at its zero.
std::optional<std::string_view> TalkText(int32_t key) {
    if (!TheGameController) return std::nullopt;
    const uint8_t* block = TheGameController->FindBlockByKey(key);
    if (!block) return std::nullopt;
    const char* text = reinterpret_cast<const char*>(block);
    return std::string_view(text, strnlen(text, SpeechBox::kMaxTextBytes));
}
} // namespace

EventRunner::EventRunner(Widget* root, EventManager* manager, LinkList* stepList)
    : rootWidget(root), owner(manager), steps(stepList) {
    if (TheGameController) TheGameController->cursorLock = 1;
}

EventRunner::~EventRunner() {
    // A closed runner gave the lock back when it closed; a newer runner may hold it by now.
    if (!closed_ && TheGameController) TheGameController->cursorLock = 0;
}

bool EventRunner::SingleStepEvent() const {
    return owner && owner->cursor && owner->cursor->Code() == kObjectiveCode;
}

int EventRunner::RunEventCommand() {
    if (closed_) return 0;
    if (waiting) return 1;
    if (!SingleStepEvent()) {
        if (!steps)
            currentStep = nullptr;
        else if (!currentStep)
            currentStep = reinterpret_cast<EventStep*>(steps->First());
        else {
            // Only this runner walks the step list, but a step that names itself is found again.
            steps->Find(reinterpret_cast<uintptr_t>(currentStep));
            currentStep = reinterpret_cast<EventStep*>(steps->Next());
        }
    }
    if (!currentStep) {
        ClearCameraMark();
        if (MapView* view = View()) view->Redraw();
        return 0;
    }
    EventStep* step = currentStep;
    const int32_t code = step->Int(EventStepLayout::kCode);
    if (code == kRevealAmbush) PlaySoundEffect(kRevealSound);
    if (events::RunCommand(*this, *step) == 0) return 0;
    if (code != kRevealAmbush) {
        if (const int32_t sound = step->Int(EventStepLayout::kEndSound))
            PlaySoundEffect(int8_t(sound & 0xFF));
    }
    // A single chosen step that opened no box would otherwise run again on every frame.
    if (SingleStepEvent() && !waiting) return 0;
    return 1;
}

void EventRunner::OnNotify(Window* sender, int) {
    if (closed_) return;
    if (sender && sender == speechBox) waiting = 0;
    if (SingleStepEvent()) {
        if (owner) owner->OnNotify(this, 100);
        return;
    }
    if (RunEventCommand() == 0 && owner) owner->OnNotify(this, 100);
}

int EventRunner::Close(int code) {
    if (closed_) return 1;
    closed_ = true;
    CloseSpeechBox();
    // A script ended early (a single chosen step, the stage's end) leaves no lit area behind.
    ClearCameraMark();
    if (TheGameController) TheGameController->cursorLock = 0;
    return CloseWindowAndPanel(nullptr, code);
}

void EventRunner::CloseSpeechBox() {
    if (speechBox) speechBox->Close(1);
    speechBox = nullptr;
    waiting = 0;
    if (TheGameController) TheGameController->speechBox = nullptr;
}

void EventRunner::OpenSpeechBox(EventStep* step) {
    CloseSpeechBox();
    speechBox = new SpeechBox(rootWidget, this, step, TalkText(step->Param(1)));
    waiting = 1;
}

void EventRunner::FocusCamera(int32_t x, int32_t y) {
    MapView* view = View();
    BattleMap* map = TheBattleMap;
    if (view) {
        x = std::max(x, view->scrollMinX);
        y = std::max(y, view->scrollMinY);
    }
    y &= ~1;
    if (map) {
        // A map smaller than the view keeps its corner at 0.
        x = std::max(0, std::min(x, map->width - MapView::kViewColumns));
        y = std::max(0, std::min(y, map->rows - MapView::kViewRows)) & ~1;
    }
    ClearCameraMark();
    cameraMark = 1;
    markX = x + 10;
    markY = y + 8;
    if (map) map->MarkArea(markX, markY, kMarkSize, 12, kMarkSight);
    if (view) {
        view->SetViewOrigin(x, y);
        view->Redraw();
    }
}

void EventRunner::ClearCameraMark() {
    if (!cameraMark) return;
    cameraMark = 0;
    if (TheBattleMap) TheBattleMap->MarkArea(markX, markY, kMarkSize, 11, kMarkSight);
}
