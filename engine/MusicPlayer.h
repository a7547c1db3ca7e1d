#pragma once

#include "platform/Music.h"

// Background music over the music library: at most one stream at a time.
extern platform::gaudio::GAudio* TheAudio;
extern platform::gaudio::GSound* TheMusicStream;

// Sets up music and builds the sound-effect bank with the main window; either may fail alone.
void InitAudio(void* mainWindow);
// Starts the named music (looping when loop is non-zero) in place of whatever plays.
void PlayMusic(const char* fileName, int loop);
void ShutdownAudio();
// Gives the playing stream the settings' music level.
void SetMusicVolume();
// The music level as the stream's volume: level / 12.
float MusicVolumeForLevel(int level);
