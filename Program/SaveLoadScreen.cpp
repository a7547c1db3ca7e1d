#include "Program/SaveLoadScreen.h"

#include "Program/GameController.h"
#include "Program/LoadingScreen.h"
#include "Program/MainWindow.h"
#include "Program/ScreenSettings.h"
#include "Program/SoundEffects.h"
#include "Program/StageSet.h"
#include "engine/MusicPlayer.h"
#include "gui/GuiPanel.h"
#include "gui/MouseCursor.h"
#include "gui/RootWidget.h"
#include "platform/CRand.h"
#include "platform/MessageBox.h"
#include "records/TemplateTables.h"
#include "stagefiles/SaveSlots.h"
#include "windows/SidePanels.h"
#include "windows/WindowHosts.h"
#include "windows/main/Win11Window.h"

#include <cstdio>
#include <cstring>
#include <string>

const char SaveFailedFormat[] = "Could not write file %s!";
const char LoadFailedFormat[] = "Could not read file %s!";

namespace {

void ShowFileMessage(const char* format, int slot, const std::string& file = {}) {
    char text[256];
    const char* name = file.empty() ? SaveSlotFileName(slot) : file.c_str();
    std::snprintf(text, sizeof text, format, name ? name : "(untitled)");
    platform::MessageBoxA(AppWindow.window, text, "Tools", 0x30);
}

// The controller's pointing and dragging state and its pending map orders: none of it belongs to
// the game that is about to be loaded.
void ClearTransientInput(GameController& c) {
    c.clickCount = 0;
    c.clickTimer = 0;
    c.pressFlag = 0;
    c.leftHeld = 0;
    c.leftHeldFrames = 0;
    c.rightHeld = 0;
    c.dragging = 0;
    c.scrollRequest = 0;
    c.moveOrderMode = 0;
    c.secondOrderMode = 0;
    c.workMode = 0;
    c.attachPending = 0;
    c.placementState = 0;
    c.cityUnderCursor = nullptr;
    c.subCastleUnderCursor = nullptr;
    c.hoveredGate = nullptr;
    c.currentTroop = nullptr;
}

} // namespace

void CopyBig5Bounded(char* out, size_t size, const char* text) {
    if (!out || size == 0) return;
    size_t n = 0;
    if (text) {
        while (text[n] != 0) {
            const auto lead = static_cast<uint8_t>(text[n]);
            const size_t step = (lead >= 0x81 && text[n + 1] != 0) ? 2 : 1;
            if (n + step > size - 1) break;
            n += step;
        }
        std::memcpy(out, text, n);
    }
    std::memset(out + n, 0, size - n);
}

SaveLoadScreen::SaveLoadScreen(Widget* parent, Window* owner, int mode)
    : ScreenWindow(mode == kLoad ? "Win28.gui" : "Win27.gui", parent, owner), mode(mode) {
    if (TheScreenSettings) TheScreenSettings->busyState = 1;
    for (int n = 0; n < kSlots; ++n) {
        if (!SlotUsed(n)) {
            if (mode == kLoad) {
                if (Widget* b = Control(0x100 + n)) b->visible = 0;
            }
        } else {
            ShowSlot(n, TheGameController->slotLabels[n], 0);
        }
    }
    DisableButton(Control(kConfirm));
    AddToDrawList();
}

SaveLoadScreen::~SaveLoadScreen() = default;

bool SaveLoadScreen::SlotUsed(int n) const {
    return TheGameController && n >= 0 && n < kSlots && TheGameController->slotLabels[n].inUse != 0;
}

void SaveLoadScreen::ShowSlot(int n, const SaveSlotLabel& label, int colourCode) {
    if (n < 0 || n >= kSlots) return;
    // A label read from the file may lack its NUL: texts are taken bounded.
    char stage[21];
    char ruler[21];
    std::memcpy(stage, label.text1, 20);
    stage[20] = 0;
    std::memcpy(ruler, label.text2, 20);
    ruler[20] = 0;
    char number[16];
    std::snprintf(number, sizeof number, "%d", static_cast<int16_t>(label.number));
    char date[64];
    // "年", "月", "日"
    std::snprintf(date, sizeof date, "%d\xa6\x7e%d\xa4\xeb%d\xa4\xe9", static_cast<int32_t>(label.value1),
                  static_cast<int32_t>(label.value2), static_cast<int32_t>(label.value3));
    const char* texts[4] = {number, stage, ruler, date};
    // Colour code 2: the selected slot and the pending label; 0: a saved slot.
    const bool red = colourCode == 2;
    for (int k = 0; k < 4; ++k)
        labels.SetText(Control(0x200 + 4 * n + k), red ? 255 : 213, red ? 0 : 220, red ? 0 : 223, 16, 0,
                       texts[k]);
}

void SaveLoadScreen::ResetSlotButton(int n) {
    if (n < 0) return;
    if (Widget* b = Control(0x100 + n)) ShowButtonNormal(b);
}

void SaveLoadScreen::ComposePendingLabel(int) {
    pending = SaveSlotLabel{};
    pending.inUse = 1;
    if (TheGameController) pending.number = static_cast<uint16_t>(TheGameController->slotLabelCount & 0xFFFF);
    if (const Zu_StageSet* stage = CurrentStageSet()) {
        CopyBig5Bounded(pending.text1, sizeof pending.text1, std::string(stage->Name()).c_str());
        if (const Kingdom* ruler = stage->playerKingdom)
            CopyBig5Bounded(pending.text2, sizeof pending.text2,
                            std::string(ruler->Text(KingdomLayout::kName, 20)).c_str());
    }
    if (TheScreenSettings) {
        pending.value1 = static_cast<uint32_t>(TheScreenSettings->year);
        pending.value2 = static_cast<uint32_t>(TheScreenSettings->month);
        pending.value3 = static_cast<uint32_t>(TheScreenSettings->day == 0 ? 1 : TheScreenSettings->day);
    }
}

