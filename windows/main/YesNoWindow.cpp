#include "windows/main/YesNoWindow.h"

#include "gui/Widget.h"
#include "windows/main/FieldText.h"

#include <algorithm>
#include <cstring>

YesNoWindow::YesNoWindow(Widget* parent, Window* owner, const char* text)
    : ScreenWindow("YorN.gui", parent, owner) {
    AddToDrawList();
    const char* t = text ? text : "";
    const int length = int(std::strlen(t));
    // Which rows the text fills, and from which byte each starts.
    int first = 1, count = 1;
    if (length >= 64) {
        first = 0;
        count = 3;
    } else if (length >= 36) {
        count = 2;
    }
    for (int i = 0; i < count; ++i) {
        const int from = i * kRowBytes;
        const int take = count == 1 ? length : std::min(kRowBytes, length - from);
        if (take <= 0) break;
        char* row = rowText[first + i];
        std::memcpy(row, t + from, size_t(take));
        row[take] = 0;
        ShowFieldTextColored(row, &rows[first + i], controls, first + i, 2, 20, 1, 255, 255, 255);
    }
}

void YesNoWindow::OnControlClick(Widget* control, Point*) {
    if (!control || !owner) return;
    if (control->id == 0x100)
        owner->OnNotify(this, 0);
    else if (control->id == 0x101)
        owner->OnNotify(this, 1);
}
