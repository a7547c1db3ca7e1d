#pragma once

#include "platform/Messages.h"

// The editor's "Tools" menu commands, by id (low word of WM_COMMAND's wParam). The result is the
// window procedure's answer.
platform::LRESULT RunEditorCommand(platform::HWND window, int commandId);