void SaveLoadScreen::OnControlPress(Widget* control, Point*) {
    if (!control) return;
    const int n = static_cast<int16_t>(control->id) - 0x100;
    if (n < 0 || n >= kSlots) return;
    PlaySoundEffect(1);
    const int s = selected;
    if (s == -1 || s == n || !SlotUsed(s)) {
        ResetSlotButton(s);
    } else {
        ShowSlot(s, TheGameController->slotLabels[s], 0);
    }
    ResetSlotButton(n);
    if (!SlotUsed(n)) {
        if (mode == kSave) {
            ComposePendingLabel(n);
            ShowSlot(n, pending, 2);
        }
    } else {
        ShowSlot(n, TheGameController->slotLabels[n], 2);
    }
}

void SaveLoadScreen::OnControlClick(Widget* control, Point*) {
    if (!control || !TheGameController) return;
    const int id = static_cast<int16_t>(control->id);
    const int n = id - 0x100;
    if (n >= 0 && n < kSlots) {
        // Loading an empty slot has nothing to load: OK stays off and nothing is selected.
        if (mode == kSave || SlotUsed(n))
            EnableButton(Control(kConfirm));
        else
            DisableButton(Control(kConfirm));
        if (mode == kSave) {
            ComposePendingLabel(n);
            ShowSlot(n, pending, 2);
            selected = n;
            if (TheGameController->clickCount > 1) {
                TheGameController->clickCount = 0;
                if (TheMouseCursor) TheMouseCursor->ReleaseCapture();
                Confirm();
            }
        } else if (SlotUsed(n)) {
            selected = n;
            ShowSlot(n, TheGameController->slotLabels[n], 2);
        } else {
            selected = -1;
        }
    } else if (id == kConfirm) {
        if (selected >= 0) Confirm();
    } else if (id == kCancel) {
        PlaySoundEffect(1);
        if (TheScreenSettings) TheScreenSettings->busyState = 0;
        Finish(0);
    }
}

void SaveLoadScreen::OnControlHover(Widget* control, Point* point) {
    if (!control || !TheGameController) return;
    const int h = static_cast<int16_t>(control->id) - 0x100;
    if (h < 0 || h >= kSlots) return;
    const SaveSlotLabel& label = TheGameController->slotLabels[h];
    if (!point) {
        if (!SlotUsed(h)) {
            ResetSlotButton(h);
            if (mode == kSave && h == selected) ShowSlot(h, pending, 2);
        } else if (mode == kSave) {
            if (h == selected) {
                ShowSlot(h, pending, 2);
            } else {
                ShowSlot(h, label, 0);
            }
        } else {
            ShowSlot(h, label, h == selected ? 2 : 0);
        }
        hovered = -1;
        return;
    }
    hovered = h;
    if (mode == kSave) {
        if (selected >= 0 && h == selected) {
            ShowSlot(h, pending, 2);
        } else if (SlotUsed(h)) {
            ShowSlot(h, label, 0);
        }
    } else if (SlotUsed(h)) {
        ShowSlot(h, label, h == selected ? 2 : 0);
    }
}

void SaveLoadScreen::Finish(int code) {
    if (owner) {
        owner->OnNotify(this, code);
        return;
    }
    if (TheGameController && TheGameController->saveLoadScreen == this)
        TheGameController->saveLoadScreen = nullptr;
    Close(1);
}

void SaveLoadScreen::Confirm() {
    GameController* c = TheGameController;
    if (!c || selected < 0 || selected >= kSlots) return;
    if (TheScreenSettings) TheScreenSettings->busyState = 0;
    PlaySoundEffect(1);
    const int slot = selected;
    TemplateTables* tables = c->templateTables;
    if (mode == kSave) {
        // The label, the counter and the label file change only once the save set is written.
        const int saved = tables ? tables->SaveGame(slot) : 0;
        if (!saved) {
            ShowFileMessage(SaveFailedFormat, slot);
            Finish(0);
            return;
        }
        c->slotLabels[slot] = pending;
        ++c->slotLabelCount;
        c->WriteSlotLabels();
        Finish(1);
        return;
    }
    if (!SlotUsed(slot)) {
        Finish(0);
        return;
    }
    // The owner may delete this screen when told: from here on only globals and the slot.
    ClearTransientInput(*c);
    CloseSidePanels();
    const int loaded = tables ? tables->LoadGame(slot) : 0;
    if (!loaded) {
        const std::string unread = tables ? tables->unreadFile : std::string();
        ShowFileMessage(LoadFailedFormat, slot, unread);
        // A set that failed part-way has replaced the battle: it ends, and the player is back on
        // the main menu instead of in a half-loaded world.
        if (!unread.empty() && c->mode == 1 && TheScreenSettings) {
            if (Zu_StageSet* stage = CurrentStageSet()) stage->result = 0;
            c->pauseScreen = 0;
            TheScreenSettings->battleEnded = 1;
        }
        Finish(0);
        return;
    }
    Finish(1);
    PlayMusic((std::string("Track0") + char('1' + platform::rand() % 7) + ".mp3").c_str(), 0);
    if (!TheWin98) TheWin98 = new Win98Window(TheRootWidget);
    SetLoadingProgress(90);
    if (!TheWin01Host) TheWin01Host = new Win01HostWindow(TheRootWidget, TheGameController);
    RefreshGroupRows();
    SetLoadingProgress(94);
    if (!TheWin99) TheWin99 = new Win99Window(TheRootWidget, TheGameController);
    SetLoadingProgress(100);
    StopLoadingScreen();
}
