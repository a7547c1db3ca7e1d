#pragma once

#include "platform/Messages.h" // MM_MCINOTIFY

#include <cstdint>

// MCI commands in the WinMM manner. There is no CD-audio device on this platform: opening one
// fails, so every other command meets an unknown device id.
namespace platform {

using MCIDEVICEID = uint32_t;
using MCIERROR = uint32_t;

constexpr uint32_t MCI_OPEN = 0x0803;
constexpr uint32_t MCI_CLOSE = 0x0804;
constexpr uint32_t MCI_PLAY = 0x0806;
constexpr uint32_t MCI_SEEK = 0x0807;
constexpr uint32_t MCI_STOP = 0x0808;
constexpr uint32_t MCI_PAUSE = 0x0809;
constexpr uint32_t MCI_SET = 0x080D;
constexpr uint32_t MCI_STATUS = 0x0814;

constexpr uint32_t MCI_NOTIFY = 0x00000001;
constexpr uint32_t MCI_WAIT = 0x00000002;
constexpr uint32_t MCI_FROM = 0x00000004;
constexpr uint32_t MCI_TO = 0x00000008;
constexpr uint32_t MCI_TRACK = 0x00000010;
constexpr uint32_t MCI_OPEN_SHAREABLE = 0x00000100;
constexpr uint32_t MCI_OPEN_TYPE_ID = 0x00001000;
constexpr uint32_t MCI_OPEN_TYPE = 0x00002000;
constexpr uint32_t MCI_SET_DOOR_OPEN = 0x00000100;
constexpr uint32_t MCI_SET_DOOR_CLOSED = 0x00000200;
constexpr uint32_t MCI_SET_TIME_FORMAT = 0x00000400;
constexpr uint32_t MCI_STATUS_ITEM = 0x00000100;

constexpr uint32_t MCI_STATUS_LENGTH = 1;
constexpr uint32_t MCI_STATUS_POSITION = 2;
constexpr uint32_t MCI_STATUS_NUMBER_OF_TRACKS = 3;
constexpr uint32_t MCI_STATUS_MODE = 4;
constexpr uint32_t MCI_STATUS_MEDIA_PRESENT = 5;
constexpr uint32_t MCI_STATUS_CURRENT_TRACK = 8;

constexpr uint32_t MCI_MODE_NOT_READY = 524;
constexpr uint32_t MCI_MODE_STOP = 525;
constexpr uint32_t MCI_MODE_PLAY = 526;
constexpr uint32_t MCI_MODE_PAUSE = 529;
constexpr uint32_t MCI_MODE_OPEN = 530;

constexpr uint32_t MCI_FORMAT_TMSF = 10;
constexpr uint32_t MCI_DEVTYPE_CD_AUDIO = 516;

constexpr uint32_t MCI_NOTIFY_SUCCESSFUL = 0x0001;

constexpr MCIERROR MCIERR_INVALID_DEVICE_ID = 257;
constexpr MCIERROR MCIERR_INVALID_DEVICE_NAME = 263;

constexpr uint32_t MCI_MAKE_TMSF(uint32_t t, uint32_t m, uint32_t s, uint32_t f) {
    return (t & 0xFF) | ((m & 0xFF) << 8) | ((s & 0xFF) << 16) | ((f & 0xFF) << 24);
}
constexpr uint32_t MCI_TMSF_TRACK(uint32_t v) {
    return v & 0xFF;
}
constexpr uint32_t MCI_TMSF_MINUTE(uint32_t v) {
    return (v >> 8) & 0xFF;
}
constexpr uint32_t MCI_TMSF_SECOND(uint32_t v) {
    return (v >> 16) & 0xFF;
}
constexpr uint32_t MCI_TMSF_FRAME(uint32_t v) {
    return (v >> 24) & 0xFF;
}
constexpr uint32_t MCI_MAKE_MSF(uint32_t m, uint32_t s, uint32_t f) {
    return (m & 0xFF) | ((s & 0xFF) << 8) | ((f & 0xFF) << 16);
}

struct MCI_GENERIC_PARMS {
    uintptr_t dwCallback = 0;
};
struct MCI_OPEN_PARMS {
    uintptr_t dwCallback = 0;
    MCIDEVICEID wDeviceID = 0;
    uintptr_t lpstrDeviceType = 0; // a type id with MCI_OPEN_TYPE_ID
    const char* lpstrElementName = nullptr;
    const char* lpstrAlias = nullptr;
};
struct MCI_SET_PARMS {
    uintptr_t dwCallback = 0;
    uint32_t dwTimeFormat = 0;
    uint32_t dwAudio = 0;
};
struct MCI_PLAY_PARMS {
    uintptr_t dwCallback = 0;
    uint32_t dwFrom = 0;
    uint32_t dwTo = 0;
};
struct MCI_SEEK_PARMS {
    uintptr_t dwCallback = 0;
    uint32_t dwTo = 0;
};
struct MCI_STATUS_PARMS {
    uintptr_t dwCallback = 0;
    uintptr_t dwReturn = 0;
    uint32_t dwItem = 0;
    uint32_t dwTrack = 0;
};

MCIERROR mciSendCommand(MCIDEVICEID device, uint32_t message, uintptr_t flags, void* params);

} // namespace platform
