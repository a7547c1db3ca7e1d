#include "update/client/ClientLog.h"

#include "platform/Present.h"
#include "platform/Surface.h"

#include <cstdio>
#include <cstring>

using namespace platform;

ClientLog::~ClientLog() {
    DeleteFont();
    if (surface_) surface_->Release();
}

void ClientLog::WriteLogLine(const char* text1, const char* text2) {
    if (!text1 && !text2) return;
    if (FILE* file = std::fopen("Error.lst", "ab")) {
        std::fprintf(file, "\n%s,%s", text1 ? text1 : "(null)", text2 ? text2 : "(null)");
        std::fclose(file);
    }
}

void ClientLog::PushLog(const char* text1, const char* text2) {
    lines.emplace_back(text1 ? text1 : "");
    while (lines.size() > kLines)
        lines.pop_front();
    WriteLogLine(text1, text2);
    dirty = true;
}

void ClientLog::PopLog(int which) {
    if (!lines.empty()) {
        if (which == 0)
            lines.pop_front();
        else
            lines.pop_back();
    }
    dirty = true;
}

void ClientLog::Clear() {
    lines.clear();
    dirty = true;
}

void ClientLog::CreateFont() {
    DeleteFont();
    LOGFONTA logFont;
    logFont.lfHeight = -16;
    logFont.lfWeight = FW_NORMAL;
    logFont.lfCharSet = 255;
    // "細明體"
    std::strcpy(logFont.lfFaceName, "\xB2\xD3\xA9\xFA\xC5\xE9");
    font = CreateFontIndirectA(&logFont);
}

void ClientLog::DeleteFont() {
    if (font) DeleteObject(font);
    font = nullptr;
}

void ClientLog::DrawLog() {
    if (!dirty) return;
    if (!surface_)
        surface_ = new Surface(kWidth, kHeight, GetPixelLayout(), kWidth * 2 + GetPitchPadding(), 0);
    HDC dc = nullptr;
    if (FAILED(surface_->GetDC(&dc))) return;
    if (font) SelectObject(dc, font);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(0, 0, 0));
    static const char kBlank[] = "                                                    "; // 52 spaces
    for (int i = 0; i < kLines; ++i) {
        const int y = 20 * i;
        SetTextColor(dc, RGB(0, 0, 0));
        TextOutA(dc, 0, y, kBlank, 52);
        if (static_cast<size_t>(i) < lines.size()) {
            SetTextColor(dc, RGB(255, 255, 255));
            TextOutA(dc, 0, y, lines[i].c_str(), static_cast<int>(lines[i].size()));
        }
    }
    surface_->ReleaseDC(dc);
    PresentSurface(*surface_);
    dirty = false;
}
