#include "windows/main/Win40Window.h"

#include "Program/ScreenSettings.h"
#include "Program/SoundEffects.h"
#include "engine/AviClipManager.h"
#include "engine/MusicPlayer.h"
#include "gui/Button.h"
#include "gui/Widget.h"
#include "windows/main/Win01Window.h"

namespace {

// Both speed words always hold the same level.
void SetSpeed(int level) {
    if (!TheScreenSettings) return;
    TheScreenSettings->gameSpeed = level;
    TheScreenSettings->speechSetting = level;
}

} // namespace

Win40Window::Win40Window(Widget* parent, Window* menu) : ScreenWindow("Win40.gui", parent, menu) {
    AddToDrawList();
    const ScreenSettings* s = TheScreenSettings;
    savedSpeed = int8_t(s ? s->gameSpeed : 0);
    savedMusic = int8_t(s ? s->musicVolume : 0);
    savedMovie = int8_t(s ? s->soundVolume : 0);
    const int8_t saved[3] = {savedSpeed, savedMusic, savedMovie};
    for (int n = 0; n < 30; ++n)
        SetButtonState(Control(0x100 + n), Button::Radio, n % 10 == saved[n / 10] ? 1 : 0,
                       int16_t(0x100 + n / 10));
    DisableButton(Control(kOk));
    // The speed stays fixed during a network game.
    if (GameIsNetworked())
        for (int n = 0; n < 10; ++n)
            DisableButton(Control(0x100 + n));
}

void Win40Window::OnControlClick(Widget* control, Point*) {
    if (!control) return;
    ScreenSettings* s = TheScreenSettings;
    const int n = control->id - 0x100;
    if (n >= 0 && n < 30) {
        const int level = n % 10;
        if (n / 10 == 0) {
            SetSpeed(level);
        } else if (n / 10 == 1) {
            if (s) s->musicVolume = level;
            SetMusicVolume();
        } else if (s) {
            s->soundVolume = level;
        }
        PlaySoundEffect(1);
        EnableButton(Control(kOk));
        return;
    }
    if (control->id == kOk) {
        TheAviClipManager.SetVolume(s ? s->soundVolume : 0);
        if (owner) owner->OnNotify(this, 1);
    } else if (control->id == kCancel) {
        SetSpeed(savedSpeed);
        if (s && s->musicVolume != savedMusic) {
            s->musicVolume = savedMusic;
            SetMusicVolume();
        }
        if (s) s->soundVolume = savedMovie;
        if (owner) owner->OnNotify(this, 1);
    }
}
