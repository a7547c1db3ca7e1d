#pragma once

#include "gui/RootObject.h"
#include "platform/Messages.h"
#include "platform/Mutex.h"

#include <cstdint>

class LinkList;
class KeyedTable37;
class Big5BitmapFont;

// Program-wide words of the shell, and the start-up of the game.

// 1 game mode (full-screen pop-up), 0 editor mode (window with the "Tools" menu).
extern int32_t GameModeFlag;
// 1 when the command line carries three words that are not the fixed pair.
extern uint8_t NetworkLaunchFlag;
// 0 while starting, 2 once the message loop runs, 5 while shutting down.
extern int32_t StartupState;
// The words read from the command line; each keeps at most 127 bytes and its zero.
extern char CommandWord1[128];
extern char CommandWord2[128];
extern char CommandWord3[128];

struct CommandLineResult {
    int words = 0; // how many words were read (0..3)
    bool networkLaunch = false;
    bool moviesOff = false; // a word beginning with "-a"
};

// Reads up to three blank-separated words into the three buffers and decides network launch.
// A word longer than its buffer is cut at 127 bytes and never starts network mode.
CommandLineResult ParseCommandLine(const char* commandLine);
// True when some blank-separated word of the line begins with "-a".
bool CommandLineTurnsMoviesOff(const char* commandLine);
// Writes "UpDate" = WorkPath + "\Patchrunner.exe" under "Software\VelmoraII" when the key
// opens, "UpDate" is absent and "WorkPath" is readable.
void RecordUpdateClientPath();

// The exit code of a start-up that gave up on a missing or damaged data table.
constexpr int kExitDataUnusable = 3;

// The whole start-up and message loop; the value is the program's exit code.
int WinMain(void* instance, void* previousInstance, const char* commandLine, int showState);

// A modeless window of the editor that takes its keyboard messages first.
class ModelessDialog : public RootObject {
public:
    platform::HWND dialog = nullptr;
};

extern platform::HANDLE LoadMutex;
// The open modeless windows; the last object start-up builds and the last deleted.
extern LinkList* WindowList;
extern KeyedTable37* TheKeyedTable37;
extern Big5BitmapFont* TheBig5Font;
