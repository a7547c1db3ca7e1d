#pragma once

#include "platform/Messages.h"

#include <cstdint>
#include <string>
#include <vector>

// Modal message boxes. Texts and captions are the game's Big5 bytes. With a display the box
// is SDL's, over the main window; headless it goes to stderr and "Error.lst", and the answer is
// the next one a test queued, or the box's first button.
namespace platform {

constexpr uint32_t MB_OK = 0x0;
constexpr uint32_t MB_OKCANCEL = 0x1;
constexpr uint32_t MB_YESNOCANCEL = 0x3;
constexpr uint32_t MB_YESNO = 0x4;
constexpr uint32_t MB_ICONERROR = 0x10;
constexpr uint32_t MB_ICONQUESTION = 0x20;
constexpr uint32_t MB_ICONEXCLAMATION = 0x30;
constexpr uint32_t MB_ICONINFORMATION = 0x40;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

int MessageBoxA(HWND owner, const char* text, const char* caption, uint32_t type);

// Test seam: answers for the next headless boxes, and the boxes shown so far.
struct ShownMessageBox {
    std::string text;
    std::string caption;
    uint32_t type = 0;
};
void QueueMessageBoxAnswer(int answer);
std::vector<ShownMessageBox> TakeShownMessageBoxes();

} // namespace platform
