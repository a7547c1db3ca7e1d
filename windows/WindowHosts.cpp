#include "windows/WindowHosts.h"

Win01HostWindow* TheWin01Host = nullptr;
Win98Window* TheWin98 = nullptr;
Win99Window* TheWin99 = nullptr;
