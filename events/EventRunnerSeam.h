#pragma once

#include "engine/LinkList.h"
#include "gui/Window.h"

class EventStep;
class Widget;

// Stand-in for the runner of an event's steps until the command interpreter replaces it: it walks
// the steps one per call without acting on them, and tells its owner with code 100 when the last
// is done.
class EventRunner : public Window {
public:
    EventRunner(Widget* root, Window* owner, LinkList* steps)
        : owner(owner), rootWidget(root), steps(steps) {}
    ~EventRunner() override = default;

    // 0 once every step has run.
    int RunEventCommand() {
        if (!steps) return 0;
        if (!started) {
            started = true;
            if (!currentStep)
                currentStep = steps->First() ? reinterpret_cast<EventStep*>(steps->Current()) : nullptr;
        } else if (currentStep) {
            steps->Find(reinterpret_cast<uintptr_t>(currentStep));
            currentStep = reinterpret_cast<EventStep*>(steps->Next());
        }
        if (currentStep) return 1;
        if (owner) owner->OnNotify(this, 100);
        return 0;
    }
    // Deleted when the current frame is over, so a caller up the stack may still return through it.
    int Close(int code) override { return CloseWindowAndPanel(nullptr, code); }

    Window* owner = nullptr;
    Widget* rootWidget = nullptr;
    LinkList* steps = nullptr;
    EventStep* currentStep = nullptr;

private:
    bool started = false;
};
