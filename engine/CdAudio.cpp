#include "engine/CdAudio.h"

#include "platform/Mci.h"
#include "platform/MmTimer.h"

#include <algorithm>

using namespace platform;

namespace {

struct CdState {
    HWND window = nullptr;
    MCIDEVICEID device = 0;
    bool open = false;
    int firstTrack = 0;
    int lastTrack = 0;
    uint32_t lastTrackEnd = 0; // TMSF
    bool repeat = false;
    uint32_t lastCommand = 0;
    uint32_t ticks = 0;
    uint32_t timer = 0;
};

CdState cd;

bool OpenDevice() {
    MCI_OPEN_PARMS open;
    open.lpstrDeviceType = MCI_DEVTYPE_CD_AUDIO;
    if (mciSendCommand(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID | MCI_OPEN_SHAREABLE | MCI_WAIT,
                       &open) != 0)
        return false;
    cd.device = open.wDeviceID;
    MCI_SET_PARMS set;
    set.dwTimeFormat = MCI_FORMAT_TMSF;
    if (mciSendCommand(cd.device, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, &set) != 0) {
        mciSendCommand(cd.device, MCI_CLOSE, MCI_WAIT, nullptr);
        cd.device = 0;
        return false;
    }
    cd.open = true;
    return true;
}

uint32_t Status(uint32_t item, uint32_t track = 0) {
    if (!cd.open) return 0;
    MCI_STATUS_PARMS status;
    status.dwItem = item;
    status.dwTrack = track;
    uint32_t flags = MCI_STATUS_ITEM | MCI_WAIT | (track ? MCI_TRACK : 0);
    if (mciSendCommand(cd.device, MCI_STATUS, flags, &status) != 0) return 0;
    return static_cast<uint32_t>(status.dwReturn);
}

int Send(uint32_t message, uint32_t flags, void* params) {
    if (!cd.open) return 0;
    cd.lastCommand = message;
    return mciSendCommand(cd.device, message, flags, params) == 0 ? 1 : 0;
}

// The hidden window's 200 ms timer.
void TimerTick(uint32_t, uint32_t, uintptr_t, uintptr_t, uintptr_t) {
    HWND window = cd.window;
    if (window) PostMessage(window, WM_TIMER, CdAudio::kTimerId, 0);
}

int PlayStored() {
    MCI_PLAY_PARMS play;
    play.dwCallback = reinterpret_cast<uintptr_t>(cd.window);
    uint32_t flags = MCI_NOTIFY;
    if (cd.firstTrack > 0) {
        play.dwFrom = MCI_MAKE_TMSF(static_cast<uint32_t>(cd.firstTrack), 0, 0, 0);
        flags |= MCI_FROM;
    }
    if (cd.lastTrack > 0) {
        play.dwTo = cd.lastTrackEnd;
        flags |= MCI_TO;
    }
    return Send(MCI_PLAY, flags, &play);
}

} // namespace

int CdAudio::Start(HWND owner, int repeat) {
    (void)owner;
    cd = CdState{};
    cd.repeat = repeat != 0;
    cd.window = AllocateWindowHandle();
    RegisterWindowProc(cd.window, &CdAudio::WindowProc);
    if (!OpenDevice()) {
        RegisterWindowProc(cd.window, nullptr);
        cd.window = nullptr;
        return 0;
    }
    cd.timer = timeSetEvent(kTimerPeriodMs, 0, TimerTick, 0, TIME_PERIODIC);
    return 1;
}

void CdAudio::Stop() {
    if (cd.timer) timeKillEvent(cd.timer);
    cd.timer = 0;
    if (cd.open) Close();
    if (cd.window) {
        WindowProc(cd.window, WM_DESTROY, 0, 0);
        RegisterWindowProc(cd.window, nullptr);
        cd.window = nullptr;
    }
}

