#include "Program/EditorCommands.h"

// The editor shell brings the commands; an unknown command is answered with 0.
platform::LRESULT RunEditorCommand(platform::HWND, int) {
    return 0;
}
