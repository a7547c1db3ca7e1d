#include "platform/MessageBox.h"

#include "platform/Big5.h"

#include "platform/Window.h"

#include <SDL.h>
#include <cstdio>
#include <deque>
#include <mutex>
#include <utility>

namespace platform {

namespace {

std::mutex boxMutex;
std::deque<int> answers;
std::vector<ShownMessageBox> shown;

int FirstButton(uint32_t type) {
    switch (type & 0xF) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return IDYES;
    default:
        return IDOK;
    }
}

int ShowSdlBox(SDL_Window* window, const std::string& text, const std::string& caption, uint32_t type) {
    std::vector<SDL_MessageBoxButtonData> buttons;
    switch (type & 0xF) {
    case MB_OKCANCEL:
        buttons = {{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDOK, "OK"},
                   {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDCANCEL, "Cancel"}};
        break;
    case MB_YESNO:
        buttons = {{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"},
                   {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"}};
        break;
    case MB_YESNOCANCEL:
        buttons = {{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"},
                   {0, IDNO, "No"},
                   {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDCANCEL, "Cancel"}};
        break;
    default:
        buttons = {
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK, "OK"}};
        break;
    }
    uint32_t flags = SDL_MESSAGEBOX_INFORMATION;
    if ((type & 0xF0) == MB_ICONERROR) flags = SDL_MESSAGEBOX_ERROR;
    if ((type & 0xF0) == MB_ICONEXCLAMATION) flags = SDL_MESSAGEBOX_WARNING;
    SDL_MessageBoxData data{
        flags,          window, caption.c_str(), text.c_str(), static_cast<int>(buttons.size()),
        buttons.data(), nullptr};
    int pressed = 0;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) return -1;
    return pressed;
}

} // namespace

int MessageBoxA(HWND owner, const char* text, const char* caption, uint32_t type) {
    const std::string utfText = Big5ToUtf8(text ? text : "");
    const std::string utfCaption = Big5ToUtf8(caption ? caption : "Error");
    {
        std::lock_guard lock(boxMutex);
        shown.push_back(ShownMessageBox{text ? text : "", caption ? caption : "", type});
    }
    if (!IsHeadless()) {
        int answer = ShowSdlBox(static_cast<SDL_Window*>(SdlWindowOf(owner)), utfText, utfCaption, type);
        if (answer > 0) return answer;
    }
    std::fprintf(stderr, "[%s] %s\n", utfCaption.c_str(), utfText.c_str());
    if (FILE* log = std::fopen("Error.lst", "ab")) {
        std::fprintf(log, "\n%s: %s", caption ? caption : "", text ? text : "");
        std::fclose(log);
    }
    std::lock_guard lock(boxMutex);
    if (!answers.empty()) {
        int a = answers.front();
        answers.pop_front();
        return a;
    }
    return FirstButton(type);
}

void QueueMessageBoxAnswer(int answer) {
    std::lock_guard lock(boxMutex);
    answers.push_back(answer);
}

std::vector<ShownMessageBox> TakeShownMessageBoxes() {
    std::lock_guard lock(boxMutex);
    return std::exchange(shown, {});
}

} // namespace platform