int CdAudio::PlayTracks(int first, int last, int repeat) {
    if (!cd.open) return 0;
    int count = static_cast<int>(TrackCount());
    if (count < 1) return 0;
    cd.repeat = repeat != 0;
    if (first != -1) {
        if (first < 1) first = static_cast<int>(CurrentTrack());
        first = std::clamp(first, 1, count);
    }
    if (last != -1) {
        if (last < 1) last = count;
        last = std::clamp(last, 1, count);
        if (first > 0 && last < first) last = first;
        uint32_t length = TrackLength(static_cast<uint32_t>(last)); // MSF
        cd.lastTrackEnd = MCI_MAKE_TMSF(static_cast<uint32_t>(last), length & 0xFF, (length >> 8) & 0xFF,
                                        (length >> 16) & 0xFF);
    }
    cd.firstTrack = first;
    cd.lastTrack = last;
    return PlayStored();
}

int CdAudio::Resume() {
    MCI_PLAY_PARMS play;
    play.dwCallback = reinterpret_cast<uintptr_t>(cd.window);
    play.dwTo = cd.lastTrackEnd;
    return Send(MCI_PLAY, MCI_NOTIFY | (cd.lastTrack > 0 ? MCI_TO : 0), &play);
}

int CdAudio::Pause() {
    return Send(MCI_PAUSE, MCI_WAIT, nullptr);
}
int CdAudio::StopPlaying() {
    return Send(MCI_STOP, MCI_WAIT, nullptr);
}

int CdAudio::Close() {
    int ok = Send(MCI_CLOSE, MCI_WAIT, nullptr);
    cd.open = false;
    cd.device = 0;
    return ok;
}

uint32_t CdAudio::TrackCount() {
    return Status(MCI_STATUS_NUMBER_OF_TRACKS);
}
uint32_t CdAudio::CurrentTrack() {
    return Status(MCI_STATUS_CURRENT_TRACK);
}
uint32_t CdAudio::TrackLength(uint32_t track) {
    return Status(MCI_STATUS_LENGTH, track);
}
uint32_t CdAudio::MediaPresent() {
    return Status(MCI_STATUS_MEDIA_PRESENT);
}
uint32_t CdAudio::Position() {
    return Status(MCI_STATUS_POSITION);
}
uint32_t CdAudio::Mode() {
    return cd.open ? Status(MCI_STATUS_MODE) : MCI_MODE_NOT_READY;
}

int CdAudio::SeekTmsf(uint32_t track, uint32_t seconds, uint32_t frame) {
    return Seek(MCI_MAKE_TMSF(track, seconds / 60, seconds % 60, frame));
}

int CdAudio::Seek(uint32_t position) {
    MCI_SEEK_PARMS seek;
    seek.dwTo = position;
    return Send(MCI_SEEK, MCI_TO | MCI_WAIT, &seek);
}

int CdAudio::EjectDisc() {
    return Send(MCI_SET, MCI_SET_DOOR_OPEN | MCI_WAIT, nullptr);
}
int CdAudio::CloseDoor() {
    return Send(MCI_SET, MCI_SET_DOOR_CLOSED | MCI_WAIT, nullptr);
}
int CdAudio::ToggleDoor() {
    return Mode() == MCI_MODE_OPEN ? CloseDoor() : EjectDisc();
}

LRESULT CdAudio::WindowProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_TIMER:
        // While no disc device is open, try again once a second.
        if (++cd.ticks % 5 == 0 && !cd.open) OpenDevice();
        return 0;
    case MM_MCINOTIFY:
        if (wParam == MCI_NOTIFY_SUCCESSFUL && cd.lastCommand == MCI_PLAY && cd.repeat) PlayStored();
        return 0;
    case WM_DESTROY:
        // The hidden window going away must not end the game's message loop.
        return 0;
    default:
        return 0;
    }
}

bool CdAudio::IsOpen() {
    return cd.open;
}
HWND CdAudio::Window() {
    return cd.window;
}
