#pragma once

#include "gui/Window.h"

// The three in-game window hosts, each kept in its own global pointer while open.
class Win01HostWindow : public Window {};
class Win98Window : public Window {};
class Win99Window : public Window {};

extern Win01HostWindow* TheWin01Host;
extern Win98Window* TheWin98;
extern Win99Window* TheWin99;
