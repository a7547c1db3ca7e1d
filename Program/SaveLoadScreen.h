#pragma once

#include "Program/FrontEndScreens.h"
#include "Program/StageRecords.h"

#include <cstddef>

// The save and load screen: 16 slots drawn from the controller's labels; save mode writes the
// running game into a slot ("Win27.gui"), load mode loads one ("Win28.gui").
class SaveLoadScreen : public ScreenWindow {
public:
    static constexpr int kSave = 0;
    static constexpr int kLoad = 1;
    static constexpr int kSlots = 16;
    static constexpr int kConfirm = 0x110;
    static constexpr int kCancel = 0x111;

    SaveLoadScreen(Widget* parent, Window* owner, int mode);
    ~SaveLoadScreen() override;

    void OnControlPress(Widget* control, Point* point) override;
    void OnControlClick(Widget* control, Point* point) override;
    void OnControlHover(Widget* control, Point* point) override;

    void ShowSlot(int n, const SaveSlotLabel& label, int colourCode);
    void ResetSlotButton(int n);
    void ComposePendingLabel(int n);
    void Confirm();

    int32_t mode = kSave;
    SaveSlotLabel pending{};
    int32_t selected = -1;
    int32_t hovered = -1;

private:
    bool SlotUsed(int n) const;
    // Tells the owner, or closes the screen when there is none.
    void Finish(int code);
};

// Copies a NUL-terminated Big5 text into a field of size bytes, ended by a NUL, never splitting a
// double-byte character.
void CopyBig5Bounded(char* out, size_t size, const char* text);

// The message shown when a slot's save set cannot be written or read.
extern const char SaveFailedFormat[];
extern const char LoadFailedFormat[];
