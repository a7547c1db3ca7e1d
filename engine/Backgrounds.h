#pragma once

#include <cstdint>

// The 21 full-screen background pictures.
constexpr int kBackgroundCount = 21;
const char* BackgroundFileName(int number);

// What the loader reaches in the game controller: it records the number shown, number 0 first
// runs the controller's background reset, and numbers 8 and 20 take the current stage number.
struct BackgroundHooks {
    void (*recordNumber)(int number) = nullptr;
    void (*resetBackground)() = nullptr;
    int (*stageNumber)() = nullptr;
};
extern BackgroundHooks TheBackgroundHooks;

// The file that background `number` reads: the table's name, or for 8 and 20 the stage's own
// picture when it exists ("BigMap" / "Story" + two digits), else "BigMap00.bmp" / "Story11.bmp".
// Empty for a number outside the table.
void BackgroundPath(int number, char* out, int size);

// Reads the 8-bit picture of `number`, copies its palette into GlobalPalette8 and, unless the
// number is 1, converts it through Palette16 into the store's wide work surface and copies it to
// the back and primary surfaces. Only the part that the picture, the work surface and the display
// all cover is copied. Returns 1 when the picture was read.
int LoadScreenBackground(int number);
