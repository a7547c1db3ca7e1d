#pragma once

class GuiLayout;
class GuiPanel;
class LinkList;
class Widget;
class Window;

// Building and dropping the panels of the unit windows.

// A panel from the layout's first record moved by (dx, dy), with its controls, added to the
// store's drawing list.
GuiPanel* OpenLayoutPanel(GuiLayout* layout, Widget* parent, Window* listener, LinkList*& controls,
                          int dx = 0, int dy = 0);
// A row panel inside a page, at the rectangle of the page's control `place`, with its controls.
GuiPanel* OpenRowPanel(GuiLayout* rowLayout, Widget* place, GuiPanel* page, Window* listener,
                       LinkList*& controls);
// Takes the panel off the drawing list and its parent now, deletes it after the current message,
// and forgets it.
void DropPanel(GuiPanel*& panel);
// Row panels leave their page now and are deleted after the current message; their control lists
// are forgotten.
void DropRowPanels(GuiPanel** rows, LinkList** controls, int count);
// Switches a built panel off or on (its enabled word); a page switched on is put back on the
// drawing list when it has left it.
void SwitchPanel(GuiPanel* panel, bool on, bool drawn = true);
