#include "engine/MusicPlayer.h"

#include "engine/ScreenSettings.h"
#include "engine/SoundBank.h"

#include <cstdio>

using namespace platform::gaudio;

GAudio* TheAudio = nullptr;
GSound* TheMusicStream = nullptr;

namespace {

// Failures are reported and the game goes on; nothing here waits for the player.
void ReportAudioError(const char* what) {
    std::fprintf(stderr, "%s: %s\n", what, TheAudio ? TheAudio->getLastErrorString() : "no audio");
}

} // namespace

float MusicVolumeForLevel(int level) {
    return static_cast<float>(level) / 12.0f;
}

void InitAudio(void* mainWindow) {
    TheAudio = new GAudio;
    if (TheAudio->init(2, 44100, 0) != ERR_OK) {
        ReportAudioError("music");
        delete TheAudio;
        TheAudio = nullptr;
    } else {
        TheAudio->installSoftwareMixer();
        TheAudio->setAudioStageStatus(1, 1);
    }
    // Sound effects do not depend on the music device.
    if (!TheSoundBank) {
        TheSoundBank = new SoundBank(mainWindow);
        if (!TheSoundBank->ready) {
            delete TheSoundBank;
            TheSoundBank = nullptr;
        }
    }
    if (TheSoundBank) TheSoundBank->Nop(10);
}

void PlayMusic(const char* fileName, int loop) {
    if (!TheAudio) return;
    if (TheMusicStream) {
        TheMusicStream->stop();
        TheMusicStream->release();
        TheMusicStream = nullptr;
    }
    MusicOpenRecord record;
    record.kind = kOpenRecordKind;
    record.fileName = fileName;
    record.playMode = loop ? kPlayLooping : kPlayOnce;
    record.word6 = 4;
    record.word7 = 1;
    if (TheAudio->getSoundClass(kMusicSoundClass, &record, &TheMusicStream) != ERR_OK) {
        // Only this request goes unheard; the next track still plays.
        ReportAudioError("music");
        TheMusicStream = nullptr;
        return;
    }
    TheMusicStream->setVolume(MusicVolumeForLevel(TheScreenSettings ? TheScreenSettings->musicVolume : 12));
    TheMusicStream->start();
}

void ShutdownAudio() {
    if (TheMusicStream) {
        TheMusicStream->stop();
        TheMusicStream->release();
        TheMusicStream = nullptr;
    }
    delete TheAudio;
    TheAudio = nullptr;
}

void SetMusicVolume() {
    if (!TheMusicStream) return;
    TheMusicStream->setVolume(MusicVolumeForLevel(TheScreenSettings ? TheScreenSettings->musicVolume : 12));
}
