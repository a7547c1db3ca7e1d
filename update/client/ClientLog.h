#pragma once

#include "platform/GdiText.h"

#include <deque>
#include <string>

namespace platform {
class Surface;
}

// The client's nine-line screen log and its text log file "Error.lst".
class ClientLog {
public:
    static constexpr int kLines = 9;
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 240;

    ClientLog() = default;
    ~ClientLog();
    ClientLog(const ClientLog&) = delete;
    ClientLog& operator=(const ClientLog&) = delete;

    // Appends "\n%s,%s" to "Error.lst" in the current folder ("(null)" for an absent text). The
    // file is the game's own error list, so it is only ever appended to.
    static void WriteLogLine(const char* text1, const char* text2);

    void PushLog(const char* text1, const char* text2);
    // 0 removes the oldest line, 1 the newest.
    void PopLog(int which);
    void Clear();
    // Draws the lines when they changed and shows them in the window.
    void DrawLog();
    void MarkDirty() { dirty = true; }

    void CreateFont();
    void DeleteFont();

    const std::deque<std::string>& Lines() const { return lines; }

    std::deque<std::string> lines;
    bool dirty = false;
    platform::HFONT font = nullptr;

private:
    platform::Surface* surface_ = nullptr;
};
