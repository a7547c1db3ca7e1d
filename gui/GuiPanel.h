#pragma once

#include "engine/Rect.h"
#include "gui/WidgetGroup.h"

#include <cstdint>
#include <vector>

struct GuiImage;
class Window;

// The drawable body of a window: a surface holding the layout's background with the controls
// drawn onto it and the nested panels composed into it each frame, copied to the back buffer.
// Transparent pixels let clicks through; a draggable panel moves by its top strip.
class GuiPanel : public WidgetGroup {
public:
    // Height of the strip a draggable panel is dragged by, and where its body starts.
    static constexpr int kDragStrip = 30;
    static constexpr int kBodyTop = 36;

    GuiPanel(GuiImage* background, Rect* rect, Widget* parent, Window* listener, int addToParent, int word1,
             int word2);
    // A plain container without a picture that takes every point of its rectangle, for code that
    // hangs widgets on a panel of its own; layout windows pass their background record instead.
    GuiPanel(Rect* rect, Widget* parent, Window* listener, int addToParent, int word1, int word2);
    ~GuiPanel() override;

    uint16_t HitTest(Point* point) override;
    void OnMouse(GuiMessage* message) override;
    virtual void Draw();
    // A left press that no window took: the listener hears of it as an idle panel.
    virtual void NotifyOutsidePress();

    void RestoreBackground();
    // Puts the background back under a nested panel, or under all of them for null.
    void RefreshChild(Widget* child);
    // Resets the buttons and redraws the toggles of one group.
    void RefreshControl(int16_t group);
    void RedrawTexts();

    // The title-drag word is the group's variant word: -1 (the default) means the panel cannot be
    // dragged; any other value makes its top strip a handle.
    int32_t& titleDrag() { return variant; }

    GuiImage* background = nullptr;
    Rect spareRect;
    int32_t refreshPeriod = 0;
    int32_t refreshCountdown = 0;

private:
    bool plainContainer = false;
    // The children as drawn this frame, kept so a frame allocates nothing.
    std::vector<Widget*> drawOrder_;
};
