#include "gui/GuiLayout.h"
#include "engine/DisplayDevice.h"
#include "engine/PixelFormat.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiPanel.h"
#include "platform/Present.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// A headless display and a private working folder, made once.
bool SetUpOnce() {
    setenv("KARDOL_HEADLESS", "1", 1);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    std::string pattern = (std::filesystem::temp_directory_path() / "kardol-fuzz-gui-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return false;
    std::filesystem::current_path(pattern);
    CreateDirectDraw(nullptr);
    SetDisplayWidth(800);
    SetDisplayHeight(600);
    SetDisplayBitDepth(16);
    ApplyDisplayMode(0x11);
    SetDisplayMode();
    ProbePrimarySurfaceFormat();
    BuildColourTables();
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = SetUpOnce();
    if (!ready) return 0;
    FILE* f = std::fopen("fuzz.gui", "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    GuiLayout layout("fuzz.gui");
    GuiImage* back = layout.elements[0];
    Rect* rect = back ? new Rect(back->left, back->top, back->right, back->bottom) : new Rect(0, 0, 0, 0);
    auto* panel = new GuiPanel(back, rect, nullptr, nullptr, 0, 1, 0);
    layout.CreateControls(panel, nullptr);
    for (int id = 0x100; id <= 0x600; id += 0x100)
        layout.FindControl(id);
    // Every control draws itself once and the window is put on the screen.
    panel->RedrawTexts();
    panel->RefreshControl(0x400);
    panel->Draw();
    panel->Close(0);
    delete panel;
    FlushDeferredDeletes();
    return 0;
}
