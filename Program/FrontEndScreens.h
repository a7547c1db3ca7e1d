#pragma once

#include "Program/ScreenControls.h"
#include "gui/Window.h"

#include <cstdint>

class GameController;
class GuiLayout;
class GuiPanel;
class LinkList;
class Widget;
struct AniFrame;

// The pattern of every front-end screen: the layout, a panel from its first image on the parent
// widget with the screen as listener, the controls, and the panel in the store's draw list.
// Close takes the panel out of the list, closes it and lets both go once the current message or
// frame is over.
class ScreenWindow : public Window {
public:
    // With an origin given the panel is placed there with its picture's size; otherwise at the
    // picture's own rectangle.
    ScreenWindow(const char* layoutFile, Widget* parent, Window* owner, int originX = -1, int originY = -1);
    ~ScreenWindow() override;
    ScreenWindow(const ScreenWindow&) = delete;
    ScreenWindow& operator=(const ScreenWindow&) = delete;

    int Close(int result) override;

    Widget* Control(int id) const;
    // Whether the layout gave the screen its picture: false for a missing or damaged file.
    bool Loaded() const;

    Window* owner = nullptr;
    Widget* parentWidget = nullptr;
    GuiPanel* panel = nullptr;
    GuiLayout* layout = nullptr;
    LinkList* controls = nullptr;
    LabelKeeper labels;

protected:
    // The panel joins the draw list; the screens do it once their own drawing is done.
    void AddToDrawList();
    // Takes the panel out of the draw list, hands it the result, closes it and lets it go.
    void ClosePanel(int result);
};

// Reports a front-end file that cannot be read, as the game reports its other unreadable files:
// a line in "Error.lst" and a message box naming it.
void ReportUnreadableFile(const char* fileName);

// The main menu ("mainmenu.gui").
class MainMenuScreen : public ScreenWindow {
public:
    MainMenuScreen(Widget* parent, Window* owner);
    void OnControlClick(Widget* control, Point* point) override;
    void OnNotify(Window* sender, int code) override;
};

// The single-play choice ("Single.gui").
class SingleScreen : public ScreenWindow {
public:
    explicit SingleScreen(Widget* parent);
    void OnControlClick(Widget* control, Point* point) override;
};

// The credits picture shown over the main menu, or null.
extern AniFrame* CreditsFrame;

// The version text drawn on the main menu: "版本 2.02T".
extern const char MenuVersionText[];

// Makes the scene machine open these screens (and the campaign, stage list windows).
void InstallFrontEndScreens();
