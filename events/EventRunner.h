#pragma once

#include "gui/Window.h"

#include <cstdint>

class EventManager;
class EventStep;
class LinkList;
class SpeechBox;
class Widget;

// Runs the steps of a fired event, one per call: a dialogue step opens the speech box and the
// runner waits until the box reports that its text has been shown. Draws nothing; it is a window
// only so that the box can notify it. Holds the cursor lock for its whole life.
class EventRunner : public Window {
public:
    EventRunner(Widget* root, EventManager* owner, LinkList* steps);
    ~EventRunner() override;
    EventRunner(const EventRunner&) = delete;
    EventRunner& operator=(const EventRunner&) = delete;

    // 1 while the script goes on or waits, 0 once it has ended.
    int RunEventCommand();
    void OnNotify(Window* sender, int code) override;
    int Close(int code) override;

    // Dialogue: replaces the old box by one for the step and waits for it.
    void OpenSpeechBox(EventStep* step);
    void CloseSpeechBox();
    // Moves the view's corner to (x, y) within the map and marks the sight around the view.
    void FocusCamera(int32_t x, int32_t y);
    void ClearCameraMark();

    Widget* rootWidget = nullptr;
    EventManager* owner = nullptr;
    LinkList* steps = nullptr; // not owned; its own cursor is the step position
    EventStep* currentStep = nullptr;
    int32_t waiting = 0;
    SpeechBox* speechBox = nullptr;
    uint8_t cameraMark = 0;
    int32_t markX = 0, markY = 0;

private:
    bool SingleStepEvent() const;
    // Set by Close: the object lives on until the frame ends but runs nothing more.
    bool closed_ = false;
};
